#include "core/views/blog_article_document.h"

#include "core/views/article_document.h"

namespace zirvo {

namespace {

std::string Element(const char* name, const std::string& text) {
    return std::string("<") + name + ">" + CdataSection(text) + "</" + name + ">";
}

}  // namespace

std::string BuildBlogArticleDocument(const BlogArticle& article, const std::string& skinName) {
    return DocumentHead(skinName) + "<root>" + Element("title", article.title) +
           Element("pubdate", article.pubDate) + Element("category", article.category) +
           Element("description", article.content) + "</root>";
}

std::string SafeLogSkinName(const std::string& name) {
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of(std::string("/\\\0", 3)) != std::string::npos) {
        return kDefaultLogSkinName;
    }
    return name;
}

}  // namespace zirvo
