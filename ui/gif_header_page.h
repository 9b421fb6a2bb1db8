// The header block's page: logical screen size, background colour, and the global palette (on
// or off, sort flag, load and save).
#pragma once

#include "model/gif_pages.h"
#include "ui/gif_page.h"

namespace korvanta {

class CGifHeaderPage final : public CGifPage, public CGifHeaderPageData {
    Q_OBJECT
public:
    enum : int {
        IDD = 130,
        IDC_WIDTH = 1001,
        IDC_HEIGHT = 1025,
        IDC_LOAD_PALETTE = 1026,
        IDC_SAVE_PALETTE = 1027,
        IDC_GLOBAL_TABLE = 1029,
        IDC_SORTED = 1030,
        IDC_BKCOLOR = 1038
    };

    explicit CGifHeaderPage(CGifBar* parent);

    CGifPageData& PageData() override { return *this; }
    bool UpdateData(bool bSaveAndValidate) override;
    void RepaintControl(int controlId) override;

private:
    void OnGlobalTable();
    void OnLoadPalette();
    void OnSavePalette();
    void OnBkColor();
    // The sort flag and the palette buttons are for a global palette only.
    void EnableTableControls();
};

}  // namespace korvanta
