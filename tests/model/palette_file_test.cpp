// Palette files and the header and image pages' palette load and save, through fake dialogs.
#include "model/palette_file.h"

#include <gtest/gtest.h>

#include "imaging/dib.h"
#include "model/gif_doc.h"
#include "model/gif_header_block.h"
#include "model/gif_image_block.h"
#include "model/gif_pages.h"
#include "tests/service_fakes.h"
#include "tests/test_util.h"

namespace korvanta {
namespace {

using test::Bytes;
using test::operator+;

// Entry i: red 3i + seed, green 255 - i, blue i ^ seed.
HPALETTE Colours(int count, int seed = 0)
{
    std::vector<PALETTEENTRY> entries;
    for (int i = 0; i < count; ++i)
        entries.push_back({static_cast<std::uint8_t>(3 * i + seed), static_cast<std::uint8_t>(255 - i),
                           static_cast<std::uint8_t>(i ^ seed), 0});
    return CPalette::Create(entries);
}

std::vector<PALETTEENTRY> Entries(const HPALETTE& palette)
{
    return palette ? std::vector<PALETTEENTRY>(palette->Entries().begin(), palette->Entries().end())
                   : std::vector<PALETTEENTRY>{};
}

std::unique_ptr<CGifImageBlock> Image(HPALETTE local = nullptr)
{
    auto image = std::make_unique<CGifImageBlock>();
    image->m_hDib = NewPackedDib(2, 2, 8);
    if (local) {
        image->m_hPalette = local;
        image->m_bLocalTable = true;
        image->UpdateTableBits();
        image->LoadColorTable(local);
    }
    return image;
}

// Counts the private messages a page sends, answering the count with a fixed number.
class RecordingMainWindow : public MainWindow {
public:
    void SetGlobalPalette(HPALETTE) override {}
    HPALETTE GetGlobalPalette() override { return nullptr; }
    bool HasGlobalTable() override { return true; }
    int GetGlobalTableSize() override { return 7; }
    void CopyGlobalPalette() override { ++m_nCopies; }
    int CountNoLocalTable() override
    {
        ++m_nCounts;
        return m_nWithoutLocal;
    }
    void ApplyPage() override { ++m_nApplies; }
    int m_nWithoutLocal = 0;
    int m_nCopies = 0;
    int m_nCounts = 0;
    int m_nApplies = 0;
};

class PaletteFile : public test::TempDirTest {
protected:
    DocumentServices Services()
    {
        return test::Headless().WithMessages(m_messages).WithDialogs(m_dialogs).WithProgress(m_progress);
    }
    // Saves the palette through the save operation to a new file of that name.
    std::string Save(const HPALETTE& palette, const std::string& name)
    {
        const std::string path = PathOf(name);
        m_dialogs.Answer(path);
        EXPECT_TRUE(SavePaletteFile(palette, Services()));
        return path;
    }
    std::string WriteGif(const std::string& name, HPALETTE global,
                         std::vector<std::unique_ptr<CGifBlock>> blocks)
    {
        const std::string path = PathOf(name);
        test::WriteGifFile(path, global, std::move(blocks));
        return path;
    }
    // The palette the header page takes from the file, through the load operation.
    HPALETTE LoadForHeader(const std::string& path)
    {
        CGifHeaderPageData page;
        page.m_pMainWnd = &m_main;
        m_dialogs.Answer(path);
        return LoadPaletteFile(page, Services()) ? page.m_hPalette : nullptr;
    }

