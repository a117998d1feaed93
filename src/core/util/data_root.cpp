#include "core/util/data_root.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "core/util/files.h"

namespace zirvo {

CDataRoot::CDataRoot(std::string dir) : m_dir(std::move(dir)) {
    while (m_dir.size() > 1 && m_dir.back() == '/') {
        m_dir.pop_back();
    }
}

std::string CDataRoot::Path(const std::string& relative) const {
    return JoinPath(m_dir, relative);
}

namespace {
std::string EnvOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string Absolute(const std::string& path) {
    std::error_code ec;
    auto absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}
}  // namespace

std::string CDataRoot::Resolve(const std::string& rootArgument) {
    if (!rootArgument.empty()) {
        return Absolute(rootArgument);
    }
    std::string home = EnvOrEmpty("ZIRVO_HOME");
    if (!home.empty()) {
        return Absolute(home);
    }
    std::string xdg = EnvOrEmpty("XDG_DATA_HOME");
    if (!xdg.empty()) {
        return Absolute(JoinPath(xdg, "zirvo"));
    }
    std::string userHome = EnvOrEmpty("HOME");
    if (userHome.empty()) {
        userHome = std::string(".");
    }
    return Absolute(JoinPath(userHome, ".local/share/zirvo"));
}

std::string CDataRoot::ShippedDataDir() {
    std::string fromEnv = EnvOrEmpty("ZIRVO_DATA_DIR");
    if (!fromEnv.empty()) {
        return fromEnv;
    }
    auto hasCatalogue = [](const std::string& dir) {
        return FileExists(JoinPath(dir, "ErrorMsg.xml"));
    };
    std::string exeDir = ExecutableDirectory();
    if (!exeDir.empty()) {
        for (const char* relative : {"../share/zirvo", "../../share/zirvo"}) {
            std::string candidate = Absolute(JoinPath(exeDir, relative));
            if (hasCatalogue(candidate)) {
                return candidate;
            }
        }
    }
#ifdef ZIRVO_INSTALLED_DATA_DIR
    if (hasCatalogue(ZIRVO_INSTALLED_DATA_DIR)) {
        return ZIRVO_INSTALLED_DATA_DIR;
    }
#endif
#ifdef ZIRVO_SOURCE_DATA_DIR
    return ZIRVO_SOURCE_DATA_DIR;
#else
    return {};
#endif
}

}  // namespace zirvo
