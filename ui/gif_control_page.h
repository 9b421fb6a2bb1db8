// The page of a graphic control block: delay, disposal, transparent colour and the user-input
// flag. The transparent colour is picked in the palette dialog from the image the block governs.
#pragma once

#include "model/gif_pages.h"
#include "ui/gif_page.h"

namespace korvanta {

class CGifControlPage final : public CGifPage, public CGifControlPageData {
    Q_OBJECT
public:
    enum : int {
        IDD = 131,
        IDC_DISPOSAL = 1003,
        IDC_DELAY = 1014,
        IDC_TRANSPARENT = 1035,
        IDC_USER_INPUT = 1036,
        IDC_TRANS_COLOR = 1037
    };

    explicit CGifControlPage(CGifBar* parent);

    CGifPageData& PageData() override { return *this; }
    bool UpdateData(bool bSaveAndValidate) override;
    void RepaintControl(int controlId) override;

private:
    // Opens the palette dialog on the governed image; OK takes the index and applies.
    void OnTransparentColor();
};

}  // namespace korvanta
