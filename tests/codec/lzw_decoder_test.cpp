#include "codec/lzw_decoder.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "codec/lzw_encoder.h"
#include "platform/archive.h"
#include "platform/file.h"

namespace korvanta {
namespace {

using Pixels = std::vector<std::uint8_t>;

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values)
{
    std::vector<std::uint8_t> out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

// Code bytes as sub-blocks of blockSize, then the terminator and a marker byte 0x3B.
std::vector<std::uint8_t> SplitIntoSubBlocks(const std::vector<std::uint8_t>& codes, std::size_t blockSize)
{
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < codes.size(); i += blockSize) {
        const std::size_t n = std::min(blockSize, codes.size() - i);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), codes.begin() + static_cast<std::ptrdiff_t>(i),
                   codes.begin() + static_cast<std::ptrdiff_t>(i + n));
    }
    out.push_back(0);
    out.push_back(0x3B);
    return out;
}

// Builds a code stream by hand. Code() writes at the width a decoder expects next (growing
// when its next free code reaches 1 << width); Put() writes at an explicit width.
class CodeStream {
public:
    explicit CodeStream(int minCodeSize)
        : m_clear(1 << minCodeSize),
          m_minCodeSize(minCodeSize),
          m_width(minCodeSize + 1),
          m_nextFree(m_clear + 2)
    {
    }
    CodeStream& Put(int code, int width)
    {
        for (int b = 0; b < width; ++b, ++m_bits) {
            if (m_bits % 8 == 0)
                m_data.push_back(0);
            if ((code >> b) & 1)
                m_data.back() = static_cast<std::uint8_t>(m_data.back() | (1 << (m_bits % 8)));
        }
        return *this;
    }
    CodeStream& Code(int code)
    {
        Put(code, m_width);
        if (code == m_clear) {
            m_width = m_minCodeSize + 1;
            m_nextFree = m_clear + 2;
            m_afterClear = true;
            return *this;
        }
        if (code == m_clear + 1)
            return *this;
        if (!m_afterClear && m_nextFree < 4096)
            ++m_nextFree;
        m_afterClear = false;
        if (m_nextFree == (1 << m_width) && m_width < 12)
            ++m_width;
        return *this;
    }
    CodeStream& Codes(std::initializer_list<int> codes)
    {
        for (int c : codes) Code(c);
        return *this;
    }
    int Width() const { return m_width; }
    std::vector<std::uint8_t> SubBlocks(std::size_t blockSize = 255) const
    {
        return SplitIntoSubBlocks(m_data, blockSize);
    }

private:
    std::vector<std::uint8_t> m_data;
    int m_bits = 0;
    int m_clear;
    int m_minCodeSize;
    int m_width;
    int m_nextFree;
    bool m_afterClear = true;
};

struct Decoded {
    Pixels pixels;  // all rows, one after the other
    int status = 0;
    int rowsBeforeExhausted = -1;  // row calls made before DataExhausted(); -1: never exhausted
    bool terminatorConsumed = false;
    int nextByte = -1;  // the archive's next byte after the decode, -1 at the end of the file
};

// Decodes rows the way the image block does, but asks for every row even after exhaustion.
Decoded Decode(const std::vector<std::uint8_t>& data, int minCodeSize, int rowLength, int rows)
{
    CMemFile file(data);
    CArchive ar(&file, CArchive::load);
    CLzwDecoder decoder;
    Decoded result;
    result.status = decoder.LzwDecoderOpen(ar, static_cast<std::uint8_t>(minCodeSize), rowLength);
    EXPECT_EQ(result.status, 0);
    decoder.LzwDecoderPrime();
    // The decoder writes straight into the row it is given: bytes after it must stay untouched,
    // however the strings fall.
    Pixels row(static_cast<std::size_t>(rowLength) + 16, 0xEE);
    for (int y = 0; y < rows; ++y) {
        if (decoder.DataExhausted() && result.rowsBeforeExhausted < 0)
            result.rowsBeforeExhausted = y;
        result.status = decoder.LzwDecodeRow(row.data(), rowLength);
        result.pixels.insert(result.pixels.end(), row.begin(), row.begin() + rowLength);
        EXPECT_TRUE(std::all_of(row.begin() + rowLength, row.end(), [](std::uint8_t b) { return b == 0xEE; }))
            << "row " << y << " of " << rowLength << " pixels wrote past its end";
    }
    if (decoder.DataExhausted() && result.rowsBeforeExhausted < 0)
        result.rowsBeforeExhausted = rows;
    decoder.LzwDecoderClose();
    result.terminatorConsumed = decoder.TerminatorConsumed();
    try {
        result.nextByte = ar.ReadByte();
    } catch (const CArchiveException&) {
        result.nextByte = -1;
    }
    return result;
}

