#include "cli/export.h"

#include <charconv>
#include <iostream>
#include <vector>

#include "cli/cli_doc.h"
#include "imaging/bmp_file.h"
#include "model/gif_doc.h"
#include "model/gif_doc_commands.h"
#include "model/gif_image_block.h"
#include "model/palette_file.h"
#include "platform/exceptions.h"

namespace korvanta {

int ExportBmp(const std::string& in, const std::string& index, const std::string& out)
{
    int number = -1;
    const auto [end, error] = std::from_chars(index.data(), index.data() + index.size(), number);
    if (error != std::errc() || end != index.data() + index.size() || number < 0) {
        std::cerr << "korvanta-cli: export-bmp: INDEX '" << index << "' is not a block number\n";
        return 2;
    }
    CliDoc doc;
    if (!OpenOrFail(doc, in))
        return 1;
    PrintWarnings(doc, in);
    if (number >= doc.GetBlockCount())
        return Fail(in, "ブロック " + index + " はありません (ブロック数 " +
                            std::to_string(doc.GetBlockCount()) + ")。");
    const auto* image = dynamic_cast<const CGifImageBlock*>(doc.GetBlock(number));
    if (image == nullptr)
        return Fail(in, "ブロック " + index + " はイメージではありません。");
    const PackedDib dib = BmpExportDib(*image, doc.GetGlobalTableSize());
    if (!dib)
        return Fail(out, kMsgSaveFailed);
    if (const int status = SaveBmpFile(dib, out); status != 0)
        return Fail(out, std::string(kMsgSaveFailed) + " (" + DibErrorText(status) + ")");
    return 0;
}

int ExportPalette(const std::string& in, const std::string& out)
{
    CliDoc source;
    if (!OpenOrFail(source, in))
        return 1;
    PrintWarnings(source, in);
    const HPALETTE palette = HeaderPagePaletteOf(source);
    if (!palette)
        return Fail(in, "パレットがありません。");
    CliDoc file;
    MakePaletteDocument(file, palette);
    return SaveOrFail(file, out) ? 0 : 1;
}

}  // namespace korvanta
