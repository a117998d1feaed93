// The dialogs that act on the channel tree and the settings, over a seeded root.

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <fstream>

#include "core/config/proxy.h"
#include "core/session/reader_session.h"
#include "core/util/closing_flag.h"
#include "gui/dialogs/channel_properties_dialog.h"
#include "gui/dialogs/cleaning_wizard.h"
#include "gui/dialogs/folder_properties_dialog.h"
#include "gui/dialogs/system_options_dialog.h"
#include "shell_fixture.h"

using namespace zirvo;
using namespace zirvo::gui;
using namespace zirvo::gui::test;

namespace {

void WriteOpml(const SeededRoot& r, const std::string& body) {
    std::ofstream(r.root.OpmlPath(), std::ios::trunc)
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml version=\"1.0\"><head><title>t"
           "</title></head><body>"
        << body << "</body></opml>\n";
}

// Collects the texts of the message boxes that appear while `action` runs, answering each.
QStringList BoxesDuring(const std::function<void()>& action) {
    QStringList texts;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, &poll, [&texts] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            texts << box->text();
            box->accept();
        }
    });
    poll.start();
    action();
    return texts;
}

// Like BoxesDuring, answering questions with yes.
QStringList BoxesAnsweredYes(const std::function<void()>& action) {
    QStringList texts;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, &poll, [&texts] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            texts << box->text();
            if (QAbstractButton* yes = box->button(QMessageBox::Yes)) {
                yes->click();
            } else {
                box->accept();
            }
        }
    });
    poll.start();
    action();
    return texts;
}

}  // namespace

class TreeDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void ProxyPageRefusesAnEmptyServerAndCommitsTheRecord() {
        SeededRoot r;
        CSystemOptionsDialog dialog(r.config, nullptr);
        dialog.show();
        dialog.findChild<QCheckBox*>(QStringLiteral("useProxy"))->setChecked(true);
        dialog.findChild<QLineEdit*>(QStringLiteral("server"))->setText(QStringLiteral("  "));
        QCOMPARE(BoxesDuring([&] { dialog.accept(); }),
                 QStringList{QStringLiteral("请输入代理服务器地址!")});
        QCOMPARE(dialog.result(), 0);
        dialog.findChild<QLineEdit*>(QStringLiteral("server"))
            ->setText(QStringLiteral("proxy.lan"));
        dialog.findChild<QLineEdit*>(QStringLiteral("port"))->setText(QStringLiteral("08080"));
        QCOMPARE(BoxesDuring([&] { dialog.accept(); }), QStringList{});
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        ProxySettings stored;
        QVERIFY(r.config.ReadProxySettings(stored));
        QCOMPARE(stored.use, 1);
        QCOMPARE(stored.port, std::string("8080"));
        QCOMPARE(ProcessProxy().server, std::string("proxy.lan"));
        SetProcessProxy(ProxySettings{});
    }

    void CleaningWizardRefusesBadDaysAndAnEmptyChoice() {
        SeededRoot r;
        WriteOpml(r,
                  "<outline title=\"F\"><outline title=\"A\" xmlUrl=\"http://127.0.0.1:9/a\"/>"
                  "</outline>");
        CReaderSession session(r.root.Dir(), r.reporter);
        QVERIFY(session.Open());
        CCleaningWizard wizard(session, nullptr);
        wizard.show();
        wizard.DaysBox()->setEditText(QStringLiteral("366"));
        QCOMPARE(BoxesDuring([&] { wizard.next(); }),
                 QStringList{QStringLiteral("请输入 0 ~ 365 间的数字")});
        QCOMPARE(wizard.currentId(), 0);
        wizard.DaysBox()->setEditText(QStringLiteral("30"));
        wizard.next();
        QCOMPARE(wizard.currentId(), 1);
        QCOMPARE(BoxesDuring([&] { QVERIFY(!wizard.validateCurrentPage()); }),
                 QStringList{QStringLiteral("请选择至少一个要清理的频道!")});
        // Ticking the folder ticks its channel; the cleaning then runs and reports.
        wizard.ChannelList()->topLevelItem(0)->setCheckState(0, Qt::Checked);
        QStringList boxes = BoxesDuring([&] {
            wizard.validateCurrentPage();
            QTRY_VERIFY_WITH_TIMEOUT(wizard.Cleaned(), 30000);
        });
        QCOMPARE(boxes, QStringList{QStringLiteral("清理完成!")});
    }

    void CleaningWizardKeepsTheDaysShownThroughEnterAndAsksWithTheCount() {
        SeededRoot r;
        WriteOpml(r,
                  "<outline title=\"F\"><outline title=\"A\" xmlUrl=\"http://127.0.0.1:9/a\"/>"
                  "</outline>");
        CReaderSession session(r.root.Dir(), r.reporter);
        QVERIFY(session.Open());
        // Three items from long ago, two of today: keeping 7 days removes three.
        int feedId = 0;
        FeedSettings settings;
        QVERIFY(session.Store().GetFeedSettings("http://127.0.0.1:9/a", feedId, settings));
        std::vector<RssItem> items;
        const QString today =
            QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        for (int i = 0; i < 5; ++i) {
            RssItem item;
            item.link = "http://127.0.0.1:9/a/" + std::to_string(i);
            item.title = "item " + std::to_string(i);
            item.date = i < 3 ? std::string("2001-01-01 08:00:00") : today.toStdString();
            items.push_back(item);
        }
        QVERIFY(session.Store().SaveReceivedItems(feedId, items, 3, 0));

        CCleaningWizard wizard(session, nullptr);
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        QCOMPARE(wizard.DaysBox()->currentText(), QStringLiteral("7"));
        wizard.DaysBox()->setFocus();
        // Enter also presses the page's default button ("下一步").
        QTest::keyClick(wizard.DaysBox()->lineEdit(), Qt::Key_Return);
        QCOMPARE(wizard.DaysBox()->currentText(), QStringLiteral("7"));
        wizard.findChild<QCheckBox*>(QStringLiteral("includeUnread"))->setChecked(true);
        if (wizard.currentId() == 0) {
            wizard.next();
        }
        QCOMPARE(wizard.currentId(), 1);
        wizard.ChannelList()->topLevelItem(0)->setCheckState(0, Qt::Checked);
        const QStringList boxes = BoxesAnsweredYes([&] {
            wizard.validateCurrentPage();
            QTRY_VERIFY_WITH_TIMEOUT(wizard.Cleaned(), 30000);
        });
        QCOMPARE(boxes, (QStringList{QStringLiteral("将删除 3 篇文章，确定要清理吗?"),
                                     QStringLiteral("清理完成!")}));
        int total = 0;
        int unread = 0;
        QVERIFY(session.Store().CountFeed(feedId, total, unread));
        QCOMPARE(total, 2);
        QCOMPARE(session.Tree().Unread(session.Tree().SubtreeChannels(kNoNode).front()), 2);
    }

    void FolderBatchSetsEveryChannelBelowAndSaysDone() {
        SeededRoot r;
        WriteOpml(r,
                  "<outline title=\"F\"><outline title=\"A\" xmlUrl=\"http://127.0.0.1:9/a\"/>"
                  "<outline title=\"B\" xmlUrl=\"http://127.0.0.1:9/b\"/></outline>");
        CReaderSession session(r.root.Dir(), r.reporter);
        QVERIFY(session.Open());
        const NodeId folder = session.Tree().Children(kNoNode).front();
        CFolderPropertiesDialog dialog(session, folder, nullptr);
        dialog.show();
        dialog.findChild<QComboBox*>(QStringLiteral("rank"))->setCurrentIndex(1);
        QPushButton* set = dialog.GroupButton(BatchGroup::RssRank);
        QCOMPARE(BoxesDuring([&] { set->click(); }), QStringList{QStringLiteral("设置完毕!")});
        QCOMPARE(set->text(), QStringLiteral("设置"));
        QVERIFY(set->isEnabled());
        for (NodeId channel : session.Tree().SubtreeChannels(folder)) {
            QCOMPARE(session.Tree().Node(channel)->settings.rssRank, 5);
            int id = 0;
            FeedSettings stored;
            QVERIFY(
                session.Store().GetFeedSettings(session.Tree().Node(channel)->feedUrl, id, stored));
            QCOMPARE(stored.rssRank, 5);
        }
    }

    void ChannelPropertiesShowTheLastFetchOfEachChannel() {
        SeededRoot r;
        WriteOpml(r,
                  "<outline title=\"A\" xmlUrl=\"http://127.0.0.1:9/a\"/>"
                  "<outline title=\"B\" xmlUrl=\"http://127.0.0.1:9/b\"/>");
        CReaderSession session(r.root.Dir(), r.reporter);
        QVERIFY(session.Open());
        const std::vector<NodeId> channels = session.Tree().Children(kNoNode);
        QCOMPARE(channels.size(), size_t{2});
        int failedId = 0;
        QVERIFY(session.Store().AddFeed("http://127.0.0.1:9/a", failedId));
        FeedFetchState failed;
        const QDateTime when(QDate(2026, 3, 4), QTime(5, 6, 7));
        failed.time = when.toSecsSinceEpoch();
        failed.message = "HTTP error: <b>404</b> Not Found";
        QVERIFY(session.Store().SaveFetchState(failedId, failed));

        CChannelPropertiesDialog dialog(session, channels[0], nullptr);
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lastFetchTime"))->text(),
                 QStringLiteral("2026-03-04 05:06:07"));
        auto* message = dialog.findChild<QLabel*>(QStringLiteral("lastFetchMessage"));
        QCOMPARE(message->text(), QStringLiteral("失败: HTTP error: <b>404</b> Not Found"));
        QCOMPARE(message->textFormat(), Qt::PlainText);

        // Never fetched (and not even in the store): said so, nothing invented.
        CChannelPropertiesDialog fresh(session, channels[1], nullptr);
        QCOMPARE(fresh.findChild<QLabel*>(QStringLiteral("lastFetchTime"))->text(),
                 QStringLiteral("从未收取"));
        QCOMPARE(fresh.findChild<QLabel*>(QStringLiteral("lastFetchMessage"))->text(),
                 QStringLiteral("-"));

        failed.ok = true;
        failed.message = "已接收，频道中有 3 个条目";
        QVERIFY(session.Store().SaveFetchState(failedId, failed));
        CChannelPropertiesDialog again(session, channels[0], nullptr);
        QCOMPARE(again.findChild<QLabel*>(QStringLiteral("lastFetchMessage"))->text(),
                 QStringLiteral("成功: 已接收，频道中有 3 个条目"));
    }
};

QTEST_MAIN(TreeDialogsTest)
#include "tree_dialogs_test.moc"
