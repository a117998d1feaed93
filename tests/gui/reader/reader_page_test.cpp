// The article page: the documents written next to the skins, rendering through each shipped
// skin, the style menu, a broken skin, a page file that cannot be written, quick reading,
// scripts in items, where links go, what an item may start on its own (nothing), and remote
// pictures.

#include <sys/stat.h>
#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QtTest>

#include "core/util/files.h"
#include "gui/reader/article_list_model.h"
#include "gui/reader/article_page.h"
#include "gui/reader/article_table_view.h"
#include "gui/reader/article_web_page.h"
#include "gui/reader/article_web_view.h"
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

// Waits until the page has rendered what was asked for and the view has loaded it.
bool WaitShown(gui::CArticlePage* page) {
    QElapsedTimer waited;
    waited.start();
    while (!page->Settled() && waited.elapsed() < 40000) {
        QTest::qWait(20);
    }
    return page->Settled();
}

int RowOf(CReaderFixture& f, const QString& title) {
    gui::CArticleTableView* list = f.Controller().List();
    for (int r = 0; r < list->model()->rowCount(); ++r) {
        if (list->model()->index(r, gui::kColTitle).data().toString() == title) {
            return r;
        }
    }
    return -1;
}

// Puts a feed of the given (title, description) items and receives it.
void ServeItems(CReaderFixture& f, const std::vector<std::pair<std::string, std::string>>& items) {
    std::string feed =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel><title>t"
        "</title>";
    int n = 0;
    for (const auto& [title, description] : items) {
        feed += "<item><title>" + title + "</title><link>http://127.0.0.1/item" +
                std::to_string(++n) + "</link><description><![CDATA[" + description +
                "]]></description></item>";
    }
    feed += "</channel></rss>";
    QVERIFY(f.Server().Put("/hostile.xml", feed));
    f.ReceiveAndWait(f.Find("频道"));
    f.Controller().SelectNode(f.Find("频道"));
}

// The centre of the element with `id` in the shown page, in view coordinates (read through
// the program's own script world: the page's scripts stay off).
QPoint ElementCentre(gui::CArticlePage* page, const QString& id) {
    QPoint centre(-1, -1);
    bool done = false;
    page->View()->page()->runJavaScript(
        QStringLiteral("(function(){var e=document.getElementById('%1');if(!e)return [];"
                       "var r=e.getBoundingClientRect();return [r.left+r.width/2,"
                       "r.top+r.height/2];})()")
            .arg(id),
        QWebEngineScript::ApplicationWorld, [&](const QVariant& value) {
            const QVariantList list = value.toList();
            if (list.size() == 2) {
                centre = QPoint(static_cast<int>(list[0].toDouble()),
                                static_cast<int>(list[1].toDouble()));
            }
            done = true;
        });
    QElapsedTimer waited;
    waited.start();
    while (!done && waited.elapsed() < 20000) {
        QTest::qWait(20);
    }
    return centre;
}

void ClickAt(gui::CArticlePage* page, const QPoint& at) {
    QWidget* target = page->View()->focusProxy() ? page->View()->focusProxy() : page->View();
    QTest::mouseClick(target, Qt::LeftButton, {}, at);
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
    void AnItemStartsNoNavigationOfItsOwn();
    void FramesOfAnItemDoNotRender();
    void RemotePicturesWaitForTheUserWhenSwitchedOff();
    void TheListPageIsRenderedOncePerList();
    void TheWebViewWaitsForTheFirstPaintOfAShownPane();
    void AHiddenPaneStartsForItsNewestDocumentOnly();

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
    QVERIFY(WaitShown(page));
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
    QVERIFY(WaitShown(page));
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
    QVERIFY(WaitShown(page));
    QVERIFY(page->LastError().contains(QStringLiteral("坏")));
    QVERIFY(page->RenderedHtml().contains(QStringLiteral("脚本文章")));
    QVERIFY(!status.isEmpty());
    // Without any usable skin the item still shows, plainly.
    page->SetSkinName(QStringLiteral("没有这个"));
    QVERIFY(RemoveFile(m_f->Root().PathOf("Data/RssSkin/默认.xsl")));
    SelectRow(*m_f, 1);
    QVERIFY(WaitShown(page));
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
    QVERIFY(WaitShown(page));
    QVERIFY(page->LastError().startsWith(QStringLiteral("无法写入")));
    QVERIFY(page->RenderedHtml().contains(QStringLiteral("第二篇")));
    QVERIFY(!status.isEmpty());
}

