#pragma once
// Editing a post that is already on the server (an article of the received or published
// folder): the server's copy is changed first with the flavour's editPost, and the local text
// only when the server took the change.
//
// Threading: the front end's thread, the one that owns the environment's store.

#include <string>

#include "core/publishing/publish_jobs.h"

namespace zirvo {

inline constexpr const char* kStatusEditing = "修改文章...";
inline constexpr const char* kTextEdited = "修改成功!";
// Shown when the server answers an edit with false: its copy stays as it was.
inline constexpr const char* kTextServerKeptText = "服务器拒绝修改这篇日志!";

// Reads the article's server id, sends title, category and content with EditPost, shows
// "修改成功!" and updates the article's text. 1 when both the server and the store took the
// change; 0 after the failure has been shown (an article without server id is refused with
// kTextNoServerId; a store failure after the server's yes shows the store's reason).
int EditPublishedArticle(const PublishEnvironment& environment, const std::string& account,
                         int articleId, const std::string& title, const std::string& category,
                         const std::string& content);

inline constexpr const char* kTextNoServerId = "这篇日志还没有发布到服务器!";

}  // namespace zirvo
