// The editor window against a loopback blog server: saving and publishing on every route, the
// rules of Blogger accounts and of the extended options, categories and pictures, and the
// failures that must keep the user's text.

#include <QAction>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>

#include "core/editorlink/category_cache.h"
#include "core/editorlink/editor_document.h"
#include "core/feeds/rss_store.h"
#include "core/util/files.h"
#include "editor/extended_options.h"
#include "editor/header_bar.h"
#include "editor_window_fixture.h"
#include "gui/library/multi_publish_dialog.h"

using zirvo::gui::test::CModalAnswerer;
using zirvo::test::CBlogServer;

namespace zirvo::editor::test {

namespace {

// Pictures for a look by eye, when ZIRVO_SCREENSHOTS names a folder (tools/screenshots.sh).
void SaveScreenshot(QWidget* widget, const QString& name) {
    const QString folder = qEnvironmentVariable("ZIRVO_SCREENSHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        QTest::qWait(500);
        widget->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    }
}

}  // namespace

class EditorWindowTest : public QObject {
    Q_OBJECT

private slots:
    void NewArticleSavedAsDraftThenPublishedLeavesOnePublishedRow() {
        EditorRoot r;
        CBlogServer server;
        QVERIFY(r.ok && server.Ok());
        QVERIFY(r.AddAccount("home", server));
        QVERIFY(r.AddAccount("work", server));
        CModalAnswerer answers;
        answers.ignore << QStringLiteral("CPublishProgressWindow");
        auto frame = r.Open(r.Task(kTaskNewArticle, "work"), "MetaWeblog");
        QVERIFY(frame);
        QCOMPARE(frame->windowTitle(), QStringLiteral("新建日志 - work"));

        QVERIFY(EditorRoot::SetContent(*frame, QStringLiteral("<p>你好 hello</p>")));
        frame->HeaderBar()->TitleBox()->setText(QStringLiteral("第一篇 first"));
        QCOMPARE(EditorRoot::Run(*frame, kCmdSaveDraft), std::optional<bool>(true));
        QCOMPARE(r.Count(kBlogFolderDrafts, "work"), 1);
        QVERIFY(frame->State().hasLocalRow);
        QCOMPARE(r.posted, (std::vector<Posted>{{2166, 1130, 1}}));
        // Saved once, the draft is saved again with "保存编辑".
        QVERIFY(!frame->Action(kCmdSaveDraft)->isEnabled());
        QVERIFY(frame->Action(kCmdSaveDraft)->toolTip().contains(QStringLiteral("保存编辑")));
        QVERIFY(frame->Action(kCmdSaveEdits)->isEnabled());

        QCOMPARE(EditorRoot::Run(*frame, kCmdPublish), std::optional<bool>(true));
        QCOMPARE(CountCalls(server, "metaWeblog.newPost"), 1);
        QCOMPARE(r.Count(kBlogFolderDrafts, "work"), 0);
        const BlogArticleList published = r.Articles(kBlogFolderPublished, "work");
        QCOMPARE(published.size(), size_t{1});
        QCOMPARE(published[0].title, std::string("第一篇 first"));
        QVERIFY(!published[0].guid.empty());
        QVERIFY(answers.Saw(QStringLiteral("发送成功!\n文章编号: ") +
                            QString::fromStdString(published[0].guid)));
        QCOMPARE(r.posted,
                 (std::vector<Posted>{{2166, 1130, 1}, {2166, 1120, 1}, {2166, 1130, 1}}));
        for (int command : {kCmdPublish, kCmdPublishSeveral, kCmdUploadFile}) {
            QVERIFY(!frame->Action(command)->isEnabled());
            QVERIFY(!frame->Action(command)->toolTip().isEmpty());
        }
        QVERIFY(!frame->HeaderBar()->ExtendedButton()->isEnabled());
        // Nothing unsaved: closing does not ask.
        QVERIFY(frame->close());
    }

