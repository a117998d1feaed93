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

bool CRssStore::SaveReceivedItems(int id, const std::vector<RssItem>& items, int storageType,
                                  int storageNum) {
    if (!ClearStaging(id)) {
        return false;
    }
    bool ok = RunInTransaction([&] {
        // A feed that lists one link twice would otherwise store it twice in one merge; the
        // link is the item's identity, so its first (newest) appearance stands for it.
        std::unordered_set<std::string> staged;
        for (const RssItem& item : items) {
            if (staged.insert(item.link).second) {
                Connection().ExecuteUpdate(StagingInsert(id, item));
            }
        }
        // Descending staging order: the feed's first item gets the highest new id and leads
        // the newest-first lists.
        Connection().ExecuteUpdate(StrFormat(
            "INSERT INTO [rss_data] (item_feedid, item_new, item_read, item_link, item_title, "
            "item_author, item_description, item_pubDate)\t\t\tSELECT [rsstemp_data].item_feedid, "
            "[rsstemp_data].item_new, [rsstemp_data].item_read, [rsstemp_data].item_link, "
            "[rsstemp_data].item_title, [rsstemp_data].item_author, "
            "[rsstemp_data].item_description, [rsstemp_data].item_pubDate \t\t\tFROM "
            "[rsstemp_data] WHERE [rsstemp_data].item_feedid = %d AND [rsstemp_data].item_link "
            "NOT IN \t\t\t(SELECT [rss_data].item_link FROM [rss_data] WHERE "
            "[rss_data].item_feedid = %d) ORDER BY [rsstemp_data].item_id DESC;",
            id, id));
        if (storageType == 1) {
            // Keep only what the feed lists now, read or not.
            Connection().ExecuteUpdate(
                StrFormat("DELETE FROM [rss_data] WHERE item_feedid = %d AND item_link NOT IN "
                          "\t\t\t\t\t(SELECT [rsstemp_data].item_link FROM [rsstemp_data] WHERE "
                          "[rsstemp_data].item_feedid = %d);",
                          id, id));
        } else if (storageType == 2) {
            // Keep the storageNum highest ids.
            Connection().ExecuteUpdate(StrFormat(
                "DELETE FROM [rss_data] WHERE item_feedid = %d AND item_id < \t\t\t\t\t(SELECT "
                "MIN(item_id) FROM (SELECT item_id FROM [rss_data] WHERE item_feedid = %d ORDER "
                "BY item_id DESC LIMIT 0, %d));",
                id, id, storageNum));
        }
    });
    if (!ok) {
        // The failure's message is what the caller needs, not that of the clean-up.
        std::string error = GetLastError();
        ClearStaging(id);
        SetLastError(error);
        return false;
    }
    ClearStaging(id);
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
