// The stream frame: signature, dispatch, trailer, progress, and what is kept or refused.
#include <filesystem>
#include <gtest/gtest.h>

#include "model/gif_app_blocks.h"
#include "model/gif_control_block.h"
#include "model/gif_header_block.h"
#include "model/gif_text_blocks.h"
#include "tests/test_util.h"

namespace korvanta {
namespace {

using test::B;
using test::Bytes;
using test::operator+;

const Bytes kScreen = B({0x40, 0x00, 0x30, 0x00,  // 64 x 48
                         0xF1, 0x03, 0x00})       // global table of 4, background 3
                      + B({0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255});

// Header with global table, loop, control, comment, plain text and an unknown application
// extension: every kind but the image.
const Bytes kBlocks = B("GIF89a") + kScreen + B({0x21, 0xFF, 0x0B}) + B("NETSCAPE2.0") + B({3, 1, 0, 0, 0}) +
                      B({0x21, 0xF9, 4, 0x0D, 10, 0, 5, 0}) + B({0x21, 0xFE, 5}) + B("hello") + B({0}) +
                      B({0x21, 0x01, 12, 1, 0, 2, 0, 30, 0, 16, 0, 8, 16, 1, 0, 2, 'h', 'i', 0}) +
                      B({0x21, 0xFF, 0x0B}) + B("GIFCONnb1.0") + B({4, 1, 2, 3, 4, 0}) + B({0x3B});

void ExpectBadIndex(const Bytes& bytes)
{
    CGIFDoc doc(test::Headless());
    try {
        test::ReadInto(doc, bytes);
        FAIL() << "the stream was accepted";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::badIndex);
        EXPECT_FALSE(e.GetErrorMessage().empty());
    }
}

TEST(GifStream, EveryNonImageBlockRoundTripsByteForByte)
{
    CGIFDoc doc(test::Headless());
    test::ReadInto(doc, kBlocks);
    ASSERT_EQ(doc.GetBlockCount(), 6);
    EXPECT_TRUE(IsKind<CGifAppBlockNavigatorLoop>(doc.GetBlock(1)));
    EXPECT_TRUE(IsKind<CGifControlBlock>(doc.GetBlock(2)));
    EXPECT_TRUE(IsKind<CGifCommentBlock>(doc.GetBlock(3)));
    EXPECT_TRUE(IsKind<CGifTextBlock>(doc.GetBlock(4)));
    EXPECT_TRUE(IsKind<CGifAppBlock>(doc.GetBlock(5)));
    EXPECT_EQ(doc.m_nCurrent, 5);  // the last block read is current
    EXPECT_EQ(test::WriteOut(doc), kBlocks);
}

TEST(GifStream, Gif87aIsReadAndWrittenAsGif89a)
{
    Bytes old = kBlocks;
    old[4] = '7';
    CGIFDoc doc(test::Headless());
    test::ReadInto(doc, old);
    EXPECT_EQ(test::WriteOut(doc), kBlocks);
}

TEST(GifStream, HeaderOnlyStream)
{
    CGIFDoc doc(test::Headless());
    test::ReadInto(doc, B("GIF89a") + B({1, 0, 1, 0, 0, 0, 0, 0x3B}));
    ASSERT_EQ(doc.GetBlockCount(), 1);
    EXPECT_FALSE(doc.HasGlobalColorTable());
    EXPECT_EQ(doc.GetGlobalPalette()->GetEntryCount(), 256);
    EXPECT_EQ(test::WriteOut(doc), B("GIF89a") + B({1, 0, 1, 0, 0, 0, 0, 0x3B}));
}

TEST(GifStream, RefusedStreams)
{
    ExpectBadIndex(B("GIF"));
    ExpectBadIndex(B("GIX89a") + kScreen + B({0x3B}));
    ExpectBadIndex(B("GIF88a") + kScreen + B({0x3B}));
    ExpectBadIndex(B("GIF89a") + kScreen + B({0x21, 0x02, 0, 0x3B}));       // unknown extension label
    ExpectBadIndex(B("GIF89a") + kScreen + B({0x00, 0x3B}));                // stray zero between blocks
    ExpectBadIndex(B("GIF89a") + kScreen + B({0x21, 0xFE, 5, 'a', 0x3B}));  // short sub-block
}

TEST(GifStream, MissingTrailerIsReportedOnceAndKeepsEveryBlock)
{
    const auto dir = std::filesystem::temp_directory_path() / "korvanta-stream-test";
    std::filesystem::create_directories(dir);
    const auto path = (dir / "cut.gif").string();
    {
        CFile out(path, CFile::modeCreate);
        out.Write(kBlocks.data(), kBlocks.size() - 1);
        out.Close();
    }
    test::FakeMessages messages;
    CGIFDoc doc(test::Headless().WithMessages(messages));
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(doc.GetBlockCount(), 6);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetPathName(), path);
    ASSERT_EQ(messages.m_texts.size(), 1u);
    EXPECT_NE(messages.m_texts[0].find("cut.gif"), std::string::npos);
    std::filesystem::remove_all(dir);
}

