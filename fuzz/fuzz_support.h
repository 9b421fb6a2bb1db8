// What the fuzz targets share: the windowing side's services as quiet in-memory stand-ins,
// reading a document from bytes the way the open command does, the invariants every document
// read from untrusted bytes must keep, and headless playback of a few frames.
//
// A broken invariant aborts with the reason on stderr, so that libFuzzer keeps the input.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/gif_doc.h"
#include "platform/clipboard.h"
#include "platform/document_services.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"

namespace korvanta::fuzz {

using Bytes = std::vector<std::uint8_t>;

[[noreturn]] inline void Fail(const char* what, const std::string& detail = {})
{
    std::fprintf(stderr, "fuzz invariant broken: %s%s%s\n", what, detail.empty() ? "" : ": ", detail.c_str());
    std::fflush(stderr);
    std::abort();
}

inline void Check(bool condition, const char* what, const std::string& detail = {})
{
    if (!condition)
        Fail(what, detail);
}

// Keeps the last message and counts them; answers every question with its first button.
class QuietMessages : public MessageService {
public:
    int MessageBox(const std::string& text, unsigned type) override
    {
        ++m_nCount;
        m_strLast = text;
        return (type & 0x0F) == MB_YESNO || (type & 0x0F) == MB_YESNOCANCEL ? IDYES : IDOK;
    }
    int m_nCount = 0;
    std::string m_strLast;
};

// A clipboard in memory that is always free to open.
class MemoryClipboard : public ClipboardService {
public:
    ClipboardFormat RegisterClipboardFormat(const std::string& name) override
    {
        return m_registered.try_emplace(name, 0xC000 + static_cast<ClipboardFormat>(m_registered.size()))
            .first->second;
    }
    bool OpenClipboard() override
    {
        Check(!m_bOpen, "clipboard opened twice");
        return m_bOpen = true;
    }
    void CloseClipboard() override
    {
        Check(m_bOpen, "clipboard closed without being open");
        m_bOpen = false;
    }
    bool EmptyClipboard() override
    {
        m_items.clear();
        return true;
    }
    bool SetClipboardData(ClipboardFormat format, Bytes data) override
    {
        m_items[format] = std::move(data);
        return true;
    }
    std::optional<Bytes> GetClipboardData(ClipboardFormat format) override
    {
        Check(m_bOpen, "clipboard read while closed");
        const auto it = m_items.find(format);
        return it == m_items.end() ? std::nullopt : std::optional(it->second);
    }
    bool IsClipboardFormatAvailable(ClipboardFormat format) override { return m_items.count(format) != 0; }

    ClipboardFormat PrivateFormat() { return RegisterClipboardFormat(kClipFormatName); }

    std::map<ClipboardFormat, Bytes> m_items;
    std::map<std::string, ClipboardFormat> m_registered;
    bool m_bOpen = false;
};

// Answers every file dialog with one path.
class FixedFileDialog : public FileDialogService {
public:
    explicit FixedFileDialog(std::string path) : m_strPath(std::move(path)) {}
    std::optional<std::string> GetFileName(const FileDialogRequest&) override { return m_strPath; }

private:
    std::string m_strPath;
};

// The headless services (every question declined, no clipboard, no dialogs), shared by every
// document of the process: they keep no state.
DocumentServices Headless();

// A document that keeps what its reader reports instead of showing it.
class FuzzDoc : public CGIFDoc {
public:
    explicit FuzzDoc(const DocumentServices& services) : CGIFDoc(services) {}
    void ReportSaveLoadException(const std::string&, const CException* e, bool, int) override
    {
        m_reports.push_back(e != nullptr ? e->GetErrorMessage() : std::string());
    }
    std::vector<std::string> m_reports;
};

// Writes the input to a file of this process (one per extension, rewritten each run, removed at
// exit) for the operations that read files by path; returns the path.
const std::string& WriteInputFile(std::span<const std::uint8_t> data, const std::string& extension);

// Reads bytes into the document as the open command reads a file: on failure the contents are
// dropped again and the reason is kept in `reason`. True when the document opened.
bool OpenFromBytes(FuzzDoc& doc, std::span<const std::uint8_t> data, std::string& reason);

// The stream form the document saves as; aborts when a document that was read cannot be written.
Bytes SaveToBytes(CGIFDoc& doc);

// The pixels of the document's images together.
std::uint64_t DocumentPixels(const CGIFDoc& doc);

// Header first and only there, every image a consistent 8-bit bitmap within the size limits.
void CheckDocumentShape(const CGIFDoc& doc);

// A failed open leaves a lone default header, as a new open would start from.
void CheckFailedOpenLeftNothing(const CGIFDoc& doc);

// Gives the header a 48 x 32 logical screen: playback composes and dithers small canvases, so
// that the runs go to the readers rather than to the dither; larger images are played clipped.
void UseSmallScreen(CGIFDoc& doc);

// Plays the document headless for at most `frames` frames and two passes, dithering frames to
// the display palette as the window does on palette displays: each frame on screens up to
// kMaxDitheredScreen pixels, the first one only on larger screens. Screens above
// kMaxPlayedScreen are not played: filling and dithering a canvas of tens of megapixels takes
// the sanitized build seconds (a normal build a fraction of one), and the composition's
// clipping is the same on smaller screens; the player's own bound is tested by the unit tests.
constexpr std::uint64_t kMaxDitheredScreen = 1u << 20;
constexpr std::uint64_t kMaxPlayedScreen = 1u << 22;
void PlayFrames(CGIFDoc& doc, int frames);

// Shows every block's page and its list entry, as selecting each block in the editor does.
void VisitPages(CGIFDoc& doc);

}  // namespace korvanta::fuzz
