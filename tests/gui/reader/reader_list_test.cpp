// The article list in the window: pages of a received channel, the unread filter, clicks and
// the read-state column (store and tree agree), the keyboard, folder lists grouped by channel,
// marking the previous list read on a switch, and a store that fails while listing.

#include <sqlite3.h>

#include <QAbstractButton>
#include <QHeaderView>
#include <QMessageBox>
#include <QSignalSpy>
#include <QtTest>
#include <algorithm>
#include <cstdio>

#include "core/db/schema.h"
#include "core/feeds/rss_store.h"
#include "gui/reader/article_list_model.h"
#include "gui/reader/article_page.h"
#include "gui/reader/article_table_view.h"
#include "gui/reader/channel_tree_widget.h"
#include "gui/reader/item_properties_dialog.h"
#include "reader_fixture.h"

using namespace zirvo;
using namespace zirvo::test;

namespace {

void ClickRow(gui::CArticleTableView* list, int row, int column) {
    const QRect rect = list->visualRect(list->model()->index(row, column));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

// An RSS 2.0 feed of items `first` to `last` (the newest first, as feeds list them).
std::string FeedOf(const std::string& name, int first, int last) {
    std::string body =
        "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>" + name + "</title>";
    for (int i = last; i >= first; --i) {
        const std::string n = std::to_string(i);
        body += "<item><title>" + name + " " + n + "</title><link>http://127.0.0.1:9/" + name +
                "/" + n + "</link><pubDate>Tue, 03 Jan 2006 08:00:00 GMT</pubDate></item>";
    }
    return body + "</channel></rss>";
}

// Items `first` to `last` whose dates follow neither their numbers nor their titles.
std::string DatedFeed(const std::string& name, int first, int last) {
    std::string body =
        "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>" + name + "</title>";
    for (int i = last; i >= first; --i) {
        const std::string n = std::to_string(i);
        char date[64];
        std::snprintf(date, sizeof date, "Tue, %02d Jan 2006 08:%02d:00 GMT", 1 + (i * 7) % 28,
                      i % 60);
        body += "<item><title>" + name + " " + n + "</title><link>http://127.0.0.1:9/" + name +
                "/" + n + "</link><pubDate>" + date + "</pubDate></item>";
    }
    return body + "</channel></rss>";
}

void ClickHeader(gui::CArticleTableView* list, int column) {
    QHeaderView* header = list->horizontalHeader();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(x, header->height() / 2));
}

// The ids of every page of the shown list, from the first page on.
std::vector<int> IdsOfAllPages(gui::CReaderController& controller) {
    controller.GoToPage(0);
    std::vector<int> ids;
    for (;;) {
        const gui::CArticleListModel* model = controller.ListModel();
        for (int row = 0; row < model->rowCount(); ++row) {
            ids.push_back(model->ItemId(row));
        }
        if (controller.CurrentPage() + 1 >= controller.PageCount()) {
            return ids;
        }
        controller.NextPage();
    }
}

// `items` (newest first) stably sorted by `less`: equal keys keep the newest first.
template <typename Less>
std::vector<int> SortedIds(std::vector<RssItem> items, Less less) {
    std::stable_sort(items.begin(), items.end(), less);
    std::vector<int> ids;
    for (const RssItem& item : items) {
        ids.push_back(item.id);
    }
    return ids;
}

// Within each group of a grouped list the titles ascend.
bool TitlesAscendInGroups(const gui::CArticleListModel* model) {
    for (int row = 1; row < model->rowCount(); ++row) {
        if (!model->IsHeader(row) && !model->IsHeader(row - 1) &&
            model->Item(row - 1)->title > model->Item(row)->title) {
            return false;
        }
    }
    return true;
}

int StoredUnread(CReaderFixture& f, const std::string& path) {
    int total = 0;
    int unread = -1;
    const auto node = f.Session().Tree().Node(f.Find(path));
    if (!node || !f.Session().Store().CountFeed(node->feedId, total, unread)) {
        return -1;
    }
    return unread;
}

int ItemRead(CReaderSession& session, int itemId) {
    RssItem item;
    return session.Store().GetItem(itemId, false, item) ? item.read : -1;
}

}  // namespace

