#include "imaging/dib.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <vector>

#include "platform/byte_order.h"

namespace korvanta {

std::uint64_t DibRowBytes(std::uint64_t width, int bitCount)
{
    return (width * static_cast<std::uint64_t>(bitCount) + 31) / 32 * 4;
}

namespace {

// Offsets of the fields of the 40-byte information header.
constexpr std::size_t kInfoWidth = 4;
constexpr std::size_t kInfoHeight = 8;
constexpr std::size_t kInfoPlanes = 12;
constexpr std::size_t kInfoBitCount = 14;
constexpr std::size_t kInfoCompression = 16;
constexpr std::size_t kInfoColorsUsed = 32;
// Offsets of the fields of the 12-byte core header.
constexpr std::size_t kCoreWidth = 4;
constexpr std::size_t kCoreHeight = 6;
constexpr std::size_t kCoreBitCount = 10;

// PackedDibColorCount reports a 16-bit count; a colours-used field above it is inconsistent.
constexpr std::uint32_t kMaxColorCount = 0xFFFF;

bool IsInfoHeader(const DibBlock& dib)
{
    return PackedDibHeaderSize(dib) == kDibInfoHeaderSize;
}

bool IsSupportedBitCount(int bitCount)
{
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24;
}

bool IsDib24(const PackedDib& dib)
{
    return dib && PackedDibIsConsistent(*dib) && PackedDibBitCount(*dib) == 24;
}

// The extent of a half-open interval, without the overflow CRect::Width risks for far-apart edges.
std::int64_t Extent(int low, int high)
{
    return static_cast<std::int64_t>(high) - static_cast<std::int64_t>(low);
}

// The colour-table index of pixel x in a row of 1, 4 or 8 bits; pixels are packed from the most
// significant bit of each byte.
int PixelIndex(const std::uint8_t* row, int x, int bitCount)
{
    const auto column = static_cast<std::size_t>(x);
    switch (bitCount) {
        case 1:
            return (row[column >> 3] >> (7 - (column & 7))) & 1;
        case 4:
            return (row[column >> 1] >> ((column & 1) != 0 ? 0 : 4)) & 0x0F;
        default:
            return row[column];
    }
}

PackedDib MakePackedDib(int width, int height, int bitCount, bool clearRows)
{
    if (width < 0 || height < 0 || bitCount > 24)
        return nullptr;
    const int bits = bitCount <= 1 ? 1 : bitCount <= 4 ? 4 : bitCount <= 8 ? 8 : 24;
    const std::uint64_t colours = bits == 24 ? 0 : std::uint64_t{1} << bits;
    const std::uint64_t fixed = kDibInfoHeaderSize + colours * 4;
    // Width and height are below 2^31, so row bytes x height stays far below 2^64.
    const std::uint64_t total =
        fixed + DibRowBytes(static_cast<std::uint64_t>(width), bits) * static_cast<std::uint64_t>(height);
    if (total > kMaxDibBytes)
        return nullptr;
    try {
        auto dib = clearRows ? std::make_shared<DibBlock>(static_cast<std::size_t>(total))
                             : std::make_shared<DibBlock>(static_cast<std::size_t>(total),
                                                          DibBlock::Uninitialized{});
        std::uint8_t* bytes = dib->data();
        if (!clearRows)
            std::memset(bytes, 0, static_cast<std::size_t>(fixed));
        PutLe32(bytes, kDibInfoHeaderSize);
        PutLe32(bytes + kInfoWidth, static_cast<std::uint32_t>(width));
        PutLe32(bytes + kInfoHeight, static_cast<std::uint32_t>(height));
        PutLe16(bytes + kInfoPlanes, 1);
        PutLe16(bytes + kInfoBitCount, static_cast<std::uint16_t>(bits));
        return dib;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

PackedDib NewPackedDib(int width, int height, int bitCount)
{
    return MakePackedDib(width, height, bitCount, true);
}

PackedDib NewPackedDibUncleared(int width, int height, int bitCount)
{
    return MakePackedDib(width, height, bitCount, false);
}

int FreePackedDib(PackedDib& dib)
{
    dib.reset();
    return 0;
}

std::uint32_t PackedDibHeaderSize(const DibBlock& dib)
{
    return dib.size() < 4 ? 0 : GetLe32(dib.data());
}

int PackedDibWidth(const DibBlock& dib)
{
    return IsInfoHeader(dib) ? static_cast<std::int32_t>(GetLe32(dib.data() + kInfoWidth))
                             : GetLe16(dib.data() + kCoreWidth);
}

int PackedDibHeight(const DibBlock& dib)
{
    return IsInfoHeader(dib) ? static_cast<std::int32_t>(GetLe32(dib.data() + kInfoHeight))
                             : GetLe16(dib.data() + kCoreHeight);
}

int PackedDibBitCount(const DibBlock& dib)
{
    return GetLe16(dib.data() + (IsInfoHeader(dib) ? kInfoBitCount : kCoreBitCount));
}

int PackedDibColorCount(const DibBlock& dib)
{
    if (IsInfoHeader(dib)) {
        const std::uint32_t used = GetLe32(dib.data() + kInfoColorsUsed);
        if (used != 0)
            return static_cast<int>(std::min(used, kMaxColorCount));
    }
    switch (PackedDibBitCount(dib)) {
        case 1:
            return 2;
        case 4:
            return 16;
        case 8:
            return 256;
        default:
            return 0;
    }
}

int PackedDibColorTableSize(const DibBlock& dib)
{
    return PackedDibColorCount(dib) * (IsInfoHeader(dib) ? 4 : 3);
}

std::uint8_t* PackedDibColorTable(DibBlock& dib)
{
    return dib.data() + PackedDibHeaderSize(dib);
}

const std::uint8_t* PackedDibColorTable(const DibBlock& dib)
{
    return dib.data() + PackedDibHeaderSize(dib);
}

std::uint8_t* PackedDibBits(DibBlock& dib)
{
    return PackedDibColorTable(dib) + PackedDibColorTableSize(dib);
}

const std::uint8_t* PackedDibBits(const DibBlock& dib)
{
    return PackedDibColorTable(dib) + PackedDibColorTableSize(dib);
}

std::size_t PackedDibRowBytes(const DibBlock& dib)
{
    const int width = PackedDibWidth(dib);
    if (width <= 0)
        return 0;
    return static_cast<std::size_t>(DibRowBytes(static_cast<std::uint64_t>(width), PackedDibBitCount(dib)));
}

std::uint8_t* PackedDibRow(DibBlock& dib, int y)
{
    const auto fromBottom = static_cast<std::size_t>(PackedDibHeight(dib) - 1 - y);
    return PackedDibBits(dib) + fromBottom * PackedDibRowBytes(dib);
}

const std::uint8_t* PackedDibRow(const DibBlock& dib, int y)
{
    const auto fromBottom = static_cast<std::size_t>(PackedDibHeight(dib) - 1 - y);
    return PackedDibBits(dib) + fromBottom * PackedDibRowBytes(dib);
}

bool PackedDibIsConsistent(const DibBlock& dib)
{
    const std::uint32_t headerSize = PackedDibHeaderSize(dib);
    if (headerSize != kDibInfoHeaderSize && headerSize != kDibCoreHeaderSize)
        return false;
    if (dib.size() < headerSize)
        return false;
    if (PackedDibWidth(dib) < 0 || PackedDibHeight(dib) < 0 || !IsSupportedBitCount(PackedDibBitCount(dib)))
        return false;
    if (headerSize == kDibInfoHeaderSize) {
        // Compressed rows cannot be addressed row by row.
        if (GetLe32(dib.data() + kInfoCompression) != 0 ||
            GetLe32(dib.data() + kInfoColorsUsed) > kMaxColorCount)
            return false;
    }
    const std::uint64_t fixed =
        std::uint64_t{headerSize} + static_cast<std::uint64_t>(PackedDibColorTableSize(dib));
    if (fixed > dib.size())
        return false;
    const auto height = static_cast<std::uint64_t>(PackedDibHeight(dib));
    return height == 0 || PackedDibRowBytes(dib) <= (dib.size() - fixed) / height;
}

HPALETTE PaletteFromPackedDib(const PackedDib& dib)
{
    if (!dib || !PackedDibIsConsistent(*dib))
        return nullptr;
    const int count = PackedDibColorCount(*dib);
    if (count == 0 || count > CPalette::kMaxEntries)
        return nullptr;
    const std::size_t stride = IsInfoHeader(*dib) ? 4 : 3;
    const std::uint8_t* table = PackedDibColorTable(*dib);
    try {
        std::vector<PALETTEENTRY> entries(static_cast<std::size_t>(count));
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const std::uint8_t* bgr = table + i * stride;
            entries[i] = PALETTEENTRY{bgr[2], bgr[1], bgr[0], 0};
        }
        return CPalette::Create(entries);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

int DrawPackedDib(RgbImage& target, const CRect& destination, const PackedDib& dib, const CRect& source)
{
    if (!dib || !PackedDibIsConsistent(*dib))
        return 0;
    const DibBlock& block = *dib;
    const std::int64_t destinationWidth = Extent(destination.left, destination.right);
    const std::int64_t destinationHeight = Extent(destination.top, destination.bottom);
    const std::int64_t sourceWidth = Extent(source.left, source.right);
    const std::int64_t sourceHeight = Extent(source.top, source.bottom);
    if (destinationWidth <= 0 || destinationHeight <= 0 || sourceWidth <= 0 || sourceHeight <= 0)
        return 0;
    if (target.width <= 0 || target.height <= 0 ||
        target.pixels.size() / 3 / static_cast<std::size_t>(target.width) <
            static_cast<std::size_t>(target.height))
        return 0;

    const int left = std::max(destination.left, 0);
    const int right = std::min(destination.right, target.width);
    const int top = std::max(destination.top, 0);
    const int bottom = std::min(destination.bottom, target.height);
    if (left >= right || top >= bottom)
        return 0;

    const int width = PackedDibWidth(block);
    const int height = PackedDibHeight(block);
    const int bitCount = PackedDibBitCount(block);

    // Red, green, blue of every index a pixel can hold; indices beyond the table stay black.
    std::array<std::array<std::uint8_t, 3>, 256> colours{};
    if (bitCount != 24) {
        const std::size_t stride = IsInfoHeader(block) ? 4 : 3;
        const std::uint8_t* table = PackedDibColorTable(block);
        const int count = std::min(PackedDibColorCount(block), 256);
        for (int i = 0; i < count; ++i) {
            const std::uint8_t* bgr = table + static_cast<std::size_t>(i) * stride;
            colours[static_cast<std::size_t>(i)] = {bgr[2], bgr[1], bgr[0]};
        }
    }

    // Nearest source pixel of a destination offset: offset x source extent / destination extent,
    // rounded down. Both factors are below 2^32, so the product fits 64 unsigned bits.
    const auto sourceOffset = [](std::int64_t offset, std::int64_t sourceExtent,
                                 std::int64_t destinationExtent) {
        return static_cast<std::int64_t>(static_cast<std::uint64_t>(offset) *
                                         static_cast<std::uint64_t>(sourceExtent) /
                                         static_cast<std::uint64_t>(destinationExtent));
    };
    // The bitmap column each painted target column takes, -1 where it falls outside the bitmap.
    std::vector<int> columns;
    columns.reserve(static_cast<std::size_t>(right - left));
    for (int x = left; x < right; ++x) {
        const std::int64_t sx =
            source.left + sourceOffset(Extent(destination.left, x), sourceWidth, destinationWidth);
        columns.push_back(sx >= 0 && sx < width ? static_cast<int>(sx) : -1);
    }
    if (std::all_of(columns.begin(), columns.end(), [](int column) { return column < 0; }))
        return 0;

    int rowsDrawn = 0;
    for (int y = top; y < bottom; ++y) {
        const std::int64_t sy =
            source.top + sourceOffset(Extent(destination.top, y), sourceHeight, destinationHeight);
        if (sy < 0 || sy >= height)
            continue;
        const std::uint8_t* row = PackedDibRow(block, static_cast<int>(sy));
        std::uint8_t* out = target.Pixel(left, y);
        for (const int sx : columns) {
            if (sx >= 0) {
                if (bitCount == 24) {
                    const std::uint8_t* bgr = row + static_cast<std::size_t>(sx) * 3;
                    out[0] = bgr[2];
                    out[1] = bgr[1];
                    out[2] = bgr[0];
                } else {
                    const auto& rgb = colours[static_cast<std::size_t>(PixelIndex(row, sx, bitCount))];
                    std::copy(rgb.begin(), rgb.end(), out);
                }
            }
            out += 3;
        }
        ++rowsDrawn;
    }
    return rowsDrawn;
}

void CopyDib24(const PackedDib& source, const PackedDib& destination, int x, int y)
{
    if (!IsDib24(source) || !IsDib24(destination))
        return;
    // Copying a bitmap onto itself reads rows it has already overwritten; work from a copy.
    PackedDib from = source;
    if (source == destination) {
        try {
            from = std::make_shared<DibBlock>(source->bytes());
        } catch (const std::bad_alloc&) {
            return;
        }
    }
    const std::int64_t left = std::max<std::int64_t>(x, 0);
    const std::int64_t top = std::max<std::int64_t>(y, 0);
    const std::int64_t right =
        std::min<std::int64_t>(std::int64_t{x} + PackedDibWidth(*from), PackedDibWidth(*destination));
    const std::int64_t bottom =
        std::min<std::int64_t>(std::int64_t{y} + PackedDibHeight(*from), PackedDibHeight(*destination));
    if (left >= right || top >= bottom)
        return;
    const auto bytes = static_cast<std::size_t>(right - left) * 3;
    for (std::int64_t row = top; row < bottom; ++row) {
        const std::uint8_t* in =
            PackedDibRow(*from, static_cast<int>(row - y)) + static_cast<std::size_t>(left - x) * 3;
        std::uint8_t* out =
            PackedDibRow(*destination, static_cast<int>(row)) + static_cast<std::size_t>(left) * 3;
        std::memcpy(out, in, bytes);
    }
}

void FillDib24Rect(const PackedDib& dib, const CRect& rect, COLORREF24 colour)
{
    if (!IsDib24(dib))
        return;
    const CRect area = CRect::Intersect(rect, CRect{0, 0, PackedDibWidth(*dib), PackedDibHeight(*dib)});
    if (area.IsRectEmpty())
        return;
    const auto blue = static_cast<std::uint8_t>(colour);
    const auto green = static_cast<std::uint8_t>(colour >> 8);
    const auto red = static_cast<std::uint8_t>(colour >> 16);
    for (int y = area.top; y < area.bottom; ++y) {
        std::uint8_t* p = PackedDibRow(*dib, y) + static_cast<std::size_t>(area.left) * 3;
        for (int x = area.left; x < area.right; ++x) {
            *p++ = blue;
            *p++ = green;
            *p++ = red;
        }
    }
}

}  // namespace korvanta
