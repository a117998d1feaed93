// The main window over a seeded root: work modes with their menus, the stored layout, the
// notice, the window messages and the close sequence.

#include <QFile>
#include <QLocalSocket>
#include <QMenuBar>
#include <QSignalSpy>
#include <QSplitter>
#include <QToolBox>
#include <QtTest>
#include <memory>
#include <vector>

#include "core/integration/window_message.h"
#include "core/util/closing_flag.h"
#include "gui/shell/local_channel.h"
#include "gui/shell/popup_notifier.h"
#include "shell_fixture.h"

using namespace zirvo;
using namespace zirvo::gui;
using namespace zirvo::gui::test;

namespace {

QStringList MenuTitles(QMainWindow& window) {
    QStringList titles;
    for (QAction* action : window.menuBar()->actions()) {
        titles << action->text();
    }
    return titles;
}

}  // namespace

class MainFrameTest : public QObject {
    Q_OBJECT

private slots:
    void NavigationSwitchesWorkModeMenusAndPanes() {
        SeededRoot r;
        QVERIFY(r.seeded);
        auto frame = r.MakeFrame();
        QVERIFY(frame);
        frame->show();
        auto* nav = frame->findChild<QToolBox*>(QStringLiteral("navigation"));
        QVERIFY(nav);
        QCOMPARE(nav->count(), 3);
        QCOMPARE(nav->itemText(0), QStringLiteral("收藏"));
        QCOMPARE(nav->itemText(1), QStringLiteral("RSS订阅"));
        QCOMPARE(nav->itemText(2), QStringLiteral("博客"));

        nav->setCurrentIndex(2);
        QCOMPARE(frame->WorkMode(), int(kModeBlog));
        QCOMPARE(MenuTitles(*frame),
                 (QStringList{QStringLiteral("工具(&T)"), QStringLiteral("帮助(&H)")}));
        QVERIFY(!frame->findChild<QWidget*>(QStringLiteral("paging"))->isVisible());
        nav->setCurrentIndex(0);
        QCOMPARE(frame->WorkMode(), int(kModeFavourites));
        QCOMPARE(MenuTitles(*frame),
                 (QStringList{QStringLiteral("收藏夹(&A)"), QStringLiteral("帮助(&H)")}));
        nav->setCurrentIndex(1);
        QCOMPARE(frame->WorkMode(), int(kModeRss));
        QCOMPARE(MenuTitles(*frame).size(), 4);
        QCOMPARE(MenuTitles(*frame).first(), QStringLiteral("频道(&C)"));
        QVERIFY(frame->findChild<QWidget*>(QStringLiteral("paging"))->isVisible());
        // Whatever sets a title, the window keeps the application's.
        frame->setWindowTitle(QStringLiteral("something else"));
        QCoreApplication::processEvents();
        QCOMPARE(frame->windowTitle(), QApplication::applicationDisplayName());
    }

    void StoredLayoutIsRestoredAndSavedAtClose() {
        SeededRoot r;
        WindowPosSettings pos{100, 80, 1100, 880, 250, 621};
        QVERIFY(r.config.WriteWindowPos(pos));
        {
            auto frame = r.MakeFrame();
            QVERIFY(frame);
            frame->ShowAtStoredPlace();
            QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
            QVERIFY(!frame->isMaximized());
            // 621 is out of range: the article list gets 300.
            QCOMPARE(frame->InnerSplitter()->sizes().first(), 300);
            QCOMPARE(frame->OuterSplitter()->sizes().first(), 250);
            QSignalSpy closed(frame.get(), &CMainFrame::Closed);
            QVERIFY(frame->close());
            QCOMPARE(closed.count(), 1);
            QVERIFY(IsClosing());
        }
        WindowPosSettings saved;
        QVERIFY(r.config.ReadWindowPos(saved));
        QCOMPARE(saved.right - saved.left, 1000);
        QCOMPARE(saved.bottom - saved.top, 800);
        QCOMPARE(saved.leftFrameWidth, 250);
        QCOMPARE(saved.topFrameHeight, 300);

        // 620 is kept.
        saved.topFrameHeight = 620;
        QVERIFY(r.config.WriteWindowPos(saved));
        auto again = r.MakeFrame();
        QVERIFY(again);
        QVERIFY(!IsClosing());
        again->ShowAtStoredPlace();
        QVERIFY(QTest::qWaitForWindowExposed(again.get()));
        QCOMPARE(again->InnerSplitter()->sizes().first(), 620);
    }

    void MaximisedWindowStoresZerosAndZerosOpenMaximised() {
        SeededRoot r;
        QVERIFY(r.config.WriteWindowPos(WindowPosSettings{0, 0, 0, 0, 230, 300}));
        auto frame = r.MakeFrame();
        QVERIFY(frame);
        frame->ShowAtStoredPlace();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        QVERIFY(frame->isMaximized());
        frame->close();
        WindowPosSettings saved{1, 1, 1, 1, 0, 0};
        QVERIFY(r.config.ReadWindowPos(saved));
        QCOMPARE(saved.left + saved.top + saved.right + saved.bottom, 0);
    }

