// How the reader looks: the tree, the list and the rendered article in a window laid out as the
// main window lays them out, with Chinese feeds. The checks are about what a user would see
// cut off; with ZIRVO_SCREENSHOT_DIR set, every state is also saved as a PNG to look at (run it
// under xvfb-run with QT_QPA_PLATFORM=xcb to see the rendered pages as well).

#include <QDir>
#include <QHeaderView>
#include <QScreen>
#include <QSignalSpy>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeWidgetItem>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <QtTest>

#include "gui/dialogs/channel_properties_dialog.h"
#include "gui/dialogs/folder_properties_dialog.h"
#include "gui/reader/article_list_model.h"
#include "gui/reader/article_page.h"
#include "gui/reader/article_table_view.h"
#include "gui/reader/channel_tree_widget.h"
#include "gui/reader/item_properties_dialog.h"
#include "gui/reader/reader_fonts.h"
#include "gui/reader/reader_icons.h"
#include "gui/reader/subscription_dialogs.h"
#include "gui/reader/subscription_wizard.h"
#include "reader_fixture.h"

using namespace zirvo;
using namespace zirvo::test;

namespace {

std::string ChineseFeed(int count) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel>"
        "<title>科技新闻</title>";
    for (int i = count; i >= 1; --i) {
        out += "<item><title>第" + std::to_string(i) +
               "条：开源社区发布新版本的桌面阅读器，支持更快的订阅同步</title>"
               "<link>http://127.0.0.1/news/" +
               std::to_string(i) +
               "</link><author>记者 王小明</author>"
               "<pubDate>Tue, 03 Jan 2006 08:" +
               std::to_string(10 + i % 50) +
               ":00 GMT</pubDate><description><![CDATA[<p>这是一篇用于检查排版的文章。"
               "中文段落应当有舒适的行距和字号，长句子在窄窗口中也要自然换行，不能被截断。</p>"
               "<p>English words mixed in a Chinese paragraph should look fine too, "
               "with <a href=\"http://127.0.0.1/more\">a link</a> and <b>bold text</b>.</p>"
               "<blockquote>引用的内容会有不同的样式。</blockquote>"
               "<pre>code sample: zirvo --root /tmp/x</pre>]]></description></item>";
    }
    return out + "</channel></rss>";
}

}  // namespace

class ReaderLookTest : public QObject {
    Q_OBJECT
public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private slots:
    void ReaderWithChineseFeedsFitsItsPanes();

private:
    void Shot(QWidget* window, const QString& name);
};

void ReaderLookTest::Shot(QWidget* window, const QString& name) {
    const QString dir = qEnvironmentVariable("ZIRVO_SCREENSHOT_DIR");
    if (dir.isEmpty()) {
        return;
    }
    QDir().mkpath(dir);
    QTest::qWait(600);  // let the page paint
    QPixmap picture =
        window->screen() && QGuiApplication::platformName() != QLatin1String("offscreen")
            ? window->screen()->grabWindow(window->winId())
            : window->grab();
    picture.save(dir + QStringLiteral("/") + name + QStringLiteral(".png"));
}

