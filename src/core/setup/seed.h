#pragma once
// First use of a data root: create its folders, copy in every shipped file that is missing
// (never overwriting one that exists), and create the two databases with their tables.
// Running it again on a complete root changes nothing, so every program calls it at start-up.
//
// Threading: call before any other thread uses the root.

#include <string>
#include <vector>

#include "core/util/data_root.h"

namespace zirvo {

struct SeedReport {
    std::vector<std::string> created;  // paths relative to the root, in creation order
    std::string error;                 // why seeding failed
};

// The favourites folder that the shipped favourites tree refers to.
constexpr int kShippedFavouriteFolderId = 1;

bool SeedDataRoot(const CDataRoot& root, const std::string& shippedDir, SeedReport& report);

}  // namespace zirvo
