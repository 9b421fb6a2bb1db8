#include "imaging/bmp_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <set>
#include <tuple>
#include <vector>

#include "imaging/dib.h"

namespace korvanta {
namespace {

namespace fs = std::filesystem;

// The fields of a BMP file as the tests write them; a test changes one and serialises.
struct BmpFields {
    std::string magic = "BM";
    std::uint32_t fileSize = 0;            // 0: the real size
    std::int64_t bitmapOffset = -1;        // -1: just behind the colour table
    std::uint32_t headerSize = 40;         // bytes past the 40 fields are filled with 0xCC
    std::int64_t headerBytesWritten = -1;  // -1: the header size, at least 40
    std::int32_t width = 3;
    std::int32_t height = 2;
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 8;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 8;
    std::uint32_t xPelsPerMeter = 2835;
    std::uint32_t yPelsPerMeter = 1417;
    std::uint32_t colorsUsed = 4;
    std::uint32_t colorsImportant = 3;
    std::vector<std::uint8_t> table = {
        0x00, 0x00, 0x00, 0,  // black
        0xFF, 0x00, 0x00, 0,  // blue
        0x00, 0xFF, 0x00, 0,  // green
        0x00, 0x00, 0xFF, 0,  // red
    };
    std::vector<std::uint8_t> gap;  // between colour table and pixels
    std::vector<std::uint8_t> pixels = {
        3, 2, 1, 0,  // bottom row, one byte of padding
        0, 1, 2, 0,  // top row
    };
};

void Append16(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Append32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> Serialise(const BmpFields& f)
{
    const std::size_t headerBytes = f.headerBytesWritten >= 0 ? static_cast<std::size_t>(f.headerBytesWritten)
                                                              : std::max<std::size_t>(f.headerSize, 40);
    const std::size_t pixelStart = 14 + headerBytes + f.table.size() + f.gap.size();
    std::vector<std::uint8_t> out(f.magic.begin(), f.magic.end());
    Append32(out, f.fileSize != 0 ? f.fileSize : static_cast<std::uint32_t>(pixelStart + f.pixels.size()));
    Append32(out, 0);  // reserved
    Append32(out,
             static_cast<std::uint32_t>(f.bitmapOffset >= 0 ? f.bitmapOffset : std::int64_t(pixelStart)));
    Append32(out, f.headerSize);
    Append32(out, static_cast<std::uint32_t>(f.width));
    Append32(out, static_cast<std::uint32_t>(f.height));
    Append16(out, f.planes);
    Append16(out, f.bitCount);
    Append32(out, f.compression);
    Append32(out, f.imageSize);
    Append32(out, f.xPelsPerMeter);
    Append32(out, f.yPelsPerMeter);
    Append32(out, f.colorsUsed);
    Append32(out, f.colorsImportant);
    out.resize(14 + headerBytes, 0xCC);
    out.insert(out.end(), f.table.begin(), f.table.end());
    out.insert(out.end(), f.gap.begin(), f.gap.end());
    out.insert(out.end(), f.pixels.begin(), f.pixels.end());
    return out;
}

PackedDib Read(const std::vector<std::uint8_t>& bytes)
{
    CMemFile file(bytes);
    return ReadBmpStream(file);
}

std::uint32_t U32At(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::vector<std::uint8_t> Range(const std::uint8_t* begin, std::size_t count)
{
    return std::vector<std::uint8_t>(begin, begin + count);
}

std::vector<std::uint8_t> Row(const PackedDib& dib, int y)
{
    return Range(PackedDibRow(*dib, y), PackedDibRowBytes(*dib));
}

std::vector<std::uint8_t> FileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class RecordingMessages final : public MessageService {
public:
    int MessageBox(const std::string& text, unsigned type) override
    {
        shown.emplace_back(text, type);
        return IDOK;
    }
    std::vector<std::pair<std::string, unsigned>> shown;
};

// A directory of its own for each test, removed afterwards.
class BmpFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() /
                (std::string("korvanta-bmp-") + info->name() + "-" + std::to_string(std::random_device{}()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path m_dir;
};

TEST(ReadBmpStream, ReadsEightBitFileIntoNormalisedDib)
{
    const BmpFields f;
    PackedDib dib = Read(Serialise(f));
    ASSERT_TRUE(dib);
    ASSERT_TRUE(PackedDibIsConsistent(*dib));
    EXPECT_EQ(dib->size(), 40u + 16u + 8u);
    const std::uint8_t* h = dib->data();
    EXPECT_EQ(U32At(h), 40u);
    EXPECT_EQ(PackedDibWidth(*dib), 3);
    EXPECT_EQ(PackedDibHeight(*dib), 2);
    EXPECT_EQ(PackedDibBitCount(*dib), 8);
    EXPECT_EQ(U32At(h + 16), 0u);     // compression
    EXPECT_EQ(U32At(h + 20), 8u);     // image size
    EXPECT_EQ(U32At(h + 24), 2835u);  // resolution
    EXPECT_EQ(U32At(h + 28), 1417u);
    EXPECT_EQ(U32At(h + 32), 4u);  // colours used
    EXPECT_EQ(U32At(h + 36), 3u);  // colours important
    EXPECT_EQ(Range(PackedDibColorTable(*dib), 16), f.table);
    EXPECT_EQ(Row(dib, 0), (std::vector<std::uint8_t>{0, 1, 2, 0}));
    EXPECT_EQ(Row(dib, 1), (std::vector<std::uint8_t>{3, 2, 1, 0}));
}

TEST(ReadBmpStream, FillsInColourCountAndRecomputesImageSize)
{
    BmpFields eight;
    eight.colorsUsed = 0;
    eight.imageSize = 0xFFFFFFF0;  // never trusted
    eight.table.resize(256 * 4, 0x40);
    PackedDib dib = Read(Serialise(eight));
    ASSERT_TRUE(dib);
    EXPECT_EQ(PackedDibColorCount(*dib), 256);
    EXPECT_EQ(U32At(dib->data() + 32), 256u);
    EXPECT_EQ(U32At(dib->data() + 20), 8u);

    BmpFields rgb;
    rgb.bitCount = 24;
    rgb.width = 2;
    rgb.colorsUsed = 0;
    rgb.colorsImportant = 0;
    rgb.imageSize = 0;
    rgb.table.clear();
    rgb.pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    dib = Read(Serialise(rgb));
    ASSERT_TRUE(dib);
    EXPECT_EQ(PackedDibColorCount(*dib), 0);
    EXPECT_EQ(U32At(dib->data() + 32), 0u);
    EXPECT_EQ(U32At(dib->data() + 20), 16u);
    EXPECT_EQ(Row(dib, 0), (std::vector<std::uint8_t>{7, 8, 9, 10, 11, 12, 0, 0}));
    EXPECT_FALSE(PaletteFromPackedDib(dib));
}

TEST(ReadBmpStream, FlipsTopDownRowsIntoBottomUpLayout)
{
    BmpFields f;
    f.height = -2;
    PackedDib dib = Read(Serialise(f));
    ASSERT_TRUE(dib);
    EXPECT_EQ(PackedDibHeight(*dib), 2);
    EXPECT_EQ(Row(dib, 0), (std::vector<std::uint8_t>{3, 2, 1, 0}));  // the file's first row is the top
    EXPECT_EQ(Row(dib, 1), (std::vector<std::uint8_t>{0, 1, 2, 0}));
}

TEST(ReadBmpStream, ReadsColourTableBehindALongerHeader)
{
    BmpFields f;
    f.headerSize = 108;
    PackedDib dib = Read(Serialise(f));
    ASSERT_TRUE(dib);
    EXPECT_EQ(PackedDibHeaderSize(*dib), 40u);
    EXPECT_EQ(dib->size(), 40u + 16u + 8u);
    EXPECT_EQ(Range(PackedDibColorTable(*dib), 16), f.table);
    EXPECT_EQ(Row(dib, 0), (std::vector<std::uint8_t>{0, 1, 2, 0}));
}

TEST(ReadBmpStream, TakesPixelsFromTheBitmapOffset)
{
    BmpFields gap;
    gap.gap = {9, 9, 9, 9, 9, 9};
    PackedDib dib = Read(Serialise(gap));
    ASSERT_TRUE(dib);
    EXPECT_EQ(Row(dib, 1), (std::vector<std::uint8_t>{3, 2, 1, 0}));

    BmpFields zero;
    zero.bitmapOffset = 0;  // pixels right behind the colour table
    dib = Read(Serialise(zero));
    ASSERT_TRUE(dib);
    EXPECT_EQ(Row(dib, 1), (std::vector<std::uint8_t>{3, 2, 1, 0}));
}

TEST(ReadBmpStream, CountsOffsetsFromWhereTheBitmapStarts)
{
    std::vector<std::uint8_t> bytes = {0xAA, 0xBB, 0xCC};
    const auto bmp = Serialise(BmpFields{});
    bytes.insert(bytes.end(), bmp.begin(), bmp.end());
    CMemFile file(bytes);
    file.Seek(3);
    PackedDib dib = ReadBmpStream(file);
    ASSERT_TRUE(dib);
    EXPECT_EQ(Row(dib, 0), (std::vector<std::uint8_t>{0, 1, 2, 0}));
}

TEST(ReadBmpStream, RefusesFieldsItCannotVouchFor)
{
    const std::vector<std::pair<const char*, std::function<void(BmpFields&)>>> cases = {
        {"not BM", [](BmpFields& f) { f.magic = "BA"; }},
        {"header size 39", [](BmpFields& f) { f.headerSize = 39; }},
        {"header size 16 (short OS/2)", [](BmpFields& f) { f.headerSize = 16; }},
        {"header size beyond the file",
         [](BmpFields& f) {
             f.headerSize = 5000;
             f.headerBytesWritten = 40;
         }},
        {"planes 2", [](BmpFields& f) { f.planes = 2; }},
        {"bit count 0", [](BmpFields& f) { f.bitCount = 0; }},
        {"bit count 2", [](BmpFields& f) { f.bitCount = 2; }},
        {"bit count 16", [](BmpFields& f) { f.bitCount = 16; }},
        {"bit count 32", [](BmpFields& f) { f.bitCount = 32; }},
        {"compression 1 (RLE8)", [](BmpFields& f) { f.compression = 1; }},
        {"compression 2 (RLE4)", [](BmpFields& f) { f.compression = 2; }},
        {"compression 3 (bit fields)", [](BmpFields& f) { f.compression = 3; }},
        {"width 0", [](BmpFields& f) { f.width = 0; }},
        {"width -3", [](BmpFields& f) { f.width = -3; }},
        {"width 32768", [](BmpFields& f) { f.width = 32768; }},
        {"height 0", [](BmpFields& f) { f.height = 0; }},
        {"height 32768", [](BmpFields& f) { f.height = 32768; }},
        {"height -32768", [](BmpFields& f) { f.height = -32768; }},
        {"height INT_MIN", [](BmpFields& f) { f.height = INT32_MIN; }},
        {"8 bits, 257 colours",
         [](BmpFields& f) {
             f.colorsUsed = 257;
             f.table.resize(257 * 4);
         }},
        {"1 bit, 3 colours",
         [](BmpFields& f) {
             f.bitCount = 1;
             f.colorsUsed = 3;
             f.table.resize(12);
         }},
        {"4 bits, 17 colours",
         [](BmpFields& f) {
             f.bitCount = 4;
             f.colorsUsed = 17;
             f.table.resize(68);
         }},
        {"24 bits, 257 colours",
         [](BmpFields& f) {
             f.bitCount = 24;
             f.colorsUsed = 257;
             f.table.resize(257 * 4);
             f.pixels.resize(24);
         }},
        {"colour count beyond the file", [](BmpFields& f) { f.colorsUsed = 200; }},
        {"8 bits, no count, short table", [](BmpFields& f) { f.colorsUsed = 0; }},
        {"offset into the colour table", [](BmpFields& f) { f.bitmapOffset = 14 + 40 + 8; }},
        {"offset into the header", [](BmpFields& f) { f.bitmapOffset = 2; }},
        {"offset beyond the file", [](BmpFields& f) { f.bitmapOffset = 0x7FFFFFFF; }},
        {"offset leaves a row short", [](BmpFields& f) { f.bitmapOffset = 14 + 40 + 16 + 1; }},
        {"pixels one byte short", [](BmpFields& f) { f.pixels.pop_back(); }},
        {"more rows than the file holds", [](BmpFields& f) { f.height = 3; }},
        {"wider than the file holds", [](BmpFields& f) { f.width = 5; }},
        {"huge picture in a small file",
         [](BmpFields& f) {
             f.width = 32767;
             f.height = -32767;
         }},
    };
    ASSERT_TRUE(Read(Serialise(BmpFields{})));
    for (const auto& [name, mutate] : cases) {
        BmpFields f;
        mutate(f);
        EXPECT_FALSE(Read(Serialise(f))) << name;
    }
}

// A sound picture of more than 8 bits gets the refusal every deeper picture gets; a broken
// file, deep or not, is no bitmap at all.
TEST(ReadBmpStream, TellsSoundDeepBitmapsFromBrokenFiles)
{
    const auto deep = [](std::uint16_t bits, std::uint32_t compression = 0,
                         std::vector<std::uint8_t> masks = {}) {
        BmpFields f;
        f.bitCount = bits;
        f.compression = compression;
        f.colorsUsed = 0;
        f.colorsImportant = 0;
        f.table = std::move(masks);
        f.pixels.assign((3u * bits + 31) / 32 * 4 * 2, 0x5A);
        return f;
    };
    std::vector<std::uint8_t> rgb565;
    for (const std::uint32_t mask : {0xF800u, 0x07E0u, 0x001Fu}) Append32(rgb565, mask);
    std::vector<std::uint8_t> bgra;
    for (const std::uint32_t mask : {0xFF0000u, 0xFF00u, 0xFFu, 0xFF000000u}) Append32(bgra, mask);
    BmpFields longHeader = deep(32, 3, bgra);  // a version 5 header holds its masks itself
    longHeader.headerSize = 124;
    longHeader.headerBytesWritten = 40;
    longHeader.table.resize(124 - 40);
    BmpFields manyColours = deep(24);
    manyColours.colorsUsed = 300;
    manyColours.table.assign(300 * 4, 7);
    BmpFields wide = deep(24);
    wide.width = 40000;
    wide.height = 1;
    wide.pixels.assign(120000, 1);

    BmpFields cut = deep(32);
    cut.pixels.pop_back();
    std::vector<std::uint8_t> overlapping;
    for (const std::uint32_t mask : {0xFF00u, 0x0FF0u, 0x000Fu}) Append32(overlapping, mask);
    std::vector<std::uint8_t> beyondThePixel;
    for (const std::uint32_t mask : {0x1F0000u, 0x07E0u, 0x001Fu}) Append32(beyondThePixel, mask);
    BmpFields planes = deep(32);
    planes.planes = 2;
    BmpFields rle = BmpFields{};
    rle.compression = 1;
    BmpFields huge = deep(64);  // its size would overflow 64 bits of bytes
    huge.width = INT32_MAX;
    huge.height = -INT32_MAX;

    constexpr BmpReadFailure kDeep = BmpReadFailure::tooDeep;
    constexpr BmpReadFailure kBroken = BmpReadFailure::invalid;
    const std::vector<std::tuple<const char*, BmpFields, BmpReadFailure>> cases = {
        {"16 bits", deep(16), kDeep},
        {"32 bits", deep(32), kDeep},
        {"16 bits, 5-6-5 bit fields", deep(16, 3, rgb565), kDeep},
        {"32 bits, bit fields with alpha", deep(32, 6, bgra), kDeep},
        {"32 bits, masks in a long header", longHeader, kDeep},
        {"24 bits, 300 colours", manyColours, kDeep},
        {"24 bits, 40000 wide", wide, kDeep},
        {"32 bits, a byte short", cut, kBroken},
        {"bit fields that overlap", deep(16, 3, overlapping), kBroken},
        {"bit fields beyond 16 bits", deep(16, 3, beyondThePixel), kBroken},
        {"bit fields at 24 bits", deep(24, 3, rgb565), kBroken},
        {"2 planes", planes, kBroken},
        {"8 bits, run-length coded", rle, kBroken},
        {"huge picture in a small file", huge, kBroken},
        {"8 bits, readable", BmpFields{}, BmpReadFailure::none},
    };
    for (const auto& [name, fields, expected] : cases) {
        CMemFile file(Serialise(fields));
        BmpReadFailure failure = BmpReadFailure::tooDeep;
        EXPECT_EQ(static_cast<bool>(ReadBmpStream(file, &failure)), expected == BmpReadFailure::none) << name;
        EXPECT_EQ(failure, expected) << name;
    }
}

TEST(ReadBmpStream, RefusesCoreHeaderFiles)
{
    const std::vector<std::uint8_t> bytes = {
        'B',  'M',                          //
        40,   0,   0, 0,                    // file size
        0,    0,   0, 0,                    // reserved
        32,   0,   0, 0,                    // bitmap offset
        12,   0,   0, 0,                    // header size: core header
        2,    0,   1, 0,                    // width 2, height 1
        1,    0,   1, 0,                    // planes 1, bit count 1
        0,    0,   0, 255, 255, 255,        // colour table, 3 bytes an entry
        0x40, 0,   0, 0,                    // one row
        0,    0,   0, 0,   0,   0,   0, 0,  // slack so that the file is longer than 54 bytes
        0,    0,   0, 0,   0,   0,   0, 0,  //
        0,    0,   0, 0,   0,   0,          //
    };
    EXPECT_FALSE(Read(bytes));
}

TEST(ReadBmpStream, RefusesEveryTruncatedFile)
{
    const auto bytes = Serialise(BmpFields{});
    for (std::size_t n = 0; n < bytes.size(); ++n)
        EXPECT_FALSE(
            Read(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n))))
            << "prefix of " << n << " bytes";
}

TEST_F(BmpFileOnDisk, RoundTripsEveryDepthWithHeaderTableAndPixels)
{
    for (const int bits : {1, 4, 8, 24}) {
        SCOPED_TRACE(bits);
        PackedDib dib = NewPackedDib(13, 3, bits);
        ASSERT_TRUE(dib);
        std::uint8_t* bytes = dib->data();
        bytes[24] = 0x13;  // horizontal resolution
        bytes[28] = 0x0B;  // vertical resolution
        for (std::size_t i = 40; i < dib->size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
        const auto before = dib->Copy();
        const std::size_t tableBytes = static_cast<std::size_t>(PackedDibColorTableSize(*dib));
        const std::size_t pixelBytes = PackedDibRowBytes(*dib) * 3;

        const fs::path path = m_dir / ("round" + std::to_string(bits) + ".bmp");
        ASSERT_EQ(SaveBmpFile(dib, path.string()), 0);
        const auto file = FileBytes(path);
        ASSERT_EQ(file.size(), 14 + 40 + tableBytes + pixelBytes);
        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(file[1], 'M');
        EXPECT_EQ(U32At(&file[2]), file.size());
        EXPECT_EQ(U32At(&file[10]), 14 + 40 + tableBytes);
        EXPECT_EQ(U32At(&file[14 + 20]), pixelBytes);  // image size always written computed
        EXPECT_EQ(U32At(dib->data() + 20), pixelBytes);

        RecordingMessages messages;
        PackedDib loaded = LoadBmpFile(path.string(), messages);
        ASSERT_TRUE(loaded);
        EXPECT_TRUE(messages.shown.empty());
        ASSERT_EQ(loaded->size(), before.size());
        // Every header field comes back; colours used now states the table's length.
        std::vector<std::uint8_t> want = before;
        want[20] = static_cast<std::uint8_t>(pixelBytes);
        want[21] = static_cast<std::uint8_t>(pixelBytes >> 8);
        want[32] = static_cast<std::uint8_t>(tableBytes / 4);
        want[33] = static_cast<std::uint8_t>(tableBytes / 4 >> 8);
        EXPECT_EQ(loaded->Copy(), want);
    }
}

TEST_F(BmpFileOnDisk, SaveRefusesWhatItCannotWriteAndKeepsTheOldFile)
{
    const fs::path path = m_dir / "old.bmp";
    WriteFile(path, {'o', 'l', 'd'});
    EXPECT_EQ(SaveBmpFile(nullptr, path.string()), 20);

    std::vector<std::uint8_t> core = {12, 0, 0, 0, 1, 0, 1, 0, 1, 0, 8, 0};
    core.resize(12 + 256 * 3 + 4);
    EXPECT_EQ(SaveBmpFile(std::make_shared<DibBlock>(core), path.string()), 21);
    std::vector<std::uint8_t> shortBytes = NewPackedDib(4, 4, 8)->Copy();
    shortBytes.pop_back();
    EXPECT_EQ(SaveBmpFile(std::make_shared<DibBlock>(shortBytes), path.string()), 21);
    EXPECT_EQ(FileBytes(path), (std::vector<std::uint8_t>{'o', 'l', 'd'}));

    PackedDib dib = NewPackedDib(2, 2, 8);
    EXPECT_EQ(SaveBmpFile(dib, (m_dir / "missing" / "x.bmp").string()), 4);
    EXPECT_FALSE(fs::exists(m_dir / "missing"));

    // A target that cannot be replaced: the rename fails and no temporary file is left behind.
    const fs::path directory = m_dir / "taken.bmp";
    fs::create_directories(directory / "inside");
    EXPECT_EQ(SaveBmpFile(dib, directory.string()), 4);
    EXPECT_TRUE(fs::is_directory(directory / "inside"));
    std::vector<fs::path> left;
    for (const auto& entry : fs::directory_iterator(m_dir)) left.push_back(entry.path().filename());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<fs::path>{"old.bmp", "taken.bmp"}));
    EXPECT_EQ(FileBytes(path), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
}

TEST_F(BmpFileOnDisk, LoadReportsOnlyAFileThatCannotBeOpened)
{
    RecordingMessages messages;
    EXPECT_FALSE(LoadBmpFile((m_dir / "absent.bmp").string(), messages));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].first, "File Not Found!");
    EXPECT_EQ(messages.shown[0].second, static_cast<unsigned>(MB_OK | MB_ICONHAND));