class ReaderListTest : public QObject {
    Q_OBJECT
public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private slots:
    void PagesThroughOneHundredTwentyItems();
    void SearchIndexOfAnUpgradedStoreIsBuiltAfterStartUp();
    void UnreadFilterAndClickMarkReadInStoreAndTree();
    void KeyboardMovesShowsAndOpens();
    void FolderListIsGroupedByChannel();
    void SwitchingMarksThePreviousChannelRead();
    void ItemsThatArriveAfterTheListStayUnread();
    void WholeTableCommandsRunAsJobsAndTheListFollows();
    void StoreErrorWhileListingKeepsRowsAndSaysWhy();
    void ItemPropertiesText();
    void NextUnreadCrossesPagesAndChannelsMarkingRead();
    void FirstStartShowsTheWelcomePage();
    void HeaderClickSortsThroughTheStoreAcrossPages();
    void DateColumnShowsWholeDates();
};

void ReaderListTest::PagesThroughOneHundredTwentyItems() {
    CReaderFixture f;
    f.WriteOpml({{"频道", f.Server().Url("/gen/1?items=120"), {}}});
    f.Open();
    f.ReceiveAndWait(f.Find("频道"));
    QSignalSpy paging(&f.Controller(), &gui::CReaderController::PagingChanged);
    f.Controller().SetFilter(kAllItems);
    f.Controller().SelectNode(f.Find("频道"));
    QCOMPARE(paging.last(), (QVariantList{0, 3}));
    gui::CArticleListModel* model = f.Controller().ListModel();
    QCOMPARE(model->rowCount(), 50);
    // Newest first: the feed's first item is the newest.
    QCOMPARE(model->Item(0)->title, std::string("Channel 1 round 0 item 120"));
    f.Controller().NextPage();
    f.Controller().NextPage();
    QCOMPARE(paging.last(), (QVariantList{2, 3}));
    QCOMPARE(model->rowCount(), 20);
    QCOMPARE(model->Item(19)->title, std::string("Channel 1 round 0 item 1"));
    f.Controller().NextPage();  // past the end: nothing
    QCOMPARE(f.Controller().CurrentPage(), 2);
    f.Controller().PreviousPage();
    QCOMPARE(paging.last(), (QVariantList{1, 3}));
    f.Controller().GoToPage(0);
    QCOMPARE(model->Item(0)->title, std::string("Channel 1 round 0 item 120"));
}

void ReaderListTest::UnreadFilterAndClickMarkReadInStoreAndTree() {
    CReaderFixture f;
    f.WriteOpml({{"目录",
                  "",
                  {{"频道", f.Server().Url("/gen/1?items=60"), {}},
                   {"另一个", f.Server().Url("/gen/2?items=3"), {}}}}});
    f.Open();
    f.ReceiveAndWait(kNoNode);
    const NodeId channel = f.Find("目录/频道");
    f.Controller().SelectNode(channel);
    QCOMPARE(f.Controller().Filter(), int(kUnreadItems));  // the unread entry is chosen at start
    gui::CArticleTableView* list = f.Controller().List();
    gui::CArticleListModel* model = f.Controller().ListModel();
    QCOMPARE(model->rowCount(), 50);

    const int first = model->ItemId(0);
    ClickRow(list, 0, gui::kColTitle);
    QCOMPARE(ItemRead(f.Session(), first), 1);
    QCOMPARE(f.ShownUnread(channel), 59);
    QCOMPARE(f.ShownUnread(f.Find("目录")), 62);
    QCOMPARE(model->Item(0)->read, 1);

    // The read-state column toggles: back to unread, in the store and the tree.
    ClickRow(list, 0, gui::kColReadState);
    QCOMPARE(ItemRead(f.Session(), first), 0);
    QCOMPARE(f.ShownUnread(channel), 60);
    ClickRow(list, 1, gui::kColReadState);
    QCOMPARE(f.ShownUnread(channel), 59);

    // The unread filter leaves the read item out.
    QSignalSpy paging(&f.Controller(), &gui::CReaderController::PagingChanged);
    f.Controller().SetFilter(kUnreadItems);
    QCOMPARE(paging.last(), (QVariantList{0, 2}));
    f.Controller().GoToPage(1);
    QCOMPARE(model->rowCount(), 9);
    f.Controller().SetFilter(kReadItems);
    QCOMPARE(model->rowCount(), 1);
    QCOMPARE(paging.last(), (QVariantList{0, 1}));
}

