// The import dialog on big lists: the time from "导入OPML频道" until both trees are shown, for
// a subscription file of N outlines on the right and an OPML file of N outlines on the left
// (100 folders of channels each), N = 5,000 by default. Prints the median and the worst of
// five runs, split into the right tree (working copy made, tree filled) and the left tree (file
// read on the session's job, tree filled), and the longest the window thread was busy at once.
//
// Usage: QT_QPA_PLATFORM=offscreen build/bench/opml_import_timing [N]
// Target: both trees shown in under 1 s for 5,000 outlines.

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/session/reader_session.h"
#include "core/setup/seed.h"
#include "core/util/data_root.h"
#include "core/util/files.h"
#include "core/util/reporter.h"
#include "gui/reader/opml_import_dialog.h"

using namespace zirvo;

namespace {

std::string ListOf(int outlines, const std::string& prefix) {
    const int folders = 100;
    const int perFolder = std::max(1, outlines / folders - 1);
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><opml version=\"1.0\"><body>";
    for (int f = 0; f < folders; ++f) {
        text +=
            "<outline title=\"" + prefix + " folder " + std::to_string(f) + "\" expanded=\"1\">";
        for (int c = 0; c < perFolder; ++c) {
            const std::string id = std::to_string(f) + "-" + std::to_string(c);
            text += "<outline title=\"" + prefix + " channel " + id +
                    "\" xmlUrl=\"http://127.0.0.1:9/" + prefix + "/" + id + ".xml\"/>";
        }
        text += "</outline>";
    }
    return text + "</body></opml>";
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int outlines = argc > 1 ? std::atoi(argv[1]) : 5000;
    char pattern[] = "/tmp/zirvo-opml-bench-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (dir == nullptr) {
        return 1;
    }
    const std::string rootDir = dir;
    CDataRoot root(rootDir);
    SeedReport report;
    if (!SeedDataRoot(root, CDataRoot::ShippedDataDir(), report)) {
        std::fprintf(stderr, "cannot seed %s: %s\n", rootDir.c_str(), report.error.c_str());
        return 1;
    }
    WriteFileAtomic(root.OpmlPath(), ListOf(outlines, "mine"));
    const std::string importFile = JoinPath(rootDir, "import.opml");
    WriteFileAtomic(importFile, ListOf(outlines, "theirs"));

    CStderrReporter reporter;
    CReaderSession session(rootDir, reporter);
    if (!session.Open()) {
        std::fprintf(stderr, "cannot open the session: %s\n", session.Error().c_str());
        return 1;
    }
    // The window thread's longest busy stretch: the worst lateness of a 10 ms timer.
    qint64 worstStall = 0;
    QElapsedTimer tick;
    QTimer probe;
    probe.setInterval(10);
    QObject::connect(&probe, &QTimer::timeout, &probe, [&] {
        worstStall = std::max(worstStall, tick.elapsed() - 10);
        tick.restart();
    });

    std::vector<double> rights;
    std::vector<double> lefts;
    std::vector<double> totals;
    int shownLeft = 0;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer clock;
        clock.start();
        gui::COpmlImportDialog dialog(session);
        if (!dialog.Begin()) {
            return 1;
        }
        dialog.show();
        QApplication::processEvents();
        const double right = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        tick.start();
        probe.start();
        dialog.LoadFile(QString::fromStdString(importFile));
        while (dialog.Loading()) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        QApplication::processEvents();
        probe.stop();
        const double total = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        shownLeft = dialog.SourceTree()->topLevelItemCount();
        rights.push_back(right);
        lefts.push_back(total - right);
        totals.push_back(total);
        dialog.reject();
    }
    std::printf("outlines per tree: %d (left tree top level: %d)\n", outlines, shownLeft);
    std::printf("right tree shown:  median %.1f ms, worst %.1f ms\n", Median(rights),
                *std::max_element(rights.begin(), rights.end()));
    std::printf("left tree shown:   median %.1f ms, worst %.1f ms\n", Median(lefts),
                *std::max_element(lefts.begin(), lefts.end()));
    std::printf("both trees shown:  median %.1f ms, worst %.1f ms (target < 1000 ms)\n",
                Median(totals), *std::max_element(totals.begin(), totals.end()));
    std::printf("longest window-thread stall while the left tree loads: %lld ms\n",
                static_cast<long long>(worstStall));
    session.Close();
    std::error_code ignored;
    std::filesystem::remove_all(rootDir, ignored);
    return 0;
}
