#include "core/ebook/ebook_sources.h"

#include <algorithm>

namespace zirvo {
namespace {

// Every item a channel keeps: its storage policy bounds the count already.
constexpr int kAllStoredItems = 0x7fffffff;

void AddCategory(std::vector<std::string>& categories, const std::string& category) {
    if (std::find(categories.begin(), categories.end(), category) == categories.end()) {
        categories.push_back(category);
    }
}

}  // namespace

EbookArticle EbookArticleOf(const RssItem& item, const std::string& category) {
    return {item.title, item.description, item.date, category, item.author, item.link};
}

EbookArticle EbookArticleOf(const BlogArticle& article, const std::string& account) {
    return {article.title,    article.content, article.pubDate,
            article.category, account,         article.link};
}

bool EbookChannelsOf(CReaderSession& session, NodeId id, std::vector<EbookChannelRef>& channels,
                     std::string& error) {
    for (NodeId channel : session.Tree().SubtreeChannels(id)) {
        int feedId = 0;
        if (!session.FeedIdOf(channel, feedId)) {
            error = session.Error();
            return false;
        }
        const std::optional<ChannelNode> node = session.Tree().Node(channel);
        if (feedId != 0 && node) {  // a channel never received has nothing stored
            channels.push_back({feedId, node->caption});
        }
    }
    return true;
}

bool GatherChannelItems(CRssStore& store, const std::vector<EbookChannelRef>& channels,
                        EbookArticles& out, std::string& error) {
    for (const EbookChannelRef& channel : channels) {
        std::vector<RssItem> items;
        int total = 0;
        if (!store.ListItems(channel.feedId, kAllItems, true, items, total, kAllStoredItems, 0)) {
            error = store.GetLastError();
            return false;
        }
        AddCategory(out.categories, channel.caption);
        for (const RssItem& item : items) {
            out.articles.push_back(EbookArticleOf(item, channel.caption));
        }
    }
    return true;
}

bool GatherChannelArticles(CReaderSession& session, NodeId id, EbookArticles& out,
                           std::string& error) {
    std::vector<EbookChannelRef> channels;
    return EbookChannelsOf(session, id, channels, error) &&
           GatherChannelItems(session.Store(), channels, out, error);
}

bool GatherFavouriteArticles(CFavouriteTree& favourites, CRssStore& store, NodeId id,
                             EbookArticles& out, std::string& error) {
    for (NodeId node : favourites.Tree().Walk(id)) {
        if (favourites.FolderIdOf(node) == 0) {
            continue;
        }
        std::vector<RssItem> items;
        if (!favourites.ListItems(node, store, items)) {
            error = store.GetLastError();
            return false;
        }
        const std::optional<ChannelNode> record = favourites.Tree().Node(node);
        const std::string caption = record ? record->caption : std::string();
        if (!items.empty()) {
            AddCategory(out.categories, caption);
        }
        for (const RssItem& item : items) {
            out.articles.push_back(EbookArticleOf(item, caption));
        }
    }
    return true;
}

bool GatherBlogArticles(CBlogStore& store, const std::string& account, int folder,
                        EbookArticles& out, std::string& error) {
    BlogArticleList articles;
    std::vector<std::string> categories;
    if (!store.ListArticles(folder, account, articles, 9999, 0) ||
        !store.ListCategories(folder, account, categories)) {
        error = store.GetLastError();
        return false;
    }
    for (const BlogArticle& article : articles) {
        out.articles.push_back(EbookArticleOf(article, account));
    }
    for (const std::string& category : categories) {
        AddCategory(out.categories, category);
    }
    return true;
}

}  // namespace zirvo
