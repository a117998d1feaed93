#pragma once
// One `outline` element of an OPML file as a value, with its nested outlines. This is what
// COpmlTree reads out of a file and what CChannelTree builds its nodes from; it is also how a
// subtree travels from one tree to another (the import dialog's two trees).

#include <string>
#include <vector>

namespace zirvo {

struct OpmlOutline {
    std::string title;
    bool hasTitle = false;  // an outline without `title` shows its `text`
    std::string text;
    std::string xmlUrl;  // empty or missing: a folder
    std::string htmlUrl;
    int unreadNum = 0;  // `unreadnum`, read as atoi does
    int expanded = 0;   // `expanded`, read as atoi does
    std::vector<OpmlOutline> children;

    const std::string& Caption() const { return hasTitle ? title : text; }
};

}  // namespace zirvo
