#pragma once
// The editor's start-up: `editor [--root DIR]`. The data root is resolved as the main program
// resolves it (the main program passes its own with --root). The article store is opened
// (failure: exit 0), the task is read from Temp/subprocess.xml (deleted at once; missing
// element: message 7001 and exit 0) or, without the file, chosen by the user: no account ends
// with "请打开主程序新建帐户!", a single one is taken, several are offered in the chooser; then
// the account's local password when it is protected ("密码错误!" ends the editor).
//
// Environment, for scripts and benchmarks:
//   ZIRVO_TIMINGS=1   prints "editor-timing shown MS at EPOCH_MS" to stderr once the window is
//                     shown, and "editor-timing page-loaded MS ok|failed" when the page is in
//
// Threading: the main thread.

#include <set>
#include <string>

#include "core/editorlink/editor_task.h"

namespace zirvo {
class CAccountRegistry;
class CErrorMsgDialog;
}  // namespace zirvo

namespace zirvo::editor {

enum class StartChoice {
    kTask,  // `task` is set
    kEnd,   // the editor ends (exit code 0); anything to say has been said
};

// The task of this editor: from the hand-over file, or the stand-alone choice and password
// check. `verified` gains the account whose password was given.
StartChoice ChooseTask(const std::string& dataRoot, CAccountRegistry& registry,
                       CErrorMsgDialog& messages, EditorTask& task,
                       std::set<std::string>& verified);

// Runs the program; returns the process exit code.
int RunEditor(int argc, char** argv);

}  // namespace zirvo::editor
