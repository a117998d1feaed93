// The editor's HTML view with the shipped editing page and with pages of the tests' own: content
// in and out (Chinese included), pages without the functions, the append rule, hostile content
// handed in or pasted (nothing of it runs or loads), what the page may fetch, links that must not
// navigate, edits marking the document modified, and pasted pictures.

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QSignalSpy>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

#include "editor_view_fixture.h"
#include "support/feed_server.h"

using namespace zirvo;
using namespace zirvo::test;
using editor::CEditorHtmlView;
using editor::EditorCommand;

namespace {

// A page that keeps what it is given as it is (no cleaning of its own), so that a test sees
// exactly what the view handed over.
const char kPlainPage[] =
    "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body>"
    "<div id=\"box\" contenteditable=\"true\"></div><script>"
    "var box=document.getElementById('box');"
    "function In(h){box.innerHTML=h;return true;}"
    "function Out(){return box.innerHTML;}"
    "function Broken(){throw new Error('no');}"
    "</script></body></html>";

QString ServerUrl(const CFeedServer& server, const char* path) {
    return QString::fromStdString(server.Url(path));
}

bool Requested(const CFeedServer& server, const std::string& prefix) {
    return !server.RequestsFor(prefix).empty();
}

void ShowView(CEditorHtmlView& view) {
    view.resize(900, 640);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
}

// Puts the caret at the end of the last paragraph of the page's editable text and gives the view
// the focus.
void FocusText(CEditorHtmlView& view, const QString& element) {
    view.activateWindow();
    view.WebView()->setFocus();
    PageValue(view, QStringLiteral("(function(){var e=document.getElementById('") + element +
                        QStringLiteral("');e.focus();var r=document.createRange();"
                                       "r.selectNodeContents(e.lastElementChild||e);"
                                       "r.collapse(false);"
                                       "var s=getSelection();s.removeAllRanges();s.addRange(r);"
                                       "return true;})()"));
}

}  // namespace

class EditorHtmlViewTest : public QObject {
    Q_OBJECT

private slots:
    void ContentRoundTripsThroughTheShippedPage();
    void PageWithoutTheFunctionsFailsEveryCall();
    void AppendFollowsTheRule();
    void HostileContentHandedInNeverRuns();
    void PastedHtmlIsCleanedAndLoadsNothing();
    void PageReachesOnlyPicturesAndItsOwnFolder();
    void LinksNeverNavigate();
    void TypingMarksTheDocumentModified();
    void PastedPictureIsOffered();
    void ToolBarWorksFromTheKeyboard();
    void DroppedFilesAreOfferedOrRefused();
    void LinkCommandAsksForAWebAddress();
    void FindBarCountsMatches();
    void ShowsChineseEnglishAndPictures();
};

void EditorHtmlViewTest::ContentRoundTripsThroughTheShippedPage() {
    CEditorHtmlView view;
    ShowView(view);
    const QString first = QStringLiteral("<p>你好,<b>世界</b> and English</p>");
    QCOMPARE(ShowAndWait(view, ShippedEditorPage(), first), std::optional<bool>(true));
    QVERIFY(view.IsPageLoaded());
    QCOMPARE(ContentOf(view), first);
    QVERIFY(!view.IsModified());

    const QString second = QStringLiteral(
        "<h2>标题</h2><ul><li>一</li><li>二</li></ul><blockquote>引用 quote</blockquote>"
        "<p style=\"text-align: center;\"><a href=\"https://example.org/路径\">链接</a>"
        "<img src=\"http://127.0.0.1:9/p.png\" alt=\"图\"></p>");
    QCOMPARE(SetAndWait(view, second), std::optional<bool>(true));
    QCOMPARE(ContentOf(view), second);

    // The source view shows the same article, and an edit made there comes back cleaned.
    PageValue(view, QStringLiteral("document.getElementById('sourceButton').click()"));
    QCOMPARE(PageValue(view, QStringLiteral("document.getElementById('source').value")),
             PageValue(view, QStringLiteral("document.getElementById('editor').innerHTML")));
    PageValue(view, QStringLiteral("document.getElementById('source').value="
                                   "'<p>源码 <script>window.bad=1</script></p>'"));
    QCOMPARE(ContentOf(view), QStringLiteral("<p>源码 </p>"));
    QCOMPARE(PageValue(view, QStringLiteral("window.bad")), QStringLiteral("undefined"));
}

