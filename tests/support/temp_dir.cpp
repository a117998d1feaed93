#include "support/temp_dir.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace zirvo::test {

namespace fs = std::filesystem;

TempDir::TempDir(std::string_view prefix) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base && *base ? base : "/tmp") + "/zirvo-" + std::string(prefix) + "-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        throw std::runtime_error("cannot create a temporary folder from " + pattern);
    }
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Give write and search permission back first, or removing the contents would fail.
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(
             m_path, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
    }
    fs::remove_all(m_path, ec);
}

std::string TempDir::PathOf(std::string_view relative) const {
    return m_path + "/" + std::string(relative);
}

std::string TempDir::MakeDir(std::string_view relative) const {
    std::string path = PathOf(relative);
    fs::create_directories(path);
    return path;
}

std::string TempDir::WriteFile(std::string_view relative, std::string_view bytes) const {
    fs::path path = PathOf(relative);
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
    return path.string();
}

}  // namespace zirvo::test
