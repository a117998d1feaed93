#pragma once
// File-system helpers. Paths are UTF-8 and use '/'.
// Thread-safe: no shared state.

#include <string>
#include <string_view>

namespace zirvo {

std::string JoinPath(std::string_view dir, std::string_view name);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Creates the folder and its parents; true when it exists afterwards.
bool MakeDirectories(const std::string& path, std::string* error = nullptr);

// Reads a whole file; false when it cannot be opened or read. `maxBytes` caps what is accepted.
bool ReadFileBytes(const std::string& path, std::string& out, size_t maxBytes = 256u << 20);

// Writes a whole file through a temporary sibling and a rename, so readers see either the old
// or the new contents, never half of them. The temporary file is removed on failure.
bool WriteFileAtomic(const std::string& path, std::string_view bytes, std::string* error = nullptr);

// Copies a file unless the target exists; false only on a failed copy.
bool CopyFileIfMissing(const std::string& from, const std::string& to, bool* copied = nullptr,
                       std::string* error = nullptr);

bool RemoveFile(const std::string& path);

// The directory of the running executable (from /proc/self/exe); empty if unknown.
std::string ExecutableDirectory();

}  // namespace zirvo
