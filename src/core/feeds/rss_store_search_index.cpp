// CRssStore: the full-text index's build after an upgrade (search_index_build.h).

#include <cstdlib>

#include "core/db/sqlite_cursor.h"
#include "core/feeds/rss_store.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

void ReadBuild(CppSQLite3Connection& db, SearchIndexBuild& build) {
    build = SearchIndexBuild();
    CppSQLite3Cursor row =
        db.ExecuteQuery("SELECT build_done, build_end FROM [rssfts_build] LIMIT 1;");
    if (row.AtEnd()) {
        return;
    }
    build.pending = true;
    build.done = std::strtoll(row.GetText(0).c_str(), nullptr, 10);
    build.end = std::strtoll(row.GetText(1).c_str(), nullptr, 10);
}

}  // namespace

bool CRssStore::GetSearchIndexBuild(SearchIndexBuild& build) {
    return RunRead([&] { ReadBuild(Connection(), build); });
}

bool CRssStore::BuildSearchIndexBatch(int maxItems, SearchIndexBuild& build) {
    const long long batch = maxItems > 0 ? maxItems : kSearchIndexBatchItems;
    // All or nothing: rows indexed without the range moving on would be indexed twice.
    return RunAtomically([&] {
        CppSQLite3Connection& db = Connection();
        ReadBuild(db, build);
        if (!build.pending) {
            return;
        }
        const long long upTo = build.end - build.done > batch ? build.done + batch : build.end;
        db.ExecuteUpdate(StrFormat(
            "INSERT INTO [rss_fts] (rowid, item_title, item_description) SELECT item_id, "
            "item_title, item_description FROM [rss_data] WHERE item_id > %lld AND item_id <= "
            "%lld;",
            build.done, upTo));
        db.ExecuteUpdate(StrFormat(
            "INSERT INTO [rss_title_fts] (rowid, item_title) SELECT item_id, item_title FROM "
            "[rss_data] WHERE item_id > %lld AND item_id <= %lld;",
            build.done, upTo));
        if (upTo >= build.end) {
            db.ExecuteUpdate("DELETE FROM [rssfts_build];");
            build = SearchIndexBuild();
        } else {
            db.ExecuteUpdate(StrFormat("UPDATE [rssfts_build] SET build_done = %lld;", upTo));
            build.done = upTo;
        }
    });
}

bool BuildSearchIndex(CRssStore& store, const SearchIndexProgress& progress,
                      const std::function<bool()>& stop, bool& stopped) {
    stopped = false;
    SearchIndexBuild build;
    if (!store.GetSearchIndexBuild(build)) {
        return false;
    }
    if (!build.pending) {
        return true;
    }
    if (progress) {
        progress(build);
    }
    while (build.pending) {
        if (stop && stop()) {
            stopped = true;
            return false;
        }
        if (!store.BuildSearchIndexBatch(kSearchIndexBatchItems, build)) {
            return false;
        }
        if (progress) {
            progress(build);
        }
    }
    return true;
}

}  // namespace zirvo