void ReaderLookTest::ReaderWithChineseFeedsFitsItsPanes() {
    CReaderFixture f;
    QVERIFY(f.Server().Put("/news.xml", ChineseFeed(120)));
    QVERIFY(f.Server().Put("/tech.xml", ChineseFeed(7)));
    f.WriteOpml({{"中文资讯",
                  "",
                  {{"科技新闻", f.Server().Url("/news.xml"), {}},
                   {"开源周刊", f.Server().Url("/tech.xml"), {}},
                   {"失败的频道", f.Server().Url("/status/404"), {}}}},
                 {"英文资讯", "", {{"Hacker News", f.Server().Url("/gen/3?items=30"), {}}}}});
    f.Open();
    // The main window's arrangement: tree | list over page.
    QWidget* window = f.Window();
    delete window->layout();
    auto* outer = new QSplitter(Qt::Horizontal, window);
    auto* right = new QSplitter(Qt::Vertical, outer);
    outer->addWidget(f.Controller().TreeWidget());
    right->addWidget(f.Controller().ListWidget());
    right->addWidget(f.Controller().PageWidget());
    outer->addWidget(right);
    outer->setSizes({230, 870});
    right->setSizes({260, 440});
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(outer);
    window->resize(1100, 720);
    f.ReceiveAndWait(kNoNode);

    gui::CChannelTreeWidget* tree = f.Controller().Tree();
    const NodeId news = f.Find("中文资讯/科技新闻");
    f.Controller().SelectNode(news);
    gui::CArticleTableView* list = f.Controller().List();
    list->setCurrentIndex(list->model()->index(0, gui::kColTitle));
    QSignalSpy loaded(f.Controller().Page(), &gui::CArticlePage::LoadFinished);
    loaded.wait(10000);

    // The caption and its count fit the tree pane.
    QTreeWidgetItem* folder = tree->ItemOf(f.Find("中文资讯"));
    QCOMPARE(folder->data(0, gui::kUnreadRole).toInt(), 127);
    QVERIFY(tree->visualItemRect(tree->ItemOf(news)).height() >= tree->fontMetrics().height());
    // The title column takes what the fixed columns leave.
    QVERIFY(list->columnWidth(gui::kColTitle) > 250);
    QVERIFY(list->verticalHeader()->defaultSectionSize() >= list->fontMetrics().height() + 4);
    // A CJK face stands in for "宋体".
    QVERIFY(!gui::CjkFamilyFor(QStringLiteral("宋体")).isEmpty());
    // A new item's mark is not the priority column's star.
    QVERIFY(gui::ListStateIcon(gui::ListIcon::NewItem).pixmap(16).toImage() !=
            gui::ListStateIcon(gui::ListIcon::Importance).pixmap(16).toImage());
    // Latin letters and punctuation come from a Latin face listed before the CJK one.
    for (bool big : {false, true}) {
        const QStringList families = gui::ListFont(big).families();
        QVERIFY(families.size() >= 2);
        QVERIFY2(!families.front().contains(QStringLiteral("CJK")), qPrintable(families.front()));
        QVERIFY(families.contains(
            gui::CjkFamilyFor(big ? QStringLiteral("宋体") : QStringLiteral("黑体"))));
    }

    Shot(window, QStringLiteral("reader-默认"));
    for (const QString& skin : {QStringLiteral("夜间"), QStringLiteral("书页")}) {
        f.Controller().Page()->SetSkinName(skin);
        emit f.Controller().Page()->SkinChanged(skin);
        loaded.wait(10000);
        Shot(window, QStringLiteral("reader-") + skin);
    }
    f.Controller().Page()->SetSkinName(QStringLiteral("默认"));
    f.Controller().SelectNode(f.Find("中文资讯"));
    Shot(window, QStringLiteral("reader-folder"));
    f.Controller().SetFilter(kAllItems);
    f.Controller().Action(QStringLiteral("pageQuickReading"))->trigger();
    f.Controller().SelectNode(news);
    loaded.wait(10000);
    Shot(window, QStringLiteral("reader-quick"));

    // The dialogs, as they open.
    gui::CSubscriptionWizard wizard(f.Session().Tree(), false, f.Find("中文资讯"), window);
    wizard.Fields()->SetValues(QStringLiteral("少数派"), QStringLiteral("https://sspai.com/feed"),
                               QStringLiteral("https://sspai.com/"));
    wizard.show();
    QVERIFY(QTest::qWaitForWindowExposed(&wizard));
    Shot(&wizard, QStringLiteral("wizard-1"));
    wizard.next();
    Shot(&wizard, QStringLiteral("wizard-2"));
    wizard.close();
    gui::CAddChannelDialog addChannel(f.Session().Tree(), window);
    addChannel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&addChannel));
    Shot(&addChannel, QStringLiteral("add-channel"));
    addChannel.close();
    gui::CAddFolderDialog addFolder(window);
    addFolder.show();
    QVERIFY(QTest::qWaitForWindowExposed(&addFolder));
    Shot(&addFolder, QStringLiteral("add-folder"));
    addFolder.close();
    RssItem item;
    QVERIFY(f.Session().Store().GetItem(f.Controller().ListModel()->ItemId(0), false, item));
    gui::CItemPropertiesDialog properties(item, window);
    properties.show();
    QVERIFY(QTest::qWaitForWindowExposed(&properties));
    Shot(&properties, QStringLiteral("item-properties"));
    properties.close();
    gui::CChannelPropertiesDialog channel(f.Session(), f.Find("中文资讯/失败的频道"), window);
    channel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&channel));
    Shot(&channel, QStringLiteral("channel-properties"));
    channel.Pages()->setCurrentIndex(1);
    Shot(&channel, QStringLiteral("channel-properties-storage"));
    channel.close();
    gui::CFolderPropertiesDialog folderSheet(f.Session(), f.Find("中文资讯"), window);
    folderSheet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&folderSheet));
    Shot(&folderSheet, QStringLiteral("folder-properties"));
    folderSheet.Pages()->setCurrentIndex(1);
    Shot(&folderSheet, QStringLiteral("folder-properties-batch"));
}

QTEST_MAIN(ReaderLookTest)
#include "reader_look_test.moc"
