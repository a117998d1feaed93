// The article page's documents built from hostile item texts, then rendered through every
// shipped skin: each document must stay well-formed enough for the skins, and no skin may crash
// or hang on it.
//
// Input: the item's title, link, author, date and description, separated by NUL bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/views/article_document.h"
#include "core/views/skin_renderer.h"

#ifndef ZIRVO_FUZZ_SKIN_DIR
#error "ZIRVO_FUZZ_SKIN_DIR names the shipped skins"
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> fields(5);
    size_t field = 0;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0 && field + 1 < fields.size()) {
            ++field;
            continue;
        }
        fields[field].push_back(static_cast<char>(data[i]));
    }
    zirvo::RssItem item;
    item.title = fields[0];
    item.link = fields[1];
    item.author = fields[2];
    item.date = fields[3];
    item.description = fields[4];
    zirvo::RssItem second = item;
    second.link += "#2";
    zirvo::PageDocumentLimits limits;
    limits.maxDescriptionBytes = 512;
    limits.maxTotalBytes = 2048;
    const std::string documents[] = {
        zirvo::BuildItemDocument(item, fields[0]),
        zirvo::BuildPageDocument({item, second}, "默认", limits),
    };
    zirvo::SkinRenderLimits budget;
    budget.timeBudgetMs = 2000;
    for (const char* skin : {"默认", "夜间", "书页"}) {
        for (const std::string& document : documents) {
            const zirvo::ArticleRenderResult rendered =
                zirvo::RenderArticle(ZIRVO_FUZZ_SKIN_DIR, skin, document, budget);
            // Our documents are well-formed whatever the texts: the shipped skins always serve.
            if (!rendered.ok || rendered.fellBack) {
                std::abort();
            }
            const std::string page = zirvo::WithContentSecurityPolicy(rendered.html, false);
            if (page.rfind("<meta http-equiv=\"Content-Security-Policy\"", 0) != 0 &&
                page.find("><meta http-equiv=\"Content-Security-Policy\"") == std::string::npos) {
                std::abort();
            }
        }
    }
    return 0;
}
