#include "core/accounts/account_registry.h"

#include <functional>
#include <utility>

#include "core/accounts/account_messages.h"
#include "core/accounts/account_rules.h"
#include "core/accounts/password_scramble.h"
#include "core/util/strings.h"
#include "core/util/xml_document.h"

namespace zirvo {
namespace {

constexpr const char* kPasswordKey = "password";

// A key names one child element of the account directly; anything that would make it a path
// (slashes, predicates, axes) is refused rather than evaluated.
bool IsElementKey(const std::string& key) {
    if (key.empty()) {
        return false;
    }
    for (char c : key) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '_' || c == '-';
        if (!ok) {
            return false;
        }
    }
    return true;
}

// One child element of an account, bound to a record field for reading.
struct ReadField {
    const char* element;
    std::function<void(const std::string&)> store;
};

ReadField Text(const char* element, std::string& target) {
    return {element, [&target](const std::string& text) { target = text; }};
}

ReadField Number(const char* element, int& target) {
    return {element, [&target](const std::string& text) { target = ToInt(text); }};
}

ReadField Password(const char* element, std::string& target) {
    return {element, [&target](const std::string& text) { target = UnscramblePassword(text); }};
}

// Reads the fields in order below `account`; stops at the first missing element.
bool ReadFields(XmlNode account, const std::vector<ReadField>& fields) {
    for (const ReadField& field : fields) {
        XmlNode node = account.SelectNode(field.element);
        if (node.IsNull()) {
            return false;
        }
        field.store(node.Text());
    }
    return true;
}

// Sets every element only once all of them were found, so a missing one changes nothing.
bool WriteFields(XmlNode account, const std::vector<std::pair<const char*, std::string>>& fields) {
    std::vector<XmlNode> nodes;
    for (const auto& [element, value] : fields) {
        XmlNode node = account.SelectNode(element);
        if (node.IsNull()) {
            return false;
        }
        nodes.push_back(node);
    }
    for (size_t i = 0; i < nodes.size(); ++i) {
        nodes[i].SetText(fields[i].second);
    }
    return true;
}

}  // namespace

XmlNode FindAccountElement(const CXmlDocument& doc, const std::string& name) {
    for (XmlNode account : doc.SelectNodes("/accounts/account")) {
        XmlNode nameNode = account.FirstChild("name");
        if (nameNode && nameNode.Text() == name) {
            return account;
        }
    }
    return {};
}

CAccountRegistry::CAccountRegistry(std::string path, CErrorMsgDialog& messages)
    : m_path(std::move(path)), m_messages(messages) {}

bool CAccountRegistry::Load(CXmlDocument& doc) {
    if (!doc.LoadFile(m_path)) {
        m_messages.ShowById(kMsgUserConfigUnreadable);
        return false;
    }
    return true;
}

bool CAccountRegistry::Save(const CXmlDocument& doc, int failureNumber) {
    if (!doc.SaveFile(m_path)) {
        m_messages.ShowById(failureNumber);
        return false;
    }
    return true;
}

bool CAccountRegistry::NameTakenByOther(const CXmlDocument& doc, const std::string& newName,
                                        const std::string& except) {
    if (newName == except || FindAccountElement(doc, newName).IsNull()) {
        return false;
    }
    m_messages.ShowMessageBox(kTextDuplicateAccount);
    return true;
}