    void PublishingWithoutSavingSendsTheCollectedDocument() {
        EditorRoot r;
        CBlogServer server;
        QVERIFY(r.ok && server.Ok());
        QVERIFY(r.AddAccount("home", server));
        CModalAnswerer answers;
        answers.ignore << QStringLiteral("CPublishProgressWindow");
        auto frame = r.Open(r.Task(kTaskNewArticle, "home"), "MetaWeblog");
        QVERIFY(frame);
        QVERIFY(EditorRoot::SetContent(*frame, QStringLiteral("<p>body</p>")));
        frame->HeaderBar()->TitleBox()->setText(QString(60, QLatin1Char('t')));
        CExtendedOptions* extended = frame->ExtendedOptionsWindow();
        extended->TagsBox()->setText(QString(255, QLatin1Char('k')));
        extended->TrackbackBox()->setText(QString(1025, QLatin1Char('b')));
        QCOMPARE(EditorRoot::Run(*frame, kCmdPublish), std::optional<bool>(true));
        const std::string body = server.LastRequest().body;
        QVERIFY(body.find("<methodName>metaWeblog.newPost</methodName>") != std::string::npos);
        QVERIFY(body.find(std::string(50, 't')) != std::string::npos);
        QVERIFY(body.find(std::string(51, 't')) == std::string::npos);
        QVERIFY(body.find(std::string(255, 'k')) != std::string::npos);
        QVERIFY(body.find(std::string(1025, 'b')) == std::string::npos);
        const BlogArticleList published = r.Articles(kBlogFolderPublished, "home");
        QCOMPARE(published.size(), size_t{1});
        QCOMPARE(published[0].title, std::string(50, 't'));
        QCOMPARE(r.Count(kBlogFolderDrafts, "home"), 0);
        QCOMPARE(r.posted, (std::vector<Posted>{{2166, 1020, 1}}));
        // The title box shows what was stored.
        QCOMPARE(frame->HeaderBar()->TitleBox()->text(), QString(50, QLatin1Char('t')));
    }

    void TagsOverTheirLimitAreNotSent() {
        EditorRoot r;
        CBlogServer server;
        QVERIFY(r.ok && server.Ok());
        QVERIFY(r.AddAccount("home", server));
        CModalAnswerer answers;
        answers.ignore << QStringLiteral("CPublishProgressWindow");
        auto frame = r.Open(r.Task(kTaskNewArticle, "home"), "MetaWeblog");
        QVERIFY(frame);
        QVERIFY(EditorRoot::SetContent(*frame, QStringLiteral("<p>body</p>")));
        frame->ExtendedOptionsWindow()->TagsBox()->setText(QString(256, QLatin1Char('k')));
        QCOMPARE(EditorRoot::Run(*frame, kCmdPublish), std::optional<bool>(true));
        QVERIFY(server.LastRequest().body.find(std::string(200, 'k')) == std::string::npos);
    }

    void PublishedArticlesAreEditedOnTheServer() {
        EditorRoot r;
        zirvo::test::BlogServerOptions options;
        options.seedPosts = 1;
        CBlogServer server(options);
        QVERIFY(r.ok && server.Ok());
        QVERIFY(r.AddAccount("home", server));
        QVERIFY(r.store.AddArticleWithGuid(kBlogFolderPublished, "home", "1", "旧标题", "",
                                           "<p>old</p>", ""));
        const std::string id = std::to_string(r.store.LastInsertId());
        CModalAnswerer answers;
        answers.ignore << QStringLiteral("CPublishProgressWindow");
        auto frame = r.Open(r.Task(kTaskEditPublished, "home", id), "MetaWeblog");
        QVERIFY(frame);
        QCOMPARE(frame->windowTitle(), QStringLiteral("修改已发日志 - home"));
        QCOMPARE(frame->HeaderBar()->TitleBox()->text(), QStringLiteral("旧标题"));
        QVERIFY(EditorRoot::Content(*frame).contains(QStringLiteral("old")));
        QVERIFY(!frame->HeaderBar()->ExtendedButton()->isVisible());
        QVERIFY(!frame->Action(kCmdPublishSeveral)->isEnabled());

        QVERIFY(EditorRoot::SetContent(*frame, QStringLiteral("<p>new</p>")));
        frame->HeaderBar()->TitleBox()->setText(QStringLiteral("新标题"));
        QCOMPARE(EditorRoot::Run(*frame, kCmdPublish), std::optional<bool>(true));
        QCOMPARE(CountCalls(server, "metaWeblog.editPost"), 1);
        QCOMPARE(CountCalls(server, "metaWeblog.newPost"), 0);
        QVERIFY(answers.Saw(QStringLiteral("修改成功!")));
        BlogArticle article;
        QVERIFY(r.store.GetArticle(std::atoi(id.c_str()), article));
        QCOMPARE(article.title, std::string("新标题"));
        QVERIFY(article.content.find("new") != std::string::npos);
        QCOMPARE(r.Count(kBlogFolderPublished, "home"), 1);
        // The article stays in its folder: no recount.
        QVERIFY(r.posted.empty());
    }