    messages.shown.clear();
    BmpFields f;
    f.compression = 1;
    WriteFile(m_dir / "rle.bmp", Serialise(f));
    EXPECT_FALSE(LoadBmpFile((m_dir / "rle.bmp").string(), messages));
    EXPECT_TRUE(messages.shown.empty());
}

TEST(DibErrorText, GivesTheTableTextOrUndefined)
{
    EXPECT_EQ(DibErrorText(0), "Not a Windows DIB file!");
    EXPECT_EQ(DibErrorText(4), "Error opening file!");
    EXPECT_EQ(DibErrorText(19), "File Not Found!");
    EXPECT_EQ(DibErrorText(20), "Invalid Handle");
    EXPECT_EQ(DibErrorText(21), "General Error on call to DIB function");
    EXPECT_EQ(DibErrorText(22), "Undefined Error!");
    EXPECT_EQ(DibErrorText(-1), "Undefined Error!");

    RecordingMessages messages;
    ShowDibError(messages, 22);
    ShowDibError(messages, 12);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0],
              std::make_pair(std::string("Undefined Error!"), unsigned{MB_OK | MB_ICONHAND}));
    EXPECT_EQ(messages.shown[1].first, "Printing: GetModuleHandle() couldn't find GDI!");
}

#ifdef KORVANTA_CORPUS_DIR
// The files of the BMP test suite, each read as it is found.
TEST(ReadBmpStream, SurvivesTheBmpSuite)
{
    const fs::path root = fs::path(KORVANTA_CORPUS_DIR) / "bmpsuite";
    if (!fs::is_directory(root))
        GTEST_SKIP() << root << " is missing";
    // Files of the "bad" folder that must be refused; the others there are odd but readable
    // (a lying image size or file size is never trusted, so it does no harm).
    const std::set<std::string> refused = {
        "badbitcount.bmp", "badpalettesize.bmp", "badplanes.bmp",  "badrle.bmp",    "badrle4.bmp",
        "badrle4bis.bmp",  "badrle4ter.bmp",     "badrlebis.bmp",  "badrleter.bmp", "badwidth.bmp",
        "reallybig.bmp",   "rgb16-880.bmp",      "rletopdown.bmp", "shortfile.bmp",
    };
    int read = 0;
    for (const char* folder : {"g", "q", "b"}) {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(root / folder))
            if (entry.path().extension() == ".bmp")
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const auto& path : files) {
            SCOPED_TRACE(path.string());
            const auto bytes = FileBytes(path);
            CFile file(path.string(), CFile::modeRead);
            PackedDib dib = ReadBmpStream(file);
            ++read;
            if (dib) {
                EXPECT_TRUE(PackedDibIsConsistent(*dib));
                EXPECT_EQ(PackedDibHeaderSize(*dib), 40u);
            }
            if (std::string(folder) == "b" && refused.count(path.filename().string()) != 0) {
                EXPECT_FALSE(dib);
            }
            // Every deep picture of the suite but one coded in a way no Windows bitmap is
            // (OS/2 run-length 24) is sound; the broken files are no bitmaps.
            if (!dib && bytes.size() >= 54) {
                CFile again(path.string(), CFile::modeRead);
                BmpReadFailure failure = BmpReadFailure::none;
                ReadBmpStream(again, &failure);
                const bool deep = (bytes[28] | (bytes[29] << 8)) > 8;
                const bool sound = deep && std::string(folder) != "b" && path.filename() != "rgb24rle24.bmp";
                EXPECT_EQ(failure, sound ? BmpReadFailure::tooDeep : BmpReadFailure::invalid);
            }
            if (std::string(folder) != "g" || bytes.size() < 54)
                continue;
            const std::uint32_t headerSize = U32At(&bytes[14]);
            const int bits = bytes[28] | (bytes[29] << 8);
            const bool readable = headerSize >= 40 && (bits == 1 || bits == 4 || bits == 8 || bits == 24) &&
                                  U32At(&bytes[30]) == 0;
            EXPECT_EQ(static_cast<bool>(dib), readable);
        }
    }
    EXPECT_GT(read, 60);
}

// The same picture stored bottom-up, top-down, with longer headers and with a full table draws
// the same.
TEST(ReadBmpStream, ReadsTheSuitesVariantsOfOnePictureAlike)
{
    const fs::path root = fs::path(KORVANTA_CORPUS_DIR) / "bmpsuite";
    if (!fs::is_directory(root))
        GTEST_SKIP() << root << " is missing";
    const auto draw = [&](const char* name) {
        CFile file((root / name).string(), CFile::modeRead);
        PackedDib dib = ReadBmpStream(file);
        RgbImage image(127, 64);
        EXPECT_TRUE(dib) << name;
        if (dib) {
            EXPECT_EQ(DrawPackedDib(image, {0, 0, 127, 64}, dib, {0, 0, 127, 64}), 64) << name;
        }
        return image.pixels;
    };
    const auto reference = draw("g/pal8.bmp");
    for (const char* name :
         {"g/pal8topdown.bmp", "g/pal8v4.bmp", "g/pal8v5.bmp", "g/pal8-0.bmp", "q/pal8offs.bmp"})
        EXPECT_TRUE(draw(name) == reference) << name;
}
#endif

}  // namespace
}  // namespace korvanta
