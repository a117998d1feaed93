#pragma once
// The CHM e-book builder: checks the request, optionally collects and downloads the pictures,
// writes the project below the data root and compiles it.
//
//   Temp/CHMTemp/index.html, index.css      title page (Data/CHMSkin/index.html) and its style
//   Temp/CHMTemp/N.html, article.css        one page per article (Data/CHMSkin/article.html)
//   Temp/CHMTemp/MyLogCHM.hhc, .hhp         contents and project (ebook_project.h)
//   Temp/CHMTemp/images/                    the downloaded pictures
//
// The folder is emptied first, so that a page or picture of an earlier book can never slip into
// this one; a lock file (Temp/CHMTemp.lock) keeps two builds, of this process or another, from
// sharing it. The output file's folder must exist and be writable before anything is done. A
// compile that fails removes what it wrote to the output path, so a half-written book never
// looks like a finished one. Without a compiler on the search path the project is written and
// the result says where, with "编译失败!" as its message.
//
// Threading: BuildEbook runs on a worker (it blocks for downloads and the compile) and reports
// through `status` from that worker and from its download threads.

#include <atomic>
#include <string>
#include <vector>

#include "core/ebook/ebook_article.h"
#include "core/ebook/ebook_status.h"
#include "core/ebook/picture_download.h"
#include "core/net/http_client.h"
#include "core/util/data_root.h"

namespace zirvo {

struct EbookRequest {
    EbookSource source = EbookSource::FeedItems;
    std::vector<EbookArticle> articles;
    std::vector<std::string> categories;  // distinct, in the caller's order
    bool byCategory = false;
    bool downloadPictures = false;
    std::string title;
    std::string description;
    std::string outputPath;
    // The title page's link to the program; without a site address the title is plain text.
    std::string appTitle = "Zirvo";
    std::string appSite;
    // Where the compiler is looked for; empty: $PATH.
    std::string compilerSearchPath;
    long compileTimeoutMs = 10 * 60 * 1000;
    PictureDownloadOptions pictureOptions;
};

enum class EbookOutcome {
    Done,           // the book was written
    Refused,        // a check failed before anything was written (message says which)
    Stopped,        // the stop flag ended the export; no book
    NoCompiler,     // the project was written, but there is no compiler to make the book
    CompileFailed,  // a file could not be written, or the compiler failed
};

struct EbookResult {
    EbookOutcome outcome = EbookOutcome::CompileFailed;
    std::string message;  // "制作完成!", "编译失败!", or the failed check's message
    std::string detail;   // the cause, when there is one more to say
    int picturesDownloaded = 0;
    int picturesFailed = 0;

    bool Ok() const { return outcome == EbookOutcome::Done; }
};

// The project folder of `root` (Temp/CHMTemp).
std::string EbookProjectDir(const CDataRoot& root);

// Checks that do not touch the data root: the dialog's start checks, then the output path (no
// control characters, an existing writable folder, not a folder itself).
EbookResult CheckEbookRequest(const EbookRequest& request);

EbookResult BuildEbook(const CDataRoot& root, EbookRequest request, IHttpClient& http,
                       IEbookStatus& status, const std::atomic<bool>& stop);

}  // namespace zirvo
