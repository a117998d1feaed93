// The whole export against real parts: a seeded temporary data root, pictures served by the
// loopback feed site (slow, huge, failing and never-ending ones among them), the chmcmd
// compiler, and chmls to read back what the book holds.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/ebook/chm_compiler.h"
#include "core/ebook/ebook_builder.h"
#include "core/ebook/ebook_export.h"
#include "core/ebook/ebook_project.h"
#include "core/setup/seed.h"
#include "core/util/files.h"
#include "core/util/strings.h"
#include "support/feed_server.h"
#include "support/temp_dir.h"
#include "support/test_env.h"

namespace zirvo {
namespace {

class CRecordedStatus : public IEbookObserver {
public:
    void OnStatus(const std::string& text) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_text += text;
    }
    void OnFinished(const EbookResult& result) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_finished.push_back(result);
    }
    std::string Text() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_text;
    }
    size_t Finished() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_finished.size();
    }

private:
    mutable std::mutex m_mutex;
    std::string m_text;
    std::vector<EbookResult> m_finished;
};

std::string PathVariable() {
    const char* path = std::getenv("PATH");
    return path ? path : "";
}

// stdout of a command; empty when it failed to run.
std::string Capture(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) {
        return out;
    }
    char buffer[4096];
    size_t got = 0;
    while ((got = fread(buffer, 1, sizeof buffer, pipe.get())) > 0) {
        out.append(buffer, got);
    }
    return out;
}

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

class EbookBuild : public ::testing::Test {
protected:
    void SetUp() override {
        if (FindChmCompiler(PathVariable()).empty() || Capture("command -v chmls").empty()) {
            GTEST_SKIP() << "chmcmd and chmls (Debian package fp-utils) are not installed";
        }
        SeedReport report;
        ASSERT_TRUE(SeedDataRoot(m_root, std::string(ZIRVO_TEST_SOURCE_DIR) + "/data", report))
            << report.error;
        m_server = std::make_unique<test::CFeedServer>();
    }

    EbookRequest Request(std::vector<EbookArticle> articles) {
        EbookRequest request;
        request.articles = std::move(articles);
        request.title = "测试 Book";
        request.outputPath = m_out.PathOf("book.chm");
        request.pictureOptions.totalTimeoutMs = 3000;
        request.pictureOptions.connectTimeoutMs = 3000;
        request.pictureOptions.stallTimeoutMs = 2000;
        return request;
    }

    EbookResult Build(EbookRequest request) {
        CCurlHttpClient http;
        std::atomic<bool> stop{false};
        return BuildEbook(m_root, std::move(request), http, m_status, stop);
    }

    std::set<std::string> BookNames(const std::string& chm) {
        std::set<std::string> names;
        for (const std::string& line :
             Split(Capture("chmls -n list " + Quoted(chm) + " 2>/dev/null"), '\n')) {
            const std::string name = Trim(line);
            if (StartsWith(name, "/")) {
                names.insert(name);
            }
        }
        return names;
    }

    std::string BookFile(const std::string& chm, const std::string& name) {
        const std::string saved = m_out.PathOf("extracted");
        RemoveFile(saved);
        Capture("chmls extract " + Quoted(chm) + " " + Quoted(name) + " " + Quoted(saved) +
                " >/dev/null 2>&1");
        std::string bytes;
        ReadFileBytes(saved, bytes);
        return bytes;
    }

    std::string Served(const std::string& path) {
        HttpRequest request;
        request.url = m_server->Url(path);
        CCurlHttpClient http;
        return http.Perform(request).body;
    }

    int MaxPicturesInFlight() {
        const std::string stats = Served("/_pictures");
        const size_t at = stats.find("\"max_in_flight\": ");
        return at == std::string::npos ? -1 : ToInt(stats.substr(at + 17));
    }

    test::TempDir m_dir{"ebook-root"};
    test::TempDir m_out{"ebook-out"};
    CDataRoot m_root{m_dir.Path()};
    std::unique_ptr<test::CFeedServer> m_server;
    CRecordedStatus m_status;
};

