#include "core/accounts/new_account_wizard.h"

#include "core/accounts/account_messages.h"
#include "core/accounts/account_registry.h"

namespace zirvo {

const char* WizardCaption(WizardPage page) {
    switch (page) {
        case WizardPage::kWelcome:
            return "";
        case WizardPage::kStep1:
            return kTextWizardStep1;
        case WizardPage::kStep2:
            return kTextWizardStep2;
        case WizardPage::kStep3:
            return kTextWizardStep3;
        case WizardPage::kStep4:
            return kTextWizardStep4;
        case WizardPage::kStep5:
            return kTextWizardStep5;
    }
    return "";
}

void ChoosePreset(WizardRecord& record, const std::vector<BspPreset>& presets, size_t index) {
    if (index == 0 || index >= presets.size()) {
        record.hasPresetEndpoint = false;
        record.presetUrl.clear();
        record.presetPort.clear();
        return;
    }
    const BspPreset& preset = presets[index];
    record.apiType = preset.apiType;
    record.encodeType = preset.encodeType;
    record.hasPresetEndpoint = true;
    record.presetUrl = preset.xmlrpcUrl;
    record.presetPort = preset.port;
}

void ActivateEndpointPage(WizardRecord& record) {
    if (record.apiType == kApiMsnSpaces) {
        record.xmlrpcUrl = kMsnSpacesEndpoint;
        record.port = kMsnSpacesPort;
    } else if (record.hasPresetEndpoint) {
        SetEndpointText(record, record.presetUrl);
        record.port = record.presetPort;
    }
}

void SetEndpointText(WizardRecord& record, const std::string& text) {
    record.xmlrpcUrl = text;
    record.port = PortAfterEndpointChange(text, record.port);
}

RuleResult CheckWizardPage(const WizardRecord& record, WizardPage page) {
    switch (page) {
        case WizardPage::kStep1:
            return CheckAccountStep1(record.name, record.description);
        case WizardPage::kStep3:
            return CheckEndpoint(record.xmlrpcUrl, record.port);
        case WizardPage::kStep4:
            return CheckCredentials(record.userName, record.password);
        case WizardPage::kWelcome:
        case WizardPage::kStep2:
        case WizardPage::kStep5:
            break;
    }
    return RuleResult::Pass();
}

std::vector<std::pair<std::string, std::string>> ConfirmationRows(const WizardRecord& record) {
    return {{"账户名", record.name},       {"账户描述", record.description},
            {"XML-RPC", record.xmlrpcUrl}, {"端口号", record.port},
            {"服务类型", record.apiType},  {"编码类型", record.encodeType},
            {"用户名", record.userName},   {"博客地址", record.blogUrl}};
}

NewAccount ToNewAccount(const WizardRecord& record) {
    NewAccount account;
    account.name = record.name;
    account.description = record.description;
    account.xmlrpcUrl = record.xmlrpcUrl;
    account.port = record.port;
    account.apiType = record.apiType;
    account.userName = record.userName;
    account.password = record.password;
    account.blogUrl = record.blogUrl;
    account.encodeType = record.encodeType;
    // The wizard has no field for the local account password: it starts empty.
    return account;
}

int FinishWizard(CAccountRegistry& registry, const WizardRecord& record) {
    NewAccount account = ToNewAccount(record);
    RuleResult check = CheckNewAccount(account);
    if (!check.Ok()) {
        registry.Messages().ShowMessageBox(check.message);
        return 0;
    }
    return registry.AddAccount(account);
}

}  // namespace zirvo
