#include "ui/palette_dlg.h"

#include <QLabel>
#include <QPushButton>

#include "model/gif_pages.h"
#include "platform/message_box.h"
#include "ui/dialog_template.h"
#include "ui/palette_grid.h"
#include "ui/palette_image_view.h"

namespace korvanta {

CPaletteDlg::CPaletteDlg(HPALETTE palette, PackedDib dib, bool readOnly, QWidget* parent)
    : QDialog(parent), m_hPalette(std::move(palette)), m_hDib(std::move(dib)), m_bReadOnly(readOnly)
{
    setWindowTitle(QStringLiteral("ﾊﾟﾚｯﾄ"));
    setFont(InterfaceFont());
    const DialogUnits units(font());
    setFixedSize(units.Size(kTemplateWidth, kTemplateHeight));

    DialogTemplate dialog(this, units);
    QPushButton* ok = dialog.Button(IDOK, QStringLiteral("OK"), 122, 7, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    m_pCancel = dialog.Button(IDCANCEL, QStringLiteral("ｷｬﾝｾﾙ"), 122, 24, 50, 14);
    connect(m_pCancel, &QPushButton::clicked, this, &QDialog::reject);
    m_pSwatch = dialog.Swatch(kSwatchId, 122, 48, 50, 24);
    m_pToggle = dialog.Button(kToggleId, QStringLiteral("表示切り替え"), 122, 107, 50, 14);
    connect(m_pToggle, &QPushButton::clicked, this, &CPaletteDlg::OnToggle);

    m_wndGrid = new CPaletteGrid(this);
    m_wndGrid->setGeometry(kViewRect);
    m_wndGrid->hide();
    if (m_hDib) {
        m_wndImage = new CPaletteImageView(this, kViewRect);
        m_wndImage->hide();
    }
}

CPaletteDlg::~CPaletteDlg() = default;

std::optional<int> CPaletteDlg::PickIndex(HPALETTE palette, PackedDib dib, int selected, QWidget* parent)
{
    CPaletteDlg dialog(std::move(palette), std::move(dib), false, parent);
    dialog.m_nSelected = selected;
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.m_nSelected;
}

void CPaletteDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CPaletteDlg::OnInitDialog()
{
    if (m_wndImage != nullptr)
        m_wndImage->show();
    else
        m_wndGrid->show();
    m_pToggle->setEnabled(m_wndImage != nullptr);
    if (m_nSelected == -1) {
        m_pSwatchBrush = std::make_unique<CBrush>(CBrush::Solid(255, 255, 255));
        m_pSwatch->hide();
        m_pCancel->hide();
    } else {
        m_pSwatchBrush = BrushOfPaletteEntry(m_hPalette, m_nSelected);
    }
    PaintSwatch();
}

bool CPaletteDlg::OnPalSelect(int index)
{
    if (m_bReadOnly)
        return false;
    m_nSelected = index;
    m_pSwatchBrush = BrushOfPaletteEntry(m_hPalette, index);
    PaintSwatch();
    return true;
}

void CPaletteDlg::OnToggle()
{
    if (m_wndImage == nullptr)
        return;
    const bool showImage = !m_wndGrid->isHidden();
    m_wndGrid->setVisible(!showImage);
    m_wndImage->setVisible(showImage);
}

void CPaletteDlg::PaintSwatch()
{
    DialogTemplate::PaintSwatch(m_pSwatch, m_pSwatchBrush.get(), m_hPalette);
}

}  // namespace korvanta
