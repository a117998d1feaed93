// `zirvo-cli fav`: the RSS favourites (Storage/rssFavorite.opml and the store's favourite
// tables). Favourites folders ("收藏夹") only group; favourite nodes ("收藏节点") hold the kept
// items. A node is named by its caption path in the favourites tree or by "#ID", its favourite id.

#include <functional>
#include <map>

#include "cli_args.h"
#include "cli_command.h"
#include "core/subscriptions/channel_checks.h"
#include "core/subscriptions/favourite_tree.h"
#include "core/subscriptions/opml_exchange.h"
#include "core/util/feed_date.h"
#include "core/util/files.h"
#include "core/util/strings.h"
#include "feed_cli_support.h"

namespace zirvo::cli {
namespace {

class CFavSession {
public:
    explicit CFavSession(CliContext& context)
        : m_context(context),
          m_fav(m_tree, context.root.FavoriteOpmlPath(), context.messages),
          m_store(context.root.Dir()) {}

    bool Open(int& rc) {
        if (!m_fav.Load()) {
            rc = m_context.Fail("cannot read the favourites file " +
                                m_context.root.FavoriteOpmlPath());
            return false;
        }
        if (!m_store.Open()) {
            rc = m_context.Fail("cannot open the feed store: " + m_store.GetLastError());
            return false;
        }
        return true;
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
    bool TargetNode(const CArgs& args, NodeId& id, std::string& error) {
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

Record FavNodeRecord(CFavSession& session, NodeId id, int items) {
    const int favId = session.Fav().FolderIdOf(id);
    return {{"type", favId ? "node" : "folder"},
            {"fav_id", favId ? std::to_string(favId) : std::string()},
            {"items", favId ? std::to_string(items) : std::string()},
            {"path", session.PathText(id)}};
}

Record FavItemRecord(const RssItem& item, const std::string& node) {
    return {{"id", std::to_string(item.id)}, {"node", node},        {"date", item.date},
            {"author", item.author},         {"title", item.title}, {"link", item.link}};
}

int Usage(CliContext& context, const std::string& text) {
    return context.Fail(text + " (see zirvo-cli fav --help)", kExitUsage);
}

using FavAction = std::function<int(CliContext&, CFavSession&, CArgs&)>;

struct FavCommand {
    const char* name;
    std::function<void(CArgs&)> declare;
    FavAction run;
};

int FavTree(CliContext& context, CFavSession& session, CArgs& args) {
    if (!args.Positionals().empty()) {
        return Usage(context, "fav tree takes no arguments");
    }
    for (NodeId id : session.Tree().Walk()) {
        std::vector<RssItem> items;
        const int favId = session.Fav().FolderIdOf(id);
        if (favId != 0 && !session.Store().ListFavourites(favId, false, items)) {
            return context.Fail("cannot read the favourites: " + session.Store().GetLastError());
        }
        context.out.Write(FavNodeRecord(session, id, static_cast<int>(items.size())));
    }
    return kExitOk;
}

int FavMake(CliContext& context, CFavSession& session, CArgs& args, bool node) {
    if (args.Positionals().size() != 1) {
        return Usage(context, "give one NAME");
    }
    const std::string& name = args.Positionals()[0];
    const std::string home = args.ValueOr("--home", "");
    const FieldCheck check =
        node ? CheckFavouriteNodeFields(name, home) : CheckFolderFields(name, home);
    if (!check.ok) {
        return context.Fail(check.message, kExitUsage);
    }
    NodeId parent = kNoNode;
    std::string error;
    if (!session.Resolve(args.ValueOr("--folder", "/"), true, parent, error)) {
        return context.Fail(error, kExitUsage);
    }
    if (parent != kNoNode && session.Fav().FolderIdOf(parent) != 0) {
        return context.Fail("\"" + *args.Value("--folder") + "\" is a favourite node, not a folder",
                            kExitUsage);
    }
    for (NodeId sibling : session.Tree().Children(parent)) {
        if (session.Tree().Node(sibling)->caption == name) {
            return context.Fail("\"" + name + "\" already exists in " + session.PathText(parent));
        }
    }
    const NodeId id = node ? session.Fav().AddNode(parent, name, home, session.Store())
                           : session.Fav().AddFolder(parent, name, home);
    if (id == kNoNode) {
        return kExitFailed;
    }
    context.out.Write(FavNodeRecord(session, id, 0));
    return kExitOk;
}

int FavAdd(CliContext& context, CFavSession& session, CArgs& args) {
    if (args.Positionals().empty()) {
        return Usage(context, "give one or more ITEM_IDs");
    }
    std::vector<int> ids;
    for (const std::string& text : args.Positionals()) {
        int id = 0;
        RssItem item;
        if (!ParsePositive(text, id)) {
            return context.Fail("\"" + text + "\" is not an item id", kExitUsage);
        }
        if (!session.Store().GetItem(id, args.Has("--news"), item)) {
            return context.Fail("no item " + text, kExitUsage);
        }
        ids.push_back(id);
    }
    NodeId node = kNoNode;
    std::string error;
    if (!session.TargetNode(args, node, error)) {
        return context.Fail(error, kExitUsage);
    }
    for (int id : ids) {
        if (!session.Fav().KeepItem(node, id, args.Has("--news"), session.Store())) {
            return kExitFailed;
        }
        RssItem kept;
        const int favItem = session.Store().LastInsertId();
        session.Store().GetFavourite(favItem, kept);
        context.out.Write(FavItemRecord(kept, session.PathText(node)));
    }
    return kExitOk;
}

int FavAddManual(CliContext& context, CFavSession& session, CArgs& args) {
    if (!args.Positionals().empty()) {
        return Usage(context, "fav add-manual takes options only");
    }
    const std::string title = args.ValueOr("--title", "");
    const std::string link = args.ValueOr("--link", "");
    // The dialog opens with the time field set to now.
    const std::string time = args.ValueOr("--time", NowLocalText());
    const std::string author = args.ValueOr("--author", "");
    const std::string summary = args.ValueOr("--summary", "");
    const FieldCheck check = CheckFavouriteItemFields(title, link, time, author, summary);
    if (!check.ok) {
        return context.Fail(check.message, kExitUsage);
    }
    NodeId node = kNoNode;
    std::string error;
    if (!session.TargetNode(args, node, error)) {
        return context.Fail(error, kExitUsage);
    }
    if (!session.Fav().AddItemByHand(node, title, link, time, author, summary, session.Store())) {
        return kExitFailed;
    }
    RssItem kept;
    session.Store().GetFavourite(session.Store().LastInsertId(), kept);
    context.out.Write(FavItemRecord(kept, session.PathText(node)));
    return kExitOk;
}

int FavList(CliContext& context, CFavSession& session, CArgs& args) {
    if (args.Positionals().size() > 1) {
        return Usage(context, "at most one NODE");
    }
    NodeId from = kNoNode;
    std::string error;
    if (!args.Positionals().empty() && !session.Resolve(args.Positionals()[0], true, from, error)) {
        return context.Fail(error, kExitUsage);
    }
    for (NodeId id : session.Tree().Walk(from)) {
        const int favId = session.Fav().FolderIdOf(id);
        std::vector<RssItem> items;
        if (favId == 0) {
            continue;
        }
        if (!session.Store().ListFavourites(favId, true, items)) {
            return context.Fail("cannot read the favourites: " + session.Store().GetLastError());
        }
        for (const RssItem& item : items) {
            context.out.Write(FavItemRecord(item, session.PathText(id)));
        }
    }
    return kExitOk;
}

int FavRemove(CliContext& context, CFavSession& session, CArgs& args) {
    if (args.Positionals().size() != 1) {
        return Usage(context, "give one favourites folder or node");
    }
    NodeId id = kNoNode;
    std::string error;
    if (!session.Resolve(args.Positionals()[0], false, id, error)) {
        return context.Fail(error, kExitUsage);
    }
    std::vector<Record> removed;
    for (NodeId node : session.Tree().Walk(id)) {
        std::vector<RssItem> items;
        const int favId = session.Fav().FolderIdOf(node);
        if (favId != 0 && !session.Store().ListFavourites(favId, false, items)) {
            return context.Fail("cannot read the favourites: " + session.Store().GetLastError());
        }
        removed.push_back(FavNodeRecord(session, node, static_cast<int>(items.size())));
    }
    if (!session.Fav().Delete(id, session.Store())) {
        // A file failure has been reported by the file layer; a store failure has not.
        const std::string cause = session.Store().GetLastError();
        return cause.empty() ? kExitFailed : context.Fail(std::string(kDeleteFailed) + " " + cause);
    }
    for (const Record& record : removed) {
        context.out.Write(record);
    }
    return kExitOk;
}

// Favourite item ids of the arguments, each checked to exist.
bool FavItemIds(CliContext& context, CFavSession& session, const std::vector<std::string>& args,
                std::vector<int>& ids, int& rc) {
    for (const std::string& text : args) {
        int id = 0;
        RssItem item;
        if (!ParsePositive(text, id) || !session.Store().GetFavourite(id, item)) {
            rc = context.Fail("no favourite item \"" + text + "\" (see zirvo-cli fav list)",
                              kExitUsage);
            return false;
        }
        ids.push_back(id);
    }
    return true;
}

int FavRemoveItem(CliContext& context, CFavSession& session, CArgs& args) {
    if (args.Positionals().empty()) {
        return Usage(context, "give one or more favourite item ids");
    }
    std::vector<int> ids;
    int rc = kExitOk;
    if (!FavItemIds(context, session, args.Positionals(), ids, rc)) {
        return rc;
    }
    for (int id : ids) {
        if (!session.Store().DeleteFavourite(id)) {
            return context.Fail("cannot delete the favourite: " + session.Store().GetLastError());
        }
        context.out.Write({{"id", std::to_string(id)}, {"status", "deleted"}});
    }
    return kExitOk;
}

int FavMove(CliContext& context, CFavSession& session, CArgs& args) {
    if (args.Positionals().empty() || !args.Has("--to")) {
        return Usage(context, "give favourite item ids and --to NODE");
    }
    std::vector<int> ids;
    int rc = kExitOk;
    if (!FavItemIds(context, session, args.Positionals(), ids, rc)) {
        return rc;
    }
    NodeId node = kNoNode;
    std::string error;
    if (!session.TargetNode(args, node, error)) {
        return context.Fail(error, kExitUsage);
    }
    if (!session.Fav().MoveItems(ids, node, kNoNode, session.Store())) {
        return context.Fail("cannot move the favourites: " + session.Store().GetLastError());
    }
    for (int id : ids) {
        RssItem item;
        session.Store().GetFavourite(id, item);
        context.out.Write(FavItemRecord(item, session.PathText(node)));
    }
    return kExitOk;
}

int FavExport(CliContext& context, CFavSession& session, CArgs& args) {
    if (args.Positionals().size() != 2) {
        return Usage(context, "give NODE and FILE");
    }
    NodeId node = kNoNode;
    std::string error;
    if (!session.ResolveNode(args.Positionals()[0], node, error)) {
        return context.Fail(error, kExitUsage);
    }
    if (!session.Fav().ExportFeed(node, session.Store(), args.Positionals()[1])) {
        return context.Fail("cannot export " + session.PathText(node) + ": " +
                            session.Store().GetLastError());
    }
    context.out.Note(kFeedExported);
    context.out.Write({{"file", args.Positionals()[1]}, {"node", session.PathText(node)}});
    return kExitOk;
}

int FavImport(CliContext& context, CFavSession& session, CArgs& args) {
    if (args.Positionals().size() != 1) {
        return Usage(context, "give one FILE");
    }
    const std::string& file = args.Positionals()[0];
    if (!FileExists(file)) {
        return context.Fail("no such file: " + file);
    }
    const NodeId node = session.Fav().ImportFeedFile(file, session.Store());
    if (node == kNoNode) {
        return kExitFailed;
    }
    std::vector<RssItem> items;
    session.Store().ListFavourites(session.Fav().FolderIdOf(node), false, items);
    context.out.Write(FavNodeRecord(session, node, static_cast<int>(items.size())));
    return kExitOk;
}

const std::vector<FavCommand>& FavCommands() {
    static const std::vector<FavCommand> commands = {
        {"tree", [](CArgs&) {}, FavTree},
        {"mkdir", [](CArgs& a) { a.Option("--folder").Option("--home"); },
         [](CliContext& c, CFavSession& s, CArgs& a) { return FavMake(c, s, a, false); }},
        {"mknode", [](CArgs& a) { a.Option("--folder").Option("--home"); },
         [](CliContext& c, CFavSession& s, CArgs& a) { return FavMake(c, s, a, true); }},
        {"add", [](CArgs& a) { a.Option("--to").Flag("--news"); }, FavAdd},
        {"add-manual",
         [](CArgs& a) {
             a.Option("--title").Option("--link").Option("--time").Option("--author");
             a.Option("--summary").Option("--to");
         },
         FavAddManual},
        {"list", [](CArgs&) {}, FavList},
        {"rm", [](CArgs&) {}, FavRemove},
        {"rm-item", [](CArgs&) {}, FavRemoveItem},
        {"mv-item", [](CArgs& a) { a.Option("--to"); }, FavMove},
        {"export", [](CArgs&) {}, FavExport},
        {"import", [](CArgs&) {}, FavImport},
    };
    return commands;
}

int RunFav(CliContext& context, const std::vector<std::string>& args) {
    if (args.empty()) {
        return Usage(context, "give a sub-command");
    }
    for (const FavCommand& command : FavCommands()) {
        if (args[0] != command.name) {
            continue;
        }
        CArgs parsed;
        command.declare(parsed);
        if (!parsed.Parse(std::vector<std::string>(args.begin() + 1, args.end()))) {
            return Usage(context, parsed.Error());
        }
        CFavSession session(context);
        int rc = kExitOk;
        if (!session.Open(rc)) {
            return rc;
        }
        return command.run(context, session, parsed);
    }
    return Usage(context, "unknown sub-command \"" + args[0] + "\"");
}

const CliCommandRegistrar kFav(
    {"fav", "keep items as favourites",
     "usage: zirvo-cli fav SUBCOMMAND ...\n\n"
     "  tree                               folders and nodes: type fav_id items path\n"
     "  mkdir NAME [--folder F] [--home U]  new favourites folder (groups nodes)\n"
     "  mknode NAME [--folder F] [--home U] new favourite node (holds items)\n"
     "  add ITEM_ID... [--to NODE] [--news] keep received items (see zirvo-cli list), or\n"
     "                                     with --news results of the last news search\n"
     "  add-manual --title T --link L [--time T] [--author A] [--summary S] [--to NODE]\n"
     "                                     keep an item typed in by hand\n"
     "  list [NODE]                        kept items: id node date author title link\n"
     "  mv-item FAV_ID... --to NODE        move kept items to another node\n"
     "  rm-item FAV_ID...                  delete kept items\n"
     "  rm NODE                            delete a folder or node with its items\n"
     "  export NODE FILE                   write a node's items as an RSS file\n"
     "  import FILE                        read an RSS file into a new top-level node\n\n"
     "NODE is a caption path in the favourites tree (\"/\" the top level) or #FAV_ID.\n"
     "Without --to, items go to the first node of the tree.",
     RunFav});

}  // namespace
}  // namespace zirvo::cli
