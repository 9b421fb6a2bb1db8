#include "ui/gif_header_page.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "model/gif_doc.h"
#include "model/palette_file.h"
#include "platform/main_window.h"
#include "platform/message_box.h"
#include "ui/data_exchange.h"
#include "ui/gif_bar.h"
#include "ui/palette_dlg.h"

namespace korvanta {

namespace {
// The logical screen fields of a GIF file are 16 bits wide.
constexpr unsigned kMaxScreenSize = 0xFFFF;
}  // namespace

CGifHeaderPage::CGifHeaderPage(CGifBar* parent) : CGifPage(IDD, parent)
{
    DialogTemplate t(this, Units());
    t.CenteredStatic(QStringLiteral("GIFヘッダの設定"), 7, 13, 128);
    t.Group(QStringLiteral("スクリーンのサイズ"), 7, 23, 128, 34);
    t.Static(QStringLiteral("幅"), 19, 37);
    ApplyOnFocusLoss(t.Edit(IDC_WIDTH, 33, 33, 29, 14));
    t.Static(QStringLiteral("高さ"), 69, 37);
    ApplyOnFocusLoss(t.Edit(IDC_HEIGHT, 86, 33, 29, 14));
    t.Group(QStringLiteral("背景色"), 7, 65, 128, 40);
    QPushButton* bkColor = t.Button(IDC_BKCOLOR, QStringLiteral("色指定..."), 21, 80, 30, 14);
    t.Swatch(IDC_HEADER_SWATCH, 62, 79, 22, 14);
    t.Group(QString(), 7, 112, 128, 55);
    QCheckBox* global = t.Check(IDC_GLOBAL_TABLE, QStringLiteral("ｸﾞﾛｰﾊﾞﾙﾊﾟﾚｯﾄを使う"), 15, 111);
    QPushButton* load = t.Button(IDC_LOAD_PALETTE, QStringLiteral("ﾊﾟﾚｯﾄ読込み"), 17, 128, 50, 14);
    QPushButton* save = t.Button(IDC_SAVE_PALETTE, QStringLiteral("ﾊﾟﾚｯﾄを保存"), 72, 128, 50, 14);
    save->setEnabled(false);
    QCheckBox* sorted = t.Check(IDC_SORTED, QStringLiteral("パレットソートフラグ"), 15, 149);
    HookControls();

    connect(sorted, &QCheckBox::clicked, this, [this] { SendApplyPage(); });
    connect(global, &QCheckBox::clicked, this, [this] { OnGlobalTable(); });
    connect(load, &QPushButton::clicked, this, [this] { OnLoadPalette(); });
    connect(save, &QPushButton::clicked, this, [this] { OnSavePalette(); });
    connect(bkColor, &QPushButton::clicked, this, [this] { OnBkColor(); });
    RepaintControl(IDC_HEADER_SWATCH);
}

bool CGifHeaderPage::UpdateData(bool bSaveAndValidate)
{
    DataExchange dx(this, bSaveAndValidate, Bar()->Messages());
    dx.UInt(IDC_WIDTH, m_nWidth, kMaxScreenSize);
    dx.UInt(IDC_HEIGHT, m_nHeight, kMaxScreenSize);
    dx.Check(IDC_GLOBAL_TABLE, m_bGlobalTable);
    dx.Check(IDC_SORTED, m_bSorted);
    EnableTableControls();
    return dx.Ok();
}

void CGifHeaderPage::RepaintControl(int controlId)
{
    if (controlId == IDC_HEADER_SWATCH)
        DialogTemplate::PaintSwatch(Control(IDC_HEADER_SWATCH), m_pBkBrush.get(), m_hPalette);
}

void CGifHeaderPage::EnableTableControls()
{
    for (const int id : {IDC_SORTED, IDC_LOAD_PALETTE, IDC_SAVE_PALETTE})
        if (QWidget* control = Control(id))
            control->setEnabled(m_bGlobalTable);
}

void CGifHeaderPage::OnGlobalTable()
{
    auto* box = Control<QCheckBox>(IDC_GLOBAL_TABLE);
    if (!box->isChecked()) {
        const auto keepTable = [this, box] {
            box->setChecked(true);
            m_bGlobalTable = true;
            EnableTableControls();
        };
        // The copy below changes the images at once, so it must not run for an apply that the
        // page's other values would make fail.
        if (!UpdateData(true)) {
            keepTable();
            return;
        }
        if (m_pMainWnd != nullptr && m_pMainWnd->CountNoLocalTable() > 0 &&
            Bar()->Messages().MessageBox(kMsgCopyGlobalPalette, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
            keepTable();
            return;
        }
        if (m_pMainWnd != nullptr)
            m_pMainWnd->CopyGlobalPalette();
    }
    SendApplyPage();
}

void CGifHeaderPage::OnLoadPalette()
{
    CGIFDoc* doc = Bar()->ActiveDocument();
    // The load may copy the global palette into the images before it applies the page, so the
    // page's values must be acceptable first.
    if (doc == nullptr || !UpdateData(true))
        return;
    LoadPaletteFile(*this, doc->Services());
}

void CGifHeaderPage::OnSavePalette()
{
    if (CGIFDoc* doc = Bar()->ActiveDocument())
        SavePaletteFile(m_hPalette, doc->Services());
}

void CGifHeaderPage::OnBkColor()
{
    const std::optional<int> index = CPaletteDlg::PickIndex(m_hPalette, nullptr, m_nBackground, this);
    if (!index)
        return;
    m_nBackground = *index;
    SendApplyPage();
}

}  // namespace korvanta
