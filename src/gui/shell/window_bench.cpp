#include "gui/shell/window_bench.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "core/editorlink/blog_tree_code.h"
#include "core/search/rss_search.h"
#include "core/session/reader_session.h"
#include "gui/library/blog_article_page.h"
#include "gui/library/library_controller.h"
#include "gui/reader/reader_controller.h"
#include "gui/shell/main_frame.h"

namespace zirvo::gui {

namespace {

constexpr int kTickMs = 10;
constexpr qint64 kSettleMs = 300;
constexpr qint64 kGiveUpMs = 300000;

bool Busy(CReaderSession& session, CLibraryController* library) {
    return session.JobsRunning() > 0 ||
           (session.Receiver() != nullptr && session.Receiver()->Running() > 0) ||
           (library != nullptr &&
            (library->BackgroundRunning() > 0 || library->Page()->Rendering()));
}

void ClickFirstRow(QWidget* list, int column) {
    auto* view = qobject_cast<QAbstractItemView*>(list);
    if (view == nullptr || view->model() == nullptr || view->model()->rowCount() == 0) {
        return;
    }
    const QModelIndex index = view->model()->index(0, column);
    const QPoint at = view->visualRect(index).center();
    const QPointF local(at);
    const QPointF global(view->viewport()->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &release);
}

// Runs the steps one after the other while the probe timer measures the loop's lateness.
class CBenchRun : public QObject {
public:
    CBenchRun(CMainFrame& frame, CReaderController& reader, CReaderSession& session,
              QStringList steps)
        : QObject(&frame),
          m_frame(frame),
          m_reader(reader),
          m_session(session),
          m_steps(std::move(steps)) {
        m_probe.setTimerType(Qt::PreciseTimer);
        m_probe.setInterval(kTickMs);
        connect(&m_probe, &QTimer::timeout, this, [this] { Tick(); });
        // Questions a step asks (the clearing's) are answered yes.
        m_answer.setInterval(20);
        connect(&m_answer, &QTimer::timeout, this, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                if (QAbstractButton* yes = box->button(QMessageBox::Yes)) {
                    yes->click();
                } else {
                    box->accept();
                }
            }
        });
        m_answer.start();
    }

    void Begin() {
        m_sinceTick.start();
        m_probe.start();
        m_index = -1;
        Next();
    }

private:
    void Tick() {
        const qint64 late = m_sinceTick.restart() - kTickMs;
        m_worst = std::max(m_worst, late);
        if (m_stepClock.isValid() && m_stepClock.elapsed() > 0) {
            CheckSettled();
        }
    }

    void CheckSettled() {
        if (Busy(m_session, m_frame.Library()) || !m_started) {
            m_idle.invalidate();
            if (m_stepClock.elapsed() < kGiveUpMs) {
                return;
            }
        } else if (!m_idle.isValid()) {
            m_idle.start();
            return;
        } else if (m_idle.elapsed() < kSettleMs) {
            return;
        }
        const qint64 total = m_stepClock.elapsed() - (m_idle.isValid() ? m_idle.elapsed() : 0);
        std::fprintf(
            stderr, "zirvo-stall %s %lld %lld\n",
            // One word per figure: a search keyword may hold blanks.
            m_steps.value(m_index).replace(QLatin1Char(' '), QLatin1Char('_')).toUtf8().constData(),
            static_cast<long long>(std::max<qint64>(m_worst, 0)), static_cast<long long>(total));
        std::fflush(stderr);
        Next();
    }

    void Next() {
        ++m_index;
        m_stepClock.invalidate();
        m_idle.invalidate();
        if (m_index >= m_steps.size()) {
            m_probe.stop();
            m_answer.stop();
            QTimer::singleShot(0, &m_frame, &QWidget::close);
            return;
        }
        m_started = false;
        m_stepClock.start();
        m_worst = 0;
        const QString step = m_steps[m_index];
        // The step runs from the event loop, so the probe sees the stall it causes.
        QTimer::singleShot(0, this, [this, step] {
            Run(step);
            m_started = true;
        });
    }

