#pragma once
// The picture-download worker of the e-book (CDownloadFileFromInternetThread): each picture
// record with an address is fetched through the HTTP client and written below the project
// folder under its local name. Status texts per picture: ">>下载图片 " + URL + " 中..." and then
// ">>download complete." or ">>下载失败!", the two lines of one picture reported together so
// that they stay side by side while several downloads run.
//
// A failed picture (network, status 400 and above, too large, too slow, unwritable file) is
// counted and the rest go on; the page then refers to a missing picture. At most
// `maxInFlight` downloads run at once; each is capped in size and time, so a picture that
// answers a gigabyte or never ends costs at most `maxBytes` of memory and `totalTimeoutMs`.
// The stop flag (and the process-wide closing flag) aborts the transfers in flight and starts
// no other.
//
// Threading: DownloadEbookPictures runs on the export worker and blocks it; it starts and joins
// its own download threads. `http` must accept concurrent calls (CCurlHttpClient does).

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

#include "core/ebook/ebook_pictures.h"
#include "core/ebook/ebook_status.h"
#include "core/net/http_client.h"

namespace zirvo {

struct PictureDownloadOptions {
    size_t maxInFlight = 4;
    size_t maxBytes = 16u << 20;
    long connectTimeoutMs = 15000;
    long totalTimeoutMs = 60000;
    long stallTimeoutMs = 20000;
};

struct PictureDownloadResult {
    int downloaded = 0;
    int failed = 0;
    bool stopped = false;  // the stop flag ended the run before every picture was tried
};

PictureDownloadResult DownloadEbookPictures(const std::vector<EbookPicture>& pictures,
                                            const std::string& projectDir, IHttpClient& http,
                                            const PictureDownloadOptions& options,
                                            const std::atomic<bool>& stop, IEbookStatus& status);

}  // namespace zirvo
