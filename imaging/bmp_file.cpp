#include "imaging/bmp_file.h"

#include <array>
#include <cstdint>
#include <limits>
#include <new>
#include <vector>

#include "imaging/dib.h"
#include "platform/byte_order.h"
#include "platform/byte_reader.h"
#include "platform/exceptions.h"

namespace korvanta {

namespace {

constexpr std::uint16_t kBmpMagic = 0x4D42;  // "BM" read as a little-endian word
constexpr std::size_t kFileHeaderSize = 14;
// Offsets of the fields of the 40-byte information header that the reader and writer set.
constexpr std::size_t kInfoImageSize = 20;
// The largest width and height accepted from a file. Larger sizes are not pictures anybody
// inserts into a GIF, and the bound keeps every size product far from overflow.
constexpr std::int32_t kMaxBmpExtent = 32767;

// Reads count bytes; false when the file ends before.
bool ReadExactly(CFile& file, std::uint8_t* buffer, std::uint64_t count)
{
    while (count > 0) {
        const std::size_t got = file.Read(buffer, static_cast<std::size_t>(count));
        if (got == 0)
            return false;
        buffer += got;
        count -= got;
    }
    return true;
}

// The fields of a BMP file's headers, as read, before any of them is trusted.
struct BmpHeaders {
    std::uint16_t magic = 0;
    std::uint32_t bitmapOffset = 0;
    std::uint32_t headerSize = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t xPelsPerMeter = 0;
    std::uint32_t yPelsPerMeter = 0;
    std::uint32_t colorsUsed = 0;
    std::uint32_t colorsImportant = 0;
};

// The file header and the first 40 bytes of the information header; false when they are not
// all there. A core header (12 bytes) file may be shorter than that, but it is refused anyway.
bool ReadHeaders(CFile& file, BmpHeaders& h)
{
    std::array<std::uint8_t, kFileHeaderSize + kDibInfoHeaderSize> bytes{};
    if (!ReadExactly(file, bytes.data(), bytes.size()))
        return false;
    ByteReader r(bytes);
    std::uint32_t fileSize = 0;  // often wrong in files from the wild; the real length counts
    std::uint32_t reserved = 0;
    std::uint32_t imageSize = 0;  // recomputed from width, height and bit count
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    const bool complete = r.ReadWord(h.magic) && r.ReadDword(fileSize) && r.ReadDword(reserved) &&
                          r.ReadDword(h.bitmapOffset) && r.ReadDword(h.headerSize) && r.ReadDword(width) &&
                          r.ReadDword(height) && r.ReadWord(h.planes) && r.ReadWord(h.bitCount) &&
                          r.ReadDword(h.compression) && r.ReadDword(imageSize) &&
                          r.ReadDword(h.xPelsPerMeter) && r.ReadDword(h.yPelsPerMeter) &&
                          r.ReadDword(h.colorsUsed) && r.ReadDword(h.colorsImportant);
    h.width = static_cast<std::int32_t>(width);
    h.height = static_cast<std::int32_t>(height);
    return complete;
}

// Where a bitmap's colour table and pixel rows lie, counted from its first byte.
struct BmpLayout {
    std::uint64_t tableStart = 0;
    std::uint64_t tableBytes = 0;
    std::uint64_t pixelStart = 0;
    std::uint64_t rowBytes = 0;
    std::uint64_t rows = 0;
};

// The layout the headers describe, with maskBytes of colour masks behind the information header
// and a table of `colours` entries; false when the file's available bytes do not hold all of it.
bool LocateBmpData(const BmpHeaders& h, std::uint64_t available, std::uint64_t maskBytes,
                   std::uint32_t colours, BmpLayout& out)
{
    out.tableStart = kFileHeaderSize + std::uint64_t{h.headerSize} + maskBytes;
    out.tableBytes = std::uint64_t{colours} * 4;
    if (out.tableStart + out.tableBytes > available)
        return false;
    // An offset into the headers or the colour table would read them as pixels.
    if (h.bitmapOffset != 0 && h.bitmapOffset < out.tableStart + out.tableBytes)
        return false;
    out.pixelStart = h.bitmapOffset != 0 ? h.bitmapOffset : out.tableStart + out.tableBytes;
    // A negative height marks rows stored top row first.
    out.rows = static_cast<std::uint64_t>(h.height < 0 ? -std::int64_t{h.height} : h.height);
    out.rowBytes = (static_cast<std::uint64_t>(h.width) * h.bitCount + 31) / 32 * 4;
    // Nothing is allocated for rows the file does not hold. Divided, since sizes a deep bitmap
    // may claim can overflow the product.
    return out.rows != 0 && out.pixelStart <= available &&
           out.rowBytes <= (available - out.pixelStart) / out.rows;
}

PackedDib ReadBmp(CFile& file)
{
    // Offsets in the file header count from the BMP's first byte, which need not be the file's.
    const std::uint64_t start = file.GetPosition();
    const std::uint64_t length = file.GetLength();
    if (length < start)
        return nullptr;
    const std::uint64_t available = length - start;
    if (available < kFileHeaderSize + kDibInfoHeaderSize)
        return nullptr;

    BmpHeaders h;
    if (!ReadHeaders(file, h) || h.magic != kBmpMagic)
        return nullptr;
    // Core headers (12 bytes) and the short OS/2 variants lay their fields out differently.
    if (h.headerSize < kDibInfoHeaderSize || h.headerSize > available - kFileHeaderSize)
        return nullptr;
    if (h.planes != 1 || (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 24))
        return nullptr;
    if (h.compression != 0)
        return nullptr;
    // A negative width means nothing.
    if (h.width <= 0 || h.width > kMaxBmpExtent || h.height == 0 || h.height > kMaxBmpExtent ||
        h.height < -kMaxBmpExtent)
        return nullptr;
    const std::uint32_t maxColours = h.bitCount == 24 ? 256u : 1u << h.bitCount;
    if (h.colorsUsed > maxColours)
        return nullptr;
    const std::uint32_t colours = h.colorsUsed != 0 ? h.colorsUsed : h.bitCount == 24 ? 0 : maxColours;

    BmpLayout at;
    if (!LocateBmpData(h, available, 0, colours, at))
        return nullptr;
    const std::uint64_t pixelBytes = at.rowBytes * at.rows;
    const std::uint64_t total = kDibInfoHeaderSize + at.tableBytes + pixelBytes;
    if (total > kMaxDibBytes)
        return nullptr;

    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(total));
    std::uint8_t* header = bytes.data();
    PutLe32(header, kDibInfoHeaderSize);
    PutLe32(header + 4, static_cast<std::uint32_t>(h.width));
    PutLe32(header + 8, static_cast<std::uint32_t>(at.rows));
    PutLe16(header + 12, 1);
    PutLe16(header + 14, h.bitCount);
    PutLe32(header + 16, 0);
    PutLe32(header + kInfoImageSize, static_cast<std::uint32_t>(pixelBytes));
    PutLe32(header + 24, h.xPelsPerMeter);
    PutLe32(header + 28, h.yPelsPerMeter);
    PutLe32(header + 32, colours);
    PutLe32(header + 36, h.colorsImportant <= colours ? h.colorsImportant : 0);

