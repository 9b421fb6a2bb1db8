// The page of an application extension the editor does not understand: its identifier and a
// hexadecimal dump of its data, read-only.
#pragma once

#include "model/gif_pages.h"
#include "ui/gif_page.h"

namespace korvanta {

// Nothing on it is applied, but Enter and Escape return to the block list as on every page.
class CGifAppPage final : public CGifPage, public CGifAppPageData {
    Q_OBJECT
public:
    enum : int { IDD = 137, IDC_IDENT = 1046, IDC_DATA = 1047 };

    explicit CGifAppPage(CGifBar* parent);

    CGifPageData& PageData() override { return *this; }
    // Fills the controls; taking them back does nothing, the block takes nothing from the page.
    bool UpdateData(bool bSaveAndValidate) override;
};

}  // namespace korvanta
