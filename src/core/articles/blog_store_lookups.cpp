// The article store's look-up of where an article lives (see blog_store.h).

#include "core/articles/blog_store.h"
#include "core/db/sqlite_cursor.h"
#include "core/util/strings.h"

namespace zirvo {

bool CBlogStore::FindArticleOwner(int id, std::string& account, int& folder, bool& found) {
    found = false;
    const std::string sql =
        StrFormat("SELECT log_author, log_property FROM [blog_article] WHERE log_id = %d;", id);
    return RunRead([&] {
        CppSQLite3Cursor row = Connection().ExecuteQuery(sql);
        if (!row.AtEnd()) {
            account = row.GetText(0);
            folder = row.GetInt(1);
            found = true;
        }
    });
}

}  // namespace zirvo