    // The colour table follows the whole information header, however long it is.
    file.Seek(start + at.tableStart);
    if (!ReadExactly(file, header + kDibInfoHeaderSize, at.tableBytes))
        return nullptr;
    auto dib = std::make_shared<DibBlock>(std::move(bytes));
    file.Seek(start + at.pixelStart);
    if (h.height > 0)
        return ReadExactly(file, PackedDibBits(*dib), pixelBytes) ? dib : nullptr;
    for (std::uint64_t y = 0; y < at.rows; ++y) {
        if (!ReadExactly(file, PackedDibRow(*dib, static_cast<int>(y)), at.rowBytes))
            return nullptr;
    }
    return dib;
}

// Bit fields name the bits of a pixel that hold red, green and blue: each must name some bit
// within the pixel, and no bit may belong to two colours.
bool MasksAreSound(CFile& file, std::uint64_t start, std::uint16_t bitCount)
{
    std::array<std::uint8_t, 12> bytes{};
    file.Seek(start + kFileHeaderSize + kDibInfoHeaderSize);
    if (!ReadExactly(file, bytes.data(), bytes.size()))
        return false;
    const std::uint64_t pixelBits = bitCount == 32 ? 0xFFFFFFFFu : (1u << bitCount) - 1;
    std::uint32_t seen = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 4) {
        const std::uint32_t mask = GetLe32(bytes.data() + i);
        if (mask == 0 || (mask & ~pixelBits) != 0 || (mask & seen) != 0)
            return false;
        seen |= mask;
    }
    return true;
}

// A sound bitmap of more than 8 bits per pixel, which no image block can take: 16, 24, 32 or 64
// bits, uncompressed or (16 and 32 bits) with bit fields, every table entry and pixel row in the
// file. Its size and colour count are not held to the reader's limits.
bool IsDeepBmp(CFile& file, std::uint64_t start)
{
    const std::uint64_t length = file.GetLength();
    if (length < start || length - start < kFileHeaderSize + kDibInfoHeaderSize)
        return false;
    const std::uint64_t available = length - start;
    file.Seek(start);
    BmpHeaders h;
    if (!ReadHeaders(file, h) || h.magic != kBmpMagic || h.headerSize < kDibInfoHeaderSize ||
        h.headerSize > available - kFileHeaderSize || h.planes != 1)
        return false;
    if (h.bitCount != 16 && h.bitCount != 24 && h.bitCount != 32 && h.bitCount != 64)
        return false;
    if (h.width <= 0 || h.height == 0 || h.height == INT32_MIN)
        return false;
    // Bit fields (3) and bit fields with alpha (6) put 12 or 16 bytes of masks behind a 40-byte
    // header; longer headers hold them.
    const bool bitFields = h.compression == 3 || h.compression == 6;
    if (h.compression != 0 && !(bitFields && (h.bitCount == 16 || h.bitCount == 32)))
        return false;
    std::uint64_t maskBytes = 0;
    if (h.compression == 3 && h.headerSize < 52)
        maskBytes = 12;
    else if (h.compression == 6 && h.headerSize < 56)
        maskBytes = 16;
    BmpLayout at;
    return LocateBmpData(h, available, maskBytes, h.colorsUsed, at) &&
           (!bitFields || MasksAreSound(file, start, h.bitCount));
}