int CAccountRegistry::AddAccount(const NewAccount& account) {
    // Every way of creating an account passes these rules, not only the wizard's pages.
    RuleResult check = CheckAccountNameText(account.name);
    if (!check.Ok()) {
        m_messages.ShowMessageBox(check.message);
        return 0;
    }
    CXmlDocument doc;
    if (!Load(doc)) {
        return 0;
    }
    if (FindAccountElement(doc, account.name)) {
        m_messages.ShowMessageBox(kTextDuplicateAccount);
        return 0;
    }
    XmlNode accounts = doc.SelectNode("/accounts");
    if (accounts.IsNull()) {
        m_messages.ShowById(kMsgAccountElementMissing);
        return 0;
    }
    XmlNode node = accounts.AppendChild("account");
    node.AppendChild("expanded", "1");
    node.AppendChild("name", account.name);
    node.AppendChild("description", account.description);
    node.AppendChild("xmlrpcurl", account.xmlrpcUrl);
    node.AppendChild("port", account.port);
    node.AppendChild("blogapitype", account.apiType);
    node.AppendChild("username", account.userName);
    node.AppendChild("password", ScramblePassword(account.password));
    node.AppendChild("blogurl", account.blogUrl);
    node.AppendChild("encodetype", account.encodeType);
    node.AppendChild("getrecentpostsnum", "5");
    node.AppendChild("localloginverify", "0");
    node.AppendChild("accountpassword", account.accountPassword);
    node.AppendChild("normalexit", "1");
    node.AppendChild("autosavetime", "50000");
    node.AppendChild("editorindex", "\\Data\\Editor\\默认\\index.html");
    node.AppendChild("editorinputfun", "HtmlTextIn");
    node.AppendChild("editoroutputfun", "HtmlTextOut");
    node.AppendChild("logxsl", "默认");
    node.AppendChild("wndposleft", "0");
    node.AppendChild("wndpostop", "0");
    node.AppendChild("wndposright", "0");
    node.AppendChild("wndposbottom", "0");
    node.AppendChild("relation");
    return Save(doc, kMsgAccountElementMissing) ? 1 : 0;
}

int CAccountRegistry::ReadAccount(const std::string& name, AccountInfo& out) {
    CXmlDocument doc;
    if (!Load(doc)) {
        return 0;
    }
    out.name = name;
    XmlNode account = FindAccountElement(doc, name);
    if (account.IsNull() ||
        !ReadFields(account, {Text("xmlrpcurl", out.xmlrpcUrl), Text("port", out.port),
                              Text("blogapitype", out.apiType), Text("username", out.userName),
                              Password("password", out.password), Text("blogurl", out.blogUrl),
                              Text("encodetype", out.encodeType),
                              Number("getrecentpostsnum", out.getRecentPostsNum),
                              Text("description", out.description)})) {
        m_messages.ShowById(kMsgAccountElementMissing);
        return 0;
    }
    return 1;
}

int CAccountRegistry::WriteAccount(const std::string& name, const AccountInfo& in,
                                   AccountNameWrite nameWrite) {
    bool rename = nameWrite == AccountNameWrite::kRename && in.name != name;
    if (rename) {
        RuleResult check = CheckAccountName(in.name);
        if (!check.Ok()) {
            m_messages.ShowMessageBox(check.message);
            return 0;
        }
    }
    CXmlDocument doc;
    if (!Load(doc)) {
        return 0;
    }
    if (rename && NameTakenByOther(doc, in.name, name)) {
        return 0;
    }
    std::vector<std::pair<const char*, std::string>> fields = {
        {"xmlrpcurl", in.xmlrpcUrl},
        {"port", in.port},
        {"blogapitype", in.apiType},
        {"username", in.userName},
        {"password", ScramblePassword(in.password)},
        {"blogurl", in.blogUrl},
        {"encodetype", in.encodeType}};
    if (nameWrite == AccountNameWrite::kRename) {
        fields.emplace_back("name", in.name);
    }
    XmlNode account = FindAccountElement(doc, name);
    if (account.IsNull() || !WriteFields(account, fields)) {
        m_messages.ShowById(kMsgAccountElementMissing);
        return 0;
    }
    return Save(doc, kMsgAccountElementMissing) ? 1 : 0;
}

