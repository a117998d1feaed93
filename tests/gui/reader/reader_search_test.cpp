// The search panel in the window: each scope (the current channel, a folder at any depth, all
// channels, the news service on a loopback site), results under their heading that clicks leave
// unread, news results read from the staging table until the next normal list, the empty keyword,
// a service that answers rubbish, and the panel that only hides.

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include "core/feeds/rss_store.h"
#include "core/search/news_search.h"
#include "gui/reader/article_list_model.h"
#include "gui/reader/article_page.h"
#include "gui/reader/article_table_view.h"
#include "gui/reader/search_window.h"
#include "reader_fixture.h"

using namespace zirvo;
using namespace zirvo::test;

namespace {

std::string Feed(const std::string& name, const std::vector<std::string>& titles) {
    std::string body =
        "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>" + name + "</title>";
    int n = 0;
    for (const std::string& title : titles) {
        body += "<item><title>" + title + "</title><link>http://127.0.0.1:9/" + name + "/" +
                std::to_string(n++) + "</link><description>about " + title +
                "</description></item>";
    }
    return body + "</channel></rss>";
}

void ClickRow(gui::CArticleTableView* list, int row, int column) {
    const QRect rect = list->visualRect(list->model()->index(row, column));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

// Answers the message boxes shown while it lives, keeping their texts; it stops with its scope,
// so an answer never waits on into a later step.
class CBoxAnswer {
public:
    CBoxAnswer() {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts.append(box->text());
                box->accept();
            }
        });
        m_timer.start();
    }
    QStringList texts;

private:
    QTimer m_timer;
};

// Presses "搜索" and waits for the results; returns the count the reader reported.
int RunSearch(CReaderFixture& f, int scope, const QString& keyword, bool titleOnly = false) {
    gui::CSearchWindow* panel = f.Controller().SearchWindow();
    panel->SetScope(scope);
    panel->SetKeyword(keyword);
    panel->SetTitleOnly(titleOnly);
    QSignalSpy finished(&f.Controller(), &gui::CReaderController::SearchFinished);
    auto* button = panel->findChild<QPushButton*>(QStringLiteral("searchButton"));
    CBoxAnswer answer;
    button->click();
    // The search runs on a worker: the button waits disabled while the window stays live.
    if (button->isEnabled() || !finished.isEmpty()) {
        return -3;
    }
    finished.wait(10000);
    Pump();
    if (finished.isEmpty()) {
        return -1;
    }
    // A search without results has said so (before it reported).
    const int count = finished.last().at(0).toInt();
    if (count == 0) {
        if (answer.texts != QStringList{QStringLiteral("没有符合条件的搜索结果!")}) {
            return -2;
        }
    }
    return count;
}

// Pictures for a look by eye when ZIRVO_SCREENSHOTS names a folder.
void SaveScreenshot(QWidget* widget, const QString& name) {
    const QString folder = qEnvironmentVariable("ZIRVO_SCREENSHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        widget->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    }
}

QString Heading(CReaderFixture& f) {
    gui::CArticleListModel* model = f.Controller().ListModel();
    return model->rowCount() > 0 && model->IsHeader(0)
               ? model->data(model->index(0, gui::kColTitle), Qt::DisplayRole).toString()
               : QString();
}

}  // namespace

class ReaderSearchTest : public QObject {
    Q_OBJECT
public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private slots:
    void PanelOpensHiddenAndOnlyHides();
    void LocalScopesListUnderTheHeadingAndClicksLeaveItemsUnread();
    void NewsResultsAreReadFromTheStagingUntilTheNextList();
    void RubbishFromTheNewsServiceFindsNothingAndKeepsTheList();
};

