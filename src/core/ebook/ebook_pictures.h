#pragma once
// The pictures of an e-book: every `<img ... src=...>` of the articles' contents whose address
// is an http or https address becomes a record, and the value in the content is replaced by the
// record's local name "images/%d%s" (its index in the whole list and the address's extension,
// ".jpg" when the address has none). An address used again, in the same article or in a later
// one, is downloaded once: its later records take the first one's local name and keep an empty
// address.
//
// Only web addresses are collected: a relative, "data:" or "file:" value stays as it is, so that
// building a book never reads a local file on an article's behalf. An extension keeps letters
// and digits only (".jpg?w=200" is ".jpg"), so a local name is always a plain file name.
//
// Threading: pure functions, any thread.

#include <cstddef>
#include <string>
#include <vector>

#include "core/ebook/ebook_article.h"

namespace zirvo {

struct EbookPicture {
    std::string url;        // empty: a repeat of an earlier record, not downloaded again
    std::string localName;  // "images/3.png", relative to the project folder
    size_t position = 0;    // where the value stood in the article's content
    size_t length = 0;      // how long it was there
};

// A hostile article cannot make the list grow without end: pictures past this many stay as
// they are in the content.
inline constexpr size_t kMaxEbookPictures = 20000;

// The local name of record `index` for `url`.
std::string EbookPictureName(size_t index, const std::string& url);

// Collects the pictures of every article in order, appending to `pictures` and rewriting the
// contents.
void CollectEbookPictures(std::vector<EbookArticle>& articles, std::vector<EbookPicture>& pictures);

}  // namespace zirvo