int CAccountRegistry::ReadAccountValue(const std::string& name, const std::string& key,
                                       std::string& value) {
    CXmlDocument doc;
    if (!Load(doc)) {
        return 0;
    }
    XmlNode account = FindAccountElement(doc, name);
    ReadField field = key == kPasswordKey ? Password(key.c_str(), value) : Text(key.c_str(), value);
    if (account.IsNull() || !IsElementKey(key) || !ReadFields(account, {field})) {
        m_messages.ShowById(kMsgAccountElementMissing);
        return 0;
    }
    return 1;
}

int CAccountRegistry::WriteAccountValue(const std::string& name, const std::string& key,
                                        const std::string& value) {
    CXmlDocument doc;
    if (!Load(doc)) {
        return 0;
    }
    if (key == "name" && value != name) {
        RuleResult check = CheckAccountName(value);
        if (!check.Ok()) {
            m_messages.ShowMessageBox(check.message);
            return 0;
        }
        if (NameTakenByOther(doc, value, name)) {
            return 0;
        }
    }
    XmlNode account = FindAccountElement(doc, name);
    std::string text = key == kPasswordKey ? ScramblePassword(value) : value;
    // NOTE: an element with element children (the relation list) is not a value: setting its
    // text would wipe the list.
    XmlNode target = account && IsElementKey(key) ? account.FirstChild(key.c_str()) : XmlNode();
    if (target.IsNull() || target.FirstChild() || !WriteFields(account, {{key.c_str(), text}})) {
        m_messages.ShowById(kMsgAccountElementMissing);
        return 0;
    }
    return Save(doc, kMsgAccountElementMissing) ? 1 : 0;
}

int CAccountRegistry::ListAccounts(std::vector<AccountListEntry>& out) {
    out.clear();
    CXmlDocument doc;
    if (!Load(doc)) {
        return 0;
    }
    for (XmlNode account : doc.SelectNodes("/accounts/account")) {
        AccountListEntry entry;
        if (!ReadFields(account,
                        {Text("name", entry.name), Text("description", entry.description),
                         Text("blogapitype", entry.apiType),
                         Number("localloginverify", entry.localLoginVerify),
                         Text("accountpassword", entry.accountPassword),
                         Text("blogurl", entry.blogUrl), Number("expanded", entry.expanded)})) {
            m_messages.ShowById(kMsgAccountElementMissing);
            return 0;
        }
        out.push_back(std::move(entry));
    }
    return 1;
}

int CAccountRegistry::ListAccountNames(std::vector<std::string>& out) {
    out.clear();
    CXmlDocument doc;
    if (!Load(doc)) {
        return 0;
    }
    for (XmlNode account : doc.SelectNodes("/accounts/account")) {
        XmlNode nameNode = account.FirstChild("name");
        if (nameNode.IsNull()) {
            m_messages.ShowById(kMsgAccountElementMissing);
            return 0;
        }
        out.push_back(nameNode.Text());
    }
    return 1;
}

int CAccountRegistry::SetAccountExpanded(int position, int value) {
    CXmlDocument doc;
    if (!Load(doc)) {
        return 0;
    }
    XmlNode node;
    if (position >= 0) {
        node = doc.SelectNode(StrFormat("/accounts/account[%d]/expanded", position));
    }
    if (node.IsNull()) {
        m_messages.ShowById(kMsgAccountElementMissing);
        return 0;
    }
    node.SetText(StrFormat("%d", value));
    return Save(doc, kMsgAccountElementMissing) ? 1 : 0;
}

int CAccountRegistry::ReadLoginSettings(const std::string& name, LoginSettings& out) {
    CXmlDocument doc;
    if (!Load(doc)) {
        return 0;
    }
    out.expectedPassword.clear();
    XmlNode account = FindAccountElement(doc, name);
    bool ok = account && ReadFields(account, {Number("localloginverify", out.mode)});
    if (ok && out.mode == kLoginBlogPassword) {
        ok = ReadFields(account, {Password("password", out.expectedPassword)});
    } else if (ok && out.mode == kLoginLocalPassword) {
        ok = ReadFields(account, {Text("accountpassword", out.expectedPassword)});
    }
    if (!ok) {
        m_messages.ShowById(kMsgAccountElementMissing);
        return 0;
    }
    return 1;
}

