// Article contents and titles as the e-book export takes them from feeds and blogs: the picture
// collection that rewrites the contents, the page filled with the active parts removed, and
// the contents file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/ebook/ebook_pages.h"
#include "core/ebook/ebook_pictures.h"
#include "core/ebook/ebook_project.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const size_t cut = text.find('\n');
    std::vector<zirvo::EbookArticle> articles(2);
    articles[0].title = text.substr(0, cut);
    articles[0].content = cut == std::string::npos ? text : text.substr(cut + 1);
    articles[1].content = text;
    articles[1].category = articles[0].title;
    std::vector<zirvo::EbookPicture> pictures;
    zirvo::CollectEbookPictures(articles, pictures);
    for (const zirvo::EbookPicture& picture : pictures) {
        if (picture.localName.find("..") != std::string::npos) {
            __builtin_trap();  // a local name must stay inside the picture folder
        }
    }
    zirvo::FillEbookArticlePage("$show_title$ $show_content$", articles[0]);
    zirvo::BuildContentsFile(articles, {articles[0].title}, true);
    return 0;
}
