// `zirvo-cli fav`: the RSS favourites (Storage/rssFavorite.opml and the store's favourite
// tables). Favourites folders ("收藏夹") only group; favourite nodes ("收藏节点") hold the kept
// items. A node is named by its caption path in the favourites tree or by "#ID", its favourite id.

#include <functional>
#include <map>

#include "cli_command.h"
#include "core/subscriptions/channel_checks.h"
#include "core/subscriptions/favourite_tree.h"
#include "core/subscriptions/opml_exchange.h"
#include "core/util/feed_date.h"
#include "core/util/files.h"
#include "core/util/strings.h"
#include "fav_session.h"
#include "feed_cli_support.h"

namespace zirvo::cli {
namespace {

Record FavNodeRecord(CFavSession& session, NodeId id, int items) {
    const int favId = session.Fav().FolderIdOf(id);
    return {{"type", favId ? "node" : "folder"},
            {"fav_id", IdOrNull(favId)},
            {"items", favId ? FieldValue(items) : FieldValue(nullptr)},
            {"path", session.PathText(id)}};
}

Record FavItemRecord(const RssItem& item, const std::string& node) {
    return {{"id", item.id},         {"node", node},        {"date", item.date},
            {"author", item.author}, {"title", item.title}, {"link", item.link}};
}

using FavAction = std::function<void(CliContext&, CFavSession&, const CCommandLine&)>;

struct FavCommand {
    const char* name;
    const char* summary;
    std::function<void(CCommandLine&)> declare;
    FavAction run;
};

void FavTree(CliContext& context, CFavSession& session, const CCommandLine& args) {
    if (!args.Positionals().empty()) {
        args.UsageFail("fav tree takes no arguments");
    }
    for (NodeId id : session.Tree().Walk()) {
        std::vector<RssItem> items;
        const int favId = session.Fav().FolderIdOf(id);
        if (favId != 0 && !session.Store().ListFavourites(favId, false, items)) {
            throw CliError("cannot read the favourites: " + session.Store().GetLastError());
        }
        context.out.Write(FavNodeRecord(session, id, static_cast<int>(items.size())));
    }
}

void FavMake(CliContext& context, CFavSession& session, const CCommandLine& args, bool node) {
    if (args.Positionals().size() != 1) {
        args.UsageFail("give one NAME");
    }
    const std::string name = args.Positionals()[0];
    const std::string home = args.ValueOr("--home", "");
    const FieldCheck check =
        node ? CheckFavouriteNodeFields(name, home) : CheckFolderFields(name, home);
    if (!check.ok) {
        throw CliError::Usage(check.message);
    }
    NodeId parent = kNoNode;
    std::string error;
    if (!session.Resolve(args.ValueOr("--folder", "/"), true, parent, error)) {
        throw CliError::Usage(error);
    }
    if (parent != kNoNode && session.Fav().FolderIdOf(parent) != 0) {
        throw CliError::Usage("\"" + *args.Value("--folder") +
                              "\" is a favourite node, not a folder");
    }
    for (NodeId sibling : session.Tree().Children(parent)) {
        if (session.Tree().Node(sibling)->caption == name) {
            throw CliError("\"" + name + "\" already exists in " + session.PathText(parent));
        }
    }
    const NodeId id = node ? session.Fav().AddNode(parent, name, home, session.Store())
                           : session.Fav().AddFolder(parent, name, home);
    if (id == kNoNode) {
        throw CliError::Reported();
    }
    context.out.Write(FavNodeRecord(session, id, 0));
}

void FavAdd(CliContext& context, CFavSession& session, const CCommandLine& args) {
    if (args.Positionals().empty()) {
        args.UsageFail("give one or more ITEM_IDs");
    }
    std::vector<int> ids;
    for (const std::string& text : args.Positionals()) {
        int id = 0;
        RssItem item;
        if (!ParsePositive(text, id)) {
            throw CliError::Usage("\"" + text + "\" is not an item id");
        }
        if (!session.Store().GetItem(id, args.Has("--news"), item)) {
            throw CliError::Usage("no item " + text);
        }
        ids.push_back(id);
    }
    NodeId node = kNoNode;
    std::string error;
    if (!session.TargetNode(args, node, error)) {
        throw CliError::Usage(error);
    }
    for (int id : ids) {
        if (!session.Fav().KeepItem(node, id, args.Has("--news"), session.Store())) {
            throw CliError::Reported();
        }
        RssItem kept;
        const int favItem = session.Store().LastInsertId();
        session.Store().GetFavourite(favItem, kept);
        context.out.Write(FavItemRecord(kept, session.PathText(node)));
    }
}

void FavAddManual(CliContext& context, CFavSession& session, const CCommandLine& args) {
    if (!args.Positionals().empty()) {
        args.UsageFail("fav add-manual takes options only");
    }
    const std::string title = args.ValueOr("--title", "");
    const std::string link = args.ValueOr("--link", "");
    // The dialog opens with the time field set to now.
    const std::string time = args.ValueOr("--time", NowLocalText());
    const std::string author = args.ValueOr("--author", "");
    const std::string summary = args.ValueOr("--summary", "");
    const FieldCheck check = CheckFavouriteItemFields(title, link, time, author, summary);
    if (!check.ok) {
        throw CliError::Usage(check.message);
    }
    NodeId node = kNoNode;
    std::string error;
    if (!session.TargetNode(args, node, error)) {
        throw CliError::Usage(error);
    }
    if (!session.Fav().AddItemByHand(node, title, link, time, author, summary, session.Store())) {
        throw CliError::Reported();
    }
    RssItem kept;
    session.Store().GetFavourite(session.Store().LastInsertId(), kept);
    context.out.Write(FavItemRecord(kept, session.PathText(node)));
}

void FavList(CliContext& context, CFavSession& session, const CCommandLine& args) {
    if (args.Positionals().size() > 1) {
        args.UsageFail("at most one NODE");
    }
    NodeId from = kNoNode;
    std::string error;
    if (!args.Positionals().empty() && !session.Resolve(args.Positionals()[0], true, from, error)) {
        throw CliError::Usage(error);
    }
    for (NodeId id : session.Tree().Walk(from)) {
        const int favId = session.Fav().FolderIdOf(id);
        std::vector<RssItem> items;
        if (favId == 0) {
            continue;
        }
        if (!session.Store().ListFavourites(favId, true, items)) {
            throw CliError("cannot read the favourites: " + session.Store().GetLastError());
        }
        for (const RssItem& item : items) {
            context.out.Write(FavItemRecord(item, session.PathText(id)));
        }
    }
}

void FavRemove(CliContext& context, CFavSession& session, const CCommandLine& args) {
    if (args.Positionals().size() != 1) {
        args.UsageFail("give one favourites folder or node");
    }
    NodeId id = kNoNode;
    std::string error;
    if (!session.Resolve(args.Positionals()[0], false, id, error)) {
        throw CliError::Usage(error);
    }
    std::vector<Record> removed;
    for (NodeId node : session.Tree().Walk(id)) {
        std::vector<RssItem> items;
        const int favId = session.Fav().FolderIdOf(node);
        if (favId != 0 && !session.Store().ListFavourites(favId, false, items)) {
            throw CliError("cannot read the favourites: " + session.Store().GetLastError());
        }
        removed.push_back(FavNodeRecord(session, node, static_cast<int>(items.size())));
    }
    if (!session.Fav().Delete(id, session.Store())) {
        // A file failure has been reported by the file layer; a store failure has not.
        const std::string cause = session.Store().GetLastError();
        if (cause.empty()) {
            throw CliError::Reported();
        }
        throw CliError(std::string(kDeleteFailed) + " " + cause);
    }
    for (const Record& record : removed) {
        context.out.Write(record);
    }
}

// Favourite item ids of the arguments, each checked to exist.
bool FavItemIds(CFavSession& session, const std::vector<std::string>& args, std::vector<int>& ids) {
    for (const std::string& text : args) {
        int id = 0;
        RssItem item;
        if (!ParsePositive(text, id) || !session.Store().GetFavourite(id, item)) {
            throw CliError::Usage("no favourite item \"" + text + "\" (see zirvo-cli fav list)");
            return false;
        }
        ids.push_back(id);
    }
    return true;
}

void FavRemoveItem(CliContext& context, CFavSession& session, const CCommandLine& args) {
    if (args.Positionals().empty()) {
        args.UsageFail("give one or more favourite item ids");
    }
    std::vector<int> ids;
    if (!FavItemIds(session, args.Positionals(), ids)) {
        throw CliError::Reported();
    }
    for (int id : ids) {
        if (!session.Store().DeleteFavourite(id)) {
            throw CliError("cannot delete the favourite: " + session.Store().GetLastError());
        }
        context.out.Write({{"id", std::to_string(id)}, {"status", "deleted"}});
    }
}

void FavMove(CliContext& context, CFavSession& session, const CCommandLine& args) {
    if (args.Positionals().empty() || !args.Has("--to")) {
        args.UsageFail("give favourite item ids and --to NODE");
    }
    std::vector<int> ids;
    if (!FavItemIds(session, args.Positionals(), ids)) {
        throw CliError::Reported();
    }
    NodeId node = kNoNode;
    std::string error;
    if (!session.TargetNode(args, node, error)) {
        throw CliError::Usage(error);
    }
    if (!session.Fav().MoveItems(ids, node, kNoNode, session.Store())) {
        throw CliError("cannot move the favourites: " + session.Store().GetLastError());
    }
    for (int id : ids) {
        RssItem item;
        session.Store().GetFavourite(id, item);
        context.out.Write(FavItemRecord(item, session.PathText(node)));
    }
}

void FavExport(CliContext& context, CFavSession& session, const CCommandLine& args) {
    if (args.Positionals().size() != 2) {
        args.UsageFail("give NODE and FILE");
    }
    NodeId node = kNoNode;
    std::string error;
    if (!session.ResolveNode(args.Positionals()[0], node, error)) {
        throw CliError::Usage(error);
    }
    if (!session.Fav().ExportFeed(node, session.Store(), args.Positionals()[1])) {
        throw CliError("cannot export " + session.PathText(node) + ": " +
                       session.Store().GetLastError());
    }
    context.out.Note(kFeedExported);
    context.out.Write({{"file", args.Positionals()[1]}, {"node", session.PathText(node)}});
}

void FavImport(CliContext& context, CFavSession& session, const CCommandLine& args) {
    if (args.Positionals().size() != 1) {
        args.UsageFail("give one FILE");
    }
    const std::string file = args.Positionals()[0];
    if (!FileExists(file)) {
        throw CliError("no such file: " + file);
    }
    const NodeId node = session.Fav().ImportFeedFile(file, session.Store());
    if (node == kNoNode) {
        throw CliError::Reported();
    }
    std::vector<RssItem> items;
    session.Store().ListFavourites(session.Fav().FolderIdOf(node), false, items);
    context.out.Write(FavNodeRecord(session, node, static_cast<int>(items.size())));
}

const std::vector<FavCommand>& FavCommands() {
    static const std::vector<FavCommand> commands = {
        {"tree", "folders and nodes: type fav_id items path",
         [](CCommandLine& a) {
             a.Examples({{"zirvo-cli fav tree", "the favourites tree"},
                         {"zirvo-cli --json fav tree", "the same as JSON"}});
         },
         FavTree},
        {"mkdir", "a new favourites folder (groups nodes)",
         [](CCommandLine& a) {
             a.Positionals("NAME", "the folder's caption", 1, 1)
                 .Option("--folder", "PATH", "the parent folder (default: the top level)")
                 .Option("--home", "URL", "a home page")
                 .Examples({{"zirvo-cli fav mkdir Reading", "a folder at the top level"},
                            {"zirvo-cli fav mkdir Later --folder Reading", "a folder inside"}});
         },
         [](CliContext& c, CFavSession& s, const CCommandLine& a) { FavMake(c, s, a, false); }},
        {"mknode", "a new favourite node (holds items)",
         [](CCommandLine& a) {
             a.Positionals("NAME", "the node's caption", 1, 1)
                 .Option("--folder", "PATH", "the parent folder (default: the top level)")
                 .Option("--home", "URL", "a home page")
                 .Examples(
                     {{"zirvo-cli fav mknode Keep", "a node at the top level"},
                      {"zirvo-cli fav mknode Papers --folder Reading", "a node in a folder"}});
         },
         [](CliContext& c, CFavSession& s, const CCommandLine& a) { FavMake(c, s, a, true); }},
        {"add", "keep received items (or news search results)",
         [](CCommandLine& a) {
             a.Positionals("ITEM_ID", "items (see zirvo-cli list)", 1, -1)
                 .Option("--to", "NODE", "the node (default: the first node of the tree)")
                 .Flag("--news", "results of the last news search")
                 .Examples({{"zirvo-cli fav add 42 43", "keep two items in the first node"},
                            {"zirvo-cli fav add 7 --news --to Keep", "keep a news result"}});
         },
         FavAdd},
        {"add-manual", "keep an item typed in by hand",
         [](CCommandLine& a) {
             a.Required("--title", "TEXT", "the title")
                 .Required("--link", "URL", "the link")
                 .Option("--time", "DATE", "the date (default: now)")
                 .Option("--author", "NAME", "the author")
                 .Option("--summary", "TEXT", "the text")
                 .Option("--to", "NODE", "the node (default: the first node of the tree)")
                 .Examples({{"zirvo-cli fav add-manual --title Notes --link https://example.org/",
                             "keep a link"},
                            {"zirvo-cli fav add-manual --title T --link https://x.org/ --to Keep",
                             "keep it in the node Keep"}});
         },
         FavAddManual},
        {"list", "kept items: id node date author title link",
         [](CCommandLine& a) {
             a.Positionals("NODE", "a node or folder (default: everything)", 0, 1)
                 .Examples({{"zirvo-cli fav list", "every kept item"},
                            {"zirvo-cli fav list Keep", "the items of one node"}});
         },
         FavList},
        {"rm", "delete a folder or node with its items",
         [](CCommandLine& a) {
             a.Positionals("NODE", "the folder or node", 1, 1)
                 .Examples({{"zirvo-cli fav rm Keep", "delete a node"},
                            {"zirvo-cli fav rm '#3'", "delete the node with fav id 3"}});
         },
         FavRemove},
        {"rm-item", "delete kept items",
         [](CCommandLine& a) {
             a.Positionals("FAV_ID", "kept items (see zirvo-cli fav list)", 1, -1)
                 .Examples({{"zirvo-cli fav rm-item 5", "delete one kept item"},
                            {"zirvo-cli fav rm-item 5 6 7", "delete three"}});
         },
         FavRemoveItem},
        {"mv-item", "move kept items to another node",
         [](CCommandLine& a) {
             a.Positionals("FAV_ID", "kept items", 1, -1)
                 .Required("--to", "NODE", "the node to move them to")
                 .Examples({{"zirvo-cli fav mv-item 5 --to Papers", "move one item"},
                            {"zirvo-cli fav mv-item 5 6 --to '#2'", "move two"}});
         },
         FavMove},
        {"export", "write a node's items as an RSS file",
         [](CCommandLine& a) {
             a.Positionals("NODE", "the node", 1, 1)
                 .Positionals("FILE", "the RSS file to write", 1, 1)
                 .Examples({{"zirvo-cli fav export Keep keep.xml", "write the node Keep"},
                            {"zirvo-cli fav export '#2' two.xml", "by fav id"}});
         },
         FavExport},
        {"import", "read an RSS file into a new top-level node",
         [](CCommandLine& a) {
             a.Positionals("FILE", "the RSS file", 1, 1)
                 .Examples({{"zirvo-cli fav import keep.xml", "read a file back"},
                            {"zirvo-cli --json fav import keep.xml", "and print JSON"}});
         },
         FavImport},
    };
    return commands;
}

void RunFav(CliContext& context, const CCommandLine& parsed) {
    const std::string chosen = parsed.Chosen();
    for (const FavCommand& command : FavCommands()) {
        if (chosen == command.name) {
            CFavSession session(context);
            session.Open();
            command.run(context, session, parsed.Child(chosen));
            return;
        }
    }
    parsed.UsageFail("name a sub-command");
}

const CliCommandRegistrar kFav(
    {"fav", "keep items as favourites",
     [](CCommandLine& cmd) {
         for (const FavCommand& command : FavCommands()) {
             command.declare(cmd.Sub(command.name, command.summary));
         }
         cmd.Description(
                "NODE is a caption path in the favourites tree (\"/\" the top level) or "
                "#FAV_ID.\nWithout --to, items go to the first node of the tree.")
             .Examples({{"zirvo-cli fav mknode Keep", "a node for kept items"},
                        {"zirvo-cli fav add 42 --to Keep", "keep item 42 there"},
                        {"zirvo-cli fav list Keep", "what it holds"}});
     },
     RunFav});

}  // namespace
}  // namespace zirvo::cli
