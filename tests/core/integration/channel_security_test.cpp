// Where the local channel's socket lives and whom a connection is trusted from.

#include "core/integration/channel_security.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/integration/window_message.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

TEST(ChannelSecurity, APrivateRuntimeFolderHoldsTheSocket) {
    test::TempDir root("channel-root");
    test::TempDir runtime("channel-run");
    ASSERT_EQ(::chmod(runtime.Path().c_str(), 0700), 0);
    std::string error;
    EXPECT_EQ(LocalChannelFolder(root.Path(), runtime.Path(), &error), runtime.Path());
}

TEST(ChannelSecurity, WithoutAPrivateRuntimeFolderTheRootGetsAClosedFolder) {
    test::TempDir root("channel-root");
    test::TempDir runtime("channel-run");
    ASSERT_EQ(::chmod(runtime.Path().c_str(), 0755), 0);  // others may enter: not private
    std::string error;
    const std::string folder = LocalChannelFolder(root.Path(), runtime.Path(), &error);
    EXPECT_EQ(folder, root.PathOf("Temp/channel")) << error;
    EXPECT_EQ(ModeOf(folder), 0700u);
    EXPECT_EQ(LocalChannelFolder(root.Path(), std::string(), &error), folder);
    EXPECT_EQ(LocalChannelFolder(root.Path(), "relative/run", &error), folder);
    // A folder left open by someone is closed again.
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
    EXPECT_EQ(LocalChannelFolder(root.Path(), std::string(), &error), folder);
    EXPECT_EQ(ModeOf(folder), 0700u);
    // A link planted in its place is not used.
    ASSERT_EQ(::rmdir(folder.c_str()), 0);
    ASSERT_EQ(::symlink("/tmp", folder.c_str()), 0);
    EXPECT_EQ(LocalChannelFolder(root.Path(), std::string(), &error), "");
    EXPECT_FALSE(error.empty());
}

TEST(ChannelSecurity, TheSocketPathIsNeverAComputableTmpName) {
    test::TempDir root("channel-root");
    std::string error;
    const std::string path = LocalChannelPath(root.Path(), &error);
    ASSERT_FALSE(path.empty()) << error;
    EXPECT_NE(path.rfind("/tmp/QOVA", 0), 0u) << path;
    EXPECT_NE(path.find(LocalChannelName(root.Path())), std::string::npos);
    // A root too deep for a socket address gives no path, not a cut one.
    test::TempDir deepBase("channel-deep");
    const std::string deep = deepBase.MakeDir(std::string(120, 'd'));
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr) {
        EXPECT_EQ(LocalChannelPath(deep, &error), "");
        EXPECT_NE(error.find("too long"), std::string::npos);
    }
}

TEST(ChannelSecurity, PeerCredentialsNameThisUser) {
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    const auto uid = PeerUserId(pair[0]);
    ASSERT_TRUE(uid.has_value());
    EXPECT_EQ(*uid, static_cast<unsigned>(::geteuid()));
    EXPECT_TRUE(PeerIsThisUser(pair[1]));
    ::close(pair[0]);
    ::close(pair[1]);
    // Not a socket: no credentials, not trusted.
    EXPECT_FALSE(PeerUserId(-1).has_value());
    EXPECT_FALSE(PeerIsThisUser(-1));
}

}  // namespace
}  // namespace zirvo