    void BloggerHasNoTitleCategoriesOrUploads() {
        EditorRoot r;
        CBlogServer server;
        QVERIFY(r.ok && server.Ok());
        QVERIFY(r.AddAccount("b", server, "Blogger"));
        CModalAnswerer answers;
        auto frame = r.Open(r.Task(kTaskNewArticle, "b"), "Blogger");
        QVERIFY(frame);
        QVERIFY(!frame->HeaderBar()->TitleBox()->isEnabled());
        QCOMPARE(frame->HeaderBar()->TitleBox()->text(), QString::fromUtf8(kTextBloggerNoTitle));
        QVERIFY(!frame->HeaderBar()->CategoryBox()->isEnabled());
        QVERIFY(!frame->Action(kCmdUpdateCategories)->isEnabled());
        QVERIFY(!frame->Action(kCmdUploadFile)->isEnabled());
        QVERIFY(!frame->ExtendedOptionsWindow()->FetchButton()->isEnabled());
        QVERIFY(!FileExists(CategoryCachePath(r.root.Dir(), "b")));
        QCOMPARE(server.Requests().size(), size_t{0});

        QVERIFY(EditorRoot::SetContent(*frame, QStringLiteral("<p>x</p>")));
        QCOMPARE(EditorRoot::Run(*frame, kCmdSaveDraft), std::optional<bool>(true));
        const BlogArticleList drafts = r.Articles(kBlogFolderDrafts, "b");
        QCOMPARE(drafts.size(), size_t{1});
        QCOMPARE(drafts[0].title, std::string());
        QCOMPARE(drafts[0].category, std::string());
    }

    void EmptyArticlesAreRefusedAndClosingAsksOnlyWhenSomethingIsUnsaved() {
        EditorRoot r;
        CBlogServer server;
        QVERIFY(r.ok && server.Ok());
        QVERIFY(r.AddAccount("home", server));
        CModalAnswerer answers;
        auto frame = r.Open(r.Task(kTaskNewArticle, "home"), "MetaWeblog");
        QVERIFY(frame);
        QVERIFY(EditorRoot::SetContent(*frame, QStringLiteral("<DIV></DIV>")));
        QCOMPARE(EditorRoot::Run(*frame, kCmdSaveDraft), std::optional<bool>(false));
        QVERIFY(answers.Saw(QString::fromUtf8(kTextNoContent)));
        QCOMPARE(r.Count(kBlogFolderDrafts, "home"), 0);

        QVERIFY(EditorRoot::SetContent(*frame, QStringLiteral("<p>写了一半</p>")));
        answers.answer = QMessageBox::No;
        frame->close();
        QTRY_VERIFY_WITH_TIMEOUT(answers.Saw(QString::fromUtf8(kTextCloseUnsaved)), 30000);
        QTest::qWait(200);
        QVERIFY(frame->isVisible());
        answers.texts.clear();
        answers.answer = QMessageBox::Yes;
        frame->close();
        QTRY_VERIFY_WITH_TIMEOUT(!frame->isVisible(), 30000);
        QVERIFY(answers.Saw(QString::fromUtf8(kTextCloseUnsaved)));

        // An empty article closes without a question, and its place is kept for the account.
        auto empty = r.Open(r.Task(kTaskNewArticle, "home"), "MetaWeblog");
        QVERIFY(empty);
        empty->setGeometry(40, 50, 700, 500);
        answers.texts.clear();
        empty->close();
        QTRY_VERIFY_WITH_TIMEOUT(!empty->isVisible(), 30000);
        QVERIFY(!answers.Saw(QString::fromUtf8(kTextCloseUnsaved)));
        EditorWindowPos pos;
        QVERIFY(r.registry.ReadEditorWindowPos("home", pos));
        QCOMPARE(pos.right - pos.left, 700);
        QCOMPARE(pos.bottom - pos.top, 500);
    }

