#include "core/integration/window_message.h"

#include <charconv>
#include <cstdio>
#include <limits>

namespace zirvo {

bool operator==(const WindowMessage& a, const WindowMessage& b) {
    return a.number == b.number && a.wParam == b.wParam && a.lParam == b.lParam;
}

bool IsExternalWindowMessage(int number) {
    return number == kMsgBlogTreeUpdate || number == kMsgArticleStyleChanged ||
           number == kMsgSubscriptionHandOver;
}

std::string LocalChannelName(const std::string& dataRoot) {
    std::string root = dataRoot;
    while (root.size() > 1 && root.back() == '/') {
        root.pop_back();
    }
    std::uint64_t hash = 14695981039346656037ULL;
    for (unsigned char c : root) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return std::string(kMainWindowClassName) + "-" + hex;
}

std::string EncodeWindowMessage(const WindowMessage& message) {
    return std::to_string(message.number) + " " + std::to_string(message.wParam) + " " +
           std::to_string(message.lParam) + "\n";
}

namespace {

bool ParseField(const std::string& text, std::size_t& pos, std::int64_t& out) {
    const std::size_t start = pos;
    if (pos < text.size() && text[pos] == '-') {
        ++pos;
    }
    const std::size_t digits = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        ++pos;
    }
    if (pos == digits) {
        return false;
    }
    const auto [end, ec] = std::from_chars(text.data() + start, text.data() + pos, out);
    return ec == std::errc() && end == text.data() + pos;
}

}  // namespace

std::optional<WindowMessage> DecodeWindowMessage(const std::string& line, std::string* why) {
    auto refuse = [why](const char* reason) -> std::optional<WindowMessage> {
        if (why != nullptr) {
            *why = reason;
        }
        return std::nullopt;
    };
    std::string text = line;
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    if (!text.empty() && text.back() == '\r') {
        text.pop_back();
    }
    if (text.empty()) {
        return refuse("empty message");
    }
    if (text.size() > kMaxWindowMessageLine) {
        return refuse("message line too long");
    }
    std::int64_t fields[3] = {};
    std::size_t pos = 0;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != ' ') {
                return refuse("expected three numbers separated by single blanks");
            }
            ++pos;
        }
        if (!ParseField(text, pos, fields[i])) {
            return refuse("not a decimal number in range");
        }
    }
    if (pos != text.size()) {
        return refuse("text after the third number");
    }
    if (fields[0] < std::numeric_limits<int>::min() ||
        fields[0] > std::numeric_limits<int>::max()) {
        return refuse("message number out of range");
    }
    WindowMessage message;
    message.number = static_cast<int>(fields[0]);
    message.wParam = fields[1];
    message.lParam = fields[2];
    return message;
}

}  // namespace zirvo