    void NoticeIsDroppedWhileOneShowsAndJobMessagesPickTheirText() {
        SeededRoot r;
        auto frame = r.MakeFrame();
        QVERIFY(frame);
        CPopupNotifier* popup = frame->Notifier();
        QCOMPARE(popup->size(), QSize(170, 100));
        frame->OnWindowMessage(kMsgJobFinished, 0, 7);  // unknown job: nothing
        QVERIFY(!popup->IsShowing());
        frame->OnWindowMessage(kMsgJobFinished, 0, 2);
        QVERIFY(popup->IsShowing());
        QCOMPARE(popup->Text(), QStringLiteral("文章发布成功!"));
        QVERIFY(!frame->ShowNotice(QStringLiteral("频道\r\n有 3 个更新"), false, 3000));
        QCOMPARE(popup->Text(), QStringLiteral("文章发布成功!"));

        // Clicking the text closes the notice and asks for the main window.
        QSignalSpy clicked(popup, &CPopupNotifier::TextClicked);
        QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(85, 60));
        QCOMPARE(clicked.count(), 1);
        QVERIFY(!popup->IsShowing());
        QVERIFY(frame->isVisible());
        // Now a new notice is shown; the close button closes it without showing the window.
        QVERIFY(frame->ShowNotice(QStringLiteral("频道\r\n有 3 个更新"), false, 3000));
        QTest::mouseClick(popup, Qt::LeftButton, {}, CPopupNotifier::CloseRect().center());
        QCOMPARE(clicked.count(), 1);
        QVERIFY(!popup->IsShowing());
    }

    void LocalChannelRefusesRubbishAndOnlyTakesOtherProgramsNumbers() {
        SeededRoot r;
        auto frame = r.MakeFrame();
        QVERIFY(frame);
        CLocalChannel channel(QString::fromStdString(r.root.Dir()));
        QVERIFY(channel.Listen());
        QSignalSpy received(&channel, &CLocalChannel::MessageReceived);
        QSignalSpy refused(&channel, &CLocalChannel::MessageRefused);
        connect(&channel, &CLocalChannel::MessageReceived, frame.get(),
                &CMainFrame::OnExternalMessage);

        QLocalSocket rubbish;
        rubbish.connectToServer(channel.Name());
        QVERIFY(rubbish.waitForConnected(5000));
        rubbish.write("2174 0 0 and more\n");
        rubbish.flush();
        QTRY_COMPARE_WITH_TIMEOUT(refused.count(), 1, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(rubbish.state() == QLocalSocket::UnconnectedState, 20000);

        QLocalSocket endless;
        endless.connectToServer(channel.Name());
        QVERIFY(endless.waitForConnected(5000));
        endless.write(QByteArray(4096, '7'));
        endless.flush();
        QTRY_COMPARE_WITH_TIMEOUT(refused.count(), 2, 20000);
        QCOMPARE(received.count(), 0);

        // A job notice is this program's own message: from outside it shows nothing.
        QVERIFY(CLocalChannel::Send(QString::fromStdString(r.root.Dir()),
                                    WindowMessage{kMsgJobFinished, 0, 2}));
        QTRY_COMPARE_WITH_TIMEOUT(received.count(), 1, 20000);
        QVERIFY(!frame->Notifier()->IsShowing());
    }

    void LocalChannelDropsIdlePeersAndCapsOpenConnections() {
        SeededRoot r;
        CLocalChannel channel(QString::fromStdString(r.root.Dir()));
        channel.SetLimits(500, 4);
        QVERIFY(channel.Listen());
        QSignalSpy received(&channel, &CLocalChannel::MessageReceived);
        std::vector<std::unique_ptr<QLocalSocket>> idle;
        for (int i = 0; i < 12; ++i) {
            auto socket = std::make_unique<QLocalSocket>();
            socket->connectToServer(channel.Name());
            QVERIFY(socket->waitForConnected(5000));
            idle.push_back(std::move(socket));
        }
        QTRY_VERIFY_WITH_TIMEOUT(channel.OpenConnections() == 4, 20000);
        QTest::qWait(100);
        QVERIFY(channel.OpenConnections() <= 4);
        // Silent peers are cut off after the idle time; then a real message gets through.
        QTRY_COMPARE_WITH_TIMEOUT(channel.OpenConnections(), 0, 20000);
        for (auto& socket : idle) {
            QTRY_VERIFY_WITH_TIMEOUT(socket->state() == QLocalSocket::UnconnectedState, 20000);
        }
        QVERIFY(CLocalChannel::Send(QString::fromStdString(r.root.Dir()),
                                    WindowMessage{kMsgArticleStyleChanged, 0, 0}));
        QTRY_COMPARE_WITH_TIMEOUT(received.count(), 1, 20000);
    }
};

QTEST_MAIN(MainFrameTest)
#include "main_frame_test.moc"
