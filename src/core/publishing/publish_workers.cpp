// The workers of CPublishJobs: what each job sends, in which order, and what happens to the
// local copies. Runs on the job's own thread, with the job's own store connection.

#include "core/accounts/account_endpoint.h"
#include "core/accounts/account_registry.h"
#include "core/articles/blog_store.h"
#include "core/blogapi/blog_client_factory.h"
#include "core/blogapi/blog_transport.h"
#include "core/blogapi/blogger_client.h"
#include "core/db/sqlite_exception.h"
#include "core/publishing/publish_job.h"
#include "core/publishing/remote_edit.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

// Once per job: a job's client is its own, so what it saw is what this job saw.
void ReportMovedEndpoint(IPublishObserver& observer, int jobId, const std::string& account,
                         const CBloggerClient& client) {
    if (!client.MovedTo().empty()) {
        observer.OnEndpointMoved(jobId, account, client.MovedTo());
    }
}

}  // namespace

void IPublishObserver::OnEndpointMoved(int jobId, const std::string&, const std::string& address) {
    OnJobStatus(jobId, EndpointMovedText(address));
}

void CPublishJobs::Run(Job& job) {
    // A connection of the worker's own: the front end's store stays on the front end's thread.
    CBlogStore store(m_env.client.dataRoot.Dir());
    if (!store.Open()) {
        m_env.client.messages.ShowMessageBox(store.GetLastError());
        Finish(job);
        return;
    }
    job.store = &store;
    switch (job.kind) {
        case PublishJobKind::kReceive:
            RunReceive(job);
            break;
        case PublishJobKind::kMultiPublish:
            RunMultiPublish(job);
            break;
        default: {
            if (!Pause(m_timings.startDelay)) {
                break;
            }
            std::unique_ptr<CBloggerClient> client = MakeClient(job.account);
            if (!client) {
                break;
            }
            if (job.kind == PublishJobKind::kPublishOne) {
                RunPublishOne(job, *client);
            } else if (job.kind == PublishJobKind::kPublishSeveral) {
                RunPublishSeveral(job, *client);
            } else if (job.kind == PublishJobKind::kDeleteOne) {
                RunDeleteOne(job, *client);
            } else {
                RunDeleteSeveral(job, *client);
            }
            ReportMovedEndpoint(m_env.observer, job.id, job.account, *client);
        }
    }
    Finish(job);
}

std::unique_ptr<CBloggerClient> MakeAccountClient(const PublishEnvironment& environment,
                                                  const std::string& account) {
    BlogEndpoint endpoint;
    if (!ReadBlogEndpoint(environment.registry, account, endpoint)) {
        return nullptr;
    }
    ConnectionSettings connection = LoadConnectionSettings(endpoint, environment.config, true);
    if (!environment.caFile.empty()) {
        connection.caFile = environment.caFile;
    }
    return CreateBlogClient(endpoint, connection, environment.client);
}

std::unique_ptr<CBloggerClient> CPublishJobs::MakeClient(const std::string& account) {
    return MakeAccountClient(m_env, account);
}

int CPublishJobs::SendPost(Job& job, CBloggerClient& client, const BlogPost& post, int articleId,
                           std::string& postId) {
    postId.clear();
    if (!client.NewPost(post, postId)) {
        return 0;
    }
    m_env.observer.OnPostSent(job.id, job.account, articleId, postId);
    return 1;
}

int CPublishJobs::DeleteOnServer(CBloggerClient& client, const std::string& serverId) {
    // Without an id the request could only name no post at all.
    if (Trim(serverId).empty()) {
        m_env.client.messages.ShowMessageBox(kTextNoServerId);
        return 0;
    }
    int accepted = 0;
    if (!client.DeletePost(serverId, accepted)) {
        return 0;
    }
    if (!accepted) {
        // The server kept the post: the local copy must not go to the recycle bin as if it
        // had been deleted.
        m_env.client.messages.ShowMessageBox(kTextServerKeptPost);
        return 0;
    }
    return 1;
}

