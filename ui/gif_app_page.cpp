#include "ui/gif_app_page.h"

#include <QLabel>
#include <QPlainTextEdit>

#include "ui/data_exchange.h"
#include "ui/gif_bar.h"
#include "ui/page_text_codec.h"

namespace korvanta {

namespace {

// The dump's columns line up only in a font whose characters are all as wide.
QFont DumpFont(const QFont& dialogFont)
{
    QFont font(dialogFont);
    font.setFamilies(
        {QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック"), QStringLiteral("monospace")});
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    return font;
}

}  // namespace

CGifAppPage::CGifAppPage(CGifBar* parent) : CGifPage(IDD, parent)
{
    DialogTemplate t(this, Units());
    t.CenteredStatic(QStringLiteral("アプリケーションブロックの設定"), 7, 13, 128);
    t.Static(QStringLiteral("識別子"), 7, 39);
    auto* ident = new QLabel(QStringLiteral("Static"), this);
    ident->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ident->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ident->setTextInteractionFlags(Qt::TextSelectableByMouse);
    t.Place(ident, IDC_IDENT, 39, 34, 68, 17);
    auto* dump = t.MultiLineEdit(IDC_DATA, 7, 79, 128, 88, true);
    dump->setReadOnly(true);
    dump->setFont(DumpFont(font()));
    HookControls();
}

bool CGifAppPage::UpdateData(bool bSaveAndValidate)
{
    if (bSaveAndValidate)
        return true;
    DataExchange dx(this, false, Bar()->Messages());
    QString ident = PageTextCodec::Decode(m_strIdent).text;
    QString dump = QString::fromLatin1(m_strData.data(), static_cast<qsizetype>(m_strData.size()));
    // Every line of the dump ends in CR LF, the last one too; the edit shows no empty line after it.
    dump.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (dump.endsWith(QLatin1Char('\n')))
        dump.chop(1);
    dx.Text(IDC_IDENT, ident);
    dx.Text(IDC_DATA, dump);
    return true;
}

}  // namespace korvanta
