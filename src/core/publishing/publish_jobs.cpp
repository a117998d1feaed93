// The job list of CPublishJobs and the starters, which run on the front end's thread: they
// read what the job needs from the registry and the store, announce the job and start its
// worker. The workers' algorithms are in publish_workers.cpp.

#include "core/publishing/publish_jobs.h"

#include <algorithm>

#include "core/accounts/account_registry.h"
#include "core/articles/blog_store.h"
#include "core/blogapi/post_dates.h"
#include "core/editorlink/blog_tree_code.h"
#include "core/publishing/publish_job.h"
#include "core/util/closing_flag.h"
#include "core/util/strings.h"

namespace zirvo {

const char* PublishNoticeText(int notice) {
    switch (notice) {
        case kNoticeReceived:
            return "文章已经接收完毕!";
        case kNoticeDeleted:
            return "文章删除成功!";
        case kNoticePublished:
            return "文章发布成功!";
        default:
            return "";
    }
}

std::string PublishingNthStatus(int n) {
    return "正在发布第 " + std::to_string(n) + " 篇日志";
}

std::string DeletingNthStatus(int n) {
    return "正在删除第 " + std::to_string(n) + " 篇日志";
}

CPublishJobs::CPublishJobs(PublishEnvironment environment, PublishTimings timings)
    : m_env(environment), m_timings(timings) {}

CPublishJobs::~CPublishJobs() {
    Close();
}

namespace {

bool IsDraftsOrRecycleBin(int folder) {
    return folder == kBlogFolderDrafts || folder == kBlogFolderRecycleBin;
}

}  // namespace

BlogPost PostFromArticle(const BlogArticle& article) {
    BlogPost post;
    post.title = article.title;
    post.category = article.category;
    post.description = article.content;
    post.pubDate = article.pubDate;
    post.serverId = article.guid;
    return post;
}

int CPublishJobs::StartPublishArticle(const std::string& account, BlogFolder folder,
                                      int articleId) {
    auto job = std::make_unique<Job>();
    job->kind = PublishJobKind::kPublishOne;
    job->account = account;
    if (!m_env.registry.ReadAccountValue(account, "blogapitype", job->flavour)) {
        return 0;
    }
    BlogArticle article;
    if (!LoadArticle(articleId, article)) {
        return 0;
    }
    job->post = PostFromArticle(article);
    job->articleId = articleId;
    job->sourceFolder = folder;
    job->sourceFolderCode = IsDraftsOrRecycleBin(folder) ? TreeCode(account, folder) : 0;
    job->targetFolderCode = TreeCode(account, kBlogFolderPublished);
    return Launch(std::move(job));
}

int CPublishJobs::StartPublishArticles(const std::string& account, BlogFolder folder,
                                       const std::vector<int>& ids) {
    auto job = std::make_unique<Job>();
    job->kind = PublishJobKind::kPublishSeveral;
    job->account = account;
    if (!m_env.registry.ReadAccountValue(account, "blogapitype", job->flavour)) {
        return 0;
    }
    job->articleIds = ids;
    job->sourceFolder = folder;
    job->sourceFolderCode = IsDraftsOrRecycleBin(folder) ? TreeCode(account, folder) : 0;
    job->targetFolderCode = TreeCode(account, kBlogFolderPublished);
    return Launch(std::move(job));
}

int CPublishJobs::StartDeleteFromServer(const std::string& account, BlogFolder folder,
                                        int articleId, const std::string& serverId) {
    auto job = std::make_unique<Job>();
    job->kind = PublishJobKind::kDeleteOne;
    job->account = account;
    if (!m_env.registry.ReadAccountValue(account, "blogapitype", job->flavour)) {
        return 0;
    }
    job->articleId = articleId;
    job->serverId = serverId;
    job->sourceFolder = folder;
    job->sourceFolderCode = TreeCode(account, folder);
    job->targetFolderCode = TreeCode(account, kBlogFolderRecycleBin);
    return Launch(std::move(job));
}

int CPublishJobs::StartDeleteArticlesFromServer(const std::string& account, BlogFolder folder,
                                                const std::vector<int>& ids) {
    auto job = std::make_unique<Job>();
    job->kind = PublishJobKind::kDeleteSeveral;
    job->account = account;
    if (!m_env.registry.ReadAccountValue(account, "blogapitype", job->flavour)) {
        return 0;
    }
    job->articleIds = ids;
    job->sourceFolder = folder;
    job->sourceFolderCode = TreeCode(account, folder);
    job->targetFolderCode = TreeCode(account, kBlogFolderRecycleBin);
    return Launch(std::move(job));
}

int CPublishJobs::StartReceive(const std::string& account) {
    auto job = std::make_unique<Job>();
    job->kind = PublishJobKind::kReceive;
    job->account = account;
    job->sourceFolder = kBlogFolderReceived;
    job->targetFolderCode = TreeCode(account, kBlogFolderReceived);
    {
        std::lock_guard lock(m_mutex);
        if (m_workers.Closing() || m_receiving.count(account) > 0) {
            return 0;
        }
        // The flag is up before the worker exists, so that a second start is refused at once.
        m_receiving.insert(account);
    }
    // A refused launch takes the flag down again through Finish.
    return Launch(std::move(job));
}

int CPublishJobs::StartReceiveCount(const std::string& account, int count) {
    if (IsReceiving(account)) {
        return 0;
    }
    if (!m_env.registry.WriteAccountValue(account, "getrecentpostsnum", StrFormat("%d", count))) {
        return 0;
    }
    return StartReceive(account);
}

bool CPublishJobs::IsReceiving(const std::string& account) const {
    std::lock_guard lock(m_mutex);
    return m_receiving.count(account) > 0;
}

std::vector<int> CPublishJobs::StartMultiPublish(const MultiPublishRequest& request) {
    std::vector<int> started;
    RuleResult check = CheckMultiPublishSelection(request.rows);
    if (!check.Ok()) {
        m_env.client.messages.ShowMessageBox(check.message);
        return started;
    }
    std::string sourceFlavour;
    if (!m_env.registry.ReadAccountValue(request.sourceAccount, "blogapitype", sourceFlavour)) {
        return started;
    }
    BlogPost post = request.post;
    if (sourceFlavour == "Blogger") {
        // A Blogger post has no title of its own: the copies are named by their sending time.
        post.title = NowPostDate();
    }
    for (size_t i = 0; i < request.rows.size(); ++i) {
        const MultiPublishRow& row = request.rows[i];
        if (!row.checked) {
            continue;
        }
        auto job = std::make_unique<Job>();
        job->kind = PublishJobKind::kMultiPublish;
        job->account = row.account;
        job->flavour = row.apiType;
        job->post = post;
        job->row = static_cast<int>(i);
        job->articleId = request.articleId;
        job->sourceAccount = request.sourceAccount;
        job->sourceHasLocalRow = request.sourceHasLocalRow;
        job->sourceFolder = request.sourceFolder;
        const int sourceFolder =
            request.sourceFolder == kBlogFolderDrafts ? kBlogFolderDrafts : kBlogFolderRecycleBin;
        job->sourceFolderCode = BlogTreeCode(row.accountIndex, sourceFolder);
        job->targetFolderCode = BlogTreeCode(row.accountIndex, kBlogFolderPublished);
        if (int id = Launch(std::move(job))) {
            started.push_back(id);
        }
    }
    return started;
}

int CPublishJobs::Launch(std::unique_ptr<Job> job) {
    {
        std::lock_guard lock(m_mutex);
        if (m_workers.Closing()) {
            if (job->kind == PublishJobKind::kReceive) {
                m_receiving.erase(m_receiving.find(job->account));
            }
            return 0;
        }
        job->id = m_nextId++;
    }
    const int id = job->id;
    m_env.observer.OnJobStarted(id, job->kind, job->account, job->row);
    // Shared by the body and the failure handler, which run one after the other on the worker.
    std::shared_ptr<Job> shared(std::move(job));
    auto failed = [this, shared](const std::string& what) {
        shared->result = 0;
        m_env.client.messages.ShowMessageBox(what);
        Finish(*shared);
    };
    if (!m_workers.Start([this, shared] { Run(*shared); }, std::move(failed))) {
        // Announced but never run (closing, or no thread to be had): it ends here.
        Finish(*shared);
        return 0;
    }
    return id;
}

void CPublishJobs::Finish(Job& job) {
    if (job.finished) {
        return;
    }
    job.finished = true;
    job.store = nullptr;
    if (job.kind == PublishJobKind::kReceive) {
        std::lock_guard lock(m_mutex);
        m_receiving.erase(m_receiving.find(job.account));
    }
    m_env.observer.OnJobEnded(job.id, job.result);
}

void CPublishJobs::WaitAll() {
    m_workers.WaitAll();
}

void CPublishJobs::Close() {
    m_workers.Close();
}

bool CPublishJobs::Stopping() const {
    return m_workers.Closing() || IsClosing();
}

bool CPublishJobs::Pause(std::chrono::milliseconds duration) {
    return m_workers.Pause(duration);
}

int CPublishJobs::TreeCode(const std::string& account, int folder) {
    std::vector<std::string> names;
    if (!m_env.registry.ListAccountNames(names)) {
        return 0;
    }
    auto it = std::find(names.begin(), names.end(), account);
    if (it == names.end()) {
        return 0;
    }
    return BlogTreeCode(static_cast<int>(it - names.begin()), folder);
}

bool CPublishJobs::LoadArticle(int id, BlogArticle& article) {
    return m_env.store.GetArticle(id, article);
}

}  // namespace zirvo