void ReaderListTest::KeyboardMovesShowsAndOpens() {
    CUrlRecorder browser;
    CReaderFixture f;
    f.WriteOpml({{"频道", f.Server().Url("/gen/1?items=5"), {}}});
    f.Open();
    f.ReceiveAndWait(f.Find("频道"));
    f.Controller().SelectNode(f.Find("频道"));
    gui::CArticleTableView* list = f.Controller().List();
    gui::CArticleListModel* model = f.Controller().ListModel();
    list->setFocus();
    list->setCurrentIndex(model->index(0, gui::kColTitle));
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentIndex().row(), 1);
    // Moving shows the item without marking it read.
    QTRY_VERIFY_WITH_TIMEOUT(
        f.Controller().Page()->RenderedHtml().contains(QStringLiteral("item 4")), 20000);
    QCOMPARE(ItemRead(f.Session(), model->ItemId(1)), 0);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(browser.urls.size(), 1);
    QCOMPARE(browser.urls.front().toString(), QStringLiteral("http://127.0.0.1/gen/1/r0/item4"));
    // The page's "下一篇" moves the list the same way.
    f.Controller().Action(QStringLiteral("pageNextItem"))->trigger();
    QCOMPARE(list->currentIndex().row(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(
        f.Controller().Page()->RenderedHtml().contains(QStringLiteral("item 3")), 20000);
}

void ReaderListTest::FolderListIsGroupedByChannel() {
    CReaderFixture f;
    f.WriteOpml({{"目录",
                  "",
                  {{"一", f.Server().Url("/gen/1?items=3"), {}},
                   {"二", f.Server().Url("/gen/2?items=2"), {}}}}});
    f.Open();
    f.ReceiveAndWait(kNoNode);
    QSignalSpy paging(&f.Controller(), &gui::CReaderController::PagingChanged);
    f.Controller().SelectNode(f.Find("目录"));
    gui::CArticleListModel* model = f.Controller().ListModel();
    QVERIFY(model->Grouped());
    QCOMPARE(model->ItemRowCount(), 5);
    QCOMPARE(model->rowCount(), 7);  // two group headers
    QCOMPARE(paging.last(), (QVariantList{0, 1}));
    int headers = 0;
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->IsHeader(row)) {
            ++headers;
            const QString caption =
                model->data(model->index(row, gui::kColTitle), Qt::DisplayRole).toString();
            QVERIFY(caption.startsWith(QStringLiteral("一")) ||
                    caption.startsWith(QStringLiteral("二")));
        } else {
            const int header = model->HeaderOf(row);
            QVERIFY(header >= 0);
            QCOMPARE(QString::fromStdString(model->Item(row)->group),
                     model->data(model->index(header, gui::kColTitle), Qt::DisplayRole)
                         .toString()
                         .section(QStringLiteral("  ("), 0, 0));
        }
    }
    QCOMPARE(headers, 2);
    f.Controller().Action(QStringLiteral("listCollapseGroups"))->trigger();
    for (int row = 0; row < model->rowCount(); ++row) {
        QCOMPARE(f.Controller().List()->isRowHidden(row), !model->IsHeader(row));
    }
}

void ReaderListTest::SwitchingMarksThePreviousChannelRead() {
    CReaderFixture f;
    f.WriteOpml({{"一", f.Server().Url("/gen/1?items=3"), {}},
                 {"二", f.Server().Url("/gen/2?items=2"), {}}});
    f.Open();  // switchchannelautomakeread is 1 in the shipped settings
    f.ReceiveAndWait(kNoNode);
    f.Controller().SelectNode(f.Find("一"));
    QCOMPARE(f.ShownUnread(f.Find("一")), 3);
    f.Controller().SelectNode(f.Find("二"));
    QTRY_COMPARE(f.ShownUnread(f.Find("一")), 0);
    QCOMPARE(f.ShownUnread(f.Find("二")), 2);
    int total = 0;
    int unread = -1;
    QVERIFY(f.Session().Store().CountFeed(f.Session().Tree().Node(f.Find("一"))->feedId, total,
                                          unread));
    QCOMPARE(unread, 0);
    // A refresh after a receive is no switch: the shown channel stays unread.
    f.Controller().OnWindowMessage(kMsgRefreshList, f.Session().Tree().Node(f.Find("二"))->feedId,
                                   0);
    QCOMPARE(f.ShownUnread(f.Find("二")), 2);
}

