#include "core/accounts/account_registry.h"

#include <sys/resource.h>

#include <csignal>

#include "core/accounts/account_messages.h"
#include "core/accounts/password_scramble.h"
#include "core/util/xml_document.h"
#include "registry_fixture.h"

namespace zirvo {
namespace {

using Strings = std::vector<std::string>;

TEST_F(RegistryTest, AddAccountWritesEveryElementInOrderWithInitialValues) {
    ASSERT_EQ(m_registry.AddAccount(MakeAccount("home", "abc")), 1);
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(ConfigPath()));
    XmlNode account = doc.SelectNode("/accounts/account[0]");
    ASSERT_TRUE(account);
    Strings names;
    for (XmlNode child : account.Children()) {
        names.push_back(child.Name());
    }
    Strings expected{"expanded",
                     "name",
                     "description",
                     "xmlrpcurl",
                     "port",
                     "blogapitype",
                     "username",
                     "password",
                     "blogurl",
                     "encodetype",
                     "getrecentpostsnum",
                     "localloginverify",
                     "accountpassword",
                     "normalexit",
                     "autosavetime",
                     "editorindex",
                     "editorinputfun",
                     "editoroutputfun",
                     "logxsl",
                     "wndposleft",
                     "wndpostop",
                     "wndposright",
                     "wndposbottom",
                     "relation"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(Strings(std::begin(kAccountElements), std::end(kAccountElements)), expected);
    auto text = [&](const char* element) { return account.FirstChild(element).Text(); };
    EXPECT_EQ(text("expanded"), "1");
    EXPECT_EQ(text("password"), "DYGHEX");
    EXPECT_EQ(text("getrecentpostsnum"), "5");
    EXPECT_EQ(text("localloginverify"), "0");
    EXPECT_EQ(text("accountpassword"), "");
    EXPECT_EQ(text("normalexit"), "1");
    EXPECT_EQ(text("autosavetime"), "50000");
    EXPECT_EQ(text("editorindex"), "\\Data\\Editor\\默认\\index.html");
    EXPECT_EQ(text("editorinputfun"), "HtmlTextIn");
    EXPECT_EQ(text("editoroutputfun"), "HtmlTextOut");
    EXPECT_EQ(text("logxsl"), "默认");
    EXPECT_EQ(text("wndposbottom"), "0");
    EXPECT_FALSE(account.FirstChild("relation").FirstChild());
}

TEST_F(RegistryTest, ChineseAccountRoundTripsThroughReadAndList) {
    NewAccount account = MakeAccount("我的博客", "密码ab");
    account.description = "十个汉字的账户描述文字";
    ASSERT_EQ(m_registry.AddAccount(account), 1);
    ASSERT_EQ(m_registry.AddAccount(MakeAccount("第二")), 1);

    AccountInfo info;
    ASSERT_EQ(m_registry.ReadAccount("我的博客", info), 1);
    EXPECT_EQ(info.name, "我的博客");
    EXPECT_EQ(info.description, account.description);
    EXPECT_EQ(info.password, "密码ab");
    EXPECT_EQ(info.xmlrpcUrl, account.xmlrpcUrl);
    EXPECT_EQ(info.port, "80");
    EXPECT_EQ(info.apiType, "MetaWeblog");
    EXPECT_EQ(info.userName, account.userName);
    EXPECT_EQ(info.blogUrl, account.blogUrl);
    EXPECT_EQ(info.encodeType, "UTF-8");
    EXPECT_EQ(info.getRecentPostsNum, 5);

    std::vector<AccountListEntry> list;
    ASSERT_EQ(m_registry.ListAccounts(list), 1);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "我的博客");
    EXPECT_EQ(list[0].expanded, 1);
    EXPECT_EQ(list[0].localLoginVerify, 0);
    EXPECT_EQ(list[1].name, "第二");
    EXPECT_TRUE(m_reporter.Numbers().empty());
}

TEST_F(RegistryTest, MarkupAndQuotesInTextsDoNotBreakTheFile) {
    NewAccount account = MakeAccount("a&b<c>\"d'");
    account.description = "]]> & <tag> \"quoted\"";
    account.password = "p&<>\"'";
    ASSERT_EQ(m_registry.AddAccount(account), 1);
    ASSERT_EQ(m_registry.AddAccount(MakeAccount("other")), 1);
    ASSERT_EQ(m_registry.WriteRelations("other", {"a&b<c>\"d'"}), 1);

    AccountInfo info;
    ASSERT_EQ(m_registry.ReadAccount("a&b<c>\"d'", info), 1);
    EXPECT_EQ(info.description, account.description);
    EXPECT_EQ(info.password, account.password);
    // An account whose name only resembles it is not found.
    EXPECT_EQ(m_registry.ReadAccount("a&b<c>", info), 0);

    ASSERT_EQ(m_registry.DeleteAccount("a&b<c>\"d'"), 1);
    Strings relations;
    ASSERT_EQ(m_registry.ReadRelations("other", relations), 1);
    EXPECT_TRUE(relations.empty());
}

TEST_F(RegistryTest, DuplicateNameIsRefusedWithoutWriting) {
    ASSERT_EQ(m_registry.AddAccount(MakeAccount("Home")), 1);
    std::string before = ConfigBytes();
    EXPECT_EQ(m_registry.AddAccount(MakeAccount("Home", "other")), 0);
    EXPECT_EQ(m_reporter.MessageBoxes(), Strings{kTextDuplicateAccount});
    EXPECT_EQ(ConfigBytes(), before);
    // Names compare case-sensitively.
    EXPECT_EQ(m_registry.AddAccount(MakeAccount("home")), 1);
}

TEST_F(RegistryTest, BlankOrBrokenNamesAreRefusedWithoutWriting) {
    std::string before = ConfigBytes();
    EXPECT_EQ(m_registry.AddAccount(MakeAccount("  ")), 0);
    EXPECT_EQ(m_registry.AddAccount(MakeAccount("a\x01b")), 0);
    EXPECT_EQ(m_registry.AddAccount(MakeAccount("ab\xFE")), 0);
    EXPECT_EQ(m_reporter.MessageBoxes(), (Strings{kTextEnterAccountName, kTextIllegalNameCharacter,
                                                  kTextIllegalNameCharacter}));
    EXPECT_EQ(ConfigBytes(), before);
    ASSERT_EQ(m_registry.AddAccount(MakeAccount("good")), 1);
    EXPECT_EQ(m_registry.WriteAccountValue("good", "name", "\t"), 0);
    std::vector<AccountListEntry> list;
    ASSERT_EQ(m_registry.ListAccounts(list), 1);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].name, "good");
}