void CPublishJobs::RunPublishOne(Job& job, CBloggerClient& client) {
    IPublishObserver& observer = m_env.observer;
    observer.OnJobStatus(job.id, kStatusPublishing);
    if (!SendPost(job, client, job.post, job.articleId, job.newPostId)) {
        return;
    }
    observer.OnJobNotice(kNoticePublished);
    if (job.sourceFolder == kBlogFolderDrafts || job.sourceFolder == kBlogFolderRecycleBin) {
        bool moved =
            job.store->SetArticleFolderAndGuid(job.articleId, kBlogFolderPublished, job.newPostId);
        if (moved) {
            observer.OnTreeRecount(job.sourceFolderCode, kTreeCountDown);
            observer.OnTreeRecount(job.targetFolderCode, kTreeCountUp);
            observer.OnArticlesChanged(job.account, job.sourceFolder);
        }
    }
    job.result = 1;
}

void CPublishJobs::RunPublishSeveral(Job& job, CBloggerClient& client) {
    IPublishObserver& observer = m_env.observer;
    observer.OnJobStatus(job.id, kStatusPublishing);
    const bool moves =
        job.sourceFolder == kBlogFolderDrafts || job.sourceFolder == kBlogFolderRecycleBin;
    int n = 0;
    for (int id : job.articleIds) {
        ++n;
        BlogArticle article;
        if (Stopping() || !job.store->GetArticle(id, article)) {
            return;
        }
        observer.OnJobStatus(job.id, PublishingNthStatus(n));
        std::string postId;
        if (!SendPost(job, client, PostFromArticle(article), id, postId)) {
            return;
        }
        if (moves) {
            bool moved = job.store->SetArticleFolderAndGuid(id, kBlogFolderPublished, postId);
            if (moved) {
                observer.OnTreeRecount(job.sourceFolderCode, kTreeCountDown);
                observer.OnTreeRecount(job.targetFolderCode, kTreeCountUp);
            }
        }
    }
    observer.OnJobNotice(kNoticePublished);
    observer.OnArticlesChanged(job.account, job.sourceFolder);
    job.result = 1;
}

void CPublishJobs::RunDeleteOne(Job& job, CBloggerClient& client) {
    IPublishObserver& observer = m_env.observer;
    observer.OnJobStatus(job.id, kStatusDeletingOne);
    if (!DeleteOnServer(client, job.serverId)) {
        return;
    }
    observer.OnJobNotice(kNoticeDeleted);
    job.store->SetArticleFolder(job.articleId, kBlogFolderRecycleBin);
    observer.OnTreeRecount(job.sourceFolderCode, kTreeCountDown);
    observer.OnTreeRecount(job.targetFolderCode, kTreeCountUp);
    observer.OnArticlesChanged(job.account, job.sourceFolder);
    job.result = 1;
}

void CPublishJobs::RunDeleteSeveral(Job& job, CBloggerClient& client) {
    IPublishObserver& observer = m_env.observer;
    observer.OnJobStatus(job.id, kStatusDeletingSeveral);
    int n = 0;
    for (int id : job.articleIds) {
        ++n;
        BlogArticle article;
        if (Stopping() || !job.store->GetArticle(id, article)) {
            return;
        }
        observer.OnJobStatus(job.id, DeletingNthStatus(n));
        if (!DeleteOnServer(client, article.guid)) {
            return;
        }
        bool moved = job.store->SetArticleFolder(id, kBlogFolderRecycleBin);
        if (moved) {
            observer.OnTreeRecount(job.sourceFolderCode, kTreeCountDown);
            observer.OnTreeRecount(job.targetFolderCode, kTreeCountUp);
            // Servers throttle bursts of deletions; a closing program does not wait.
            Pause(m_timings.deletePause);
        }
    }
    observer.OnJobNotice(kNoticeDeleted);
    observer.OnArticlesChanged(job.account, job.sourceFolder);
    job.result = 1;
}

