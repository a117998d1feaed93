#pragma once
// The main program's arguments: `zirvo [--root DIR] [URL]`, `--help`, `--version`.
// Parsing is strict: an unknown option, a `--root` without a folder or a second address is a
// usage error, so a typo never starts the program on a silently seeded default root.
//
// Threading: pure functions; any thread.

#include <QString>
#include <QStringList>

namespace zirvo::gui {

struct CommandLine {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::Run;
    QString root;   // empty: the default root (ZIRVO_HOME, XDG data folder)
    QString url;    // the hand-over argument, empty when none
    QString error;  // for UsageError: what was wrong
};

// `arguments` includes the program name at index 0, as QCoreApplication::arguments() gives it.
CommandLine ParseCommandLine(const QStringList& arguments);

QString UsageText();

}  // namespace zirvo::gui
