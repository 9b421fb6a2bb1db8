// The recent-file list of the File menu: four entries, newest first, kept in the program's
// settings between runs.
#pragma once

#include <QString>
#include <QStringList>

class QSettings;

namespace korvanta {

class CRecentFileList {
public:
    static constexpr int kSize = 4;

    void Load(QSettings& settings);
    void Save(QSettings& settings) const;

    // Puts the path first; an entry of the same file moves up instead of being repeated.
    void Add(const QString& path);
    void Remove(int index);
    const QStringList& Files() const { return m_files; }

    // The menu text of entry index: its number as mnemonic, then the path.
    static QString MenuLabel(int index, const QString& path);

private:
    QStringList m_files;
};

}  // namespace korvanta