Pixels Flat(const Decoded& d, std::size_t count)
{
    return Pixels(d.pixels.begin(), d.pixels.begin() + static_cast<std::ptrdiff_t>(count));
}

TEST(LzwDecoder, DecodesTheFourColourExampleAndStopsAtItsEndCode)
{
    // minimum code size 2: clear 4, end 5, 3-bit codes 4 0 1 2, then 4-bit codes 3 5
    const auto data = Bytes({0x03, 0x44, 0x34, 0x05, 0x00, 0x3B});
    const Decoded one = Decode(data, 2, 4, 1);
    EXPECT_EQ(one.pixels, Pixels({0, 1, 2, 3}));
    EXPECT_EQ(one.rowsBeforeExhausted, -1);  // the end code has not been needed yet
    EXPECT_EQ(one.nextByte, 0x00);           // the caller skips up to the terminator

    const Decoded two = Decode(data, 2, 4, 2);
    EXPECT_EQ(two.pixels, Pixels({0, 1, 2, 3, 0, 0, 0, 0}));
    EXPECT_EQ(two.status, 0);
    EXPECT_EQ(two.rowsBeforeExhausted, 2);
    EXPECT_FALSE(two.terminatorConsumed);
    EXPECT_EQ(two.nextByte, 0x00);
}

TEST(LzwDecoder, StringsStraddleRowEndsInOrder)
{
    const auto data = Bytes({0x03, 0x8C, 0x6F, 0x05, 0x00, 0x3B});  // eight pixels of 1
    EXPECT_EQ(Decode(data, 2, 4, 2).pixels, Pixels(8, 1));
    for (int rowLength = 1; rowLength <= 9; ++rowLength) {
        SCOPED_TRACE("row length " + std::to_string(rowLength));
        const int rows = (8 + rowLength - 1) / rowLength;
        const Decoded d = Decode(data, 2, rowLength, rows);
        Pixels want(8, 1);
        want.resize(static_cast<std::size_t>(rows * rowLength), 0);
        EXPECT_EQ(d.pixels, want);
        EXPECT_EQ(d.status, 0);
    }

    // Distinct pixels in long strings, across clear codes, cut at every row length.
    Pixels sequence;
    for (int i = 0; i < 3000; ++i)
        sequence.push_back(static_cast<std::uint8_t>((i / 7) % 5 == 0 ? i % 4 : (i / 3) % 4));
    CMemFile out;
    CArchive ar(&out, CArchive::store);
    CLzwEncoder encoder;
    ASSERT_EQ(encoder.LzwEncoderOpen(ar, 2), 0);
    encoder.LzwEncoderStart();
    encoder.LzwEncodeRow(sequence.data(), static_cast<int>(sequence.size()));
    encoder.LzwEncoderFinish();
    ar.WriteByte(0);
    ar.Close();
    for (int rowLength : {1, 2, 3, 5, 13, 64, 255, 1000, 2999, 3000}) {
        SCOPED_TRACE("row length " + std::to_string(rowLength));
        const int rows = (3000 + rowLength - 1) / rowLength;
        EXPECT_EQ(Flat(Decode(out.Data(), 2, rowLength, rows), 3000), sequence);
    }
}

// The same code bytes in sub-blocks of another size.
std::vector<std::uint8_t> Resplit(const std::vector<std::uint8_t>& subBlocks, std::size_t blockSize)
{
    std::vector<std::uint8_t> codes;
    for (std::size_t i = 0; i < subBlocks.size() && subBlocks[i] != 0; i += 1 + subBlocks[i])
        codes.insert(codes.end(), subBlocks.begin() + static_cast<std::ptrdiff_t>(i + 1),
                     subBlocks.begin() + static_cast<std::ptrdiff_t>(i + 1 + subBlocks[i]));
    return SplitIntoSubBlocks(codes, blockSize);
}