void CPublishJobs::RunReceive(Job& job) {
    IPublishObserver& observer = m_env.observer;
    std::string flavour;
    if (!m_env.registry.ReadAccountValue(job.account, "blogapitype", flavour)) {
        return;
    }
    job.flavour = flavour;
    std::unique_ptr<CBloggerClient> client = MakeClient(job.account);
    if (!client) {
        return;
    }
    std::string countText;
    if (!m_env.registry.ReadAccountValue(job.account, "getrecentpostsnum", countText)) {
        return;
    }
    observer.OnJobStatus(job.id, kStatusReceiving);
    std::vector<PostEntry> entries;
    const int fetched = client->GetRecentPosts(ToInt(countText), entries);
    ReportMovedEndpoint(observer, job.id, job.account, *client);
    if (!fetched) {
        return;
    }
    BlogArticleList articles;
    for (const PostEntry& entry : entries) {
        BlogArticle article;
        article.title = entry.title;
        article.content = entry.description;
        article.pubDate = entry.dateCreated;
        article.category = entry.categories;
        article.guid = entry.postId;
        article.userid = entry.userId;
        article.link = entry.link;
        articles.push_back(std::move(article));
    }
    if (!job.store->ReplaceReceivedArticles(job.account, articles)) {
        // Nothing else would tell the user why the received folder did not change.
        m_env.client.messages.ShowMessageBox(job.store->GetLastError());
        return;
    }
    observer.OnJobNotice(kNoticeReceived);
    observer.OnTreeRecount(job.targetFolderCode, kTreeCountChanged);
    observer.OnArticlesChanged(job.account, kBlogFolderReceived);
    job.result = 1;
}

void CPublishJobs::RunMultiPublish(Job& job) {
    IPublishObserver& observer = m_env.observer;
    observer.OnRowStatus(job.id, job.row, SendingStatus(1));
    Pause(m_timings.sendStep);
    observer.OnRowStatus(job.id, job.row, SendingStatus(2));
    Pause(m_timings.sendStep);
    observer.OnRowStatus(job.id, job.row, SendingStatus(3));
    Pause(m_timings.sendLastStep);
    if (Stopping()) {
        return;
    }
    std::unique_ptr<CBloggerClient> client = MakeClient(job.account);
    if (!client) {
        return;
    }
    const int sent = SendPost(job, *client, job.post, job.articleId, job.newPostId);
    ReportMovedEndpoint(observer, job.id, job.account, *client);
    if (!sent) {
        observer.OnRowStatus(job.id, job.row, kTextSendFailed);
        return;
    }
    job.post.serverId = job.newPostId;
    const bool moveSource = job.account == job.sourceAccount && job.sourceHasLocalRow;
    if (moveSource) {
        bool moved =
            job.store->SetArticleFolderAndGuid(job.articleId, kBlogFolderPublished, job.newPostId);
        if (moved) {
            observer.OnTreeRecount(job.targetFolderCode, kTreeCountUp);
            observer.OnTreeRecount(job.sourceFolderCode, kTreeCountDown);
            observer.OnArticlesChanged(job.account, job.sourceFolder);
        }
    } else {
        bool added = false;
        try {
            added = job.store->AddArticleWithGuid(kBlogFolderPublished, job.account, job.newPostId,
                                                  job.post.title, job.post.category,
                                                  job.post.description, job.post.pubDate);
        } catch (const CppSQLite3Exception&) {
            added = false;  // the server has the post; the copy is only a convenience
        }
        if (added) {
            observer.OnTreeRecount(job.targetFolderCode, kTreeCountUp);
            observer.OnArticlesChanged(job.account, kBlogFolderPublished);
        }
    }
    observer.OnRowStatus(job.id, job.row, SendingStatus(4));
    Pause(m_timings.sendStep);
    observer.OnRowStatus(job.id, job.row, SendingStatus(5));
    Pause(m_timings.sendStep);
    observer.OnRowStatus(job.id, job.row, SentStatus(job.newPostId));
    job.result = 1;
}

}  // namespace zirvo
