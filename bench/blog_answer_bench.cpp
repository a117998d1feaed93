// Speed of reading a recent-posts answer and storing it as received articles: the work of
// "fetch 20,000 posts" once the bytes have arrived. Both must grow with the number of posts,
// not with its square (20,000 posts in well under a second each).
//
// Run a Release build: blog_answer_bench [--benchmark_filter=...]

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/articles/blog_store.h"
#include "core/blogapi/metaweblog_client.h"
#include "core/blogapi/movabletype_client.h"
#include "core/config/error_msg_dialog.h"
#include "core/net/http_client.h"
#include "core/util/reporter.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

// A getRecentPosts answer of `posts` structs, untyped as WordPress writes them.
std::string RecentPostsAnswer(int posts) {
    std::string answer =
        "<?xml version=\"1.0\"?><methodResponse><params><param><value><array><data>";
    for (int i = posts; i > 0; --i) {
        answer += StrFormat(
            "<value><struct><member><name>title</name><value>第%d篇</value></member>"
            "<member><name>description</name><value>&lt;p&gt;正文 %d 的内容，有一些字。"
            "&lt;/p&gt;</value></member>"
            "<member><name>dateCreated</name><value><dateTime.iso8601>20260101T08:30:00"
            "</dateTime.iso8601></value></member>"
            "<member><name>categories</name><value><array><data><value>技术</value>"
            "</data></array></value></member>"
            "<member><name>postid</name><value><int>%d</int></value></member>"
            "<member><name>userid</name><value>1</value></member>"
            "<member><name>link</name><value>http://blog.example/?p=%d</value></member>"
            "</struct></value>",
            i, i, i, i);
    }
    answer += "</data></array></value></param></params></methodResponse>";
    return answer;
}

template <class Client>
void ReadRecentPosts(benchmark::State& state) {
    const int posts = static_cast<int>(state.range(0));
    const std::string answer = RecentPostsAnswer(posts);
    CRecordingReporter reporter;
    CErrorMsgDialog messages("/nonexistent/ErrorMsg.xml", reporter);
    CCurlHttpClient http;
    Client client(BlogEndpoint{}, ConnectionSettings{},
                  BlogClientServices{http, messages, CDataRoot("/nonexistent")});
    for (auto _ : state) {
        std::vector<PostEntry> entries;
        client.ReadPostList(answer, entries);
        if (entries.size() != static_cast<size_t>(posts)) {
            state.SkipWithError("wrong number of posts");
        }
    }
    state.SetComplexityN(posts);
}
BENCHMARK(ReadRecentPosts<CMetaWeblogClient>)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK(ReadRecentPosts<CMovableTypeClient>)
    ->Arg(1000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void StoreReceivedPosts(benchmark::State& state) {
    const int posts = static_cast<int>(state.range(0));
    const std::string dir = std::filesystem::temp_directory_path() / "zirvo-blog-bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir + "/Storage");
    CBlogStore store(dir);
    if (!store.Open()) {
        state.SkipWithError("cannot open the article store");
        return;
    }
    BlogArticleList articles;
    for (int i = 1; i <= posts; ++i) {
        BlogArticle article;
        article.title = StrFormat("第%d篇", i);
        article.content = "<p>正文</p>";
        article.pubDate = "20260101T08:30:00";
        article.category = "技术";
        article.guid = std::to_string(i);
        articles.push_back(std::move(article));
    }
    for (auto _ : state) {
        if (!store.ReplaceReceivedArticles("bench", articles)) {
            state.SkipWithError("store failed");
        }
    }
    state.SetComplexityN(posts);
    std::filesystem::remove_all(dir);
}
BENCHMARK(StoreReceivedPosts)->Arg(1000)->Arg(20000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace
}  // namespace zirvo

BENCHMARK_MAIN();
