// The channel tree in the window: adding through the wizard, receiving from the loopback
// server with counts on channel and folder, moving and dragging nodes (checked in the OPML
// file), deleting, renaming, the receive timer, and closing while a receive hangs.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDateTime>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QWizard>
#include <QtTest>
#include <algorithm>
#include <chrono>
#include <thread>

#include "core/db/sqlite_connection.h"
#include "core/util/closing_flag.h"
#include "gui/reader/article_list_model.h"
#include "gui/reader/channel_tree_widget.h"
#include "gui/reader/reader_icons.h"
#include "gui/reader/subscription_dialogs.h"
#include "reader_fixture.h"

using namespace zirvo;
using namespace zirvo::test;

class ReaderTreeTest : public QObject {
    Q_OBJECT
public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private slots:
    void WizardAddsChannelThatReceivesWithCountsOnFolder();
    void WizardRefusesFinishWithoutFolder();
    void MoveUpAndToRootWriteTheFile();
    void DroppingOntoFolderOrChannelMovesAndOwnSubtreeIsRefused();
    void DeleteAsksThenRemovesFromFileAndStore();
    void DeletedItemsGoOnAWorkerAndAFailureKeepsTheNode();
    void RenameInPlaceWritesTitle();
    void ReceiveTimerFollowsSettings();
    void TimerReceivePassesOverChannelsAskedToWait();
    void CloseWhileReceiveHangsReturns();
    void FailedChannelShowsFailedImage();
    void ABurstOfReceivedChannelsIsDrawnOnce();
    void AddDialogPrefillsAndFetchesTitleOffTheWindowThread();
    void ClickingAChannelReceivesItWhenAsked();
    void CountsOfAnEarlierReceiveShowAtStartUp();
    void AddDialogAsksAboutAKnownAddressAndCutsAFetchedTitle();
    void WizardNamesTheChannelFromTheFeedAWebPageOffers();
};

void ReaderTreeTest::WizardAddsChannelThatReceivesWithCountsOnFolder() {
    CReaderFixture f;
    f.WriteOpml({{"资讯", "", {{"已有频道", f.Server().Url("/gen/1?items=5"), {}}}}});
    f.Open();
    const QString feed = QString::fromStdString(f.Server().Url("/gen/2?items=120"));

    AnswerNextModal([&](QWidget* modal) {
        auto* wizard = qobject_cast<QWizard*>(modal);
        QVERIFY(wizard);
        auto* url = wizard->findChild<QLineEdit*>(QStringLiteral("feedUrlEdit"));
        QCOMPARE(url->text(), feed);  // handed over by the caller
        wizard->findChild<QLineEdit*>(QStringLiteral("titleEdit"))
            ->setText(QStringLiteral("新频道"));
        wizard->next();
        auto* picker = wizard->findChild<QTreeWidget*>(QStringLiteral("folderPicker"));
        picker->setCurrentItem(picker->topLevelItem(0));
        wizard->accept();
    });
    f.Controller().OpenAddSubscription(feed);

    const NodeId channel = f.Find("资讯/新频道");
    QVERIFY(channel != kNoNode);
    QVERIFY(f.OpmlText().find("title=\"新频道\" xmlUrl=\"" + feed.toStdString() + "\"") !=
            std::string::npos);

    f.ReceiveAndWait(f.Find("资讯"));
    QCOMPARE(f.ShownUnread(channel), 120);
    QCOMPARE(f.ShownUnread(f.Find("资讯/已有频道")), 5);
    QCOMPARE(f.ShownUnread(f.Find("资讯")), 125);
    QCOMPARE(f.Session().Tree().Node(channel)->image, kImageReceived);
}