    void CategoriesAreFetchedOnceAndKeptWhenARefreshFails() {
        EditorRoot r;
        CBlogServer server;
        QVERIFY(r.ok && server.Ok());
        QVERIFY(r.AddAccount("home", server));
        QVERIFY(r.store.AddArticleWithGuid(kBlogFolderDrafts, "home", "", "t", "生活 & 随笔",
                                           "<p>x</p>", ""));
        const std::string id = std::to_string(r.store.LastInsertId());
        CModalAnswerer answers;
        answers.ignore << QStringLiteral("CPublishProgressWindow");
        {
            auto frame = r.Open(r.Task(kTaskEditDraft, "home", id), "MetaWeblog");
            QVERIFY(frame);
            QCOMPARE(frame->windowTitle(), QStringLiteral("编辑草稿箱日志 - home"));
            QComboBox* box = frame->HeaderBar()->CategoryBox();
            QCOMPARE(box->count(), 4);
            QCOMPARE(box->itemText(0), QString::fromUtf8(kCategoryBoxChoose));
            QCOMPARE(box->itemText(3), QStringLiteral("<杂项>"));
            QCOMPARE(box->currentText(), QStringLiteral("生活 & 随笔"));
            QVERIFY(FileExists(CategoryCachePath(r.root.Dir(), "home")));
            QCOMPARE(CountCalls(server, "metaWeblog.getCategories"), 1);
        }
        {
            // The next window reads the cache without asking the server.
            auto frame = r.Open(r.Task(kTaskEditDraft, "home", id), "MetaWeblog");
            QVERIFY(frame);
            QCOMPARE(frame->HeaderBar()->CategoryBox()->count(), 4);
            QCOMPARE(CountCalls(server, "metaWeblog.getCategories"), 1);
            frame->HeaderBar()->CategoryBox()->showPopup();
            SaveScreenshot(frame.get(), QStringLiteral("editor-categories"));
            frame->HeaderBar()->CategoryBox()->hidePopup();

            // The system categories come with "获取".
            QVERIFY(frame->ExtendedOptionsWindow()->FetchButton()->isEnabled());
            frame->ExtendedOptionsWindow()->FetchButton()->click();
            QTRY_VERIFY_WITH_TIMEOUT(!frame->Busy(), 30000);
            QCOMPARE(frame->ExtendedOptionsWindow()->SystemCategoryBox()->count(), 3);
            QCOMPARE(frame->ExtendedOptionsWindow()->SystemCategoryBox()->itemText(1),
                     QStringLiteral("新闻"));
        }
        // The server goes away: "更新分类" fails, and the categories stay offered.
        AccountInfo info;
        QVERIFY(r.registry.ReadAccount("home", info));
        info.xmlrpcUrl = "http://127.0.0.1:1/RPC2";
        info.port = "1";
        QVERIFY(r.registry.WriteAccount("home", info));
        auto frame = r.Open(r.Task(kTaskEditDraft, "home", id), "MetaWeblog");
        QVERIFY(frame);
        frame->HeaderBar()->CategoryBox()->setCurrentIndex(1);
        answers.texts.clear();
        QCOMPARE(EditorRoot::Run(*frame, kCmdUpdateCategories), std::optional<bool>(false));
        QVERIFY(!answers.texts.isEmpty());
        QCOMPARE(frame->HeaderBar()->CategoryBox()->count(), 4);
        QCOMPARE(frame->HeaderBar()->CategoryBox()->currentText(), QStringLiteral("技术"));
        std::vector<std::string> cached;
        QVERIFY(ReadCategoryCache(CategoryCachePath(r.root.Dir(), "home"), cached));
        QCOMPARE(cached.size(), size_t{3});
    }