TEST_F(RegistryTest, MissingOrBrokenFileShows6000AndIsLeftAlone) {
    WriteConfig("<accounts><account><name>x</name>");
    std::string broken = ConfigBytes();
    AccountInfo info;
    std::vector<AccountListEntry> list;
    EXPECT_EQ(m_registry.ReadAccount("x", info), 0);
    EXPECT_EQ(m_registry.AddAccount(MakeAccount("y")), 0);
    EXPECT_EQ(m_registry.ListAccounts(list), 0);
    EXPECT_EQ(m_registry.DeleteAccount("x"), 0);
    EXPECT_EQ(m_reporter.Numbers(), (std::vector<int>{6000, 6000, 6000, 6000}));
    EXPECT_EQ(ConfigBytes(), broken);

    m_reporter.Clear();
    RemoveFile(ConfigPath());
    EXPECT_EQ(m_registry.WriteLoginSettings("x", 1, ""), 0);
    EXPECT_EQ(m_reporter.Numbers(), (std::vector<int>{6000}));
    EXPECT_FALSE(FileExists(ConfigPath()));
}

TEST_F(RegistryTest, MissingAccountOrElementShows6001AndKeepsValuesRead) {
    WriteConfig(
        "<accounts><account><name>bare</name><xmlrpcurl>http://h/x</xmlrpcurl><port>81</port>"
        "</account></accounts>");
    std::string before = ConfigBytes();
    AccountInfo info;
    EXPECT_EQ(m_registry.ReadAccount("bare", info), 0);
    EXPECT_EQ(info.xmlrpcUrl, "http://h/x");
    EXPECT_EQ(info.port, "81");
    EXPECT_EQ(m_registry.ReadAccount("nobody", info), 0);
    // The endpoint elements exist, but the write needs all seven: nothing may change.
    info.xmlrpcUrl = "http://changed/";
    EXPECT_EQ(m_registry.WriteAccount("bare", info), 0);
    EXPECT_EQ(m_registry.WriteEditorWindowPos("bare", EditorWindowPos{1, 2, 3, 4}), 0);
    EXPECT_EQ(m_registry.WriteRelations("bare", {"x"}), 0);
    EXPECT_EQ(m_registry.DeleteAccount("nobody"), 0);
    EXPECT_EQ(m_reporter.Numbers(), (std::vector<int>{6001, 6001, 6001, 6001, 6001, 6006}));
    EXPECT_EQ(ConfigBytes(), before);
    std::vector<AccountListEntry> list;
    EXPECT_EQ(m_registry.ListAccounts(list), 0);
}