void ReaderTreeTest::WizardRefusesFinishWithoutFolder() {
    CReaderFixture f;
    f.WriteOpml({{"资讯", "", {}}, {"频道", f.Server().Url("/gen/1?items=3"), {}}});
    f.Open();
    QString refusal;
    AnswerNextModal([&](QWidget* modal) {
        auto* wizard = qobject_cast<QWizard*>(modal);
        QVERIFY(wizard);
        wizard->findChild<QLineEdit*>(QStringLiteral("feedUrlEdit"))
            ->setText(QString::fromStdString(f.Server().Url("/gen/9")));
        wizard->findChild<QLineEdit*>(QStringLiteral("titleEdit"))->setText(QStringLiteral("九"));
        wizard->next();
        auto* picker = wizard->findChild<QTreeWidget*>(QStringLiteral("folderPicker"));
        picker->setCurrentItem(picker->topLevelItem(1));  // a channel is not a folder
        AnswerNextModal([&, wizard](QWidget* box) {
            refusal = qobject_cast<QMessageBox*>(box)->text();
            qobject_cast<QMessageBox*>(box)->accept();
            QVERIFY(wizard->isVisible());  // the wizard stays
            wizard->findChild<QCheckBox*>(QStringLiteral("toRootCheck"))->setChecked(true);
            wizard->accept();
        });
        wizard->accept();
    });
    f.Controller().OpenAddSubscription(QString());
    QCOMPARE(refusal, QStringLiteral("请选择一个目录!"));
    QVERIFY(f.Find("九") != kNoNode);  // added at the top level
}

void ReaderTreeTest::MoveUpAndToRootWriteTheFile() {
    CReaderFixture f;
    f.WriteOpml(
        {{"A", "", {{"a1", "http://127.0.0.1:1/a1", {}}, {"a2", "http://127.0.0.1:1/a2", {}}}},
         {"B", "", {}}});
    f.Open();
    f.Controller().SelectNode(f.Find("A/a2"));
    f.Controller().Action(QStringLiteral("treeMoveUp"))->trigger();
    QCOMPARE(f.OpmlOutline(), (std::vector<std::string>{"A", "  a2", "  a1", "B"}));
    QCOMPARE(f.Controller().Tree()->currentItem()->text(0), QStringLiteral("a2"));

    f.Controller().Action(QStringLiteral("treeMoveUp"))->trigger();  // first already: stays
    QCOMPARE(f.OpmlOutline(), (std::vector<std::string>{"A", "  a2", "  a1", "B"}));

    f.Controller().SelectNode(f.Find("A/a1"));
    f.Controller().Action(QStringLiteral("treeMoveToRoot"))->trigger();
    QCOMPARE(f.OpmlOutline(), (std::vector<std::string>{"A", "  a2", "B", "a1"}));
    QCOMPARE(f.Controller().Tree()->topLevelItemCount(), 3);
    QCOMPARE(f.Controller().Tree()->topLevelItem(2)->text(0), QStringLiteral("a1"));
}

void ReaderTreeTest::DroppingOntoFolderOrChannelMovesAndOwnSubtreeIsRefused() {
    CReaderFixture f;
    f.WriteOpml({{"A", "", {{"a1", "http://127.0.0.1:1/a1", {}}, {"Sub", "", {}}}},
                 {"B", "", {{"b1", "http://127.0.0.1:1/b1", {}}}},
                 {"c", "http://127.0.0.1:1/c", {}}});
    f.Open();
    gui::CChannelTreeWidget* tree = f.Controller().Tree();
    // Onto a folder: last child of it.
    emit tree->NodeDropped(f.Find("c"), f.Find("A"));
    QCOMPARE(f.OpmlOutline(), (std::vector<std::string>{"A", "  a1", "  Sub", "  c", "B", "  b1"}));
    // Onto a channel: in front of it, in its folder.
    emit tree->NodeDropped(f.Find("A/a1"), f.Find("B/b1"));
    QCOMPARE(f.OpmlOutline(), (std::vector<std::string>{"A", "  Sub", "  c", "B", "  a1", "  b1"}));
    // Into its own subtree: nothing changes.
    const std::string before = f.OpmlText();
    emit tree->NodeDropped(f.Find("A"), f.Find("A/Sub"));
    QCOMPARE(f.OpmlText(), before);
    // The control shows what the file says.
    QTreeWidgetItem* b = tree->ItemOf(f.Find("B"));
    QCOMPARE(b->childCount(), 2);
    QCOMPARE(b->child(0)->text(0), QStringLiteral("a1"));
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("a1"));
}

