#pragma once
// Finding and starting the editor program for a task written to Temp/subprocess.xml.
//
// Where the editor is: $ZIRVO_EDITOR when it is set (scripts and tests); otherwise the first
// executable of
//   <dir>/editor               beside the running program
//   <dir>/../lib/zirvo/editor  an installed suite (the name `editor` is not ours in bin/)
//   <dir>/../editor/editor     a build tree (src/gui/zirvo, src/cli/zirvo-cli, src/editor/editor)
// where <dir> is the folder of the running executable.
//
// Threading: any thread.

#include <string>

namespace zirvo {

inline constexpr const char* kTextEditorMissing = "找不到编辑器程序 editor";

// The folder of the running executable; empty when it cannot be told.
std::string RunningExecutableDir();

// The editor to start; empty when none is found (see above).
std::string FindEditorProgram(const std::string& executableDir);

// Starts `program --root dataRoot` as a process of its own (not a child left to reap: the
// programs do not track their editors). False with `error` when it could not be started.
bool StartEditorProgram(const std::string& program, const std::string& dataRoot,
                        std::string& error);

}  // namespace zirvo
