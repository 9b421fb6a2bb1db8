#include "ui/about_dlg.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "platform/message_box.h"
#include "ui/dialog_template.h"

namespace korvanta {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(KORVANTA)"));
    // The template's units are those of the interface font, whatever font the parent has.
    setFont(InterfaceFont());
    const DialogUnits units(font());
    setFixedSize(units.Size(kTemplateWidth, kTemplateHeight));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    const int iconSize = 32;
    icon->setPixmap(QIcon(QStringLiteral(":/icons/korvanta-32.png")).pixmap(iconSize, iconSize));
    icon->setGeometry(QRect(units.Point(11, 17), QSize(iconSize, iconSize)));

    DialogTemplate dialog(this, units);
    dialog.Static(QStringLiteral("Korvanta Ver1.0"), 40, 10, 137, 8);
    dialog.Static(QStringLiteral("GIFアニメーションエディタ"), 40, 25, 119, 8);
    QPushButton* ok = dialog.Button(IDOK, QStringLiteral("OK"), 178, 7, 32, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace korvanta
