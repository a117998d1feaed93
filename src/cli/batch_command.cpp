// zirvo-cli batch: the folder batch settings ("批量设置频道") for every channel now below a folder.

#include <iterator>
#include <optional>
#include <vector>

#include "cli_command.h"
#include "core/receive/folder_batch_settings.h"
#include "core/session/reader_session.h"
#include "core/subscriptions/channel_binding.h"

namespace zirvo::cli {
namespace {

// Reads the options into the page's input and the groups to run; false with `error` set.
bool ReadBatchOptions(const CCommandLine& parsed, FolderBatchInput& input,
                      std::vector<BatchGroup>& groups, std::string& error) {
    auto choice = [&](const char* name, const char* first, const char* second, bool& value,
                      BatchGroup group) {
        const std::optional<std::string> text = parsed.Value(name);
        if (!text) {
            return true;
        }
        if (*text != first && *text != second) {
            error = std::string("option ") + name + " takes " + first + " or " + second +
                    ", not \"" + *text + "\"";
            return false;
        }
        value = *text == second;
        groups.push_back(group);
        return true;
    };
    bool always = input.rankChoice == 1;
    bool autoUpdate = !input.noAutoUpdate;
    if (!choice("--rank", "weight", "always", always, BatchGroup::RssRank) ||
        !choice("--auto-update", "off", "on", autoUpdate, BatchGroup::AutoUpdate) ||
        !choice("--notice", "off", "on", input.showNotice, BatchGroup::Notice)) {
        return false;
    }
    input.rankChoice = always ? 1 : 0;
    input.noAutoUpdate = !autoUpdate;
    const std::optional<std::string> storage = parsed.Value("--storage");
    const std::optional<std::string> count = parsed.Value("--count");
    if (storage) {
        const char* kinds[] = {"global", "feed", "count", "all"};
        int kind = -1;
        for (int i = 0; i < 4; ++i) {
            if (*storage == kinds[i]) {
                kind = i;
            }
        }
        if (kind < 0) {
            error = "option --storage takes global, feed, count or all, not \"" + *storage + "\"";
            return false;
        }
        input.ownStorage = kind != 0;
        input.storageRadio = kind;
    }
    if (count) {
        input.storageCountText = *count;
    }
    if (storage || count) {
        groups.push_back(BatchGroup::Storage);
    }
    return true;
}

void RunBatch(CliContext& context, const CCommandLine& parsed) {
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        throw CliError(session.Error());
    }
    NodeId folder = kNoNode;
    std::string error;
    if (!session.ResolveFolder(parsed.Positionals().front(), folder, error)) {
        throw CliError::Usage(error);
    }
    FolderBatchInput input = FolderBatchInputOf(session.Tree(), folder, session.Store());
    std::vector<BatchGroup> groups;
    if (!ReadBatchOptions(parsed, input, groups, error)) {
        throw CliError::Usage(error);
    }
    if (parsed.Has("--all")) {
        groups.assign(std::begin(kSetAllOrder), std::end(kSetAllOrder));
    }
    if (groups.empty()) {
        parsed.UsageFail("give --rank, --storage/--count, --auto-update, --notice or --all");
    }
    const FolderBatchResult result =
        ApplyFolderBatch(session.Tree(), folder, session.Store(), input, groups);
    if (!result.check.ok) {
        throw CliError::Usage(result.check.message);
    }
    if (!result.ok) {
        throw CliError(result.message + " " + result.error);
    }
    for (const auto& [handle, feedId] : BoundFeedIds(session.Tree(), folder)) {
        const ChannelNode node = *session.Tree().Node(static_cast<NodeId>(handle));
        const FeedSettings& s = node.settings;
        context.out.Write({{"feed_id", feedId},
                           {"path", session.PathText(node.id)},
                           {"rank", s.rssRank ? "always" : "weight"},
                           {"storage_type", s.storageType},
                           {"storage_num", s.storageNum},
                           {"auto_update", s.autoUpdate ? "on" : "off"},
                           {"notice", s.newItemShowTip ? "on" : "off"}});
    }
    context.out.Note(result.message);
}

const CliCommandRegistrar kBatch(
    {"batch", "set the receive options of every channel below a folder",
     [](CCommandLine& cmd) {
         cmd.Positionals("FOLDER", "the folder (\"/\": every channel)", 1, 1)
             .Option("--rank", "weight|always", "the receive rank")
             .Option("--storage", "global|feed|count|all", "what the channels keep")
             .Option("--count", "N", "the newest N items for --storage count, 10..16000000")
             .Option("--auto-update", "on|off", "received by --all and folder receives")
             .Option("--notice", "on|off", "a notice when a receive leaves unread items")
             .Flag("--all", "set every option, those not given from the folder's first channel")
             .Description(
                 "Sets the given options for every channel now below FOLDER; channels added\n"
                 "later keep their own. --all sets them in the order rank, automatic update,\n"
                 "notice, storage. Prints per channel: feed_id path rank storage_type storage_num\n"
                 "auto_update notice; 设置完毕! goes to stderr.")
             .Examples({{"zirvo-cli batch News --auto-update off", "leave News out of --all"},
                        {"zirvo-cli batch / --storage count --count 100",
                         "every channel keeps its newest 100 items"}});
     },
     RunBatch});

}  // namespace
}  // namespace zirvo::cli
