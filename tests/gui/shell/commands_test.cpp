// Every command the main window offers, in each work mode: no enabled action without a handler,
// no key claimed by two enabled actions, unique mnemonics within a menu with digits matching
// their keys, and one filter state shown by the drop-down and the menu alike.

#include <QActionGroup>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QToolBar>
#include <QToolButton>
#include <QWidgetAction>
#include <QtTest>

#include <fstream>
#include "core/editorlink/editor_program.h"

#include "core/session/reader_session.h"
#include "gui/reader/favourites_controller.h"
#include "gui/reader/reader_controller.h"
#include "gui/shell/command_table.h"
#include "shell_fixture.h"

using namespace zirvo;
using namespace zirvo::gui;
using namespace zirvo::gui::test;

namespace {

// QObject::receivers is protected; the test only reads it.
class ActionPeek : public QAction {
public:
    using QObject::receivers;
};

int Receivers(QAction* action) {
    auto* peek = static_cast<ActionPeek*>(action);
    return peek->receivers(SIGNAL(triggered(bool))) + peek->receivers(SIGNAL(toggled(bool)));
}

// How many connections Qt's own widgets make to an action they show: measured, not assumed,
// so that only connections of the program's own count as a handler.
struct Baseline {
    int menu = 0;
    int menuBar = 0;
    int toolBar = 0;  // the bar and the button it makes
    int button = 0;   // a tool button showing it as its default action
    int group = 0;

    Baseline() {
        QMenu menuWidget;
        QMenuBar bar;
        QToolBar tools;
        QToolButton buttonWidget;
        QActionGroup groupObject(nullptr);
        QAction probe;
        int before = Receivers(&probe);
        menuWidget.addAction(&probe);
        menu = Receivers(&probe) - before;
        before = Receivers(&probe);
        bar.addAction(&probe);
        menuBar = Receivers(&probe) - before;
        before = Receivers(&probe);
        tools.addAction(&probe);
        toolBar = Receivers(&probe) - before;
        before = Receivers(&probe);
        buttonWidget.setDefaultAction(&probe);
        button = Receivers(&probe) - before;
        before = Receivers(&probe);
        groupObject.addAction(&probe);
        group = Receivers(&probe) - before;
    }

    int Of(QAction* action) const {
        int count = action->actionGroup() != nullptr ? group : 0;
        for (QObject* shown : action->associatedObjects()) {
            if (qobject_cast<QMenu*>(shown) != nullptr) {
                count += menu;
            } else if (qobject_cast<QMenuBar*>(shown) != nullptr) {
                count += menuBar;
            } else if (qobject_cast<QToolBar*>(shown) != nullptr) {
                count += toolBar;
            } else if (auto* tool = qobject_cast<QToolButton*>(shown)) {
                // A tool bar's own buttons are counted with the bar.
                if (qobject_cast<QToolBar*>(tool->parentWidget()) == nullptr) {
                    count += button;
                }
            }
        }
        return count;
    }
};

bool HasHandler(QAction* action, const Baseline& baseline) {
    if (action->menu() != nullptr) {
        return true;  // opens its menu, which is walked itself
    }
    return Receivers(action) > baseline.Of(action);
}

QString Name(QAction* action) {
    return action->objectName().isEmpty() ? action->text() : action->objectName();
}

void CollectMenu(QMenu* menu, QList<QMenu*>& out) {
    if (menu == nullptr || out.contains(menu)) {
        return;
    }
    out.append(menu);
    for (QAction* action : menu->actions()) {
        CollectMenu(action->menu(), out);
    }
}

QChar Mnemonic(const QString& text) {
    for (int i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (text[i + 1] == QLatin1Char('&')) {
                ++i;
                continue;
            }
            return text[i + 1].toUpper();
        }
    }
    return QChar();
}

// The actions whose keys are live in the window as it is now: the menu bar's menus, the shown
// tool bars and buttons, and the shown widgets' own actions.
QList<QAction*> LiveActions(CMainFrame* frame) {
    QList<QAction*> live;
    QList<QMenu*> menus;
    for (QAction* top : frame->menuBar()->actions()) {
        CollectMenu(top->menu(), menus);
    }
    for (QMenu* menu : menus) {
        live += menu->actions();
    }
    for (QWidget* widget : frame->findChildren<QWidget*>()) {
        if (widget->isVisible() && qobject_cast<QMenu*>(widget) == nullptr) {
            live += widget->actions();
        }
    }
    live += frame->actions();
    QList<QAction*> unique;
    for (QAction* action : live) {
        if (!action->isSeparator() && action->menu() == nullptr && !unique.contains(action)) {
            unique.append(action);
        }
    }
    return unique;
}

