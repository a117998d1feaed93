#include "core/editorlink/editor_program.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "core/util/files.h"
#include "support/temp_dir.h"

namespace zirvo {
namespace {

std::string MakeScript(const test::TempDir& dir, const std::string& relative,
                       const std::string& body) {
    const std::string path = dir.WriteFile(relative, "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), 0755);
    return path;
}

class EditorProgramTest : public ::testing::Test {
protected:
    void SetUp() override { ::unsetenv("ZIRVO_EDITOR"); }
    void TearDown() override { ::unsetenv("ZIRVO_EDITOR"); }
    test::TempDir m_dir{"editor-program"};
};

TEST_F(EditorProgramTest, FindsTheEditorBesideInstalledOrInTheBuildTree) {
    m_dir.MakeDir("bin");
    EXPECT_EQ(FindEditorProgram(m_dir.PathOf("bin")), "");
    const std::string built = MakeScript(m_dir, "editor/editor", "exit 0\n");
    EXPECT_EQ(FindEditorProgram(m_dir.PathOf("bin")), m_dir.PathOf("bin") + "/../editor/editor");
    MakeScript(m_dir, "lib/zirvo/editor", "exit 0\n");
    EXPECT_EQ(FindEditorProgram(m_dir.PathOf("bin")), m_dir.PathOf("bin") + "/../lib/zirvo/editor");
    MakeScript(m_dir, "bin/editor", "exit 0\n");
    EXPECT_EQ(FindEditorProgram(m_dir.PathOf("bin")), m_dir.PathOf("bin") + "/editor");
    // A file that cannot run is no editor.
    m_dir.WriteFile("x/other/editor", "not a program");
    EXPECT_EQ(FindEditorProgram(m_dir.PathOf("x/other")), "");

    ::setenv("ZIRVO_EDITOR", built.c_str(), 1);
    EXPECT_EQ(FindEditorProgram(m_dir.PathOf("bin")), built);
    ::setenv("ZIRVO_EDITOR", m_dir.PathOf("missing").c_str(), 1);
    EXPECT_EQ(FindEditorProgram(m_dir.PathOf("bin")), "");
    EXPECT_FALSE(RunningExecutableDir().empty());
}

TEST_F(EditorProgramTest, StartsTheProgramOnTheDataRootOrSaysWhyNot) {
    const std::string out = m_dir.PathOf("started.txt");
    const std::string program =
        MakeScript(m_dir, "editor",
                   "echo \"$1 $2\" > '" + out + ".part' && mv '" + out + ".part' '" + out + "'\n");
    std::string error;
    ASSERT_TRUE(StartEditorProgram(program, "/some/root", error)) << error;
    std::string text;
    for (int i = 0; i < 200 && !ReadFileBytes(out, text); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(text, "--root /some/root\n");

    EXPECT_FALSE(StartEditorProgram(m_dir.PathOf("nothing-here"), "/r", error));
    EXPECT_NE(error.find("nothing-here"), std::string::npos);
}

}  // namespace
}  // namespace zirvo
