// The document's commands that move blocks in and out: inserting pictures, the clipboard, and
// saving the selected image as a bitmap file.
#include "model/gif_doc_commands.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <span>

#include "imaging/bmp_file.h"
#include "imaging/dib.h"
#include "imaging/dib_convert.h"
#include "model/gif_app_blocks.h"
#include "model/gif_control_block.h"
#include "model/gif_doc.h"
#include "model/gif_header_block.h"
#include "model/gif_image_block.h"
#include "model/gif_text_blocks.h"
#include "platform/archive.h"
#include "platform/exceptions.h"
#include "platform/file.h"

namespace korvanta {

namespace {

constexpr unsigned kErrorBox = MB_OK | MB_ICONEXCLAMATION;

constexpr char kPictureFilter[] =
    "Picture Files(*.bmp;*.gif)|*.bmp;*.gif|Bitmap(*.bmp)|*.bmp|GIF(*.gif)|*.gif||";
constexpr char kPictureDirectory[] = "c:\\gdata";
constexpr char kBmpFilter[] = "BMP Files(*.BMP)|*.BMP||";
constexpr char kSaveImageTitle[] = "選択イメージの保存";
constexpr char kBmpExtension[] = ".BMP";
constexpr char kMsgCutFailed[] =
    "クリップボードを使えなかったため、ブロックを切り取りませんでした。ブロックはそのまま残っています。";

std::string LowerAscii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

// The temporary document a GIF file is read into: what its reader reports (a missing trailer,
// for one) is reported by the document the blocks go to.
class ImportDoc final : public CGIFDoc {
public:
    explicit ImportDoc(CGIFDoc& target) : CGIFDoc(target.Services()), m_target(target) {}
    void ReportSaveLoadException(const std::string& path, const CException* e, bool bSaving,
                                 int nIDPDefault) override
    {
        m_target.ReportSaveLoadException(path, e, bSaving, nIDPDefault);
    }

private:
    CGIFDoc& m_target;
};

// The block a private clipboard item holds, chosen by its first bytes; NULL (with the reason
// shown) when the item is of no known kind or its bytes do not make a whole block.
std::unique_ptr<CGifBlock> BlockFromClipItem(std::span<const std::uint8_t> item,
                                             const HPALETTE& globalPalette, MessageService& messages)
{
    std::unique_ptr<CGifBlock> block;
    std::span<const std::uint8_t> data;
    if (!item.empty() && item[0] == 0x2C) {
        block = std::make_unique<CGifImageBlock>();
        data = item.subspan(1);
    } else if (item.size() >= 2 && item[0] == 0x21) {
        block = NewExtensionBlock(item[1]);
        data = item.subspan(2);
    }
    // An item cut short or lying about its sizes comes from elsewhere than our own copy: it is
    // as unrecognisable as an unknown kind, and the user is told so.
    if (!block || !block->ReadClipData(data)) {
        messages.MessageBox(kMsgUnknownFormat, kErrorBox);
        return nullptr;
    }
    // An image without a local table shows the colours of the document it is pasted into.
    if (auto* image = dynamic_cast<CGifImageBlock*>(block.get()); image != nullptr && !image->m_hPalette)
        image->LoadColorTable(globalPalette);
    if (IsKind<CGifAppBlock>(block.get())) {
        if (auto loop = static_cast<const CGifAppBlock*>(block.get())->CreateLoopBlock())
            block = std::move(loop);
    }
    return block;
}

}  // namespace

std::string OverwriteQuestion(const std::string& path)
{
    return path + "\nこのﾌｧｲﾙは存在します。\n\n上書きしますか？";
}

std::optional<std::string> ChooseSavePath(FileDialogService& dialogs, MessageService& messages,
                                          const FileDialogRequest& request)
{
    std::optional<std::string> path = dialogs.GetFileName(request);
    if (path && FileExists(*path) &&
        messages.MessageBox(OverwriteQuestion(*path), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return std::nullopt;
    return path;
}

std::unique_ptr<CGifImageBlock> ImageBlockFromPicture(const PackedDib& dib, MessageService& messages)
{
    if (!dib || !PackedDibIsConsistent(*dib))
        return nullptr;
    PackedDib picture = dib;
    switch (ClassifyPictureDepth(*dib)) {
        case PictureDepthAction::refuse:
            messages.MessageBox(kMsgNeed256Colors, kErrorBox);
            return nullptr;
        case PictureDepthAction::expand:
            picture = ExpandDibTo8Bit(dib);
            if (!picture)
                return nullptr;
            break;
        case PictureDepthAction::keep:
            break;
    }
    // Image blocks hold 8-bit bitmaps with a 40-byte header; nothing else reaches this point
    // from the BMP reader or the clipboard check, but a caller's bitmap might.
    if (PackedDibHeaderSize(*picture) != kDibInfoHeaderSize || PackedDibBitCount(*picture) != 8)
        return nullptr;
    // A picture the GIF reader would refuse to read back must not get into a document.
    const int width = PackedDibWidth(*picture);
    const int height = PackedDibHeight(*picture);
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxImagePixels) {
        messages.MessageBox("イメージが大きすぎます (" + std::to_string(width) + "x" +
                                std::to_string(height) + ")。扱えるのは 134217728 画素までです。",
                            kErrorBox);
        return nullptr;
    }
    auto block = std::make_unique<CGifImageBlock>();
    block->m_hPalette = PaletteFromPackedDib(picture);
    block->m_bLocalTable = block->m_hPalette != nullptr;
    block->m_hDib = std::move(picture);
    block->UpdateTableBits();
    return block;
}

int BmpExportBitCount(int tableBits)
{
    return tableBits <= 0 ? 1 : tableBits <= 3 ? 4 : 8;
}

PackedDib BmpExportDib(const CGifImageBlock& image, int globalTableBits)
{
    if (!image.m_hDib)
        return nullptr;
    const int bits = BmpExportBitCount(image.m_bLocalTable ? image.m_nTableBits : globalTableBits);
    return bits == 8 ? image.m_hDib : ReduceDibDepth(image.m_hDib, bits);
}

void CGIFDoc::OnInsertImage()
{
    InsertImageFromFile(m_nCurrent);
    UpdateAllViews();
}

void CGIFDoc::InsertImageFromFile(int index)
{
    FileDialogRequest request;
    request.bOpen = true;
    request.filter = kPictureFilter;
    request.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    request.initialDirectory = kPictureDirectory;
    const std::optional<std::string> path = FileDialogs().GetFileName(request);
    if (!path)
        return;
    const PackedDib dib = LoadPictureFile(*path);
    if (!dib)
        return;  // refused with a message, or a GIF file whose blocks are in already
    if (auto block = ImageBlockFromPicture(dib, Messages()))
        InsertBlock(index, std::move(block));
}

PackedDib CGIFDoc::LoadPictureFile(const std::string& path)
{
    const std::string extension = LowerAscii(std::filesystem::path(path).extension().string());
    if (extension == ".bmp") {
        BmpReadFailure failure = BmpReadFailure::none;
        PackedDib dib = LoadBmpFile(path, Messages(), &failure);
        // A sound picture of more than 8 bits gets the refusal every deeper picture gets.
        if (!dib)
            Messages().MessageBox(failure == BmpReadFailure::tooDeep ? kMsgNeed256Colors : kMsgLoadError,
                                  kErrorBox);
        return dib;
    }
    if (extension == ".gif") {
        ImportGifFile(path);
        return nullptr;
    }
    Messages().MessageBox(kMsgLoadError, kErrorBox);
    return nullptr;
}

void CGIFDoc::ImportGifFile(const std::string& path)
{
    ImportDoc source(*this);
    source.AddHeaderBlock();
    // A file that cannot be opened or that the reader rejects brings nothing in; the reason is
    // reported as for an open. A file that merely lacks its trailer brings what was read.
    auto fail = [&](const CException& e) {
        ReportSaveLoadException(path, &e, false, AFX_IDP_FAILED_TO_OPEN_DOC);
    };
    try {
        CFile file(path, CFile::modeRead);
        source.SerializeFrom(file);
    } catch (const CException& e) {
        fail(e);
        return;
    } catch (const std::bad_alloc&) {
        fail(CMemoryException());
        return;
    }
    const CGifHeaderBlock* sourceHeader = source.GetHeader();
    for (std::size_t i = 1; i < source.m_blocks.size(); ++i) {
        std::unique_ptr<CGifBlock> block = std::move(source.m_blocks[i]);
        if (block->AdoptFrom(sourceHeader))
            InsertBlock(m_nCurrent, std::move(block));
    }
    source.m_blocks.resize(1);
    source.SetModifiedFlag(false);
}

bool CGIFDoc::CopyCurrentBlock()
{
    const CGifBlock* block = GetCurrentBlock();
    if (block == nullptr)
        return false;
    ClipData data = block->CreateClipData();
    if (!data)
        return false;
    ClipboardService& clipboard = Clipboard();
    const ClipboardFormat format = clipboard.RegisterClipboardFormat(kClipFormatName);
    const ClipboardLock lock(clipboard);
    if (!lock.IsOpen() || !clipboard.EmptyClipboard() ||
        !clipboard.SetClipboardData(format, std::move(*data)))
        return false;
    // Other programs get the picture; without memory for the copy only our own item is there.
    if (const auto* image = dynamic_cast<const CGifImageBlock*>(block); image != nullptr && image->m_hDib) {
        try {
            clipboard.SetClipboardData(CF_DIB, image->m_hDib->Copy());
        } catch (const std::bad_alloc&) {
        }
    }
    return true;
}

void CGIFDoc::OnEditCopy()
{
    if (m_nCurrent >= 1)
        CopyCurrentBlock();
}

void CGIFDoc::OnEditCut()
{
    if (m_nCurrent < 1 || m_nCurrent >= GetBlockCount())
        return;
    // The block leaves the list only when the clipboard holds it: nothing is ever lost.
    if (!CopyCurrentBlock()) {
        Messages().MessageBox(kMsgCutFailed, kErrorBox);
        return;
    }
    m_blocks.erase(m_blocks.begin() + m_nCurrent);
    if (m_nCurrent >= GetBlockCount())
        --m_nCurrent;
    SetModifiedFlag();
    UpdateAllViews();
}

void CGIFDoc::DeleteCurrentBlock()
{
    OnEditCut();
}

void CGIFDoc::OnEditPaste()
{
    ClipboardService& clipboard = Clipboard();
    const ClipboardFormat format = clipboard.RegisterClipboardFormat(kClipFormatName);
    // The items are copied out and the clipboard closed before anything is shown to the user.
    std::optional<std::vector<std::uint8_t>> item;
    std::optional<std::vector<std::uint8_t>> bitmap;
    {
        const ClipboardLock lock(clipboard);
        if (!lock.IsOpen())
            return;
        item = clipboard.GetClipboardData(format);
        if (!item)
            bitmap = clipboard.GetClipboardData(CF_DIB);
    }
    std::unique_ptr<CGifBlock> block;
    if (item) {
        block = BlockFromClipItem(*item, GetGlobalPalette(), Messages());
    } else if (bitmap) {
        std::string reason;
        if (const PackedDib dib = PackedDibFromClipboard(*bitmap, reason))
            block = ImageBlockFromPicture(dib, Messages());
        else
            Messages().MessageBox(reason, kErrorBox);
    }
    if (!block)
        return;
    if (IsKind<CGifAppBlockNavigatorLoop>(block.get())) {
        if (!HasLoopBlock())
            InsertBlock(0, std::move(block));  // a document holds one loop block, after the header
    } else {
        InsertBlock(m_nCurrent, std::move(block));
    }
    UpdateAllViews();
}

void CGIFDoc::OnSaveSelectedImage()
{
    const auto* image = dynamic_cast<const CGifImageBlock*>(GetCurrentBlock());
    if (image == nullptr)
        return;
    FileDialogRequest request;
    request.bOpen = false;
    request.title = kSaveImageTitle;
    request.filter = kBmpFilter;
    request.defaultExtension = kBmpExtension;
    request.flags = OFN_HIDEREADONLY;
    const std::optional<std::string> path = ChooseSavePath(FileDialogs(), Messages(), request);
    if (!path)
        return;
    const PackedDib dib = BmpExportDib(*image, GetGlobalTableSize());
    if (!dib || SaveBmpFile(dib, *path) != 0)
        Messages().MessageBox(kMsgSaveFailed, kErrorBox);
}

bool CGIFDoc::OnUpdateSaveSelectedImage() const
{
    // Asked for every menu update: a current index the list has left behind answers false.
    return m_nCurrent >= 0 && m_nCurrent < GetBlockCount() && IsKind<CGifImageBlock>(GetBlock(m_nCurrent));
}

}  // namespace korvanta