constexpr std::array<const char*, 22> kDibErrorTexts = {
    "Not a Windows DIB file!",
    "Couldn't allocate memory!",
    "Error reading file!",
    "Error locking memory!",
    "Error opening file!",
    "Error creating palette!",
    "Error getting a DC!",
    "Error creating Device Dependent Bitmap",
    "StretchBlt() failed!",
    "StretchDIBits() failed!",
    "SetDIBitsToDevice() failed!",
    "Printer: StartDoc failed!",
    "Printing: GetModuleHandle() couldn't find GDI!",
    "Printer: SetAbortProc failed!",
    "Printer: StartPage failed!",
    "Printer: NEWFRAME failed!",
    "Printer: EndPage failed!",
    "Printer: EndDoc failed!",
    "SetDIBits() failed!",
    "File Not Found!",
    "Invalid Handle",
    "General Error on call to DIB function",
};

}  // namespace

PackedDib LoadBmpFile(const std::string& path, MessageService& messages, BmpReadFailure* failure)
{
    try {
        CFile file(path, CFile::modeRead);
        return ReadBmpStream(file, failure);
    } catch (const CFileException&) {
        if (failure != nullptr)
            *failure = BmpReadFailure::invalid;
        ShowDibError(messages, kDibErrorNotFound);
        return nullptr;
    }
}

PackedDib ReadBmpStream(CFile& file, BmpReadFailure* failure)
{
    PackedDib dib;
    BmpReadFailure why = BmpReadFailure::invalid;
    try {
        const std::uint64_t start = file.GetPosition();
        dib = ReadBmp(file);
        if (!dib && IsDeepBmp(file, start))
            why = BmpReadFailure::tooDeep;
    } catch (const CException&) {
        dib = nullptr;
    } catch (const std::bad_alloc&) {
        dib = nullptr;
    }
    if (failure != nullptr)
        *failure = dib ? BmpReadFailure::none : why;
    return dib;
}

int SaveBmpFile(const PackedDib& dib, const std::string& path)
{
    if (!dib)
        return kDibErrorBadHandle;
    DibBlock& block = *dib;
    if (PackedDibHeaderSize(block) != kDibInfoHeaderSize || !PackedDibIsConsistent(block))
        return kDibErrorGeneral;
    const auto tableBytes = static_cast<std::uint64_t>(PackedDibColorTableSize(block));
    const std::uint64_t pixelBytes =
        std::uint64_t{PackedDibRowBytes(block)} * static_cast<std::uint64_t>(PackedDibHeight(block));
    const std::uint64_t dataSize = kDibInfoHeaderSize + tableBytes + pixelBytes;
    if (kFileHeaderSize + dataSize > std::numeric_limits<std::uint32_t>::max())
        return kDibErrorGeneral;
    // An uncompressed bitmap's image size is always the computed one, in the file and in memory.
    PutLe32(block.data() + kInfoImageSize, static_cast<std::uint32_t>(pixelBytes));

    std::array<std::uint8_t, kFileHeaderSize> fileHeader{};
    PutLe16(fileHeader.data(), kBmpMagic);
    PutLe32(fileHeader.data() + 2, static_cast<std::uint32_t>(kFileHeaderSize + dataSize));
    PutLe32(fileHeader.data() + 10,
            static_cast<std::uint32_t>(kFileHeaderSize + kDibInfoHeaderSize + tableBytes));
    try {
        CAtomicFile file(path);
        file.Write(fileHeader.data(), fileHeader.size());
        file.Write(block.data(), static_cast<std::size_t>(dataSize));
        file.Commit();
    } catch (const CException&) {
        return kDibErrorOpen;
    } catch (const std::bad_alloc&) {
        return kDibErrorOpen;
    }
    return 0;
}

std::string DibErrorText(int n)
{
    if (n < 0 || n >= static_cast<int>(kDibErrorTexts.size()))
        return "Undefined Error!";
    return kDibErrorTexts[static_cast<std::size_t>(n)];
}

void ShowDibError(MessageService& messages, int n)
{
    messages.MessageBox(DibErrorText(n), MB_OK | MB_ICONHAND);
}

}  // namespace korvanta
