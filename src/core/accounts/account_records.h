#pragma once
// The in-memory records of the account registry (config/userConfig.xml). Plain values: the
// caller owns each record and may hand copies to any thread.

#include <string>

namespace zirvo {

// The four protocol flavours an account can name in `blogapitype`. Any other text is stored
// unchanged; the blog client refuses it when it is asked to talk to the service.
inline constexpr const char* kApiBlogger = "Blogger";
inline constexpr const char* kApiMetaWeblog = "MetaWeblog";
inline constexpr const char* kApiMovableType = "MovableType";
inline constexpr const char* kApiMsnSpaces = "MSN Spaces";

inline constexpr const char* kEncodeUtf8 = "UTF-8";
inline constexpr const char* kEncodeGb2312 = "GB2312";

// The child elements of an `account` in userConfig.xml, in the order AddAccount writes them.
inline constexpr const char* kAccountElements[] = {"expanded",
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

// `localloginverify`: how the account is protected when it is opened on this machine.
enum LocalLoginMode : int {
    kLoginOff = 0,            // nothing asked
    kLoginBlogPassword = 1,   // the blog service password is asked
    kLoginLocalPassword = 2,  // the separate `accountpassword` is asked
};

// What the settings sheet reads and the connection page writes back.
struct AccountInfo {
    std::string name;
    std::string description;
    std::string xmlrpcUrl;
    std::string port;
    std::string apiType;
    std::string userName;
    std::string password;  // plain text; scrambled only inside the file
    std::string blogUrl;
    std::string encodeType;
    int getRecentPostsNum = 0;
};

// One account as the blog tree and the publish-together lists show it.
struct AccountListEntry {
    std::string name;
    std::string description;
    std::string apiType;
    int localLoginVerify = 0;
    std::string accountPassword;
    std::string blogUrl;
    int expanded = 0;
};

struct LoginSettings {
    int mode = kLoginOff;
    // The blog password in mode 1, `accountpassword` in mode 2, empty otherwise.
    std::string expectedPassword;
};

// What the new-account wizard collects.
struct NewAccount {
    std::string name;
    std::string description;
    std::string xmlrpcUrl;
    std::string port;
    std::string apiType;
    std::string userName;
    std::string password;  // plain text
    std::string blogUrl;
    std::string encodeType;
    std::string accountPassword;
};

// The editor window's rectangle for one account, screen pixels.
struct EditorWindowPos {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

}  // namespace zirvo
