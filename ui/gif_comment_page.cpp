#include "ui/gif_comment_page.h"

#include "ui/byte_text_edit.h"
#include "ui/data_exchange.h"
#include "ui/gif_bar.h"

namespace korvanta {

CGifCommentPage::CGifCommentPage(CGifBar* parent) : CGifPage(IDD, parent)
{
    DialogTemplate t(this, Units());
    auto* text = t.MultiLineEdit<ByteTextEdit>(IDC_COMMENT, 7, 7, 128, 160);
    HookControls();
    ApplyOnFocusLoss(text);
}

bool CGifCommentPage::UpdateData(bool bSaveAndValidate)
{
    DataExchange dx(this, bSaveAndValidate, Bar()->Messages());
    dx.Bytes(IDC_COMMENT, m_strText);
    return dx.Ok();
}

}  // namespace korvanta
