#include "ui/gif_loop_page.h"

#include <QLineEdit>

#include "ui/data_exchange.h"
#include "ui/gif_bar.h"

namespace korvanta {

CGifLoopPage::CGifLoopPage(CGifBar* parent) : CGifPage(IDD, parent)
{
    DialogTemplate t(this, Units());
    t.CenteredStatic(QStringLiteral("ループの設定"), 7, 13, 128);
    t.Static(QStringLiteral("ループ回数"), 7, 46);
    QLineEdit* count = t.Edit(IDC_LOOP_COUNT, 53, 43, 40, 14);
    HookControls();
    ApplyOnFocusLoss(count);
    // Every change is applied, so a count out of range is refused as it is typed.
    connect(count, &QLineEdit::textEdited, this, [this] { SendApplyPage(); });
}

bool CGifLoopPage::UpdateData(bool bSaveAndValidate)
{
    DataExchange dx(this, bSaveAndValidate, Bar()->Messages());
    dx.UInt(IDC_LOOP_COUNT, m_nLoopCount, 0xFFFF);
    return dx.Ok();
}

}  // namespace korvanta
