// The text of comment and plain-text blocks is kept as the raw bytes of the file. The pages show
// it in the Japanese code page the format's editors wrote (Shift_JIS as Windows extends it,
// CP932), or as UTF-8 where the bytes are UTF-8, as today's tools write them.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace korvanta {

enum class TextEncoding { cp932, utf8 };

struct DecodedText {
    QString text;
    TextEncoding encoding = TextEncoding::cp932;
};

class PageTextCodec {
public:
    // Bytes that are UTF-8 with at least one multibyte character are read as UTF-8; everything
    // else as CP932, bytes that are not valid there each shown as U+FFFD.
    static DecodedText Decode(std::string_view bytes);
    // The text in the encoding it was shown in; CP932 text that gained a character CP932 lacks
    // is written as UTF-8 rather than lose it.
    static std::string Encode(const QString& text, TextEncoding encoding);

    static bool IsUtf8(std::string_view bytes);
};

}  // namespace korvanta
