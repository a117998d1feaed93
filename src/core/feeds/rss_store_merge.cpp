// CRssStore: the staging table and the merge of one receive into rss_data.

#include <string>
#include <unordered_set>

#include "core/feeds/rss_store.h"
#include "core/util/strings.h"

namespace zirvo {

bool CRssStore::ClearStaging(int id) {
    BeginTransaction();
    bool ok = Execute(StrFormat("DELETE FROM [rsstemp_data] WHERE item_feedid = %d;", id));
    CommitTransaction();
    return ok;
}

// NOTE: the merge's statements run for every channel of every receive (and the staging insert
// for every item), so they are compiled once per connection and their values bound; compiling
// them anew each time, with the full-text triggers they fire, cost more than running them.
bool CRssStore::SaveReceivedItems(int id, const std::vector<RssItem>& items, int storageType,
                                  int storageNum) {
    bool ok = RunInTransaction([&] {
        CppSQLite3Connection& db = Connection();
        // The channel's staging rows live only inside this transaction: cleared at its start
        // (an earlier run may have left some) and at its end, without a commit of their own.
        CppSQLite3Statement& clearStaging =
            db.Prepared("DELETE FROM [rsstemp_data] WHERE item_feedid = ?1;");
        clearStaging.Bind(1, id).Execute();
        // A feed that lists one link twice would otherwise store it twice in one merge; the
        // link is the item's identity, so its first (newest) appearance stands for it.
        std::unordered_set<std::string> staged;
        std::vector<const RssItem*> withEnclosures;
        CppSQLite3Statement& stage = db.Prepared(
            "INSERT INTO [rsstemp_data] (item_feedid, item_new, item_read, item_link, item_title, "
            "item_author, item_description, item_pubDate) VALUES (?1, 1, 0, ?2, ?3, ?4, ?5, ?6);");
        for (const RssItem& item : items) {
            if (staged.insert(item.link).second) {
                stage.Bind(1, id)
                    .Bind(2, item.link)
                    .Bind(3, item.title)
                    .Bind(4, item.author)
                    .Bind(5, item.description)
                    .Bind(6, item.date)
                    .Execute();
                if (!item.enclosures.empty()) {
                    withEnclosures.push_back(&item);
                }
            }
        }
        const int lastIdBefore = db.Prepared("SELECT MAX(item_id) FROM [rss_data];").QueryInt(0);
        // Descending staging order: the feed's first item gets the highest new id and leads
        // the newest-first lists.
        // NOTE: written with NOT EXISTS, not as the usual "item_link NOT IN (SELECT item_link
        // FROM rss_data WHERE item_feedid = C)": that form builds the channel's whole link list
        // at every receive (30-40 ms at 100,000 items) and selects nothing at all once one
        // stored link is NULL. NOT EXISTS asks the (item_feedid, item_link) index once per
        // staged item, and a NULL link matches nothing. Links the channel lost (rssremoved_data)
        // stay out while the feed lists them.
        db.Prepared(
              "INSERT INTO [rss_data] (item_feedid, item_new, item_read, item_link, item_title, "
              "item_author, item_description, item_pubDate) SELECT [rsstemp_data].item_feedid, "
              "[rsstemp_data].item_new, [rsstemp_data].item_read, [rsstemp_data].item_link, "
              "[rsstemp_data].item_title, [rsstemp_data].item_author, "
              "[rsstemp_data].item_description, [rsstemp_data].item_pubDate FROM [rsstemp_data] "
              "WHERE [rsstemp_data].item_feedid = ?1 AND NOT EXISTS (SELECT 1 FROM [rss_data] "
              "WHERE [rss_data].item_feedid = ?1 AND [rss_data].item_link = "
              "[rsstemp_data].item_link) AND NOT EXISTS (SELECT 1 FROM [rssremoved_data] WHERE "
              "[rssremoved_data].item_feedid = ?1 AND [rssremoved_data].item_link = "
              "[rsstemp_data].item_link) ORDER BY [rsstemp_data].item_id DESC;")
            .Bind(1, id)
            .Execute();
        // The enclosures of the items just stored (ids above the old highest), before the
        // storage policy, whose deletes take them along.
        for (const RssItem* item : withEnclosures) {
            for (const Enclosure& enclosure : item->enclosures) {
                db.Prepared(
                      "INSERT INTO [rss_enclosure] (enc_itemid, enc_url, enc_type, enc_length) "
                      "SELECT item_id, ?1, ?2, ?3 FROM [rss_data] WHERE item_feedid = ?4 AND "
                      "item_link = ?5 AND item_id > ?6;")
                    .Bind(1, enclosure.url)
                    .Bind(2, enclosure.type)
                    .Bind(3, enclosure.length)
                    .Bind(4, id)
                    .Bind(5, item->link)
                    .Bind(6, lastIdBefore)
                    .Execute();
            }
        }
        if (storageType == 1) {
            // Keep only what the feed lists now, read or not.
            // NOTE: NOT EXISTS rather than "item_link NOT IN (SELECT item_link FROM
            // rsstemp_data ...)", for the same reasons; an item with a NULL link, which no feed
            // lists, goes as well.
            db.Prepared(
                  "DELETE FROM [rss_data] WHERE item_feedid = ?1 AND NOT EXISTS (SELECT 1 FROM "
                  "[rsstemp_data] WHERE [rsstemp_data].item_feedid = ?1 AND "
                  "[rsstemp_data].item_link = [rss_data].item_link);")
                .Bind(1, id)
                .Execute();
        } else if (storageType == 2 && storageNum > 0) {
            // Keep the storageNum highest ids.
            // NOTE: not "item_id < (SELECT MIN(item_id) FROM (SELECT item_id ... ORDER BY
            // item_id DESC LIMIT 0, N))", which walks past the N newest items at every receive
            // (and copies them into a scratch table first). The channel's item count (kept by
            // triggers, see schema.cpp) says how many of the oldest go; the first one to keep is
            // found from the oldest end. A count of 0 or less keeps everything, as MIN over no
            // rows did.
            const int count =
                db.Prepared("SELECT item_count FROM [rsscount_data] WHERE item_feedid = ?1;")
                    .Bind(1, id)
                    .QueryInt(0);
            if (count > storageNum) {
                const int oldestKept = db.Prepared(
                                             "SELECT item_id FROM [rss_data] WHERE item_feedid = "
                                             "?1 ORDER BY item_id ASC LIMIT 1 OFFSET ?2;")
                                           .Bind(1, id)
                                           .Bind(2, count - storageNum)
                                           .QueryInt(0);
                if (oldestKept > 0) {
                    db.Prepared("DELETE FROM [rss_data] WHERE item_feedid = ?1 AND item_id < ?2;")
                        .Bind(1, id)
                        .Bind(2, oldestKept)
                        .Execute();
                }
            }
        }
        // A removed link the feed no longer lists may come back as new if the feed lists it
        // again one day: it is forgotten.
        db.Prepared(
              "DELETE FROM [rssremoved_data] WHERE item_feedid = ?1 AND NOT EXISTS (SELECT 1 "
              "FROM [rsstemp_data] WHERE [rsstemp_data].item_feedid = ?1 AND "
              "[rsstemp_data].item_link = [rssremoved_data].item_link);")
            .Bind(1, id)
            .Execute();
        // A feed of a million items would otherwise leave most of them here at every receive:
        // the record keeps the newest removals only.
        db.Prepared(
              "DELETE FROM [rssremoved_data] WHERE item_feedid = ?1 AND rowid <= (SELECT rowid "
              "FROM [rssremoved_data] WHERE item_feedid = ?1 ORDER BY rowid DESC LIMIT 1 "
              "OFFSET ?2);")
            .Bind(1, id)
            .Bind(2, static_cast<int>(kMaxRemovedLinksPerChannel))
            .Execute();
        clearStaging.Bind(1, id).Execute();
    });
    if (!ok) {
        // The failure's message is what the caller needs, not that of the clean-up.
        std::string error = GetLastError();
        ClearStaging(id);
        SetLastError(error);
        return false;
    }
    return true;
}

bool CRssStore::StageItems(int id, std::vector<RssItem>& items) {
    if (!ClearStaging(id)) {
        return false;
    }
    return RunInTransaction([&] {
        for (RssItem& item : items) {
            Connection().ExecuteUpdate(StagingInsert(id, item));
            item.id = Connection().LastRowId();
            item.isNew = 0;
            item.read = 0;
        }
    });
}

}  // namespace zirvo