TEST_F(EbookBuild, BookHoldsPagesPicturesAndContentsWithEachPictureFetchedOnce) {
    const std::string shared = m_server->Url("/pic/shared.png?kb=6");
    std::vector<EbookArticle> articles(3);
    articles[0] = {"第一篇 \"quoted\" <b>",
                   "<p>甲</p><img src=\"" + shared + "\"><img src='" + shared + "'/>",
                   "2006-01-05 08:30:00",
                   "",
                   "作者",
                   "http://example.org/1"};
    articles[1] = {"Second ]]> with \x07 bell\nand break",
                   "<img src=\"" + m_server->Url("/pic/noextension?kb=3") + "\"> <img src=\"" +
                       m_server->Url("/status/404") + "\"> <img src=\"" +
                       m_server->Url("/huge?mb=1024") + "\">",
                   "",
                   "",
                   "",
                   ""};
    articles[2] = {"第三篇", "<p>again</p><img src=" + shared + ">", "", "", "", ""};
    EbookRequest request = Request(articles);
    request.downloadPictures = true;
    const EbookResult result = Build(request);
    ASSERT_EQ(result.outcome, EbookOutcome::Done) << result.message << " " << result.detail;
    EXPECT_EQ(result.message, "制作完成!");
    EXPECT_EQ(result.picturesDownloaded, 2);
    EXPECT_EQ(result.picturesFailed, 2);
    EXPECT_EQ(m_server->RequestsFor("/pic/shared.png").size(), 1u);

    const std::string status = m_status.Text();
    EXPECT_NE(status.find(">>下载图片 " + shared + " 中...\r\n>>download complete.\r\n"),
              std::string::npos)
        << status;
    EXPECT_NE(status.find(">>下载图片 " + m_server->Url("/status/404") + " 中...\r\n>>下载失败!"),
              std::string::npos)
        << status;

    const std::string chm = request.outputPath;
    const std::set<std::string> names = BookNames(chm);
    for (const char* name : {"/index.html", "/index.css", "/article.css", "/0.html", "/1.html",
                             "/2.html", "/MyLogCHM.hhc", "/images/0.png", "/images/2.jpg"}) {
        EXPECT_EQ(names.count(name), 1u) << name << " is not in the book";
    }
    EXPECT_EQ(names.count("/images/3.jpg"), 0u);  // the failed ones are not there
    EXPECT_EQ(names.count("/images/4.jpg"), 0u);

    EXPECT_EQ(BookFile(chm, "/MyLogCHM.hhc"), BuildContentsFile(articles, {}, false));
    EXPECT_EQ(BookFile(chm, "/images/0.png"), Served("/pic/shared.png?kb=6"));
    EXPECT_EQ(BookFile(chm, "/images/2.jpg").size(), 3u * 1024);
    const std::string page0 = BookFile(chm, "/0.html");
    EXPECT_NE(page0.find("src=\"images/0.png\""), std::string::npos) << page0;
    EXPECT_EQ(page0.find("/pic/"), std::string::npos) << page0;
    EXPECT_NE(page0.find("第一篇 &quot;quoted&quot; &lt;b&gt;"), std::string::npos) << page0;
    const std::string page2 = BookFile(chm, "/2.html");
    EXPECT_NE(page2.find("src=\"images/0.png\""), std::string::npos) << page2;
    const std::string title = BookFile(chm, "/index.html");
    EXPECT_NE(title.find(">3<"), std::string::npos) << title;  // the number of articles
}

TEST_F(EbookBuild, PicturesThatNeverEndAreBoundedAndAtMostFourRunAtOnce) {
    std::string content = "<img src=\"" + m_server->Url("/stall") + "\">";
    for (int i = 0; i < 12; ++i) {
        content += StrFormat("<img src=\"%s\">",
                             m_server->Url(StrFormat("/pic/p%d.gif?s=0.3", i)).c_str());
    }
    EbookRequest request = Request({{"t", content, "", "", "", ""}});
    request.downloadPictures = true;
    const EbookResult result = Build(request);
    ASSERT_EQ(result.outcome, EbookOutcome::Done) << result.detail;
    EXPECT_EQ(result.picturesDownloaded, 12);
    EXPECT_EQ(result.picturesFailed, 1);
    const int inFlight = MaxPicturesInFlight();
    EXPECT_GE(inFlight, 2);
    EXPECT_LE(inFlight, 4);
}