    test::FakeFileDialogs m_dialogs;
    test::FakeMessages m_messages;
    test::FakeProgressFactory m_progress;
    RecordingMainWindow m_main;
};

TEST_F(PaletteFile, SixteenColoursAreWrittenAs782BytesRepeatingTheLastEntry)
{
    const std::string path = Save(Colours(16), "sixteen.KVP");
    const Bytes bytes = test::FileBytes(path);
    ASSERT_EQ(bytes.size(), kPaletteFileSize);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 13),
              test::B("GIF89a") + test::B({0x40, 0x01, 0xF0, 0x00, 0xF7, 0, 0}));  // 320 x 240
    EXPECT_EQ(bytes[781], 0x3B);
    const HPALETTE sixteen = Colours(16);
    for (int i = 0; i < 256; ++i) {
        const PALETTEENTRY& e = (*sixteen)[std::min(i, 15)];
        const std::size_t at = 13 + 3 * static_cast<std::size_t>(i);
        ASSERT_EQ(Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                        bytes.begin() + static_cast<std::ptrdiff_t>(at + 3)),
                  test::B({e.peRed, e.peGreen, e.peBlue}))
            << "entry " << i;
    }

    const HPALETTE loaded = LoadForHeader(path);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->GetEntryCount(), 256);
    EXPECT_EQ((*loaded)[15], (*sixteen)[15]);
    EXPECT_EQ((*loaded)[255], (*sixteen)[15]);
}

TEST_F(PaletteFile, TwoHundredFiftySixColoursComeBackUnchanged)
{
    const HPALETTE palette = Colours(256, 5);
    const std::string path = Save(palette, "full.kvp");
    EXPECT_EQ(test::FileBytes(path).size(), kPaletteFileSize);
    EXPECT_EQ(Entries(LoadForHeader(path)), Entries(palette));
    EXPECT_TRUE(m_messages.m_texts.empty());
    EXPECT_FALSE(m_progress.m_records.empty()) << "the writer and the reader show their progress";
}

TEST_F(PaletteFile, HeaderPageTakesGlobalElseFirstLocalElseDefaultTable)
{
    std::vector<std::unique_ptr<CGifBlock>> withGlobal;
    withGlobal.push_back(Image(Colours(4, 1)));
    EXPECT_EQ(Entries(LoadForHeader(WriteGif("global.gif", Colours(8, 2), std::move(withGlobal)))),
              Entries(Colours(8, 2)));

    std::vector<std::unique_ptr<CGifBlock>> localOnly;
    localOnly.push_back(Image());
    localOnly.push_back(Image(Colours(4, 3)));
    localOnly.push_back(Image(Colours(8, 4)));
    EXPECT_EQ(Entries(LoadForHeader(WriteGif("local.gif", nullptr, std::move(localOnly)))),
              Entries(Colours(4, 3)));

    std::vector<std::unique_ptr<CGifBlock>> none;
    none.push_back(Image());
    EXPECT_EQ(Entries(LoadForHeader(WriteGif("none.gif", nullptr, std::move(none)))),
              Entries(CreateDefaultPalette()));
}

TEST_F(PaletteFile, CopyQuestionOnlyWhenImagesUseTheGlobalTableAndCancelStillLoads)
{
    const std::string path = Save(Colours(16), "p.kvp");
    ASSERT_TRUE(LoadForHeader(path));
    EXPECT_EQ(m_main.m_nCounts, 1);
    EXPECT_TRUE(m_messages.m_texts.empty()) << "no images without a local table: no question";
    EXPECT_EQ(m_main.m_nApplies, 1);

    m_main.m_nWithoutLocal = 2;
    m_messages.m_nAnswer = IDCANCEL;
    ASSERT_TRUE(LoadForHeader(path));
    ASSERT_EQ(m_messages.m_texts.size(), 1u);
    EXPECT_EQ(m_messages.m_texts[0],
              "ローカルパレットを持たないイメージデータに\nグローバルパレットをコピーします。");
    EXPECT_EQ(m_messages.m_types[0] & 0x0F, static_cast<unsigned>(MB_OKCANCEL));
    EXPECT_EQ(m_main.m_nCopies, 0);
    EXPECT_EQ(m_main.m_nApplies, 2);

    m_messages.m_nAnswer = IDOK;
    ASSERT_TRUE(LoadForHeader(path));
    EXPECT_EQ(m_main.m_nCopies, 1);
}

