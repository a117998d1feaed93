#pragma once
// The hand-over of one task from the main program to the editor: Temp/subprocess.xml below the
// data root, written by the main program just before it starts the editor, read once and
// deleted by the editor at start-up.
//
// File format: one line, no indentation, elements in exactly this order:
//   <?xml version="1.0" encoding="UTF-8"?><root>
//   <processtype>kind</processtype><account>task account</account>
//   <index>log_id or item_id</index>                      (kinds 1 to 6 only)
//   <publishfoldertreeid>code</publishfoldertreeid><draftfoldertreeid>code</draftfoldertreeid>
//   <accounts><account><name>..</name><treeid>code</treeid></account>...</accounts></root>
// with one `account` per registered account in registry order; codes are blog tree codes
// (blog_tree_code.h). Values are escaped, so any account name reads back unchanged.
//
// Threading: any thread; each call reads or writes the file on the calling thread.

#include <string>
#include <vector>

#include "core/config/error_msg_dialog.h"

namespace zirvo {

// The kinds of task (`processtype`).
enum EditorTaskKind : int {
    kTaskNewArticle = 0,
    kTaskEditReceived = 1,
    kTaskEditPublished = 2,
    kTaskEditDraft = 3,
    kTaskEditRecycled = 4,
    kTaskFromFeedItem = 5,    // an item of rss_data
    kTaskFromStagedItem = 6,  // an item of rsstemp_data
};

inline constexpr int kMsgTaskElementMissing = 7001;
inline constexpr const char* kTextOpenMainProgram = "请打开主程序新建帐户!";
inline constexpr const char* kTextChooseAccount = "请选择一个账户";
inline constexpr const char* kTextChooserTitle = "选择账户(双击)";

struct TaskAccount {
    std::string name;
    int treeId = 0;
};

struct EditorTask {
    int processType = -1;
    std::string account;
    std::string index;  // empty for kind 0
    int publishFolderTreeId = 0;
    int draftFolderTreeId = 0;
    std::vector<TaskAccount> accounts;
};

// Temp/subprocess.xml below `dataRoot`.
std::string EditorTaskPath(const std::string& dataRoot);

// The editor window's title: "新建日志 - ", "修改已收日志 - ", ... followed by the account.
std::string EditorWindowTitle(int processType, const std::string& account);

// The task kind for an article opened from the article list showing `listFolder` (1 to 4 the
// blog folders, 5 the feed items, 6 the staged feed items); -1 for anything else.
int TaskKindForListFolder(int listFolder);

// The file text for a task (as described above).
std::string BuildEditorTaskXml(const EditorTask& task);

// Build the task of `account` with the folder codes from its position in `registeredAccounts`
// and write it. False (nothing written, the editor is not to be started) when the account is not
// registered, the kind is unknown, or the file cannot be written.
bool WriteNewArticleTask(const std::string& taskPath, const std::string& account,
                         const std::vector<std::string>& registeredAccounts);
bool WriteArticleTask(const std::string& taskPath, int listFolder, const std::string& articleId,
                      const std::string& account,
                      const std::vector<std::string>& registeredAccounts);

enum class TaskReadResult {
    kTask,        // `task` is filled
    kStandalone,  // no file (or not well-formed): the editor asks for an account itself
    kAbort,       // a required element was missing: message 7001 shown, the editor ends
};

// The editor's start-up read. The file is deleted as soon as it has been loaded, so it serves
// one editor only. Required: processtype (0 to 6), account, publishfoldertreeid,
// draftfoldertreeid, index for kinds 1 to 6, and `accounts` for kinds 0, 5 and 6, whose
// `account` children are read in order until one lacks its name or treeid.
TaskReadResult ReadTask(const std::string& taskPath, EditorTask& task, CErrorMsgDialog& messages);

// The stand-alone start (no hand-over file).
enum class StandaloneChoice {
    kNoAccount,  // "请打开主程序新建帐户!" and the editor ends
    kSingle,     // the only account is taken without asking
    kAskUser,    // the chooser "选择账户(双击)" is shown
};
StandaloneChoice ChooseStandaloneStart(const std::vector<std::string>& registeredAccounts);
// Kind 0 for `account`, every registered account with tree code 0 and both folder codes 0, so
// that the notifications of a stand-alone editor change nothing in a running main program.
EditorTask StandaloneTask(const std::string& account,
                          const std::vector<std::string>& registeredAccounts);

// The tree code the editor sends with message 2166 after saving into `folder` (3 drafts,
// anything else published).
int NotifyTreeCode(const EditorTask& task, int folder);

}  // namespace zirvo
