// The system clipboard as the document's copy, cut and paste use it: opened and closed around
// each use, emptied before new items go on it, items kept by format as bytes. The program's own
// format is registered by name; CF_DIB carries a packed device-independent bitmap for other
// programs. Items read back come from other programs too and are untrusted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvanta {

using ClipboardFormat = unsigned;

// The standard format of a packed device-independent bitmap.
constexpr ClipboardFormat CF_DIB = 8;

// The name the program's block format is registered under: one block per item.
inline constexpr char kClipFormatName[] = "KORVANTA";

class ClipboardService {
public:
    virtual ~ClipboardService() = default;

    // The identifier of a named format; the same name always gives the same identifier.
    virtual ClipboardFormat RegisterClipboardFormat(const std::string& name) = 0;

    // False when another user holds the clipboard; nothing else may be called then.
    virtual bool OpenClipboard() = 0;
    virtual void CloseClipboard() = 0;
    // Removes every item and makes this program the clipboard's owner.
    virtual bool EmptyClipboard() = 0;
    // The clipboard owns the bytes from now on. False when they could not be placed.
    virtual bool SetClipboardData(ClipboardFormat format, std::vector<std::uint8_t> data) = 0;
    // A copy of the item of that format; nothing when there is none.
    virtual std::optional<std::vector<std::uint8_t>> GetClipboardData(ClipboardFormat format) = 0;
    virtual bool IsClipboardFormatAvailable(ClipboardFormat format) = 0;
};

// Holds the clipboard open for one scope: closes it on every way out once it was opened.
class ClipboardLock {
public:
    explicit ClipboardLock(ClipboardService& clipboard)
        : m_clipboard(clipboard), m_bOpen(clipboard.OpenClipboard())
    {
    }
    ~ClipboardLock()
    {
        if (m_bOpen)
            m_clipboard.CloseClipboard();
    }
    ClipboardLock(const ClipboardLock&) = delete;
    ClipboardLock& operator=(const ClipboardLock&) = delete;

    bool IsOpen() const { return m_bOpen; }

private:
    ClipboardService& m_clipboard;
    bool m_bOpen;
};

// A clipboard that can never be opened: copy and cut keep their data, paste finds nothing.
class NullClipboardService final : public ClipboardService {
public:
    ClipboardFormat RegisterClipboardFormat(const std::string&) override { return 0xC000; }
    bool OpenClipboard() override { return false; }
    void CloseClipboard() override {}
    bool EmptyClipboard() override { return false; }
    bool SetClipboardData(ClipboardFormat, std::vector<std::uint8_t>) override { return false; }
    std::optional<std::vector<std::uint8_t>> GetClipboardData(ClipboardFormat) override
    {
        return std::nullopt;
    }
    bool IsClipboardFormatAvailable(ClipboardFormat) override { return false; }
};

}  // namespace korvanta