    void UploadedPicturesAreAppendedToTheArticle() {
        EditorRoot r;
        CBlogServer server;
        QVERIFY(r.ok && server.Ok());
        QVERIFY(r.AddAccount("home", server));
        CModalAnswerer answers;
        answers.ignore << QStringLiteral("CPublishProgressWindow");
        auto frame = r.Open(r.Task(kTaskNewArticle, "home"), "MetaWeblog");
        QVERIFY(frame);
        frame->HeaderBar()->TitleBox()->setText(QStringLiteral("周末去海边 A weekend by the sea"));
        QVERIFY(EditorRoot::SetContent(
            *frame, QStringLiteral("<h2>海边的日落</h2><p>看图 picture: the sun went down at "
                                   "<b>18:40</b>, 天空从橙色变成紫色。</p>")));
        QImage image(160, 90, QImage::Format_RGB32);
        image.fill(QColor(0xF0, 0x80, 0x30));
        const std::string picture = r.dir.PathOf("pics/日落.png");
        QDir().mkpath(QString::fromStdString(r.dir.PathOf("pics")));
        QVERIFY(image.save(QString::fromStdString(picture)));
        QSignalSpy finished(frame.get(), &CEditorFrame::CommandFinished);
        frame->UploadPath(QString::fromStdString(picture));
        QVERIFY(finished.wait(30000));
        QCOMPARE(finished.first().at(1).toBool(), true);
        const std::string upload = server.LastRequest().body;
        QVERIFY(upload.find("metaWeblog.newMediaObject") != std::string::npos);
        QVERIFY(upload.find("image/png") != std::string::npos);
        const QString content = EditorRoot::Content(*frame);
        QVERIFY2(content.contains(QStringLiteral("看图 picture")), qPrintable(content));
        QVERIFY2(content.contains(QStringLiteral("/media/日落.png")) ||
                     content.contains(QStringLiteral("/media/%E6%97%A5")),
                 qPrintable(content));

        // A picture pasted into the page goes the same way.
        finished.clear();
        OfferedPicture pasted;
        pasted.fileName = QStringLiteral("paste-1.png");
        pasted.mimeType = QStringLiteral("image/png");
        QImage small(60, 60, QImage::Format_RGB32);
        small.fill(QColor(0x30, 0x60, 0xC0));
        QBuffer buffer(&pasted.data);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(small.save(&buffer, "PNG"));
        emit frame->View()->picturesOffered({pasted});
        QVERIFY(finished.wait(30000));
        QCOMPARE(finished.first().at(1).toBool(), true);
        QCOMPARE(CountCalls(server, "metaWeblog.newMediaObject"), 2);
        QVERIFY(server.LastRequest().body.find("paste-1.png") != std::string::npos);
        QVERIFY(EditorRoot::Content(*frame).contains(QStringLiteral("paste-1.png")));
        SaveScreenshot(frame.get(), QStringLiteral("editor-article"));
        frame->HeaderBar()->ExtendedButton()->click();
        frame->ExtendedOptionsWindow()->TagsBox()->setText(QStringLiteral("旅行, sea, 日落"));
        frame->ExtendedOptionsWindow()->ExcerptBox()->setPlainText(
            QStringLiteral("一个关于海边日落的周末。A weekend by the sea."));
        SaveScreenshot(frame->ExtendedOptionsWindow(), QStringLiteral("editor-extended-options"));
    }

    void AFailedPublishKeepsTheTextAndChangesNothing() {
        EditorRoot r;
        CBlogServer server;
        QVERIFY(r.ok && server.Ok());
        QVERIFY(r.AddAccount("home", server, "MetaWeblog", "wrong-password"));
        CModalAnswerer answers;
        answers.ignore << QStringLiteral("CPublishProgressWindow");
        auto frame = r.Open(r.Task(kTaskNewArticle, "home"), "MetaWeblog");
        QVERIFY(frame);
        const QString typed = QStringLiteral("<p>不能丢的文字 text to keep</p>");
        QVERIFY(EditorRoot::SetContent(*frame, typed));
        frame->HeaderBar()->TitleBox()->setText(QStringLiteral("标题"));
        QCOMPARE(EditorRoot::Run(*frame, kCmdPublish), std::optional<bool>(false));
        QVERIFY(!answers.texts.isEmpty());
        QVERIFY(EditorRoot::Content(*frame).contains(QStringLiteral("不能丢的文字 text to keep")));
        QCOMPARE(frame->HeaderBar()->TitleBox()->text(), QStringLiteral("标题"));
        QVERIFY(!frame->State().published);
        QVERIFY(frame->Action(kCmdPublish)->isEnabled());
        QCOMPARE(r.Count(kBlogFolderPublished, "home"), 0);
        QVERIFY(r.posted.empty());

        // An unreachable server the same.
        AccountInfo info;
        QVERIFY(r.registry.ReadAccount("home", info));
        info.xmlrpcUrl = "http://127.0.0.1:1/RPC2";
        info.port = "1";
        QVERIFY(r.registry.WriteAccount("home", info));
        answers.texts.clear();
        QCOMPARE(EditorRoot::Run(*frame, kCmdPublish), std::optional<bool>(false));
        QVERIFY(!answers.texts.isEmpty());
        QVERIFY(EditorRoot::Content(*frame).contains(QStringLiteral("不能丢的文字 text to keep")));
        QCOMPARE(r.Count(kBlogFolderPublished, "home"), 0);
    }

