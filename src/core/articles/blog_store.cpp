#include "core/articles/blog_store.h"

#include "core/db/schema.h"
#include "core/util/feed_date.h"
#include "core/util/files.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

void ReadArticleRow(const CppSQLite3Cursor& row, BlogArticle& article) {
    article.id = row.GetInt("log_id", 0);
    article.guid = row.GetText("log_guid");
    article.title = row.GetText("log_title");
    article.category = row.GetText("log_category");
    article.content = row.GetText("log_content");
    article.pubDate = row.GetText("log_pubDate");
}

}  // namespace

CBlogStore::CBlogStore(const std::string& dataRoot)
    : CSQLiteStore(JoinPath(dataRoot, "Storage/blog.db")) {}

bool CBlogStore::Open() {
    if (!OpenWithSchema(m_path, &EnsureBlogSchema)) {
        return false;
    }
    // The articles are the user's own writing, which no receive brings back: every commit
    // reaches the disk before it counts, so the last saved draft survives a power cut. (The
    // feed store keeps NORMAL: its rows come back with the next receive.)
    if (!Execute("PRAGMA synchronous=FULL;")) {
        Close();
        return false;
    }
    return true;
}

bool CBlogStore::CountArticles(int folder, const std::string& account, int& count) {
    count = 0;
    std::string sql = StrFormat(
        "SELECT count(*) FROM [blog_article] WHERE log_property = %d AND log_author = '%s';",
        folder, Quoted(account).c_str());
    int found = 0;
    if (!RunRead([&] { ReadCount(sql, found); })) {
        return false;
    }
    count = found;
    return true;
}

bool CBlogStore::ListArticles(int folder, const std::string& account, BlogArticleList& articles,
                              int count, int offset) {
    std::string sql = StrFormat(
        "SELECT * FROM [blog_article] WHERE log_property = %d AND log_author = '%s' LIMIT %d, %d;",
        folder, Quoted(account).c_str(), offset, count);
    return RunRead([&] {
        for (CppSQLite3Cursor row = Connection().ExecuteQuery(sql); !row.AtEnd(); row.NextRow()) {
            BlogArticle article;
            ReadArticleRow(row, article);
            articles.push_back(std::move(article));
        }
    });
}

bool CBlogStore::GetArticle(int id, BlogArticle& article) {
    std::string sql = StrFormat("SELECT * FROM [blog_article] WHERE log_id = %d;", id);
    bool found = false;
    if (!RunRead([&] {
            CppSQLite3Cursor row = Connection().ExecuteQuery(sql);
            if (!row.AtEnd()) {
                ReadArticleRow(row, article);
                found = true;
            }
        })) {
        return false;
    }
    if (!found) {
        SetLastError(kNoSuchArticleText);
    }
    return found;
}

bool CBlogStore::GetArticleGuid(int id, std::string& guid) {
    std::string sql = StrFormat("SELECT log_guid FROM [blog_article] WHERE log_id = %d;", id);
    bool found = false;
    if (!RunRead([&] {
            CppSQLite3Cursor row = Connection().ExecuteQuery(sql);
            if (!row.AtEnd()) {
                guid = row.GetText("log_guid");
                found = true;
            }
        })) {
        return false;
    }
    if (!found) {
        SetLastError(kNoSuchArticleText);
    }
    return found;
}

void CBlogStore::InsertInOwnTransaction(const std::string& insert) {
    CppSQLite3Connection& db = Connection();
    db.ExecuteUpdate("begin transaction;");  // a failure here opened nothing
    bool inserted = false;
    try {
        db.ExecuteUpdate(insert);
        inserted = true;
        db.ExecuteUpdate("commit transaction;");
    } catch (const CppSQLite3Exception&) {
        // NOTE: a transaction left open here would swallow every later write of this
        // connection into a transaction nobody commits. A failed insert changed nothing, so
        // committing ends it; a failed commit is rolled back so the caller's failure is true.
        if (!inserted) {
            CommitTransaction();
        }
        if (!db.IsAutoCommit()) {
            try {
                db.ExecuteUpdate("rollback transaction;");
            } catch (const CppSQLite3Exception&) {
                // The exception already on its way says what went wrong.
            }
        }
        throw;
    }
}

bool CBlogStore::AddArticle(int folder, const std::string& account, const BlogArticle& article) {
    InsertInOwnTransaction(
        StrFormat("INSERT INTO [blog_article] (log_property, log_author, log_title, log_category, "
                  "log_content, log_pubDate) VALUES (%d, '%s' , '%s', '%s', '%s' , '%s');",
                  folder, Quoted(account).c_str(), Quoted(article.title).c_str(),
                  Quoted(article.category).c_str(), Quoted(article.content).c_str(),
                  Quoted(article.pubDate).c_str()));
    return true;
}