bool SharesScope(QAction* a, QAction* b) {
    auto windowWide = [](QAction* action) {
        return action->shortcutContext() == Qt::WindowShortcut ||
               action->shortcutContext() == Qt::ApplicationShortcut;
    };
    if (windowWide(a) || windowWide(b)) {
        return true;
    }
    for (QObject* shown : a->associatedObjects()) {
        if (b->associatedObjects().contains(shown)) {
            return true;
        }
    }
    return false;
}

struct Window {
    SeededRoot r;
    std::unique_ptr<CMainFrame> frame;
    std::unique_ptr<CReaderSession> session;
    CReaderController* reader = nullptr;
    CFavouritesController* favourites = nullptr;

    Window() {
        std::ofstream(r.root.OpmlPath(), std::ios::trunc)
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml version=\"1.0\"><head><title>t"
               "</title></head><body><outline title=\"F\" expanded=\"1\"><outline title=\"C\" "
               "xmlUrl=\"http://127.0.0.1:9/feed\"/></outline></body></opml>\n";
        frame = r.MakeFrame();
        session = std::make_unique<CReaderSession>(r.root.Dir(), r.reporter);
        if (!frame || !session->Open()) {
            return;
        }
        reader = new CReaderController(*session, *frame->Commands(), frame.get());
        frame->AttachReader(reader, session.get());
        favourites =
            new CFavouritesController(*session, *frame->Commands(), reader->Page(), frame.get());
        frame->AttachFavourites(favourites);
        frame->show();
    }
    ~Window() {
        if (reader != nullptr) {
            reader->Shutdown();
        }
        frame.reset();
    }
};

}  // namespace

