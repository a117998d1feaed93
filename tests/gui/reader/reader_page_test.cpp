// The article page: the documents written next to the skins, rendering through each shipped
// skin, the style menu, a broken skin, a page file that cannot be written, quick reading,
// scripts in items, and where links go.

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

#include "core/util/files.h"
#include "gui/reader/article_list_model.h"
#include "gui/reader/article_page.h"
#include "gui/reader/article_table_view.h"
#include "reader_fixture.h"

using namespace zirvo;
using namespace zirvo::test;

namespace {

const char kHostileFeed[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel><title>t</title>"
    "<item><title>脚本文章</title><link>http://127.0.0.1/hostile</link>"
    "<author>坏人</author><pubDate>Tue, 03 Jan 2006 08:00:00 GMT</pubDate>"
    "<description><![CDATA[<p id=\"body\">正文]]&gt;</p><script>document.title='pwned';"
    "</script><img src=\"file:///etc/passwd\" onerror=\"document.title='pwned'\">"
    "<a href=\"javascript:alert(1)\">js</a>]]></description></item>"
    "<item><title>第二篇</title><link>http://127.0.0.1/second</link>"
    "<description>二</description></item></channel></rss>";

void SelectRow(CReaderFixture& f, int row) {
    gui::CArticleTableView* list = f.Controller().List();
    list->setCurrentIndex(list->model()->index(row, gui::kColTitle));
}

bool WaitLoaded(gui::CArticlePage* page) {
    QSignalSpy loaded(page, &gui::CArticlePage::LoadFinished);
    return loaded.wait(20000);
}

}  // namespace

class ReaderPageTest : public QObject {
    Q_OBJECT
public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private slots:
    void init();
    void cleanup();
    void ItemDocumentIsWrittenAndRenderedThroughEachSkin();
    void BrokenSkinFallsBackWithAMessage();
    void UnwritablePageFileStillShowsTheItem();
    void QuickReadingWritesTheWholePage();
    void ScriptsInItemsDoNotRun();
    void LinksGoWhereTheyShould();
    void RenderedItemsReachTheWebOnlyForPictures();

private:
    std::unique_ptr<CReaderFixture> m_f;
};

void ReaderPageTest::init() {
    m_f = std::make_unique<CReaderFixture>();
    QVERIFY(m_f->Server().Put("/hostile.xml", kHostileFeed));
    m_f->WriteOpml({{"频道", m_f->Server().Url("/hostile.xml"), {}}});
    m_f->Open();
    m_f->ReceiveAndWait(m_f->Find("频道"));
    m_f->Controller().SelectNode(m_f->Find("频道"));
    QCOMPARE(m_f->Controller().ListModel()->rowCount(), 2);
}

void ReaderPageTest::cleanup() {
    m_f.reset();
}

void ReaderPageTest::ItemDocumentIsWrittenAndRenderedThroughEachSkin() {
    gui::CArticlePage* page = m_f->Controller().Page();
    SelectRow(*m_f, 0);
    std::string document;
    QVERIFY(ReadFileBytes(m_f->Root().PathOf("Data/RssSkin/tempRss.xml"), document));
    QVERIFY(document.find("<?xml-stylesheet type=\"text/xsl\" href=\"默认.xsl\"?>") !=
            std::string::npos);
    QVERIFY(document.find("<title><![CDATA[脚本文章]]></title>") != std::string::npos);
    QVERIFY(page->RenderedHtml().contains(QStringLiteral("坏人")));

    const QStringList skins = page->Skins();
    for (const QString& name :
         {QStringLiteral("默认"), QStringLiteral("夜间"), QStringLiteral("书页")}) {
        QVERIFY2(skins.contains(name), qPrintable(name));
    }
    // The style menu changes the skin and shows the item again.
    QMenu* menu = m_f->Controller().Action(QStringLiteral("pageStyle"))->menu();
    QVERIFY(menu);
    for (QAction* action : menu->actions()) {
        if (action->text() == QStringLiteral("夜间")) {
            action->trigger();
        }
    }
    QCOMPARE(page->SkinName(), QStringLiteral("夜间"));
    QVERIFY(page->RenderedHtml().contains(QStringLiteral("#1b1d22")));
    QVERIFY(ReadFileBytes(m_f->Root().PathOf("Data/RssSkin/tempRss.xml"), document));
    QVERIFY(document.find("href=\"夜间.xsl\"") != std::string::npos);
    QVERIFY(page->LastError().isEmpty());
    // The choice is kept for the next start.
    m_f->Controller().SaveState();
    std::string config;
    QVERIFY(ReadFileBytes(m_f->Root().PathOf("config/appConfig.xml"), config));
    QVERIFY(config.find("<articlestyle>夜间</articlestyle>") != std::string::npos);
}

void ReaderPageTest::BrokenSkinFallsBackWithAMessage() {
    m_f->Root().WriteFile("Data/RssSkin/坏.xsl", "<xsl:stylesheet version=\"1.0\"");
    gui::CArticlePage* page = m_f->Controller().Page();
    page->SetSkinName(QStringLiteral("坏"));
    QSignalSpy status(&m_f->Controller(), &gui::CReaderController::StatusText);
    SelectRow(*m_f, 0);
    QVERIFY(page->LastError().contains(QStringLiteral("坏")));
    QVERIFY(page->RenderedHtml().contains(QStringLiteral("脚本文章")));
    QVERIFY(!status.isEmpty());
    // Without any usable skin the item still shows, plainly.
    page->SetSkinName(QStringLiteral("没有这个"));
    QVERIFY(RemoveFile(m_f->Root().PathOf("Data/RssSkin/默认.xsl")));
    SelectRow(*m_f, 1);
    QVERIFY(page->RenderedHtml().contains(QStringLiteral("第二篇")));
    QVERIFY(page->LastError().contains(QStringLiteral("没有这个")));
}

void ReaderPageTest::UnwritablePageFileStillShowsTheItem() {
    // A folder where the document should go cannot be written, not even by root.
    RemoveFile(m_f->Root().PathOf("Data/RssSkin/tempRss.xml"));
    m_f->Root().MakeDir("Data/RssSkin/tempRss.xml");
    QSignalSpy status(&m_f->Controller(), &gui::CReaderController::StatusText);
    SelectRow(*m_f, 1);
    gui::CArticlePage* page = m_f->Controller().Page();
    QVERIFY(page->LastError().startsWith(QStringLiteral("无法写入")));
    QVERIFY(page->RenderedHtml().contains(QStringLiteral("第二篇")));
    QVERIFY(!status.isEmpty());
}

void ReaderPageTest::QuickReadingWritesTheWholePage() {
    m_f->Controller().Action(QStringLiteral("pageQuickReading"))->trigger();
    std::string document;
    QVERIFY(ReadFileBytes(m_f->Root().PathOf("Data/RssSkin/tempRssList.xml"), document));
    QVERIFY(document.find("<title><![CDATA[脚本文章]]></title>") != std::string::npos);
    QVERIFY(document.find("<title><![CDATA[第二篇]]></title>") != std::string::npos);
    QVERIFY(document.find("<author>") == std::string::npos);
    SelectRow(*m_f, 1);
    gui::CArticlePage* page = m_f->Controller().Page();
    QVERIFY(page->RenderedHtml().contains(QStringLiteral("脚本文章")));
    QVERIFY(page->RenderedHtml().contains(QStringLiteral("第二篇")));
    QCOMPARE(page->DisplayState(), 1);
    // Direct browsing wins over quick reading: the item's own page opens in the view.
    m_f->Controller().Action(QStringLiteral("pageDirectBrowsing"))->trigger();
    SelectRow(*m_f, 0);
    QCOMPARE(page->DisplayState(), 1);
    QTRY_COMPARE(page->View()->url().toString(), QStringLiteral("http://127.0.0.1/hostile"));
}

void ReaderPageTest::ScriptsInItemsDoNotRun() {
    gui::CArticlePage* page = m_f->Controller().Page();
    SelectRow(*m_f, 0);
    QVERIFY(WaitLoaded(page) || page->View()->url().scheme() == QStringLiteral("zirvo-article"));
    QTRY_COMPARE(page->View()->title(), QStringLiteral("脚本文章"));
    // The script and the handler are in the page, but nothing ran.
    QVERIFY(page->RenderedHtml().contains(QStringLiteral("document.title='pwned'")));
    QTest::qWait(200);
    QCOMPARE(page->View()->title(), QStringLiteral("脚本文章"));
    QCOMPARE(page->View()->url().scheme(), QStringLiteral("zirvo-article"));
}

void ReaderPageTest::LinksGoWhereTheyShould() {
    using gui::LinkRoute;
    QCOMPARE(gui::RouteLink(QUrl(QStringLiteral("HTTPS://example.org/")), true), LinkRoute::System);
    QCOMPARE(gui::RouteLink(QUrl(QStringLiteral("http://example.org/")), true), LinkRoute::System);
    QCOMPARE(gui::RouteLink(QUrl(QStringLiteral("http://example.org/")), false), LinkRoute::Inside);
    for (const char* bad : {"javascript:alert(1)", "data:text/html,<b>x</b>", "file:///etc/passwd",
                            "ftp://example.org/", "qova://x"}) {
        QCOMPARE(gui::RouteLink(QUrl(QString::fromLatin1(bad)), true), LinkRoute::Blocked);
        QCOMPARE(gui::RouteLink(QUrl(QString::fromLatin1(bad)), false), LinkRoute::Blocked);
    }
    // A web address reached from a rendered item leaves for the system's browser.
    CUrlRecorder browser;
    gui::CArticlePage* page = m_f->Controller().Page();
    SelectRow(*m_f, 0);
    QCOMPARE(page->DisplayState(), 2);
    page->View()->page()->load(QUrl(QStringLiteral("http://127.0.0.1/elsewhere")));
    QTRY_COMPARE(browser.urls.size(), 1);
    QCOMPARE(browser.urls.front().toString(), QStringLiteral("http://127.0.0.1/elsewhere"));
    // javascript: and file: addresses typed into the address box do nothing.
    page->OpenUrl(QStringLiteral("file:///etc/passwd"));
    QVERIFY(page->View()->url().scheme() != QStringLiteral("file"));
    QVERIFY(page->LastError().contains(QStringLiteral("file:///etc/passwd")));
}

void ReaderPageTest::RenderedItemsReachTheWebOnlyForPictures() {
    CFeedServer& server = m_f->Server();
    const std::string body = "<img src=\"" + server.Url("/pic.png") + "\"><iframe src=\"" +
                             server.Url("/frame.html") + "\"></iframe><link rel=\"stylesheet\" " +
                             "href=\"" + server.Url("/style.css") + "\">";
    QVERIFY(server.Put("/pic.png", "GIF89a", "image/gif"));
    QVERIFY(server.Put("/frame.html", "<p>frame</p>", "text/html"));
    QVERIFY(server.Put("/style.css", "p{}", "text/css"));
    QVERIFY(server.Put("/hostile.xml",
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel>"
                       "<title>t</title><item><title>图片</title><link>http://127.0.0.1/pic</link>"
                       "<description><![CDATA[" +
                           body + "]]></description></item></channel></rss>"));
    m_f->ReceiveAndWait(m_f->Find("频道"));
    m_f->Controller().SelectNode(m_f->Find("频道"));
    gui::CArticleTableView* list = m_f->Controller().List();
    int row = -1;
    for (int r = 0; r < list->model()->rowCount(); ++r) {
        if (list->model()->index(r, gui::kColTitle).data().toString() == QStringLiteral("图片")) {
            row = r;
        }
    }
    QVERIFY(row >= 0);
    SelectRow(*m_f, row);
    // The picture is fetched; the frame and the style sheet never are.
    QTRY_VERIFY_WITH_TIMEOUT(!server.RequestsFor("/pic.png").empty(), 20000);
    QTest::qWait(500);
    QVERIFY(server.RequestsFor("/frame.html").empty());
    QVERIFY(server.RequestsFor("/style.css").empty());
}

QTEST_MAIN(ReaderPageTest)
#include "reader_page_test.moc"
