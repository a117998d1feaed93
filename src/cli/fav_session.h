#pragma once
// The RSS favourites as zirvo-cli opens them: the favourites tree of Storage/rssFavorite.opml
// over the feed store, and how a command names one of its folders or nodes: "/" (the top level,
// where allowed), "#ID" (a node's favourite id) or a caption path.
//
// Threading: the command's own (main) thread.

#include <string>

#include "cli_context.h"
#include "core/feeds/rss_store.h"
#include "core/subscriptions/channel_tree.h"
#include "core/subscriptions/favourite_tree.h"
#include "feed_cli_support.h"

namespace zirvo::cli {

class CFavSession {
public:
    explicit CFavSession(CliContext& context)
        : m_context(context),
          m_fav(m_tree, context.root.FavoriteOpmlPath(), context.messages),
          m_store(context.root.Dir()) {}

    void Open() {
        if (!m_fav.Load()) {
            throw CliError("cannot read the favourites file " + m_context.root.FavoriteOpmlPath());
        }
        if (!m_store.Open()) {
            throw CliError("cannot open the feed store: " + m_store.GetLastError());
        }
    }

    // "/" (top level, when allowed), "#ID" (a node's favourite id) or a caption path.
    bool Resolve(const std::string& reference, bool allowTop, NodeId& id, std::string& error) {
        id = kNoNode;
        if (reference.empty() || reference == "/") {
            if (!allowTop) {
                error = "name a favourites folder or node, not the top level";
            }
            return allowTop;
        }
        if (reference[0] == '#') {
            int favId = 0;
            if (ParsePositive(reference.substr(1), favId)) {
                for (NodeId node : m_tree.Walk()) {
                    if (m_fav.FolderIdOf(node) == favId) {
                        id = node;
                        return true;
                    }
                }
            }
            error = "no favourite node " + reference + " (see zirvo-cli fav tree)";
            return false;
        }
        id = m_tree.FindByCaptionPath(reference);
        if (id == kNoNode) {
            error = "no favourites folder or node \"" + reference + "\" (see zirvo-cli fav tree)";
        }
        return id != kNoNode;
    }
    // A node that holds items.
    bool ResolveNode(const std::string& reference, NodeId& id, std::string& error) {
        if (!Resolve(reference, false, id, error)) {
            return false;
        }
        if (m_fav.FolderIdOf(id) == 0) {
            error = "\"" + reference + "\" is a favourites folder; items are kept in its nodes";
            return false;
        }
        return true;
    }
    // The node named by --to, or the first node of the tree.
    bool TargetNode(const CCommandLine& args, NodeId& id, std::string& error) {
        if (args.Has("--to")) {
            return ResolveNode(*args.Value("--to"), id, error);
        }
        for (NodeId node : m_tree.Walk()) {
            if (m_fav.FolderIdOf(node) != 0) {
                id = node;
                return true;
            }
        }
        error = "there is no favourite node yet: create one with zirvo-cli fav mknode NAME";
        return false;
    }

    std::string PathText(NodeId id) const {
        return id == kNoNode ? std::string("/") : m_tree.CaptionPath(id);
    }

    CChannelTree& Tree() { return m_tree; }
    CFavouriteTree& Fav() { return m_fav; }
    CRssStore& Store() { return m_store; }

private:
    CliContext& m_context;
    CChannelTree m_tree;
    CFavouriteTree m_fav;
    CRssStore m_store;
};

}  // namespace zirvo::cli
