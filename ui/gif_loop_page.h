// The loop block's page: the number of passes, checked at every keystroke.
#pragma once

#include "model/gif_pages.h"
#include "ui/gif_page.h"

namespace korvanta {

class CGifLoopPage final : public CGifPage, public CGifLoopPageData {
    Q_OBJECT
public:
    enum : int { IDD = 135, IDC_LOOP_COUNT = 1024 };

    explicit CGifLoopPage(CGifBar* parent);

    CGifPageData& PageData() override { return *this; }
    bool UpdateData(bool bSaveAndValidate) override;
};

}  // namespace korvanta
