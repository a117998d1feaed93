#include "core/integration/hand_over.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/net/url_escape.h"
#include "core/util/files.h"
#include "core/util/strings.h"
#include "core/util/text_codec.h"

namespace zirvo {
namespace {

constexpr std::string_view kUrlKey = "rssurl";
constexpr std::string_view kTitleKey = "&rsstitle";

// Removes every "qova://", in any letter case.
std::string DropProtocolPrefix(const std::string& text) {
    const std::string prefix = std::string(kProtocolWord) + "://";
    std::string out;
    const std::string lower = ToLowerAscii(text);
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t found = lower.find(prefix, pos);
        if (found == std::string::npos) {
            out.append(text, pos, std::string::npos);
            break;
        }
        out.append(text, pos, found - pos);
        pos = found + prefix.size();
    }
    return out;
}

// The percent-decoded text when it holds escapes and decodes into well-formed UTF-8; else the
// text unchanged.
std::string DecodeTitle(const std::string& text) {
    std::string out = PercentDecode(text);
    // Every escape shortens the text: the same length means there was none.
    const bool decoded = out.size() != text.size();
    if (!decoded || SanitizeUtf8(out) != out || out.find('\0') != std::string::npos) {
        return text;
    }
    return out;
}

}  // namespace

HandOverRequest ParseHandOverString(const std::string& text) {
    HandOverRequest request;
    const std::string lower = ToLowerAscii(text);
    const size_t titleAt = lower.find(kTitleKey);
    if (titleAt == std::string::npos) {
        request.url = Trim(DropProtocolPrefix(text));
        return request;
    }
    const size_t urlKey = lower.find(kUrlKey);
    if (urlKey != std::string::npos && urlKey < titleAt) {
        size_t start = urlKey + kUrlKey.size();
        if (start < titleAt && text[start] == '=') {
            ++start;
        }
        request.url = Trim(DropProtocolPrefix(text.substr(start, titleAt - start)));
    }
    size_t titleStart = titleAt + kTitleKey.size();
    if (titleStart < text.size() && text[titleStart] == '=') {
        ++titleStart;
    }
    request.title = Trim(DecodeTitle(Trim(text.substr(titleStart))));
    return request;
}

bool WriteHandOverFile(const std::string& path, const std::string& text, std::string* error) {
    return WriteFileAtomic(path, text, error);
}

HandOverFileResult TakeHandOverFile(const std::string& path, std::string& text) {
    text.clear();
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer forever;
    // O_NOFOLLOW: a link planted in Temp/ must not make us read (and then remove) another file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT) {
            return HandOverFileResult::Missing;
        }
        if (errno == ELOOP) {
            ::unlink(path.c_str());
            return HandOverFileResult::NotRegular;
        }
        return HandOverFileResult::Unreadable;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        return HandOverFileResult::Unreadable;
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return HandOverFileResult::NotRegular;
    }
    if (info.st_size <= 0 || static_cast<std::size_t>(info.st_size) > kMaxHandOverBytes) {
        ::close(fd);
        ::unlink(path.c_str());
        return HandOverFileResult::TooBig;
    }
    char buffer[4096];
    bool failed = false;
    while (text.size() <= kMaxHandOverBytes) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            failed = true;
            break;
        }
        if (n == 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    ::unlink(path.c_str());
    if (failed) {
        text.clear();
        return HandOverFileResult::Unreadable;
    }
    if (text.empty() || text.size() > kMaxHandOverBytes) {
        text.clear();
        return HandOverFileResult::TooBig;
    }
    return HandOverFileResult::Taken;
}

}  // namespace zirvo