void ReaderListTest::ItemsThatArriveAfterTheListStayUnread() {
    CReaderFixture f;
    QVERIFY(f.Server().Put("/one.xml", FeedOf("one", 1, 3)));
    QVERIFY(f.Server().Put("/two.xml", FeedOf("two", 1, 2)));
    f.WriteOpml({{"目录",
                  "",
                  {{"一", f.Server().Url("/one.xml"), {}}, {"二", f.Server().Url("/two.xml"), {}}}},
                 {"三", f.Server().Url("/gen/3?items=1"), {}}});
    f.Open();  // marking the list read on a switch is on in the shipped settings
    f.ReceiveAndWait(kNoNode);
    f.Controller().SelectNode(f.Find("目录/一"));
    gui::CArticleListModel* model = f.Controller().ListModel();
    QCOMPARE(model->ItemRowCount(), 3);
    gui::CArticleTableView* list = f.Controller().List();
    list->setCurrentIndex(model->index(1, gui::kColTitle));
    const int current = model->ItemId(1);

    // "全部更新" brings two more: the shown list takes them in, keeping the current row.
    QVERIFY(f.Server().Put("/one.xml", FeedOf("one", 1, 5)));
    f.ReceiveAndWait(kNoNode);
    QTRY_COMPARE(model->ItemRowCount(), 5);
    QCOMPARE(model->ItemId(list->currentIndex().row()), current);
    QCOMPARE(f.ShownUnread(f.Find("目录/一")), 5);

    // Two more arrive while the list shows five, and the user leaves before it is filled
    // again: the five shown become read, the two unseen stay unread.
    QVERIFY(f.Server().Put("/one.xml", FeedOf("one", 1, 7)));
    QVERIFY(f.Session().Receive(f.Find("目录/一"), false));
    f.Session().Receiver()->WaitIdle();
    f.Controller().SelectNode(f.Find("三"));
    QTRY_COMPARE(StoredUnread(f, "目录/一"), 2);
    QTRY_COMPARE(f.ShownUnread(f.Find("目录/一")), 2);
    QCOMPARE(f.ShownUnread(f.Find("目录")), 4);

    // The same for a folder list: the folder shown, new items for one of its channels, a
    // switch elsewhere.
    f.Controller().SelectNode(f.Find("目录"));
    QCOMPARE(model->ItemRowCount(), 4);
    QVERIFY(f.Server().Put("/two.xml", FeedOf("two", 1, 3)));
    QVERIFY(f.Session().Receive(f.Find("目录/二"), false));
    f.Session().Receiver()->WaitIdle();
    f.Controller().SelectNode(f.Find("三"));
    QTRY_COMPARE(StoredUnread(f, "目录/二"), 1);
    QCOMPARE(StoredUnread(f, "目录/一"), 0);
    QTRY_COMPARE(f.ShownUnread(f.Find("目录")), 1);
}

void ReaderListTest::WholeTableCommandsRunAsJobsAndTheListFollows() {
    CReaderFixture f;
    f.WriteOpml({{"目录",
                  "",
                  {{"一", f.Server().Url("/gen/1?items=3"), {}},
                   {"二", f.Server().Url("/gen/2?items=2"), {}}}},
                 {"三", f.Server().Url("/gen/3?items=4"), {}}});
    f.SetRssSetting("switchchannelautomakeread", "0");
    f.Open();
    f.ReceiveAndWait(kNoNode);
    gui::CArticleListModel* model = f.Controller().ListModel();
    f.Controller().Action(QStringLiteral("listAllUnread"))->trigger();
    QTRY_COMPARE(model->ItemRowCount(), 9);

    // The folder marked read from the tree: the counts and the unread list follow.
    f.Controller().SelectNode(f.Find("目录"));
    QCOMPARE(model->ItemRowCount(), 5);
    f.Controller().Action(QStringLiteral("treeMarkFolderRead"))->trigger();
    QTRY_COMPARE(f.ShownUnread(f.Find("目录")), 0);
    QTRY_COMPARE(model->ItemRowCount(), 0);
    QCOMPARE(StoredUnread(f, "目录/一"), 0);
    QCOMPARE(StoredUnread(f, "目录/二"), 0);
    QCOMPARE(f.ShownUnread(f.Find("三")), 4);

    // Clearing a channel: asked first, then its rows leave the store and the list.
    f.Controller().SelectNode(f.Find("三"));
    QCOMPARE(model->ItemRowCount(), 4);
    AnswerNextModal([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box != nullptr);
        box->button(QMessageBox::Yes)->click();
    });
    f.Controller().Action(QStringLiteral("treeClearChannel"))->trigger();
    QTRY_COMPARE(model->ItemRowCount(), 0);
    QCOMPARE(f.ShownUnread(f.Find("三")), 0);
    int total = -1;
    int unread = -1;
    QVERIFY(f.Session().Store().CountFeed(f.Session().Tree().Node(f.Find("三"))->feedId, total,
                                          unread));
    QCOMPARE(total, 0);
}