TEST_F(EbookBuild, CategoriesBecomeFoldersInTheCompiledContents) {
    std::vector<EbookArticle> articles = {{"a", "", "", "Tech", "", ""},
                                          {"b", "", "", "生活", "", ""},
                                          {"c", "", "", "Other", "", ""}};
    EbookRequest request = Request(articles);
    request.source = EbookSource::BlogArticles;
    request.categories = {"生活", "Tech"};
    request.byCategory = true;
    ASSERT_TRUE(Build(request).Ok());
    EXPECT_EQ(BookFile(request.outputPath, "/MyLogCHM.hhc"),
              BuildContentsFile(articles, request.categories, true));
    std::string project;
    ASSERT_TRUE(ReadFileBytes(m_root.Path("Temp/CHMTemp/MyLogCHM.hhp"), project));
    EXPECT_EQ(project, BuildProjectFile(request.outputPath, request.title, 3));
}

TEST_F(EbookBuild, ZeroArticlesStillMakeABookWithItsTitlePage) {
    EbookRequest request = Request({});
    const EbookResult result = Build(request);
    ASSERT_TRUE(result.Ok()) << result.detail;
    const std::set<std::string> names = BookNames(request.outputPath);
    for (const char* name : {"/MyLogCHM.hhc", "/index.html", "/index.css", "/article.css"}) {
        EXPECT_EQ(names.count(name), 1u) << name << " is not in the book";
    }
}

TEST_F(EbookBuild, WithoutACompilerTheProjectIsWrittenAndTheResultSaysSo) {
    test::TempDir emptyPath("ebook-nopath");
    EbookRequest request = Request({{"a", "<p>x</p>", "", "", "", ""}});
    request.compilerSearchPath = emptyPath.Path();
    const EbookResult result = Build(request);
    EXPECT_EQ(result.outcome, EbookOutcome::NoCompiler);
    EXPECT_EQ(result.message, "编译失败!");
    EXPECT_NE(result.detail.find("chmcmd"), std::string::npos);
    EXPECT_NE(result.detail.find(m_root.Path("Temp/CHMTemp/MyLogCHM.hhp")), std::string::npos);
    for (const char* name :
         {"MyLogCHM.hhc", "MyLogCHM.hhp", "index.html", "index.css", "0.html", "article.css"}) {
        EXPECT_TRUE(FileExists(m_root.Path(std::string("Temp/CHMTemp/") + name))) << name;
    }
    EXPECT_FALSE(FileExists(request.outputPath));
}

TEST_F(EbookBuild, AFailingCompileLeavesNoHalfWrittenBookAndKeepsTheOldOne) {
    // A compiler that writes half a book where its project says, and then fails.
    test::TempDir fake("ebook-fakecc");
    const std::string script =
        fake.WriteFile("chmcmd",
                       "#!/bin/sh\nout=$(sed -n 's/^Compiled file=//p' \"$2\" | tr -d '\\r')\n"
                       "printf 'ITSF-partial' > \"$out\"\necho 'Error: broken'\nexit 3\n");
    ASSERT_EQ(chmod(script.c_str(), 0755), 0);
    EbookRequest request = Request({{"a", "", "", "", "", ""}});
    request.compilerSearchPath = fake.Path();

    // No book before: none after.
    EbookResult result = Build(request);
    EXPECT_EQ(result.outcome, EbookOutcome::CompileFailed);
    EXPECT_EQ(result.message, "编译失败!");
    EXPECT_NE(result.detail.find("3"), std::string::npos) << result.detail;
    EXPECT_NE(m_status.Text().find("Error: broken\r\n"), std::string::npos);
    EXPECT_FALSE(FileExists(request.outputPath));
    EXPECT_FALSE(FileExists(request.outputPath + ".part"));

    // A book the user already had at that path survives the failed compile byte for byte.
    {
        std::ofstream old(request.outputPath, std::ios::binary);
        old << "an earlier book";
    }
    result = Build(request);
    EXPECT_EQ(result.outcome, EbookOutcome::CompileFailed);
    std::ifstream kept(request.outputPath, std::ios::binary);
    const std::string keptBytes((std::istreambuf_iterator<char>(kept)),
                                std::istreambuf_iterator<char>());
    EXPECT_EQ(keptBytes, "an earlier book");
    EXPECT_FALSE(FileExists(request.outputPath + ".part"));
}

