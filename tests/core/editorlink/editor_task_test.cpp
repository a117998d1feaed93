#include "core/editorlink/editor_task.h"

#include <gtest/gtest.h>

#include "core/editorlink/blog_tree_code.h"
#include "core/util/files.h"
#include "core/util/reporter.h"
#include "core/util/xml_document.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

using Names = std::vector<std::string>;

class EditorTaskTest : public ::testing::Test {
protected:
    EditorTaskTest()
        : m_root("editorlink"),
          m_messages(std::string(ZIRVO_TEST_SOURCE_DIR) + "/data/ErrorMsg.xml", m_reporter),
          m_path(EditorTaskPath(m_root.Path())) {}

    std::string FileText() const {
        std::string bytes;
        ReadFileBytes(m_path, bytes);
        return bytes;
    }

    test::TempDir m_root;
    CRecordingReporter m_reporter;
    CErrorMsgDialog m_messages;
    std::string m_path;
};

TEST(BlogTreeCodeTest, CodesOfAccountsAndFolders) {
    EXPECT_EQ(BlogTreeCode(0, kTreeAccountNode), 1000);
    EXPECT_EQ(BlogTreeCode(1, kTreeDrafts), 1130);
    EXPECT_EQ(BlogTreeCode(1, kTreeMyBlog), 1150);
    EXPECT_EQ(TreeCodeAccountIndex(1130), 1);
    EXPECT_EQ(TreeCodeFolder(1130), 3);
    EXPECT_EQ(TreeCodeFolder(1100), 0);
    EXPECT_EQ(TreeCodeAccountNode(1130), 1100);
    EXPECT_EQ(TreeCodeAccountIndex(BlogTreeCode(25, kTreeReceived)), 25);
}

