// `zirvo-cli receive`: the receive pipeline driven from the command line. One record per channel
// as its receive ends, a summary line, exit code 1 when any channel failed.
//
// Channels named one by one are received as "收取(&R)" on a channel does (each its own worker,
// whatever its automatic-update flag), at most --jobs at once; folders and --all are walked as
// the folder commands walk them (channels without automatic update only with --force), fetching
// --jobs channels ahead. Ctrl-C sets the closing flag: transfers stop and the command ends with
// what was received.

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>

#include "cli_command.h"
#include "core/receive/receive_manager.h"
#include "core/util/closing_flag.h"
#include "core/util/strings.h"
#include "feed_cli_support.h"
#include "html_text.h"

namespace zirvo::cli {
namespace {

// Prints each channel's outcome as it arrives. Calls come from the receive workers, so every
// use of the writer is under the observer's own mutex.
class CCliReceiveObserver : public IReceiveObserver {
public:
    CCliReceiveObserver(CliContext& context, CReaderSession& session)
        : m_context(context), m_session(session) {}

    void OnImageChanged(NodeId node, NodeImage image) override {
        if (image != kImageReceiving && image != kImageFolderReceiving) {
            return;
        }
        const std::string path = m_session.PathText(node);
        std::lock_guard lock(m_mutex);
        m_fetching[node] = path;
        DrawProgressLocked();
    }
    void OnUnreadChanged(NodeId, int) override {}
    void OnNewItemNotice(NodeId, int) override {}
    void OnRefreshList(int) override {}
    void OnStatusText(const std::string&) override {}
    // The command line has no list with pending marks.
    void FlushPendingMarkRead() override {}

    void OnChannelDone(const ChannelReceiveOutcome& outcome) override {
        const std::string path = m_session.PathText(outcome.node);
        const std::string cause = outcome.message.empty() ? outcome.error : outcome.message;
        std::lock_guard lock(m_mutex);
        (outcome.ok ? m_received : m_failed) += 1;
        m_singlesDone += m_singles.count(outcome.node);
        m_fetching.erase(outcome.node);
        ClearProgressLocked();
        m_context.out.Write({
            {"ok", outcome.ok},
            {"feed_id", IdOrNull(outcome.feedId)},
            {"path", path},
            {"items", outcome.itemsInFeed},
            {"unread", outcome.unread},
            {"error", outcome.ok ? FieldValue(nullptr) : FieldValue(cause)},
            {"not_modified", outcome.notModified},
        });
        DrawProgressLocked();
        m_done.notify_all();
    }

    // Shows one progress line on stderr, when that is a terminal, for about `total` channels
    // (0: not known in advance).
    void ShowProgress(int total) {
        std::lock_guard lock(m_mutex);
        m_progress = isatty(STDERR_FILENO) != 0;
        m_total = total;
    }
    void EndProgress() {
        std::lock_guard lock(m_mutex);
        ClearProgressLocked();
        m_progress = false;
    }

    void CountFailure() {
        std::lock_guard lock(m_mutex);
        ++m_failed;
    }
    // The channels received by workers of their own, whose ends SinglesDone counts.
    void SetSingles(std::set<NodeId> singles) {
        std::lock_guard lock(m_mutex);
        m_singles = std::move(singles);
    }
    int SinglesDone() const {
        std::lock_guard lock(m_mutex);
        return m_singlesDone;
    }
    int Received() const {
        std::lock_guard lock(m_mutex);
        return m_received;
    }
    int Failed() const {
        std::lock_guard lock(m_mutex);
        return m_failed;
    }
    // Waits until a channel finished or `timeout` passed.
    void WaitForOne(std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_mutex);
        m_done.wait_for(lock, timeout);
    }

private:
    void DrawProgressLocked() {
        if (!m_progress) {
            return;
        }
        const int done = m_received + m_failed;
        std::string line = m_total > 0 ? StrFormat("[%d/%d]", done, std::max(done, m_total))
                                       : StrFormat("[%d done]", done);
        if (!m_fetching.empty()) {
            std::vector<std::string> paths;
            for (const auto& [node, path] : m_fetching) {
                paths.push_back(path);
            }
            line += " fetching " + Join(paths, ", ");
        }
        winsize size{};
        const size_t width =
            ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 10 ? size.ws_col - 1 : 79;
        line = CutToColumns(line, width);
        std::fprintf(stderr, "\r\033[K%s", line.c_str());
        std::fflush(stderr);
        m_drawn = true;
    }
    void ClearProgressLocked() {
        if (m_drawn) {
            std::fputs("\r\033[K", stderr);
            std::fflush(stderr);
            m_drawn = false;
        }
    }

