#include "ui/gif_text_page.h"

#include <QLineEdit>
#include <QPushButton>

#include "platform/main_window.h"
#include "ui/byte_text_edit.h"
#include "ui/data_exchange.h"
#include "ui/gif_bar.h"
#include "ui/palette_dlg.h"

namespace korvanta {

namespace {
// The grid's fields are 16 bits wide in the file, the cell's 8 bits.
constexpr unsigned kMaxGridValue = 0xFFFF;
constexpr unsigned kMaxCellValue = 0xFF;
}  // namespace

CGifTextPage::CGifTextPage(CGifBar* parent) : CGifPage(IDD, parent)
{
    DialogTemplate t(this, Units());
    t.CenteredStatic(QStringLiteral("テキストの設定"), 7, 13, 128);
    t.Group(QStringLiteral("表示位置とサイズ"), 7, 24, 128, 46);
    t.Static(QStringLiteral("Ｘ座標"), 16, 40);
    ApplyOnFocusLoss(t.Edit(IDC_GRID_LEFT, 42, 37, 24, 14));
    t.Static(QStringLiteral("Ｙ座標"), 79, 40);
    ApplyOnFocusLoss(t.Edit(IDC_GRID_TOP, 103, 37, 24, 14));
    t.Static(QStringLiteral("幅"), 28, 55);
    ApplyOnFocusLoss(t.Edit(IDC_GRID_WIDTH, 42, 53, 24, 14));
    t.Static(QStringLiteral("高さ"), 87, 56);
    ApplyOnFocusLoss(t.Edit(IDC_GRID_HEIGHT, 103, 53, 24, 14));
    t.Group(QStringLiteral("文字のサイズ"), 7, 76, 128, 31);
    t.Static(QStringLiteral("横"), 24, 92);
    ApplyOnFocusLoss(t.Edit(IDC_CELL_WIDTH, 36, 89, 24, 14));
    t.Static(QStringLiteral("縦"), 90, 92);
    ApplyOnFocusLoss(t.Edit(IDC_CELL_HEIGHT, 101, 89, 24, 14));
    QPushButton* textColor = t.Button(IDC_TEXT_COLOR, QStringLiteral("文字の色"), 7, 112, 40, 14);
    t.Swatch(IDC_TEXT_SWATCH, 50, 112, 18, 14);
    QPushButton* bkColor = t.Button(IDC_TEXTBK_COLOR, QStringLiteral("背景色"), 81, 112, 33, 14);
    t.Swatch(IDC_TEXTBK_SWATCH, 117, 112, 18, 14);
    ApplyOnFocusLoss(t.MultiLineEdit<ByteTextEdit>(IDC_TEXT, 7, 129, 128, 38));
    HookControls();

    connect(textColor, &QPushButton::clicked, this, [this] { ChooseColor(m_nForeground); });
    connect(bkColor, &QPushButton::clicked, this, [this] { ChooseColor(m_nBackground); });
    RepaintControl(IDC_TEXT_SWATCH);
    RepaintControl(IDC_TEXTBK_SWATCH);
}

bool CGifTextPage::UpdateData(bool bSaveAndValidate)
{
    DataExchange dx(this, bSaveAndValidate, Bar()->Messages());
    dx.UInt(IDC_CELL_HEIGHT, m_nCellHeight, kMaxCellValue);
    dx.UInt(IDC_CELL_WIDTH, m_nCellWidth, kMaxCellValue);
    dx.UInt(IDC_GRID_HEIGHT, m_nGridHeight, kMaxGridValue);
    dx.Bytes(IDC_TEXT, m_strText);
    dx.UInt(IDC_GRID_LEFT, m_nGridLeft, kMaxGridValue);
    dx.UInt(IDC_GRID_TOP, m_nGridTop, kMaxGridValue);
    dx.UInt(IDC_GRID_WIDTH, m_nGridWidth, kMaxGridValue);
    return dx.Ok();
}

void CGifTextPage::RepaintControl(int controlId)
{
    if (controlId == IDC_TEXT_SWATCH)
        DialogTemplate::PaintSwatch(Control(IDC_TEXT_SWATCH), m_pTextBrush.get());
    else if (controlId == IDC_TEXTBK_SWATCH)
        DialogTemplate::PaintSwatch(Control(IDC_TEXTBK_SWATCH), m_pBkBrush.get());
}

void CGifTextPage::ChooseColor(int& index)
{
    const HPALETTE palette = m_pMainWnd != nullptr ? m_pMainWnd->GetGlobalPalette() : nullptr;
    if (!palette)
        return;
    const std::optional<int> picked = CPaletteDlg::PickIndex(palette, nullptr, index, this);
    if (!picked)
        return;
    index = *picked;
    RefreshSwatches();
    SendApplyPage();
}

}  // namespace korvanta
