// The plain-text block's page: the text grid, the character cell, the two colours from the
// global palette and the text.
#pragma once

#include "model/gif_pages.h"
#include "ui/gif_page.h"

namespace korvanta {

class CGifTextPage final : public CGifPage, public CGifTextPageData {
    Q_OBJECT
public:
    enum : int {
        IDD = 134,
        IDC_TEXT = 1021,
        IDC_GRID_LEFT = 1022,
        IDC_GRID_TOP = 1023,
        IDC_GRID_WIDTH = 1024,
        IDC_GRID_HEIGHT = 1025,
        IDC_CELL_WIDTH = 1026,
        IDC_CELL_HEIGHT = 1027,
        IDC_TEXT_COLOR = 1055,
        IDC_TEXTBK_COLOR = 2001
    };

    explicit CGifTextPage(CGifBar* parent);

    CGifPageData& PageData() override { return *this; }
    bool UpdateData(bool bSaveAndValidate) override;
    void RepaintControl(int controlId) override;

private:
    // Lets the user pick the colour index from the global palette; applies on OK.
    void ChooseColor(int& index);
};

}  // namespace korvanta