    CliContext& m_context;
    CReaderSession& m_session;
    mutable std::mutex m_mutex;
    std::condition_variable m_done;
    int m_received = 0;
    int m_failed = 0;
    std::set<NodeId> m_singles;
    int m_singlesDone = 0;
    bool m_progress = false;
    bool m_drawn = false;
    int m_total = 0;
    std::map<NodeId, std::string> m_fetching;
};

// The channels a receive of `nodes` takes in: those named, and below folders those with
// automatic update (all with `force`).
int ChannelsToReceive(const CChannelTree& tree, const std::vector<NodeId>& nodes, bool force) {
    int count = 0;
    for (NodeId id : nodes) {
        if (tree.Node(id)->IsChannel()) {
            ++count;
            continue;
        }
        for (NodeId channel : tree.SubtreeChannels(id)) {
            count += force || tree.Node(channel)->settings.autoUpdate != 0;
        }
    }
    return count;
}

void StopOnSignal(int) {
    SetClosing(true);
}

// Keeps only the nodes that no other given folder contains, in the given order, once each.
std::vector<NodeId> Outermost(const CChannelTree& tree, const std::vector<NodeId>& nodes) {
    std::vector<NodeId> kept;
    for (NodeId id : nodes) {
        bool covered = false;
        for (NodeId other : nodes) {
            if (other != id && tree.IsInSubtree(id, other) && !tree.IsInSubtree(other, id)) {
                covered = true;
            }
        }
        if (!covered && std::find(kept.begin(), kept.end(), id) == kept.end()) {
            kept.push_back(id);
        }
    }
    return kept;
}

void RunReceive(CliContext& context, const CCommandLine& parsed) {
    FetchSettings fetching;
    context.appConfig.ReadFetchSettings(fetching);
    const long long jobs = parsed.IntValue("--jobs", 1, 64, fetching.inFlight);
    const bool all = parsed.Has("--all");
    const bool weighted = parsed.Has("--weighted");
    const bool scheduled = parsed.Has("--scheduled");
    const std::vector<std::string> paths = parsed.Positionals();
    if ((all || weighted) == !paths.empty() || (all && weighted)) {
        parsed.UsageFail("give --all, --weighted or PATHs");
    }
    if (weighted && parsed.Has("--force")) {
        parsed.UsageFail("--force does not apply to --weighted");
    }
    if (scheduled && !all) {
        parsed.UsageFail("--scheduled goes with --all (--weighted is always scheduled)");
    }

    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        throw CliError(session.Error());
    }
    // Counts of channels this run does not receive must be right too when the file is saved.
    if (!session.LoadUnreadCounts()) {
        throw CliError(session.Error());
    }
    CChannelTree& tree = session.Tree();
    std::vector<NodeId> nodes;
    for (const std::string& path : paths) {
        bool top = false;
        std::string error;
        const NodeId id = session.Resolve(path, true, top, error);
        if (id == kNoNode && !top) {
            throw CliError::Usage(error);
        }
        if (top) {
            // "/" stands for every top-level node.
            for (NodeId child : tree.Children(kNoNode)) {
                nodes.push_back(child);
            }
        } else {
            nodes.push_back(id);
        }
    }
    nodes = Outermost(tree, nodes);

    CCliReceiveObserver observer(context, session);
    session.EnableReceiving(observer);
    // The workers report to `observer`: they are joined before it goes.
    struct StopFirst {
        CReaderSession& session;
        ~StopFirst() { session.StopReceiving(); }
    } stopFirst{session};
    CReceiveManager& manager = *session.Receiver();
    manager.SetParallelFetches(static_cast<int>(jobs));
    std::signal(SIGINT, StopOnSignal);
    std::signal(SIGTERM, StopOnSignal);

