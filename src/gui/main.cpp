// zirvo, the main program. Until its windows exist it prepares the data root the way the
// windowed program will (folders, shipped files, databases) and reports what the root holds.

#include <cstdio>
#include <filesystem>
#include <string>

#include "core/setup/seed.h"
#include "core/util/data_root.h"

using namespace zirvo;

int main(int argc, char** argv) {
    std::string rootArg;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--root" && i + 1 < argc) {
            rootArg = argv[++i];
        } else if (arg.rfind("--root=", 0) == 0) {
            rootArg = arg.substr(7);
        } else if (arg == "--help" || arg == "-h") {
            std::printf("usage: zirvo [--root DIR] [FEED-ADDRESS]\n");
            return 0;
        }
    }
    CDataRoot root(CDataRoot::Resolve(rootArg));
    SeedReport report;
    if (!SeedDataRoot(root, CDataRoot::ShippedDataDir(), report)) {
        std::fprintf(stderr, "zirvo: cannot prepare the data root %s: %s\n", root.Dir().c_str(),
                     report.error.c_str());
        return 1;
    }
    std::printf("zirvo: data root %s\n", root.Dir().c_str());
    if (report.created.empty()) {
        std::printf("  (already complete, nothing created)\n");
    } else {
        std::printf("  created:\n");
        for (const auto& path : report.created) {
            std::printf("    %s\n", path.c_str());
        }
    }
    std::printf("  holds:\n");
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(root.Dir(), ec)) {
        if (entry.is_regular_file()) {
            std::printf("    %-40s %8llu bytes\n",
                        fs::relative(entry.path(), root.Dir()).string().c_str(),
                        static_cast<unsigned long long>(entry.file_size()));
        }
    }
    std::printf(
        "The main window is not built yet; use zirvo-cli on this root for the reader and the "
        "blog library.\n");
    return 0;
}
