// The comment block's page: the comment's text in one multi-line edit.
#pragma once

#include "model/gif_pages.h"
#include "ui/gif_page.h"

namespace korvanta {

class CGifCommentPage final : public CGifPage, public CGifCommentPageData {
    Q_OBJECT
public:
    enum : int { IDD = 133, IDC_COMMENT = 1020 };

    explicit CGifCommentPage(CGifBar* parent);

    CGifPageData& PageData() override { return *this; }
    bool UpdateData(bool bSaveAndValidate) override;
};

}  // namespace korvanta
