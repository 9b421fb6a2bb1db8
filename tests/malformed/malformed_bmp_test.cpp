// BMP files whose fields lie, inserted through the insert-picture command: each is inserted as
// the one image it really holds, or refused with one message and the document left exactly as
// it was; a bitmap read never costs more than the file's own bytes and a colour table.
#include <functional>
#include <gtest/gtest.h>

#include "imaging/bmp_file.h"
#include "imaging/dib.h"
#include "imaging/dib_convert.h"
#include "model/gif_doc.h"
#include "model/gif_doc_commands.h"
#include "model/gif_image_block.h"
#include "tests/service_fakes.h"
#include "tests/test_util.h"

namespace korvanta {
namespace {

using test::Bytes;
using test::DibLayout;

// Offsets of the fields of a BMP file.
enum : std::size_t {
    kFileSize = 2,
    kBitmapOffset = 10,
    kHeaderSize = 14,
    kWidth = 18,
    kHeight = 22,
    kPlanes = 26,
    kBitCount = 28,
    kCompression = 30,
    kImageSize = 34,
    kColorsUsed = 46,
    kColorsImportant = 50,
};

// The bitmap with a file header in front, the bitmap offset just behind its colour table.
Bytes BmpFile(const DibLayout& layout)
{
    Bytes file = test::DibBytes(layout);
    const std::uint32_t entries = layout.tableEntries >= 0 ? static_cast<std::uint32_t>(layout.tableEntries)
                                  : layout.colorsUsed != 0 ? layout.colorsUsed
                                  : layout.bitCount <= 8   ? 1u << layout.bitCount
                                                           : 0u;
    file.insert(file.begin(), 14, 0);
    file[0] = 'B';
    file[1] = 'M';
    test::PutLE(file, 2, static_cast<std::uint32_t>(file.size()), 4);
    test::PutLE(file, 10, static_cast<std::uint32_t>(14 + layout.headerSize + 4 * entries), 4);
    return file;
}

// 5 x 3 pixels (rows padded by 3 bytes) of 8 bits with a 256-entry table: 1102 bytes.
Bytes EightBitFile()
{
    DibLayout layout;
    layout.width = 5;
    layout.height = 3;
    layout.pixels = test::Pixels(5, 3, [](int x, int y) { return 40 * y + x; });
    return BmpFile(layout);
}

void Put(Bytes& file, std::size_t at, std::uint32_t value, int bytes = 4)
{
    test::PutLE(file, at, value, bytes);
}

enum class Outcome { inserted, refused, needs256 };

struct Case {
    const char* name;
    std::function<void(Bytes&)> lie;
    Outcome outcome;
};

class MalformedBmp : public test::TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        ASSERT_TRUE(m_doc.OnNewDocument());
    }

    // Inserts the file through the command and checks the outcome.
    void Insert(const Bytes& file, Outcome outcome, const std::string& what)
    {
        const std::string path = PathOf("picture.bmp");
        test::WriteFileBytes(path, file);
        const int blocks = m_doc.GetBlockCount();
        const bool modified = m_doc.IsModified();
        m_messages.m_texts.clear();
        m_dialogs.Answer(path);
        m_doc.OnInsertImage();
        if (outcome != Outcome::inserted) {
            ASSERT_EQ(m_messages.m_texts.size(), 1u) << what;
            EXPECT_EQ(m_messages.m_texts[0], outcome == Outcome::refused ? kMsgLoadError : kMsgNeed256Colors)
                << what;
            EXPECT_EQ(m_doc.GetBlockCount(), blocks) << what;
            EXPECT_EQ(m_doc.IsModified(), modified) << what;
            return;
        }
        EXPECT_TRUE(m_messages.m_texts.empty()) << what;
        ASSERT_EQ(m_doc.GetBlockCount(), blocks + 1) << what;
        const auto* image = dynamic_cast<const CGifImageBlock*>(m_doc.GetCurrentBlock());
        ASSERT_NE(image, nullptr) << what;
        ASSERT_TRUE(image->m_hDib && PackedDibIsConsistent(*image->m_hDib)) << what;

        // The bitmap read is paid for by the file: its rows came from it.
        CMemFile memory(file);
        const PackedDib read = ReadBmpStream(memory);
        ASSERT_TRUE(read) << what;
        EXPECT_LE(read->size(), kDibInfoHeaderSize + 256 * 4 + file.size()) << what;
        EXPECT_EQ(image->Width(), PackedDibWidth(*read)) << what;
        EXPECT_EQ(image->Height(), PackedDibHeight(*read)) << what;
    }

    test::FakeMessages m_messages;
    test::FakeFileDialogs m_dialogs;
    CGIFDoc m_doc{test::Headless().WithMessages(m_messages).WithDialogs(m_dialogs)};
};

