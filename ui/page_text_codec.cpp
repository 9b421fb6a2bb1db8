#include "ui/page_text_codec.h"

#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <optional>

namespace korvanta {

namespace {

// glibc's iconv always carries CP932; Qt's own converters know it only when Qt was built with
// ICU, which a distribution's Qt need not be.
constexpr char kCodePage[] = "CP932";
constexpr char kUtf8[] = "UTF-8";
constexpr char kReplacement[] = "\xEF\xBF\xBD";

class Iconv {
public:
    Iconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Iconv()
    {
        if (Valid())
            iconv_close(m_cd);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool Valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts the bytes. A byte that cannot be converted makes the result empty, or, with a
    // replacement, is replaced by it and skipped.
    std::optional<std::string> Convert(std::string_view in, const char* replacement = nullptr)
    {
        if (!Valid())
            return std::nullopt;
        std::string out;
        char buffer[1024];
        auto* source = const_cast<char*>(in.data());
        std::size_t left = in.size();
        while (left > 0) {
            char* target = buffer;
            std::size_t room = sizeof buffer;
            const std::size_t result = iconv(m_cd, &source, &left, &target, &room);
            out.append(buffer, static_cast<std::size_t>(target - buffer));
            if (result != static_cast<std::size_t>(-1) || errno == E2BIG)
                continue;
            // EILSEQ or EINVAL: a byte that starts no character here, or a character cut short.
            if (replacement == nullptr)
                return std::nullopt;
            out += replacement;
            ++source;
            --left;
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

private:
    iconv_t m_cd;
};

}  // namespace

bool PageTextCodec::IsUtf8(std::string_view bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return !decoder.hasError();
}

DecodedText PageTextCodec::Decode(std::string_view bytes)
{
    // UTF-8 first: Japanese in UTF-8 is very often valid CP932 as well (and would show as
    // nonsense kanji), while Japanese in CP932 almost never forms valid UTF-8.
    const bool multibyte = std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
    if (multibyte && IsUtf8(bytes))
        return {QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())), TextEncoding::utf8};
    Iconv decoder(kUtf8, kCodePage);
    const std::string utf8 = decoder.Convert(bytes, kReplacement).value_or(std::string(bytes));
    return {QString::fromStdString(utf8), TextEncoding::cp932};
}

std::string PageTextCodec::Encode(const QString& text, TextEncoding encoding)
{
    const std::string utf8 = text.toStdString();
    if (encoding == TextEncoding::utf8)
        return utf8;
    Iconv encoder(kCodePage, kUtf8);
    return encoder.Convert(utf8).value_or(utf8);
}

}  // namespace korvanta