TEST(GifStream, FailedOpenLeavesOnlyADefaultHeader)
{
    const auto dir = std::filesystem::temp_directory_path() / "korvanta-stream-test2";
    std::filesystem::create_directories(dir);
    const auto path = (dir / "bad.gif").string();
    const Bytes bad = B("GIF89a") + kScreen + B({0x21, 0xFE, 1, 'x', 0, 0x21, 0x02});
    {
        CFile out(path, CFile::modeCreate);
        out.Write(bad.data(), bad.size());
        out.Close();
    }
    test::FakeMessages messages;
    CGIFDoc doc(test::Headless().WithMessages(messages));
    doc.OnNewDocument();
    EXPECT_FALSE(doc.OnOpenDocument(path));
    EXPECT_EQ(doc.GetBlockCount(), 1);
    EXPECT_EQ(doc.GetHeader()->m_nWidth, 320);
    EXPECT_EQ(messages.m_texts.size(), 1u);

    // A file that cannot be opened at all leaves the open document alone.
    doc.OnNewDocument();
    EXPECT_FALSE(doc.OnOpenDocument((dir / "missing.gif").string()));
    EXPECT_EQ(doc.GetBlockCount(), 3);
    std::filesystem::remove_all(dir);
}

TEST(GifStream, EveryTruncationEitherOpensWithItsCompleteBlocksOrFailsCleanly)
{
    for (std::size_t n = 0; n < kBlocks.size(); ++n) {
        test::FakeMessages messages;
        CGIFDoc doc(test::Headless().WithMessages(messages));
        const Bytes prefix(kBlocks.begin(), kBlocks.begin() + static_cast<std::ptrdiff_t>(n));
        try {
            test::ReadInto(doc, prefix);
            // Only a cut where a block is due opens, with exactly one report.
            EXPECT_EQ(messages.m_texts.size(), 1u) << n;
            if (n >= 25) {  // past the global table: what was read, plus the trailer
                EXPECT_EQ(test::WriteOut(doc).size(), n + 1) << n;
            }
        } catch (const CArchiveException&) {
            EXPECT_TRUE(messages.m_texts.empty()) << n;
        }
    }
}

TEST(GifStream, ProgressCoversFileAndBlocks)
{
    test::FakeProgressFactory progress;
    CGIFDoc doc(test::Headless().WithProgress(progress));
    test::ReadInto(doc, kBlocks);
    ASSERT_EQ(progress.m_records.size(), 1u);
    EXPECT_EQ(progress.m_records[0].upper, 65535);
    ASSERT_FALSE(progress.m_records[0].positions.empty());
    EXPECT_TRUE(
        std::is_sorted(progress.m_records[0].positions.begin(), progress.m_records[0].positions.end()));
    EXPECT_EQ(progress.m_records[0].positions.back(), 65535 * (kBlocks.size() - 1) / kBlocks.size());

    test::WriteOut(doc);
    ASSERT_EQ(progress.m_records.size(), 2u);
    EXPECT_EQ(progress.m_records[1].upper, 6);
    EXPECT_EQ(progress.m_records[1].positions, (std::vector<int>{0, 1, 2, 3, 4, 5}));
}

TEST(GifStream, FailedSaveLeavesOldFileAndModifiedFlag)
{
    const auto dir = std::filesystem::temp_directory_path() / "korvanta-stream-test3";
    std::filesystem::create_directories(dir);
    const auto path = (dir / "keep.gif").string();
    {
        CFile out(path, CFile::modeCreate);
        out.Write(kBlocks.data(), kBlocks.size());
        out.Close();
    }
    test::FakeMessages messages;
    CGIFDoc doc(test::Headless().WithMessages(messages));
    doc.OnNewDocument();
    doc.GetHeader()->m_nHeight = 100000;  // cannot be written
    doc.SetModifiedFlag(true);
    EXPECT_FALSE(doc.OnSaveDocument(path));
    EXPECT_TRUE(doc.IsModified());
    ASSERT_EQ(messages.m_texts.size(), 1u);
    EXPECT_NE(messages.m_texts[0].find("100000"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(path), kBlocks);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);

    doc.GetHeader()->m_nHeight = 100;
    EXPECT_TRUE(doc.OnSaveDocument(path));
    EXPECT_FALSE(doc.IsModified());
    CGIFDoc back(test::Headless());
    EXPECT_TRUE(back.OnOpenDocument(path));
    EXPECT_EQ(back.GetBlockCount(), 3);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace korvanta
