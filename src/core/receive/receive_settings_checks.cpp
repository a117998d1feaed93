#include "core/receive/receive_settings_checks.h"

#include "core/util/strings.h"

namespace zirvo {
namespace {

SettingsCheck Refuse(const char* message, SettingsField focus) {
    return RefuseSetting(message, focus);
}

bool StorageCountOk(const std::string& countText, int& count) {
    count = ToInt(countText);
    return count >= 10 && count <= 16000000;
}

}  // namespace

SettingsCheck CheckGeneralPage(const GeneralPageInput& input, ReceiveSettings& out) {
    int minutes = ToInt(input.minutesText);
    if (minutes < 5 || minutes > 1440) {
        return Refuse(kMsgMinutesRange, SettingsField::Minutes);
    }
    if (input.pageSize < 30 || input.pageSize > 1000) {
        return Refuse(kMsgPageSizeRange, SettingsField::PageSize);
    }
    out.startupAutoReceive = input.startupAutoReceive;
    out.autoReceive = input.autoReceive;
    out.autoReceiveType = input.autoReceiveType;
    out.autoReceiveTime = minutes;
    out.clickChannelAutoReceive = input.clickChannelAutoReceive;
    out.switchChannelAutoMakeRead = input.switchChannelAutoMakeRead;
    out.whenExitRememberUnreadNum = input.whenExitRememberUnreadNum;
    out.paginationNum = input.pageSize;
    return {};
}

SettingsCheck CheckStoragePage(const std::string& countText, int radioType, StorageSettings& out) {
    int count = 0;
    if (!StorageCountOk(countText, count)) {
        return Refuse(kMsgBadStorageCount, SettingsField::StorageCount);
    }
    if (radioType < 1 || radioType > 3) {
        return Refuse(kMsgChooseSetting, SettingsField::StorageType);
    }
    out.storageType = radioType;
    out.storageNum = count;
    return {};
}

SettingsCheck CheckChannelStoragePage(bool ownSettings, const std::string& countText, int radioType,
                                      int& storageType, int& storageNum) {
    int count = 0;
    if (!StorageCountOk(countText, count)) {
        return Refuse(kMsgBadStorageCount, SettingsField::StorageCount);
    }
    if (ownSettings && (radioType < 1 || radioType > 3)) {
        return Refuse(kMsgChooseSetting, SettingsField::StorageType);
    }
    storageType = ownSettings ? radioType : 0;
    storageNum = count;
    return {};
}

SettingsCheck CheckCleaningDays(const std::string& text, int& days) {
    long long value = 0;
    if (!ParseInt(Trim(text), value) || value < 0 || value > 365) {
        return Refuse(kMsgCleaningDays, SettingsField::CleaningDays);
    }
    days = static_cast<int>(value);
    return {};
}

int RssRankFromChoice(int choiceIndex) {
    return choiceIndex == 0 ? 0 : 5;
}

int RssRankChoice(int rssRank) {
    return rssRank == 0 ? 0 : 1;
}

std::string FormatNewItemNotice(const std::string& caption, int unread) {
    return caption + "\r\n有 " + StrFormat("%d", unread) + " 个更新";
}

std::string FormatReceiveStatus(const std::string& pathCaption) {
    return " 正在更新: " + pathCaption + " . . .";
}

}  // namespace zirvo
