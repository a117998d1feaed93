#include "core/publishing/article_backup.h"

#include <ctime>

#include "core/articles/blog_store.h"
#include "core/util/strings.h"
#include "core/util/xml_document.h"
#include "core/util/xml_text.h"

namespace zirvo {

std::string ExportedMessage(int count) {
    return StrFormat("%d", count) + " 篇文章导出成功";
}

std::string ImportedMessage(int count) {
    return "导入成功 " + std::to_string(count) + " 篇日志";
}

std::string DefaultBackupFileName() {
    time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H%M%S", &local);
    return std::string(text) + ".xml";
}

std::string BuildArticleBackupXml(const BlogArticleList& articles) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    text += "<rss version=\"2.0\"><channel>";
    text += std::string("<title>") + kBackupChannelTitle + "</title><link></link>";
    text += std::string("<description>") + kBackupDescription + "</description>";
    int i = 0;
    for (const BlogArticle& article : articles) {
        text += "<item id=\"" + std::to_string(++i) + "\">";
        text += "<title>" + XmlCDataSection(article.title) + "</title>";
        text += "<category>" + XmlCDataSection(article.category) + "</category>";
        text += "<description>" + XmlCDataSection(article.content) + "</description>";
        text += "<pubDate>" + XmlCDataSection(article.pubDate) + "</pubDate>";
        text += "</item>";
    }
    text += "</channel></rss>";
    return text;
}

bool WriteArticleBackup(const std::string& path, const BlogArticleList& articles,
                        std::string& error) {
    CXmlDocument doc;
    if (!doc.LoadMemory(BuildArticleBackupXml(articles))) {
        error = doc.LastError();
        return false;
    }
    if (!doc.SaveFile(path, false)) {
        error = doc.LastError().empty() ? "cannot write " + path : doc.LastError();
        return false;
    }
    return true;
}

bool ReadArticleBackup(const std::string& path, BlogArticleList& articles, std::string& error) {
    CXmlDocument doc;
    if (!doc.LoadFile(path)) {
        error = doc.LastError();
        return false;
    }
    for (const XmlNode& item : doc.SelectNodes("/rss/channel/item")) {
        auto text = [&item](const char* name, const char* missing) {
            XmlNode node = item.SelectNode(name);
            return node ? node.Text() : std::string(missing);
        };
        BlogArticle article;
        article.title = text("title", "");
        article.content = text("description", "");
        // A missing category is no category: a placeholder text would later be published as a
        // category of that name.
        article.category = text("category", "");
        article.pubDate = text("pubDate", kBackupMissingValue);
        articles.push_back(std::move(article));
    }
    return true;
}

bool ImportArticleBackup(CBlogStore& store, const std::string& account, const std::string& path,
                         int& count, std::string& error) {
    BlogArticleList articles;
    count = 0;
    if (!ReadArticleBackup(path, articles, error)) {
        return false;
    }
    if (!store.AddReceivedArticles(kBlogFolderDrafts, account, articles)) {
        error = store.GetLastError();
        return false;
    }
    count = static_cast<int>(articles.size());
    return true;
}

}  // namespace zirvo
