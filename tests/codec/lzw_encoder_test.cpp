#include "codec/lzw_encoder.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "codec/lzw_decoder.h"
#include "platform/archive.h"
#include "platform/file.h"

namespace korvanta {
namespace {

using Pixels = std::vector<std::uint8_t>;
using Rows = std::vector<Pixels>;

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values)
{
    std::vector<std::uint8_t> out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

// Encodes the rows as the image block does, without the terminator.
std::vector<std::uint8_t> Encode(const Rows& rows, int minCodeSize)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    CLzwEncoder encoder;
    EXPECT_EQ(encoder.LzwEncoderOpen(ar, static_cast<std::uint8_t>(minCodeSize)), 0);
    encoder.LzwEncoderStart();
    for (const Pixels& row : rows)
        EXPECT_EQ(encoder.LzwEncodeRow(row.data(), static_cast<int>(row.size())), 0);
    EXPECT_EQ(encoder.LzwEncoderFinish(), 0);
    encoder.LzwEncoderClose();
    ar.Close();
    return file.Data();
}

// An independent reading of the code stream, with what the encoder tests check.
struct Parsed {
    Pixels pixels;
    int clears = 0;
    int maxWidth = 0;
    bool ended = false;
    bool wellFormed = true;         // sub-blocks, codes and trailing bits as they should be
    std::vector<int> tableAtClear;  // next free code when each clear code after the first came
};

Parsed Parse(const std::vector<std::uint8_t>& blocks, int minCodeSize)
{
    Parsed r;
    std::vector<std::uint8_t> data;
    for (std::size_t p = 0; p < blocks.size();) {
        const std::size_t n = blocks[p++];
        if (n == 0 || p + n > blocks.size()) {
            r.wellFormed = false;  // no empty or cut sub-block belongs to the encoder's output
            return r;
        }
        data.insert(data.end(), blocks.begin() + static_cast<std::ptrdiff_t>(p),
                    blocks.begin() + static_cast<std::ptrdiff_t>(p + n));
        p += n;
    }
    const int clear = 1 << minCodeSize;
    std::vector<Pixels> table;
    auto reset = [&] {
        table.clear();
        for (int i = 0; i < clear + 2; ++i) table.push_back(Pixels{static_cast<std::uint8_t>(i)});
    };
    reset();
    int width = minCodeSize + 1;
    int prev = -1;
    std::size_t bit = 0;
    while (bit + static_cast<std::size_t>(width) <= data.size() * 8) {
        int code = 0;
        for (int b = 0; b < width; ++b, ++bit) code |= ((data[bit / 8] >> (bit % 8)) & 1) << b;
        r.maxWidth = std::max(r.maxWidth, width);
        if (code == clear) {
            if (bit > static_cast<std::size_t>(width))
                r.tableAtClear.push_back(static_cast<int>(table.size()));
            ++r.clears;
            reset();
            width = minCodeSize + 1;
            prev = -1;
            continue;
        }
        if (code == clear + 1) {
            r.ended = true;
            // Only zero padding may follow, and less than a byte of it.
            r.wellFormed = r.wellFormed && data.size() * 8 - bit < 8 &&
                           (bit % 8 == 0 || (data.back() >> (bit % 8)) == 0);
            return r;
        }
        Pixels s;
        if (code < static_cast<int>(table.size())) {
            s = table[static_cast<std::size_t>(code)];
        } else if (code == static_cast<int>(table.size()) && prev >= 0) {
            s = table[static_cast<std::size_t>(prev)];
            s.push_back(s[0]);
        } else {
            r.wellFormed = false;
            return r;
        }
        r.pixels.insert(r.pixels.end(), s.begin(), s.end());
        if (prev >= 0 && table.size() < 4096) {
            Pixels entry = table[static_cast<std::size_t>(prev)];
            entry.push_back(s[0]);
            table.push_back(entry);
        }
        prev = code;
        if (static_cast<int>(table.size()) == (1 << width) && width < 12)
            ++width;
    }
    r.wellFormed = false;  // no end code
    return r;
}

Pixels Concat(const Rows& rows)
{
    Pixels all;
    for (const Pixels& row : rows) all.insert(all.end(), row.begin(), row.end());
    return all;
}

Rows NoisyImage(int width, int height, int colours, unsigned seed)
{
    std::mt19937 random(seed);
    Rows rows(static_cast<std::size_t>(height), Pixels(static_cast<std::size_t>(width)));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rows[y][x] = static_cast<std::uint8_t>(random() % 3 == 0 ? random() % colours
                                                                     : (x / 16 + y / 4) % colours);
    return rows;
}

// Decodes with the real decoder, row by row.
Rows DecodeRows(std::vector<std::uint8_t> blocks, int minCodeSize, int width, int height)
{
    blocks.push_back(0);
    CMemFile file(blocks);
    CArchive ar(&file, CArchive::load);
    CLzwDecoder decoder;
    EXPECT_EQ(decoder.LzwDecoderOpen(ar, static_cast<std::uint8_t>(minCodeSize), width), 0);
    decoder.LzwDecoderPrime();
    Rows rows(static_cast<std::size_t>(height), Pixels(static_cast<std::size_t>(width)));
    for (Pixels& row : rows) EXPECT_EQ(decoder.LzwDecodeRow(row.data(), width), 0);
    decoder.LzwDecoderClose();
    return rows;
}

TEST(LzwEncoder, WritesTheKnownSmallStreams)
{
    EXPECT_EQ(Encode({{0, 1, 2, 3}}, 2), Bytes({0x03, 0x44, 0x34, 0x05}));
    // A string spanning rows is coded as one string: rows are one pixel sequence.
    const auto ones = Bytes({0x03, 0x8C, 0x6F, 0x05});
    EXPECT_EQ(Encode({Pixels(8, 1)}, 2), ones);
    EXPECT_EQ(Encode({Pixels(3, 1), Pixels(3, 1), Pixels(2, 1)}, 2), ones);
    EXPECT_EQ(Encode({Pixels(1, 1), Pixels(6, 1), Pixels(1, 1)}, 2), ones);
}

TEST(LzwEncoder, WidensTo10BitsOneEntryAfter511)
{
    // The code written with entry 512 is still 9 bits wide; the ones after are 10.
    Pixels pixels;
    for (int k = 0; k < 255; ++k) pixels.push_back(static_cast<std::uint8_t>(k));
    pixels.insert(pixels.end(), {253, 254, 254, 253});
    std::vector<std::pair<int, int>> codes = {{256, 9}};
    for (int k = 0; k < 255; ++k) codes.push_back({k, 9});
    codes.insert(codes.end(), {{511, 10}, {512, 10}, {257, 10}});
    std::vector<std::uint8_t> data;
    int bit = 0;
    for (auto [code, width] : codes)
        for (int b = 0; b < width; ++b, ++bit) {
            if (bit % 8 == 0)
                data.push_back(0);
            data.back() = static_cast<std::uint8_t>(data.back() | (((code >> b) & 1) << (bit % 8)));
        }
    ASSERT_EQ(data.size(), 292u);  // 2334 bits: a full sub-block and one of 37 bytes
    std::vector<std::uint8_t> want = {255};
    want.insert(want.end(), data.begin(), data.begin() + 255);
    want.push_back(37);
    want.insert(want.end(), data.begin() + 255, data.end());
    EXPECT_EQ(Encode({pixels}, 8), want);
}

TEST(LzwEncoder, ExactMultiplesOf255BytesEndWithFullSubBlocks)
{
    for (const std::size_t target : {255u, 510u}) {
        SCOPED_TRACE(std::to_string(target) + " data bytes");
        bool found = false;
        for (unsigned seed = 1; seed < 50 && !found; ++seed) {
            const Pixels all = NoisyImage(4000, 1, 256, seed)[0];
            for (std::size_t n = target / 2; n < all.size(); ++n) {
                const Pixels pixels(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(n));
                const auto out = Encode({pixels}, 8);
                const std::size_t dataBytes = out.size() - (out.size() + 255) / 256;
                if (dataBytes > target)
                    break;
                if (dataBytes < target)
                    continue;
                found = true;
                ASSERT_EQ(out.size(), target / 255 * 256);
                for (std::size_t p = 0; p < out.size(); p += 256) EXPECT_EQ(out[p], 255);
                const Parsed parsed = Parse(out, 8);
                EXPECT_TRUE(parsed.wellFormed);
                EXPECT_EQ(parsed.pixels, pixels);
                break;
            }
        }
        EXPECT_TRUE(found);
    }
}

TEST(LzwEncoder, LargeNoisyImageRoundTripsThroughWidthsAndClearCodes)
{
    const Rows image = NoisyImage(731, 457, 256, 7);
    const auto out = Encode(image, 8);
    const Parsed parsed = Parse(out, 8);
    EXPECT_TRUE(parsed.wellFormed);
    EXPECT_TRUE(parsed.ended);
    EXPECT_EQ(parsed.maxWidth, 12);
    EXPECT_GT(parsed.clears, 5);
    // Each clear code follows the entry 4095: a decoder one entry behind has 4095 entries.
    for (int tableSize : parsed.tableAtClear) EXPECT_EQ(tableSize, 4095);
    EXPECT_EQ(parsed.pixels, Concat(image));
    EXPECT_EQ(DecodeRows(out, 8, 731, 457), image);
}

TEST(LzwEncoder, EveryCodeSizeRoundTrips)
{
    for (int minCodeSize = 1; minCodeSize <= 11; ++minCodeSize) {
        SCOPED_TRACE("minimum code size " + std::to_string(minCodeSize));
        const int colours = std::min(256, 1 << minCodeSize);
        const Rows image = NoisyImage(97, 131, colours, static_cast<unsigned>(minCodeSize));
        const auto out = Encode(image, minCodeSize);
        const Parsed parsed = Parse(out, minCodeSize);
        EXPECT_TRUE(parsed.wellFormed);
        EXPECT_EQ(parsed.pixels, Concat(image));
        EXPECT_EQ(DecodeRows(out, minCodeSize, 97, 131), image);
    }
}

TEST(LzwEncoder, ImageWithoutPixelsIsAClearAndAnEndCode)
{
    const auto clearAndEnd = Bytes({0x01, 0x2C});  // 3-bit codes 4 and 5
    EXPECT_EQ(Encode({}, 2), clearAndEnd);
    EXPECT_EQ(Encode({Pixels{}, Pixels{}}, 2), clearAndEnd);

    CMemFile file;
    CArchive ar(&file, CArchive::store);
    CLzwEncoder encoder;
    ASSERT_EQ(encoder.LzwEncoderOpen(ar, 2), 0);
    EXPECT_EQ(encoder.LzwEncoderFinish(), 0);  // never started
    EXPECT_EQ(encoder.LzwEncoderFinish(), 0);  // a second finish writes nothing more
    encoder.LzwEncoderClose();
    ar.Close();
    EXPECT_EQ(file.Data(), clearAndEnd);
}

TEST(LzwEncoder, RefusedCodeSizeWritesNothing)
{
    for (int size : {0, 12, 255}) {
        SCOPED_TRACE("minimum code size " + std::to_string(size));
        CMemFile file;
        CArchive ar(&file, CArchive::store);
        CLzwEncoder encoder;
        EXPECT_EQ(encoder.LzwEncoderOpen(ar, static_cast<std::uint8_t>(size)),
                  CLzwEncoder::kStatusCannotOpen);
        const Pixels row(10, 1);
        EXPECT_EQ(encoder.LzwEncodeRow(row.data(), 10), CLzwEncoder::kStatusCannotOpen);
        EXPECT_EQ(encoder.LzwEncoderFinish(), CLzwEncoder::kStatusCannotOpen);
        encoder.LzwEncoderClose();
        ar.Close();
        EXPECT_TRUE(file.Data().empty());
    }
}

TEST(LzwEncoder, PixelsBeyondTheCodeSizeCannotBecomeControlCodes)
{
    // 4 and 5 would be the clear and end codes of minimum code size 2.
    const auto out = Encode({{4, 5, 6, 7, 0, 1}}, 2);
    const Parsed parsed = Parse(out, 2);
    EXPECT_TRUE(parsed.wellFormed);
    EXPECT_EQ(parsed.pixels, Pixels({0, 1, 2, 3, 0, 1}));
}

TEST(LzwEncoder, EndCodeHasTheWidthADecoderExpectsAfterTheLastEntry)
{
    // Every length of a few patterns: some end just as the decoder's last entry fills a width,
    // where the end code must be written one bit wider.
    for (int minCodeSize = 2; minCodeSize <= 8; ++minCodeSize) {
        for (int length = 1; length <= 300; ++length) {
            Pixels row(static_cast<std::size_t>(length));
            for (int i = 0; i < length; ++i)
                row[static_cast<std::size_t>(i)] =
                    static_cast<std::uint8_t>((i * 7 + i / 5) % (1 << minCodeSize));
            const Parsed parsed = Parse(Encode({row}, minCodeSize), minCodeSize);
            ASSERT_TRUE(parsed.wellFormed && parsed.ended)
                << "code size " << minCodeSize << ", " << length << " pixels";
            EXPECT_EQ(parsed.pixels, row);
        }
    }
}

struct TestImage {
    Rows rows;
    int minCodeSize;
};

// Code sizes up and down, strings the tables of earlier images also held, and enough pixels for
// several clear codes at 8 bits.
std::vector<TestImage> MixedImages()
{
    return {
        {NoisyImage(211, 97, 4, 1), 2},    {NoisyImage(400, 300, 256, 2), 8},
        {NoisyImage(150, 90, 32, 3), 5},   {NoisyImage(400, 300, 256, 4), 8},
        {NoisyImage(77, 51, 2, 5), 1},     {NoisyImage(120, 80, 256, 6), 11},
        {NoisyImage(400, 300, 256, 2), 8},
    };
}

std::vector<std::uint8_t> EncodeWith(CLzwEncoder& encoder, const TestImage& image)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    EXPECT_EQ(encoder.LzwEncoderOpen(ar, static_cast<std::uint8_t>(image.minCodeSize)), 0);
    for (const Pixels& row : image.rows)
        EXPECT_EQ(encoder.LzwEncodeRow(row.data(), static_cast<int>(row.size())), 0);
    EXPECT_EQ(encoder.LzwEncoderFinish(), 0);
    encoder.LzwEncoderClose();
    ar.Close();
    return file.Data();
}

