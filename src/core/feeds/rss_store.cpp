#include "core/feeds/rss_store.h"

#include "core/db/schema.h"
#include "core/util/data_root.h"
#include "core/util/strings.h"

namespace zirvo {

CRssStore::CRssStore(const std::string& dataRoot) : CSQLiteStore(CDataRoot(dataRoot).RssDbPath()) {}

bool CRssStore::Open() {
    return OpenWithSchema(m_path, EnsureRssSchema);
}

std::string CRssStore::StagingInsert(int channelId, const RssItem& item) {
    // NOTE: the date is quoted as well. Dates normalised by the receiver never hold a quote,
    // but favourites imported from files bring theirs along, and one quote would break the
    // statement.
    std::string sql = StrFormat(
        "INSERT INTO [rsstemp_data] (item_feedid, item_new, item_read, item_link, item_title, "
        "item_author, item_description, item_pubDate) VALUES (%d , %d , %d, '",
        channelId, 1, 0);
    sql += Quoted(item.link);
    sql += "' , '";
    sql += Quoted(item.title);
    sql += "' , '";
    sql += Quoted(item.author);
    sql += "' , '";
    sql += Quoted(item.description);
    sql += "' , '";
    sql += Quoted(item.date);
    sql += "');";
    return sql;
}

RssItem CRssStore::ReadFullItem(const CppSQLite3Cursor& row, bool hasStateColumns) {
    RssItem item;
    item.id = row.GetInt("item_id");
    item.channelId = row.GetInt("item_feedid");
    if (hasStateColumns) {
        item.isNew = row.GetInt("item_new");
        item.read = row.GetInt("item_read");
    }
    item.link = row.GetText("item_link");
    item.title = row.GetText("item_title");
    item.author = row.GetText("item_author");
    item.description = row.GetText("item_description");
    item.date = row.GetText("item_pubDate");
    return item;
}

}  // namespace zirvo
