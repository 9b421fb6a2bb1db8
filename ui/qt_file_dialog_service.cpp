#include "ui/qt_file_dialog_service.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>

namespace korvanta {

QString PathToQString(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string PathFromQString(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QStringList QtNameFilters(const std::string& filter)
{
    QStringList filters;
    for (const FileDialogFilterEntry& entry : ParseFileDialogFilter(filter)) {
        QString description = QString::fromStdString(entry.description).trimmed();
        QString patterns = QString::fromStdString(entry.patterns);
        const QString ownPatterns = QLatin1Char('(') + patterns + QLatin1Char(')');
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (description.endsWith(ownPatterns)) {
            description.chop(ownPatterns.size());
            filters << description + QLatin1Char('(') + patterns + QLatin1Char(')');
        } else {
            filters << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
        }
    }
    return filters;
}

std::optional<std::string> QtFileDialogService::GetFileName(const FileDialogRequest& request)
{
    QFileDialog dialog(m_parent, QString::fromStdString(request.title));
    dialog.setAcceptMode(request.bOpen ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(request.bOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList filters = QtNameFilters(request.filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    QString suffix = QString::fromStdString(request.defaultExtension);
    if (suffix.startsWith(QLatin1Char('.')))
        suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);
    // The caller asks its own overwrite question where it wants one.
    if ((request.flags & OFN_OVERWRITEPROMPT) == 0)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QString directory = PathToQString(request.initialDirectory);
    if (!directory.isEmpty() && QDir(directory).exists())
        dialog.setDirectory(directory);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return PathFromQString(dialog.selectedFiles().constFirst());
}

}  // namespace korvanta