int CAccountRegistry::WriteLoginSettings(const std::string& name, int mode,
                                         const std::string& accountPassword) {
    CXmlDocument doc;
    if (!Load(doc)) {
        return 0;
    }
    std::vector<std::pair<const char*, std::string>> fields = {
        {"localloginverify", StrFormat("%d", mode)}};
    if (mode != kLoginOff) {
        fields.emplace_back("accountpassword", accountPassword);
    }
    XmlNode account = FindAccountElement(doc, name);
    if (account.IsNull() || !WriteFields(account, fields)) {
        m_messages.ShowById(kMsgAccountElementMissing);
        return 0;
    }
    return Save(doc, kMsgAccountElementMissing) ? 1 : 0;
}

int CAccountRegistry::ReadRelations(const std::string& name, std::vector<std::string>& out) {
    out.clear();
    CXmlDocument doc;
    if (!Load(doc)) {
        return 0;
    }
    XmlNode account = FindAccountElement(doc, name);
    if (account.IsNull()) {
        m_messages.ShowById(kMsgAccountElementMissing);
        return 0;
    }
    for (XmlNode entry : account.SelectNodes("relation/accountname")) {
        out.push_back(entry.Text());
    }
    return 1;
}

int CAccountRegistry::WriteRelations(const std::string& name,
                                     const std::vector<std::string>& names) {
    CXmlDocument doc;
    if (!Load(doc)) {
        return 0;
    }
    XmlNode account = FindAccountElement(doc, name);
    XmlNode relation = account ? account.FirstChild("relation") : XmlNode();
    if (relation.IsNull()) {
        m_messages.ShowById(kMsgAccountElementMissing);
        return 0;
    }
    relation.Remove();
    relation = account.AppendChild("relation");
    for (const std::string& other : names) {
        relation.AppendChild("accountname", other);
    }
    return Save(doc, kMsgAccountElementMissing) ? 1 : 0;
}

int CAccountRegistry::ReadEditorWindowPos(const std::string& name, EditorWindowPos& out) {
    CXmlDocument doc;
    if (!Load(doc)) {
        return 0;
    }
    XmlNode account = FindAccountElement(doc, name);
    if (account.IsNull() ||
        !ReadFields(account,
                    {Number("wndposleft", out.left), Number("wndpostop", out.top),
                     Number("wndposright", out.right), Number("wndposbottom", out.bottom)})) {
        m_messages.ShowById(kMsgAccountElementMissing);
        return 0;
    }
    return 1;
}

int CAccountRegistry::WriteEditorWindowPos(const std::string& name, const EditorWindowPos& pos) {
    CXmlDocument doc;
    if (!Load(doc)) {
        return 0;
    }
    XmlNode account = FindAccountElement(doc, name);
    if (account.IsNull() ||
        !WriteFields(account, {{"wndposleft", StrFormat("%d", pos.left)},
                               {"wndpostop", StrFormat("%d", pos.top)},
                               {"wndposright", StrFormat("%d", pos.right)},
                               {"wndposbottom", StrFormat("%d", pos.bottom)}})) {
        m_messages.ShowById(kMsgAccountElementMissing);
        return 0;
    }
    return Save(doc, kMsgAccountElementMissing) ? 1 : 0;
}

int CAccountRegistry::DeleteAccount(const std::string& name) {
    CXmlDocument doc;
    if (!Load(doc)) {
        return 0;
    }
    XmlNode account = FindAccountElement(doc, name);
    if (account.IsNull()) {
        m_messages.ShowById(kMsgAccountDeleteFailed);
        return 0;
    }
    account.Remove();
    for (XmlNode entry : doc.SelectNodes("//accountname")) {
        if (entry.Text() == name) {
            entry.Remove();
        }
    }
    return Save(doc, kMsgAccountDeleteFailed) ? 1 : 0;
}

}  // namespace zirvo
