#pragma once
// The article store: every statement on Storage/blog.db below the data root.
//
// Table (created or upgraded on Open, see core/db/schema.h), one row per article:
//   blog_article  log_id (row key, assigned on insert), log_property (folder code, BlogFolder),
//                 log_author (the owning account's local name), log_guid (the post's id on the
//                 server, empty or NULL when it has none), log_title, log_category, log_content
//                 (HTML), log_pubDate ("%Y-%m-%d %H:%M:%S", local time). NULL texts read as "".
//   Index indexauthor on (log_author, log_property).
// Both programs open the same file with connections of their own; SQLite's locking with the
// connection's busy timeout is the only coordination between them.
//
// Results: every operation returns true on success. On failure the cause is in GetLastError:
// SQLite's formatted message, or kNoSuchArticleText when a looked-up row is missing. Writes that
// run several statements in a transaction keep what succeeded before a failing statement.
// Every text value is quoted (single quotes doubled), account names and server ids included.
// The store holds no policy: which folder an article goes to, and when, is up to its callers.
//
// NOTE: AddArticle and AddArticleWithGuid do not catch: a database failure reaches the caller
// as CppSQLite3Exception, and every caller must catch it. The transaction they opened is ended
// before the exception leaves, so the connection is fit for the next statement. They open a
// transaction of their own, so inside a caller's BeginTransaction bracket they throw.
//
// Threading: one connection, no lock of its own. The main program uses its instance from the
// window thread and from publishing workers; callers serialise that use so that no two threads
// run operations (or a BeginTransaction ... CommitTransaction bracket) on it at once. The editor
// has an instance of its own.

#include <string>
#include <vector>

#include "core/articles/blog_article.h"
#include "core/db/sqlite_store.h"

namespace zirvo {

// Last error of GetArticle and GetArticleGuid when no row has the id ("there is no article with
// this id").
inline constexpr char kNoSuchArticleText[] = "没有对应id的文章";

class CBlogStore : public CSQLiteStore {
public:
    // The file is dataRoot + "/Storage/blog.db".
    explicit CBlogStore(const std::string& dataRoot);

    // Opens the file (created when missing, its folder must exist) and brings the table to the
    // current definition. False with the last error set when the file cannot be used. Commits
    // are synced to disk (synchronous=FULL): a saved article survives a power cut.
    bool Open();

    // Number of the account's articles in the folder; 0 on any failure.
    bool CountArticles(int folder, const std::string& account, int& count);
    // Appends up to `count` articles from `offset` on, in row-key order (id, guid, title,
    // category, content and date filled). On failure the rows read before it stay appended.
    bool ListArticles(int folder, const std::string& account, BlogArticleList& articles, int count,
                      int offset);
    bool GetArticle(int id, BlogArticle& article);
    bool GetArticleGuid(int id, std::string& guid);
    // The owning account and folder of article `id`; `found` false (and true returned) when there
    // is no such row.
    bool FindArticleOwner(int id, std::string& account, int& folder, bool& found);

    // Inserts without a server id. Throws CppSQLite3Exception on failure.
    bool AddArticle(int folder, const std::string& account, const BlogArticle& article);
    // Inserts with a server id; an empty date becomes the current local time. Throws
    // CppSQLite3Exception on failure. The new id is LastInsertId() right after.
    bool AddArticleWithGuid(int folder, const std::string& account, const std::string& guid,
                            const std::string& title, const std::string& category,
                            const std::string& content, const std::string& pubDate);
    // Inserts posts fetched from a server (or imported) in list order, each date normalised as
    // feed dates are (an unparsable one becomes the time of storing). A failing insert stops the
    // batch; the articles inserted before it stay.
    bool AddReceivedArticles(int folder, const std::string& account,
                             const BlogArticleList& articles);
    // Stores a fetch result in the received folder: the account's received rows with the same
    // server ids go (copies in other folders stay) and the fetched articles are inserted as
    // AddReceivedArticles(1, ...) does, all in one transaction: when an insert fails nothing
    // changes, the old copies included.
    bool ReplaceReceivedArticles(const std::string& account, const BlogArticleList& articles);

    // Title, category and content only; folder, account, server id and date stay.
    bool UpdateArticleText(int id, const std::string& title, const std::string& category,
                           const std::string& content);
    bool SetArticleFolder(int id, int folder);
    bool SetArticleFolderAndGuid(int id, int folder, const std::string& guid);
    // Folder and account change; the server id moves with the article.
    bool MoveArticle(int id, int folder, const std::string& account);
    // A new row (new id, no server id) with the article's texts and date. Unlike AddArticle a
    // failure is caught: false, with the cause as last error.
    bool CopyArticle(int id, int folder, const std::string& account);
    bool DeleteArticle(int id);
    bool ClearFolder(int folder, const std::string& account);
    bool DeleteAccountArticles(const std::string& account);

    // The distinct categories of the account's articles in the folder (NULL as "").
    bool ListCategories(int folder, const std::string& account,
                        std::vector<std::string>& categories);

    // Compacts the whole file with a plain "VACUUM": the table and its index are all the file
    // holds, and a VACUUM naming them would be read as a schema name by SQLite and refused.
    bool Compact();

private:
    // The insert of one received article (date normalised), shared by the two batch writes.
    static std::string ReceivedInsert(int folder, const std::string& account,
                                      const BlogArticle& article);
    // Runs begin, `insert`, commit; a failure ends the transaction and is rethrown.
    void InsertInOwnTransaction(const std::string& insert);
};

}  // namespace zirvo
