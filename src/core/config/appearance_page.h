#pragma once
// The rules of the reader options' appearance page ("外观"): the article list's three colours and
// two title fonts (/app/rss/titleunreadcolor, titlereadcolor, dateandauthorcolor,
// usebigtitlefont, useboldtitlefont) and the two start-up flags
// (/app/rss/enableminimizetonotifyarea, enableautoupdate). The window owns the widgets; the checks
// are the config layer's, so zirvo-cli config refuses what the page refuses.
//
// Threading: CheckAppearancePage is pure; CommitAppearancePage writes the file on the caller's
// thread.

#include "core/config/app_config.h"
#include "core/config/settings_check.h"

namespace zirvo {

inline constexpr char kAppearancePageTitle[] = "外观";

// The page's values as the widgets hold them: colours as Windows RGB values (red in the low
// byte), the flags as 0 or 1.
struct AppearancePageInput {
    int titleUnreadColor = 0;
    int titleReadColor = 0;
    int dateAndAuthorColor = 0;
    int useBigTitleFont = 0;
    int useBoldTitleFont = 0;
    int minimiseToTray = 0;
    int autoUpdate = 0;
};

// The page as it opens: the file's values. 0 when a group cannot be read (message shown).
int ReadAppearancePage(CAppConfig& config, AppearancePageInput& out);

// On OK: each value through its key's check (colours 0..16777215 "颜色值需在 0~16777215 之间",
// flags "请输入 0 或 1"). On success the two records to write.
SettingsCheck CheckAppearancePage(const AppearancePageInput& input, AppearanceSettings& appearance,
                                  StartupSettings& startup);

// Checks and writes both groups; 0 when the check refused (nothing written) or a write failed
// (message 7000/7001 shown). `check` says which.
int CommitAppearancePage(CAppConfig& config, const AppearancePageInput& input,
                         SettingsCheck& check);

}  // namespace zirvo