TEST_F(MalformedBmp, LyingSizesOffsetsColourCountsAndDimensions)
{
    const std::size_t tableEnd = 14 + 40 + 256 * 4;
    const std::vector<Case> cases = {
        {"as written", [](Bytes&) {}, Outcome::inserted},
        // Sizes the reader recomputes or does not need.
        {"file size 0", [](Bytes& f) { Put(f, kFileSize, 0); }, Outcome::inserted},
        {"file size 4 GiB", [](Bytes& f) { Put(f, kFileSize, 0xFFFFFFFF); }, Outcome::inserted},
        {"image size 0", [](Bytes& f) { Put(f, kImageSize, 0); }, Outcome::inserted},
        {"image size 2 GiB", [](Bytes& f) { Put(f, kImageSize, 0x7FFFFFFF); }, Outcome::inserted},
        {"colours important 4 billion", [](Bytes& f) { Put(f, kColorsImportant, 0xFFFFFFFF); },
         Outcome::inserted},
        // Offsets.
        {"offset 0: pixels follow the table", [](Bytes& f) { Put(f, kBitmapOffset, 0); }, Outcome::inserted},
        {"offset after a gap",
         [&](Bytes& f) {
             f.insert(f.begin() + static_cast<std::ptrdiff_t>(tableEnd), 16, 0xAB);
             Put(f, kBitmapOffset, static_cast<std::uint32_t>(tableEnd + 16));
         },
         Outcome::inserted},
        {"offset into the file header", [](Bytes& f) { Put(f, kBitmapOffset, 6); }, Outcome::refused},
        {"offset into the information header", [](Bytes& f) { Put(f, kBitmapOffset, 20); }, Outcome::refused},
        {"offset into the colour table",
         [&](Bytes& f) { Put(f, kBitmapOffset, static_cast<std::uint32_t>(tableEnd - 4)); },
         Outcome::refused},
        {"offset leaves the last row short",
         [&](Bytes& f) { Put(f, kBitmapOffset, static_cast<std::uint32_t>(tableEnd + 1)); },
         Outcome::refused},
        {"offset at the end", [](Bytes& f) { Put(f, kBitmapOffset, static_cast<std::uint32_t>(f.size())); },
         Outcome::refused},
        {"offset 4 GiB", [](Bytes& f) { Put(f, kBitmapOffset, 0xFFFFFFFF); }, Outcome::refused},
        // Colour counts.
        {"257 colours at 8 bits", [](Bytes& f) { Put(f, kColorsUsed, 257); }, Outcome::refused},
        {"colour count whose table size wraps 32 bits", [](Bytes& f) { Put(f, kColorsUsed, 0x40000001); },
         Outcome::refused},
        {"4 billion colours", [](Bytes& f) { Put(f, kColorsUsed, 0xFFFFFFFF); }, Outcome::refused},
        // A smaller count within the depth is believed; the pixels keep their indices.
        {"fewer colours than the table holds", [](Bytes& f) { Put(f, kColorsUsed, 16); }, Outcome::inserted},
        // Dimensions.
        {"width 0", [](Bytes& f) { Put(f, kWidth, 0); }, Outcome::refused},
        {"width -5", [](Bytes& f) { Put(f, kWidth, static_cast<std::uint32_t>(-5)); }, Outcome::refused},
        {"width 32768", [](Bytes& f) { Put(f, kWidth, 32768); }, Outcome::refused},
        {"height 0", [](Bytes& f) { Put(f, kHeight, 0); }, Outcome::refused},
        {"height INT_MIN", [](Bytes& f) { Put(f, kHeight, 0x80000000u); }, Outcome::refused},
        {"height -3: rows top first", [](Bytes& f) { Put(f, kHeight, static_cast<std::uint32_t>(-3)); },
         Outcome::inserted},
        {"one row more than the file holds", [](Bytes& f) { Put(f, kHeight, 4); }, Outcome::refused},
        {"32767 x 32767 in a kilobyte",
         [](Bytes& f) {
             Put(f, kWidth, 32767);
             Put(f, kHeight, 32767);
         },
         Outcome::refused},
        {"32767 x 1: a row longer than the file",
         [](Bytes& f) {
             Put(f, kWidth, 32767);
             Put(f, kHeight, 1);
         },
         Outcome::refused},
        // Layouts the reader does not take.
        {"magic BA", [](Bytes& f) { f[1] = 'A'; }, Outcome::refused},
        {"core header size", [](Bytes& f) { Put(f, kHeaderSize, 12); }, Outcome::refused},
        {"header size 4 GiB", [](Bytes& f) { Put(f, kHeaderSize, 0xFFFFFFFF); }, Outcome::refused},
        {"header size past the end",
         [](Bytes& f) { Put(f, kHeaderSize, static_cast<std::uint32_t>(f.size())); }, Outcome::refused},
        {"planes 0", [](Bytes& f) { Put(f, kPlanes, 0, 2); }, Outcome::refused},
        {"bit count 2", [](Bytes& f) { Put(f, kBitCount, 2, 2); }, Outcome::refused},
        {"bit count 32", [](Bytes& f) { Put(f, kBitCount, 32, 2); }, Outcome::refused},
        {"run-length compressed", [](Bytes& f) { Put(f, kCompression, 1); }, Outcome::refused},
        // A sound file of 24 bits is read, but an image needs a palette.
        {"24 bits",
         [](Bytes& f) {
             DibLayout layout;
             layout.bitCount = 24;
             layout.pixels = test::Pixels(3, 2, [](int x, int) { return x * 100; });
             f = BmpFile(layout);
         },
         Outcome::needs256},
    };
    for (const Case& c : cases) {
        Bytes file = EightBitFile();
        c.lie(file);
        Insert(file, c.outcome, c.name);
    }
}

TEST_F(MalformedBmp, EveryTruncationIsRefusedAndLeavesTheDocumentAlone)
{
    for (const int bits : {1, 4, 8}) {
        DibLayout layout;
        layout.bitCount = bits;
        layout.width = 9;
        layout.height = 2;
        layout.pixels = test::Pixels(9, 2, [&](int x, int y) { return (x + y) % (1 << bits); });
        const Bytes file = BmpFile(layout);
        for (std::size_t n = 0; n < file.size(); ++n)
            Insert(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n)), Outcome::refused,
                   std::to_string(bits) + " bits cut at " + std::to_string(n));
        Insert(file, Outcome::inserted, std::to_string(bits) + " bits whole");
    }
}

}  // namespace
}  // namespace korvanta