void ReaderSearchTest::PanelOpensHiddenAndOnlyHides() {
    CReaderFixture f;
    f.WriteOpml({{"频道", f.Server().Url("/a.xml"), {}}});
    f.Open();
    gui::CSearchWindow* panel = f.Controller().SearchWindow();
    QVERIFY(panel != nullptr);
    QVERIFY(!panel->isVisible());
    QCOMPARE(panel->windowTitle(), QStringLiteral("RSS搜索"));
    QAction* search = f.Controller().Action(QStringLiteral("actionSearch"));
    QVERIFY(search->isEnabled());
    QCOMPARE(search->shortcut(), QKeySequence(QKeySequence::Find));
    search->trigger();
    QVERIFY(panel->isVisible());
    auto* keyword = panel->findChild<QLineEdit*>(QStringLiteral("keyword"));
    QCOMPARE(panel->focusWidget(), keyword);
    // The count drop-down belongs to the news service.
    QVERIFY(!panel->CountBox()->isVisible());
    panel->SetScope(kSearchNewsService);
    QVERIFY(panel->CountBox()->isVisible());
    panel->SetScope(kSearchAllChannels);
    QVERIFY(!panel->CountBox()->isVisible());

    // No keyword: the message, then the focus on the keyword; nothing is searched.
    QSignalSpy finished(&f.Controller(), &gui::CReaderController::SearchFinished);
    panel->SetKeyword(QStringLiteral("   "));
    {
        CBoxAnswer answer;
        panel->StartSearch();
        QCOMPARE(answer.texts, QStringList{QStringLiteral("请输入要搜索的关键字")});
    }
    QCOMPARE(panel->focusWidget(), keyword);
    QVERIFY(finished.isEmpty());

    // "本地-当前频道" with nothing current does nothing, without a message.
    panel->SetScope(kSearchCurrentChannel);
    panel->SetKeyword(QStringLiteral("x"));
    panel->StartSearch();
    Pump();
    QVERIFY(finished.isEmpty());
    QVERIFY(QApplication::activeModalWidget() == nullptr);

    panel->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
    QVERIFY(!panel->isVisible());
    search->trigger();  // the same panel, as it was left
    QCOMPARE(f.Controller().SearchWindow(), panel);
    QCOMPARE(keyword->text(), QStringLiteral("x"));
}

void ReaderSearchTest::LocalScopesListUnderTheHeadingAndClicksLeaveItemsUnread() {
    CReaderFixture f;
    f.Server().Put("/deep.xml", Feed("deep", {"Linux 内核", "weather"}));
    f.Server().Put("/top.xml", Feed("top", {"linux desktop", "other"}));
    f.WriteOpml({{"新闻", "", {{"深处", "", {{"Deep", f.Server().Url("/deep.xml"), {}}}}}},
                 {"Top", f.Server().Url("/top.xml"), {}}});
    f.Open();
    f.ReceiveAndWait(kNoNode);
    f.Controller().SelectNode(f.Find("新闻/深处/Deep"));
    gui::CArticleListModel* model = f.Controller().ListModel();

    QCOMPARE(RunSearch(f, kSearchCurrentChannel, QStringLiteral("linux")), 1);
    // The heading states the count once: the group row adds none of its own.
    QCOMPARE(Heading(f),
             QStringLiteral("有 1 项符合关键字 \"linux\" 的结果, 在 \"新闻 → 深处 → Deep\" 中"));
    QCOMPARE(model->ItemRowCount(), 1);
    QCOMPARE(model->Item(1)->title, std::string("Linux 内核"));

    // A folder covers every channel below it, at any depth, and is named by its path.
    f.Controller().SelectNode(f.Find("新闻"));
    QCOMPARE(RunSearch(f, kSearchCurrentChannel, QStringLiteral("about")), 2);
    QCOMPARE(Heading(f), QStringLiteral("有 2 项符合关键字 \"about\" 的结果, 在 \"新闻\" 中"));
    // Title only: the description does not count.
    QCOMPARE(RunSearch(f, kSearchCurrentChannel, QStringLiteral("about"), true), 0);
    QCOMPARE(model->ItemRowCount(), 2);  // the list kept its rows

    QCOMPARE(RunSearch(f, kSearchAllChannels, QStringLiteral("LINUX")), 2);
    QVERIFY(
        Heading(f).startsWith(QStringLiteral("有 2 项符合关键字 \"LINUX\" 的结果, 在全部频道中")));
    QVERIFY(!f.Controller().ListFromStaging());
    SaveScreenshot(f.Window(), QStringLiteral("search_results"));
    f.Controller().SearchWindow()->Present();
    SaveScreenshot(f.Controller().SearchWindow(), QStringLiteral("search_panel"));
    // Clicking a result shows it and leaves it unread in the store.
    const int itemId = model->ItemId(1);
    ClickRow(f.Controller().List(), 1, gui::kColTitle);
    QTRY_VERIFY(f.Controller().Page()->RenderedHtml().contains(
        QString::fromStdString(model->Item(1)->title)));
    RssItem stored;
    QVERIFY(f.Session().Store().GetItem(itemId, false, stored));
    QCOMPARE(stored.read, 0);
    QCOMPARE(f.ShownUnread(f.Find("Top")), 2);
}

