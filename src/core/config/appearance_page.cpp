#include "core/config/appearance_page.h"

#include <string>

#include "core/config/config_values.h"

namespace zirvo {

namespace {

// One value through the check of its key; `value` becomes what would be written.
bool CheckOne(const char* key, int& value, SettingsCheck& check) {
    std::string stored;
    check = CheckConfigValue(key, std::to_string(value), stored);
    if (!check.ok) {
        return false;
    }
    value = std::stoi(stored);
    return true;
}

}  // namespace

int ReadAppearancePage(CAppConfig& config, AppearancePageInput& out) {
    AppearanceSettings appearance;
    StartupSettings startup;
    if (!config.ReadAppearanceSettings(appearance) || !config.ReadStartupSettings(startup)) {
        return 0;
    }
    out.titleUnreadColor = appearance.titleUnreadColor;
    out.titleReadColor = appearance.titleReadColor;
    out.dateAndAuthorColor = appearance.dateAndAuthorColor;
    out.useBigTitleFont = appearance.useBigTitleFont;
    out.useBoldTitleFont = appearance.useBoldTitleFont;
    out.minimiseToTray = startup.enableMinimizeToNotifyArea;
    out.autoUpdate = startup.enableAutoUpdate;
    return 1;
}

SettingsCheck CheckAppearancePage(const AppearancePageInput& input, AppearanceSettings& appearance,
                                  StartupSettings& startup) {
    AppearanceSettings a{input.titleUnreadColor, input.titleReadColor, input.dateAndAuthorColor,
                         input.useBigTitleFont, input.useBoldTitleFont};
    StartupSettings s{input.autoUpdate, input.minimiseToTray};
    SettingsCheck check;
    if (!CheckOne("rss/titleunreadcolor", a.titleUnreadColor, check) ||
        !CheckOne("rss/titlereadcolor", a.titleReadColor, check) ||
        !CheckOne("rss/dateandauthorcolor", a.dateAndAuthorColor, check) ||
        !CheckOne("rss/usebigtitlefont", a.useBigTitleFont, check) ||
        !CheckOne("rss/useboldtitlefont", a.useBoldTitleFont, check) ||
        !CheckOne("rss/enableautoupdate", s.enableAutoUpdate, check) ||
        !CheckOne("rss/enableminimizetonotifyarea", s.enableMinimizeToNotifyArea, check)) {
        return check;
    }
    appearance = a;
    startup = s;
    return check;
}

int CommitAppearancePage(CAppConfig& config, const AppearancePageInput& input,
                         SettingsCheck& check) {
    AppearanceSettings appearance;
    StartupSettings startup;
    check = CheckAppearancePage(input, appearance, startup);
    if (!check.ok) {
        return 0;
    }
    return config.WriteAppearanceSettings(appearance) && config.WriteStartupSettings(startup) ? 1
                                                                                              : 0;
}

}  // namespace zirvo
