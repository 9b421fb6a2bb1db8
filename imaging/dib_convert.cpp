#include "imaging/dib_convert.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "imaging/dib.h"
#include "platform/byte_order.h"
#include "platform/byte_reader.h"

namespace korvanta {

namespace {

// The largest width and height taken from the clipboard, as from a BMP file.
constexpr std::int32_t kMaxClipboardExtent = 32767;

constexpr char kMsgBadHeader[] = "クリップボードのビットマップのヘッダーが壊れています。";
constexpr char kMsgCoreHeader[] =
    "クリップボードのビットマップは古い形式 (12 バイトのヘッダー) のため貼り付けられません。";
constexpr char kMsgCompressed[] = "クリップボードのビットマップは圧縮されているため貼り付けられません。";
constexpr char kMsgBadFormat[] = "クリップボードのビットマップの形式 (ビット数または色数) が不正です。";
constexpr char kMsgBadSize[] = "クリップボードのビットマップの大きさが不正です。";
constexpr char kMsgShort[] = "クリップボードのビットマップのデータが足りません。";
constexpr char kMsgNoMemory[] = "メモリが足りないため、ビットマップを貼り付けられません。";

// The source's colour count when it is a consistent, uncompressed 40-byte-header bitmap of the
// given depth; -1 otherwise.
int ColoursOfSource(const PackedDib& dib, bool (*depthOk)(int))
{
    if (!dib || PackedDibHeaderSize(*dib) != kDibInfoHeaderSize || !PackedDibIsConsistent(*dib) ||
        !depthOk(PackedDibBitCount(*dib)))
        return -1;
    return PackedDibColorCount(*dib);
}

// An 8-bit copy of a source ColoursOfSource accepted with sourceColours, with a colour table of
// `colours` entries: the source's first, then black ones.
PackedDib ExpandTo8Bit(const PackedDib& dib, int sourceColours, int colours)
{
    if (sourceColours > colours || colours > 256)
        return nullptr;
    const int width = PackedDibWidth(*dib);
    const int height = PackedDibHeight(*dib);
    const int bits = PackedDibBitCount(*dib);
    PackedDib out =
        NewPackedDibWithColors(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 8,
                               static_cast<std::uint32_t>(colours));
    if (!out)
        return nullptr;
    std::memcpy(PackedDibColorTable(*out), PackedDibColorTable(*dib),
                static_cast<std::size_t>(sourceColours) * 4);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = PackedDibRow(*dib, y);
        std::uint8_t* pixel = PackedDibRow(*out, y);
        for (std::size_t j = 0; j < static_cast<std::size_t>(width); ++j) {
            switch (bits) {
                case 1:
                    pixel[j] = static_cast<std::uint8_t>((in[j / 8] >> (7 - j % 8)) & 1);
                    break;
                case 4:
                    pixel[j] = static_cast<std::uint8_t>(j % 2 == 0 ? in[j / 2] >> 4 : in[j / 2] & 0x0F);
                    break;
                default:
                    pixel[j] = in[j];
                    break;
            }
        }
    }
    return out;
}

}  // namespace

PackedDib NewPackedDibWithColors(std::uint32_t width, std::uint32_t height, int bits, std::uint32_t colours)
{
    const std::uint64_t imageBytes = DibRowBytes(width, bits) * height;
    const std::uint64_t total = kDibInfoHeaderSize + std::uint64_t{colours} * 4 + imageBytes;
    if (total > kMaxDibBytes)
        return nullptr;
    try {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(total));
        std::uint8_t* h = bytes.data();
        PutLe32(h, kDibInfoHeaderSize);
        PutLe32(h + 4, width);
        PutLe32(h + 8, height);
        PutLe16(h + 12, 1);
        PutLe16(h + 14, static_cast<std::uint16_t>(bits));
        PutLe32(h + 20, static_cast<std::uint32_t>(imageBytes));
        PutLe32(h + 32, colours);
        return std::make_shared<DibBlock>(std::move(bytes));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

PictureDepthAction ClassifyPictureDepth(const DibBlock& dib)
{
    if (PackedDibBitCount(dib) > 8)
        return PictureDepthAction::refuse;
    const int colours = PackedDibColorCount(dib);
    return colours >= 1 && colours <= 255 ? PictureDepthAction::expand : PictureDepthAction::keep;
}

PackedDib ExpandDibTo8Bit(const PackedDib& dib)
{
    const int colours = ColoursOfSource(dib, [](int bits) { return bits == 1 || bits == 4 || bits == 8; });
    return colours < 0 ? nullptr : ExpandTo8Bit(dib, colours, colours);
}

PackedDib WidenColorTable(const PackedDib& dib, int colours)
{
    const int sourceColours = ColoursOfSource(dib, [](int bits) { return bits == 8; });
    return sourceColours < 0 ? nullptr : ExpandTo8Bit(dib, sourceColours, std::max(colours, sourceColours));
}

PackedDib ReduceDibDepth(const PackedDib& dib, int bits)
{
    if (bits != 1 && bits != 4)
        return nullptr;
    const int sourceColours = ColoursOfSource(dib, [](int depth) { return depth == 8; });
    if (sourceColours < 0)
        return nullptr;
    // An image's bitmap usually carries 256 entries however few its table uses; a 1- or 4-bit
    // file claiming more colours than its pixels can name is refused by BMP readers.
    const int colours = std::min(sourceColours, 1 << bits);
    const int width = PackedDibWidth(*dib);
    const int height = PackedDibHeight(*dib);
    PackedDib out =
        NewPackedDibWithColors(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), bits,
                               static_cast<std::uint32_t>(colours));
    if (!out)
        return nullptr;
    std::memcpy(PackedDibColorTable(*out), PackedDibColorTable(*dib), static_cast<std::size_t>(colours) * 4);
    const auto mask = static_cast<std::uint8_t>((1 << bits) - 1);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = PackedDibRow(*dib, y);
        std::uint8_t* row = PackedDibRow(*out, y);  // zero-filled: partial bytes end in zero bits
        for (std::size_t j = 0; j < static_cast<std::size_t>(width); ++j) {
            const auto index = static_cast<std::uint8_t>(in[j] & mask);
            if (bits == 1)
                row[j / 8] = static_cast<std::uint8_t>(row[j / 8] | (index << (7 - j % 8)));
            else
                row[j / 2] = static_cast<std::uint8_t>(row[j / 2] | (j % 2 == 0 ? index << 4 : index));
        }
    }
    return out;
}

