// The file dialogs the document's commands and the pages ask for, as Qt's file dialog.
#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include "platform/file_dialog.h"

namespace korvanta {

// The dialog's name filters for a filter string of description and pattern pairs: each entry as
// "description (patterns)", the patterns separated by spaces as Qt reads them; a description that
// already ends in its patterns keeps its own words.
QStringList QtNameFilters(const std::string& filter);

// Paths travel through the core as the file system's bytes; Qt shows them as text.
QString PathToQString(const std::string& path);
std::string PathFromQString(const QString& path);

class QtFileDialogService final : public FileDialogService {
public:
    explicit QtFileDialogService(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }

    std::optional<std::string> GetFileName(const FileDialogRequest& request) override;

private:
    QPointer<QWidget> m_parent;
};

}  // namespace korvanta
