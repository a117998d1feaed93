#include "core/accounts/account_rules.h"

#include <cctype>

#include "core/accounts/account_messages.h"
#include "core/util/strings.h"
#include "core/util/text_codec.h"

namespace zirvo {
namespace {

enum class NameText { kBlank, kBroken, kUsable };

// Whether a name holds anything but blanks, and whether it is sound UTF-8 without control
// characters: a name becomes a file name, an XML text and the articles' author, and a control
// character or a broken byte there cannot be shown, typed again or found.
NameText ClassifyName(std::string_view name) {
    bool blank = true;
    size_t pos = 0;
    while (pos < name.size()) {
        char32_t cp = 0;
        size_t length = DecodeUtf8Char(name, pos, cp);
        if (length == 0) {
            return NameText::kBroken;
        }
        bool replacement = cp == 0xFFFD && name.substr(pos, length) != "\xEF\xBF\xBD";
        if (replacement || cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == 0x2028 ||
            cp == 0x2029) {
            return NameText::kBroken;
        }
        if (cp != ' ' && cp != 0xA0 && cp != 0x3000 && !(cp >= 0x2000 && cp <= 0x200B) &&
            cp != 0xFEFF) {
            blank = false;
        }
        pos += length;
    }
    return blank ? NameText::kBlank : NameText::kUsable;
}

}  // namespace

RuleResult CheckAccountNameText(std::string_view name) {
    NameText text = ClassifyName(name);
    if (text == NameText::kBlank) {
        return RuleResult::Fail(kTextEnterAccountName, AccountField::kName);
    }
    if (text == NameText::kBroken) {
        return RuleResult::Fail(kTextIllegalNameCharacter, AccountField::kName);
    }
    return RuleResult::Pass();
}

RuleResult CheckAccountName(std::string_view name) {
    RuleResult text = CheckAccountNameText(name);
    if (!text.Ok()) {
        return text;
    }
    if (name.find_first_of(kForbiddenNameCharacters) != std::string_view::npos) {
        return RuleResult::Fail(kTextIllegalNameCharacter, AccountField::kName);
    }
    if (Gb18030Length(name) > kMaxAccountNameBytes) {
        return RuleResult::Fail(kTextNameTooLong, AccountField::kName);
    }
    return RuleResult::Pass();
}

RuleResult CheckAccountDescription(std::string_view description) {
    if (description.empty()) {
        return RuleResult::Fail(kTextEnterDescription, AccountField::kDescription);
    }
    return RuleResult::Pass();
}

RuleResult CheckAccountStep1(std::string_view name, std::string_view description) {
    RuleResult result = CheckAccountName(name);
    if (!result.Ok()) {
        return result;
    }
    return CheckAccountDescription(description);
}

RuleResult CheckEndpoint(std::string_view xmlrpcUrl, std::string_view port) {
    if (xmlrpcUrl.empty()) {
        return RuleResult::Fail(kTextEnterXmlRpcUrl, AccountField::kXmlRpcUrl);
    }
    if (port.empty()) {
        return RuleResult::Fail(kTextEnterPort, AccountField::kPort);
    }
    // NOTE: text that is not a whole number is refused too; read as atoi would, "8o" would
    // have become port 8 without a word.
    long long value = 0;
    if (!ParseInt(port, value) || value < 0 || value > 65535) {
        return RuleResult::Fail(kTextInvalidPort, AccountField::kPort);
    }
    return RuleResult::Pass();
}

std::string PortAfterEndpointChange(std::string_view xmlrpcUrl, std::string_view currentPort) {
    if (ToLowerAscii(xmlrpcUrl.substr(0, 5)) == "https") {
        return "443";
    }
    return std::string(currentPort);
}

RuleResult CheckCredentials(std::string_view userName, std::string_view password) {
    if (userName.empty()) {
        return RuleResult::Fail(kTextEnterUserName, AccountField::kUserName);
    }
    if (password.empty()) {
        return RuleResult::Fail(kTextEnterPassword, AccountField::kPassword);
    }
    return RuleResult::Pass();
}

RuleResult CheckNewAccount(const NewAccount& account) {
    RuleResult result = CheckAccountStep1(account.name, account.description);
    if (result.Ok()) {
        result = CheckEndpoint(account.xmlrpcUrl, account.port);
    }
    if (result.Ok()) {
        result = CheckCredentials(account.userName, account.password);
    }
    return result;
}

RuleResult CheckConnectionPage(std::string_view xmlrpcUrl, std::string_view userName,
                               std::string_view password) {
    if (xmlrpcUrl.empty()) {
        return RuleResult::Fail(kTextEnterXmlRpcUrl, AccountField::kXmlRpcUrl);
    }
    return CheckCredentials(userName, password);
}

RuleResult CheckRecentPostsNum(long long count) {
    if (count < 1 || count > 999) {
        return RuleResult::Fail(kTextRecentPostsRange, AccountField::kRecentPostsNum);
    }
    return RuleResult::Pass();
}

RuleResult CheckRecentPostsNumText(std::string_view text) {
    long long value = 0;
    if (!ParseInt(text, value)) {
        return RuleResult::Fail(kTextRecentPostsRange, AccountField::kRecentPostsNum);
    }
    return CheckRecentPostsNum(value);
}

}  // namespace zirvo

namespace zirvo {

std::string MyBlogAddress(const std::string& blogUrl) {
    std::string lower;
    for (char ch : blogUrl) {
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    }
    if (lower.empty() || lower == "http://") {
        return kDefaultBlogServiceAddress;
    }
    return blogUrl;
}

}  // namespace zirvo