class CommandsTest : public QObject {
    Q_OBJECT
public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private slots:
    void NoEnabledCommandWithoutHandlerInAnyMode() {
        Window w;
        QVERIFY(w.reader != nullptr);
        const Baseline baseline;
        for (int mode : {kModeBlog, kModeRss, kModeFavourites}) {
            w.frame->SetWorkMode(mode);
            QList<QMenu*> menus;
            for (QAction* top : w.frame->menuBar()->actions()) {
                CollectMenu(top->menu(), menus);
            }
            // Context menus, the tray menu and submenus that are not in the menu bar.
            for (QMenu* menu : w.frame->findChildren<QMenu*>()) {
                CollectMenu(menu, menus);
            }
            QList<QAction*> actions;
            for (QMenu* menu : menus) {
                actions += menu->actions();
            }
            for (QToolBar* bar : w.frame->findChildren<QToolBar*>()) {
                if (bar->isVisible()) {
                    actions += bar->actions();
                }
            }
            QVERIFY(actions.size() > 40);
            for (QAction* action : actions) {
                if (action->isSeparator() || qobject_cast<QWidgetAction*>(action) != nullptr) {
                    continue;
                }
                if (action->isEnabled()) {
                    QVERIFY2(HasHandler(action, baseline),
                             qPrintable(QStringLiteral("mode %1: %2 is enabled and does nothing")
                                            .arg(mode)
                                            .arg(Name(action))));
                } else {
                    QVERIFY2(!action->toolTip().isEmpty() && action->toolTip() != action->text(),
                             qPrintable(Name(action) + QStringLiteral(" is disabled silently")));
                }
            }
        }
        // OPML import and export are carried out by the reader.
        for (int id : {kCmdImportOpml, kCmdExportCurrent, kCmdExportAll}) {
            QVERIFY(w.frame->Commands()->Action(id)->isEnabled());
        }
        // Keeping an item goes to the favourites, and Ctrl+D is its key alone.
        QAction* keep = w.reader->Action(QStringLiteral("listAddToFavourites"));
        QVERIFY(keep->isEnabled());
        QCOMPARE(keep->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));
        QVERIFY(w.frame->Commands()->Action(kCmdAddFavourite)->shortcut().isEmpty());
        // Available where the home has a favourites folder, else saying that it has none.
        QAction* browser = w.reader->Action(QStringLiteral("listAddToBrowserFavourites"));
        QVERIFY(browser != nullptr);
        QVERIFY(browser->isEnabled() || browser->toolTip().contains(QStringLiteral("Favorites")));
        // Publishing an item needs the editor program; where there is none, it says so.
        QAction* publish = w.reader->Action(QStringLiteral("listPublishToBlog"));
        QVERIFY(publish != nullptr);
        QCOMPARE(publish->isEnabled(), !FindEditorProgram(RunningExecutableDir()).empty());
        if (!publish->isEnabled()) {
            QCOMPARE(publish->toolTip(), QString::fromUtf8(kTextEditorMissing));
        }
    }

    void NoKeyIsClaimedTwiceInAnyMode() {
        Window w;
        QVERIFY(w.reader != nullptr);
        for (int mode : {kModeBlog, kModeRss, kModeFavourites}) {
            w.frame->SetWorkMode(mode);
            const QList<QAction*> live = LiveActions(w.frame.get());
            for (int i = 0; i < live.size(); ++i) {
                for (int j = i + 1; j < live.size(); ++j) {
                    QAction* a = live[i];
                    QAction* b = live[j];
                    if (!a->isEnabled() || !b->isEnabled() || a->shortcut().isEmpty()) {
                        continue;
                    }
                    QVERIFY2(a->shortcut() != b->shortcut() || !SharesScope(a, b),
                             qPrintable(QStringLiteral("mode %1: %2 and %3 both claim %4")
                                            .arg(mode)
                                            .arg(Name(a), Name(b), a->shortcut().toString())));
                }
            }
        }
        // F5 is "全部更新" and nothing else; the page's reload has a key of its own.
        w.frame->SetWorkMode(kModeRss);
        int f5 = 0;
        for (QAction* action : LiveActions(w.frame.get())) {
            f5 += action->shortcuts().contains(QKeySequence(Qt::Key_F5)) ? 1 : 0;
        }
        QCOMPARE(f5, 1);
        QCOMPARE(w.frame->Commands()->Action(kCmdReceiveAll)->shortcut(), QKeySequence(Qt::Key_F5));
    }

    void MnemonicsAreUniqueAndDigitsMatchKeys() {
        Window w;
        QVERIFY(w.reader != nullptr);
        for (int mode : {kModeBlog, kModeRss, kModeFavourites}) {
            w.frame->SetWorkMode(mode);
            QList<QMenu*> menus;
            for (QAction* top : w.frame->menuBar()->actions()) {
                CollectMenu(top->menu(), menus);
            }
            for (QMenu* menu : w.frame->findChildren<QMenu*>()) {
                CollectMenu(menu, menus);
            }
            for (QMenu* menu : menus) {
                QHash<QChar, QString> seen;
                for (QAction* action : menu->actions()) {
                    if (action->isSeparator() || !action->isVisible()) {
                        continue;
                    }
                    const QChar key = Mnemonic(action->text());
                    if (key.isNull()) {
                        continue;
                    }
                    QVERIFY2(!seen.contains(key),
                             qPrintable(QStringLiteral("menu %1: %2 and %3 share (&%4)")
                                            .arg(menu->objectName(), seen.value(key),
                                                 action->text(), key)));
                    seen.insert(key, action->text());
                    if (key.isDigit()) {
                        QCOMPARE(action->shortcut(), QKeySequence(QStringLiteral("Ctrl+") + key));
                    }
                }
            }
        }
    }

    void FilterDropDownAndMenuShowOneState() {
        Window w;
        QVERIFY(w.reader != nullptr);
        auto* filter = w.frame->findChild<QComboBox*>(QStringLiteral("filter"));
        QVERIFY(filter != nullptr);
        QCOMPARE(filter->currentText(), QStringLiteral(" 显示未读项"));
        QCOMPARE(w.reader->Filter(), int(kUnreadItems));
        QVERIFY(w.reader->Action(QStringLiteral("listFilter2"))->isChecked());
        // The menu's first entry (Ctrl+1): all items, and the drop-down says so.
        w.reader->Action(QStringLiteral("listFilter0"))->trigger();
        QCOMPARE(w.reader->Filter(), int(kAllItems));
        QCOMPARE(filter->currentText(), QStringLiteral(" 显示全部项"));
        // Choosing unread in the drop-down again now does something.
        filter->setCurrentIndex(filter->findText(QStringLiteral(" 显示未读项")));
        QCOMPARE(w.reader->Filter(), int(kUnreadItems));
        QVERIFY(w.reader->Action(QStringLiteral("listFilter2"))->isChecked());
        // The menu's entries run in the drop-down's order, each digit its key.
        const QStringList expected = {
            QStringLiteral("显示全部项(&1)"), QStringLiteral("显示未读项(&2)"),
            QStringLiteral("显示已读项(&3)"), QStringLiteral("显示最新项(&4)")};
        for (int i = 0; i < filter->count(); ++i) {
            QAction* action =
                w.reader->Action(QStringLiteral("listFilter%1").arg(filter->itemData(i).toInt()));
            QCOMPARE(action->text(), expected[i]);
            QCOMPARE(filter->itemText(i).trimmed() + QStringLiteral("(&%1)").arg(i + 1),
                     expected[i]);
        }
    }
};

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"
