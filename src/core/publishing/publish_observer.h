#pragma once
// What a publishing job tells its front end while it runs: the progress window's status text,
// the blog tree recounts (window message 2166), the completion notice (window message 2168),
// the article list reloads, the multi-account dialog's row status, and the job's end.
//
// Threading: every call except OnJobStarted comes from the job's worker thread. A GUI
// implementation marshals the call to the window thread and waits for it there (as a worker's
// SendMessage would), so that the window has seen a change before the job goes on. Only values
// cross threads: every argument is copied or outlives the call.
// CPublishJobs::Close joins the workers, typically from the window thread: once the process-wide
// closing flag is set, an implementation must no longer wait for that thread (drop or post the
// call instead), or a worker reporting at that moment and the joining thread wait for each other.

#include <string>

#include "core/articles/blog_article.h"

namespace zirvo {

// lParam of message 2168: which notice the main window's popup shows for 5000 ms.
enum PublishNotice : int {
    kNoticeReceived = 0,   // "文章已经接收完毕!"
    kNoticeDeleted = 1,    // "文章删除成功!"
    kNoticePublished = 2,  // "文章发布成功!"
};

// The notice text of a 2168 lParam; the empty text for any other value.
const char* PublishNoticeText(int notice);

enum class PublishJobKind {
    kPublishOne,      // "发布这篇日志(&P)"
    kPublishSeveral,  // "发布这些日志(&P)"
    kDeleteOne,       // "从服务器删除(&S)" on one article
    kDeleteSeveral,   // "从服务器删除(&S)" on several
    kReceive,         // "获取日志"
    kMultiPublish,    // one account's worker of "发布到多个博客(&U)..."
};

// lParam values of message 2166 sent by the jobs: the folder gains or loses articles, or just
// needs a recount.
enum TreeCountChange : int {
    kTreeCountDown = -1,
    kTreeCountChanged = 0,
    kTreeCountUp = 1,
};

class IPublishObserver {
public:
    virtual ~IPublishObserver() = default;

    // On the starter's thread, before the worker runs: create and show the progress window of
    // job `jobId` (a multi-account job's window is the dialog, `row` its row; -1 otherwise).
    virtual void OnJobStarted(int jobId, PublishJobKind kind, const std::string& account,
                              int row) = 0;
    // The progress window's status text.
    virtual void OnJobStatus(int jobId, const std::string& text) = 0;
    // Message 2166: the blog tree recounts the folder `treeCode`.
    virtual void OnTreeRecount(int treeCode, TreeCountChange change) = 0;
    // Message 2168 with `notice`.
    virtual void OnJobNotice(PublishNotice notice) = 0;
    // The article list is reloaded if it shows `folder` of `account`.
    virtual void OnArticlesChanged(const std::string& account, BlogFolder folder) = 0;
    // The server took a post: `articleId` is the local article sent, `postId` its server id.
    virtual void OnPostSent(int jobId, const std::string& account, int articleId,
                            const std::string& postId) = 0;
    // The status column (column 4) of the multi-account dialog's row `row`.
    virtual void OnRowStatus(int jobId, int row, const std::string& text) = 0;
    // The account's server answered from another address (its endpoint moved, typically to
    // HTTPS); said once per job so that the user can update the account. By default the
    // progress window's status says so (EndpointMovedText).
    virtual void OnEndpointMoved(int jobId, const std::string& account, const std::string& address);
    // The job has ended and its progress window closes: `result` 1 when it completed, 0 when it
    // stopped on a failure (already shown to the user).
    virtual void OnJobEnded(int jobId, int result) = 0;
};

}  // namespace zirvo