PackedDib PackedDibFromClipboard(std::span<const std::uint8_t> item, std::string& reason)
{
    ByteReader r(item);
    std::uint32_t headerSize = 0;
    if (!r.ReadDword(headerSize) || headerSize > item.size()) {
        reason = kMsgBadHeader;
        return nullptr;
    }
    if (headerSize == kDibCoreHeaderSize) {
        // Its bit count sits at offset 10; a deep one gets the message every deep picture gets.
        reason = item.size() >= 12 && (item[10] | (item[11] << 8)) > 8 ? kMsgNeed256Colors : kMsgCoreHeader;
        return nullptr;
    }
    // Longer headers (the version 4 and 5 forms) begin with the same 40 bytes; the colour table
    // follows the whole header.
    if (headerSize < kDibInfoHeaderSize) {
        reason = kMsgBadHeader;
        return nullptr;
    }
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0;
    std::uint32_t xPelsPerMeter = 0;
    std::uint32_t yPelsPerMeter = 0;
    std::uint32_t colorsUsed = 0;
    std::uint32_t colorsImportant = 0;
    // headerSize (at least 40) lies inside the item, so every field is there.
    r.ReadDword(width);
    r.ReadDword(height);
    r.ReadWord(planes);
    r.ReadWord(bitCount);
    r.ReadDword(compression);
    r.ReadDword(imageSize);
    r.ReadDword(xPelsPerMeter);
    r.ReadDword(yPelsPerMeter);
    r.ReadDword(colorsUsed);
    r.ReadDword(colorsImportant);

    if (bitCount > 8) {
        reason = kMsgNeed256Colors;
        return nullptr;
    }
    if (compression != 0) {
        reason = kMsgCompressed;
        return nullptr;
    }
    if (planes != 1 || (bitCount != 1 && bitCount != 4 && bitCount != 8) || colorsUsed > (1u << bitCount)) {
        reason = kMsgBadFormat;
        return nullptr;
    }
    // A negative height marks rows stored top row first; a negative width means nothing.
    const auto signedWidth = static_cast<std::int32_t>(width);
    const auto signedHeight = static_cast<std::int32_t>(height);
    if (signedWidth <= 0 || signedWidth > kMaxClipboardExtent || signedHeight == 0 ||
        signedHeight > kMaxClipboardExtent || signedHeight < -kMaxClipboardExtent) {
        reason = kMsgBadSize;
        return nullptr;
    }
    const bool topDown = signedHeight < 0;
    const auto rows = static_cast<std::uint32_t>(topDown ? -signedHeight : signedHeight);
    const std::uint32_t colours = colorsUsed != 0 ? colorsUsed : 1u << bitCount;
    const std::uint64_t tableEnd = std::uint64_t{headerSize} + std::uint64_t{colours} * 4;
    const std::uint64_t rowBytes = DibRowBytes(width, bitCount);
    if (tableEnd > item.size() || rowBytes * rows > item.size() - tableEnd) {
        reason = kMsgShort;
        return nullptr;
    }

    PackedDib dib = NewPackedDibWithColors(width, rows, bitCount, colours);
    if (!dib) {
        reason = kMsgNoMemory;
        return nullptr;
    }
    std::uint8_t* h = dib->data();
    PutLe32(h + 24, xPelsPerMeter);
    PutLe32(h + 28, yPelsPerMeter);
    PutLe32(h + 36, colorsImportant <= colours ? colorsImportant : 0);
    std::memcpy(PackedDibColorTable(*dib), item.data() + headerSize, static_cast<std::size_t>(colours) * 4);
    const std::uint8_t* source = item.data() + tableEnd;
    for (std::uint32_t i = 0; i < rows; ++i, source += rowBytes) {
        // Row i of the item is image row i from the top in a top-down bitmap, from the bottom
        // otherwise.
        const int y = topDown ? static_cast<int>(i) : static_cast<int>(rows - 1 - i);
        std::memcpy(PackedDibRow(*dib, y), source, static_cast<std::size_t>(rowBytes));
    }
    reason.clear();
    return dib;
}

}  // namespace korvanta