TEST_F(EbookBuild, MissingTemplateFailsTheBuild) {
    ASSERT_TRUE(RemoveFile(m_root.Path("Data/CHMSkin/article.html")));
    EbookRequest request = Request({{"a", "", "", "", "", ""}});
    const EbookResult result = Build(request);
    EXPECT_EQ(result.outcome, EbookOutcome::CompileFailed);
    EXPECT_NE(result.detail.find("article.html"), std::string::npos);
    EXPECT_FALSE(FileExists(request.outputPath));
}

TEST_F(EbookBuild, UnwritableOutputPathsAreRefusedBeforeAnythingIsWritten) {
    EbookRequest request = Request({{"a", "", "", "", "", ""}});
    request.outputPath = m_out.PathOf("no/such/folder/book.chm");
    EbookResult result = Build(request);
    EXPECT_EQ(result.outcome, EbookOutcome::Refused);
    EXPECT_NE(result.message.find("无法写入"), std::string::npos);
    EXPECT_FALSE(DirectoryExists(m_root.Path("Temp/CHMTemp")));

    request.outputPath = m_out.MakeDir("a-folder.chm");
    EXPECT_EQ(Build(request).outcome, EbookOutcome::Refused);

    request.outputPath = m_out.PathOf("line\nbreak.chm");
    EXPECT_EQ(Build(request).message, "无效的文件名!");

    request.outputPath = "";
    EXPECT_EQ(Build(request).message, "请选择要保存为的CHM文件名!");
    request.outputPath = m_out.PathOf("x.chm");
    request.title = "";
    EXPECT_EQ(Build(request).message, "请输入标题!");

    const std::string locked = m_out.MakeDir("locked");
    ASSERT_EQ(chmod(locked.c_str(), 0555), 0);
    test::CPermissionsBind bind;
    if (!bind.Active()) {
        GTEST_SKIP() << bind.Reason();
    }
    request.title = "t";
    request.outputPath = locked + "/book.chm";
    result = Build(request);
    EXPECT_EQ(result.outcome, EbookOutcome::Refused);
    EXPECT_FALSE(FileExists(request.outputPath));
}

TEST_F(EbookBuild, CancelStopsADownloadThatNeverEndsWithinASecond) {
    CWorkerSet workers;
    CRecordedStatus observer;
    CEbookExport exportJob(m_root, workers, observer);
    EbookRequest request =
        Request({{"a", "<img src=\"" + m_server->Url("/stall") + "\">", "", "", "", ""}});
    request.downloadPictures = true;
    request.pictureOptions.totalTimeoutMs = 60000;
    request.pictureOptions.stallTimeoutMs = 0;
    ASSERT_TRUE(exportJob.Start(request));
    EXPECT_FALSE(exportJob.Start(request));  // one at a time
    // Wait until the stalled transfer is under way.
    for (int i = 0; i < 100 && m_server->RequestsFor("/stall").empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_FALSE(m_server->RequestsFor("/stall").empty());
    EXPECT_TRUE(exportJob.Running());
    EXPECT_TRUE(exportJob.Cancel(std::chrono::milliseconds(1000)));
    workers.Close();
    EXPECT_EQ(observer.Finished(), 0u);  // a cancelled export reports to nobody
    EXPECT_FALSE(FileExists(request.outputPath));
}

}  // namespace
}  // namespace zirvo