void ReaderPageTest::QuickReadingWritesTheWholePage() {
    m_f->Controller().Action(QStringLiteral("pageQuickReading"))->trigger();
    QVERIFY(WaitShown(m_f->Controller().Page()));
    std::string document;
    QVERIFY(ReadFileBytes(m_f->Root().PathOf("Data/RssSkin/tempRssList.xml"), document));
    QVERIFY(document.find("<title><![CDATA[脚本文章]]></title>") != std::string::npos);
    QVERIFY(document.find("<title><![CDATA[第二篇]]></title>") != std::string::npos);
    QVERIFY(document.find("<author>") == std::string::npos);
    SelectRow(*m_f, 1);
    gui::CArticlePage* page = m_f->Controller().Page();
    QVERIFY(!page->Rendering());
    QCOMPARE(page->ShownAnchor(), QStringLiteral("http://127.0.0.1/second"));
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
    QVERIFY(WaitShown(page));
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
    // A web address the user clicks in a rendered item leaves for the system's browser.
    CUrlRecorder browser;
    gui::CArticlePage* page = m_f->Controller().Page();
    ServeItems(*m_f, {{"链接",
                       "<p><a id=\"go\" href=\"HTTP://127.0.0.1/elsewhere\" "
                       "style=\"font-size:40px\">去别处</a></p>"}});
    SelectRow(*m_f, RowOf(*m_f, QStringLiteral("链接")));
    QVERIFY(WaitShown(page));
    QCOMPARE(page->DisplayState(), 2);
    const QPoint link = ElementCentre(page, QStringLiteral("go"));
    QVERIFY(link.x() >= 0);
    ClickAt(page, link);
    QTRY_COMPARE_WITH_TIMEOUT(browser.urls.size(), 1, 20000);
    QCOMPARE(browser.urls.front().toString(), QStringLiteral("http://127.0.0.1/elsewhere"));
    QCOMPARE(page->View()->url().scheme(), QStringLiteral("zirvo-article"));
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
    QVERIFY(WaitShown(m_f->Controller().Page()));
    // The picture is fetched; the frame and the style sheet never are.
    QTRY_VERIFY_WITH_TIMEOUT(!server.RequestsFor("/pic.png").empty(), 20000);
    QTest::qWait(500);
    QVERIFY(server.RequestsFor("/frame.html").empty());
    QVERIFY(server.RequestsFor("/style.css").empty());
}

void ReaderPageTest::AnItemStartsNoNavigationOfItsOwn() {
    CFeedServer& server = m_f->Server();
    QVERIFY(server.Put("/landing", "<p>landing</p>", "text/html"));
    const std::string refresh =
        "<meta http-equiv=\"refresh\" content=\"0;url=" + server.Url("/landing") + "\">";
    ServeItems(*m_f, {{"刷新", "<p>正文一</p>" + refresh},
                      {"页尾刷新", "<p>正文二</p></body></html>" + refresh + "<p>尾</p>"}});
    gui::CArticlePage* page = m_f->Controller().Page();
    QList<QUrl> opened;
    page->SetExternalOpener([&opened](const QUrl& url) { opened.append(url); });
    auto nothingLeft = [&](const char* when) {
        QTest::qWait(1500);  // a refresh of 0 s would have started by now
        QVERIFY2(opened.isEmpty(), when);
        QVERIFY2(server.RequestsFor("/landing").empty(), when);
        QVERIFY2(page->View()->url().scheme() == QStringLiteral("zirvo-article"), when);
    };
    // Merely selecting the item.
    SelectRow(*m_f, RowOf(*m_f, QStringLiteral("刷新")));
    QVERIFY(WaitShown(page));
    QVERIFY(page->RenderedHtml().startsWith(
        QStringLiteral("<meta http-equiv=\"Content-Security-Policy\"")));
    nothingLeft("selected");
    SelectRow(*m_f, RowOf(*m_f, QStringLiteral("页尾刷新")));
    QVERIFY(WaitShown(page));
    nothingLeft("selected, after </html>");
    // Back to the first item's document.
    m_f->Controller().Action(QStringLiteral("pageBack"))->trigger();
    nothingLeft("back");
    // A skin switch shows the item again.
    for (QAction* action :
         m_f->Controller().Action(QStringLiteral("pageStyle"))->menu()->actions()) {
        if (action->text() == QStringLiteral("书页")) {
            action->trigger();
        }
    }
    QVERIFY(WaitShown(page));
    nothingLeft("skin switch");
    // Quick reading: the list page holds both items; the pane keeps it.
    m_f->Controller().Action(QStringLiteral("pageQuickReading"))->trigger();
    QVERIFY(WaitShown(page));
    nothingLeft("quick reading");
    SelectRow(*m_f, RowOf(*m_f, QStringLiteral("刷新")));
    nothingLeft("quick reading, selected");
}

