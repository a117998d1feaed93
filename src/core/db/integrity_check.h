#pragma once
// A look at a database file as a whole: whether SQLite can read every page of it. A damaged
// file opens without complaint and fails only when a statement reaches the damaged pages,
// which the user would otherwise learn from a list that says "database disk image is
// malformed" long after the cause.
//
// Threading: any thread; the check opens a read-only connection of its own. It reads the whole
// file: run it on a worker.

#include <string>

namespace zirvo {

// True when the file at `path` reads as a sound database (a missing file is sound: it is made
// anew; a check stopped by the closing flag says nothing is wrong). False with `problem` holding
// SQLite's own words otherwise.
bool CheckDatabaseFile(const std::string& path, std::string& problem);

// The user's message for a damaged database: what is wrong and what to do, in Chinese.
std::string DamagedDatabaseMessage(const std::string& displayName, const std::string& problem);

}  // namespace zirvo