bool CBlogStore::AddArticleWithGuid(int folder, const std::string& account, const std::string& guid,
                                    const std::string& title, const std::string& category,
                                    const std::string& content, const std::string& pubDate) {
    std::string date = pubDate.empty() ? NowLocalText() : pubDate;
    InsertInOwnTransaction(StrFormat(
        "INSERT INTO [blog_article] (log_property, log_author, log_guid, log_title, "
        "log_category, log_content, log_pubDate) VALUES (%d, '%s' , '%s', '%s', '%s', '%s' , "
        "'%s');",
        folder, Quoted(account).c_str(), Quoted(guid).c_str(), Quoted(title).c_str(),
        Quoted(category).c_str(), Quoted(content).c_str(), Quoted(date).c_str()));
    return true;
}

std::string CBlogStore::ReceivedInsert(int folder, const std::string& account,
                                       const BlogArticle& article) {
    std::string date = article.pubDate;
    NormaliseFeedDate(date);
    std::string sql = StrFormat(
        "INSERT INTO [blog_article] (log_property, log_author, log_guid, log_title, "
        "log_category, log_content, log_pubDate) VALUES (%d , '%s' , '",
        folder, Quoted(account).c_str());
    sql += Quoted(article.guid);
    sql += "' , '";
    sql += Quoted(article.title);
    sql += "' , '";
    sql += Quoted(article.category);
    sql += "' , '";
    sql += Quoted(article.content);
    sql += "' , '";
    sql += Quoted(date);
    sql += "');";
    return sql;
}

bool CBlogStore::AddReceivedArticles(int folder, const std::string& account,
                                     const BlogArticleList& articles) {
    return RunInTransaction([&] {
        for (const BlogArticle& article : articles) {
            Connection().ExecuteUpdate(ReceivedInsert(folder, account, article));
        }
    });
}

bool CBlogStore::ReplaceReceivedArticles(const std::string& account,
                                         const BlogArticleList& articles) {
    std::vector<std::string> ids;
    ids.reserve(articles.size());
    for (const BlogArticle& article : articles) {
        ids.push_back("'" + Quoted(article.guid) + "'");
    }
    // The old copies go only together with the arrival of the new ones: a failed insert rolls
    // the delete back, so the account keeps what it had received before.
    return RunAtomically([&] {
        Connection().ExecuteUpdate(
            StrFormat("DELETE FROM [blog_article] WHERE log_guid IN (%s) AND log_author = '%s' AND "
                      "log_property = %d;",
                      Join(ids, ",").c_str(), Quoted(account).c_str(), kBlogFolderReceived));
        for (const BlogArticle& article : articles) {
            Connection().ExecuteUpdate(ReceivedInsert(kBlogFolderReceived, account, article));
        }
    });
}

bool CBlogStore::UpdateArticleText(int id, const std::string& title, const std::string& category,
                                   const std::string& content) {
    return Execute(StrFormat(
        "UPDATE [blog_article] SET log_title = '%s' , log_category = '%s' , log_content = '%s' "
        "WHERE log_id = %d;",
        Quoted(title).c_str(), Quoted(category).c_str(), Quoted(content).c_str(), id));
}

bool CBlogStore::SetArticleFolder(int id, int folder) {
    return Execute(
        StrFormat("UPDATE [blog_article] SET log_property = '%d' WHERE log_id = %d;", folder, id));
}

bool CBlogStore::SetArticleFolderAndGuid(int id, int folder, const std::string& guid) {
    return Execute(StrFormat(
        "UPDATE [blog_article] SET log_property = %d , log_guid = '%s' WHERE log_id = %d;", folder,
        Quoted(guid).c_str(), id));
}

bool CBlogStore::MoveArticle(int id, int folder, const std::string& account) {
    return Execute(StrFormat(
        "UPDATE [blog_article] SET log_property = '%d' , log_author = '%s' WHERE log_id = %d;",
        folder, Quoted(account).c_str(), id));
}

bool CBlogStore::CopyArticle(int id, int folder, const std::string& account) {
    BlogArticle article;
    if (!GetArticle(id, article)) {
        return false;
    }
    try {
        return AddArticle(folder, account, article);
    } catch (const CppSQLite3Exception& e) {
        SetLastError(e.ErrorMessage());
        return false;
    }
}

bool CBlogStore::DeleteArticle(int id) {
    return Execute(StrFormat("DELETE FROM [blog_article] WHERE log_id = %d;", id));
}

bool CBlogStore::ClearFolder(int folder, const std::string& account) {
    return Execute(
        StrFormat("DELETE FROM [blog_article] WHERE log_property = %d AND log_author = '%s';",
                  folder, Quoted(account).c_str()));
}

bool CBlogStore::DeleteAccountArticles(const std::string& account) {
    return Execute(
        StrFormat("DELETE FROM [blog_article] WHERE log_author = '%s';", Quoted(account).c_str()));
}

bool CBlogStore::ListCategories(int folder, const std::string& account,
                                std::vector<std::string>& categories) {
    std::string sql = StrFormat(
        "SELECT DISTINCT [log_category] FROM [blog_article] WHERE [log_property] = %d AND "
        "[log_author] = '%s';",
        folder, Quoted(account).c_str());
    return RunRead([&] {
        for (CppSQLite3Cursor row = Connection().ExecuteQuery(sql); !row.AtEnd(); row.NextRow()) {
            categories.push_back(row.GetText("log_category"));
        }
    });
}

bool CBlogStore::Compact() {
    return Execute("VACUUM");
}

}  // namespace zirvo
