#include "core/ebook/picture_download.h"

#include <algorithm>
#include <mutex>
#include <thread>

#include "core/config/proxy.h"
#include "core/net/apply_proxy.h"
#include "core/util/closing_flag.h"
#include "core/util/files.h"

namespace zirvo {
namespace {

class CDownloadRun {
public:
    CDownloadRun(const std::vector<EbookPicture>& pictures, const std::string& projectDir,
                 IHttpClient& http, const PictureDownloadOptions& options,
                 const std::atomic<bool>& stop, IEbookStatus& status)
        : m_pictures(pictures),
          m_projectDir(projectDir),
          m_http(http),
          m_options(options),
          m_stop(stop),
          m_status(status) {}

    void RunSlot() noexcept {
        while (true) {
            size_t index = 0;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                while (m_next < m_pictures.size() && m_pictures[m_next].url.empty()) {
                    ++m_next;
                }
                if (m_next >= m_pictures.size()) {
                    return;
                }
                if (Stopping()) {
                    m_result.stopped = true;
                    return;
                }
                index = m_next++;
            }
            const bool ok = Fetch(m_pictures[index]);
            std::lock_guard<std::mutex> lock(m_mutex);
            ok ? ++m_result.downloaded : ++m_result.failed;
            if (!ok && Stopping()) {
                m_result.stopped = true;
            }
        }
    }

    PictureDownloadResult Result() const { return m_result; }

private:
    bool Stopping() const { return m_stop.load() || IsClosing(); }

    bool Fetch(const EbookPicture& picture) noexcept {
        bool ok = false;
        try {
            HttpRequest request;
            request.url = picture.url;
            request.maxBytes = m_options.maxBytes;
            request.connectTimeoutMs = m_options.connectTimeoutMs;
            request.totalTimeoutMs = m_options.totalTimeoutMs;
            request.stallTimeoutMs = m_options.stallTimeoutMs;
            request.acceptCompressed = false;  // pictures are compressed already
            request.abortFlag = &m_stop;
            ApplyProxy(request, ProcessProxy(), request.url);
            const HttpResponse response = m_http.Perform(request);
            if (response.Completed() && response.status >= 200 && response.status < 300) {
                ok = WriteFileAtomic(JoinPath(m_projectDir, picture.localName), response.body);
            }
        } catch (...) {
            ok = false;  // a picture's failure is that picture's alone
        }
        m_status.OnStatus(">>下载图片 " + picture.url + " 中...\r\n" +
                          (ok ? ">>download complete.\r\n" : ">>下载失败!\r\n"));
        return ok;
    }

    const std::vector<EbookPicture>& m_pictures;
    const std::string& m_projectDir;
    IHttpClient& m_http;
    const PictureDownloadOptions& m_options;
    const std::atomic<bool>& m_stop;
    IEbookStatus& m_status;
    std::mutex m_mutex;
    size_t m_next = 0;
    PictureDownloadResult m_result;
};

}  // namespace

PictureDownloadResult DownloadEbookPictures(const std::vector<EbookPicture>& pictures,
                                            const std::string& projectDir, IHttpClient& http,
                                            const PictureDownloadOptions& options,
                                            const std::atomic<bool>& stop, IEbookStatus& status) {
    CDownloadRun run(pictures, projectDir, http, options, stop, status);
    size_t wanted = 0;
    for (const EbookPicture& picture : pictures) {
        wanted += picture.url.empty() ? 0 : 1;
    }
    const size_t slots = std::clamp<size_t>(std::min(wanted, options.maxInFlight), 1, 16);
    std::vector<std::thread> threads;
    for (size_t i = 1; i < slots; ++i) {
        try {
            threads.emplace_back([&run] { run.RunSlot(); });
        } catch (const std::system_error&) {
            break;  // fewer downloads at once, the same result
        }
    }
    run.RunSlot();
    for (std::thread& thread : threads) {
        thread.join();
    }
    return run.Result();
}

}  // namespace zirvo