void ReaderTreeTest::DeleteAsksThenRemovesFromFileAndStore() {
    CReaderFixture f;
    f.WriteOpml({{"A", "", {{"a1", f.Server().Url("/gen/3?items=4"), {}}}},
                 {"b", f.Server().Url("/gen/4?items=2"), {}}});
    f.Open();
    f.ReceiveAndWait(kNoNode);
    int channels = 0;
    int items = 0;
    QVERIFY(f.Session().Store().CountAll(channels, items));
    QCOMPARE(items, 6);

    f.Controller().SelectNode(f.Find("A"));
    QString question;
    QString caption;
    AnswerNextModal([&](QWidget* box) {
        question = qobject_cast<QMessageBox*>(box)->text();
        caption = box->windowTitle();
        qobject_cast<QMessageBox*>(box)->button(QMessageBox::No)->click();
    });
    f.Controller().Action(QStringLiteral("treeDelete"))->trigger();
    QCOMPARE(question, QStringLiteral("确定要删除该频道吗?"));
    QCOMPARE(caption, QStringLiteral("确认"));
    QVERIFY(f.Find("A") != kNoNode);  // "No" keeps it

    AnswerNextModal(
        [](QWidget* box) { qobject_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click(); });
    const NodeId a = f.Find("A");
    f.Controller().Action(QStringLiteral("treeDelete"))->trigger();
    QCOMPARE(f.Controller().ListModel()->rowCount(), 0);
    QTRY_COMPARE(f.Find("A"), kNoNode);
    QCOMPARE(f.Controller().Tree()->ItemOf(a), nullptr);
    QCOMPARE(f.OpmlOutline(), (std::vector<std::string>{"b"}));
    QTRY_VERIFY(f.Session().Store().CountAll(channels, items) && items == 2);
    QTRY_COMPARE(f.Session().JobsRunning(), size_t(0));
    QVERIFY(f.Session().Store().CountAll(channels, items));
    QCOMPARE(channels, 1);
}

