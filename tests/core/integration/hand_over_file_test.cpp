// The hand-over file between a second start and the running instance: written whole, taken
// only when it is a regular file, never blocking on a pipe, never following a link.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include "core/integration/hand_over.h"
#include "core/util/files.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

TEST(HandOverFile, WrittenBytesAreTakenOnceAndTheFileIsGone) {
    test::TempDir dir("handover");
    const std::string path = dir.PathOf("addrss.txt");
    const std::string text = "qova://rssurl=http://127.0.0.1/f.xml&rsstitle=中文";
    std::string error;
    ASSERT_TRUE(WriteHandOverFile(path, text, &error)) << error;
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes));
    EXPECT_EQ(bytes, text);  // no terminator, no line end
    std::string taken;
    EXPECT_EQ(TakeHandOverFile(path, taken), HandOverFileResult::Taken);
    EXPECT_EQ(taken, text);
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(TakeHandOverFile(path, taken), HandOverFileResult::Missing);
    EXPECT_TRUE(taken.empty());
}

TEST(HandOverFile, APipeIsNotReadAndDoesNotBlock) {
    test::TempDir dir("handover");
    const std::string path = dir.PathOf("addrss.txt");
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    auto taking = std::async(std::launch::async, [&] {
        std::string text;
        return TakeHandOverFile(path, text);
    });
    ASSERT_EQ(taking.wait_for(std::chrono::seconds(5)), std::future_status::ready)
        << "taking the hand-over file blocked on a pipe";
    EXPECT_EQ(taking.get(), HandOverFileResult::NotRegular);
}

TEST(HandOverFile, ALinkIsNotFollowedAndItsTargetStays) {
    test::TempDir dir("handover");
    const std::string secret = dir.WriteFile("secret.txt", "http://127.0.0.1/secret");
    const std::string path = dir.PathOf("addrss.txt");
    ASSERT_EQ(::symlink(secret.c_str(), path.c_str()), 0);
    std::string text;
    EXPECT_EQ(TakeHandOverFile(path, text), HandOverFileResult::NotRegular);
    EXPECT_TRUE(text.empty());
    EXPECT_TRUE(FileExists(secret));
    // The second start replaces a planted link instead of writing through it.
    ASSERT_EQ(::symlink(secret.c_str(), path.c_str()), 0);
    ASSERT_TRUE(WriteHandOverFile(path, "http://127.0.0.1/feed", nullptr));
    std::string kept;
    ASSERT_TRUE(ReadFileBytes(secret, kept));
    EXPECT_EQ(kept, "http://127.0.0.1/secret");
    EXPECT_EQ(TakeHandOverFile(path, text), HandOverFileResult::Taken);
    EXPECT_EQ(text, "http://127.0.0.1/feed");
}

TEST(HandOverFile, FoldersEmptyAndOversizedFilesAreNotTaken) {
    test::TempDir dir("handover");
    std::string text;
    dir.MakeDir("folder");
    EXPECT_EQ(TakeHandOverFile(dir.PathOf("folder"), text), HandOverFileResult::NotRegular);
    const std::string big = dir.WriteFile("big.txt", std::string(kMaxHandOverBytes + 1, 'x'));
    EXPECT_EQ(TakeHandOverFile(big, text), HandOverFileResult::TooBig);
    EXPECT_TRUE(text.empty());
    EXPECT_FALSE(FileExists(big));
    const std::string empty = dir.WriteFile("empty.txt", "");
    EXPECT_EQ(TakeHandOverFile(empty, text), HandOverFileResult::TooBig);
    const std::string full = dir.WriteFile("full.txt", std::string(kMaxHandOverBytes, 'y'));
    EXPECT_EQ(TakeHandOverFile(full, text), HandOverFileResult::Taken);
    EXPECT_EQ(text.size(), kMaxHandOverBytes);
}

}  // namespace
}  // namespace zirvo
