#include "ui/byte_text_edit.h"

namespace korvanta {

void ByteTextEdit::SetBytes(const std::string& bytes)
{
    DecodedText decoded = PageTextCodec::Decode(bytes);
    decoded.text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setPlainText(decoded.text);
    // What the edit gives back, which need not be what it was given (a lone CR, for one).
    m_shownText = toPlainText();
    m_bytes = bytes;
    m_encoding = decoded.encoding;
}

std::string ByteTextEdit::Bytes() const
{
    QString text = toPlainText();
    if (text == m_shownText)
        return m_bytes;
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return PageTextCodec::Encode(text, m_encoding);
}

}  // namespace korvanta