    void APageWithoutTheFunctionsCannotBeSaved() {
        EditorRoot r;
        CBlogServer server;
        QVERIFY(r.ok && server.Ok());
        QVERIFY(r.AddAccount("home", server));
        r.dir.WriteFile("Data/Editor/bare/index.html",
                        "<html><body contenteditable>no functions here</body></html>");
        QVERIFY(
            r.registry.WriteAccountValue("home", "editorindex", "/Data/Editor/bare/index.html"));
        CModalAnswerer answers;
        auto frame = r.Open(r.Task(kTaskNewArticle, "home"), "MetaWeblog");
        QVERIFY(frame);
        QCOMPARE(EditorRoot::Run(*frame, kCmdSaveDraft), std::optional<bool>(false));
        QVERIFY(answers.Saw(QString::fromUtf8(kTextGetContentFailed)));
        QCOMPARE(r.Count(kBlogFolderDrafts, "home"), 0);
    }

    void EveryTaskKindStartsFromItsArticleOrItem() {
        EditorRoot r;
        CBlogServer server;
        QVERIFY(r.ok && server.Ok());
        QVERIFY(r.AddAccount("home", server));
        CModalAnswerer answers;
        answers.ignore << QStringLiteral("CPublishProgressWindow");
        const struct {
            int kind;
            int folder;
            const char* title;
        } stored[] = {{kTaskEditReceived, kBlogFolderReceived, "修改已收日志 - home"},
                      {kTaskEditRecycled, kBlogFolderRecycleBin, "编辑垃圾箱日志 - home"}};
        for (const auto& entry : stored) {
            QVERIFY(r.store.AddArticleWithGuid(entry.folder, "home", "", "标题", "", "<p>正文</p>",
                                               ""));
            const std::string id = std::to_string(r.store.LastInsertId());
            auto frame = r.Open(r.Task(entry.kind, "home", id), "MetaWeblog");
            QVERIFY(frame);
            QCOMPARE(frame->windowTitle(), QString::fromUtf8(entry.title));
            QCOMPARE(frame->HeaderBar()->TitleBox()->text(), QStringLiteral("标题"));
            QVERIFY(EditorRoot::Content(*frame).contains(QStringLiteral("正文")));
            QVERIFY(!frame->HeaderBar()->ExtendedButton()->isVisible());
        }
        // The recycled article's edits are saved in its own row.
        {
            const std::string id = std::to_string(r.store.LastInsertId());
            auto frame = r.Open(r.Task(kTaskEditRecycled, "home", id), "MetaWeblog");
            QVERIFY(frame);
            QVERIFY(EditorRoot::SetContent(*frame, QStringLiteral("<p>改过</p>")));
            QCOMPARE(EditorRoot::Run(*frame, kCmdSaveEdits), std::optional<bool>(true));
            BlogArticle article;
            QVERIFY(r.store.GetArticle(std::atoi(id.c_str()), article));
            QVERIFY(article.content.find("改过") != std::string::npos);
            QCOMPARE(r.Count(kBlogFolderRecycleBin, "home"), 1);
        }

        // Feed items of both tables.
        CRssStore feeds(r.root.Dir());
        QVERIFY(feeds.Open());
        int channel = 0;
        QVERIFY(feeds.AddFeed("http://example.com/feed", channel));
        RssItem item;
        item.title = "新闻标题";
        item.link = "http://example.com/a?x=1&y=2";
        item.description = "<p>新闻正文</p>";
        item.date = "2026-01-01 08:00:00";
        std::vector<RssItem> items{item};
        QVERIFY(feeds.SaveReceivedItems(channel, items, 0, 0));
        std::vector<RssItem> staged{item};
        staged[0].title = "暂存标题";
        QVERIFY(feeds.StageItems(channel, staged));
        std::vector<RssItem> listed;
        int total = 0;
        QVERIFY(feeds.ListItems(channel, 0, false, listed, total, 10, 0));
        QVERIFY(!listed.empty());
        for (int kind : {kTaskFromFeedItem, kTaskFromStagedItem}) {
            const int itemId = kind == kTaskFromFeedItem ? listed[0].id : staged[0].id;
            auto frame = r.Open(r.Task(kind, "home", std::to_string(itemId)), "MetaWeblog");
            QVERIFY(frame);
            QCOMPARE(frame->windowTitle(), QStringLiteral("新建日志 - home"));
            QCOMPARE(frame->HeaderBar()->TitleBox()->text(), kind == kTaskFromFeedItem
                                                                 ? QStringLiteral("新闻标题")
                                                                 : QStringLiteral("暂存标题"));
            const QString content = EditorRoot::Content(*frame);
            QVERIFY2(content.contains(QStringLiteral("http://example.com/a?x=1&amp;y=2")),
                     qPrintable(content));
            QVERIFY(content.contains(QStringLiteral("新闻正文")));
            QVERIFY(frame->HeaderBar()->ExtendedButton()->isVisible());
            QVERIFY(frame->Action(kCmdPublishSeveral)->isEnabled());
            // Saved, the item becomes a draft of its own.
            QCOMPARE(EditorRoot::Run(*frame, kCmdSaveDraft), std::optional<bool>(true));
        }
        QCOMPARE(r.Count(kBlogFolderDrafts, "home"), 2);
    }

