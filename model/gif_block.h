// The base of every GIF block. Ten operations let the list view, the property pages, the
// player, the stream codec, the clipboard and the GIF import treat all kinds alike; kinds are
// told apart by their run-time class, never by a type field.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/types.h"

namespace korvanta {

class CArchive;
class CDC;
class CGifHeaderBlock;
class CGifHeaderPageData;
class CGifPageData;
class PlaybackState;
class Progress;

// Run-time class information: a name and the base it reports. A class may report a base other
// than the one it derives from in C++; kind tests follow the reported chain.
struct CRuntimeClass {
    const char* m_lpszClassName;
    const CRuntimeClass* m_pBaseClass;

    bool IsDerivedFrom(const CRuntimeClass* base) const;
};

// The property page that edits a kind of block; the property bar holds one page per kind.
enum class PageKind { none, header, control, image, comment, text, loop, application };

// The private clipboard form of a block; empty when the block cannot be copied.
using ClipData = std::optional<std::vector<std::uint8_t>>;

class CGifBlock {
public:
    static const CRuntimeClass classInfo;

    CGifBlock() = default;
    virtual ~CGifBlock() = default;
    CGifBlock(const CGifBlock&) = delete;
    CGifBlock& operator=(const CGifBlock&) = delete;

    virtual const CRuntimeClass* GetRuntimeClass() const { return &classInfo; }
    bool IsKindOf(const CRuntimeClass* runtimeClass) const
    {
        return GetRuntimeClass()->IsDerivedFrom(runtimeClass);
    }

    // Paints the block's list entry into rect, which the view has inset by its frame. A block
    // that covers only part of it (an image's thumbnail) narrows rect to what it drew, so that
    // the view can frame the selection around the picture rather than the whole entry.
    virtual void DrawInList(CDC& dc, CRect& rect);
    virtual CSize GetListSize() const;
    // Takes the page's values. Bit 0 of the result: something changed (the document becomes
    // modified); bit 1: the list must be repainted (pixels were re-fitted).
    virtual int UpdateFromPage(CGifPageData& page);
    virtual void UpdatePage(CGifPageData& page);
    virtual PageKind GetPage() const;
    // Applies the block to the playback state; true when a frame was put on the screen.
    virtual bool Play(PlaybackState& wnd);
    // Reads or writes the block's stream form, as the archive is loading or storing. When
    // reading, the bytes that open the block have been consumed.
    virtual void SerializeGif(CArchive& ar, Progress* progress);
    virtual ClipData CreateClipData() const;
    // data starts just past the introducer (image) or the introducer and label (extensions)
    // and holds the rest of the clipboard item; nothing past it is read. False when the bytes
    // cannot be used.
    virtual bool ReadClipData(std::span<const std::uint8_t> data);
    // Called for a block moved in from another GIF file; false when it must be discarded.
    virtual bool AdoptFrom(const CGifHeaderBlock* sourceHeader);

    // Reads one data sub-block into buffer (room for 255 bytes); returns its length, 0 for the
    // block terminator. A sub-block shorter than its size byte throws CArchiveException with
    // cause badIndex; the end of the data where a size byte is due throws endOfFile.
    static unsigned ReadSubBlock(CArchive& ar, std::uint8_t* buffer);
    // Writes data as sub-blocks of at most 255 bytes, then the terminator.
    static void WriteSubBlocks(CArchive& ar, std::span<const std::uint8_t> data);
    // A 16-bit stream field: a value outside 0..65535 throws CArchiveException with a message
    // naming the field (what) rather than being written wrapped.
    static std::uint16_t StreamWord(int value, const std::string& what);
};

// Kind test by run-time class, as in IsKindOf(RUNTIME_CLASS(T)).
template <class T>
bool IsKind(const CGifBlock* block)
{
    return block != nullptr && block->IsKindOf(&T::classInfo);
}

// The block's label drawn at (left + 8, top + 8) of its list entry.
void DrawListLabel(CDC& dc, const CRect& rect, const char* label);

// The clipboard form of a block whose clipboard bytes equal its stream form: the bytes the
// write function produces.
template <class WriteFn>
ClipData ClipFromStreamForm(WriteFn&& write);

// Collects the sub-blocks of a clipboard item from data up to and including the terminator,
// handing each sub-block to append. Returns the bytes consumed, or nothing when a sub-block
// runs past the data or the terminator is missing.
template <class AppendFn>
std::optional<std::size_t> ReadClipSubBlocks(std::span<const std::uint8_t> data, AppendFn&& append)
{
    std::size_t pos = 0;
    for (;;) {
        if (pos >= data.size())
            return std::nullopt;
        const std::size_t n = data[pos++];
        if (n == 0)
            return pos;
        if (data.size() - pos < n)
            return std::nullopt;
        append(data.subspan(pos, n));
        pos += n;
    }
}

}  // namespace korvanta

#include "model/gif_block_inl.h"