void ReaderSearchTest::NewsResultsAreReadFromTheStagingUntilTheNextList() {
    CReaderFixture f;
    f.Server().Put("/a.xml", Feed("a", {"本地文章"}));
    f.Server().Put("/news", Feed("news", {"新闻一 linux", "新闻二", "新闻三"}));
    f.WriteOpml({{"频道", f.Server().Url("/a.xml"), {}}});
    f.SetRssSetting("newssearchurl", f.Server().Url("/news?word=%s&amp;rn=%d"));
    f.Open();
    f.ReceiveAndWait(kNoNode);
    gui::CArticleListModel* model = f.Controller().ListModel();
    f.Controller().SearchWindow()->SetResultCount(2);
    f.Server().Reset();

    QCOMPARE(RunSearch(f, kSearchNewsService, QStringLiteral("内核 linux")), 3);
    // The keyword went out in GB2312, percent-encoded, with the count chosen.
    const std::vector<RecordedRequest> asked = f.Server().RequestsFor("/news");
    QCOMPARE(asked.size(), size_t(1));
    QCOMPARE(QString::fromStdString(asked[0].path),
             QStringLiteral("/news?word=%C4%DA%BA%CB%20linux&rn=50"));
    QVERIFY(Heading(f).startsWith(
        QStringLiteral("有 3 项符合关键字 \"内核 linux\" 的结果, 在百度新闻搜索中")));
    QVERIFY(f.Controller().ListFromStaging());
    // The rows are the staging rows of channel 0: the page reads them from there.
    const int newsId = model->ItemId(1);
    RssItem staged;
    QVERIFY(f.Session().Store().GetItem(newsId, true, staged));
    QCOMPARE(staged.title, std::string("新闻一 linux"));
    ClickRow(f.Controller().List(), 1, gui::kColTitle);
    QTRY_VERIFY(f.Controller().Page()->RenderedHtml().contains(QStringLiteral("新闻一 linux")));
    // The read column of a news result changes nothing in the item table.
    const int feedId = f.Session().Tree().Node(f.Find("频道"))->feedId;
    int total = 0;
    int unread = 0;
    QVERIFY(f.Session().Store().CountFeed(feedId, total, unread));
    QCOMPARE(unread, 1);
    for (int row = 1; row < model->rowCount(); ++row) {
        ClickRow(f.Controller().List(), row, gui::kColReadState);
    }
    QVERIFY(f.Session().Store().CountFeed(feedId, total, unread));
    QCOMPARE(unread, 1);

    // The next normal list reads from the item table again.
    f.Controller().SelectNode(f.Find("频道"));
    QVERIFY(!f.Controller().ListFromStaging());
    QCOMPARE(model->Item(0)->title, std::string("本地文章"));
    ClickRow(f.Controller().List(), 0, gui::kColTitle);
    QTRY_VERIFY(f.Controller().Page()->RenderedHtml().contains(QStringLiteral("本地文章")));
}

void ReaderSearchTest::RubbishFromTheNewsServiceFindsNothingAndKeepsTheList() {
    CReaderFixture f;
    f.Server().Put("/a.xml", Feed("a", {"本地文章"}));
    f.WriteOpml({{"频道", f.Server().Url("/a.xml"), {}}});
    f.SetRssSetting("newssearchurl", f.Server().Url("/news?word=%s"));
    f.Open();
    f.ReceiveAndWait(kNoNode);
    f.Controller().SetFilter(kAllItems);
    f.Controller().SelectNode(f.Find("频道"));
    const QList<QByteArray> answers = {
        "<html><body>Service unavailable</body></html>",
        "<?xml version=\"1.0\"?><rss><channel><item><title>unclosed",
        QByteArray("\x00\x01\x02garbage", 10),
        "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
        "\"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>"
        "<rss><channel><item><title>&c;&c;&c;</title></item></channel></rss>",
    };
    for (const QByteArray& answer : answers) {
        f.Server().Put("/news", answer.toStdString(), "text/html");
        QCOMPARE(RunSearch(f, kSearchNewsService, QStringLiteral("x")), 0);
        QCOMPARE(f.Controller().ListModel()->Item(0)->title, std::string("本地文章"));
        QVERIFY(!f.Controller().ListFromStaging());
        QVERIFY(f.Controller()
                    .SearchWindow()
                    ->findChild<QPushButton*>(QStringLiteral("searchButton"))
                    ->isEnabled());
    }
    // A service that does not answer at all.
    f.SetRssSetting("newssearchurl", "http://127.0.0.1:9/news?word=%s");
    QCOMPARE(RunSearch(f, kSearchNewsService, QStringLiteral("x")), 0);
}

QTEST_MAIN(ReaderSearchTest)
#include "reader_search_test.moc"
