#include "cli/block_info.h"

#include <array>
#include <cstdint>
#include <cstdio>

#include "imaging/dib.h"
#include "model/gif_app_blocks.h"
#include "model/gif_control_block.h"
#include "model/gif_header_block.h"
#include "model/gif_image_block.h"
#include "model/gif_text_blocks.h"

namespace korvanta {

namespace {

InfoField Field(std::string key, InfoField::Form form, long long number = 0, std::string bytes = {})
{
    InfoField f;
    f.key = std::move(key);
    f.form = form;
    f.number = number;
    f.bytes = std::move(bytes);
    return f;
}

InfoField Number(std::string key, long long value)
{
    return Field(std::move(key), InfoField::Form::number, value);
}

InfoField Boolean(std::string key, bool value)
{
    return Field(std::move(key), InfoField::Form::boolean, value ? 1 : 0);
}

template <class Bytes>
InfoField Hex(std::string key, const Bytes& bytes)
{
    return Field(std::move(key), InfoField::Form::hex, 0, std::string(bytes.begin(), bytes.end()));
}

InfoField Text(std::string key, const std::string& bytes)
{
    return Field(std::move(key), InfoField::Form::text, 0, bytes);
}

BlockInfo DescribeHeader(const CGifHeaderBlock& b)
{
    return {"header",
            {Number("width", b.m_nWidth), Number("height", b.m_nHeight),
             Boolean("global_table", b.m_bGlobalTable), Boolean("sorted", b.m_bSorted),
             Number("color_resolution", b.m_nColorRes), Number("table_bits", b.m_nTableBits),
             Number("background", b.m_nBackground), Number("aspect", b.m_nAspect),
             Number("palette_size", b.m_hPalette ? b.m_hPalette->GetEntryCount() : 0)}};
}

BlockInfo DescribeControl(const CGifControlBlock& b)
{
    return {"control",
            {Number("disposal", b.m_nDisposal), Boolean("user_input", b.m_bUserInput),
             Boolean("transparent", b.m_bTransparent), Number("delay", b.m_nDelay),
             Number("transparent_index", b.m_nTransparentIndex)}};
}

BlockInfo DescribeText(const CGifTextBlock& b)
{
    return {"text",
            {Number("grid_left", b.m_nGridLeft), Number("grid_top", b.m_nGridTop),
             Number("grid_width", b.m_nGridWidth), Number("grid_height", b.m_nGridHeight),
             Number("cell_width", b.m_nCellWidth), Number("cell_height", b.m_nCellHeight),
             Number("foreground", b.m_nForeground), Number("background", b.m_nBackground),
             Text("text_hex", b.m_strText)}};
}

BlockInfo DescribeApplication(const CGifAppBlock& b)
{
    return {"application",
            {Hex("identifier_hex", b.m_identifier), Hex("auth_code_hex", b.m_authCode),
             Hex("data_hex", b.m_data)}};
}

// CRC-32 as zlib computes it (reflected polynomial 0xEDB88320).
std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* data, std::size_t length)
{
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < length; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

BlockInfo DescribeImage(const CGifImageBlock& b)
{
    // The pixel indices top row first, without the rows' padding.
    std::uint32_t crc = 0;
    for (int y = 0; y < b.Height(); ++y)
        crc = Crc32(crc, PackedDibRow(*b.m_hDib, y), static_cast<std::size_t>(b.Width()));
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", crc);
    InfoField crcField = Field("pixels_crc32", InfoField::Form::hex);
    crcField.preformatted = hex;
    return {"image",
            {Number("left", b.m_nLeft), Number("top", b.m_nTop), Number("width", b.Width()),
             Number("height", b.Height()), Boolean("interlace", b.m_bInterlace),
             Boolean("local_table", b.m_bLocalTable), Boolean("sorted", b.m_bSorted),
             Number("table_bits", b.m_nTableBits),
             Number("palette_size", b.m_hPalette ? b.m_hPalette->GetEntryCount() : 0), crcField}};
}

}  // namespace

BlockInfo DescribeBlock(const CGifBlock& block)
{
    if (IsKind<CGifHeaderBlock>(&block))
        return DescribeHeader(static_cast<const CGifHeaderBlock&>(block));
    if (IsKind<CGifImageBlock>(&block))
        return DescribeImage(static_cast<const CGifImageBlock&>(block));
    if (IsKind<CGifControlBlock>(&block))
        return DescribeControl(static_cast<const CGifControlBlock&>(block));
    if (IsKind<CGifCommentBlock>(&block))
        return {"comment", {Text("text_hex", static_cast<const CGifCommentBlock&>(block).m_strText)}};
    if (IsKind<CGifTextBlock>(&block))
        return DescribeText(static_cast<const CGifTextBlock&>(block));
    if (IsKind<CGifAppBlockNavigatorLoop>(&block))
        return {"loop",
                {Number("loop_count", static_cast<const CGifAppBlockNavigatorLoop&>(block).m_nLoopCount)}};
    if (IsKind<CGifAppBlock>(&block))
        return DescribeApplication(static_cast<const CGifAppBlock&>(block));
    return {"unknown", {}};
}

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                    out += buffer;
                } else {
                    out += ch;
                }
        }
    }
    return out + "\"";
}

std::string HexString(const std::string& bytes)
{
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
    return out;
}

namespace {

std::string EscapedText(const std::string& bytes)
{
    std::string out = "\"";
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c >= 0x20 && c < 0x7F) {
            out += ch;
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02x", c);
            out += buffer;
        }
    }
    return out + "\"";
}

}  // namespace

std::string BlockJson(int index, const BlockInfo& info)
{
    std::string out = "{\"index\": " + std::to_string(index) + ", \"kind\": " + JsonString(info.kind);
    for (const auto& f : info.fields) {
        out += ", " + JsonString(f.key) + ": ";
        switch (f.form) {
            case InfoField::Form::number:
                out += std::to_string(f.number);
                break;
            case InfoField::Form::boolean:
                out += f.number != 0 ? "true" : "false";
                break;
            case InfoField::Form::hex:
            case InfoField::Form::text:
                out += JsonString(f.preformatted.empty() ? HexString(f.bytes) : f.preformatted);
                break;
        }
    }
    return out + "}";
}

std::string BlockLine(int index, const BlockInfo& info)
{
    std::string out = std::to_string(index) + " " + info.kind;
    for (const auto& f : info.fields) {
        switch (f.form) {
            case InfoField::Form::number:
                out += " " + f.key + "=" + std::to_string(f.number);
                break;
            case InfoField::Form::boolean:
                out += " " + f.key + "=" + (f.number != 0 ? "yes" : "no");
                break;
            case InfoField::Form::hex:
                out += " " + f.key + "=" + (f.preformatted.empty() ? HexString(f.bytes) : f.preformatted);
                break;
            case InfoField::Form::text: {
                // text_hex reads better to a person as the text itself
                const std::string key = f.key.substr(0, f.key.rfind("_hex"));
                out += " " + key + "=" + EscapedText(f.bytes);
                break;
            }
        }
    }
    return out;
}

}  // namespace korvanta