void ReaderListTest::StoreErrorWhileListingKeepsRowsAndSaysWhy() {
    CReaderFixture f;
    f.WriteOpml({{"一", f.Server().Url("/gen/1?items=3"), {}},
                 {"二", f.Server().Url("/gen/2?items=2"), {}}});
    f.SetRssSetting("switchchannelautomakeread", "0");
    f.Open();
    f.ReceiveAndWait(kNoNode);
    f.Controller().SelectNode(f.Find("一"));
    QCOMPARE(f.Controller().ListModel()->rowCount(), 3);
    // Another program breaks the table under the running reader.
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(f.Root().PathOf("Storage/rss.db").c_str(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, "DROP TABLE rss_data;", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    QSignalSpy status(&f.Controller(), &gui::CReaderController::StatusText);
    f.Controller().SelectNode(f.Find("二"));
    QCOMPARE(f.Controller().ListModel()->rowCount(), 3);
    QVERIFY(!status.isEmpty());
    QVERIFY(status.last().first().toString().startsWith(QStringLiteral("无法读取文章列表")));
}

void ReaderListTest::SearchIndexOfAnUpgradedStoreIsBuiltAfterStartUp() {
    CReaderFixture f;
    f.WriteOpml({{"频道", f.Server().Url("/gen/1?items=3"), {}}});
    {
        // The store as a version from before the full-text index left it (instead of the
        // seeded one).
        for (const char* name : {"Storage/rss.db", "Storage/rss.db-wal", "Storage/rss.db-shm"}) {
            std::remove(f.Root().PathOf(name).c_str());
        }
        CppSQLite3Connection old;
        old.Open(f.Root().PathOf("Storage/rss.db"));
        std::string error;
        QVERIFY2(EnsureRssSchemaUpTo(old, 4, error), error.c_str());
        old.ExecuteUpdate(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 9000) "
            "INSERT INTO rss_data (item_feedid, item_link, item_title) SELECT 1, 'http://x/' || "
            "i, CASE WHEN i % 9 = 0 THEN 'Walrus ' ELSE 'Gull ' END || i FROM n;");
    }
    f.Open();
    CRssStore store(f.Root().Path());
    QVERIFY(store.Open());
    SearchIndexBuild build;
    QTRY_VERIFY_WITH_TIMEOUT(store.GetSearchIndexBuild(build) && !build.pending, 30000);
    std::vector<RssItem> found;
    QVERIFY(f.Session().Store().SearchItems("walrus", found, {}, true, false));
    QCOMPARE(found.size(), size_t{1000});
    QTRY_COMPARE(f.Session().JobsRunning(), size_t{0});
}

void ReaderListTest::ItemPropertiesText() {
    RssItem item;
    item.title = "标题";
    item.author = "作者";
    item.date = "2006-01-03 08:00:00";
    item.link = "http://example.org/";
    QCOMPARE(gui::ItemPropertiesText(item),
             QStringLiteral("标题\n\n作者: 作者\n\n2006-01-03 08:00:00\n\nhttp://example.org/"));
}

void ReaderListTest::NextUnreadCrossesPagesAndChannelsMarkingRead() {
    CReaderFixture f;
    f.WriteOpml({{"目录",
                  "",
                  {{"甲", f.Server().Url("/gen/1?items=52"), {}},
                   {"乙", f.Server().Url("/gen/2?items=2"), {}}}}});
    f.Open();
    f.ReceiveAndWait(kNoNode);
    const NodeId first = f.Find("目录/甲");
    const NodeId second = f.Find("目录/乙");
    f.Controller().SetFilter(kAllItems);
    f.Controller().SelectNode(first);
    gui::CArticleTableView* list = f.Controller().List();
    gui::CArticleListModel* model = f.Controller().ListModel();
    // Rows 0 and 1 read already: the next unread is row 2, shown and marked read.
    for (int row : {0, 1}) {
        ClickRow(list, row, gui::kColTitle);
    }
    QAction* next = f.Controller().Action(QStringLiteral("listNextUnread"));
    QVERIFY(next->isEnabled());
    QVERIFY(!next->shortcut().isEmpty());
    next->trigger();
    QCOMPARE(list->currentIndex().row(), 2);
    QCOMPARE(ItemRead(f.Session(), model->ItemId(2)), 1);
    QCOMPARE(f.ShownUnread(first), 49);
    // From the last row of the first page on to the second page.
    list->setCurrentIndex(model->index(49, gui::kColTitle));
    ClickRow(list, 49, gui::kColTitle);
    next->trigger();
    QCOMPARE(f.Controller().CurrentPage(), 1);
    QCOMPARE(list->currentIndex().row(), 0);
    QCOMPARE(ItemRead(f.Session(), model->ItemId(0)), 1);
    // Past the channel's last unread item: the next channel with unread items.
    list->setCurrentIndex(model->index(model->rowCount() - 1, gui::kColTitle));
    ClickRow(list, model->rowCount() - 1, gui::kColTitle);
    next->trigger();
    QCOMPARE(f.Controller().ShownNode(), second);
    QCOMPARE(ItemRead(f.Session(), model->ItemId(list->currentIndex().row())), 1);
    QCOMPARE(f.ShownUnread(second), 1);
    // Space on an article that fits its pane goes on to the next unread item as well.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(f.ShownUnread(second), 0);
}

void ReaderListTest::FirstStartShowsTheWelcomePage() {
    CReaderFixture f;
    f.WriteOpml({});
    f.Open();
    const QString html = f.Controller().Page()->RenderedHtml();
    QVERIFY(html.contains(QStringLiteral("欢迎使用 Zirvo")));
    QVERIFY(html.contains(QStringLiteral("还没有订阅任何频道")));
    QVERIFY(html.contains(QStringLiteral("添加订阅")));
    QVERIFY(html.contains(QStringLiteral("import-opml")));
    QVERIFY(html.contains(QString::fromStdString(f.Root().Path()).toHtmlEscaped()));
}

void ReaderListTest::HeaderClickSortsThroughTheStoreAcrossPages() {
    CReaderFixture f;
    QVERIFY(f.Server().Put("/a.xml", DatedFeed("a", 1, 60)));
    QVERIFY(f.Server().Put("/b.xml", DatedFeed("b", 1, 5)));
    f.WriteOpml({{"目录",
                  "",
                  {{"一", f.Server().Url("/a.xml"), {}}, {"二", f.Server().Url("/b.xml"), {}}}}});
    f.SetRssSetting("switchchannelautomakeread", "0");
    f.Open();
    f.ReceiveAndWait(kNoNode);
    gui::CReaderController& controller = f.Controller();
    gui::CArticleTableView* list = controller.List();
    gui::CArticleListModel* model = controller.ListModel();
    controller.SetFilter(kAllItems);
    controller.SelectNode(f.Find("目录/一"));
    QCOMPARE(controller.PageCount(), 2);

    // The channel in arrival order, three of its oldest items read.
    std::vector<RssItem> arrival;
    int total = 0;
    QVERIFY(f.Session().Store().ListItems(f.Session().Tree().Node(f.Find("目录/一"))->feedId,
                                          kAllItems, false, arrival, total, 100, 0));
    QCOMPARE(arrival.size(), size_t(60));
    for (size_t i : {size_t(57), size_t(58), size_t(20)}) {
        QVERIFY(f.Session().Store().SetItemRead(arrival[i].id, 1));
        arrival[i].read = 1;
    }
    const std::vector<int> byTitle =
        SortedIds(arrival, [](const RssItem& a, const RssItem& b) { return a.title < b.title; });
    QVERIFY(byTitle != SortedIds(arrival, [](const RssItem&, const RssItem&) { return false; }));

    ClickHeader(list, gui::kColTitle);
    QCOMPARE(list->horizontalHeader()->sortIndicatorSection(), int(gui::kColTitle));
    QCOMPARE(list->horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
    QCOMPARE(controller.CurrentPage(), 0);
    QCOMPARE(model->Item(0)->title, std::string("a 1"));
    QCOMPARE(model->Item(1)->title, std::string("a 10"));
    QCOMPARE(IdsOfAllPages(controller), byTitle);

    ClickHeader(list, gui::kColTitle);  // the same header again: the other way
    QCOMPARE(list->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(IdsOfAllPages(controller), std::vector<int>(byTitle.rbegin(), byTitle.rend()));

    ClickHeader(list, gui::kColDate);  // the latest first
    QCOMPARE(list->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(IdsOfAllPages(controller), SortedIds(arrival, [](const RssItem& a, const RssItem& b) {
                 return a.date > b.date;
             }));

    ClickHeader(list, gui::kColReadState);  // unread first; the read ones end the last page
    QCOMPARE(list->horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
    const std::vector<int> byRead =
        SortedIds(arrival, [](const RssItem& a, const RssItem& b) { return a.read < b.read; });
    QCOMPARE(IdsOfAllPages(controller), byRead);
    QCOMPARE(model->rowCount(), 10);
    QCOMPARE(model->Item(9)->read, 1);
    QCOMPARE(model->Item(6)->read, 0);

    // The order holds for the folder's list and for the unread items of every channel.
    ClickHeader(list, gui::kColTitle);
    QCOMPARE(controller.Order(), (ItemOrder{kSortTitle, false}));
    controller.SelectNode(f.Find("目录"));
    QVERIFY(model->Grouped());
    QCOMPARE(model->ItemRowCount(), 65);
    QVERIFY(TitlesAscendInGroups(model));
    QCOMPARE(model->Item(1)->title, std::string("a 1"));
    QCOMPARE(list->horizontalHeader()->sortIndicatorSection(), int(gui::kColTitle));
    controller.Action(QStringLiteral("listAllUnread"))->trigger();
    QTRY_COMPARE(model->ItemRowCount(), 62);
    QVERIFY(TitlesAscendInGroups(model));

    // A receive refills the shown channel in the order chosen.
    controller.SelectNode(f.Find("目录/一"));
    ClickHeader(list, gui::kColTitle);
    QCOMPARE(controller.Order(), (ItemOrder{kSortTitle, true}));
    QCOMPARE(model->Item(0)->title, std::string("a 9"));
    QCOMPARE(model->Item(2)->title, std::string("a 7"));
    QVERIFY(f.Server().Put("/a.xml", DatedFeed("a", 1, 70)));
    f.ReceiveAndWait(f.Find("目录/一"));
    QTRY_COMPARE(model->Item(2)->title, std::string("a 70"));
    QCOMPARE(model->Item(0)->title, std::string("a 9"));
    QCOMPARE(controller.PageCount(), 2);
    QCOMPARE(controller.Order(), (ItemOrder{kSortTitle, true}));
    QCOMPARE(list->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    for (int row = 1; row < model->rowCount(); ++row) {
        QVERIFY(model->Item(row - 1)->title >= model->Item(row)->title);
    }
}

void ReaderListTest::DateColumnShowsWholeDates() {
    CReaderFixture f;
    QVERIFY(f.Server().Put("/a.xml", DatedFeed("a", 1, 30)));
    f.WriteOpml({{"一", f.Server().Url("/a.xml"), {}}});
    f.Open();
    f.ReceiveAndWait(kNoNode);
    f.Controller().SelectNode(f.Find("一"));
    gui::CArticleTableView* list = f.Controller().List();
    const QAbstractItemView* view = list;  // where sizeHintForColumn is public
    QCOMPARE(f.Controller().ListModel()->rowCount(), 30);
    // What the cells ask for (text, font and the style's margins) fits: nothing is cut.
    QVERIFY2(list->columnWidth(gui::kColDate) >= view->sizeHintForColumn(gui::kColDate),
             qPrintable(QStringLiteral("%1 < %2")
                            .arg(list->columnWidth(gui::kColDate))
                            .arg(view->sizeHintForColumn(gui::kColDate))));
    // And without wasting the title's room.
    QVERIFY(list->columnWidth(gui::kColDate) < 2 * view->sizeHintForColumn(gui::kColDate));
}

QTEST_MAIN(ReaderListTest)
#include "reader_list_test.moc"
