#include "model/gif_doc.h"

#include <algorithm>

#include "model/gif_app_blocks.h"
#include "model/gif_commands.h"
#include "model/gif_control_block.h"
#include "model/gif_header_block.h"
#include "model/gif_image_block.h"
#include "model/gif_text_blocks.h"
#include "platform/archive.h"

namespace korvanta {

void CGIFDoc::Serialize(CArchive& ar)
{
    if (ar.IsLoading())
        ReadGif(ar);
    else
        WriteGif(ar);
}

bool CGIFDoc::OnNewDocument()
{
    if (!CDocument::OnNewDocument())
        return false;
    InsertLoopBlock();
    InsertControlBlock(-1);
    SetModifiedFlag(false);
    return true;
}

void CGIFDoc::DeleteContents()
{
    m_blocks.clear();
    m_nCurrent = -1;
    m_readWarnings.clear();
    AddHeaderBlock();
}

FileDialogRequest CGIFDoc::SaveAsRequest() const
{
    FileDialogRequest request = CDocument::SaveAsRequest();
    request.filter = "GIF Files (*.gif)|*.gif||";
    request.defaultExtension = "gif";
    return request;
}

CGifHeaderBlock* CGIFDoc::GetHeader() const
{
    return m_blocks.empty() ? nullptr : dynamic_cast<CGifHeaderBlock*>(m_blocks.front().get());
}

bool CGIFDoc::HasLoopBlock() const
{
    return std::any_of(m_blocks.begin(), m_blocks.end(),
                       [](const auto& b) { return IsKind<CGifAppBlockNavigatorLoop>(b.get()); });
}

bool CGIFDoc::HasImageBlocks() const
{
    return std::any_of(m_blocks.begin() + std::min<std::ptrdiff_t>(1, GetBlockCount()), m_blocks.end(),
                       [](const auto& b) { return IsKind<CGifImageBlock>(b.get()); });
}

void CGIFDoc::InsertBlock(int index, std::unique_ptr<CGifBlock> block)
{
    // Appending, as reading does for every block, needs no search for the loop block.
    if (index != -1 && index < 1 && !IsKind<CGifAppBlockNavigatorLoop>(block.get()) && HasLoopBlock())
        index = 1;
    if (index >= GetBlockCount())
        index = -1;
    if (index == -1) {
        m_blocks.push_back(std::move(block));
        m_nCurrent = GetBlockCount() - 1;
    } else {
        m_blocks.insert(m_blocks.begin() + index + 1, std::move(block));
        m_nCurrent = index + 1;
    }
    SetModifiedFlag();
}

void CGIFDoc::AddHeaderBlock()
{
    InsertBlock(-1, std::make_unique<CGifHeaderBlock>());
}

void CGIFDoc::InsertLoopBlock()
{
    if (!HasLoopBlock())
        InsertBlock(0, std::make_unique<CGifAppBlockNavigatorLoop>());
}

void CGIFDoc::InsertControlBlock(int index)
{
    auto block = std::make_unique<CGifControlBlock>();
    const CGifControlBlock* templ = nullptr;
    for (int i = GetBlockCount() - 1; i >= 1 && templ == nullptr; --i)
        templ = dynamic_cast<const CGifControlBlock*>(GetBlock(i));
    // The nearest one at or before the current block wins over the last one of the list.
    for (int i = std::min(m_nCurrent, GetBlockCount() - 1); i >= 1; --i) {
        if (const auto* near = dynamic_cast<const CGifControlBlock*>(GetBlock(i))) {
            templ = near;
            break;
        }
    }
    if (templ != nullptr)
        block->CopySettingsFrom(*templ);
    InsertBlock(index, std::move(block));
}

CSize CGIFDoc::GetListExtent() const
{
    int height = 0;
    for (const auto& block : m_blocks) height += block->GetListSize().cy;
    const CView* view = GetView();
    height += view != nullptr ? view->GetClientHeight() / 2 : 128;
    return {128, height};
}

void CGIFDoc::SetGlobalPalette(HPALETTE palette)
{
    CGifHeaderBlock* header = GetHeader();
    if (header == nullptr || !palette)
        return;
    header->m_bGlobalTable = true;
    header->m_hPalette = std::move(palette);
    header->UpdateTableBits();
}

HPALETTE CGIFDoc::GetGlobalPalette() const
{
    const CGifHeaderBlock* header = GetHeader();
    return header != nullptr ? header->m_hPalette : nullptr;
}

bool CGIFDoc::HasGlobalColorTable() const
{
    const CGifHeaderBlock* header = GetHeader();
    return header != nullptr && header->m_bGlobalTable;
}

int CGIFDoc::GetGlobalTableSize() const
{
    const CGifHeaderBlock* header = GetHeader();
    return header != nullptr ? header->m_nTableBits : 0;
}

int CGIFDoc::CountImagesWithoutLocalTable() const
{
    int count = 0;
    for (int i = 1; i < GetBlockCount(); ++i) {
        const auto* image = dynamic_cast<const CGifImageBlock*>(GetBlock(i));
        count += image != nullptr && !image->m_bLocalTable ? 1 : 0;
    }
    return count;
}

void CGIFDoc::CopyGlobalPaletteToImages()
{
    const HPALETTE global = GetGlobalPalette();
    for (int i = 1; i < GetBlockCount(); ++i) {
        auto* image = dynamic_cast<CGifImageBlock*>(GetBlock(i));
        if (image == nullptr || image->m_bLocalTable)
            continue;
        image->m_hPalette = DuplicatePalette(global);
        image->m_bLocalTable = true;
        image->UpdateTableBits();
    }
}

bool CGIFDoc::IsCommandEnabled(unsigned id) const
{
    switch (id) {
        case ID_FILE_SAVE:
        case ID_FILE_SAVE_AS:
        case ID_PLAY:
            return HasImageBlocks();
        case ID_SAVE_SELECTED_IMAGE:
            return OnUpdateSaveSelectedImage();
        case ID_EDIT_CUT:
        case ID_EDIT_COPY:
            return m_nCurrent >= 1 && m_nCurrent < GetBlockCount();
        case ID_EDIT_PASTE: {
            ClipboardService& clipboard = Clipboard();
            return clipboard.IsClipboardFormatAvailable(clipboard.RegisterClipboardFormat(kClipFormatName)) ||
                   clipboard.IsClipboardFormatAvailable(CF_DIB);
        }
        case ID_EDIT_UNDO:
            return false;
        default:
            return true;
    }
}

void CGIFDoc::OnInsertControl()
{
    InsertControlBlock(m_nCurrent);
    UpdateAllViews();
}

void CGIFDoc::OnInsertComment()
{
    InsertBlock(m_nCurrent, std::make_unique<CGifCommentBlock>());
    UpdateAllViews();
}

void CGIFDoc::OnInsertText()
{
    InsertBlock(m_nCurrent, std::make_unique<CGifTextBlock>());
    UpdateAllViews();
}

void CGIFDoc::OnInsertLoop()
{
    InsertLoopBlock();
    UpdateAllViews();
}

std::unique_ptr<CGifBlock> NewExtensionBlock(std::uint8_t label)
{
    switch (label) {
        case 0x01:
            return std::make_unique<CGifTextBlock>();
        case 0xF9:
            return std::make_unique<CGifControlBlock>();
        case 0xFE:
            return std::make_unique<CGifCommentBlock>();
        case 0xFF:
            return std::make_unique<CGifAppBlock>();
        default:
            return nullptr;
    }
}

int ApplyPageToCurrentBlock(CGIFDoc& doc, CGifPageData& page)
{
    CGifBlock* block = doc.GetCurrentBlock();
    if (block == nullptr)
        return 0;
    const int result = block->UpdateFromPage(page);
    if (result != 0)
        doc.SetModifiedFlag(true);
    if ((result & 2) != 0)
        doc.UpdateAllViews();
    return result;
}

void DocumentMainWindow::ApplyPage()
{
    if (m_pPage != nullptr)
        ApplyPageToCurrentBlock(m_doc, *m_pPage);
}

}  // namespace korvanta