void EditorHtmlViewTest::PageWithoutTheFunctionsFailsEveryCall() {
    QTemporaryDir dir;
    const QString page =
        WritePage(dir, {{QStringLiteral("index.html"), QLatin1String(kPlainPage)}});
    CEditorHtmlView view;
    ShowView(view);
    // The page loads, but does not take the content: the named functions do not exist.
    QCOMPARE(ShowAndWait(view, page, QStringLiteral("<p>x</p>"), QStringLiteral("Missing"),
                         QStringLiteral("AlsoMissing")),
             std::optional<bool>(false));
    QVERIFY(view.IsPageLoaded());
    QCOMPARE(ContentOf(view), QStringLiteral("<failed>"));
    QCOMPARE(SetAndWait(view, QStringLiteral("<p>y</p>")), std::optional<bool>(false));
    QCOMPARE(AppendAndWait(view, QStringLiteral("<p>z</p>")), std::optional<bool>(false));

    // A function that throws fails like a missing one.
    QCOMPARE(ShowAndWait(view, page, QString(), QStringLiteral("Broken"), QStringLiteral("Broken")),
             std::optional<bool>(false));
    QCOMPARE(ContentOf(view), QStringLiteral("<failed>"));

    // A page that is not there, and one not named index.html, give no content either.
    CEditorHtmlView other;
    QCOMPARE(ShowAndWait(other, dir.filePath(QStringLiteral("nothing/index.html"))),
             std::optional<bool>(false));
    QCOMPARE(ContentOf(other), QStringLiteral("<failed>"));
    WritePage(dir, {{QStringLiteral("page.html"), QLatin1String(kPlainPage)}});
    QCOMPARE(ShowAndWait(other, dir.filePath(QStringLiteral("page.html")),
                         QStringLiteral("<p>a</p>"), QStringLiteral("In"), QStringLiteral("Out")),
             std::optional<bool>(false));
    QCOMPARE(ContentOf(other), QString());
}

void EditorHtmlViewTest::AppendFollowsTheRule() {
    QTemporaryDir dir;
    // This page starts with an empty upper-case div, as some editing pages do, and ignores the
    // first content it is given.
    const QString page = WritePage(
        dir, {{QStringLiteral("index.html"),
               QStringLiteral("<!DOCTYPE html><meta charset=\"utf-8\"><script>var c='<DIV></DIV>';"
                              "var calls=0;function In(h){if(calls++>0)c=h;}"
                              "function Out(){return c;}</script>")}});
    CEditorHtmlView view;
    ShowView(view);
    QCOMPARE(ShowAndWait(view, page, QString(), QStringLiteral("In"), QStringLiteral("Out")),
             std::optional<bool>(true));
    QCOMPARE(AppendAndWait(view, QStringLiteral("<p>一</p>")), std::optional<bool>(true));
    QCOMPARE(ContentOf(view), QStringLiteral("<div><p>一</p></div>"));
    QVERIFY(view.IsModified());
    QCOMPARE(AppendAndWait(view, QStringLiteral("<p>二</p>")), std::optional<bool>(true));
    QCOMPARE(ContentOf(view), QStringLiteral("<div><p>一</p></div><p>二</p>"));
    QCOMPARE(SetAndWait(view, QString()), std::optional<bool>(true));
    QVERIFY(!view.IsModified());
    QCOMPARE(AppendAndWait(view, QStringLiteral("<img src=\"https://example.org/a.png\">")),
             std::optional<bool>(true));
    QCOMPARE(ContentOf(view), QStringLiteral("<img src=\"https://example.org/a.png\">"));
}