TEST_F(EditorTaskTest, DraftTaskForSecondOfThreeAccountsHasItsCodesInOrder) {
    ASSERT_TRUE(WriteArticleTask(m_path, 3, "17", "work", {"home", "work", "other"}));
    EXPECT_EQ(FileText(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root><processtype>3</processtype>"
              "<account>work</account><index>17</index>"
              "<publishfoldertreeid>1120</publishfoldertreeid>"
              "<draftfoldertreeid>1130</draftfoldertreeid><accounts>"
              "<account><name>home</name><treeid>1000</treeid></account>"
              "<account><name>work</name><treeid>1100</treeid></account>"
              "<account><name>other</name><treeid>1200</treeid></account></accounts></root>");
}

TEST_F(EditorTaskTest, NewArticleTaskHasNoIndexAndReadsBackWithItsAccounts) {
    ASSERT_TRUE(WriteNewArticleTask(m_path, "博客&<甲>", {"博客&<甲>", "乙"}));
    EXPECT_EQ(FileText().find("<index>"), std::string::npos);
    EditorTask task;
    ASSERT_EQ(ReadTask(m_path, task, m_messages), TaskReadResult::kTask);
    EXPECT_EQ(task.processType, kTaskNewArticle);
    EXPECT_EQ(task.account, "博客&<甲>");
    EXPECT_EQ(task.publishFolderTreeId, 1020);
    EXPECT_EQ(task.draftFolderTreeId, 1030);
    ASSERT_EQ(task.accounts.size(), 2u);
    EXPECT_EQ(task.accounts[0].name, "博客&<甲>");
    EXPECT_EQ(task.accounts[1].treeId, 1100);
    EXPECT_EQ(NotifyTreeCode(task, 3), 1030);
    EXPECT_EQ(NotifyTreeCode(task, 2), 1020);
    EXPECT_TRUE(m_reporter.Numbers().empty());
}

TEST_F(EditorTaskTest, ReadingDeletesTheFileSoASecondEditorStartsAlone) {
    ASSERT_TRUE(WriteArticleTask(m_path, 5, "42", "a", {"a"}));
    EditorTask task;
    ASSERT_EQ(ReadTask(m_path, task, m_messages), TaskReadResult::kTask);
    EXPECT_FALSE(FileExists(m_path));
    EXPECT_EQ(task.processType, kTaskFromFeedItem);
    EXPECT_EQ(task.index, "42");
    EXPECT_EQ(task.accounts.size(), 1u);
    EditorTask second;
    EXPECT_EQ(ReadTask(m_path, second, m_messages), TaskReadResult::kStandalone);
    EXPECT_EQ(second.processType, -1);
}

TEST_F(EditorTaskTest, EditTasksDoNotReadTheAccountList) {
    ASSERT_TRUE(WriteArticleTask(m_path, 2, "9", "b", {"a", "b"}));
    EditorTask task;
    ASSERT_EQ(ReadTask(m_path, task, m_messages), TaskReadResult::kTask);
    EXPECT_EQ(task.processType, kTaskEditPublished);
    EXPECT_TRUE(task.accounts.empty());
}

TEST_F(EditorTaskTest, UnregisteredAccountOrUnknownFolderWritesNothing) {
    EXPECT_FALSE(WriteNewArticleTask(m_path, "ghost", {"a"}));
    EXPECT_FALSE(WriteArticleTask(m_path, 7, "1", "a", {"a"}));
    EXPECT_FALSE(WriteArticleTask(m_path, 0, "1", "a", {"a"}));
    EXPECT_FALSE(FileExists(m_path));
}

TEST_F(EditorTaskTest, RequiredElementsMissingShow7001) {
    const char* broken[] = {
        // kind 3 without index
        "<root><processtype>3</processtype><account>a</account>"
        "<publishfoldertreeid>1020</publishfoldertreeid>"
        "<draftfoldertreeid>1030</draftfoldertreeid></root>",
        // kind 0 without accounts
        "<root><processtype>0</processtype><account>a</account>"
        "<publishfoldertreeid>1020</publishfoldertreeid>"
        "<draftfoldertreeid>1030</draftfoldertreeid></root>",
        // no draft code
        "<root><processtype>0</processtype><account>a</account>"
        "<publishfoldertreeid>1020</publishfoldertreeid><accounts/></root>",
        // a kind the editor does not know
        "<root><processtype>9</processtype><account>a</account><index>1</index>"
        "<publishfoldertreeid>1020</publishfoldertreeid>"
        "<draftfoldertreeid>1030</draftfoldertreeid><accounts/></root>",
    };
    for (const char* text : broken) {
        m_root.WriteFile("Temp/subprocess.xml", text);
        EditorTask task;
        EXPECT_EQ(ReadTask(m_path, task, m_messages), TaskReadResult::kAbort) << text;
        EXPECT_FALSE(FileExists(m_path));
    }
    EXPECT_EQ(m_reporter.Numbers(), (std::vector<int>{7001, 7001, 7001, 7001}));
}

TEST_F(EditorTaskTest, AccountListEndsAtTheFirstIncompleteEntry) {
    m_root.WriteFile("Temp/subprocess.xml",
                     "<root><processtype>6</processtype><account>a</account><index>3</index>"
                     "<publishfoldertreeid>1020</publishfoldertreeid>"
                     "<draftfoldertreeid>1030</draftfoldertreeid><accounts>"
                     "<account><name>a</name><treeid>1000</treeid></account>"
                     "<account><name>b</name></account>"
                     "<account><name>c</name><treeid>1200</treeid></account></accounts></root>");
    EditorTask task;
    ASSERT_EQ(ReadTask(m_path, task, m_messages), TaskReadResult::kTask);
    ASSERT_EQ(task.accounts.size(), 1u);
    EXPECT_EQ(task.accounts[0].name, "a");

    m_root.WriteFile("Temp/subprocess.xml",
                     "<root><processtype>0</processtype><account>a</account>"
                     "<publishfoldertreeid>1020</publishfoldertreeid>"
                     "<draftfoldertreeid>1030</draftfoldertreeid><accounts></accounts></root>");
    ASSERT_EQ(ReadTask(m_path, task, m_messages), TaskReadResult::kTask);
    EXPECT_TRUE(task.accounts.empty());
    EXPECT_TRUE(m_reporter.Numbers().empty());
}

TEST_F(EditorTaskTest, BrokenFileMeansStandaloneStart) {
    m_root.WriteFile("Temp/subprocess.xml", "<root><processtype>0</processtype>");
    EditorTask task;
    EXPECT_EQ(ReadTask(m_path, task, m_messages), TaskReadResult::kStandalone);
    EXPECT_TRUE(m_reporter.Numbers().empty());
}

TEST(StandaloneStartTest, ChooserRulesAndZeroCodes) {
    EXPECT_EQ(ChooseStandaloneStart({}), StandaloneChoice::kNoAccount);
    EXPECT_EQ(ChooseStandaloneStart({"one"}), StandaloneChoice::kSingle);
    EXPECT_EQ(ChooseStandaloneStart({"one", "two"}), StandaloneChoice::kAskUser);
    EditorTask task = StandaloneTask("two", {"one", "two"});
    EXPECT_EQ(task.processType, kTaskNewArticle);
    ASSERT_EQ(task.accounts.size(), 2u);
    EXPECT_EQ(task.accounts[1].treeId, 0);
    EXPECT_EQ(NotifyTreeCode(task, 3), 0);
}

TEST(EditorWindowTitleTest, PrefixByKind) {
    EXPECT_EQ(EditorWindowTitle(0, "甲"), "新建日志 - 甲");
    EXPECT_EQ(EditorWindowTitle(3, "甲"), "编辑草稿箱日志 - 甲");
    EXPECT_EQ(EditorWindowTitle(6, "甲"), "新建日志 - 甲");
    EXPECT_EQ(EditorWindowTitle(4, "甲"), "编辑垃圾箱日志 - 甲");
}

}  // namespace
}  // namespace zirvo
