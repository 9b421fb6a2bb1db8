// Every GIF of the public test suites beside the project: each opens or is refused cleanly,
// each that opens is written back and read again unchanged, and the decoded indexes match
// those the suites give. The suites' other expectations are other decoders' policies (for
// example, an unknown extension label is skipped there and refused here); only what both
// share is compared.
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

#include "imaging/dib.h"
#include "model/gif_image_block.h"
#include "tests/test_util.h"

namespace korvanta {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::Indexes;

fs::path CorpusDir()
{
    return fs::path(KORVANTA_CORPUS_DIR);
}

std::vector<fs::path> CorpusGifs()
{
    std::vector<fs::path> files;
    if (!fs::is_directory(CorpusDir()))
        return files;
    for (const auto& entry : fs::recursive_directory_iterator(CorpusDir())) {
        if (entry.is_regular_file() && entry.path().extension() == ".gif")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<const CGifImageBlock*> Images(const CGIFDoc& doc)
{
    std::vector<const CGifImageBlock*> images;
    for (int i = 1; i < doc.GetBlockCount(); ++i) {
        if (const auto* image = dynamic_cast<const CGifImageBlock*>(doc.GetBlock(i)))
            images.push_back(image);
    }
    return images;
}

// Files our rules refuse although another decoder shows something, and why. The fuzzer-made
// files of libnsgif are mostly broken and only have to be handled without harm.
const std::map<std::string, const char*> kRefused = {
    {"image-rs-gif/crashtest/issue-117-out-of-range.gif", "a zero byte where a block is due"},
    {"image-rs-gif/crashtest/issue-96-small-codesize.gif", "a zero byte where a block is due"},
    {"image-rs-gif/crashtest/issue-96-small-codesize-2.gif", "the stream ends inside an image"},
    {"image-rs-gif/regression/issue-209-extension-block-type.gif", "unknown extension label 0x2A"},
    {"pygif-test-suite/unknown-extension.gif", "unknown extension label 0x2A"},
    {"image-rs-gif/stall/issue-101-infinite-empty-loop.gif", "the stream ends inside an image"},
    // Zero-size images written without the code size byte and the terminator that every image
    // carries: the trailer is read as the code size and the stream ends inside the image.
    {"pygif-test-suite/image-zero-height.gif", "no image data"},
    {"pygif-test-suite/image-zero-size.gif", "no image data"},
    {"pygif-test-suite/image-zero-width.gif", "no image data"},
    {"wuffs-gif/hippopotamus.interlaced.truncated.gif", "the stream ends inside an image"},
};

TEST(Corpus, EveryFileOpensOrIsRefusedCleanlyAndRoundTrips)
{
    const auto files = CorpusGifs();
    if (files.empty())
        GTEST_SKIP() << "no corpus at " << CorpusDir();
    int opened = 0;
    for (const auto& path : files) {
        SCOPED_TRACE(path.string());
        test::FakeMessages messages;
        CGIFDoc doc(test::Headless().WithMessages(messages));
        const std::string name = fs::relative(path, CorpusDir()).generic_string();
        const bool fuzzerMade = name.starts_with("libnsgif/ns-afl-gif/");
        const auto start = std::chrono::steady_clock::now();
        if (!doc.OnOpenDocument(path.string())) {
            EXPECT_TRUE(fuzzerMade || kRefused.contains(name)) << messages.m_texts.front();
            EXPECT_EQ(doc.GetBlockCount(), 1);  // refused: nothing half read stays
            EXPECT_EQ(messages.m_texts.size(), 1u);
            continue;
        }
        EXPECT_FALSE(kRefused.contains(name)) << "now opens";
        ++opened;
        // Not a timing test: a hang or a quadratic blow-up shows as minutes, not milliseconds.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
        const Bytes written = test::WriteOut(doc);
        CGIFDoc again(test::Headless());
        test::ReadInto(again, written);
        ASSERT_EQ(again.GetBlockCount(), doc.GetBlockCount());
        const auto before = Images(doc);
        const auto after = Images(again);
        ASSERT_EQ(before.size(), after.size());
        for (std::size_t i = 0; i < before.size(); ++i)
            EXPECT_EQ(Indexes(*after[i]), Indexes(*before[i])) << "image " << i;
        EXPECT_EQ(test::WriteOut(again), written);
    }
    EXPECT_GT(opened, 100);
}

TEST(Corpus, DecodedIndexesMatchTheSuitesExpectations)
{
    const fs::path wuffs = CorpusDir() / "wuffs-gif";
    if (!fs::is_directory(wuffs))
        GTEST_SKIP() << "no corpus at " << wuffs;
    int checked = 0;
    for (const char* name : {"bricks-dither", "bricks-gray", "bricks-nodither"}) {
        CGIFDoc doc(test::Headless());
        ASSERT_TRUE(doc.OnOpenDocument((wuffs / (std::string(name) + ".gif")).string())) << name;
        ASSERT_FALSE(Images(doc).empty());
        EXPECT_EQ(Indexes(*Images(doc)[0]),
                  ReadWholeFile((wuffs / (std::string(name) + ".indexes")).string()))
            << name;
        ++checked;
    }
    CGIFDoc muybridge(test::Headless());
    ASSERT_TRUE(muybridge.OnOpenDocument((wuffs / "muybridge.gif").string()));
    const auto frames = Images(muybridge);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "muybridge-frame-%03zu.indexes", i);
        if (!fs::exists(wuffs / name))
            continue;
        EXPECT_EQ(Indexes(*frames[i]), ReadWholeFile((wuffs / name).string())) << name;
        ++checked;
    }
    EXPECT_GE(checked, 3 + 15);
}

}  // namespace
}  // namespace korvanta
