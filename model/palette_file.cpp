#include "model/palette_file.h"

#include <memory>

#include "model/gif_doc.h"
#include "model/gif_doc_commands.h"
#include "model/gif_header_block.h"
#include "model/gif_image_block.h"
#include "model/gif_pages.h"
#include "model/image_convert_chooser.h"
#include "platform/main_window.h"

namespace korvanta {

namespace {

constexpr char kLoadTitle[] = "パレットをロード";
constexpr char kSaveTitle[] = "パレットをセーブ";
constexpr char kLoadFilter[] = "Palette Files(*.KVP)|*.KVP|GIF Files(*.GIF)|*.gif||";
constexpr char kSaveFilter[] = "Palette Files(*.KVP)|*.KVP||";
constexpr char kPaletteExtension[] = ".KVP";

// Asks for a palette source and reads it into doc. False on Cancel, and when the file cannot be
// opened or the reader rejects it (reported with the reason by the open logic).
bool ChooseAndReadSource(const DocumentServices& services, CGIFDoc& doc)
{
    FileDialogRequest request;
    request.bOpen = true;
    request.title = kLoadTitle;
    request.filter = kLoadFilter;
    request.defaultExtension = kPaletteExtension;
    request.flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
    const std::optional<std::string> path = services.dialogs.GetFileName(request);
    return path && doc.OnOpenDocument(*path);
}

}  // namespace

HPALETTE HeaderPagePaletteOf(const CGIFDoc& source)
{
    const CGifHeaderBlock* header = source.GetHeader();
    if (header == nullptr)
        return nullptr;
    if (header->m_bGlobalTable)
        return header->m_hPalette;
    for (int i = 1; i < source.GetBlockCount(); ++i) {
        const auto* image = dynamic_cast<const CGifImageBlock*>(source.GetBlock(i));
        if (image != nullptr && image->m_bLocalTable && image->m_hPalette)
            return image->m_hPalette;
    }
    return header->m_hPalette;
}

HPALETTE ImagePagePaletteOf(const CGIFDoc& source)
{
    const CGifHeaderBlock* header = source.GetHeader();
    return header != nullptr ? header->m_hPalette : nullptr;
}

void MakePaletteDocument(CGIFDoc& doc, const HPALETTE& palette)
{
    doc.m_blocks.clear();
    doc.m_nCurrent = -1;
    auto header = std::make_unique<CGifHeaderBlock>();
    header->m_bGlobalTable = true;
    header->m_hPalette = DuplicatePalette(palette);
    // The size exponent keeps its default of 7: a palette file always holds 256 entries.
    doc.InsertBlock(-1, std::move(header));
}

bool LoadPaletteFile(CGifHeaderPageData& page, const DocumentServices& services)
{
    CGIFDoc source(services);
    if (!ChooseAndReadSource(services, source))
        return false;
    const HPALETTE palette = HeaderPagePaletteOf(source);
    if (!palette)
        return false;
    // Images that show the old global colours may keep them as their own table first; Cancel
    // loads the palette all the same.
    if (page.m_pMainWnd != nullptr && page.m_pMainWnd->CountNoLocalTable() > 0 &&
        services.messages.MessageBox(kMsgCopyGlobalPalette, MB_OKCANCEL | MB_ICONQUESTION) == IDOK)
        page.m_pMainWnd->CopyGlobalPalette();
    page.m_hPalette = DuplicatePalette(palette);
    if (page.m_pMainWnd != nullptr)
        page.m_pMainWnd->ApplyPage();
    return true;
}

bool LoadPaletteFile(CGifImagePageData& page, const DocumentServices& services, ImageConvertChooser& chooser)
{
    CGIFDoc source(services);
    if (!ChooseAndReadSource(services, source))
        return false;
    const HPALETTE palette = ImagePagePaletteOf(source);
    if (!palette)
        return false;
    const std::optional<PaletteFitMode> mode = chooser.ChooseConvert();
    if (!mode)
        return false;
    page.m_nConvert = *mode;
    page.m_hPalette = DuplicatePalette(palette);
    if (page.m_pMainWnd != nullptr)
        page.m_pMainWnd->ApplyPage();
    return true;
}

bool SavePaletteFile(const HPALETTE& palette, const DocumentServices& services)
{
    // Without a palette the file would hold an invented black table.
    if (!palette)
        return false;
    FileDialogRequest request;
    request.bOpen = false;
    request.title = kSaveTitle;
    request.filter = kSaveFilter;
    request.defaultExtension = kPaletteExtension;
    request.flags = OFN_HIDEREADONLY;
    const std::optional<std::string> path = ChooseSavePath(services.dialogs, services.messages, request);
    if (!path)
        return false;
    CGIFDoc doc(services);
    MakePaletteDocument(doc, palette);
    return doc.OnSaveDocument(*path);
}

}  // namespace korvanta
