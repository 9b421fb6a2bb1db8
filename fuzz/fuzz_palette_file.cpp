// A palette file (or any file offered as one) loaded on the header page and on the image page of
// an edited document: refused with a reason and nothing changed, or its palette taken, the
// image's pixels fitted to it in the way the input's length picks, and the document still saves
// and opens again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "imaging/dib.h"
#include "model/gif_header_block.h"
#include "model/gif_image_block.h"
#include "model/gif_pages.h"
#include "model/image_convert_chooser.h"
#include "model/palette_file.h"
#include "platform/main_window.h"

using namespace korvanta;
using namespace korvanta::fuzz;

namespace {

class FixedChooser : public ImageConvertChooser {
public:
    explicit FixedChooser(PaletteFitMode mode) : m_mode(mode) {}
    std::optional<PaletteFitMode> ChooseConvert() override { return m_mode; }

private:
    PaletteFitMode m_mode;
};

// An image of 8 x 8 pixels using every index of a 16-colour local table, and one without a
// local table.
void MakeEditedDocument(CGIFDoc& doc)
{
    doc.OnNewDocument();
    UseSmallScreen(doc);
    std::vector<PALETTEENTRY> entries;
    for (int i = 0; i < 16; ++i)
        entries.push_back({static_cast<std::uint8_t>(i * 17), static_cast<std::uint8_t>(255 - i * 13),
                           static_cast<std::uint8_t>(i * 5), 0});
    for (const bool local : {true, false}) {
        auto image = std::make_unique<CGifImageBlock>();
        image->m_hDib = NewPackedDib(8, 8, 8);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                PackedDibRow(*image->m_hDib, y)[x] = static_cast<std::uint8_t>((x + 2 * y) & 15);
        if (local) {
            image->m_hPalette = CPalette::Create(entries);
            image->m_bLocalTable = true;
            image->UpdateTableBits();
            image->LoadColorTable(image->m_hPalette);
        } else {
            image->LoadColorTable(doc.GetGlobalPalette());
        }
        doc.InsertBlock(-1, std::move(image));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The page operations read files by path.
    const std::string& path = WriteInputFile(std::span(data, size), ".kvp");
    QuietMessages messages;
    FixedFileDialog dialogs(path);
    const DocumentServices services = Headless().WithMessages(messages).WithDialogs(dialogs);

    FuzzDoc doc(services);
    MakeEditedDocument(doc);
    doc.SetModifiedFlag(false);
    DocumentMainWindow mainWindow(doc);

    // The header page: on success the header holds a copy of the file's palette.
    doc.m_nCurrent = 0;
    CGifHeaderPageData headerPage;
    doc.GetHeader()->UpdatePage(headerPage);
    headerPage.m_pMainWnd = &mainWindow;
    mainWindow.m_pPage = &headerPage;
    const int before = messages.m_nCount;
    const int blocks = doc.GetBlockCount();
    if (!LoadPaletteFile(headerPage, services)) {
        Check(messages.m_nCount > before, "a palette file was refused without a reason");
        Check(doc.GetBlockCount() == blocks && !doc.IsModified(),
              "a refused palette file changed the edited document");
        return 0;
    }
    Check(headerPage.m_hPalette != nullptr && doc.GetGlobalPalette() == headerPage.m_hPalette,
          "the header did not take the loaded palette");

    // The image page of the image with a local table: its pixels are fitted to the palette.
    doc.m_nCurrent = blocks - 2;
    auto* image = dynamic_cast<CGifImageBlock*>(doc.GetBlock(doc.m_nCurrent));
    Check(image != nullptr && image->m_bLocalTable, "the edited document lost its image");
    CGifImagePageData imagePage;
    image->UpdatePage(imagePage);
    imagePage.m_pMainWnd = &mainWindow;
    mainWindow.m_pPage = &imagePage;
    FixedChooser chooser(static_cast<PaletteFitMode>(size % 3));
    Check(LoadPaletteFile(imagePage, services, chooser),
          "a file the header page read is refused by the image page");
    Check(image->m_hPalette == imagePage.m_hPalette, "the image did not take the loaded palette");
    const int entries = image->m_hPalette->GetEntryCount();
    for (int y = 0; y < image->Height(); ++y)
        for (int x = 0; x < image->Width(); ++x)
            Check(size % 3 == 0 || PackedDibRow(*image->m_hDib, y)[x] < entries,
                  "a fitted pixel names a colour the palette does not have");
    CheckDocumentShape(doc);

    const Bytes saved = SaveToBytes(doc);
    FuzzDoc again(Headless());
    std::string reason;
    Check(OpenFromBytes(again, saved, reason), "the edited document does not open again", reason);
    PlayFrames(doc, 3);
    return 0;
}
