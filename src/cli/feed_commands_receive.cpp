// `zirvo-cli receive`: the receive pipeline driven from the command line. One record per channel
// as its receive ends, a summary line, exit code 1 when any channel failed.
//
// Channels named one by one are received as "收取(&R)" on a channel does (each its own worker,
// whatever its automatic-update flag), at most --jobs at once; folders and --all are walked as
// the folder commands walk them (channels without automatic update only with --force), fetching
// --jobs channels ahead. Ctrl-C sets the closing flag: transfers stop and the command ends with
// what was received.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <set>

#include "cli_args.h"
#include "cli_command.h"
#include "core/receive/receive_manager.h"
#include "core/util/closing_flag.h"
#include "core/util/strings.h"
#include "feed_cli_support.h"

namespace zirvo::cli {
namespace {

// Prints each channel's outcome as it arrives. Calls come from the receive workers, so every
// use of the writer is under the observer's own mutex.
class CCliReceiveObserver : public IReceiveObserver {
public:
    CCliReceiveObserver(CliContext& context, CReaderSession& session)
        : m_context(context), m_session(session) {}

    void OnImageChanged(NodeId, int) override {}
    void OnUnreadChanged(NodeId, int) override {}
    void OnNewItemNotice(NodeId, int) override {}
    void OnRefreshList(int) override {}
    void OnStatusText(const std::string&) override {}
    // The command line has no list with pending marks.
    void FlushPendingMarkRead() override {}

    void OnChannelDone(const ChannelReceiveOutcome& outcome) override {
        const std::string path = m_session.PathText(outcome.node);
        std::string cause = outcome.error;
        if (!outcome.ok && outcome.fetchFailure != FeedFailure::None) {
            cause = std::string(FeedFailureName(outcome.fetchFailure)) +
                    (cause.empty() ? "" : ": " + cause);
        }
        std::lock_guard lock(m_mutex);
        (outcome.ok ? m_received : m_failed) += 1;
        m_singlesDone += m_singles.count(outcome.node);
        m_context.out.Write({
            {"status", outcome.ok ? "ok" : "failed"},
            {"feed_id", std::to_string(outcome.feedId)},
            {"path", path},
            {"items", std::to_string(outcome.itemsInFeed)},
            {"unread", std::to_string(outcome.unread)},
            {"error", outcome.ok ? std::string() : cause},
        });
        m_done.notify_all();
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
    CliContext& m_context;
    CReaderSession& m_session;
    mutable std::mutex m_mutex;
    std::condition_variable m_done;
    int m_received = 0;
    int m_failed = 0;
    std::set<NodeId> m_singles;
    int m_singlesDone = 0;
};

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

int RunReceive(CliContext& context, const std::vector<std::string>& args) {
    CArgs parsed;
    parsed.Flag("--all").Flag("--weighted").Flag("--force").Option("--jobs");
    long long jobs = kDefaultParallelFetches;
    if (!parsed.Parse(args) || !parsed.IntValue("--jobs", 1, 64, jobs)) {
        return context.Fail(parsed.Error() + " (see zirvo-cli receive --help)", kExitUsage);
    }
    const bool all = parsed.Has("--all");
    const bool weighted = parsed.Has("--weighted");
    const std::vector<std::string>& paths = parsed.Positionals();
    if ((all || weighted) == !paths.empty() || (all && weighted)) {
        return context.Fail("give --all, --weighted or PATHs (see zirvo-cli receive --help)",
                            kExitUsage);
    }
    if (weighted && parsed.Has("--force")) {
        return context.Fail("--force does not apply to --weighted", kExitUsage);
    }

    CReaderSession session(context.root.Dir(), context.reporter);
    if (!session.Open()) {
        return context.Fail(session.Error());
    }
    CChannelTree& tree = session.Tree();
    std::vector<NodeId> nodes;
    for (const std::string& path : paths) {
        bool top = false;
        std::string error;
        const NodeId id = session.Resolve(path, true, top, error);
        if (id == kNoNode && !top) {
            return context.Fail(error, kExitUsage);
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
    if (all) {
        if (!tree.Children(kNoNode).empty() && !session.Receive(kNoNode, force)) {
            return context.Fail(session.Error());
        }
    } else if (weighted) {
        if (!tree.Children(kNoNode).empty() && !manager.StartWeightedReceiveAll()) {
            return context.Fail("cannot start the receive");
        }
    } else {
        // Folders first: each walk fetches ahead on its own; single channels are kept to
        // --jobs workers at a time.
        for (NodeId id : nodes) {
            if (tree.Node(id)->IsFolder() && !session.Receive(id, force)) {
                observer.CountFailure();
                context.Fail(session.Error());
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
                context.Fail(session.Error());
            }
        }
    }
    manager.WaitIdle();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);

    const int received = observer.Received();
    const int failed = observer.Failed();
    context.out.Note(
        StrFormat("received %d channel%s, %d failed", received, received == 1 ? "" : "s", failed));
    if (IsClosing()) {
        return context.Fail("receive interrupted");
    }
    return failed > 0 ? kExitFailed : kExitOk;
}

const CliCommandRegistrar kReceive(
    {"receive", "fetch channels and store their new items",
     "usage: zirvo-cli receive PATH... [--force] [--jobs N]\n"
     "       zirvo-cli receive --all [--force] [--jobs N]\n"
     "       zirvo-cli receive --weighted [--jobs N]\n\n"
     "A channel PATH is always received. A folder PATH (\"/\" is the whole tree) and --all\n"
     "receive the channels below it whose automatic update is on, or every channel with\n"
     "--force. --weighted walks the whole tree through the weight rule (every run starts\n"
     "from the hottest level, so it receives what --all receives). --jobs N (1-64,\n"
     "default 4): channels fetched at once.\n\n"
     "One line per channel as it ends:  status feed_id path items unread error\n"
     "(status ok or failed; items = items read from the feed), then a summary.\n"
     "Exit code 1 when any channel failed; the others are still received.",
     RunReceive});

}  // namespace
}  // namespace zirvo::cli