    void Run(const QString& step) {
        const QString verb = step.section(QLatin1Char(':'), 0, 0);
        const QString argument = step.section(QLatin1Char(':'), 1);
        if (verb == QLatin1String("select")) {
            bool topLevel = false;
            std::string error;
            const NodeId node = m_session.Resolve(argument.toStdString(), false, topLevel, error);
            if (node == kNoNode) {
                std::fprintf(stderr, "zirvo: no node '%s': %s\n", argument.toUtf8().constData(),
                             error.c_str());
                return;
            }
            m_reader.SelectNode(node);
        } else if (verb == QLatin1String("unread")) {
            m_reader.ShowAllUnread();
        } else if (verb == QLatin1String("markread") || verb == QLatin1String("clear")) {
            const NodeId node = m_reader.ShownNode();
            const auto shown = m_session.Tree().Node(node);
            const bool folder = shown && shown->IsFolder();
            const char* name = verb == QLatin1String("markread")
                                   ? (folder ? "treeMarkFolderRead" : "treeMarkChannelRead")
                                   : (folder ? "treeClearFolder" : "treeClearChannel");
            if (QAction* action = m_reader.Action(QString::fromLatin1(name))) {
                action->trigger();
            }
        } else if (verb == QLatin1String("receiveall")) {
            m_reader.ReceiveAll();
        } else if (verb == QLatin1String("search")) {
            m_reader.Search(kSearchAllChannels, argument, true, QStringLiteral("10"));
        } else if (verb == QLatin1String("click")) {
            ClickFirstRow(m_reader.ListWidget(), 3);
        } else if (verb == QLatin1String("blog")) {
            SelectBlogFolder(argument);
        } else if (verb == QLatin1String("blogclick") && m_frame.Library() != nullptr) {
            ClickFirstRow(m_frame.Library()->ListWidget(), 0);
        }
    }

    // "ACCOUNT/FOLDER": the blog mode, then the folder as a click on the tree selects it; the
    // time until the first page is in the list goes out as "zirvo-firstpage STEP MS ROWS".
    void SelectBlogFolder(const QString& argument) {
        CLibraryController* library = m_frame.Library();
        const std::string account = argument.section(QLatin1Char('/'), 0, 0).toStdString();
        const int folder = argument.section(QLatin1Char('/'), 1).toInt();
        if (library == nullptr) {
            std::fprintf(stderr, "zirvo: no blog library\n");
            return;
        }
        const std::vector<std::string> names = library->AccountNames();
        const auto found = std::find(names.begin(), names.end(), account);
        if (found == names.end()) {
            std::fprintf(stderr, "zirvo: no account '%s'\n", account.c_str());
            return;
        }
        m_frame.SetWorkMode(kModeBlog);
        QElapsedTimer clock;
        clock.start();
        const int code = BlogTreeCode(static_cast<int>(found - names.begin()), folder);
        library->SelectCode(code);
        const qint64 elapsed = clock.elapsed();
        const auto* view = qobject_cast<QAbstractItemView*>(library->ListWidget());
        const int rows =
            view != nullptr && view->model() != nullptr ? view->model()->rowCount() : 0;
        std::fprintf(stderr, "zirvo-firstpage %s %lld %d\n",
                     m_steps.value(m_index).toUtf8().constData(), static_cast<long long>(elapsed),
                     rows);
    }

    CMainFrame& m_frame;
    CReaderController& m_reader;
    CReaderSession& m_session;
    QStringList m_steps;
    QTimer m_probe;
    QTimer m_answer;
    QElapsedTimer m_sinceTick;
    QElapsedTimer m_stepClock;
    QElapsedTimer m_idle;
    qint64 m_worst = 0;
    int m_index = -1;
    bool m_started = false;
};

}  // namespace

void StartWindowBench(CMainFrame& frame, CReaderController& reader, CReaderSession& session) {
    const QString steps = qEnvironmentVariable("ZIRVO_BENCH_STEPS");
    if (steps.isEmpty()) {
        return;
    }
    auto* run =
        new CBenchRun(frame, reader, session, steps.split(QLatin1Char(';'), Qt::SkipEmptyParts));
    run->Begin();
}

}  // namespace zirvo::gui
