// What every malformed input must come to: opened through the open command, it either opens
// into a well-formed document that saves, opens again and plays, or fails with one message that
// gives a reason and leaves a lone default header. Either way the images it allocates stay
// within the documented bounds.
#pragma once

#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "imaging/dib.h"
#include "model/gif_doc.h"
#include "model/gif_header_block.h"
#include "model/gif_image_block.h"
#include "player/animation_player.h"
#include "player/frame_timeline.h"
#include "tests/service_fakes.h"
#include "tests/test_util.h"

namespace korvanta::test {

// Codes packed least significant bit first, as GIF image data holds them: {code, width} pairs.
inline Bytes PackCodes(std::initializer_list<std::pair<int, int>> codes)
{
    Bytes out;
    std::uint32_t buffer = 0;
    int bits = 0;
    for (const auto& [code, width] : codes) {
        buffer |= static_cast<std::uint32_t>(code) << bits;
        bits += width;
        while (bits >= 8) {
            out.push_back(static_cast<std::uint8_t>(buffer & 0xFF));
            buffer >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0)
        out.push_back(static_cast<std::uint8_t>(buffer & 0xFF));
    return out;
}

// Bytes as data sub-blocks of at most 255 bytes, then the terminator.
inline Bytes SubBlocks(const Bytes& data)
{
    Bytes out;
    for (std::size_t i = 0; i < data.size(); i += 255) {
        const std::size_t n = std::min<std::size_t>(255, data.size() - i);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(i),
                   data.begin() + static_cast<std::ptrdiff_t>(i + n));
    }
    out.push_back(0);
    return out;
}

// The result of opening bytes as a file.
struct OpenResult {
    bool opened = false;
    std::vector<std::string> messages;
};

// The pixels the document's images hold together.
inline std::uint64_t ImagePixels(const CGIFDoc& doc)
{
    std::uint64_t total = 0;
    for (int i = 1; i < doc.GetBlockCount(); ++i) {
        if (const auto* image = dynamic_cast<const CGifImageBlock*>(doc.GetBlock(i)))
            total += static_cast<std::uint64_t>(image->Width()) * static_cast<std::uint64_t>(image->Height());
    }
    return total;
}

// A refused file: one message, whose reason follows the prompt's line; a lone default header;
// the document not modified.
inline void CheckRefused(const CGIFDoc& doc, const OpenResult& result, const std::string& what)
{
    ASSERT_EQ(result.messages.size(), 1u) << what;
    const std::string& text = result.messages[0];
    const auto newline = text.find('\n');
    ASSERT_NE(newline, std::string::npos) << what << ": no reason in \"" << text << "\"";
    EXPECT_GT(text.size(), newline + 1) << what << ": an empty reason";
    ASSERT_EQ(doc.GetBlockCount(), 1) << what << ": a refused file left blocks behind";
    const CGifHeaderBlock fresh;
    EXPECT_EQ(doc.GetHeader()->m_nWidth, fresh.m_nWidth) << what;
    EXPECT_EQ(doc.GetHeader()->m_nHeight, fresh.m_nHeight) << what;
    EXPECT_EQ(doc.GetHeader()->m_bGlobalTable, fresh.m_bGlobalTable) << what;
    EXPECT_FALSE(doc.IsModified()) << what;
}

// An opened file: at most the one report of a missing trailer; the header first and only there;
// every image a consistent 8-bit bitmap within the pixel bounds; the saved stream opens again
// into the same blocks and saves to the same bytes; the animation plays.
inline void CheckOpened(CGIFDoc& doc, const OpenResult& result, const std::string& what, bool deep = true)
{
    EXPECT_LE(result.messages.size(), 1u) << what;
    ASSERT_GE(doc.GetBlockCount(), 1) << what;
    ASSERT_NE(doc.GetHeader(), nullptr) << what;
    for (int i = 1; i < doc.GetBlockCount(); ++i) {
        ASSERT_FALSE(IsKind<CGifHeaderBlock>(doc.GetBlock(i))) << what << ": block " << i;
        const auto* image = dynamic_cast<const CGifImageBlock*>(doc.GetBlock(i));
        if (image == nullptr)
            continue;
        ASSERT_TRUE(image->m_hDib && PackedDibIsConsistent(*image->m_hDib)) << what << ": block " << i;
        EXPECT_EQ(PackedDibBitCount(*image->m_hDib), 8) << what;
        EXPECT_LE(static_cast<std::uint64_t>(image->Width()) * static_cast<std::uint64_t>(image->Height()),
                  kMaxImagePixels)
            << what;
    }
    EXPECT_LE(ImagePixels(doc), kMaxDocumentPixels) << what;
    if (!deep)
        return;

    const Bytes saved = WriteOut(doc);
    FakeMessages messages;
    CGIFDoc again(test::Headless().WithMessages(messages));
    try {
        ReadInto(again, saved);
    } catch (const CException& e) {
        FAIL() << what << ": the saved stream does not open: " << e.GetErrorMessage();
    }
    EXPECT_TRUE(messages.m_texts.empty()) << what;
    ASSERT_EQ(again.GetBlockCount(), doc.GetBlockCount()) << what;
    for (int i = 0; i < doc.GetBlockCount(); ++i)
        EXPECT_EQ(again.GetBlock(i)->GetRuntimeClass(), doc.GetBlock(i)->GetRuntimeClass())
            << what << ": " << i;
    EXPECT_EQ(WriteOut(again), saved) << what;

    AnimationPlayer player(&doc);
    if (player.Create())
        PlayTimeline(player, 2, [](const FrameEvent& frame) { return frame.index < 8; });
}

// Opens files written into a directory of its own through documents whose messages it records.
class MalformedFiles {
public:
    MalformedFiles()
        : m_dir(std::filesystem::temp_directory_path() /
                ("korvanta-malformed-" + std::to_string(std::random_device{}())))
    {
        std::filesystem::create_directories(m_dir);
    }
    ~MalformedFiles()
    {
        std::error_code error;
        std::filesystem::remove_all(m_dir, error);
    }
    MalformedFiles(const MalformedFiles&) = delete;
    MalformedFiles& operator=(const MalformedFiles&) = delete;

    std::string Write(const Bytes& bytes, const std::string& name = "input.gif") const
    {
        const std::string path = (m_dir / name).string();
        WriteFileBytes(path, bytes);
        return path;
    }

    // The services of a document that Open is given: its messages are recorded here.
    DocumentServices Services() const { return Headless().WithMessages(m_messages); }

    // Opens the bytes into doc (made with Services()) and checks what any open must leave: see
    // CheckOpened and CheckRefused.
    // deep = false skips the save, reopen and playback, for files whose images are too large
    // to encode again in a test.
    OpenResult Open(CGIFDoc& doc, const Bytes& bytes, const std::string& what, bool deep = true) const
    {
        EXPECT_EQ(&doc.Messages(), &m_messages) << what << ": the document was not made with Services()";
        m_messages.m_texts.clear();
        OpenResult result;
        result.opened = doc.OnOpenDocument(Write(bytes));
        result.messages = m_messages.m_texts;
        if (result.opened)
            CheckOpened(doc, result, what, deep);
        else
            CheckRefused(doc, result, what);
        return result;
    }

private:
    std::filesystem::path m_dir;
    mutable FakeMessages m_messages;
};

}  // namespace korvanta::test
