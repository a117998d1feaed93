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

int CPublishJobs::StartPublishArticle(const std::string& account, int folder, int articleId) {
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

int CPublishJobs::StartPublishArticles(const std::string& account, int folder,
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

int CPublishJobs::StartDeleteFromServer(const std::string& account, int folder, int articleId,
                                        const std::string& serverId) {
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

int CPublishJobs::StartDeleteArticlesFromServer(const std::string& account, int folder,
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
        if (m_closing || m_receiving.count(account) > 0) {
            return 0;
        }
        // The flag is up before the worker exists, so that a second start is refused at once.
        m_receiving.insert(account);
    }
    int id = Launch(std::move(job));
    if (id == 0) {
        std::lock_guard lock(m_mutex);
        m_receiving.erase(m_receiving.find(account));
    }
    return id;
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
    auto worker = std::make_unique<Worker>();
    Worker* raw = worker.get();
    {
        std::lock_guard lock(m_mutex);
        if (m_closing) {
            return 0;
        }
        job->id = m_nextId++;
        worker->id = job->id;
    }
    ReapFinished();
    const int id = job->id;
    m_env.observer.OnJobStarted(id, job->kind, job->account, job->row);
    std::lock_guard lock(m_mutex);
    raw->thread = std::thread([this, raw, owned = std::move(job)]() mutable {
        Run(*owned);
        owned.reset();
        raw->done = true;
        m_wake.notify_all();
    });
    m_workers.push_back(std::move(worker));
    return id;
}

void CPublishJobs::ReapFinished() {
    std::list<std::unique_ptr<Worker>> finished;
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_workers.begin(); it != m_workers.end();) {
            if ((*it)->done) {
                finished.splice(finished.end(), m_workers, it++);
            } else {
                ++it;
            }
        }
    }
    for (auto& worker : finished) {
        worker->thread.join();
    }
}

void CPublishJobs::WaitAll() {
    for (;;) {
        std::unique_ptr<Worker> next;
        {
            std::lock_guard lock(m_mutex);
            if (m_workers.empty()) {
                return;
            }
            next = std::move(m_workers.front());
            m_workers.pop_front();
        }
        next->thread.join();
    }
}

void CPublishJobs::Close() {
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_wake.notify_all();
    WaitAll();
}

bool CPublishJobs::Stopping() const {
    std::lock_guard lock(m_mutex);
    return m_closing || IsClosing();
}

bool CPublishJobs::Pause(std::chrono::milliseconds duration) {
    // The process-wide flag is polled: it is set without a word to this object.
    const auto end = std::chrono::steady_clock::now() + duration;
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_closing || IsClosing()) {
            return false;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= end) {
            return true;
        }
        m_wake.wait_for(lock, std::min<std::chrono::steady_clock::duration>(
                                  end - now, std::chrono::milliseconds(50)));
    }
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
    std::lock_guard lock(m_env.storeMutex);
    return m_env.store.GetArticle(id, article);
}

}  // namespace zirvo
