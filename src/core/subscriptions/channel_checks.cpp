#include "core/subscriptions/channel_checks.h"

#include <optional>

#include "core/util/strings.h"
#include "core/util/text_codec.h"

namespace zirvo {
namespace {

constexpr size_t kClipboardMaxCharacters = 512;

size_t CharacterCount(const std::string& text) {
    size_t count = 0;
    char32_t codePoint = 0;
    for (size_t pos = 0; pos < text.size(); ++count) {
        const size_t length = DecodeUtf8Char(text, pos, codePoint);
        pos += length == 0 ? 1 : length;
    }
    return count;
}

}  // namespace

std::string CutAtCharacter(const std::string& text, size_t maxBytes) {
    size_t end = 0;
    char32_t codePoint = 0;
    while (end < text.size()) {
        const size_t length = DecodeUtf8Char(text, end, codePoint);
        if (length == 0 || end + length > maxBytes) {
            break;
        }
        end += length;
    }
    return text.substr(0, end);
}

std::string CaptionFromText(const std::string& text) {
    std::string out;
    for (char c : text) {
        const bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (!blank) {
            out += c;
        } else if (!out.empty() && out.back() != ' ') {
            out += ' ';
        }
        // A little beyond the cap is enough to know where to cut.
        if (out.size() > kMaxCaptionBytes + 8) {
            break;
        }
    }
    return Trim(CutAtCharacter(Trim(out), kMaxCaptionBytes));
}

bool HasInvalidCharacters(const std::string& text) {
    return text.find_first_of("<>") != std::string::npos;
}

bool IsWebAddress(const std::string& url) {
    for (unsigned char c : url) {
        if (c <= 0x20 || c == 0x7f) {
            return false;
        }
    }
    const std::string lower = ToLowerAscii(url);
    size_t hostStart = 0;
    if (StartsWith(lower, "http://")) {
        hostStart = 7;
    } else if (StartsWith(lower, "https://")) {
        hostStart = 8;
    } else {
        return false;
    }
    const size_t hostEnd = lower.find_first_of("/?#", hostStart);
    const std::string host = lower.substr(
        hostStart, hostEnd == std::string::npos ? std::string::npos : hostEnd - hostStart);
    if (host.empty() || host.find_first_of(" \t\r\n\\") != std::string::npos) {
        return false;
    }
    // "user@" alone, or ":port" alone, is no host.
    const size_t at = host.rfind('@');
    const std::string hostPort = at == std::string::npos ? host : host.substr(at + 1);
    return !hostPort.empty() && hostPort[0] != ':';
}

bool ShouldPrefillFromClipboard(const std::string& clipboardText) {
    if (CharacterCount(clipboardText) > kClipboardMaxCharacters) {
        return false;
    }
    const std::string lower = ToLowerAscii(clipboardText);
    return lower.find("http:") != std::string::npos || lower.find("https:") != std::string::npos;
}

FieldCheck CheckFetchAddress(const std::string& feedUrl) {
    if (feedUrl.empty()) {
        return FieldCheck::Fail(kEnterFeedUrl, DialogField::FeedUrl);
    }
    if (HasInvalidCharacters(feedUrl)) {
        return FieldCheck::Fail(kInvalidCharacters, DialogField::FeedUrl);
    }
    if (!IsWebAddress(feedUrl)) {
        return FieldCheck::Fail(kFeedUrlNotWeb, DialogField::FeedUrl);
    }
    return FieldCheck::Pass();
}

FieldCheck CheckChannelFields(const std::string& title, const std::string& feedUrl,
                              const std::string& homeUrl) {
    if (feedUrl.empty()) {
        return FieldCheck::Fail(kEnterFeedUrl, DialogField::FeedUrl);
    }
    if (title.empty()) {
        return FieldCheck::Fail(kEnterChannelName, DialogField::Title);
    }
    if (HasInvalidCharacters(feedUrl)) {
        return FieldCheck::Fail(kInvalidCharacters, DialogField::FeedUrl);
    }
    if (!homeUrl.empty() && HasInvalidCharacters(homeUrl)) {
        return FieldCheck::Fail(kInvalidCharacters, DialogField::HomeUrl);
    }
    if (HasInvalidCharacters(title)) {
        return FieldCheck::Fail(kInvalidCharacters, DialogField::Title);
    }
    if (!IsWebAddress(feedUrl)) {
        return FieldCheck::Fail(kFeedUrlNotWeb, DialogField::FeedUrl);
    }
    return FieldCheck::Pass();
}

FieldCheck CheckChannelEdit(const std::string& title, const std::string& feedUrl,
                            const std::string& homeUrl, const std::string& oldFeedUrl) {
    const FieldCheck check = CheckChannelFields(title, feedUrl, homeUrl);
    if (!check.ok && check.message == kFeedUrlNotWeb && feedUrl == oldFeedUrl) {
        return FieldCheck::Pass();
    }
    return check;
}

FieldCheck CheckNotSubscribed(const CChannelTree& tree, const std::string& feedUrl, NodeId self) {
    for (NodeId id : tree.SubtreeChannels(kNoNode)) {
        if (id == self) {
            continue;
        }
        std::optional<ChannelNode> node = tree.Node(id);
        if (node && node->feedUrl == feedUrl) {
            return FieldCheck::Fail(kAlreadySubscribed + tree.PathCaption(id),
                                    DialogField::FeedUrl);
        }
    }
    return FieldCheck::Pass();
}

FieldCheck CheckOutlineFields(const std::string& caption, const std::string& feedUrl,
                              const std::string& homeUrl) {
    return feedUrl.empty() ? CheckFolderFields(caption, homeUrl)
                           : CheckChannelFields(caption, feedUrl, homeUrl);
}

FieldCheck CheckFolderFields(const std::string& name, const std::string& url) {
    if (name.empty()) {
        return FieldCheck::Fail(kEnterFolderName, DialogField::Title);
    }
    if (HasInvalidCharacters(name)) {
        return FieldCheck::Fail(kInvalidCharacters, DialogField::Title);
    }
    if (!url.empty() && HasInvalidCharacters(url)) {
        return FieldCheck::Fail(kInvalidCharacters, DialogField::HomeUrl);
    }
    return FieldCheck::Pass();
}

FieldCheck CheckFavouriteNodeFields(const std::string& title, const std::string& homeUrl) {
    if (title.empty()) {
        return FieldCheck::Fail(kEnterChannelName, DialogField::Title);
    }
    if (!homeUrl.empty() && HasInvalidCharacters(homeUrl)) {
        return FieldCheck::Fail(kInvalidCharacters, DialogField::HomeUrl);
    }
    if (HasInvalidCharacters(title)) {
        return FieldCheck::Fail(kInvalidCharacters, DialogField::Title);
    }
    return FieldCheck::Pass();
}

FieldCheck CheckFavouriteItemFields(const std::string& title, const std::string& link,
                                    const std::string& time, const std::string& author,
                                    const std::string& summary) {
    if (title.empty()) {
        return FieldCheck::Fail(kEnterItemTitle, DialogField::Title);
    }
    if (link.empty()) {
        return FieldCheck::Fail(kEnterItemLink, DialogField::Link);
    }
    const std::pair<const std::string*, DialogField> fields[] = {
        {&title, DialogField::Title},     {&link, DialogField::Link},
        {&time, DialogField::Time},       {&author, DialogField::Author},
        {&summary, DialogField::Summary},
    };
    for (const auto& [text, field] : fields) {
        if (HasInvalidCharacters(*text)) {
            return FieldCheck::Fail(kItemIllegalCharacters, field);
        }
    }
    return FieldCheck::Pass();
}

FieldCheck CheckWizardFolder(const CChannelTree& tree, NodeId chosen, bool toRoot) {
    if (toRoot) {
        return FieldCheck::Pass();
    }
    std::optional<ChannelNode> node = tree.Node(chosen);
    if (!node || !node->IsFolder()) {
        return FieldCheck::Fail(kChooseFolder, DialogField::None);
    }
    return FieldCheck::Pass();
}

}  // namespace zirvo