// Each image coded by the first encoder of a new thread, on a string table nothing used before.
std::vector<std::vector<std::uint8_t>> EncodeOnFreshTables(const std::vector<TestImage>& images)
{
    std::vector<std::vector<std::uint8_t>> out(images.size());
    for (std::size_t k = 0; k < images.size(); ++k) {
        std::thread thread([&] {
            CLzwEncoder encoder;
            out[k] = EncodeWith(encoder, images[k]);
        });
        thread.join();
    }
    return out;
}

TEST(LzwEncoder, StringsLeftFromEarlierImagesChangeNoCode)
{
    const std::vector<TestImage> images = MixedImages();
    const auto fresh = EncodeOnFreshTables(images);
    {
        SCOPED_TRACE("one encoder for every image");
        CLzwEncoder encoder;
        for (std::size_t k = 0; k < images.size(); ++k) {
            SCOPED_TRACE("image " + std::to_string(k));
            const auto out = EncodeWith(encoder, images[k]);
            EXPECT_EQ(out, fresh[k]);
            const int width = static_cast<int>(images[k].rows[0].size());
            const int height = static_cast<int>(images[k].rows.size());
            EXPECT_EQ(DecodeRows(out, images[k].minCodeSize, width, height), images[k].rows);
        }
    }
    {
        SCOPED_TRACE("an encoder for each image, as the image block does");
        for (std::size_t k = 0; k < images.size(); ++k) {
            SCOPED_TRACE("image " + std::to_string(k));
            CLzwEncoder encoder;
            EXPECT_EQ(EncodeWith(encoder, images[k]), fresh[k]);
        }
    }
}

