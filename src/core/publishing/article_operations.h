#pragma once
// The local article operations of the blog tree's article list, without the list: deleting,
// copying and moving selected articles, and which folders the folder chooser offers.
//
// Threading: the calling thread, holding whatever lock guards the store (see publish_jobs.h).

#include <string>
#include <vector>

namespace zirvo {

class CBlogStore;

// "删除(&D)" / "删除这些日志(&D)" / "彻底删除" on articles of `folder`, in list order: from the
// received, published and drafts folders the article goes to the account's recycle bin with
// its server id; in the recycle bin its row is removed. A row whose store call fails is left as
// it is and the others are still processed. Returns the ids that failed.
std::vector<int> DeleteArticlesLocally(CBlogStore& store, const std::string& account, int folder,
                                       const std::vector<int>& ids);

// The folder chooser: every account's drafts and recycle bin, except the folder the list shows.
bool IsTransferTarget(const std::string& listAccount, int listFolder,
                      const std::string& targetAccount, int targetFolder);

enum class TransferKind {
    kCopy,  // "复制到(&C)...": a new row without server id
    kMove,  // "转移到(&M)...": the row changes folder and account, its server id goes along
};

// Copies or moves the articles in list order into `targetFolder` of `targetAccount`. Moving out
// of the received folder is refused (nothing done, 0). The first failing article stops the rest;
// `error` then holds the store's reason. Returns the number of articles done.
int TransferArticles(CBlogStore& store, TransferKind kind, int listFolder,
                     const std::vector<int>& ids, const std::string& targetAccount,
                     int targetFolder, std::string& error);

// The question of "清空文章(&C)": "确定要清空 \"" + folder name + "\" 中的所有日志吗?".
std::string ClearFolderQuestion(int folder);

}  // namespace zirvo