    const int force = parsed.Has("--force") ? 1 : 0;
    observer.ShowProgress(
        weighted ? 0 : ChannelsToReceive(tree, all ? tree.Children(kNoNode) : nodes, force != 0));
    if (all) {
        if (!tree.Children(kNoNode).empty() &&
            !(scheduled ? manager.StartReceiveAll(force != 0, true)
                        : session.Receive(kNoNode, force))) {
            throw CliError(scheduled ? std::string("cannot start the receive") : session.Error());
        }
    } else if (weighted) {
        if (!tree.Children(kNoNode).empty() && !manager.StartWeightedReceiveAll()) {
            throw CliError("cannot start the receive");
        }
    } else {
        // Folders first: each walk fetches ahead on its own; single channels are kept to
        // --jobs workers at a time.
        for (NodeId id : nodes) {
            if (tree.Node(id)->IsFolder() && !session.Receive(id, force)) {
                observer.CountFailure();
                context.out.Warn(session.Error());
            }
        }
        std::set<NodeId> singles;
        for (NodeId id : nodes) {
            if (tree.Node(id)->IsChannel()) {
                singles.insert(id);
            }
        }
        observer.SetSingles(singles);
        int started = 0;
        for (NodeId id : nodes) {
            if (!singles.count(id) || IsClosing()) {
                continue;
            }
            // Once stopping, workers no longer report; the loop must not wait for them.
            while (started - observer.SinglesDone() >= jobs && !IsClosing()) {
                observer.WaitForOne(std::chrono::milliseconds(50));
            }
            if (session.Receive(id)) {
                ++started;
            } else {
                observer.CountFailure();
                context.out.Warn(session.Error());
            }
        }
    }
    manager.WaitIdle();
    observer.EndProgress();
    // The window reads `unreadnum` at start-up; an interrupted run saves what it received.
    if (!session.Editor().SaveState()) {
        context.out.Warn("cannot save the unread counts to " + session.Root().OpmlPath());
    }
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);

    const int received = observer.Received();
    const int failed = observer.Failed();
    context.out.Note(
        StrFormat("received %d channel%s, %d failed", received, received == 1 ? "" : "s", failed));
    if (IsClosing()) {
        throw CliError("receive interrupted");
    }
    if (failed > 0) {
        throw CliError(StrFormat("%d channel%s failed", failed, failed == 1 ? "" : "s"));
    }
}

const CliCommandRegistrar kReceive(
    {"receive", "fetch channels and store their new items",
     [](CCommandLine& cmd) {
         cmd.Positionals("PATH", "channels or folders (\"/\" is the whole tree)", 0, -1)
             .Flag("--all", "the whole tree")
             .Flag("--weighted", "the whole tree through the weight rule")
             .Flag("--force", "also channels whose automatic update is off")
             .Flag("--scheduled",
                   "with --all: as the timer does, pass over channels whose site asked to wait")
             .Option("--jobs", "N",
                     "channels fetched at once, 1-64 (default rss/fetchesinflight, 16)")
             .Description(
                 "A channel PATH is always received. A folder PATH and --all receive the\n"
                 "channels below it whose automatic update is on, or every channel with --force.\n"
                 "--weighted walks the whole tree through the weight rule. A feed that sends\n"
                 "nothing for 30 s is dropped as failed. Requests are conditional: a feed that\n"
                 "has not changed answers 304 and counts as received (not_modified true).\n"
                 "--weighted and --scheduled leave alone a channel whose site asked to wait\n"
                 "(Cache-Control max-age, Retry-After; at most 24 h); a channel PATH, a folder\n"
                 "and --all alone always fetch.\n"
                 "At most rss/fetchesperhost (2) fetches go to one site at a time, and a site\n"
                 "that answers 429 or 503 is left alone for the pause it asks (at most 30 s).\n"
                 "One record per channel as it ends:  ok feed_id path items unread error\n"
                 "not_modified (items = items read from the feed). On a terminal a progress line "
                 "on stderr\n"
                 "shows done/total and the channels being fetched. Exit code 1 when any channel\n"
                 "failed; the others are still received.")
             .Examples({{"zirvo-cli receive --all", "every channel with automatic update"},
                        {"zirvo-cli receive News --force --jobs 8",
                         "every channel below News, eight at a time"},
                        {"zirvo-cli receive News/Example", "one channel"}});
     },
     RunReceive});

}  // namespace
}  // namespace zirvo::cli
