#include "ui/image_convert_dlg.h"

#include <QPushButton>

#include "platform/message_box.h"
#include "ui/data_exchange.h"
#include "ui/dialog_template.h"

namespace korvanta {

CImageConvertDlg::CImageConvertDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("イメージデータの変更"));
    setFont(InterfaceFont());
    const DialogUnits units(font());
    setFixedSize(units.Size(kTemplateWidth, kTemplateHeight));

    DialogTemplate dialog(this, units);
    dialog.Static(QStringLiteral("パレットに合わせて"), 7, 7, 56, 8);
    dialog.Radio(kFirstModeId, QStringLiteral("色の置き換えはしない"), 7, 21, 80, 10);
    dialog.Radio(kFirstModeId + 1, QStringLiteral("近似色で置き換える"), 7, 38, 74, 10);
    dialog.Radio(kFirstModeId + 2, QStringLiteral("ディザをかける"), 7, 55, 59, 10);
    QPushButton* ok = dialog.Button(IDOK, QStringLiteral("OK"), 42, 74, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    QPushButton* cancel = dialog.Button(IDCANCEL, QStringLiteral("ｷｬﾝｾﾙ"), 99, 74, 50, 14);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CImageConvertDlg::showEvent(QShowEvent* event)
{
    NullMessageService silent;
    DataExchange(this, false, silent).Radio(kFirstModeId, kModeCount, m_nMode);
    QDialog::showEvent(event);
}

void CImageConvertDlg::accept()
{
    // Radio buttons cannot hold a refused value, so the exchange never has anything to say.
    NullMessageService silent;
    DataExchange(this, true, silent).Radio(kFirstModeId, kModeCount, m_nMode);
    QDialog::accept();
}

}  // namespace korvanta
