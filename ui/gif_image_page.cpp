#include "ui/gif_image_page.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "model/gif_doc.h"
#include "model/palette_file.h"
#include "platform/main_window.h"
#include "ui/data_exchange.h"
#include "ui/gif_bar.h"
#include "ui/palette_dlg.h"

namespace korvanta {

CGifImagePage::CGifImagePage(CGifBar* parent) : CGifPage(IDD, parent)
{
    DialogTemplate t(this, Units());
    t.CenteredStatic(QStringLiteral("イメージの設定"), 7, 13, 128);
    t.Group(QStringLiteral("表示位置のオフセット"), 7, 23, 128, 37);
    t.Static(QStringLiteral("Ｘ座標"), 13, 39);
    ApplyOnFocusLoss(t.Edit(IDC_LEFT, 38, 35, 29, 17));
    t.Static(QStringLiteral("Ｙ座標"), 77, 39);
    ApplyOnFocusLoss(t.Edit(IDC_TOP, 99, 35, 29, 17));
    t.Static(QStringLiteral("ｲﾒｰｼﾞのｻｲｽﾞ"), 14, 69);
    t.Static(QStringLiteral("X"), 64, 69)->setAlignment(Qt::AlignRight | Qt::AlignTop);
    t.Edit(IDC_WIDTH, 77, 65, 22, 17)->setEnabled(false);
    t.Static(QStringLiteral("Y"), 102, 69)->setAlignment(Qt::AlignRight | Qt::AlignTop);
    t.Edit(IDC_HEIGHT, 113, 65, 22, 17)->setEnabled(false);
    QCheckBox* interlace = t.Check(IDC_INTERLACE, QStringLiteral("ｲﾝﾀﾚｰｽする"), 15, 83);
    t.Group(QString(), 6, 99, 128, 68);
    QCheckBox* localTable = t.Check(IDC_LOCAL_TABLE, QStringLiteral("固有のパレットを使う"), 15, 100);
    QPushButton* load = t.Button(IDC_LOAD_PALETTE, QStringLiteral("ﾊﾟﾚｯﾄ読込み"), 15, 114, 50, 14);
    QPushButton* save = t.Button(IDC_SAVE_PALETTE, QStringLiteral("ﾊﾟﾚｯﾄを保存"), 70, 114, 50, 14);
    save->setEnabled(false);
    QPushButton* show = t.Button(IDC_SHOW_PALETTE, QStringLiteral("パレット表示"), 14, 133, 50, 14);
    QCheckBox* sorted = t.Check(IDC_SORTED, QStringLiteral("パレットソートフラグ"), 14, 152);
    HookControls();

    connect(interlace, &QCheckBox::clicked, this, [this] { SendApplyPage(); });
    connect(sorted, &QCheckBox::clicked, this, [this] { SendApplyPage(); });
    connect(localTable, &QCheckBox::clicked, this, [this] { OnLocalTable(); });
    connect(show, &QPushButton::clicked, this, [this] { OnShowPalette(); });
    connect(load, &QPushButton::clicked, this, [this] { OnLoadPalette(); });
    connect(save, &QPushButton::clicked, this, [this] { OnSavePalette(); });
}

bool CGifImagePage::UpdateData(bool bSaveAndValidate)
{
    DataExchange dx(this, bSaveAndValidate, Bar()->Messages());
    // The file holds unsigned 16-bit fields: anything else would come back changed.
    dx.Int(IDC_LEFT, m_nLeft, 0, kMaxField);
    dx.Int(IDC_TOP, m_nTop, 0, kMaxField);
    dx.UInt(IDC_WIDTH, m_nWidth, kMaxField);
    dx.UInt(IDC_HEIGHT, m_nHeight, kMaxField);
    dx.Check(IDC_INTERLACE, m_bInterlace);
    dx.Check(IDC_LOCAL_TABLE, m_bLocalTable);
    dx.Check(IDC_SORTED, m_bSorted);
    if (!dx.Ok())
        return false;
    EnableTableControls();
    if (bSaveAndValidate) {
        CGIFDoc* doc = Bar()->ActiveDocument();
        // A dither onto the new palette shows its progress; a refit that fails says why.
        m_pProgress = doc != nullptr ? &doc->Services().progress : nullptr;
        m_pMessages = doc != nullptr ? &doc->Services().messages : nullptr;
    }
    return true;
}

void CGifImagePage::EnableTableControls()
{
    for (const int id : {IDC_SORTED, IDC_SAVE_PALETTE, IDC_LOAD_PALETTE, IDC_SHOW_PALETTE})
        Control(id)->setEnabled(m_bLocalTable);
}

void CGifImagePage::OnLocalTable()
{
    auto* box = Control<QCheckBox>(IDC_LOCAL_TABLE);
    // What follows changes the palette at once (the document's global one, too), so it must not
    // run for an apply that the page's other values would make fail.
    if (m_pMainWnd == nullptr || !UpdateData(true)) {
        box->setChecked(!box->isChecked());
        m_bLocalTable = box->isChecked();
        EnableTableControls();
        return;
    }
    m_nConvert = kKeepIndices;
    if (box->isChecked()) {
        // Always a copy of its own: the handle the page still holds may be the header's palette
        // or one the image gave up when its table was last dropped.
        m_hPalette = DuplicatePalette(m_pMainWnd->GetGlobalPalette());
    } else if (m_pMainWnd->HasGlobalTable()) {
        const std::optional<PaletteFitMode> mode = m_chooser.ChooseConvert();
        if (!mode) {
            box->setChecked(true);
        } else {
            m_nConvert = *mode;
            m_hPalette = m_pMainWnd->GetGlobalPalette();
        }
    } else if (m_hPalette) {
        // Without a global table the image's colours become the document's.
        m_pMainWnd->SetGlobalPalette(DuplicatePalette(m_hPalette));
    }
    SendApplyPage();
}

void CGifImagePage::OnShowPalette()
{
    CPaletteDlg dialog(m_hPalette, nullptr, true, this);
    dialog.m_nSelected = -1;
    dialog.exec();
}

void CGifImagePage::OnLoadPalette()
{
    CGIFDoc* doc = Bar()->ActiveDocument();
    // The palette taken is applied at once; the page's other values must be acceptable first.
    if (doc != nullptr && UpdateData(true))
        LoadPaletteFile(*this, doc->Services(), m_chooser);
}

void CGifImagePage::OnSavePalette()
{
    if (CGIFDoc* doc = Bar()->ActiveDocument())
        SavePaletteFile(m_hPalette, doc->Services());
}

}  // namespace korvanta
