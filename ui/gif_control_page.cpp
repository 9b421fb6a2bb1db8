#include "ui/gif_control_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "ui/data_exchange.h"
#include "ui/dialog_template.h"
#include "ui/gif_bar.h"
#include "ui/palette_dlg.h"

namespace korvanta {

CGifControlPage::CGifControlPage(CGifBar* parent) : CGifPage(kTemplateId, parent)
{
    DialogTemplate page(this, Units());
    page.CenteredStatic(QStringLiteral("表示コントロールの設定"), 7, 13, 127);
    page.Group(QString(), 13, 37, 111, 39);
    QCheckBox* transparent = page.Check(IDC_TRANSPARENT, QStringLiteral("透明色を使う"), 21, 37);
    QPushButton* colour = page.Button(IDC_TRANS_COLOR, QStringLiteral("色指定"), 26, 53, 30, 14);
    page.Swatch(IDC_TRANS_SWATCH, 65, 53, 18, 14);
    page.Static(QStringLiteral("表示時間"), 14, 93);
    QLineEdit* delay = page.Edit(IDC_DELAY, 47, 89, 21, 14);
    page.Static(QStringLiteral("1/100秒"), 73, 93);
    QCheckBox* userInput = page.Check(IDC_USER_INPUT, QStringLiteral("入力待ち"), 17, 111);
    page.Static(QStringLiteral("画像切替の処理"), 14, 139);
    QComboBox* disposal = page.Combo(IDC_DISPOSAL, 75, 137, 59, 55);
    disposal->addItems({QStringLiteral("何もしない"), QStringLiteral("そのまま残す"),
                        QStringLiteral("背景色で消す"), QStringLiteral("表示前の状態")});

    ApplyOnFocusLoss(delay);
    connect(disposal, &QComboBox::activated, this, &CGifControlPage::SendApplyPage);
    connect(transparent, &QCheckBox::clicked, this, &CGifControlPage::SendApplyPage);
    connect(userInput, &QCheckBox::clicked, this, &CGifControlPage::SendApplyPage);
    connect(colour, &QPushButton::clicked, this, &CGifControlPage::OnTransparentColor);
}

bool CGifControlPage::UpdateData(bool bSaveAndValidate)
{
    DataExchange dx(this, bSaveAndValidate, Bar()->Messages());
    dx.Int(IDC_DELAY, m_data.m_nDelay);
    auto* disposal = DialogTemplate::Control<QComboBox>(this, IDC_DISPOSAL);
    if (!bSaveAndValidate)
        disposal->setCurrentIndex(m_data.m_nDisposal);
    else if (disposal->currentIndex() >= 0)
        // A method the list does not offer (4 to 7, from a file) shows no selection and is kept.
        m_data.m_nDisposal = disposal->currentIndex();
    dx.Check(IDC_TRANSPARENT, m_data.m_bTransparent);
    dx.Check(IDC_USER_INPUT, m_data.m_bUserInput);
    if (!dx.Ok())
        return false;
    DialogTemplate::Control(this, IDC_TRANS_COLOR)->setEnabled(m_data.m_bTransparent);
    DialogTemplate::Control(this, IDC_TRANS_SWATCH)->setEnabled(m_data.m_bTransparent);
    return true;
}

void CGifControlPage::RepaintControl(int controlId)
{
    if (controlId == IDC_TRANS_SWATCH)
        DialogTemplate::PaintSwatch(DialogTemplate::Control(this, IDC_TRANS_SWATCH),
                                    m_data.m_pTransBrush.get(), m_data.m_hFramePalette);
}

void CGifControlPage::OnTransparentColor()
{
    CPaletteDlg dialog(m_data.m_hFramePalette, m_data.m_hFrameDib, false, this);
    dialog.m_nSelected = m_data.m_nTransparentIndex;
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_data.m_nTransparentIndex = dialog.m_nSelected;
    m_data.RefreshSwatch();
    SendApplyPage();
}

}  // namespace korvanta