void EditorHtmlViewTest::HostileContentHandedInNeverRuns() {
    const QString hostile = QStringLiteral(
        "<p id=\"keep\">正文</p><script>window.ran='script';document.title='pwned'</script>"
        "<img src=\"nothing:\" onerror=\"window.ran='onerror'\">"
        "<svg><script>window.ran='svg'</script></svg>"
        "<a href=\"javascript:window.ran='link'\" id=\"bad\">点</a>"
        "<iframe src=\"javascript:parent.ran='frame'\"></iframe>"
        "<object data=\"javascript:window.ran='object'\"></object>"
        "<style>p{color:red}</style><p onclick=\"window.ran='click'\" "
        "style=\"color: green; background-image: url(http://127.0.0.1:9/x.png)\">绿</p>");
    // The shipped page cleans what it gets, and so does the view for a page that does not.
    QTemporaryDir dir;
    const QString plain =
        WritePage(dir, {{QStringLiteral("index.html"), QLatin1String(kPlainPage)}});
    for (const auto& [page, in, out] :
         {std::tuple{ShippedEditorPage(), QStringLiteral("HtmlTextIn"),
                     QStringLiteral("HtmlTextOut")},
          std::tuple{plain, QStringLiteral("In"), QStringLiteral("Out")}}) {
        CEditorHtmlView view;
        ShowView(view);
        QCOMPARE(ShowAndWait(view, page, hostile, in, out), std::optional<bool>(true));
        QCOMPARE(SetAndWait(view, hostile), std::optional<bool>(true));
        PageValue(view, QStringLiteral("(function(){var p=document.querySelectorAll('p');"
                                       "p[p.length-1].click();return 1;})()"));
        QTest::qWait(300);
        QCOMPARE(PageValue(view, QStringLiteral("window.ran")), QStringLiteral("undefined"));
        const QString content = ContentOf(view);
        QVERIFY2(content.contains(QStringLiteral("正文")), qPrintable(content));
        QVERIFY2(content.contains(QStringLiteral("color: green")), qPrintable(content));
        for (const char* gone : {"script", "onerror", "onclick", "javascript:", "<style", "<iframe",
                                 "<object", "<svg", "url("}) {
            QVERIFY2(!content.contains(QLatin1String(gone), Qt::CaseInsensitive),
                     qPrintable(QLatin1String(gone) + QStringLiteral(" in ") + content));
        }
    }
}

