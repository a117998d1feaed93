// OPML files as an import reads them: the document, then every outline of its body.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/subscriptions/opml_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zirvo::CXmlDocument doc;
    if (!doc.LoadMemory(std::string_view(reinterpret_cast<const char*>(data), size))) {
        return 0;
    }
    std::vector<zirvo::OpmlOutline> outlines;
    zirvo::COpmlTree::ReadOutlines(doc, outlines);
    return 0;
}