// A ramp of 61 colours repeated (in steps of 4 from minimum code size 8 up, mixed with a slower
// count below), coded at the minimum code size; sequence receives the pixels. LZW's strings grow
// by one pixel per pass, up to about a hundred pixels, and hold a different pixel at nearly
// every position, so a piece of a string put in the wrong place or taken from the wrong entry
// shows.
std::vector<std::uint8_t> RampStream(Pixels& sequence, int minCodeSize = 8, int count = 20000)
{
    sequence.clear();
    for (int i = 0; i < count; ++i)
        sequence.push_back(static_cast<std::uint8_t>(
            minCodeSize >= 8 ? i % 61 * 4 : (i % 61 + i / 13) % (1 << minCodeSize)));
    CMemFile out;
    CArchive ar(&out, CArchive::store);
    CLzwEncoder encoder;
    EXPECT_EQ(encoder.LzwEncoderOpen(ar, static_cast<std::uint8_t>(minCodeSize)), 0);
    encoder.LzwEncodeRow(sequence.data(), static_cast<int>(sequence.size()));
    encoder.LzwEncoderFinish();
    ar.WriteByte(0);
    ar.Close();
    return out.Data();
}

TEST(LzwDecoder, LongStringsOfDistinctPixelsSurviveRowAndSubBlockCuts)
{
    Pixels sequence;
    const auto coded = RampStream(sequence);
    for (std::size_t blockSize : {255, 1, 7, 8, 9, 100}) {
        const auto data = Resplit(coded, blockSize);
        for (int rowLength : {1, 7, 8, 9, 16, 17, 61, 4099, 20000}) {
            SCOPED_TRACE("sub-blocks of " + std::to_string(blockSize) + ", row length " +
                         std::to_string(rowLength));
            const int rows = (20000 + rowLength - 1) / rowLength;
            const Decoded d = Decode(data, 8, rowLength, rows);
            EXPECT_EQ(Flat(d, 20000), sequence);
            EXPECT_EQ(d.status, 0);
        }
    }
}

// Rows bottom row first with a gap between them, as a bitmap's padded rows lie, decoded several
// at a time: the same pixels as row by row, nothing written in the gaps, and a stream that ends
// early completes its last row with zeros and leaves the rows after it alone.
TEST(LzwDecoder, SeveralRowsAtATimeMatchRowByRow)
{
    Pixels sequence;
    const auto coded = RampStream(sequence, 8, 5000);
    const auto cut = Resplit(coded, 255);
    const auto shortData = std::vector<std::uint8_t>(cut.begin(), cut.begin() + 700);  // no terminator
    // Narrow rows go through the decoder's span, wide ones straight to their places.
    for (int rowLength : {1, 7, 8, 9, 61, 300, 700}) {
        for (int perCall : {1, 2, 5, 10000}) {
            SCOPED_TRACE("row length " + std::to_string(rowLength) + ", " + std::to_string(perCall) +
                         " rows a call");
            const int rows = (5000 + rowLength - 1) / rowLength;
            for (const bool ended : {false, true}) {
                const auto& data = ended ? shortData : coded;
                const Decoded byRow = Decode(data, 8, rowLength, rows);
                const std::ptrdiff_t stride = rowLength + 3;
                Pixels memory(static_cast<std::size_t>(stride * rows), 0xEE);
                CMemFile file(data);
                CArchive ar(&file, CArchive::load);
                CLzwDecoder decoder;
                ASSERT_EQ(decoder.LzwDecoderOpen(ar, 8, rowLength), 0);
                int written = 0;
                while (written < rows && !decoder.DataExhausted()) {
                    std::uint8_t* first = memory.data() + (rows - 1 - written) * stride;
                    written += decoder.LzwDecodeRows(first, -stride, std::min(perCall, rows - written));
                }
                decoder.LzwDecoderClose();
                EXPECT_EQ(written, ended ? byRow.rowsBeforeExhausted : rows);
                for (int y = 0; y < rows; ++y) {
                    const auto row = memory.begin() + (rows - 1 - y) * stride;
                    if (y < written) {
                        ASSERT_TRUE(std::equal(row, row + rowLength, byRow.pixels.begin() + y * rowLength))
                            << "row " << y;
                    } else {
                        ASSERT_TRUE(
                            std::all_of(row, row + rowLength, [](std::uint8_t b) { return b == 0xEE; }))
                            << "row " << y << " after the data ended was written";
                    }
                    ASSERT_TRUE(
                        std::all_of(row + rowLength, row + stride, [](std::uint8_t b) { return b == 0xEE; }))
                        << "the gap after row " << y << " was written";
                }
            }
        }
    }
}

