// zirvo-cli batch: the folder batch settings ("批量设置频道") for every channel now below a folder.

#include <iterator>
#include <optional>
#include <vector>

#include "cli_args.h"
#include "cli_command.h"
#include "core/receive/folder_batch_settings.h"
#include "core/session/reader_session.h"
#include "core/subscriptions/channel_binding.h"

namespace zirvo::cli {
namespace {

// Reads the options into the page's input and the groups to run; false with `error` set.
bool ReadBatchOptions(const CArgs& parsed, FolderBatchInput& input, std::vector<BatchGroup>& groups,
                      std::string& error) {
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

int RunBatch(CliContext& context, const std::vector<std::string>& args) {
    CArgs parsed;
    parsed.Option("--rank").Option("--storage").Option("--count").Option("--auto-update");
    parsed.Option("--notice").Flag("--all");
    if (!parsed.Parse(args) || parsed.Positionals().size() != 1) {
        return context.Fail(
            (parsed.Error().empty() ? std::string("give one FOLDER") : parsed.Error()) +
                " (see zirvo-cli batch --help)",
            kExitUsage);
    }
    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        return context.Fail(session.Error());
    }
    NodeId folder = kNoNode;
    std::string error;
    if (!session.ResolveFolder(parsed.Positionals().front(), folder, error)) {
        return context.Fail(error, kExitUsage);
    }
    FolderBatchInput input = FolderBatchInputOf(session.Tree(), folder, session.Store());
    std::vector<BatchGroup> groups;
    if (!ReadBatchOptions(parsed, input, groups, error)) {
        return context.Fail(error, kExitUsage);
    }
    if (parsed.Has("--all")) {
        groups.assign(std::begin(kSetAllOrder), std::end(kSetAllOrder));
    }
    if (groups.empty()) {
        return context.Fail("give --rank, --storage/--count, --auto-update, --notice or --all",
                            kExitUsage);
    }
    const FolderBatchResult result =
        ApplyFolderBatch(session.Tree(), folder, session.Store(), input, groups);
    if (!result.check.ok) {
        return context.Fail(result.check.message, kExitUsage);
    }
    if (!result.ok) {
        return context.Fail(result.message + " " + result.error);
    }
    for (const auto& [handle, feedId] : BoundFeedIds(session.Tree(), folder)) {
        const ChannelNode node = *session.Tree().Node(static_cast<NodeId>(handle));
        const ChannelFeedSettings& s = node.settings;
        context.out.Write({{"feed_id", std::to_string(feedId)},
                           {"path", session.PathText(node.id)},
                           {"rank", s.rssRank ? "always" : "weight"},
                           {"storage_type", std::to_string(s.storageType)},
                           {"storage_num", std::to_string(s.storageNum)},
                           {"auto_update", s.autoUpdate ? "on" : "off"},
                           {"notice", s.newItemShowTip ? "on" : "off"}});
    }
    context.out.Note(result.message);
    return kExitOk;
}

const CliCommandRegistrar kBatch(
    {"batch", "set the receive options of every channel below a folder",
     "usage: zirvo-cli batch FOLDER [--rank weight|always] [--storage global|feed|count|all]\n"
     "       [--count N] [--auto-update on|off] [--notice on|off] [--all]\n\n"
     "Sets the given options for every channel now below FOLDER (\"/\": every channel);\n"
     "channels added later keep their own. --storage global uses the storage setting of the\n"
     "options; feed keeps what the feed lists, count the newest N (--count, 10..16000000,\n"
     "also checked for the other kinds), all keeps everything. --all sets every option, those\n"
     "not given from the folder's first channel, in the order rank, automatic update, notice,\n"
     "storage. Prints per channel: feed_id path rank storage_type storage_num auto_update\n"
     "notice, then 设置完毕!.",
     RunBatch});

}  // namespace
}  // namespace zirvo::cli
