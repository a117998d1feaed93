// Work on the whole item table as jobs of the session (marking a channel, folder or the whole
// tree read, clearing, the list of every unread item), and refilling the shown list after a
// receive or a job changed what it shows.

#include <QCoreApplication>
#include <QTimer>

#include "core/util/closing_flag.h"
#include "gui/reader/article_list_model.h"
#include "gui/reader/reader_controller.h"
#include "gui/reader/reader_text.h"

namespace zirvo::gui {

bool CReaderController::RunStoreJob(const QString& busyText, StoreWork work,
                                    std::function<void(JobOutcome)> done) {
    const std::string root = m_session.Root().Dir();
    QPointer<CReaderController> self(this);
    const bool started =
        m_session.StartJob([root, work = std::move(work), done = std::move(done), self]() mutable {
            JobOutcome outcome;
            CRssStore store(root);
            if (store.Open()) {
                outcome = work(store);
            } else {
                outcome.error = store.GetLastError();
            }
            // Posted to the application, which outlives the controller; dropped when the
            // controller has gone or is closing.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, done = std::move(done), outcome = std::move(outcome)]() mutable {
                    if (!self || self->m_closing) {
                        return;
                    }
                    if (--self->m_jobsRunning == 0) {
                        emit self->StatusText(QString());
                    }
                    done(std::move(outcome));
                },
                Qt::QueuedConnection);
        });
    if (!started) {
        emit StatusText(QStringLiteral("无法开始后台任务"));
        return false;
    }
    ++m_jobsRunning;
    emit StatusText(busyText);
    return true;
}

void CReaderController::MarkNodeReadInBackground(NodeId node, int upToItemId) {
    if (!m_session.Tree().Exists(node) || m_closing) {
        return;
    }
    CChannelTreeEditor* editor = &m_session.Editor();
    RunStoreJob(
        QStringLiteral("正在标记为已读..."),
        [editor, node, upToItemId](CRssStore& store) {
            JobOutcome outcome;
            outcome.ok = editor->MarkRead(node, store, true, upToItemId);
            outcome.error = outcome.ok ? std::string() : store.GetLastError();
            return outcome;
        },
        [this, node](JobOutcome outcome) {
            if (!outcome.ok) {
                emit StatusText(QStringLiteral("无法标记为已读: ") + Q(outcome.error));
            }
            RefreshAllCounts();
            if (m_showingAllUnread || ListShowsPartOf(node)) {
                RefillShownList();
            }
        });
}

void CReaderController::BuildSearchIndexInBackground() {
    SearchIndexBuild build;
    if (m_closing || !m_session.Store().GetSearchIndexBuild(build) || !build.pending) {
        return;
    }
    QPointer<CReaderController> self(this);
    RunStoreJob(
        QStringLiteral("正在建立搜索索引..."),
        [self](CRssStore& store) {
            int shown = -1;
            const auto progress = [self, &shown](const SearchIndexBuild& now) {
                if (now.Percent() == shown) {
                    return;
                }
                shown = now.Percent();
                const QString text = QStringLiteral("正在建立搜索索引: %1%").arg(shown);
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(),
                    [self, text] {
                        if (self && !self->m_closing) {
                            emit self->StatusText(text);
                        }
                    },
                    Qt::QueuedConnection);
            };
            JobOutcome outcome;
            bool stopped = false;
            outcome.ok = BuildSearchIndex(
                             store, progress, [] { return IsClosing(); }, stopped) ||
                         stopped;
            outcome.error = outcome.ok ? std::string() : store.GetLastError();
            return outcome;
        },
        [this](JobOutcome outcome) {
            if (!outcome.ok) {
                emit StatusText(QStringLiteral("无法建立搜索索引: ") + Q(outcome.error));
            }
        });
}

bool CReaderController::ListShowsPartOf(NodeId node) const {
    const CChannelTree& tree = m_session.Tree();
    if (m_shownNode == kNoNode || !tree.Exists(node)) {
        return false;
    }
    if (node == m_shownNode || tree.IsInSubtree(node, m_shownNode) ||
        tree.IsInSubtree(m_shownNode, node)) {
        return true;
    }
    // Another subscription of the shown channel's address shows the same items.
    const std::optional<ChannelNode> shown = tree.Node(m_shownNode);
    const std::optional<ChannelNode> changed = tree.Node(node);
    return shown && changed && shown->IsChannel() && changed->IsChannel() &&
           shown->feedUrl == changed->feedUrl;
}

void CReaderController::ScheduleRefill() {
    if (!m_refillTimer->isActive()) {
        m_refillTimer->start();
    }
}

void CReaderController::RefillShownList() {
    m_refillTimer->stop();
    if (m_closing) {
        return;
    }
    if (m_showingAllUnread) {
        ShowAllUnreadPage(true);
    } else if (m_shownNode != kNoNode && m_session.Tree().Exists(m_shownNode)) {
        // A page that no longer exists (the list shrank) shows the last one.
        ShowNode(m_shownNode, m_page_, false);
        if (m_page_ > 0 && m_page_ >= m_pageCount) {
            ShowNode(m_shownNode, m_pageCount - 1, false);
        }
    }
}

void CReaderController::ShowAllUnreadPage(bool refresh) {
    // Every unread item of the store is a whole-table read: a job lists them, capped like a
    // folder list.
    const int generation = ++m_listGeneration;
    const CChannelTree* tree = &m_session.Tree();
    RunStoreJob(
        QStringLiteral("正在读取所有未读文章..."),
        [tree, order = m_order](CRssStore& store) {
            JobOutcome outcome;
            outcome.ok = ListAllUnreadWith(store, *tree, outcome.page, outcome.error, order);
            return outcome;
        },
        [this, generation, refresh](JobOutcome outcome) {
            if (generation != m_listGeneration) {
                return;  // another list was chosen meanwhile
            }
            if (!outcome.ok) {
                emit StatusText(QStringLiteral("无法读取文章列表: ") + Q(outcome.error));
                return;
            }
            const bool sameList = refresh && m_showingAllUnread;
            m_shownNode = kNoNode;
            m_showingAllUnread = true;
            FillList(std::move(outcome.page), 0, sameList);
        });
}

}  // namespace zirvo::gui