TEST(LzwDecoder, DestinationsShorterOrLongerThanTheRowTakeTheirShare)
{
    Pixels sequence;
    const auto data = RampStream(sequence);
    CMemFile file(data);
    CArchive ar(&file, CArchive::load);
    CLzwDecoder decoder;
    ASSERT_EQ(decoder.LzwDecoderOpen(ar, 8, 100), 0);
    decoder.LzwDecoderPrime();
    // Rows of 100: the first 30 pixels of row 0, nothing of row 1, all of row 2 into a longer
    // destination, then row 3 whole.
    Pixels shorter(40, 0xEE);
    EXPECT_EQ(decoder.LzwDecodeRow(shorter.data(), 30), 0);
    EXPECT_TRUE(std::equal(shorter.begin(), shorter.begin() + 30, sequence.begin()));
    EXPECT_TRUE(std::all_of(shorter.begin() + 30, shorter.end(), [](std::uint8_t b) { return b == 0xEE; }));
    EXPECT_EQ(decoder.LzwDecodeRow(nullptr, 0), 0);
    Pixels longer(130, 0xEE);
    EXPECT_EQ(decoder.LzwDecodeRow(longer.data(), 130), 0);
    EXPECT_TRUE(std::equal(longer.begin(), longer.begin() + 100, sequence.begin() + 200));
    EXPECT_TRUE(std::all_of(longer.begin() + 100, longer.end(), [](std::uint8_t b) { return b == 0xEE; }));
    Pixels row(100);
    EXPECT_EQ(decoder.LzwDecodeRow(row.data(), 100), 0);
    EXPECT_TRUE(std::equal(row.begin(), row.end(), sequence.begin() + 300));
    decoder.LzwDecoderClose();
}

TEST(LzwDecoder, DecodersOneAfterAnotherAndSideBySideKeepTheirTablesApart)
{
    // Each thread keeps a string table for the next decoder: streams of other code sizes in
    // turn, and two decoders open at once, must each decode as if alone.
    struct Stream {
        int minCodeSize;
        Pixels sequence;
        std::vector<std::uint8_t> data;
    };
    std::vector<Stream> streams;
    for (const int size : {8, 2, 11, 4, 8, 1, 8}) {
        Stream s{size, {}, {}};
        s.data = RampStream(s.sequence, size, 5000);
        streams.push_back(std::move(s));
    }
    for (const Stream& s : streams) {
        SCOPED_TRACE("minimum code size " + std::to_string(s.minCodeSize));
        EXPECT_EQ(Flat(Decode(s.data, s.minCodeSize, 77, 65), 5000), s.sequence);
    }
    CMemFile firstFile(streams[0].data);
    CMemFile secondFile(streams[1].data);
    CArchive firstArchive(&firstFile, CArchive::load);
    CArchive secondArchive(&secondFile, CArchive::load);
    CLzwDecoder first;
    CLzwDecoder second;
    ASSERT_EQ(first.LzwDecoderOpen(firstArchive, 8, 50), 0);
    ASSERT_EQ(second.LzwDecoderOpen(secondArchive, 2, 50), 0);
    Pixels row(50);
    for (int y = 0; y < 100; ++y) {
        first.LzwDecodeRow(row.data(), 50);
        EXPECT_TRUE(std::equal(row.begin(), row.end(), streams[0].sequence.begin() + y * 50)) << "row " << y;
        second.LzwDecodeRow(row.data(), 50);
        EXPECT_TRUE(std::equal(row.begin(), row.end(), streams[1].sequence.begin() + y * 50)) << "row " << y;
    }
    first.LzwDecoderClose();
    second.LzwDecoderClose();
}