void EditorHtmlViewTest::PastedHtmlIsCleanedAndLoadsNothing() {
    CFeedServer server;
    CEditorHtmlView view;
    ShowView(view);
    QCOMPARE(ShowAndWait(view, ShippedEditorPage(), QStringLiteral("<p>开头</p>")),
             std::optional<bool>(true));
    const QString pasted =
        QStringLiteral("<p>粘贴的<b>粗体</b></p><script>window.ran='script'</script>") +
        QStringLiteral("<img src=\"") + ServerUrl(server, "/pic/shown.png") +
        QStringLiteral("\" onerror=\"window.ran='onerror'\" onload=\"window.ran='onload'\">") +
        QStringLiteral("<img src=\"file:///etc/hostname\">") +
        QStringLiteral("<a href=\"javascript:window.ran='link'\">链接</a>") +
        QStringLiteral("<style>@import url(") + ServerUrl(server, "/style.css") +
        QStringLiteral(");</style><link rel=\"stylesheet\" href=\"") +
        ServerUrl(server, "/link.css") + QStringLiteral("\"><iframe src=\"") +
        ServerUrl(server, "/frame") + QStringLiteral("\"></iframe><object data=\"") +
        ServerUrl(server, "/object") + QStringLiteral("\"></object><p style=\"background: url(") +
        ServerUrl(server, "/background.png") + QStringLiteral(")\">背景</p>");
    auto* mime = new QMimeData;
    mime->setHtml(pasted);
    mime->setText(QStringLiteral("粘贴的粗体"));
    QGuiApplication::clipboard()->setMimeData(mime);
    FocusText(view, QStringLiteral("editor"));
    view.RunCommand(EditorCommand::Paste);

    QTRY_VERIFY_WITH_TIMEOUT(ContentOf(view).contains(QStringLiteral("粗体")), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(Requested(server, "/pic/shown.png"), 20000);
    QTest::qWait(500);
    const QString content = ContentOf(view);
    QVERIFY2(content.contains(QStringLiteral("<b>粗体</b>")), qPrintable(content));
    for (const char* gone : {"script", "onerror", "onload", "javascript:", "<style", "<iframe",
                             "<object", "file:", "url(", "<link"}) {
        QVERIFY2(!content.contains(QLatin1String(gone), Qt::CaseInsensitive),
                 qPrintable(QLatin1String(gone) + QStringLiteral(" in ") + content));
    }
    QCOMPARE(PageValue(view, QStringLiteral("window.ran")), QStringLiteral("undefined"));
    for (const char* never : {"/style.css", "/link.css", "/frame", "/object", "/background.png"}) {
        QVERIFY2(!Requested(server, never), never);
    }
    QVERIFY(view.IsModified());
}

void EditorHtmlViewTest::PageReachesOnlyPicturesAndItsOwnFolder() {
    CFeedServer server;
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("page")));
    WritePage(dir, {{QStringLiteral("secret.js"), QStringLiteral("window.leaked=true;")},
                    {QStringLiteral("page/inside.js"), QStringLiteral("window.inside=true;")}});
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("secret.js")),
                        dir.filePath(QStringLiteral("page/outside.js"))));
    // The page tries every way out it has: a script beside its folder through a link, and the
    // web through fetch, a script, a style sheet, a frame and a beacon; only the picture may go.
    const QString page = QStringLiteral(
                             "<!DOCTYPE html><meta charset=\"utf-8\"><body><script "
                             "src=\"inside.js\"></script><script src=\"outside.js\"></script>"
                             "<script src=\"../secret.js\"></script><script src=\"") +
                         ServerUrl(server, "/script.js") +
                         QStringLiteral("\"></script><link rel=\"stylesheet\" href=\"") +
                         ServerUrl(server, "/sheet.css") + QStringLiteral("\"><iframe src=\"") +
                         ServerUrl(server, "/frame") + QStringLiteral("\"></iframe><img src=\"") +
                         ServerUrl(server, "/pic/allowed.png") +
                         QStringLiteral("\"><script>fetch('") + ServerUrl(server, "/fetch") +
                         QStringLiteral("').catch(function(){});navigator.sendBeacon('") +
                         ServerUrl(server, "/beacon") +
                         QStringLiteral(
                             "','x');function In(h){}function Out(){return '';}"
                             "</script></body>");
    QFile file(dir.filePath(QStringLiteral("page/index.html")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(page.toUtf8());
    file.close();

    CEditorHtmlView view;
    ShowView(view);
    QCOMPARE(
        ShowAndWait(view, file.fileName(), QString(), QStringLiteral("In"), QStringLiteral("Out")),
        std::optional<bool>(true));
    QTRY_VERIFY_WITH_TIMEOUT(Requested(server, "/pic/allowed.png"), 20000);
    QTest::qWait(500);
    QCOMPARE(PageValue(view, QStringLiteral("window.inside")), QStringLiteral("true"));
    QCOMPARE(PageValue(view, QStringLiteral("window.leaked")), QStringLiteral("undefined"));
    for (const char* never : {"/script.js", "/sheet.css", "/frame", "/fetch", "/beacon"}) {
        QVERIFY2(!Requested(server, never), never);
    }
}

void EditorHtmlViewTest::LinksNeverNavigate() {
    CFeedServer server;
    CEditorHtmlView view;
    ShowView(view);
    const QString content = QStringLiteral("<p><a href=\"") + ServerUrl(server, "/away") +
                            QStringLiteral("\">离开这里 leave</a></p>");
    QCOMPARE(ShowAndWait(view, ShippedEditorPage(), content), std::optional<bool>(true));
    const QUrl before = view.WebView()->url();

    // A real mouse click (plain and with Ctrl) on the link, then the ways a script would try.
    const QString box =
        PageValue(view, QStringLiteral("(function(){var r=document.querySelector('#editor a')"
                                       ".getBoundingClientRect();return [r.left+r.width/2,"
                                       "r.top+r.height/2];})()"));
    const QStringList xy = box.mid(1, box.size() - 2).split(QLatin1Char(','));
    QCOMPARE(xy.size(), 2);
    const QPoint at(qRound(xy[0].toDouble()), qRound(xy[1].toDouble()));
    QWidget* target = view.WebView()->focusProxy();
    QVERIFY(target);
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseClick(target, Qt::LeftButton, Qt::ControlModifier, at);
    QTest::mouseClick(target, Qt::MiddleButton, Qt::NoModifier, at);
    PageValue(view, QStringLiteral("document.querySelector('#editor a').click()"));
    PageValue(view, QStringLiteral("void window.open('") + ServerUrl(server, "/opened") +
                        QStringLiteral("')"));
    PageValue(view, QStringLiteral("location.href='") + ServerUrl(server, "/assigned") +
                        QStringLiteral("'"));
    QTest::qWait(1500);
    QCOMPARE(view.WebView()->url(), before);
    QVERIFY(server.Requests().empty());
    QVERIFY(ContentOf(view).contains(QStringLiteral("离开这里")));
}

void EditorHtmlViewTest::TypingMarksTheDocumentModified() {
    CEditorHtmlView view;
    ShowView(view);
    QCOMPARE(ShowAndWait(view, ShippedEditorPage(), QStringLiteral("<p>起</p>")),
             std::optional<bool>(true));
    QVERIFY(!view.IsModified());
    QSignalSpy edited(&view, &CEditorHtmlView::contentEdited);
    FocusText(view, QStringLiteral("editor"));
    QTest::keyClicks(view.WebView()->focusProxy(), QStringLiteral("abc"));
    QVERIFY(edited.wait(10000));
    QVERIFY(view.IsModified());
    QTRY_VERIFY_WITH_TIMEOUT(ContentOf(view).contains(QStringLiteral("起abc")), 10000);
    view.MarkSaved();
    QVERIFY(!view.IsModified());

    // Commands of the context menu edit the text too.
    PageValue(view, QStringLiteral("(function(){var s=getSelection();s.selectAllChildren("
                                   "document.getElementById('editor'));return 1;})()"));
    view.RunCommand(EditorCommand::Bold);
    QTRY_VERIFY_WITH_TIMEOUT(view.IsModified(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(ContentOf(view).contains(QStringLiteral("<b>")), 10000);
    QCOMPARE(SetAndWait(view, QStringLiteral("<p>新</p>")), std::optional<bool>(true));
    QVERIFY(!view.IsModified());
}

void EditorHtmlViewTest::PastedPictureIsOffered() {
    CEditorHtmlView view;
    ShowView(view);
    QCOMPARE(ShowAndWait(view, ShippedEditorPage(), QStringLiteral("<p>图</p>")),
             std::optional<bool>(true));
    QImage image(37, 21, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    auto* mime = new QMimeData;
    mime->setImageData(image);
    QGuiApplication::clipboard()->setMimeData(mime);
    QSignalSpy offered(&view, &CEditorHtmlView::picturesOffered);
    FocusText(view, QStringLiteral("editor"));
    view.RunCommand(EditorCommand::Paste);
    QVERIFY(offered.wait(20000));
    const auto pictures = offered.first().first().value<QList<editor::OfferedPicture>>();
    QCOMPARE(pictures.size(), 1);
    QCOMPARE(pictures[0].fileName, QStringLiteral("paste-1.png"));
    QCOMPARE(pictures[0].mimeType, QStringLiteral("image/png"));
    const QImage back = QImage::fromData(pictures[0].data);
    QCOMPARE(back.size(), QSize(37, 21));
    // The picture is not put into the text as a local or inline address.
    const QString content = ContentOf(view);
    QVERIFY2(!content.contains(QLatin1String("<img")), qPrintable(content));
}

void EditorHtmlViewTest::ToolBarWorksFromTheKeyboard() {
    CEditorHtmlView view;
    ShowView(view);
    QCOMPARE(ShowAndWait(view, ShippedEditorPage(), QStringLiteral("<p>键盘 keyboard</p>")),
             std::optional<bool>(true));
    // Select the paragraph's text, go to the tool bar with Alt+F10, walk to "粗体" with the
    // arrows and press Enter: the selection turns bold and the text has the focus again after Esc.
    PageValue(view, QStringLiteral("(function(){var p=document.querySelector('#editor p');"
                                   "document.getElementById('editor').focus();"
                                   "getSelection().selectAllChildren(p);return 1;})()"));
    view.activateWindow();
    view.WebView()->setFocus();
    QWidget* keys = view.WebView()->focusProxy();
    QTest::keyClick(keys, Qt::Key_F10, Qt::AltModifier);
    QTRY_COMPARE(PageValue(view, QStringLiteral("document.activeElement.dataset.cmd")),
                 QStringLiteral("\"undo\""));
    for (int i = 0; i < 3; ++i) {  // redo, paragraph format, bold
        QTest::keyClick(keys, Qt::Key_Right);
    }
    QTRY_COMPARE(PageValue(view, QStringLiteral("document.activeElement.dataset.cmd")),
                 QStringLiteral("\"bold\""));
    QTest::keyClick(keys, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(ContentOf(view).contains(QStringLiteral("<b>键盘 keyboard</b>")),
                             10000);
    QTRY_VERIFY(view.IsModified());
    QTest::keyClick(keys, Qt::Key_Escape);
    QTRY_COMPARE(PageValue(view, QStringLiteral("document.activeElement.id")),
                 QStringLiteral("\"editor\""));

    // The picture button asks for an address and refuses anything but a web address.
    PageValue(view, QStringLiteral("document.querySelector('[data-cmd=picture]').click()"));
    QTRY_COMPARE(PageValue(view, QStringLiteral("document.activeElement.id")),
                 QStringLiteral("\"promptInput\""));
    PageValue(view, QStringLiteral("document.getElementById('promptInput').value="
                                   "'file:///etc/passwd'"));
    QTest::keyClick(keys, Qt::Key_Return);
    QTRY_VERIFY(PageValue(view, QStringLiteral("document.getElementById('promptError')"
                                               ".textContent.length>0")) == QStringLiteral("true"));
    PageValue(view, QStringLiteral("document.getElementById('promptInput').value="
                                   "'https://example.org/图.png'"));
    QTest::keyClick(keys, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(
        ContentOf(view).contains(QStringLiteral("<img src=\"https://example.org/图.png\"")), 10000);
    QVERIFY(!ContentOf(view).contains(QLatin1String("file:")));
}

void EditorHtmlViewTest::DroppedFilesAreOfferedOrRefused() {
    CEditorHtmlView view;
    ShowView(view);
    QCOMPARE(ShowAndWait(view, ShippedEditorPage(), QStringLiteral("<p>拖放</p>")),
             std::optional<bool>(true));
    QImage image(12, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    QSignalSpy offered(&view, &CEditorHtmlView::picturesOffered);
    QSignalSpy refused(&view, &CEditorHtmlView::picturesRefused);
    // A drop as the engine delivers it: a real picture under a name with a path in it, bytes
    // that only claim to be a picture, a text file, and one picture over the size limit.
    PageValue(
        view,
        QStringLiteral("(function(png){var t=new DataTransfer();"
                       "var bytes=Uint8Array.from(atob(png),function(c){return c.charCodeAt(0);});"
                       "t.items.add(new File([bytes],'../../相册/山.png',{type:'image/png'}));"
                       "t.items.add(new File(['not a picture'],'fake.png',{type:'image/png'}));"
                       "t.items.add(new File(['text'],'notes.txt',{type:'text/plain'}));"
                       "t.items.add(new File([new Uint8Array(") +
            QString::number(CEditorHtmlView::kMaxOfferedPicture + 1) +
            QStringLiteral(")],'big.png',{type:'image/png'}));"
                           "var e=document.getElementById('editor');"
                           "e.dispatchEvent(new DragEvent('drop',{dataTransfer:t,"
                           "bubbles:true,cancelable:true,clientX:20,clientY:80}));return 1;})('") +
            QString::fromLatin1(png.toBase64()) + QStringLiteral("')"));
    QTRY_VERIFY_WITH_TIMEOUT(offered.size() == 1 && refused.size() == 1, 20000);
    const auto pictures = offered.first().first().value<QList<editor::OfferedPicture>>();
    QCOMPARE(pictures.size(), 1);
    QCOMPARE(pictures[0].fileName, QStringLiteral("山.png"));
    QCOMPARE(pictures[0].mimeType, QStringLiteral("image/png"));
    QCOMPARE(pictures[0].data, png);
    QStringList names = refused.first().first().toStringList();
    names.sort();
    QCOMPARE(names, (QStringList{QStringLiteral("big.png"), QStringLiteral("fake.png"),
                                 QStringLiteral("notes.txt")}));
    QCOMPARE(view.WebView()->url().scheme(), QStringLiteral("zirvo-editor"));
    QVERIFY(!ContentOf(view).contains(QLatin1String("<img")));
}

void EditorHtmlViewTest::LinkCommandAsksForAWebAddress() {
    CEditorHtmlView view;
    ShowView(view);
    QCOMPARE(ShowAndWait(view, ShippedEditorPage(), QStringLiteral("<p>博客 blog</p>")),
             std::optional<bool>(true));
    auto answer = [&view](const QString& address) {
        QInputDialog* dialog = nullptr;
        QTRY_VERIFY((dialog = view.findChild<QInputDialog*>()) != nullptr);
        dialog->setTextValue(address);
        dialog->accept();
        QTRY_VERIFY(view.findChild<QInputDialog*>() == nullptr);
    };
    PageValue(view, QStringLiteral("(function(){var p=document.querySelector('#editor p');"
                                   "document.getElementById('editor').focus();"
                                   "getSelection().selectAllChildren(p);return 1;})()"));
    view.RunCommand(EditorCommand::Link);
    answer(QStringLiteral("javascript:alert(1)"));
    QMessageBox* box = nullptr;
    QTRY_VERIFY((box = view.findChild<QMessageBox*>()) != nullptr);
    box->accept();
    QTest::qWait(200);
    QVERIFY(!ContentOf(view).contains(QLatin1String("<a")));

    PageValue(view, QStringLiteral("(function(){var p=document.querySelector('#editor p');"
                                   "document.getElementById('editor').focus();"
                                   "getSelection().selectAllChildren(p);return 1;})()"));
    view.RunCommand(EditorCommand::Link);
    answer(QStringLiteral("example.org/日志"));
    QTRY_VERIFY_WITH_TIMEOUT(
        ContentOf(view).contains(QStringLiteral("<a href=\"http://example.org/%E6%97%A5%E5%BF%97\">"
                                                "博客 blog</a>")),
        10000);
    QVERIFY(view.IsModified());
}

void EditorHtmlViewTest::FindBarCountsMatches() {
    CEditorHtmlView view;
    ShowView(view);
    QCOMPARE(ShowAndWait(view, ShippedEditorPage(),
                         QStringLiteral("<p>山高水长,山清水秀 mountain</p><p>青山</p>")),
             std::optional<bool>(true));
    view.RunCommand(EditorCommand::Find);
    QLineEdit* field = view.findChild<QLineEdit*>();
    QVERIFY(field);
    QTRY_VERIFY(field->isVisible());
    QTest::keyClicks(field, QStringLiteral("mountain"));
    QLabel* count = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            for (QLabel* label : view.findChildren<QLabel*>()) {
                if (label->text() == QStringLiteral("1/1")) {
                    count = label;
                    return true;
                }
            }
            return false;
        }(),
        10000);
    field->clear();
    field->insert(QStringLiteral("山"));
    QTRY_VERIFY_WITH_TIMEOUT(count->text().endsWith(QStringLiteral("/3")), 10000);
    const QString first = count->text();
    QTest::keyClick(field, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(count->text() != first && count->text().endsWith(QStringLiteral("/3")),
                             10000);
    QTest::keyClick(field, Qt::Key_Escape);
    QTRY_VERIFY(!field->isVisible());
    QCOMPARE(count->text(), QString());
}

void EditorHtmlViewTest::ShowsChineseEnglishAndPictures() {
    CFeedServer server;
    QImage photo(320, 180, QImage::Format_RGB32);
    photo.fill(QColor(0x4a, 0x90, 0xd9));
    for (int y = 120; y < 180; ++y) {
        for (int x = 0; x < 320; ++x) {
            photo.setPixelColor(x, y, QColor(0x3c, 0x8d, 0x40));
        }
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    photo.save(&buffer, "PNG");
    QVERIFY(server.Put("/photo.png", png.toStdString(), "image/png"));

    CEditorHtmlView view;
    view.resize(1000, 680);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QString article =
        QStringLiteral(
            "<h2>周末去爬山 A weekend in the hills</h2><p>早上七点出发,天气很好。"
            "We left at seven; the air was <b>clear</b> and <i>cool</i>.</p>"
            "<p><img src=\"") +
        ServerUrl(server, "/photo.png") +
        QStringLiteral(
            "\" alt=\"山景\"></p><ul><li>带水和午饭 water and lunch</li>"
            "<li>穿好鞋 good shoes</li></ul><blockquote>山不在高,有仙则名。</blockquote>"
            "<p>更多照片见<a href=\"https://example.org/\">相册</a>。</p>");
    QCOMPARE(ShowAndWait(view, ShippedEditorPage(), article), std::optional<bool>(true));
    QTRY_COMPARE_WITH_TIMEOUT(
        PageValue(view, QStringLiteral("document.querySelector('#editor img').naturalWidth")),
        QStringLiteral("320"), 20000);
    // The article's Chinese has a font with its characters (fonts-noto-cjk on Debian).
    QCOMPARE(PageValue(view, QStringLiteral("document.fonts.check('16px \"Noto Sans CJK SC\"',"
                                            "'周末去爬山')")),
             QStringLiteral("true"));
    const QString folder = qEnvironmentVariable("ZIRVO_SCREENSHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        QTest::qWait(500);
        QWidget* window = view.window();
        const QImage shot = window->screen()
                                ? window->screen()->grabWindow(window->winId()).toImage()
                                : window->grab().toImage();
        shot.save(folder + QStringLiteral("/editor-page.png"));
    }
}

QTEST_MAIN(EditorHtmlViewTest)
#include "editor_html_view_test.moc"
