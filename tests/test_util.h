// Helpers shared by the core tests: byte strings, fakes of the windowing side, and reading and
// writing documents in memory.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "imaging/dib.h"
#include "model/gif_app_blocks.h"
#include "model/gif_control_block.h"
#include "model/gif_doc.h"
#include "model/gif_header_block.h"
#include "model/gif_image_block.h"
#include "model/gif_text_blocks.h"
#include "platform/archive.h"
#include "platform/draw.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/headless_services.h"
#include "platform/message_box.h"
#include "platform/progress.h"

namespace korvanta::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes B(std::initializer_list<int> values)
{
    Bytes out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

inline Bytes B(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

inline Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The services of a document no test talks to.
inline DocumentServices Headless()
{
    return HeadlessServices::Shared();
}

// Records every message box and answers with a fixed button.
class FakeMessages : public MessageService {
public:
    int MessageBox(const std::string& text, unsigned type) override
    {
        m_texts.push_back(text);
        m_types.push_back(type);
        return m_nAnswer;
    }
    std::vector<std::string> m_texts;
    std::vector<unsigned> m_types;
    int m_nAnswer = IDOK;
};

// Records the range and every position of every progress display it creates.
class FakeProgressFactory : public ProgressFactory {
public:
    struct Record {
        int lower = 0;
        int upper = 0;
        std::vector<int> positions;
    };
    class FakeProgress : public Progress {
    public:
        explicit FakeProgress(Record& record) : m_record(record) {}
        void SetRange(int lower, int upper) override
        {
            m_record.lower = lower;
            m_record.upper = upper;
        }
        void SetPos(int position) override { m_record.positions.push_back(position); }

    private:
        Record& m_record;
    };
    std::unique_ptr<Progress> CreateProgress() override
    {
        m_records.emplace_back();
        return std::make_unique<FakeProgress>(m_records.back());
    }
    std::deque<Record> m_records;
};

// Records what a block draws into its list entry.
class FakeDC : public CDC {
public:
    void TextOut(int x, int y, std::string_view text) override
    {
        m_calls.push_back("text " + std::to_string(x) + "," + std::to_string(y) + " " + std::string(text));
    }
    void DrawDib(const CRect& d, const PackedDib&, const CRect& s) override
    {
        m_calls.push_back("dib " + Rect(d) + " from " + Rect(s));
    }
    void FrameRect(const CRect& r) override { m_calls.push_back("frame " + Rect(r)); }
    static std::string Rect(const CRect& r)
    {
        return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
               std::to_string(r.bottom);
    }
    std::vector<std::string> m_calls;
};

// A file in memory whose device fails (CFileException, as a disk error) once reading reaches
// byte failAt; the bytes before it read normally.
class FailingFile : public CMemFile {
public:
    FailingFile(const Bytes& bytes, std::uint64_t failAt, std::string name = "failing.gif")
        : CMemFile(bytes, std::move(name)), m_nFailAt(failAt)
    {
    }
    std::size_t Read(void* buffer, std::size_t count) override
    {
        if (GetPosition() >= m_nFailAt && count > 0)
            throw CFileException(CFileException::hardIO, GetFilePath(), "読み込みに失敗しました。");
        return CMemFile::Read(
            buffer, static_cast<std::size_t>(std::min<std::uint64_t>(count, m_nFailAt - GetPosition())));
    }

private:
    std::uint64_t m_nFailAt;
};

// Reads bytes into the document as an open of a file named `name` would; what the reader
// throws leaves as it is.
inline void ReadInto(CGIFDoc& doc, const Bytes& bytes, const std::string& name = "test.gif")
{
    CMemFile file(bytes, name);
    doc.SerializeFrom(file);
}

inline Bytes WriteOut(CGIFDoc& doc)
{
    CMemFile file("out.gif");
    doc.SerializeTo(file);
    return file.Data();
}

// The kinds of the document's blocks in list order, e.g. "header loop control image".
inline std::string Kinds(const CGIFDoc& doc)
{
    std::string out;
    for (int i = 0; i < doc.GetBlockCount(); ++i) {
        const CGifBlock* b = doc.GetBlock(i);
        out += out.empty() ? "" : " ";
        out += IsKind<CGifHeaderBlock>(b)             ? "header"
               : IsKind<CGifAppBlockNavigatorLoop>(b) ? "loop"
               : IsKind<CGifControlBlock>(b)          ? "control"
               : IsKind<CGifCommentBlock>(b)          ? "comment"
               : IsKind<CGifTextBlock>(b)             ? "text"
               : IsKind<CGifAppBlock>(b)              ? "app"
               : IsKind<CGifImageBlock>(b)            ? "image"
                                                      : "?";
    }
    return out;
}

// Saves, as a GIF file at path, a header with the global palette (none when NULL) and the
// blocks.
inline void WriteGifFile(const std::string& path, HPALETTE global,
                         std::vector<std::unique_ptr<CGifBlock>> blocks)
{
    CGIFDoc file(test::Headless());
    file.DeleteContents();
    if (global)
        file.SetGlobalPalette(global);
    for (auto& b : blocks) file.InsertBlock(-1, std::move(b));
    EXPECT_TRUE(file.OnSaveDocument(path));
}

// The stream form a block writes.
inline Bytes Written(CGifBlock& block)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    block.SerializeGif(ar, nullptr);
    ar.Close();
    return file.Data();
}

// Lets the block read its stream form from bytes (which start after its introducer and label);
// returns how many bytes it consumed.
inline std::size_t ReadFrom(CGifBlock& block, const Bytes& bytes)
{
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load);
    block.SerializeGif(ar, nullptr);
    ar.Flush();
    return static_cast<std::size_t>(file.GetPosition());
}

// The image's pixel indices, top row first, without the rows' padding.
inline Bytes Indexes(const CGifImageBlock& image)
{
    Bytes out;
    for (int y = 0; y < image.Height(); ++y) {
        const std::uint8_t* row = PackedDibRow(*image.m_hDib, y);
        out.insert(out.end(), row, row + image.Width());
    }
    return out;
}

}  // namespace korvanta::test
