#include "gui/shell/scripted_run.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCoreApplication>
#include <QTabWidget>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidgetItem>
#include <cstdio>

#include "core/session/reader_session.h"
#include "gui/dialogs/reader_options_dialog.h"
#include "gui/reader/channel_tree_widget.h"
#include "gui/reader/reader_controller.h"
#include "gui/shell/command_table.h"
#include "gui/shell/main_frame.h"
#include "gui/shell/startup_timing.h"

namespace zirvo::gui {

namespace {

NodeId ResolveNode(CReaderSession& session, const QString& reference) {
    bool topLevel = false;
    std::string error;
    const NodeId id = session.Resolve(reference.toStdString(), false, topLevel, error);
    if (id == kNoNode) {
        std::fprintf(stderr, "zirvo: no node '%s': %s\n", reference.toUtf8().constData(),
                     error.c_str());
    }
    return id;
}

void OpenNamed(CMainFrame& frame, CReaderController& reader, CReaderSession& session,
               const QString& name) {
    if (name == QLatin1String("options")) {
        frame.RunCommand(kCmdReaderSettings);
    } else if (name == QLatin1String("system")) {
        frame.RunCommand(kCmdSystemSettings);
    } else if (name == QLatin1String("wizard")) {
        frame.RunCommand(kCmdCleaningWizard);
    } else if (name == QLatin1String("channel") || name == QLatin1String("folder")) {
        const NodeId shown = reader.ShownNode();
        if (shown == kNoNode) {
            return;
        }
        NodeId target = shown;
        if (name == QLatin1String("folder")) {
            target = session.Tree().Parent(shown);
        }
        if (target != kNoNode) {
            reader.OpenNodeProperties(target);
        }
    } else if (name == QLatin1String("appearance")) {
        // The options dialog on its appearance page, once it is up.
        QTimer::singleShot(300, &frame, [] {
            if (auto* dialog =
                    qobject_cast<CReaderOptionsDialog*>(QApplication::activeModalWidget())) {
                dialog->Pages()->setCurrentWidget(
                    dialog->Pages()->findChild<QWidget*>(QStringLiteral("appearancePage")));
            }
        });
        frame.RunCommand(kCmdReaderSettings);
    } else if (name == QLatin1String("tooltip")) {
        // The shown channel received again, then its tree tooltip (a failure says why).
        const NodeId shown = reader.ShownNode();
        if (shown == kNoNode || !session.Receive(shown, true, true)) {
            return;
        }
        QTimer::singleShot(2500, &frame, [&reader, shown] {
            CChannelTreeWidget* tree = reader.Tree();
            if (QTreeWidgetItem* item = tree->ItemOf(shown)) {
                const QRect rect = tree->visualItemRect(item);
                QToolTip::showText(tree->viewport()->mapToGlobal(rect.center()), item->toolTip(0),
                                   tree);
            }
        });
    } else if (name == QLatin1String("notice")) {
        frame.OnWindowMessage(2168, 0, 2);
    } else if (name == QLatin1String("message")) {
        session.Messages().ShowById(3001);
    }
}

}  // namespace

void StartScriptedRun(CMainFrame& frame, CReaderController& reader, CReaderSession& session,
                      const QElapsedTimer& sinceStart) {
    const QString select = qEnvironmentVariable("ZIRVO_SELECT");
    const QString open = qEnvironmentVariable("ZIRVO_OPEN");
    const int quitAfter = qEnvironmentVariableIntValue("ZIRVO_QUIT_AFTER_MS");
    const bool showItem = qEnvironmentVariableIntValue("ZIRVO_SHOW_ITEM") != 0;
    if (select.isEmpty() && open.isEmpty() && !qEnvironmentVariableIsSet("ZIRVO_QUIT_AFTER_MS")) {
        return;
    }
    const int rounds = qMax(1, qEnvironmentVariableIntValue("ZIRVO_SELECT_ROUNDS"));
    QTimer::singleShot(
        0, &frame,
        [&frame, &reader, &session, sinceStart, select, open, quitAfter, showItem, rounds] {
            bool first = true;
            for (int round = 0; round < rounds; ++round) {
                for (const QString& reference :
                     select.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
                    const NodeId node = ResolveNode(session, reference);
                    if (node == kNoNode) {
                        continue;
                    }
                    QElapsedTimer timer;
                    timer.start();
                    reader.SelectNode(node);
                    // The list and the page repaint before the figure is taken.
                    QCoreApplication::processEvents();
                    if (CStartupTiming::Enabled()) {
                        CStartupTiming::Print(QStringLiteral("select %1").arg(reference),
                                              timer.elapsed());
                        if (first) {
                            CStartupTiming::Print(QStringLiteral("first-list-filled"),
                                                  sinceStart.elapsed());
                        }
                    }
                    first = false;
                }
            }
            if (showItem) {
                if (auto* view = qobject_cast<QAbstractItemView*>(reader.ListWidget());
                    view != nullptr && view->model() != nullptr && view->model()->rowCount() > 0) {
                    view->setFocus();
                    view->setCurrentIndex(view->model()->index(0, 0));
                }
            }
            if (quitAfter > 0 || qEnvironmentVariableIsSet("ZIRVO_QUIT_AFTER_MS")) {
                QTimer::singleShot(quitAfter, &frame, &QWidget::close);
            }
            if (!open.isEmpty()) {
                QTimer::singleShot(300, &frame, [&frame, &reader, &session, open] {
                    OpenNamed(frame, reader, session, open);
                });
            }
        });
}

}  // namespace zirvo::gui
