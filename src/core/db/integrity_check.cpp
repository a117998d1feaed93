#include "core/db/integrity_check.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include "core/db/rare_trigrams.h"
#include "core/db/sparse_trigrams.h"
#include "core/util/closing_flag.h"

namespace zirvo {

bool CheckDatabaseFile(const std::string& path, std::string& problem) {
    problem.clear();
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return true;
    }
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) {
        problem = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        return false;
    }
    sqlite3_busy_timeout(db, 60000);
    RegisterSparseTrigramTokenizer(db);  // a version-8 store's full-text index needs it
    RegisterRareTrigramTokenizer(db);    // the full-text index of later versions
    // A check of a big file must not hold up the program's close.
    sqlite3_progress_handler(
        db, 10000, [](void*) { return IsClosing() ? 1 : 0; }, nullptr);
    sqlite3_stmt* statement = nullptr;
    rc = sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &statement, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(statement);
        if (rc == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(statement, 0);
            const std::string answer = text != nullptr ? reinterpret_cast<const char*>(text) : "";
            if (answer != "ok") {
                problem = answer.empty() ? std::string("quick_check gave no answer") : answer;
            }
        } else if (rc == SQLITE_INTERRUPT) {
            problem.clear();  // stopped for the close: nothing is known
        } else if (rc != SQLITE_DONE) {
            problem = sqlite3_errmsg(db);
        }
    } else {
        problem = sqlite3_errmsg(db);
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return problem.empty();
}

std::string DamagedDatabaseMessage(const std::string& displayName, const std::string& problem) {
    return "数据库文件 " + displayName + " 已损坏 (" + problem +
           "), 部分文章可能无法读取或保存。请关闭程序后从备份恢复这个文件; 没有备份时, "
           "可以把它移走, 程序下次启动时会建立一个空的数据库。";
}

}  // namespace zirvo