void ReaderTreeTest::DeletedItemsGoOnAWorkerAndAFailureKeepsTheNode() {
    CReaderFixture f;
    f.WriteOpml({{"A", "", {{"a1", f.Server().Url("/gen/3?items=4"), {}}}},
                 {"b", f.Server().Url("/gen/4?items=2"), {}},
                 {"c", f.Server().Url("/gen/5?items=3"), {}}});
    f.Open();
    f.ReceiveAndWait(kNoNode);
    QSignalSpy status(&f.Controller(), &gui::CReaderController::StatusText);
    int channels = 0;
    auto countAll = [&f, &channels] {
        int items = 0;
        return f.Session().Store().CountAll(channels, items) ? items : -1;
    };
    QCOMPARE(countAll(), 9);
    gui::CChannelTreeWidget* tree = f.Controller().Tree();

    // Another connection holds the write lock: the window goes on while the delete waits.
    CppSQLite3Connection peer;
    peer.Open(f.Root().PathOf("Storage/rss.db"));
    peer.ExecuteUpdate("BEGIN IMMEDIATE;");
    const NodeId b = f.Find("b");
    f.Controller().SelectNode(b);
    AnswerNextModal(
        [](QWidget* box) { qobject_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click(); });
    f.Controller().Action(QStringLiteral("treeDelete"))->trigger();
    QVERIFY(tree->ItemOf(b)->isHidden());  // out of sight at once
    QCOMPARE(f.Controller().ListModel()->rowCount(), 0);
    QTest::qWait(300);
    QCOMPARE(f.Session().JobsRunning(), size_t(1));
    QCOMPARE(countAll(), 9);  // the items when the lock is free
    peer.ExecuteUpdate("COMMIT;");
    QTRY_COMPARE(f.Find("b"), kNoNode);
    QCOMPARE(countAll(), 7);
    QCOMPARE(channels, 2);
    QCOMPARE(f.OpmlOutline(), (std::vector<std::string>{"A", "  a1", "c"}));
    QCOMPARE(tree->ItemOf(b), nullptr);
    QCOMPARE(tree->topLevelItemCount(), 2);

    // A store that refuses: the node comes back with its items (none of them is left without
    // a node, counting in totals), and the user learns why.
    peer.ExecuteUpdate(
        "CREATE TRIGGER keep_feeds BEFORE DELETE ON feed_data BEGIN SELECT RAISE(ABORT, "
        "'kept by the test'); END;");
    const NodeId c = f.Find("c");
    const int unread = f.Session().Tree().Unread(c);
    QCOMPARE(unread, 3);
    f.Controller().SelectNode(c);
    AnswerNextModal(
        [](QWidget* box) { qobject_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click(); });
    status.clear();
    f.Controller().Action(QStringLiteral("treeDelete"))->trigger();
    QVERIFY(tree->ItemOf(c)->isHidden());
    QTRY_VERIFY(std::any_of(status.begin(), status.end(), [](const QList<QVariant>& args) {
        return args[0].toString().contains(QStringLiteral("kept by the test"));
    }));
    QTRY_COMPARE(f.Session().JobsRunning(), size_t(0));
    QCOMPARE(f.Find("c"), c);
    QVERIFY(!tree->ItemOf(c)->isHidden());
    QCOMPARE(tree->ItemOf(c)->data(0, gui::kUnreadRole).toInt(), unread);
    QCOMPARE(f.OpmlOutline(), (std::vector<std::string>{"A", "  a1", "c"}));
    QCOMPARE(countAll(), 7);  // all or nothing
    QCOMPARE(channels, 2);

    // The store takes deletes again: the same node goes, with its items.
    peer.ExecuteUpdate("DROP TRIGGER keep_feeds;");
    AnswerNextModal(
        [](QWidget* box) { qobject_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click(); });
    f.Controller().SelectNode(c);
    f.Controller().Action(QStringLiteral("treeDelete"))->trigger();
    QTRY_COMPARE(f.Find("c"), kNoNode);
    QCOMPARE(countAll(), 4);
    QCOMPARE(f.OpmlOutline(), (std::vector<std::string>{"A", "  a1"}));

    // The window closes while the store is still busy with a delete: the close waits for the
    // items to go and then removes the node, which would otherwise come back, emptied.
    peer.ExecuteUpdate("BEGIN IMMEDIATE;");
    AnswerNextModal(
        [](QWidget* box) { qobject_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click(); });
    f.Controller().SelectNode(f.Find("A"));
    f.Controller().Action(QStringLiteral("treeDelete"))->trigger();
    QTest::qWait(200);
    QCOMPARE(f.Session().JobsRunning(), size_t(1));
    std::thread release([&peer] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        peer.ExecuteUpdate("COMMIT;");
    });
    f.Close();
    release.join();
    QCOMPARE(f.OpmlOutline(), std::vector<std::string>{});
    CRssStore store(f.Root().Path());
    QVERIFY(store.Open());
    int items = -1;
    QVERIFY(store.CountAll(channels, items));
    QCOMPARE(items, 0);
    QCOMPARE(channels, 0);
}

