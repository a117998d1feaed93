#pragma once
// Building the full-text index of a store that held items before it had the index. The upgrade
// only records the range of item ids still to be indexed (rssfts_build, see core/db/schema.h);
// the build then indexes that range in short transactions, oldest ids first, so that receives
// and the window's reads go on meanwhile and a build cut short by a close goes on from where it
// stopped at the next start. Until the build is done the search reads the items without the
// index: its results never depend on how far the build got.
//
// Threading: BuildSearchIndex runs on a worker with a store of its own (never the window
// thread: a big store takes minutes); `progress` is called on that worker.

#include <functional>

namespace zirvo {

class CRssStore;

struct SearchIndexBuild {
    bool pending = false;
    long long done = 0;  // ids up to here are indexed
    long long end = 0;   // the newest id the build must reach

    // How far the build got, 0 to 100.
    int Percent() const {
        if (!pending || end <= 0) {
            return 100;
        }
        return static_cast<int>(done * 100 / end);
    }
};

// Item ids indexed per transaction: a few hundred milliseconds of write lock on a slow disk.
inline constexpr int kSearchIndexBatchItems = 2000;

using SearchIndexProgress = std::function<void(const SearchIndexBuild& build)>;

// Indexes every pending id, calling `progress` after each batch (and once at the start), until
// done or `stop` says so. True when the index is complete; false on a store failure (the
// store's last error) or when stopped (`stopped` set).
bool BuildSearchIndex(CRssStore& store, const SearchIndexProgress& progress,
                      const std::function<bool()>& stop, bool& stopped);

}  // namespace zirvo