void ReaderPageTest::FramesOfAnItemDoNotRender() {
    CFeedServer& server = m_f->Server();
    QVERIFY(server.Put("/inner.gif", "GIF89a", "image/gif"));
    QVERIFY(server.Put("/outer.gif", "GIF89a", "image/gif"));
    ServeItems(*m_f,
               {{"框架", "<iframe id=\"f\" srcdoc=\"&lt;p&gt;inside&lt;/p&gt;&lt;img src=&quot;" +
                             server.Url("/inner.gif") + "&quot;&gt;\"></iframe><img src=\"" +
                             server.Url("/outer.gif") + "\">"}});
    gui::CArticlePage* page = m_f->Controller().Page();
    SelectRow(*m_f, RowOf(*m_f, QStringLiteral("框架")));
    QVERIFY(WaitShown(page));
    // The item's own picture loads, so the page is there; its frame's never does.
    QTRY_VERIFY_WITH_TIMEOUT(!server.RequestsFor("/outer.gif").empty(), 20000);
    QTest::qWait(800);
    QVERIFY(server.RequestsFor("/inner.gif").empty());
}

void ReaderPageTest::RemotePicturesWaitForTheUserWhenSwitchedOff() {
    CFeedServer& server = m_f->Server();
    QVERIFY(server.Put("/seen.gif", "GIF89a", "image/gif"));
    ServeItems(*m_f, {{"图", "<p>有图</p><img src=\"" + server.Url("/seen.gif") + "\">"}});
    gui::CArticlePage* page = m_f->Controller().Page();
    page->SetRemotePictures(false);
    SelectRow(*m_f, RowOf(*m_f, QStringLiteral("图")));
    QVERIFY(WaitShown(page));
    auto* bar = page->findChild<QWidget*>(QStringLiteral("picturesBar"));
    QVERIFY(bar && bar->isVisible());
    QTest::qWait(800);
    QVERIFY(server.RequestsFor("/seen.gif").empty());
    page->findChild<QPushButton*>(QStringLiteral("showPicturesButton"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(!server.RequestsFor("/seen.gif").empty(), 20000);
    QVERIFY(!bar->isVisible());
    // Picture requests say nothing of where they come from and carry no cookie back, though
    // the server set one.
    page->ShowPicturesOnce();
    SelectRow(*m_f, RowOf(*m_f, QStringLiteral("图")));
    page->SetRemotePictures(true);
    m_f->Controller().Action(QStringLiteral("pageReload"))->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(server.RequestsFor("/seen.gif").size() >= 2, 20000);
    for (const auto& request : server.RequestsFor("/seen.gif")) {
        QVERIFY2(request.referer.empty(), request.referer.c_str());
        QVERIFY2(request.cookie.empty(), request.cookie.c_str());
    }
}

void ReaderPageTest::TheListPageIsRenderedOncePerList() {
    gui::CArticlePage* page = m_f->Controller().Page();
    m_f->Controller().Action(QStringLiteral("pageQuickReading"))->trigger();
    QVERIFY(WaitShown(page));
    const std::string path = m_f->Root().PathOf("Data/RssSkin/tempRssList.xml");
    struct stat before {};
    QCOMPARE(::stat(path.c_str(), &before), 0);
    const QString html = page->RenderedHtml();
    QTest::qWait(1100);  // a rewrite would show as a newer time
    SelectRow(*m_f, 1);
    QCOMPARE(page->ShownAnchor(), QStringLiteral("http://127.0.0.1/second"));
    SelectRow(*m_f, 0);
    QCOMPARE(page->ShownAnchor(), QStringLiteral("http://127.0.0.1/hostile"));
    QTest::qWait(300);
    QVERIFY(!page->Rendering());
    struct stat after {};
    QCOMPARE(::stat(path.c_str(), &after), 0);
    QCOMPARE(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    QCOMPARE(page->RenderedHtml(), html);
}

void ReaderPageTest::TheWebViewWaitsForTheFirstPaintOfAShownPane() {
    // The reader's own page is up and showing its item.
    gui::CArticlePage* page = m_f->Controller().Page();
    SelectRow(*m_f, 0);
    QVERIFY(WaitShown(page));
    QVERIFY(page->View() != nullptr);

    QWidget window;
    window.resize(600, 400);
    auto* layout = new QVBoxLayout(&window);
    auto* web = new gui::CArticleWebView([](const QUrl&) {}, &window);
    layout->addWidget(web);
    bool paintedBeforeStart = false;
    bool painted = false;
    // Paints of the pane before the view exists, seen from outside.
    struct PaintSpy : QObject {
        bool* seen;
        explicit PaintSpy(bool* flag) : seen(flag) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) {
                *seen = true;
            }
            return false;
        }
    } spy(&painted);
    web->installEventFilter(&spy);
    connect(web, &gui::CArticleWebView::ViewStarted, this, [&] { paintedBeforeStart = painted; });
    window.show();
    QVERIFY(!web->Started());
    QVERIFY(window.findChild<QWebEngineView*>() == nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Nobody asked for a document: the painted pane starts its view on its own, after the paint.
    QTRY_VERIFY_WITH_TIMEOUT(web->Started(), 20000);
    QVERIFY(paintedBeforeStart);
    QVERIFY(window.findChild<QWebEngineView*>() != nullptr);
    web->removeEventFilter(&spy);
}

void ReaderPageTest::AHiddenPaneStartsForItsNewestDocumentOnly() {
    gui::CArticleWebView web([](const QUrl&) {});
    // A blank page needs no engine: the pane stays without a view.
    web.Load(QUrl(QStringLiteral("about:blank")));
    QTest::qWait(300);
    QVERIFY(!web.Started());
    QVERIFY(web.findChild<QWebEngineView*>() == nullptr);

    // Two documents asked for before the view exists: only the newer one is loaded.
    web.Scheme()->Put(QStringLiteral("/older"),
                      "<html><head><title>旧的</title></head><body>旧</body></html>");
    web.Scheme()->Put(QStringLiteral("/newer"),
                      "<html><head><title>新的</title></head><body>新</body></html>");
    auto address = [](const char* path) {
        QUrl url;
        url.setScheme(QString::fromLatin1(gui::kArticleScheme));
        url.setHost(QStringLiteral("view"));
        url.setPath(QString::fromLatin1(path));
        return url;
    };
    QSignalSpy loaded(&web, &gui::CArticleWebView::LoadFinished);
    web.Load(address("/older"));
    web.Load(address("/newer"));
    QVERIFY(!web.Started());
    QVERIFY(web.ShowsRendered());
    QVERIFY(loaded.wait(20000));
    QVERIFY(web.Started());
    QVERIFY(loaded.first().first().toBool());
    QCOMPARE(web.Url().path(), QStringLiteral("/newer"));
    QCOMPARE(web.View()->title(), QStringLiteral("新的"));
    QCOMPARE(web.View()->history()->count(), 1);
    // Once started, loads go straight to the view.
    web.Load(address("/older"));
    QVERIFY(loaded.wait(20000));
    QCOMPARE(web.View()->title(), QStringLiteral("旧的"));
}

QTEST_MAIN(ReaderPageTest)
#include "reader_page_test.moc"
