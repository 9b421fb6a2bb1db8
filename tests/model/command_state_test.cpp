// Which commands the document enables, in the situations that decide it: every command in every
// situation, so that a rule can neither be missing nor leak into another command.
#include <gtest/gtest.h>
#include <set>
#include <string>

#include "model/gif_commands.h"
#include "model/gif_doc.h"
#include "model/gif_image_block.h"
#include "tests/service_fakes.h"
#include "tests/test_util.h"

namespace korvanta {
namespace {

constexpr unsigned kAllCommands[] = {
    ID_FILE_NEW,       ID_FILE_OPEN,       ID_FILE_SAVE,   ID_FILE_SAVE_AS,        ID_FILE_PRINT,
    ID_FILE_MRU_FILE1, ID_EDIT_COPY,       ID_EDIT_CUT,    ID_EDIT_PASTE,          ID_EDIT_UNDO,
    ID_APP_ABOUT,      ID_APP_EXIT,        ID_HELP_FINDER, ID_NEXT_PANE,           ID_PREV_PANE,
    ID_VIEW_TOOLBAR,   ID_VIEW_STATUS_BAR, ID_PLAY,        ID_INSERT_IMAGE,        ID_INSERT_CONTROL,
    ID_INSERT_COMMENT, ID_INSERT_TEXT,     ID_INSERT_LOOP, ID_SAVE_SELECTED_IMAGE,
};

enum class Doc { fresh, imageCurrent, controlCurrent, headerCurrent, staleCurrent };
enum class Clip { empty, ourItem, bitmap, text };

struct Situation {
    const char* name;
    Doc doc;
    Clip clip;
    std::set<unsigned> disabled;
};

const Situation kSituations[] = {
    {"header, loop and control",
     Doc::fresh,
     Clip::empty,
     {ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_PLAY, ID_SAVE_SELECTED_IMAGE, ID_EDIT_PASTE, ID_EDIT_UNDO}},
    {"an image, current", Doc::imageCurrent, Clip::empty, {ID_EDIT_PASTE, ID_EDIT_UNDO}},
    {"an image, a control block current",
     Doc::controlCurrent,
     Clip::empty,
     {ID_SAVE_SELECTED_IMAGE, ID_EDIT_PASTE, ID_EDIT_UNDO}},
    {"an image, the header current",
     Doc::headerCurrent,
     Clip::empty,
     {ID_SAVE_SELECTED_IMAGE, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_UNDO}},
    {"a current index past the list",
     Doc::staleCurrent,
     Clip::empty,
     {ID_SAVE_SELECTED_IMAGE, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_UNDO}},
    {"our item on the clipboard",
     Doc::fresh,
     Clip::ourItem,
     {ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_PLAY, ID_SAVE_SELECTED_IMAGE, ID_EDIT_UNDO}},
    {"a bitmap on the clipboard",
     Doc::fresh,
     Clip::bitmap,
     {ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_PLAY, ID_SAVE_SELECTED_IMAGE, ID_EDIT_UNDO}},
    {"only text on the clipboard",
     Doc::fresh,
     Clip::text,
     {ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_PLAY, ID_SAVE_SELECTED_IMAGE, ID_EDIT_PASTE, ID_EDIT_UNDO}},
};

void Arrange(CGIFDoc& doc, Doc kind)
{
    ASSERT_TRUE(doc.OnNewDocument());
    if (kind == Doc::fresh)
        return;
    auto image = std::make_unique<CGifImageBlock>();
    image->m_hDib = NewPackedDib(2, 2, 8);
    doc.InsertBlock(-1, std::move(image));
    doc.m_nCurrent = kind == Doc::controlCurrent  ? 2
                     : kind == Doc::headerCurrent ? 0
                     : kind == Doc::staleCurrent  ? doc.GetBlockCount()
                                                  : 3;
}

TEST(CommandState, EveryCommandInEverySituation)
{
    for (const Situation& s : kSituations) {
        SCOPED_TRACE(s.name);
        test::FakeClipboard clipboard;
        if (s.clip == Clip::ourItem)
            clipboard.m_items[clipboard.PrivateFormat()] = {0x21, 0xFE, 0};
        else if (s.clip == Clip::bitmap)
            clipboard.m_items[CF_DIB] = {40, 0, 0, 0};
        else if (s.clip == Clip::text)
            clipboard.m_items[1] = {'a', 0};
        const auto itemsBefore = clipboard.m_items;
        CGIFDoc doc(test::Headless().WithClipboard(clipboard));
        Arrange(doc, s.doc);

        for (const unsigned id : kAllCommands)
            EXPECT_EQ(doc.IsCommandEnabled(id), s.disabled.count(id) == 0) << "command " << id;
        // Asking neither opens the clipboard nor changes what it holds.
        EXPECT_EQ(clipboard.m_nOpens, 0);
        EXPECT_EQ(clipboard.m_items, itemsBefore);
    }
}

}  // namespace
}  // namespace korvanta
