#pragma once
// The field checks of the subscription dialogs and wizards (add channel, add folder, channel and
// folder properties, favourite node, favourite item by hand) as plain functions: each returns
// the first message the dialog shows and the field that then gets the focus, or success.
//
// Input that goes into OPML attributes or file names must not contain '<' or '>'. A feed address
// must be an http:// or https:// address with a host and without blanks or control characters:
// fetching it must never read a local file (file:) or reach another kind of service.
//
// Threading: pure functions; any thread.

#include <string>

#include "core/subscriptions/channel_tree.h"

namespace zirvo {

enum class DialogField {
    None,
    Title,    // channel title, folder name, favourite node or item title
    FeedUrl,  // RSS address
    HomeUrl,  // home page, folder URL
    Link,     // favourite item link
    Time,     // favourite item time
    Author,   // favourite item author
    Summary,  // favourite item summary
};

struct FieldCheck {
    bool ok = true;
    std::string message;  // empty when ok
    DialogField field = DialogField::None;

    static FieldCheck Pass() { return {}; }
    static FieldCheck Fail(std::string text, DialogField focus) {
        return {false, std::move(text), focus};
    }
};

inline constexpr const char* kEnterFeedUrl = "请输入RSS地址";
inline constexpr const char* kEnterChannelName = "请输入频道名称";
inline constexpr const char* kEnterFolderName = "请输入目录名称";
inline constexpr const char* kInvalidCharacters = "您输入了无效的字符!";
inline constexpr const char* kFeedUrlNotWeb = "RSS地址必须是以 http:// 或 https:// 开头的网络地址!";
inline constexpr const char* kEnterItemTitle = "请输入标题";
inline constexpr const char* kEnterItemLink = "请输入链接";
inline constexpr const char* kItemIllegalCharacters = "含有不合法的字符 '<' 或 '>'!";
inline constexpr const char* kChooseFolder = "请选择一个目录!";
inline constexpr const char* kNoTitleFromAddress = "无法获取标题!";
// Prefix of the message for an address that the tree already holds; the node's path follows.
inline constexpr const char* kAlreadySubscribed = "该频道已经订阅: ";

// The longest caption a tree takes from outside text (a feed's title, an imported file): a
// title of megabytes would make every later save of the tree's file a write of megabytes.
inline constexpr size_t kMaxCaptionBytes = 1024;

bool HasInvalidCharacters(const std::string& text);  // '<' or '>'

// The longest prefix of `text` of at most `maxBytes` bytes that ends between two characters.
std::string CutAtCharacter(const std::string& text, size_t maxBytes);
// A caption from outside text: blanks and line breaks around and inside it become one blank,
// then it is cut to kMaxCaptionBytes on a character boundary.
std::string CaptionFromText(const std::string& text);
// http:// or https:// (any letter case) followed by a host; no blank or control character
// anywhere (a blank in an address is written %20).
bool IsWebAddress(const std::string& url);

// The clipboard text that prefills a new channel's RSS address: at most 512 characters and
// holding "http:" (or "https:") in any letter case.
bool ShouldPrefillFromClipboard(const std::string& clipboardText);

// "从地址获取": the address may be fetched for its title.
FieldCheck CheckFetchAddress(const std::string& feedUrl);
// OK of the add-channel dialog and the channel properties' General page: address empty, title
// empty, '<' or '>' in the address, in a non-empty home page, in the title, then the address
// kind.
FieldCheck CheckChannelFields(const std::string& title, const std::string& feedUrl,
                              const std::string& homeUrl);
// Edit of an existing channel (properties' General page): as CheckChannelFields, except that
// the address kind is checked only when the address differs from `oldFeedUrl`.
FieldCheck CheckChannelEdit(const std::string& title, const std::string& feedUrl,
                            const std::string& homeUrl, const std::string& oldFeedUrl);
// Whether another channel of `tree` (other than `self`, the channel being edited) has the
// address already. The tree allows it (both nodes share the address's feed_data row, and a
// delete keeps a row still used elsewhere); a front end may use the message as a warning.
FieldCheck CheckNotSubscribed(const CChannelTree& tree, const std::string& feedUrl,
                              NodeId self = kNoNode);
// The checks every subscription outline passes, whether it comes from the add dialogs or from
// an imported list: CheckChannelFields for a channel, CheckFolderFields for a folder (empty
// `feedUrl`).
FieldCheck CheckOutlineFields(const std::string& caption, const std::string& feedUrl,
                              const std::string& homeUrl);
// Add-folder dialog and folder properties: name empty, '<' or '>' in the name or a non-empty
// URL.
FieldCheck CheckFolderFields(const std::string& name, const std::string& url);
// New favourite node (the add dialog without the RSS address): title empty, '<' or '>' in a
// non-empty home page or the title.
FieldCheck CheckFavouriteNodeFields(const std::string& title, const std::string& homeUrl);
// "添加RSS收藏项": title empty, link empty, then '<' or '>' in title, link, time, author,
// summary.
FieldCheck CheckFavouriteItemFields(const std::string& title, const std::string& link,
                                    const std::string& time, const std::string& author,
                                    const std::string& summary);
// The wizard's folder page: unticked "添加到根节点" needs a folder.
FieldCheck CheckWizardFolder(const CChannelTree& tree, NodeId chosen, bool toRoot);

}  // namespace zirvo
