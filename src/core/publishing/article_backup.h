#pragma once
// The article backup file: articles exported as an RSS 2.0 document and imported again into an
// account's drafts.
//
// Format (one line, no line breaks; written as UTF-8 under an UTF-8 declaration):
//   <?xml version="1.0" encoding="UTF-8"?><rss version="2.0"><channel>
//   <title>Zirvo</title><link></link><description>博客日志备份文件(RSS2.0)</description>
//   <item id="1"><title><![CDATA[title]]></title><category><![CDATA[category]]></category>
//   <description><![CDATA[content]]></description><pubDate><![CDATA[date]]></pubDate></item>
//   ... </channel></rss>
// Items are numbered from 1 in export order. A "]]>" inside a text is split over two CDATA
// sections, and characters XML cannot carry are dropped, so every exported text reads back.
// Reading accepts any declared encoding (older backups are GB2312) and takes the items
// /rss/channel/item[i] from 0 until one is missing; an item without category, title or
// description gets the empty text for it (no category), one without date the text "NULL", which
// the import turns into the time of import.
//
// Threading: pure functions and file access on the calling thread; the store's own rules apply
// to ImportArticleBackup.

#include <string>

#include "core/articles/blog_article.h"

namespace zirvo {

class CBlogStore;

inline constexpr const char* kBackupChannelTitle = "Zirvo";
inline constexpr const char* kBackupDescription = "博客日志备份文件(RSS2.0)";
inline constexpr const char* kTextNoArticlesToExport = "当前文件夹没有日志!";
// The text standing for a missing date of an imported item.
inline constexpr const char* kBackupMissingValue = "NULL";

// count + " 篇文章导出成功".
std::string ExportedMessage(int count);
// "导入成功 " + count + " 篇日志".
std::string ImportedMessage(int count);
// The save dialog's proposal: the current local time as "%Y-%m-%d %H%M%S" + ".xml".
std::string DefaultBackupFileName();

std::string BuildArticleBackupXml(const BlogArticleList& articles);
// Builds the text, checks it as XML and writes it atomically. False with `error` set.
bool WriteArticleBackup(const std::string& path, const BlogArticleList& articles,
                        std::string& error);
// False with `error` set when the file is missing or not XML; an XML file without items gives
// an empty list.
bool ReadArticleBackup(const std::string& path, BlogArticleList& articles, std::string& error);

// Reads the file and adds its articles to the account's drafts, without server ids and with
// their dates normalised (an unparsable date becomes the time of import). `count` is the number
// of articles read. False with `error` set (the store's last error when the insert failed; the
// articles inserted before a failing one stay).
bool ImportArticleBackup(CBlogStore& store, const std::string& account, const std::string& path,
                         int& count, std::string& error);

}  // namespace zirvo
