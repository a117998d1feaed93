#pragma once
// The articles of an e-book as the three callers gather them: a channel or folder of the
// subscription tree, a favourite node or favourites folder, a blog account's folder. The book's
// categories are the channel or node captions for feed items (a folder gives one per channel)
// and the folder's distinct article categories for blog articles.
//
// Threading: the thread that owns the session, tree and stores passed in.

#include <string>
#include <vector>

#include "core/articles/blog_store.h"
#include "core/ebook/ebook_article.h"
#include "core/feeds/rss_store.h"
#include "core/session/reader_session.h"
#include "core/subscriptions/favourite_tree.h"

namespace zirvo {

struct EbookArticles {
    std::vector<EbookArticle> articles;
    std::vector<std::string> categories;
};

EbookArticle EbookArticleOf(const RssItem& item, const std::string& category);
EbookArticle EbookArticleOf(const BlogArticle& article, const std::string& account);

// A channel whose items go into a book: its feed-store id and its caption (the category).
struct EbookChannelRef {
    int feedId = 0;
    std::string caption;
};

// The channels at and below `id` (kNoNode: the whole tree) that the store knows, in tree order:
// a quick look-up for the window thread, which leaves reading the items to a worker.
bool EbookChannelsOf(CReaderSession& session, NodeId id, std::vector<EbookChannelRef>& channels,
                     std::string& error);
// Every stored item of those channels, channel by channel, each newest first, from a store of
// the calling thread.
bool GatherChannelItems(CRssStore& store, const std::vector<EbookChannelRef>& channels,
                        EbookArticles& out, std::string& error);

// Every stored item of the channels at and below `id` (kNoNode: the whole tree), channel by
// channel in tree order, each newest first. False with `error` set on a store failure.
bool GatherChannelArticles(CReaderSession& session, NodeId id, EbookArticles& out,
                           std::string& error);

// The items of the favourite node `id`, or of every node below the favourites folder `id`,
// newest first node by node. An empty result is the caller's kFavouriteFolderEmpty.
bool GatherFavouriteArticles(CFavouriteTree& favourites, CRssStore& store, NodeId id,
                             EbookArticles& out, std::string& error);

// The articles of one folder of an account, in the store's order.
bool GatherBlogArticles(CBlogStore& store, const std::string& account, int folder,
                        EbookArticles& out, std::string& error);

}  // namespace zirvo
