#include "core/publishing/article_operations.h"

#include "core/articles/blog_article.h"
#include "core/articles/blog_store.h"

namespace zirvo {

std::vector<int> DeleteArticlesLocally(CBlogStore& store, const std::string& account, int folder,
                                       const std::vector<int>& ids) {
    std::vector<int> failed;
    for (int id : ids) {
        const bool done = folder == kBlogFolderRecycleBin
                              ? store.DeleteArticle(id)
                              : store.MoveArticle(id, kBlogFolderRecycleBin, account);
        if (!done) {
            failed.push_back(id);
        }
    }
    return failed;
}

bool IsTransferTarget(const std::string& listAccount, int listFolder,
                      const std::string& targetAccount, int targetFolder) {
    if (targetFolder != kBlogFolderDrafts && targetFolder != kBlogFolderRecycleBin) {
        return false;
    }
    return !(targetAccount == listAccount && targetFolder == listFolder);
}

int TransferArticles(CBlogStore& store, TransferKind kind, int listFolder,
                     const std::vector<int>& ids, const std::string& targetAccount,
                     int targetFolder, std::string& error) {
    if (kind == TransferKind::kMove && listFolder == kBlogFolderReceived) {
        return 0;
    }
    int done = 0;
    for (int id : ids) {
        const bool ok = kind == TransferKind::kCopy
                            ? store.CopyArticle(id, targetFolder, targetAccount)
                            : store.MoveArticle(id, targetFolder, targetAccount);
        if (!ok) {
            error = store.GetLastError();
            break;
        }
        ++done;
    }
    return done;
}

std::string ClearFolderQuestion(int folder) {
    return std::string("确定要清空 \"") + BlogFolderName(folder) + "\" 中的所有日志吗?";
}

}  // namespace zirvo