TEST_F(PaletteFile, HeaderPageLoadReachesTheEditedDocument)
{
    CGIFDoc doc(test::Headless());
    doc.OnNewDocument();
    doc.SetGlobalPalette(Colours(4, 9));
    doc.InsertBlock(-1, Image());
    doc.InsertBlock(-1, Image(Colours(2)));
    doc.m_nCurrent = 0;
    DocumentMainWindow main(doc);
    CGifHeaderPageData page;
    doc.GetHeader()->UpdatePage(page);
    page.m_pMainWnd = &main;
    main.m_pPage = &page;

    m_dialogs.Answer(Save(Colours(32, 7), "p.kvp"));
    ASSERT_TRUE(LoadPaletteFile(page, Services()));
    EXPECT_EQ(m_messages.m_texts.size(), 1u);  // the copy question, answered OK
    EXPECT_EQ(doc.GetHeader()->m_hPalette, page.m_hPalette);
    EXPECT_EQ(Entries(doc.GetGlobalPalette()).size(), 256u);
    EXPECT_EQ(doc.GetGlobalPalette()->Entries()[31], (*Colours(32, 7))[31]);
    const auto* kept = static_cast<const CGifImageBlock*>(doc.GetBlock(3));
    EXPECT_TRUE(kept->m_bLocalTable);
    EXPECT_EQ(Entries(kept->m_hPalette), Entries(Colours(4, 9))) << "the old global colours";
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(PaletteFile, FileTheReaderRejectsIsReportedAndTheHeaderPageKeepsItsPalette)
{
    test::WriteFileBytes(PathOf("bad.kvp"), test::B("GIF89a") + test::B({1, 0, 1, 0, 0, 0, 0, 0x99}));
    CGifHeaderPageData page;
    page.m_pMainWnd = &m_main;
    const HPALETTE before = Colours(4);
    page.m_hPalette = before;
    m_dialogs.Answer(PathOf("bad.kvp"));
    EXPECT_FALSE(LoadPaletteFile(page, Services()));
    EXPECT_EQ(page.m_hPalette, before);
    EXPECT_EQ(m_main.m_nApplies, 0);
    ASSERT_EQ(m_messages.m_texts.size(), 1u);
    EXPECT_NE(m_messages.m_texts[0].find("bad.kvp"), std::string::npos);
    EXPECT_NE(m_messages.m_texts[0].find("0x99"), std::string::npos) << m_messages.m_texts[0];

    m_messages.m_texts.clear();
    m_dialogs.Answer(PathOf("absent.kvp"));
    EXPECT_FALSE(LoadPaletteFile(page, Services()));
    EXPECT_EQ(m_messages.m_texts.size(), 1u);
    EXPECT_EQ(page.m_hPalette, before);

    EXPECT_FALSE(LoadPaletteFile(page, Services())) << "dialog cancelled";
    EXPECT_EQ(m_main.m_nApplies, 0);
}

TEST_F(PaletteFile, ImagePageTakesTheHeadersTableAfterTheConvertChoice)
{
    std::vector<std::unique_ptr<CGifBlock>> blocks;
    blocks.push_back(Image(Colours(4, 1)));
    const std::string path = WriteGif("src.gif", nullptr, std::move(blocks));  // no global table

    CGifImagePageData page;
    page.m_pMainWnd = &m_main;
    const HPALETTE before = Colours(2);
    page.m_hPalette = before;
    test::FakeConvertChooser chooser;
    chooser.m_answer = std::nullopt;
    m_dialogs.Answer(path);
    EXPECT_FALSE(LoadPaletteFile(page, Services(), chooser));
    EXPECT_EQ(chooser.m_nAsked, 1);
    EXPECT_EQ(page.m_hPalette, before);
    EXPECT_EQ(m_main.m_nApplies, 0);

    chooser.m_answer = kDither;
    m_dialogs.Answer(path);
    EXPECT_TRUE(LoadPaletteFile(page, Services(), chooser));
    EXPECT_EQ(page.m_nConvert, kDither);
    // The header's palette, not the file's local table: here the default palette.
    EXPECT_EQ(Entries(page.m_hPalette), Entries(CreateDefaultPalette()));
    EXPECT_EQ(m_main.m_nApplies, 1);

    const FileDialogRequest& request = m_dialogs.m_requests.back();
    EXPECT_TRUE(request.bOpen);
    EXPECT_EQ(request.title, "パレットをロード");
    EXPECT_EQ(request.filter, "Palette Files(*.KVP)|*.KVP|GIF Files(*.GIF)|*.gif||");
    EXPECT_EQ(request.defaultExtension, ".KVP");
    EXPECT_EQ(request.flags, static_cast<unsigned>(OFN_HIDEREADONLY | OFN_FILEMUSTEXIST));
}

TEST_F(PaletteFile, ImagePageLoadRefitsTheEditedImage)
{
    CGIFDoc doc(test::Headless());
    doc.OnNewDocument();
    doc.InsertBlock(-1, Image(Colours(4)));
    DocumentMainWindow main(doc);
    CGifImagePageData page;
    doc.GetCurrentBlock()->UpdatePage(page);
    page.m_pMainWnd = &main;
    main.m_pPage = &page;
    test::FakeConvertChooser chooser;
    chooser.m_answer = kNearestColor;

    m_dialogs.Answer(Save(Colours(16, 3), "p.kvp"));
    ASSERT_TRUE(LoadPaletteFile(page, Services(), chooser));
    const auto* image = static_cast<const CGifImageBlock*>(doc.GetCurrentBlock());
    EXPECT_EQ(image->m_hPalette, page.m_hPalette);
    EXPECT_EQ(image->m_nTableBits, 7);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(PaletteFile, SaveAsksBeforeOverwritingAndNoLeavesTheFileUntouched)
{
    const std::string path = PathOf("old.kvp");
    const Bytes old = test::B("old palette");
    test::WriteFileBytes(path, old);
    m_messages.m_nAnswer = IDNO;
    m_dialogs.Answer(path);
    EXPECT_FALSE(SavePaletteFile(Colours(16), Services()));
    EXPECT_EQ(test::FileBytes(path), old);
    ASSERT_EQ(m_messages.m_texts.size(), 1u);
    EXPECT_EQ(m_messages.m_texts[0], path + "\nこのﾌｧｲﾙは存在します。\n\n上書きしますか？");

    m_messages.m_nAnswer = IDYES;
    m_dialogs.Answer(path);
    EXPECT_TRUE(SavePaletteFile(Colours(16), Services()));
    EXPECT_EQ(test::FileBytes(path).size(), kPaletteFileSize);

    const FileDialogRequest& request = m_dialogs.m_requests.back();
    EXPECT_FALSE(request.bOpen);
    EXPECT_EQ(request.title, "パレットをセーブ");
    EXPECT_EQ(request.filter, "Palette Files(*.KVP)|*.KVP||");
    EXPECT_EQ(request.flags, static_cast<unsigned>(OFN_HIDEREADONLY));

    EXPECT_FALSE(SavePaletteFile(Colours(16), Services())) << "dialog cancelled";
}

TEST_F(PaletteFile, SaveThatCannotWriteIsReported)
{
    m_dialogs.Answer(PathOf("no-such-dir/p.kvp"));
    EXPECT_FALSE(SavePaletteFile(Colours(16), Services()));
    EXPECT_EQ(m_messages.m_texts.size(), 1u);
}

TEST(FileDialogFilter, SplitsIntoDescriptionsAndPatterns)
{
    EXPECT_EQ(ParseFileDialogFilter("Palette Files(*.KVP)|*.KVP|GIF Files(*.GIF)|*.gif||"),
              (std::vector<FileDialogFilterEntry>{{"Palette Files(*.KVP)", "*.KVP"},
                                                  {"GIF Files(*.GIF)", "*.gif"}}));
    EXPECT_EQ(ParseFileDialogFilter("A|*.a;*.b"), (std::vector<FileDialogFilterEntry>{{"A", "*.a;*.b"}}));
    EXPECT_TRUE(ParseFileDialogFilter("").empty());
    EXPECT_TRUE(ParseFileDialogFilter("lonely||").empty());
}

}  // namespace
}  // namespace korvanta
