#include "core/publishing/remote_edit.h"

#include "core/articles/blog_store.h"
#include "core/blogapi/blogger_client.h"

namespace zirvo {

int EditPublishedArticle(const PublishEnvironment& environment, const std::string& account,
                         int articleId, const std::string& title, const std::string& category,
                         const std::string& content) {
    CErrorMsgDialog& messages = environment.client.messages;
    std::string serverId;
    if (!environment.store.GetArticleGuid(articleId, serverId)) {
        messages.ShowMessageBox(environment.store.GetLastError());
        return 0;
    }
    if (serverId.empty()) {
        messages.ShowMessageBox(kTextNoServerId);
        return 0;
    }
    std::unique_ptr<CBloggerClient> client = MakeAccountClient(environment, account);
    if (!client) {
        return 0;
    }
    int accepted = 0;
    if (!client->EditPost(serverId, title, category, content, accepted)) {
        return 0;
    }
    if (!accepted) {
        messages.ShowMessageBox(kTextServerKeptText);
        return 0;
    }
    messages.ShowMessageBox(kTextEdited);
    if (!environment.store.UpdateArticleText(articleId, title, category, content)) {
        messages.ShowMessageBox(environment.store.GetLastError());
        return 0;
    }
    return 1;
}

}  // namespace zirvo