TEST(LzwDecoder, AcceptsStreamsWithoutLeadingOrWithRepeatedClearCodes)
{
    // No clear code at all: the first code is taken as the first pixel.
    auto data = CodeStream(2).Codes({0, 1, 2, 3, 5}).SubBlocks();
    EXPECT_EQ(Decode(data, 2, 4, 1).pixels, Pixels({0, 1, 2, 3}));

    // Clear codes at the start and in the middle, several in a row; each one resets the width.
    CodeStream s(2);
    s.Codes({4, 4, 4, 0, 1, 6, 6});  // 0 1 01 01; the next free code is now 8 and codes are 4 bits
    ASSERT_EQ(s.Width(), 4);
    s.Codes({4, 4});
    ASSERT_EQ(s.Width(), 3);
    s.Codes({2, 3, 6, 5});  // 2 3 23
    EXPECT_EQ(Decode(s.SubBlocks(), 2, 10, 1).pixels, Pixels({0, 1, 0, 1, 0, 1, 2, 3, 2, 3}));
}

TEST(LzwDecoder, KwKwKCodeIsPreviousStringPlusItsFirstPixel)
{
    // 0, 1, code 6 = "0 1", code 8 is the next free code: "0 1" + "0".
    auto data = CodeStream(2).Codes({4, 0, 1, 6, 8, 5}).SubBlocks();
    EXPECT_EQ(Decode(data, 2, 7, 1).pixels, Pixels({0, 1, 0, 1, 0, 1, 0}));
    // Straight after the first pixel: code 6 = "2 2", then code 7 = "2 2 2".
    data = CodeStream(2).Codes({4, 2, 6, 7, 5}).SubBlocks();
    EXPECT_EQ(Decode(data, 2, 6, 1).pixels, Pixels(6, 2));
}

TEST(LzwDecoder, WidensTo10BitsRightAfterEntry511)
{
    // Minimum code size 8: the clear code and 255 literals at 9 bits add entries 258 to 511
    // (entry 258 + k = "k, k+1"); the next codes are 10 bits wide.
    CodeStream s(8);
    s.Put(256, 9);
    Pixels want;
    for (int k = 0; k < 255; ++k) {
        s.Put(k, 9);
        want.push_back(static_cast<std::uint8_t>(k));
    }
    s.Put(511, 10).Put(512, 10).Put(257, 10);  // "253 254", then entry 512 = "254 253"
    want.insert(want.end(), {253, 254, 254, 253});
    const Decoded d = Decode(s.SubBlocks(), 8, static_cast<int>(want.size()), 1);
    EXPECT_EQ(d.pixels, want);
    EXPECT_EQ(d.status, 0);
}

TEST(LzwDecoder, DecodesMinimumCodeSizeOne)
{
    // clear 2, end 3; 2-bit codes until the first code has been read, then 3 bits.
    CodeStream s(1);
    s.Put(2, 2).Put(1, 2).Put(0, 3).Put(4, 3).Put(6, 3).Put(3, 3);  // 1, 0, "1 0", KwKwK "1 0 1"
    EXPECT_EQ(Decode(s.SubBlocks(), 1, 7, 1).pixels, Pixels({1, 0, 1, 0, 1, 0, 1}));
}

// Fills the table of minimum code size 2 with literals (entry 6 + k = "k%4, (k+1)%4"), so that
// the next free code is 4096, then sends extra 12-bit codes before the clear code.
std::vector<std::uint8_t> FullTableStream(std::initializer_list<int> extraCodes, Pixels& want)
{
    CodeStream s(2);
    s.Code(4);
    for (int k = 0; k < 4091; ++k) {
        s.Code(k % 4);
        want.push_back(static_cast<std::uint8_t>(k % 4));
    }
    EXPECT_EQ(s.Width(), 12);
    for (int code : extraCodes) {
        s.Put(code, 12);
        if (code < 4) {
            want.push_back(static_cast<std::uint8_t>(code));
        } else {
            want.push_back(static_cast<std::uint8_t>((code - 6) % 4));
            want.push_back(static_cast<std::uint8_t>((code - 5) % 4));
        }
    }
    s.Put(4, 12).Put(1, 3).Put(6, 3).Put(5, 3);  // clear, then "1", then KwKwK "1 1"
    want.insert(want.end(), {1, 1, 1});
    return s.SubBlocks();
}

