// The save-changes question and the save logic the editor's New, Open, Save, Save As and Exit
// run: what each answer does to the file, the path and the modified flag.
#include <gtest/gtest.h>

#include "model/gif_doc.h"
#include "model/gif_header_block.h"
#include "tests/service_fakes.h"
#include "tests/test_util.h"

namespace korvanta {
namespace {

class DocSave : public test::TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        ASSERT_TRUE(m_doc.OnNewDocument());
        m_doc.SetModifiedFlag(true);
    }
    // A document with a file on disk, then modified.
    void SaveAs(const std::string& name)
    {
        m_dialogs.Answer(PathOf(name));
        ASSERT_TRUE(m_doc.DoSave("", true));
        m_doc.SetModifiedFlag(true);
        m_dialogs.m_requests.clear();
    }
    void CannotBeWritten() { m_doc.GetHeader()->m_nHeight = 100000; }

    test::FakeMessages m_messages;
    test::FakeFileDialogs m_dialogs;
    CGIFDoc m_doc{test::Headless().WithMessages(m_messages).WithDialogs(m_dialogs)};
};

TEST_F(DocSave, UnmodifiedDocumentIsNotAsked)
{
    m_doc.SetModifiedFlag(false);
    EXPECT_TRUE(m_doc.SaveModified());
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(DocSave, NoDiscardsCancelKeepsYesSaves)
{
    SaveAs("anim.gif");
    const std::string path = PathOf("anim.gif");
    const auto saved = test::FileBytes(path);
    m_doc.GetHeader()->m_nWidth = 77;

    m_messages.m_nAnswer = IDNO;
    EXPECT_TRUE(m_doc.SaveModified());
    ASSERT_EQ(m_messages.m_texts, std::vector<std::string>{"anim.gif への変更を保存しますか?"});
    EXPECT_EQ(m_messages.m_types[0], MB_YESNOCANCEL | MB_ICONEXCLAMATION);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(test::FileBytes(path), saved);

    m_messages.m_nAnswer = IDCANCEL;
    EXPECT_FALSE(m_doc.SaveModified());
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(test::FileBytes(path), saved);

    m_messages.m_nAnswer = IDYES;
    EXPECT_TRUE(m_doc.SaveModified());
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_TRUE(m_dialogs.m_requests.empty());  // the document's own path, no dialog
    EXPECT_NE(test::FileBytes(path), saved);
    EXPECT_EQ(m_doc.GetPathName(), path);
}

TEST_F(DocSave, UntitledYesAsksForAPathAndCancelThereKeepsEverything)
{
    EXPECT_EQ(m_doc.GetTitle(), "UNTITLED");
    m_messages.m_nAnswer = IDYES;
    EXPECT_FALSE(m_doc.SaveModified());
    EXPECT_EQ(m_messages.m_texts, std::vector<std::string>{"UNTITLED への変更を保存しますか?"});
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_TRUE(m_doc.GetPathName().empty());
    ASSERT_EQ(m_dialogs.m_requests.size(), 1u);
    const FileDialogRequest& request = m_dialogs.m_requests[0];
    EXPECT_FALSE(request.bOpen);
    EXPECT_EQ(request.filter, "GIF Files (*.gif)|*.gif||");
    EXPECT_EQ(request.defaultExtension, "gif");
    EXPECT_EQ(request.flags, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);

    m_dialogs.Answer(PathOf("new.gif"));
    EXPECT_TRUE(m_doc.SaveModified());
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_EQ(m_doc.GetPathName(), PathOf("new.gif"));
    EXPECT_EQ(m_doc.GetTitle(), "new.gif");
}

TEST_F(DocSave, FailedSaveKeepsOldFilePathAndModifiedFlag)
{
    SaveAs("keep.gif");
    const auto saved = test::FileBytes(PathOf("keep.gif"));
    CannotBeWritten();
    m_messages.m_nAnswer = IDYES;
    EXPECT_FALSE(m_doc.SaveModified());
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(m_doc.GetPathName(), PathOf("keep.gif"));
    EXPECT_EQ(test::FileBytes(PathOf("keep.gif")), saved);
    EXPECT_EQ(m_messages.m_texts.size(), 2u);  // the question, then the failure

    // Save As to another name fails the same way and does not take the new name.
    m_dialogs.Answer(PathOf("other.gif"));
    EXPECT_FALSE(m_doc.DoSave("", true));
    EXPECT_EQ(m_doc.GetPathName(), PathOf("keep.gif"));
    EXPECT_TRUE(m_doc.IsModified());
}

TEST_F(DocSave, CopyLeavesPathAndModifiedFlag)
{
    SaveAs("main.gif");
    EXPECT_TRUE(m_doc.DoSave(PathOf("copy.gif"), false));
    EXPECT_EQ(test::FileBytes(PathOf("copy.gif")), test::WriteOut(m_doc));
    EXPECT_EQ(m_doc.GetPathName(), PathOf("main.gif"));
    EXPECT_TRUE(m_doc.IsModified());
}

TEST(DocSaveHeadless, ModifiedDocumentIsNeitherSavedNorDiscarded)
{
    CGIFDoc doc(test::Headless());
    doc.OnNewDocument();
    doc.SetModifiedFlag(true);
    EXPECT_FALSE(doc.SaveModified());  // Cancel: the caller keeps the document open
    EXPECT_TRUE(doc.IsModified());
}

}  // namespace
}  // namespace korvanta