void ReaderTreeTest::RenameInPlaceWritesTitle() {
    CReaderFixture f;
    f.WriteOpml({{"first", "", {}}, {"second", "http://127.0.0.1:1/s", {}}});
    f.Open();
    gui::CChannelTreeWidget* tree = f.Controller().Tree();
    // The first node of the file keeps its name.
    QVERIFY(!(tree->ItemOf(f.Find("first"))->flags() & Qt::ItemIsEditable));
    f.Controller().SelectNode(f.Find("second"));
    f.Controller().Action(QStringLiteral("treeRename"))->trigger();
    auto* editor = tree->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("第二"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(f.OpmlText().find("title=\"第二\"") != std::string::npos);
    QCOMPARE(f.Find("second"), kNoNode);
    QCOMPARE(tree->ItemOf(f.Find("第二"))->text(0), QStringLiteral("第二"));
}

void ReaderTreeTest::ReceiveTimerFollowsSettings() {
    CReaderFixture f;
    f.WriteOpml({});
    f.SetRssSetting("autoreceive", "1");
    f.SetRssSetting("autoreceivetype", "1");
    f.SetRssSetting("autoreceivetime", "15");
    f.Open();
    QVERIFY(!f.Controller().TimerRunning());
    f.Controller().StartupReceive();
    QVERIFY(f.Controller().TimerRunning());
    QCOMPARE(f.Controller().TimerPeriodMs(), 15 * 60000);

    // The options dialog wrote type 0: the 10-minute weighted timer.
    f.SetRssSetting("autoreceivetype", "0");
    f.Controller().ApplyReceiveSettings();
    QCOMPARE(f.Controller().TimerPeriodMs(), 10 * 60000);
    // Only the minutes change while type 0 runs: the timer stays as it is.
    f.SetRssSetting("autoreceivetime", "45");
    f.Controller().ApplyReceiveSettings();
    QCOMPARE(f.Controller().TimerPeriodMs(), 10 * 60000);
    f.SetRssSetting("autoreceive", "0");
    f.Controller().ApplyReceiveSettings();
    QVERIFY(!f.Controller().TimerRunning());
}

void ReaderTreeTest::TimerReceivePassesOverChannelsAskedToWait() {
    CReaderFixture f;
    f.WriteOpml({{"waits", f.Server().Url("/gen/1?items=2"), {}},
                 {"due", f.Server().Url("/gen/2?items=3"), {}}});
    f.SetRssSetting("autoreceive", "1");
    f.SetRssSetting("autoreceivetype", "1");
    f.Open();
    // The site answered the last fetch with a wait of an hour (max-age or Retry-After).
    int waitingId = 0;
    QVERIFY(f.Session().Store().AddFeed(f.Server().Url("/gen/1?items=2"), waitingId));
    FeedFetchState asked;
    asked.time = QDateTime::currentSecsSinceEpoch();
    asked.ok = true;
    asked.notBefore = asked.time + 3600;
    QVERIFY(f.Session().Store().SaveFetchState(waitingId, asked));

    auto* timer = f.Controller().findChild<QTimer*>(QStringLiteral("receiveTimer"));
    QVERIFY(timer);
    timer->start(5);
    QTRY_VERIFY(!f.Server().RequestsFor("/gen/2").empty());
    timer->stop();
    f.Session().Receiver()->WaitIdle();
    QTest::qWait(20);
    QVERIFY(f.Server().RequestsFor("/gen/1").empty());
    QTRY_COMPARE(f.ShownUnread(f.Find("due")), 3);

    // The user's own receive always asks.
    f.ReceiveAndWait(f.Find("waits"));
    QCOMPARE(f.Server().RequestsFor("/gen/1").size(), size_t{1});
    QCOMPARE(f.ShownUnread(f.Find("waits")), 2);
}

void ReaderTreeTest::CloseWhileReceiveHangsReturns() {
    CReaderFixture f;
    f.WriteOpml({{"A",
                  "",
                  {{"hangs", f.Server().Url("/stall"), {}},
                   {"slow", f.Server().Url("/slow?s=30&to=/gen/1"), {}}}}});
    f.Open();
    f.Controller().SelectNode(f.Find("A/hangs"));
    f.Controller().Action(QStringLiteral("treeReceive"))->trigger();
    f.Controller().ReceiveAll();
    QTRY_VERIFY(f.Server().RequestsFor("/stall").size() >= 1);
    // Closing aborts the transfers and joins the workers; a hang here fails the test run.
    f.Controller().Shutdown();
    QVERIFY(IsClosing());
    QCOMPARE(f.Session().Receiver()->Running(), size_t{0});
    // Reports still queued for the window thread are dropped, not run against closed views.
    Pump();
    f.Close();
}

void ReaderTreeTest::FailedChannelShowsFailedImage() {
    CReaderFixture f;
    f.WriteOpml(
        {{"broken", f.Server().Url("/html"), {}}, {"ok", f.Server().Url("/gen/5?items=1"), {}}});
    f.Open();
    f.ReceiveAndWait(kNoNode);
    QCOMPARE(f.Session().Tree().Node(f.Find("broken"))->image, kImageFailed);
    QCOMPARE(f.Session().Tree().Node(f.Find("ok"))->image, kImageReceived);
    QCOMPARE(f.ShownUnread(f.Find("ok")), 1);
    QCOMPARE(f.ShownUnread(f.Find("broken")), 0);

    // The failed channel says why, in its tooltip and in the status bar; the good one shows
    // only its address.
    QSignalSpy status(&f.Controller(), &gui::CReaderController::StatusText);
    f.ReceiveAndWait(f.Find("broken"));
    QTRY_VERIFY(!status.isEmpty());
    bool said = false;
    for (const QList<QVariant>& args : status) {
        said = said || args.at(0).toString().contains(QStringLiteral("「broken」更新失败: "));
    }
    QVERIFY(said);
    const QString brokenTip = f.Controller().Tree()->ItemOf(f.Find("broken"))->toolTip(0);
    QVERIFY2(brokenTip.startsWith(QString::fromStdString(f.Server().Url("/html"))),
             qPrintable(brokenTip));
    QVERIFY2(brokenTip.contains(QStringLiteral("上次更新失败: ")), qPrintable(brokenTip));
    QVERIFY(brokenTip.size() > QString::fromStdString(f.Server().Url("/html")).size() + 9);
    QCOMPARE(f.Controller().Tree()->ItemOf(f.Find("ok"))->toolTip(0),
             QString::fromStdString(f.Server().Url("/gen/5?items=1")));
}

void ReaderTreeTest::ABurstOfReceivedChannelsIsDrawnOnce() {
    CReaderFixture f;
    std::vector<TestOutline> channels;
    for (int i = 0; i < 12; ++i) {
        channels.push_back({"c" + std::to_string(i),
                            f.Server().Url("/gen/" + std::to_string(i + 1) + "?items=2"),
                            {}});
    }
    channels.push_back({"broken", f.Server().Url("/html"), {}});
    f.WriteOpml({{"F", "", channels}});
    f.Open();
    QTRY_COMPARE(f.Session().JobsRunning(), size_t(0));  // the start-up count
    Pump();
    QSignalSpy status(&f.Controller(), &gui::CReaderController::StatusText);
    // Every channel reports while the window thread is busy elsewhere: the window draws what
    // they changed once, not once for each report.
    QVERIFY(f.Session().Receive(kNoNode, true));
    f.Session().Receiver()->WaitIdle();
    Pump();
    QTRY_VERIFY(!f.Controller().ReceiveViewsPending());
    // The last channel failed: the end of the walk leaves its reason in the status bar.
    QCOMPARE(status.size(), 1);
    QVERIFY2(status.front().at(0).toString().startsWith(QStringLiteral("「broken」更新失败: ")),
             qPrintable(status.front().at(0).toString()));
    QCOMPARE(f.ShownUnread(f.Find("F")), 24);
    QCOMPARE(f.ShownUnread(f.Find("F/c11")), 2);
    const QTreeWidgetItem* broken = f.Controller().Tree()->ItemOf(f.Find("F/broken"));
    QVERIFY(broken->toolTip(0).contains(QStringLiteral("上次更新失败: ")));
    QCOMPARE(broken->icon(0).cacheKey(), gui::TreeImage(kImageFailed).cacheKey());
}

void ReaderTreeTest::AddDialogPrefillsAndFetchesTitleOffTheWindowThread() {
    CReaderFixture f;
    f.WriteOpml({});
    f.Open();
    QApplication::clipboard()->setText(QStringLiteral("HTTP://127.0.0.1/feed"));
    {
        gui::CAddChannelDialog dialog(f.Session().Tree(), f.Window());
        QCOMPARE(dialog.Fields()->FeedUrl(), QStringLiteral("HTTP://127.0.0.1/feed"));
    }
    QApplication::clipboard()->setText(QStringLiteral("http://") + QString(506, QLatin1Char('x')));
    gui::CAddChannelDialog dialog(f.Session().Tree(), f.Window());
    QCOMPARE(dialog.Fields()->FeedUrl(), QString());  // 513 characters: not an address to take

    // A slow answer keeps the button busy while the window goes on.
    dialog.Fields()->SetValues(
        QString(), QString::fromStdString(f.Server().Url("/slow?s=1&to=/gen/7")), QString());
    dialog.show();
    QPushButton* fetch = dialog.Fields()->FetchButton();
    fetch->click();
    QVERIFY(!fetch->isEnabled());
    QCOMPARE(fetch->text(), QStringLiteral("获取中..."));
    QTRY_COMPARE_WITH_TIMEOUT(dialog.Fields()->Title(), QStringLiteral("Generated channel 7"),
                              20000);
    QVERIFY(fetch->isEnabled());
    QCOMPARE(fetch->text(), QStringLiteral("从地址获取"));

    // Refused before anything is fetched.
    dialog.Fields()->SetValues(QString(), QStringLiteral("http://x/<b>"), QString());
    QString refusal;
    AnswerNextModal([&](QWidget* box) {
        refusal = qobject_cast<QMessageBox*>(box)->text();
        qobject_cast<QMessageBox*>(box)->accept();
    });
    fetch->click();
    QCOMPARE(refusal, QStringLiteral("您输入了无效的字符!"));
    QVERIFY(fetch->isEnabled());
}

void ReaderTreeTest::ClickingAChannelReceivesItWhenAsked() {
    CReaderFixture f;
    f.WriteOpml({{"一", f.Server().Url("/gen/1?items=4"), {}},
                 {"二", f.Server().Url("/gen/2?items=2"), {}}});
    f.SetRssSetting("clickchannelautoreceive", "1");
    f.Open();
    gui::CChannelTreeWidget* tree = f.Controller().Tree();
    const QRect rect = tree->visualItemRect(tree->ItemOf(f.Find("二")));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    f.Session().Receiver()->WaitIdle();
    // The receive ends by showing the chosen channel again, with its items.
    QTRY_COMPARE(f.Controller().ListModel()->rowCount(), 2);
    QTRY_COMPARE(f.ShownUnread(f.Find("二")), 2);
    QCOMPARE(f.ShownUnread(f.Find("一")), 0);  // not chosen, not received
}

void ReaderTreeTest::CountsOfAnEarlierReceiveShowAtStartUp() {
    CReaderFixture f;
    // The file's counts are not kept: only the store can tell them after a restart.
    f.SetRssSetting("whenexitrememberunreadnum", "0");
    f.WriteOpml({{"F", "", {{"f1", f.Server().Url("/gen/5?items=7"), {}}}},
                 {"g", f.Server().Url("/gen/6?items=3"), {}}});
    {
        // Another program (zirvo-cli) receives through a session of its own.
        CRecordingReporter reporter;
        CNullReceiveObserver observer;
        CReaderSession other(f.Root().Path(), reporter);
        QVERIFY(other.Open());
        other.EnableReceiving(observer);
        QVERIFY(other.Receive(kNoNode, 1));
        other.Receiver()->WaitIdle();
        other.Close();
    }
    f.Open();
    QCOMPARE(f.ShownUnread(f.Find("F/f1")), 7);
    QCOMPARE(f.ShownUnread(f.Find("F")), 7);
    QCOMPARE(f.ShownUnread(f.Find("g")), 3);
}

void ReaderTreeTest::AddDialogAsksAboutAKnownAddressAndCutsAFetchedTitle() {
    CReaderFixture f;
    const std::string known = f.Server().Url("/gen/8?items=2");
    f.WriteOpml({{"D", "", {{"known", known, {}}}}});
    f.Open();
    gui::CAddChannelDialog dialog(f.Session().Tree(), f.Window());
    dialog.Fields()->SetValues(QStringLiteral("again"), QString::fromStdString(known), QString());
    dialog.show();

    QString question;
    AnswerNextModal([&](QWidget* box) {
        question = qobject_cast<QMessageBox*>(box)->text();
        qobject_cast<QMessageBox*>(box)->button(QMessageBox::No)->click();
    });
    dialog.accept();
    QVERIFY2(question.startsWith(QStringLiteral("该频道已经订阅: D")) &&
                 question.contains(QStringLiteral("known")),
             qPrintable(question));
    QCOMPARE(dialog.result(), int(QDialog::Rejected));  // "No": the dialog stays open
    QVERIFY(dialog.isVisible());

    AnswerNextModal(
        [](QWidget* box) { qobject_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click(); });
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));

    // A title over several lines and far beyond the caption limit comes back as one short line.
    const std::string tail(3000, 'x');
    QVERIFY(f.Server().Put("/long-title.xml",
                           "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>First\n"
                           "   second " +
                               tail +
                               "</title><link>http://example.com/</link>"
                               "<item><title>i</title><link>http://example.com/i</link></item>"
                               "</channel></rss>"));
    gui::CAddChannelDialog second(f.Session().Tree(), f.Window());
    second.Fields()->SetValues(QString(), QString::fromStdString(f.Server().Url("/long-title.xml")),
                               QString());
    second.show();
    second.Fields()->FetchButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(!second.Fields()->Title().isEmpty(), 20000);
    const std::string title = second.Fields()->Title().toStdString();
    QCOMPARE(title.size(), kMaxCaptionBytes);
    QVERIFY(title.rfind("First second xxx", 0) == 0);
}

