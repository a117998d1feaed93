#pragma once
// The new-account wizard's record and page logic without widgets: what each page shows when it
// becomes active, what choosing a preset or typing an endpoint changes, the check run when
// "下一步 >" is pressed, the confirmation rows of step 5 and the account "完成" creates.
//
// Threading: a value owned by the wizard; one thread at a time.

#include <string>
#include <utility>
#include <vector>

#include "core/accounts/account_records.h"
#include "core/accounts/account_rules.h"
#include "core/accounts/bsp_presets.h"

namespace zirvo {

class CAccountRegistry;

// The lists of step 2, in display order; the first entry of each is selected at first.
inline constexpr const char* kWizardApiTypes[] = {"MetaWeblog", "Blogger", "MSN Spaces",
                                                  "MovableType"};
inline constexpr const char* kWizardEncodings[] = {"UTF-8", "GB2312"};
// The same lists on the settings sheet's connection page.
inline constexpr const char* kSettingsApiTypes[] = {"Blogger", "MetaWeblog", "MSN Spaces",
                                                    "MovableType"};
inline constexpr const char* kSettingsEncodings[] = {"GB2312", "UTF-8"};

enum class WizardPage { kWelcome = 0, kStep1, kStep2, kStep3, kStep4, kStep5 };

struct WizardRecord {
    std::string name;
    std::string description;
    std::string apiType = kApiMetaWeblog;
    std::string encodeType = kEncodeUtf8;
    std::string xmlrpcUrl = kDefaultEndpoint;
    std::string port = kDefaultPort;
    std::string userName;
    std::string password;
    std::string blogUrl;
    // The endpoint of the preset chosen in step 2, filled into step 3 when it becomes active.
    bool hasPresetEndpoint = false;
    std::string presetUrl;
    std::string presetPort;
};

// The caption of the wizard's header for a page (empty for the welcome page).
const char* WizardCaption(WizardPage page);

// Step 2: choosing entry `index` of LoadBspPresets' list. Entry 0 forgets the preset endpoint;
// another entry selects its type and encoding and remembers its endpoint and port.
void ChoosePreset(WizardRecord& record, const std::vector<BspPreset>& presets, size_t index);
// Step 3 becoming active: "MSN Spaces" gets its fixed secure endpoint and port 443; otherwise a
// remembered preset endpoint and port are filled in.
void ActivateEndpointPage(WizardRecord& record);
// The endpoint field changed: stores it and applies the "https" rule to the port.
void SetEndpointText(WizardRecord& record, const std::string& text);

// The check of "下一步 >" (or "完成") on a page.
RuleResult CheckWizardPage(const WizardRecord& record, WizardPage page);

// Step 5's rows ("选项", "设置") in display order.
std::vector<std::pair<std::string, std::string>> ConfirmationRows(const WizardRecord& record);

NewAccount ToNewAccount(const WizardRecord& record);

// "完成": every page's check, then AddAccount. A failed check is shown as a message box.
// Returns 1 when the account was created.
int FinishWizard(CAccountRegistry& registry, const WizardRecord& record);

}  // namespace zirvo
