// The about box of the Help menu: the icon, the program's name and version, and a line on what
// it is.
#pragma once

#include <QDialog>

namespace korvanta {

class CAboutDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    // The template's size, 217 x 55 dialog units.
    static constexpr int kTemplateWidth = 217;
    static constexpr int kTemplateHeight = 55;
};

}  // namespace korvanta
