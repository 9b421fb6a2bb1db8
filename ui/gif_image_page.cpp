#include "ui/gif_image_page.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "model/gif_doc.h"
#include "model/palette_file.h"
#include "platform/main_window.h"
#include "ui/data_exchange.h"
#include "ui/dialog_template.h"
#include "ui/gif_bar.h"
#include "ui/palette_dlg.h"

namespace korvanta {

CGifImagePage::CGifImagePage(CGifBar* parent) : CGifPage(kTemplateId, parent)
{
    DialogTemplate page(this, Units());
    page.CenteredStatic(QStringLiteral("イメージの設定"), 7, 13, 128);
    page.Group(QStringLiteral("表示位置のオフセット"), 7, 23, 128, 37);
    page.Static(QStringLiteral("Ｘ座標"), 13, 39);
    QLineEdit* left = page.Edit(IDC_LEFT, 38, 35, 29, 17);
    page.Static(QStringLiteral("Ｙ座標"), 77, 39);
    QLineEdit* top = page.Edit(IDC_TOP, 99, 35, 29, 17);
    page.Static(QStringLiteral("ｲﾒｰｼﾞのｻｲｽﾞ"), 14, 69);
    page.Static(QStringLiteral("X"), 64, 69)->setAlignment(Qt::AlignRight | Qt::AlignTop);
    page.Edit(IDC_WIDTH, 77, 65, 22, 17)->setEnabled(false);
    page.Static(QStringLiteral("Y"), 102, 69)->setAlignment(Qt::AlignRight | Qt::AlignTop);
    page.Edit(IDC_HEIGHT, 113, 65, 22, 17)->setEnabled(false);
    QCheckBox* interlace = page.Check(IDC_INTERLACE, QStringLiteral("ｲﾝﾀﾚｰｽする"), 15, 83);
    page.Group(QString(), 6, 99, 128, 68);
    QCheckBox* localTable = page.Check(IDC_LOCAL_TABLE, QStringLiteral("固有のパレットを使う"), 15, 100);
    QPushButton* load = page.Button(IDC_LOAD_PALETTE, QStringLiteral("ﾊﾟﾚｯﾄ読込み"), 15, 114, 50, 14);
    QPushButton* save = page.Button(IDC_SAVE_PALETTE, QStringLiteral("ﾊﾟﾚｯﾄを保存"), 70, 114, 50, 14);
    save->setEnabled(false);
    QPushButton* show = page.Button(IDC_SHOW_PALETTE, QStringLiteral("パレット表示"), 14, 133, 50, 14);
    QCheckBox* sorted = page.Check(IDC_SORTED, QStringLiteral("パレットソートフラグ"), 14, 152);

    ApplyOnFocusLoss(left);
    ApplyOnFocusLoss(top);
    connect(interlace, &QCheckBox::clicked, this, &CGifImagePage::SendApplyPage);
    connect(sorted, &QCheckBox::clicked, this, &CGifImagePage::SendApplyPage);
    connect(localTable, &QCheckBox::clicked, this, &CGifImagePage::OnLocalTable);
    connect(show, &QPushButton::clicked, this, &CGifImagePage::OnShowPalette);
    connect(load, &QPushButton::clicked, this, &CGifImagePage::OnLoadPalette);
    connect(save, &QPushButton::clicked, this, &CGifImagePage::OnSavePalette);
}

bool CGifImagePage::UpdateData(bool bSaveAndValidate)
{
    DataExchange dx(this, bSaveAndValidate, Bar()->Messages());
    // The file holds unsigned 16-bit fields: anything else would come back changed.
    dx.Int(IDC_LEFT, m_data.m_nLeft, 0, kMaxField);
    dx.Int(IDC_TOP, m_data.m_nTop, 0, kMaxField);
    dx.UInt(IDC_WIDTH, m_data.m_nWidth, kMaxField);
    dx.UInt(IDC_HEIGHT, m_data.m_nHeight, kMaxField);
    dx.Check(IDC_INTERLACE, m_data.m_bInterlace);
    dx.Check(IDC_LOCAL_TABLE, m_data.m_bLocalTable);
    dx.Check(IDC_SORTED, m_data.m_bSorted);
    if (!dx.Ok())
        return false;
    for (int id : {int(IDC_SORTED), int(IDC_SAVE_PALETTE), int(IDC_LOAD_PALETTE), int(IDC_SHOW_PALETTE)})
        DialogTemplate::Control(this, id)->setEnabled(m_data.m_bLocalTable);
    if (bSaveAndValidate) {
        CGIFDoc* doc = Bar()->ActiveDocument();
        // A dither onto the new palette shows its progress.
        m_data.m_pProgress = doc != nullptr ? &doc->Services().progress : nullptr;
    }
    return true;
}

void CGifImagePage::OnLocalTable()
{
    m_data.m_nConvert = kKeepIndices;
    MainWindow* mainWnd = m_data.m_pMainWnd;
    auto* box = DialogTemplate::Control<QCheckBox>(this, IDC_LOCAL_TABLE);
    if (mainWnd == nullptr)
        return;
    if (box->isChecked()) {
        // Always a copy of its own: the handle the page still holds may be the header's palette
        // or one the image gave up when its table was last dropped.
        m_data.m_hPalette = DuplicatePalette(mainWnd->GetGlobalPalette());
    } else if (mainWnd->HasGlobalTable()) {
        const std::optional<PaletteFitMode> mode = m_chooser.ChooseConvert();
        if (!mode) {
            box->setChecked(true);
        } else {
            m_data.m_nConvert = *mode;
            m_data.m_hPalette = mainWnd->GetGlobalPalette();
        }
    } else if (m_data.m_hPalette) {
        // Without a global table the image's colours become the document's.
        mainWnd->SetGlobalPalette(DuplicatePalette(m_data.m_hPalette));
    }
    SendApplyPage();
}

void CGifImagePage::OnShowPalette()
{
    CPaletteDlg dialog(m_data.m_hPalette, nullptr, true, this);
    dialog.m_nSelected = -1;
    dialog.exec();
}

void CGifImagePage::OnLoadPalette()
{
    if (CGIFDoc* doc = Bar()->ActiveDocument())
        LoadPaletteFile(m_data, doc->Services(), m_chooser);
}

void CGifImagePage::OnSavePalette()
{
    if (CGIFDoc* doc = Bar()->ActiveDocument())
        SavePaletteFile(m_data.m_hPalette, doc->Services());
}

}  // namespace korvanta