TEST_F(RegistryTest, ListOfFileWithoutAccountsIsEmpty) {
    std::vector<AccountListEntry> list{AccountListEntry{}};
    EXPECT_EQ(m_registry.ListAccounts(list), 1);
    EXPECT_TRUE(list.empty());
    Strings names;
    EXPECT_EQ(m_registry.ListAccountNames(names), 1);
    EXPECT_TRUE(names.empty());
}

TEST_F(RegistryTest, DeleteRemovesTheAccountAndOnlyRelationsNamingIt) {
    for (const char* name : {"A", "B", "C"}) {
        ASSERT_EQ(m_registry.AddAccount(MakeAccount(name)), 1);
    }
    ASSERT_EQ(m_registry.WriteRelations("A", {"B", "C", "BB"}), 1);
    ASSERT_EQ(m_registry.WriteRelations("C", {"B"}), 1);
    ASSERT_EQ(m_registry.DeleteAccount("B"), 1);

    Strings names;
    ASSERT_EQ(m_registry.ListAccountNames(names), 1);
    EXPECT_EQ(names, (Strings{"A", "C"}));
    Strings relations;
    ASSERT_EQ(m_registry.ReadRelations("A", relations), 1);
    EXPECT_EQ(relations, (Strings{"C", "BB"}));
    ASSERT_EQ(m_registry.ReadRelations("C", relations), 1);
    EXPECT_TRUE(relations.empty());
    EXPECT_EQ(m_registry.DeleteAccount("B"), 0);
    EXPECT_EQ(m_reporter.Numbers(), (std::vector<int>{6006}));
}

TEST_F(RegistryTest, RenameChangesTheNameOnlyAndEditorWriteKeepsIt) {
    ASSERT_EQ(m_registry.AddAccount(MakeAccount("old")), 1);
    ASSERT_EQ(m_registry.AddAccount(MakeAccount("peer")), 1);
    ASSERT_EQ(m_registry.WriteRelations("peer", {"old"}), 1);

    AccountInfo info;
    ASSERT_EQ(m_registry.ReadAccount("old", info), 1);
    info.name = "new";
    info.password = "changed";
    // The editor's variant never renames.
    ASSERT_EQ(m_registry.WriteAccount("old", info), 1);
    ASSERT_EQ(m_registry.ReadAccount("old", info), 1);
    EXPECT_EQ(info.password, "changed");

    info.name = "new";
    ASSERT_EQ(m_registry.WriteAccount("old", info, AccountNameWrite::kRename), 1);
    EXPECT_EQ(m_registry.ReadAccount("new", info), 1);
    Strings relations;
    ASSERT_EQ(m_registry.ReadRelations("peer", relations), 1);
    EXPECT_EQ(relations, Strings{"old"});

    // Renaming onto another account or to an illegal name is refused.
    std::string before = ConfigBytes();
    info.name = "peer";
    EXPECT_EQ(m_registry.WriteAccount("new", info, AccountNameWrite::kRename), 0);
    info.name = "a/b";
    EXPECT_EQ(m_registry.WriteAccount("new", info, AccountNameWrite::kRename), 0);
    EXPECT_EQ(m_registry.WriteAccountValue("new", "name", "peer"), 0);
    EXPECT_EQ(m_reporter.MessageBoxes(),
              (Strings{kTextDuplicateAccount, kTextIllegalNameCharacter, kTextDuplicateAccount}));
    EXPECT_EQ(ConfigBytes(), before);
}

TEST_F(RegistryTest, AccountValuesScrambleOnlyThePassword) {
    ASSERT_EQ(m_registry.AddAccount(MakeAccount("v")), 1);
    ASSERT_EQ(m_registry.WriteAccountValue("v", "password", "新密码"), 1);
    ASSERT_EQ(m_registry.WriteAccountValue("v", "getrecentpostsnum", "12"), 1);
    std::string value;
    ASSERT_EQ(m_registry.ReadAccountValue("v", "password", value), 1);
    EXPECT_EQ(value, "新密码");
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(ConfigPath()));
    EXPECT_EQ(doc.SelectNode("/accounts/account[0]/password").Text(), ScramblePassword("新密码"));
    AccountInfo info;
    ASSERT_EQ(m_registry.ReadAccount("v", info), 1);
    EXPECT_EQ(info.getRecentPostsNum, 12);

    // Keys are element names, never paths; the relation list is not a value.
    EXPECT_EQ(m_registry.ReadAccountValue("v", "../account", value), 0);
    EXPECT_EQ(m_registry.WriteAccountValue("v", "nosuch", "1"), 0);
    ASSERT_EQ(m_registry.WriteRelations("v", {"x"}), 1);
    EXPECT_EQ(m_registry.WriteAccountValue("v", "relation", "wiped"), 0);
    EXPECT_EQ(m_reporter.Numbers(), (std::vector<int>{6001, 6001, 6001}));
}

