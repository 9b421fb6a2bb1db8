#include "cli/export.h"

#include <charconv>
#include <iostream>
#include <vector>

#include "imaging/bmp_file.h"
#include "model/gif_doc.h"
#include "model/gif_doc_commands.h"
#include "model/gif_image_block.h"
#include "model/palette_file.h"
#include "platform/exceptions.h"

namespace korvanta {

namespace {

// Collects the reports of the open and save logic instead of showing them.
class ExportDoc final : public CGIFDoc {
public:
    void ReportSaveLoadException(const std::string&, const CException* e, bool, int) override
    {
        m_reports.push_back(e != nullptr ? e->GetErrorMessage() : "不明なエラーです。");
    }
    std::vector<std::string> m_reports;
};

int Fail(const std::string& file, const std::string& reason)
{
    std::cerr << "korvanta-cli: " << file << ": " << reason << "\n";
    return 1;
}

// Reads the file; the reports of a successful read (a missing trailer) are warnings.
bool Open(ExportDoc& doc, const std::string& path)
{
    if (!doc.OnOpenDocument(path)) {
        Fail(path, doc.m_reports.empty() ? "読み込めませんでした。" : doc.m_reports.back());
        return false;
    }
    for (const auto& warning : doc.m_reports)
        std::cerr << "korvanta-cli: " << path << ": warning: " << warning << "\n";
    doc.m_reports.clear();
    return true;
}

}  // namespace

int ExportBmp(const std::string& in, const std::string& index, const std::string& out)
{
    int number = -1;
    const auto [end, error] = std::from_chars(index.data(), index.data() + index.size(), number);
    if (error != std::errc() || end != index.data() + index.size() || number < 0) {
        std::cerr << "korvanta-cli: export-bmp: INDEX '" << index << "' is not a block number\n";
        return 2;
    }
    ExportDoc doc;
    if (!Open(doc, in))
        return 1;
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
    ExportDoc source;
    if (!Open(source, in))
        return 1;
    const HPALETTE palette = HeaderPagePaletteOf(source);
    if (!palette)
        return Fail(in, "パレットがありません。");
    ExportDoc file;
    MakePaletteDocument(file, palette);
    if (!file.OnSaveDocument(out))
        return Fail(out, file.m_reports.empty() ? "保存できませんでした。" : file.m_reports.back());
    return 0;
}

}  // namespace korvanta
