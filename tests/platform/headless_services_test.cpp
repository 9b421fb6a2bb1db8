// The services of a document without a windowing side decline everything: a headless caller
// can never overwrite or discard on an answer nobody gave.
#include "platform/headless_services.h"

#include <gtest/gtest.h>

#include "model/gif_doc_commands.h"
#include "tests/service_fakes.h"

namespace korvanta {
namespace {

TEST(HeadlessServices, EveryQuestionIsAnsweredNoOrCancel)
{
    HeadlessServices headless;
    MessageService& messages = headless.Services().messages;
    EXPECT_EQ(messages.MessageBox("note", MB_OK | MB_ICONEXCLAMATION), IDOK);
    EXPECT_EQ(messages.MessageBox("overwrite?", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(messages.MessageBox("copy?", MB_OKCANCEL | MB_ICONQUESTION), IDCANCEL);
    EXPECT_EQ(messages.MessageBox("save?", MB_YESNOCANCEL | MB_ICONEXCLAMATION), IDCANCEL);

    EXPECT_FALSE(headless.Services().dialogs.GetFileName(FileDialogRequest{}));
    EXPECT_FALSE(headless.Services().clipboard.OpenClipboard());
}

class HeadlessOverwrite : public test::TempDirTest {};

TEST_F(HeadlessOverwrite, AnExistingFileIsNeverChosenWithoutAYes)
{
    HeadlessServices headless;
    const std::string path = PathOf("exists.bmp");
    test::WriteFileBytes(path, {1, 2, 3});
    test::FakeFileDialogs dialogs;
    dialogs.Answer(path);
    EXPECT_FALSE(ChooseSavePath(dialogs, headless.Services().messages, FileDialogRequest{}));
    EXPECT_EQ(test::FileBytes(path), (std::vector<std::uint8_t>{1, 2, 3}));
}

}  // namespace
}  // namespace korvanta