TEST_F(RegistryTest, LoginSettingsFollowTheMode) {
    ASSERT_EQ(m_registry.AddAccount(MakeAccount("s", "blogpw")), 1);
    LoginSettings settings;
    ASSERT_EQ(m_registry.ReadLoginSettings("s", settings), 1);
    EXPECT_EQ(settings.mode, 0);
    EXPECT_EQ(settings.expectedPassword, "");

    ASSERT_EQ(m_registry.WriteLoginSettings("s", 2, "local"), 1);
    ASSERT_EQ(m_registry.ReadLoginSettings("s", settings), 1);
    EXPECT_EQ(settings.mode, 2);
    EXPECT_EQ(settings.expectedPassword, "local");

    // Turning protection off keeps the stored local password.
    ASSERT_EQ(m_registry.WriteLoginSettings("s", 0, "ignored"), 1);
    std::string stored;
    ASSERT_EQ(m_registry.ReadAccountValue("s", "accountpassword", stored), 1);
    EXPECT_EQ(stored, "local");

    ASSERT_EQ(m_registry.WriteLoginSettings("s", 1, ""), 1);
    ASSERT_EQ(m_registry.ReadLoginSettings("s", settings), 1);
    EXPECT_EQ(settings.mode, 1);
    EXPECT_EQ(settings.expectedPassword, "blogpw");
}

TEST_F(RegistryTest, RelationsWindowPosAndExpandedRoundTrip) {
    ASSERT_EQ(m_registry.AddAccount(MakeAccount("r1")), 1);
    ASSERT_EQ(m_registry.AddAccount(MakeAccount("r2")), 1);
    Strings relations{"stale"};
    ASSERT_EQ(m_registry.ReadRelations("r1", relations), 1);
    EXPECT_TRUE(relations.empty());
    ASSERT_EQ(m_registry.WriteRelations("r1", {"r2", "第三"}), 1);
    ASSERT_EQ(m_registry.WriteRelations("r1", {"第三", "r2"}), 1);
    ASSERT_EQ(m_registry.ReadRelations("r1", relations), 1);
    EXPECT_EQ(relations, (Strings{"第三", "r2"}));

    ASSERT_EQ(m_registry.WriteEditorWindowPos("r2", EditorWindowPos{10, -20, 800, 600}), 1);
    EditorWindowPos pos;
    ASSERT_EQ(m_registry.ReadEditorWindowPos("r2", pos), 1);
    EXPECT_EQ(pos.left, 10);
    EXPECT_EQ(pos.top, -20);
    EXPECT_EQ(pos.right, 800);
    EXPECT_EQ(pos.bottom, 600);

    ASSERT_EQ(m_registry.SetAccountExpanded(1, 0), 1);
    std::vector<AccountListEntry> list;
    ASSERT_EQ(m_registry.ListAccounts(list), 1);
    EXPECT_EQ(list[0].expanded, 1);
    EXPECT_EQ(list[1].expanded, 0);
    EXPECT_EQ(m_registry.SetAccountExpanded(2, 0), 0);
    EXPECT_EQ(m_registry.SetAccountExpanded(-1, 0), 0);
    EXPECT_EQ(m_reporter.Numbers(), (std::vector<int>{6001, 6001}));
}

// Keeps writes of this process below a few bytes while it lives (works for root as well, unlike
// a read-only folder): every save fails with EFBIG.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

TEST_F(RegistryTest, FailedSaveLeavesThePreviousFile) {
    ASSERT_EQ(m_registry.AddAccount(MakeAccount("keep")), 1);
    std::string before = ConfigBytes();
    {
        FileSizeLimit limit(16);
        EXPECT_EQ(m_registry.WriteAccountValue("keep", "description", "x"), 0);
        EXPECT_EQ(m_registry.DeleteAccount("keep"), 0);
        EXPECT_EQ(m_registry.AddAccount(MakeAccount("more")), 0);
    }
    EXPECT_EQ(m_reporter.Numbers(), (std::vector<int>{6001, 6006, 6001}));
    EXPECT_EQ(ConfigBytes(), before);
}

}  // namespace
}  // namespace zirvo
