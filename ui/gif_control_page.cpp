#include "ui/gif_control_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "ui/data_exchange.h"
#include "ui/gif_bar.h"
#include "ui/palette_dlg.h"

namespace korvanta {

CGifControlPage::CGifControlPage(CGifBar* parent) : CGifPage(IDD, parent)
{
    DialogTemplate t(this, Units());
    t.CenteredStatic(QStringLiteral("表示コントロールの設定"), 7, 13, 127);
    t.Group(QString(), 13, 37, 111, 39);
    QCheckBox* transparent = t.Check(IDC_TRANSPARENT, QStringLiteral("透明色を使う"), 21, 37);
    QPushButton* colour = t.Button(IDC_TRANS_COLOR, QStringLiteral("色指定"), 26, 53, 30, 14);
    t.Swatch(IDC_TRANS_SWATCH, 65, 53, 18, 14);
    t.Static(QStringLiteral("表示時間"), 14, 93);
    ApplyOnFocusLoss(t.Edit(IDC_DELAY, 47, 89, 21, 14));
    t.Static(QStringLiteral("1/100秒"), 73, 93);
    QCheckBox* userInput = t.Check(IDC_USER_INPUT, QStringLiteral("入力待ち"), 17, 111);
    t.Static(QStringLiteral("画像切替の処理"), 14, 139);
    QComboBox* disposal = t.Combo(IDC_DISPOSAL, 75, 137, 59, 55);
    disposal->addItems({QStringLiteral("何もしない"), QStringLiteral("そのまま残す"),
                        QStringLiteral("背景色で消す"), QStringLiteral("表示前の状態")});
    HookControls();

    connect(disposal, &QComboBox::activated, this, [this] { SendApplyPage(); });
    connect(transparent, &QCheckBox::clicked, this, [this] { SendApplyPage(); });
    connect(userInput, &QCheckBox::clicked, this, [this] { SendApplyPage(); });
    connect(colour, &QPushButton::clicked, this, [this] { OnTransparentColor(); });
}

bool CGifControlPage::UpdateData(bool bSaveAndValidate)
{
    DataExchange dx(this, bSaveAndValidate, Bar()->Messages());
    dx.Int(IDC_DELAY, m_nDelay);
    auto* disposal = Control<QComboBox>(IDC_DISPOSAL);
    if (!bSaveAndValidate)
        disposal->setCurrentIndex(m_nDisposal);
    else if (disposal->currentIndex() >= 0)
        // A method the list does not offer (4 to 7, from a file) shows no selection and is kept.
        m_nDisposal = disposal->currentIndex();
    dx.Check(IDC_TRANSPARENT, m_bTransparent);
    dx.Check(IDC_USER_INPUT, m_bUserInput);
    if (!dx.Ok())
        return false;
    Control(IDC_TRANS_COLOR)->setEnabled(m_bTransparent);
    Control(IDC_TRANS_SWATCH)->setEnabled(m_bTransparent);
    return true;
}

void CGifControlPage::RepaintControl(int controlId)
{
    if (controlId == IDC_TRANS_SWATCH)
        DialogTemplate::PaintSwatch(Control(IDC_TRANS_SWATCH), m_pTransBrush.get(), m_hFramePalette);
}

void CGifControlPage::OnTransparentColor()
{
    const std::optional<int> index =
        CPaletteDlg::PickIndex(m_hFramePalette, m_hFrameDib, m_nTransparentIndex, this);
    if (!index)
        return;
    m_nTransparentIndex = *index;
    RefreshSwatch();
    SendApplyPage();
}

}  // namespace korvanta
