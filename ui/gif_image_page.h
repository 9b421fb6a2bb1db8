// The page of an image block: position, interlacing, the local colour table and its palette.
// Dropping or replacing the table asks how the pixels are to follow the new colours.
#pragma once

#include "model/gif_pages.h"
#include "ui/gif_page.h"
#include "ui/qt_image_convert_chooser.h"

namespace korvanta {

class CGifImagePage final : public CGifPage, public CGifImagePageData {
    Q_OBJECT
public:
    enum : int {
        IDD = 132,
        IDC_LEFT = 1004,
        IDC_TOP = 1005,
        IDC_WIDTH = 1006,
        IDC_HEIGHT = 1007,
        IDC_INTERLACE = 1031,
        IDC_LOCAL_TABLE = 1032,
        IDC_SORTED = 1033,
        IDC_LOAD_PALETTE = 1034,
        IDC_SHOW_PALETTE = 1044,
        IDC_SAVE_PALETTE = 2001
    };
    // The image descriptor's fields are 16 bits wide.
    static constexpr int kMaxField = 65535;

    explicit CGifImagePage(CGifBar* parent);

    CGifPageData& PageData() override { return *this; }
    bool UpdateData(bool bSaveAndValidate) override;

private:
    void OnLocalTable();
    void OnShowPalette();
    void OnLoadPalette();
    void OnSavePalette();
    // The palette buttons and the sort flag are for a local table only.
    void EnableTableControls();

    QtImageConvertChooser m_chooser{this};
};

}  // namespace korvanta