namespace {

// Answers the next input dialog (the choice among a page's feeds) with its `index`th item; the
// wizard stays the active modal window until then.
void ChooseInNextInputDialog(int index) {
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, index] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        dialog->setTextValue(dialog->comboBoxItems().value(index));
        dialog->accept();
    });
    timer->start();
}

}  // namespace

void ReaderTreeTest::WizardNamesTheChannelFromTheFeedAWebPageOffers() {
    CReaderFixture f;
    f.WriteOpml({});
    f.Open();
    QVERIFY(f.Server().Put("/j.json",
                           "{\"version\": \"https://jsonfeed.org/version/1.1\", \"title\": "
                           "\"JSON Example\", \"home_page_url\": \"https://json.example.org/\", "
                           "\"items\": [{\"id\": \"1\", \"url\": \"https://json.example.org/1\"}]}",
                           "application/feed+json"));
    QVERIFY(f.Server().Put("/two.html",
                           "<html><head><link rel=\"alternate\" type=\"application/atom+xml\" "
                           "href=\"/a.atom\"><link rel=\"alternate\" "
                           "type=\"application/feed+json\" href=\"/j.json\" "
                           "title=\"JSON\"></head><body></body></html>",
                           "text/html"));
    const QString page = QString::fromStdString(f.Server().Url("/two.html"));
    QString title;
    QString address;
    QString home;
    AnswerNextModal([&](QWidget* modal) {
        auto* wizard = qobject_cast<QWizard*>(modal);
        QVERIFY(wizard);
        auto* url = wizard->findChild<QLineEdit*>(QStringLiteral("feedUrlEdit"));
        QTRY_COMPARE(wizard->focusWidget(), static_cast<QWidget*>(url));
        url->setText(page);
        ChooseInNextInputDialog(1);
        wizard->next();  // an empty name: fetched first, the page stays meanwhile
        QCOMPARE(wizard->currentId(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(wizard->currentId(), 1, 20000);
        title = wizard->findChild<QLineEdit*>(QStringLiteral("titleEdit"))->text();
        address = url->text();
        home = wizard->findChild<QLineEdit*>(QStringLiteral("homeUrlEdit"))->text();
        wizard->findChild<QCheckBox*>(QStringLiteral("toRootCheck"))->setChecked(true);
        wizard->accept();
    });
    f.Controller().OpenAddSubscription(QString());
    QCOMPARE(title, QStringLiteral("JSON Example"));
    QCOMPARE(address, QString::fromStdString(f.Server().Url("/j.json")));
    QCOMPARE(home, QStringLiteral("https://json.example.org/"));
    QVERIFY(f.Find("JSON Example") != kNoNode);
}

QTEST_MAIN(ReaderTreeTest)
#include "reader_tree_test.moc"