TEST(LzwEncoder, EncodersOpenAtOnceKeepTheirOwnStrings)
{
    const std::vector<TestImage> images = MixedImages();
    const auto fresh = EncodeOnFreshTables(images);
    // Row by row in turns, on one thread: neither may see the other's strings.
    const TestImage& a = images[1];
    const TestImage& b = images[3];
    CMemFile fileA;
    CMemFile fileB;
    CArchive arA(&fileA, CArchive::store);
    CArchive arB(&fileB, CArchive::store);
    CLzwEncoder encoderA;
    CLzwEncoder encoderB;
    ASSERT_EQ(encoderA.LzwEncoderOpen(arA, 8), 0);
    ASSERT_EQ(encoderB.LzwEncoderOpen(arB, 8), 0);
    for (std::size_t y = 0; y < a.rows.size(); ++y) {
        encoderA.LzwEncodeRow(a.rows[y].data(), static_cast<int>(a.rows[y].size()));
        encoderB.LzwEncodeRow(b.rows[y].data(), static_cast<int>(b.rows[y].size()));
    }
    encoderA.LzwEncoderFinish();
    encoderB.LzwEncoderFinish();
    encoderA.LzwEncoderClose();
    encoderB.LzwEncoderClose();
    arA.Close();
    arB.Close();
    EXPECT_EQ(fileA.Data(), fresh[1]);
    EXPECT_EQ(fileB.Data(), fresh[3]);
}

}  // namespace
}  // namespace korvanta