TEST(LzwDecoder, DeferredClearCodeAfterFullTableKeepsDecoding)
{
    for (const bool deferred : {false, true}) {
        SCOPED_TRACE(deferred ? "12-bit codes before the clear code" : "clear code at once");
        Pixels want;
        const auto data = deferred ? FullTableStream({0, 4000, 3, 4095, 7}, want) : FullTableStream({}, want);
        for (int rowLength : {1, 7, 4093, static_cast<int>(want.size())}) {
            SCOPED_TRACE("row length " + std::to_string(rowLength));
            const int rows = (static_cast<int>(want.size()) + rowLength - 1) / rowLength;
            const Decoded d = Decode(data, 2, rowLength, rows);
            EXPECT_EQ(Flat(d, want.size()), want);
            EXPECT_EQ(d.status, 0);
        }
    }
}

TEST(LzwDecoder, ImpossibleCodesEndTheDataWithStatus2)
{
    struct Case {
        const char* name;
        std::vector<std::uint8_t> data;
        Pixels want;  // the row of 6: good pixels, then index 0
    };
    const Case cases[] = {
        {"code beyond the next free code",
         CodeStream(2).Codes({4, 1, 2, 3, 9, 0, 5}).SubBlocks(),
         {1, 2, 3, 0, 0, 0}},
        {"entry code as the first code", CodeStream(2).Codes({4, 6, 1, 5}).SubBlocks(), {0, 0, 0, 0, 0, 0}},
        {"entry code after a clear code",
         CodeStream(2).Codes({4, 1, 2, 4, 7, 5}).SubBlocks(),
         {1, 2, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Decoded d = Decode(c.data, 2, 6, 2);
        EXPECT_EQ(Flat(d, 6), c.want);
        EXPECT_EQ(d.status, CLzwDecoder::kStatusInvalidData);
        EXPECT_LE(d.rowsBeforeExhausted, 1);
    }
}

TEST(LzwDecoder, NeverReadsPastTheTerminator)
{
    // 0 1 2 3 without an end code: the next code read meets the terminator.
    const auto data = Bytes({0x02, 0x44, 0x34, 0x00, 0x3B});
    const Decoded d = Decode(data, 2, 4, 3);
    EXPECT_EQ(d.pixels, Pixels({0, 1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(d.rowsBeforeExhausted, 2);
    EXPECT_TRUE(d.terminatorConsumed);
    EXPECT_EQ(d.nextByte, 0x3B);

    // No data at all: priming already meets the terminator.
    const Decoded empty = Decode(Bytes({0x00, 0x3B}), 2, 4, 1);
    EXPECT_EQ(empty.pixels, Pixels(4, 0));
    EXPECT_EQ(empty.rowsBeforeExhausted, 0);
    EXPECT_TRUE(empty.terminatorConsumed);
    EXPECT_EQ(empty.nextByte, 0x3B);
}

TEST(LzwDecoder, TruncatedDataEndsQuietly)
{
    struct Case {
        const char* name;
        std::vector<std::uint8_t> data;
        Pixels want;
        int rowsBeforeExhausted;
    };
    const Case cases[] = {
        {"file ends inside a sub-block", Bytes({0x05, 0x44, 0x34}), Pixels(8, 0), 0},
        {"file ends where a length byte should be", Bytes({0x02, 0x44, 0x34}), {0, 1, 2, 3, 0, 0, 0, 0}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Decoded d = Decode(c.data, 2, 4, 2);
        EXPECT_EQ(d.pixels, c.want);
        EXPECT_EQ(d.status, 0);
        EXPECT_EQ(d.rowsBeforeExhausted, c.rowsBeforeExhausted);
        EXPECT_FALSE(d.terminatorConsumed);
        EXPECT_EQ(d.nextByte, -1);
    }
}

TEST(LzwDecoder, RefusesCodeSizesItCannotDecodeWithoutReading)
{
    const auto data = Bytes({0x03, 0x44, 0x34, 0x05, 0x00});
    for (int size : {0, 12, 13, 255}) {
        SCOPED_TRACE("minimum code size " + std::to_string(size));
        CMemFile file(data);
        CArchive ar(&file, CArchive::load);
        CLzwDecoder decoder;
        EXPECT_EQ(decoder.LzwDecoderOpen(ar, static_cast<std::uint8_t>(size), 4),
                  CLzwDecoder::kStatusCannotOpen);
        EXPECT_TRUE(decoder.DataExhausted());
        decoder.LzwDecoderPrime();
        std::uint8_t row[4] = {9, 9, 9, 9};
        decoder.LzwDecodeRow(row, 4);
        decoder.LzwDecoderClose();
        EXPECT_FALSE(decoder.TerminatorConsumed());
        EXPECT_EQ(ar.ReadByte(), 0x03);
    }
}

TEST(LzwDecoder, RowLengthZeroReadsNothing)
{
    CMemFile file(Bytes({0x03, 0x44, 0x34, 0x05, 0x00}));
    CArchive ar(&file, CArchive::load);
    CLzwDecoder decoder;
    ASSERT_EQ(decoder.LzwDecoderOpen(ar, 2, 0), 0);
    std::uint8_t sentinel = 0x77;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(decoder.LzwDecodeRow(&sentinel, 0), 0);
    decoder.LzwDecoderClose();
    EXPECT_EQ(sentinel, 0x77);
    EXPECT_EQ(ar.ReadByte(), 0x03);
}

TEST(LzwDecoder, SurvivesArbitraryBytes)
{
    std::mt19937 random(12345);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> data(random() % 600);
        for (auto& b : data) b = static_cast<std::uint8_t>(random());
        if (!data.empty() && round % 2 == 0)
            data[0] = static_cast<std::uint8_t>(1 + random() % 255);  // mostly a long first sub-block
        const int minCodeSize = 1 + static_cast<int>(random() % 11);
        const int rowLength = 1 + static_cast<int>(random() % 300);
        CMemFile file(data);
        CArchive ar(&file, CArchive::load);
        CLzwDecoder decoder;
        ASSERT_EQ(decoder.LzwDecoderOpen(ar, static_cast<std::uint8_t>(minCodeSize), rowLength), 0);
        decoder.LzwDecoderPrime();
        // 600 bytes hold at most 2400 codes of at most 4094 pixels each.
        Pixels row(static_cast<std::size_t>(rowLength));
        for (long calls = 0; calls < 10'000'000 && !decoder.DataExhausted(); ++calls)
            decoder.LzwDecodeRow(row.data(), rowLength);
        EXPECT_TRUE(decoder.DataExhausted());
        decoder.LzwDecoderClose();
    }
}

// The images of a GIF file, found just far enough to reach their code streams.
struct GifImage {
    std::size_t codeSizeOffset = 0;  // offset of the minimum code size byte
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> palette;  // local table, else global table (RGB)
};

std::vector<GifImage> FindImages(const std::vector<std::uint8_t>& d)
{
    std::vector<GifImage> images;
    std::size_t p = 0;
    auto need = [&](std::size_t n) {
        if (p + n > d.size())
            throw std::runtime_error("truncated GIF");
    };
    auto skipSubBlocks = [&] {
        for (;;) {
            need(1);
            const std::size_t n = d[p++];
            if (n == 0)
                return;
            need(n);
            p += n;
        }
    };
    need(13);
    p = 13;
    std::vector<std::uint8_t> global;
    if (d[10] & 0x80) {
        const std::size_t n = 3u * (2u << (d[10] & 7));
        need(n);
        global.assign(d.begin() + 13, d.begin() + static_cast<std::ptrdiff_t>(13 + n));
        p += n;
    }
    for (;;) {
        need(1);
        const std::uint8_t introducer = d[p++];
        if (introducer == 0x3B)
            return images;
        if (introducer == 0x21) {
            need(1);
            ++p;
            skipSubBlocks();
        } else if (introducer == 0x2C) {
            need(10);
            GifImage image;
            image.width = d[p + 4] | (d[p + 5] << 8);
            image.height = d[p + 6] | (d[p + 7] << 8);
            const std::uint8_t flags = d[p + 8];
            p += 9;
            image.palette = global;
            if (flags & 0x80) {
                const std::size_t n = 3u * (2u << (flags & 7));
                need(n);
                image.palette.assign(d.begin() + static_cast<std::ptrdiff_t>(p),
                                     d.begin() + static_cast<std::ptrdiff_t>(p + n));
                p += n;
            }
            image.codeSizeOffset = p++;
            skipSubBlocks();
            images.push_back(image);
        } else {
            throw std::runtime_error("unknown introducer");
        }
    }
}

std::string CorpusPath(const std::string& name)
{
    return std::string(KORVANTA_CORPUS_DIR) + "/" + name;
}

// Decodes one image of a file whole; rowsBeforeExhausted says whether data ran out early.
Decoded DecodeImage(const std::vector<std::uint8_t>& file, const GifImage& image)
{
    CMemFile mem(file);
    mem.Seek(image.codeSizeOffset);
    CArchive ar(&mem, CArchive::load);
    const std::uint8_t minCodeSize = ar.ReadByte();
    CLzwDecoder decoder;
    Decoded result;
    result.status = decoder.LzwDecoderOpen(ar, minCodeSize, image.width);
    decoder.LzwDecoderPrime();
    Pixels row(static_cast<std::size_t>(image.width));
    for (int y = 0; y < image.height; ++y) {
        if (decoder.DataExhausted()) {
            result.rowsBeforeExhausted = y;
            break;
        }
        result.status = decoder.LzwDecodeRow(row.data(), image.width);
        result.pixels.insert(result.pixels.end(), row.begin(), row.end());
    }
    decoder.LzwDecoderClose();
    return result;
}

TEST(LzwDecoderCorpus, MuybridgeFramesMatchTheirIndexes)
{
    if (!std::filesystem::exists(CorpusPath("wuffs-gif/muybridge.gif")))
        GTEST_SKIP() << "corpus not found";
    const auto file = ReadWholeFile(CorpusPath("wuffs-gif/muybridge.gif"));
    const auto images = FindImages(file);
    ASSERT_EQ(images.size(), 15u);
    for (std::size_t i = 0; i < images.size(); ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "wuffs-gif/muybridge-frame-%03zu.indexes", i);
        SCOPED_TRACE(name);
        const Decoded d = DecodeImage(file, images[i]);
        EXPECT_EQ(d.status, 0);
        EXPECT_EQ(d.pixels, ReadWholeFile(CorpusPath(name)));
    }
}

TEST(LzwDecoderCorpus, FramesWithDeferredClearCodesDecodeWhole)
{
    // Frames 223, 259 and 260 of this file go on with 12-bit codes after the table is full.
    if (!std::filesystem::exists(CorpusPath("wuffs-gif/gifplayer-muybridge.gif")))
        GTEST_SKIP() << "corpus not found";
    const auto file = ReadWholeFile(CorpusPath("wuffs-gif/gifplayer-muybridge.gif"));
    const auto images = FindImages(file);
    ASSERT_GT(images.size(), 260u);
    for (std::size_t i = 0; i < images.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        const Decoded d = DecodeImage(file, images[i]);
        EXPECT_EQ(d.status, 0);
        EXPECT_EQ(d.rowsBeforeExhausted, -1);
    }
}

TEST(LzwDecoderCorpus, RandomImageCodingsMatchExpectedPixels)
{
    const std::string expectedPath = CorpusPath("pygif-test-suite/random-image.rgba");
    if (!std::filesystem::exists(expectedPath))
        GTEST_SKIP() << "corpus not found";
    const auto expected = ReadWholeFile(expectedPath);
    // Deferred clear, clear at once, minimum code size 11, wide codes, a clear every 255 codes.
    for (const char* name :
         {"4095-codes.gif", "4095-codes-clear.gif", "max-codes.gif", "large-codes.gif", "255-codes.gif"}) {
        SCOPED_TRACE(name);
        const auto file = ReadWholeFile(CorpusPath(std::string("pygif-test-suite/") + name));
        const auto images = FindImages(file);
        ASSERT_EQ(images.size(), 1u);
        const Decoded d = DecodeImage(file, images[0]);
        EXPECT_EQ(d.status, 0);
        ASSERT_EQ(d.pixels.size() * 4, expected.size());
        int mismatches = 0;
        for (std::size_t i = 0; i < d.pixels.size(); ++i) {
            const std::size_t c = 3u * d.pixels[i];
            ASSERT_LT(c + 2, images[0].palette.size());
            for (std::size_t k = 0; k < 3; ++k) mismatches += images[0].palette[c + k] != expected[4 * i + k];
        }
        EXPECT_EQ(mismatches, 0);
    }
}

}  // namespace
}  // namespace korvanta
