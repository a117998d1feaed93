#include "core/integration/url_handler.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include "core/util/files.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

std::string Read(const std::string& path) {
    std::string text;
    EXPECT_TRUE(ReadFileBytes(path, text)) << path;
    return text;
}

class UrlHandlerTest : public ::testing::Test {
protected:
    test::TempDir m_dir{"url-handler"};
    XdgUserDirs m_dirs{m_dir.PathOf("data"), m_dir.PathOf("config")};
    std::string Entry() const {
        return m_dir.PathOf("data/applications/zirvo-url-handler.desktop");
    }
    std::string List() const { return m_dir.PathOf("config/mimeapps.list"); }
};

TEST_F(UrlHandlerTest, RegisterWritesTheEntryAndTheDefaultsAndKeepsTheRest) {
    m_dir.WriteFile("config/mimeapps.list",
                    "[Default Applications]\n"
                    "text/html=firefox-esr.desktop\n"
                    "\n"
                    "[Added Associations]\n"
                    "application/rss+xml=liferea.desktop;\n");
    std::string error;
    ASSERT_TRUE(RegisterUrlHandler(m_dirs, "/opt/zirvo/bin/zirvo", "/home/u/Feeds", error))
        << error;
    const std::string entry = Read(Entry());
    EXPECT_NE(entry.find("Exec=\"/opt/zirvo/bin/zirvo\" --root \"/home/u/Feeds\" %u\n"),
              std::string::npos)
        << entry;
    EXPECT_NE(entry.find("MimeType=x-scheme-handler/qova;application/rss+xml;\n"),
              std::string::npos);
    EXPECT_EQ(Read(List()),
              "[Default Applications]\n"
              "text/html=firefox-esr.desktop\n"
              "x-scheme-handler/qova=zirvo-url-handler.desktop\n"
              "application/rss+xml=zirvo-url-handler.desktop\n"
              "\n"
              "[Added Associations]\n"
              "application/rss+xml=zirvo-url-handler.desktop;liferea.desktop;\n"
              "x-scheme-handler/qova=zirvo-url-handler.desktop;\n");
    EXPECT_TRUE(UrlHandlerRegistered(m_dirs));

    // A second registration writes the same values over themselves.
    const std::string once = Read(List());
    ASSERT_TRUE(RegisterUrlHandler(m_dirs, "/opt/zirvo/bin/zirvo", "/home/u/Feeds", error));
    EXPECT_EQ(Read(List()), once);
}

TEST_F(UrlHandlerTest, RemoveTakesOnlyOurEntryAndSaysWhenThereWasNothing) {
    std::string error;
    EXPECT_EQ(UnregisterUrlHandler(m_dirs, error), UnregisterResult::NothingRegistered);
    EXPECT_FALSE(FileExists(List()));  // nothing was made to say nothing

    m_dir.WriteFile("config/mimeapps.list",
                    "[Added Associations]\napplication/rss+xml=liferea.desktop;\n"
                    "[Removed Associations]\ntext/plain=zirvo-url-handler.desktop;\n");
    ASSERT_TRUE(RegisterUrlHandler(m_dirs, "/usr/bin/zirvo", "/r", error)) << error;
    EXPECT_EQ(UnregisterUrlHandler(m_dirs, error), UnregisterResult::Removed);
    EXPECT_FALSE(FileExists(Entry()));
    EXPECT_FALSE(UrlHandlerRegistered(m_dirs));
    const std::string list = Read(List());
    EXPECT_NE(list.find("application/rss+xml=liferea.desktop;\n"), std::string::npos) << list;
    EXPECT_EQ(list.find("x-scheme-handler/qova"), std::string::npos) << list;
    // The user's own "removed" choices are not ours to touch.
    EXPECT_NE(list.find("text/plain=zirvo-url-handler.desktop;"), std::string::npos) << list;
    EXPECT_EQ(UnregisterUrlHandler(m_dirs, error), UnregisterResult::NothingRegistered);

    // A default left behind without its entry is still removed.
    m_dir.WriteFile("config/mimeapps.list",
                    "[Default Applications]\nx-scheme-handler/qova=zirvo-url-handler.desktop\n");
    EXPECT_EQ(UnregisterUrlHandler(m_dirs, error), UnregisterResult::Removed);
    EXPECT_EQ(Read(List()), "[Default Applications]\n");
}

TEST_F(UrlHandlerTest, PathsAreQuotedForTheExecLine) {
    EXPECT_EQ(QuoteExecArgument("/a b/zirvo"), "\"/a b/zirvo\"");
    // " ` $ and \ get a backslash, which the string value doubles; % is doubled.
    EXPECT_EQ(QuoteExecArgument("a\"b`c$d"), "\"a\\\\\"b\\\\`c\\\\$d\"");
    EXPECT_EQ(QuoteExecArgument("a\\b"), "\"a\\\\\\\\b\"");
    EXPECT_EQ(QuoteExecArgument("100%"), "\"100%%\"");
    std::string text;
    EXPECT_FALSE(HandlerDesktopEntry("/bin/zirvo", "/root\nExec=evil", text));
    std::string error;
    EXPECT_FALSE(RegisterUrlHandler(m_dirs, "/bin/zirvo", "/root\nExec=evil", error));
    EXPECT_FALSE(FileExists(Entry()));
    EXPECT_FALSE(error.empty());
}

TEST_F(UrlHandlerTest, FoldersComeFromTheEnvironment) {
    // This test's own environment, put back afterwards.
    std::vector<std::pair<const char*, std::string>> saved;
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "HOME"}) {
        const char* value = std::getenv(name);
        saved.emplace_back(name, value ? value : "");
    }
    setenv("XDG_DATA_HOME", "/x/data", 1);
    setenv("XDG_CONFIG_HOME", "/x/config", 1);
    EXPECT_EQ(UserXdgDirs().dataHome, "/x/data");
    EXPECT_EQ(UserXdgDirs().configHome, "/x/config");
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(UserXdgDirs().dataHome, "/home/someone/.local/share");
    EXPECT_EQ(UserXdgDirs().configHome, "/home/someone/.config");
    for (const auto& [name, value] : saved) {
        if (value.empty()) {
            unsetenv(name);
        } else {
            setenv(name, value.c_str(), 1);
        }
    }
}

}  // namespace
}  // namespace zirvo
