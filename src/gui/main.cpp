// zirvo, the main program. Until its windows exist it prepares the data root the way the
// windowed program will (folders, shipped files, databases) and reports what the root holds.

#include <cstdio>
#include <filesystem>
#include <string>

#include "core/setup/seed.h"
#include "core/util/data_root.h"
#include "gui/shell/command_line.h"

#ifndef ZIRVO_VERSION_TEXT
#define ZIRVO_VERSION_TEXT "0"
#endif

using namespace zirvo;

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const CommandLine line = ParseCommandLine(arguments);
    if (line.action == CommandLine::Action::Help) {
        std::fputs(UsageText().toUtf8().constData(), stdout);
        return 0;
    }
    if (line.action == CommandLine::Action::Version) {
        std::printf("zirvo %s\n", ZIRVO_VERSION_TEXT);
        return 0;
    }
    if (line.action == CommandLine::Action::UsageError) {
        std::fprintf(stderr, "zirvo: %s\n%s", line.error.toUtf8().constData(),
                     UsageText().toUtf8().constData());
        return 2;
    }
    const std::string rootArg = line.root.toStdString();
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