    void PublishingToSeveralAccountsCopiesTheArticleIntoEach() {
        EditorRoot r;
        CBlogServer server;
        QVERIFY(r.ok && server.Ok());
        QVERIFY(r.AddAccount("home", server));
        QVERIFY(r.AddAccount("work", server));
        QVERIFY(r.registry.WriteRelations("home", {"work"}));
        CModalAnswerer answers;
        answers.ignore << QStringLiteral("CPublishProgressWindow");
        auto frame = r.Open(r.Task(kTaskNewArticle, "home"), "MetaWeblog");
        QVERIFY(frame);
        QVERIFY(EditorRoot::SetContent(*frame, QStringLiteral("<p>两处都发 both</p>")));
        frame->HeaderBar()->TitleBox()->setText(QStringLiteral("同时发布"));
        QCOMPARE(EditorRoot::Run(*frame, kCmdPublishSeveral), std::optional<bool>(true));
        auto* dialog = frame->findChild<gui::CMultiPublishDialog*>();
        QVERIFY(dialog != nullptr);
        QCOMPARE(dialog->RowText(0, 2), QStringLiteral("home"));
        QCOMPARE(dialog->RowText(1, 2), QStringLiteral("work"));
        QVERIFY(dialog->Publish());
        QTRY_COMPARE_WITH_TIMEOUT(r.Count(kBlogFolderPublished, "work"), 1, 30000);
        // The article was never stored: its own account gets a copy like any other.
        QTRY_COMPARE_WITH_TIMEOUT(r.Count(kBlogFolderPublished, "home"), 1, 30000);
        QCOMPARE(CountCalls(server, "metaWeblog.newPost"), 2);
        QVERIFY(frame->State().published);
        QVERIFY(!frame->Action(kCmdPublish)->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(
            std::count(r.posted.begin(), r.posted.end(), Posted{2166, 1120, 1}) == 1, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(
            std::count(r.posted.begin(), r.posted.end(), Posted{2166, 1020, 1}) == 1, 10000);
        dialog->close();
    }

    void CtrlSSavesAndCtrlEnterPublishes() {
        EditorRoot r;
        CBlogServer server;
        QVERIFY(r.ok && server.Ok());
        QVERIFY(r.AddAccount("home", server));
        CModalAnswerer answers;
        answers.ignore << QStringLiteral("CPublishProgressWindow");
        auto frame = r.Open(r.Task(kTaskNewArticle, "home"), "MetaWeblog");
        QVERIFY(frame);
        frame->activateWindow();
        QVERIFY(EditorRoot::SetContent(*frame, QStringLiteral("<p>keys</p>")));
        frame->HeaderBar()->TitleBox()->setFocus();
        QTest::keyClick(frame->HeaderBar()->TitleBox(), Qt::Key_S, Qt::ControlModifier);
        QTRY_COMPARE_WITH_TIMEOUT(r.Count(kBlogFolderDrafts, "home"), 1, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!frame->Busy(), 30000);
        QTest::keyClick(frame->HeaderBar()->TitleBox(), Qt::Key_Return, Qt::ControlModifier);
        QTRY_COMPARE_WITH_TIMEOUT(r.Count(kBlogFolderPublished, "home"), 1, 30000);
        QCOMPARE(r.Count(kBlogFolderDrafts, "home"), 0);
    }
};

}  // namespace zirvo::editor::test

QTEST_MAIN(zirvo::editor::test::EditorWindowTest)
#include "editor_window_test.moc"
