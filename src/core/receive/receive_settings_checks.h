#pragma once
// The rules of the receive and storage settings pages, the channel storage page, the folder
// batch settings and the cleaning wizard, stated without widgets, with their exact messages;
// and the two texts a receive shows (new-item notice, status line).
//
// Each check returns ok, or the message to show and the field that gets the focus; the page
// stays open and nothing is written when a check fails.
//
// Threading: pure functions; any thread.

#include <string>

#include "core/config/app_config.h"
#include "core/config/settings_check.h"

namespace zirvo {

// The values of the general page ("常规", receive part) as the widgets hold them.
struct GeneralPageInput {
    int startupAutoReceive = 0;
    int clickChannelAutoReceive = 0;
    int switchChannelAutoMakeRead = 0;
    int autoReceive = 0;
    int whenExitRememberUnreadNum = 0;
    int autoReceiveType = 0;  // 0 "根据RssRank自动更新", 1 "每隔分钟"
    std::string minutesText;  // the editable drop-down ("10", "15", "30", "60", "90")
    int pageSize = 50;
};

// Minutes (integer value of the text, atoi-like) must lie in 5..1440, then the page size in
// 30..1000. On success `out` holds the record to write.
SettingsCheck CheckGeneralPage(const GeneralPageInput& input, ReceiveSettings& out);

// The global storage page ("存储"): `countText` must read (atoi-like) as 10..16000000, then a
// radio must be chosen (`radioType` 1, 2 or 3; 0 = none). On success `out` holds the record.
SettingsCheck CheckStoragePage(const std::string& countText, int radioType, StorageSettings& out);

// The channel storage page and the storage group of the folder batch settings: the count check
// as above; with own settings on a radio must be chosen. Storage type 0 (global) when own
// settings are off, else the radio's type.
SettingsCheck CheckChannelStoragePage(bool ownSettings, const std::string& countText, int radioType,
                                      int& storageType, int& storageNum);

// The cleaning wizard's days: a whole number 0..365. NOTE: unlike the other fields, text that
// is not a number is refused rather than read as 0, because 0 days empties the channels.
SettingsCheck CheckCleaningDays(const std::string& text, int& days);

// The RssRank drop-down: the first entry ("按权重更新此频道") is flag 0, the second ("总是更新此
// 频道") flag 5.
int RssRankFromChoice(int choiceIndex);
int RssRankChoice(int rssRank);

// The new-item notice: caption + "\r\n有 " + count + " 个更新".
std::string FormatNewItemNotice(const std::string& caption, int unread);
// The status line while a folder walk receives a channel: " 正在更新: " + path + " . . .",
// the path being the captions from the top-level folder down joined by " → ".
std::string FormatReceiveStatus(const std::string& pathCaption);

}  // namespace zirvo
