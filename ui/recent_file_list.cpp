#include "ui/recent_file_list.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace korvanta {

namespace {
const QString kSection = QStringLiteral("Recent File List");

QString KeyOf(int index)
{
    return kSection + QStringLiteral("/File%1").arg(index + 1);
}

QString Canonical(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
}
}  // namespace

void CRecentFileList::Load(QSettings& settings)
{
    m_files.clear();
    for (int i = 0; i < kSize; ++i) {
        const QString path = settings.value(KeyOf(i)).toString();
        if (!path.isEmpty())
            m_files << path;
    }
}

void CRecentFileList::Save(QSettings& settings) const
{
    for (int i = 0; i < kSize; ++i) {
        if (i < m_files.size())
            settings.setValue(KeyOf(i), m_files[i]);
        else
            settings.remove(KeyOf(i));
    }
}

void CRecentFileList::Add(const QString& path)
{
    const QString file = Canonical(path);
    m_files.removeAll(file);
    m_files.prepend(file);
    while (m_files.size() > kSize) m_files.removeLast();
}

void CRecentFileList::Remove(int index)
{
    if (index >= 0 && index < m_files.size())
        m_files.removeAt(index);
}

QString CRecentFileList::MenuLabel(int index, const QString& path)
{
    QString shown = QDir::toNativeSeparators(path);
    // A path's own ampersands are shown, not taken as mnemonics.
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
}

}  // namespace korvanta
