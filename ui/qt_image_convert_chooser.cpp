#include "ui/qt_image_convert_chooser.h"

#include "ui/image_convert_dlg.h"

namespace korvanta {

QtImageConvertChooser::QtImageConvertChooser(QWidget* parent) : m_parent(parent) {}

std::optional<PaletteFitMode> QtImageConvertChooser::ChooseConvert()
{
    CImageConvertDlg dialog(m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    switch (dialog.m_nMode) {
        case kNearestColor:
            return kNearestColor;
        case kDither:
            return kDither;
        default:
            return kKeepIndices;
    }
}

}  // namespace korvanta
