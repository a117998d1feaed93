// The blog mode against a loopback blog server: the tree with its counts and 2166, the article
// list and the rendered article in both shipped templates, the local operations, publishing and
// fetching, export and import, local login, and a folder of ten thousand articles.

#include <QMenu>
#include <QScreen>
#include <QSignalSpy>
#include <QTableView>
#include <QToolBox>
#include <QWebEngineView>

#include "core/articles/blog_store.h"
#include "core/blogapi/blog_transport.h"
#include "core/editorlink/blog_tree_code.h"
#include "core/publishing/publish_jobs.h"
#include "gui/library/blog_article_model.h"
#include "gui/library/blog_article_page.h"
#include "gui/library/blog_tree_widget.h"
#include "gui/library/multi_publish_dialog.h"
#include "gui/shell/command_table.h"
#include "library_fixture.h"

using namespace zirvo;
using namespace zirvo::gui;
using namespace zirvo::gui::test;

namespace {

int AddDraft(CBlogStore& store, const std::string& account, const std::string& title,
             int folder = 3, const std::string& guid = "") {
    store.AddArticleWithGuid(folder, account, guid, title, "技术", "<p>" + title + " 的正文</p>",
                             "2026-12-01 10:00:00");
    return static_cast<int>(store.LastInsertId());
}

void SelectRows(QTableView* list, std::initializer_list<int> rows) {
    list->clearSelection();
    for (int row : rows) {
        list->selectionModel()->select(list->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    list->selectionModel()->setCurrentIndex(list->model()->index(*rows.begin(), 0),
                                            QItemSelectionModel::NoUpdate);
}

QStringList MenuTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            texts << action->text() + (action->isEnabled() ? QString() : QStringLiteral("-"));
        }
    }
    return texts;
}

// On a real display the screen is grabbed, so that the web view's contents show too.
void SaveScreenshot(QWidget* widget, const QString& name) {
    const QString folder = qEnvironmentVariable("ZIRVO_SCREENSHOTS");
    if (folder.isEmpty()) {
        return;
    }
    QDir().mkpath(folder);
    QTest::qWait(500);
    const QPixmap picture =
        widget->screen() && QGuiApplication::platformName() != QLatin1String("offscreen")
            ? widget->screen()->grabWindow(widget->winId())
            : widget->grab();
    picture.save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

}  // namespace

class BlogLibraryTest : public QObject {
    Q_OBJECT

private slots:
    void TreeCountsMessagesAndMenus() {
        LibraryRoot r;
        QVERIFY(r.ok);
        zirvo::test::CBlogServer server;
        QVERIFY(r.AddAccount("a", server));
        QVERIFY(r.AddAccount("b", server));
        CBlogTreeWidget* tree = r.library->Tree();
        QCOMPARE(tree->topLevelItemCount(), 2);
        QCOMPARE(tree->TextOf(1030), QStringLiteral("草稿箱"));
        AddDraft(r.Store(), "b", "one");
        AddDraft(r.Store(), "b", "two");
        r.frame->OnWindowMessage(2166, 1130, 0);
        QCOMPARE(tree->TextOf(1130), QStringLiteral("草稿箱[2]"));
        QCOMPARE(tree->TextOf(1030), QStringLiteral("草稿箱"));
        // A code that names nothing is ignored.
        r.frame->OnWindowMessage(2166, 1930, 0);
        r.frame->OnWindowMessage(2166, 1135, 0);
        QCOMPARE(tree->ItemOf(1030)->foreground(0).color(), QColor(0xEE, 0, 0));
        QCOMPARE(tree->ItemOf(1040)->foreground(0).color(), QColor(0x82, 0x82, 0x82));
        QCOMPARE(tree->ItemOf(1000)->foreground(0).color(), QColor(0, 0, 0xC8));

        // Collapsing an account is remembered in the registry.
        tree->ItemOf(1100)->setExpanded(true);
        tree->collapseItem(tree->ItemOf(1100));
        std::vector<AccountListEntry> accounts;
        QVERIFY(r.registry.ListAccounts(accounts));
        QCOMPARE(accounts[1].expanded, 0);

        std::unique_ptr<QMenu> menu(r.library->BuildTreeMenu(1030, nullptr));
        QCOMPARE(menu->objectName(), QStringLiteral("PopMenuDraft"));
        QCOMPARE(MenuTexts(menu.get()),
                 (QStringList{
                     QStringLiteral("清空文章(&C)..."), QStringLiteral("导出为XML日志(&E)..."),
                     QStringLiteral("制作CHM电子书(&Z)..."), QStringLiteral("导入日志(&A)...")}));
        menu.reset(r.library->BuildTreeMenu(1010, nullptr));
        QCOMPARE(menu->objectName(), QStringLiteral("PopMenuRecentPosts"));
        menu.reset(r.library->BuildTreeMenu(1000, nullptr));
        QCOMPARE(MenuTexts(menu.get()), QStringList{QStringLiteral("账户设置(&A)...")});

        // 99998 renames the node, 99999 removes it and the list it showed.
        QVERIFY(r.registry.WriteAccountValue("a", "description", "新名字"));
        r.frame->OnWindowMessage(2166, 1000, 99998);
        QCOMPARE(tree->TextOf(1000), QStringLiteral("新名字"));
        QVERIFY(r.library->SelectCode(1130));
        QCOMPARE(r.library->Model()->rowCount(), 2);
        QVERIFY(r.registry.DeleteAccount("a"));
        r.frame->OnWindowMessage(2166, 1000, 99999);
        QCOMPARE(tree->topLevelItemCount(), 1);
        QCOMPARE(tree->TextOf(1030), QStringLiteral("草稿箱[2]"));
        QCOMPARE(r.library->Model()->rowCount(), 2);
        r.frame->OnWindowMessage(2166, 1000, 99999);
        QCOMPARE(tree->topLevelItemCount(), 0);
        QCOMPARE(r.library->Model()->rowCount(), 0);
    }

    void ListMenusFollowFolderAndSelection() {
        LibraryRoot r;
        QVERIFY(r.ok);
        zirvo::test::CBlogServer server;
        QVERIFY(r.AddAccount("a", server));
        for (int folder = 1; folder <= 4; ++folder) {
            AddDraft(r.Store(), "a", "x", folder, "7");
            AddDraft(r.Store(), "a", "y", folder, "8");
        }
        QTableView* list = r.library->List();
        struct Case {
            int folder;
            bool several;
            std::vector<const char*> texts;
        };
        const char* edit = "编辑(&E)...-";
        const Case cases[] = {
            {1,
             false,
             {edit, "从服务器删除(&S)", "复制到(&C)...", "转移到(&M)...-", "删除(&D)",
              "导出XML(&T)..."}},
            {1,
             true,
             {edit, "从服务器删除(&S)", "复制到(&C)...", "转移到(&M)...-", "删除(&D)",
              "导出XML(&T)..."}},
            {2,
             true,
             {edit, "从服务器删除(&S)", "复制到(&C)...", "转移到(&M)...", "删除(&D)",
              "导出XML(&T)..."}},
            {3,
             false,
             {edit, "发布这篇日志(&P)", "发布到多个博客(&U)...", "复制到(&C)...", "转移到(&M)...",
              "删除(&D)", "导出XML(&T)..."}},
            {4,
             false,
             {edit, "发布这篇日志(&P)", "发布到多个博客(&U)...", "复制到(&C)...", "转移到(&M)...",
              "彻底删除", "导出XML(&T)..."}},
            {4,
             true,
             {"发布这些日志(&P)", "复制到(&C)...", "转移到(&M)...", "删除这些日志(&D)",
              "导出XML(&T)..."}},
        };
        for (const Case& c : cases) {
            QVERIFY(r.library->SelectCode(BlogTreeCode(0, c.folder)));
            QCOMPARE(r.library->Model()->rowCount(), 2);
            if (c.several) {
                SelectRows(list, {0, 1});
            } else {
                SelectRows(list, {0});
            }
            std::unique_ptr<QMenu> menu(r.library->BuildListMenu(nullptr));
            QStringList expected;
            for (const char* text : c.texts) {
                expected << QString::fromUtf8(text);
            }
            QCOMPARE(MenuTexts(menu.get()), expected);
        }
    }

    void LocalDeleteMoveCopyAndClear() {
        LibraryRoot r;
        QVERIFY(r.ok);
        zirvo::test::CBlogServer server;
        QVERIFY(r.AddAccount("a", server));
        QVERIFY(r.AddAccount("b", server));
        AddDraft(r.Store(), "a", "one", 3, "55");
        AddDraft(r.Store(), "a", "two");
        AddDraft(r.Store(), "a", "three");
        r.frame->OnWindowMessage(2166, 1030, 0);
        CModalAnswerer answers;
        answers.ignore << QStringLiteral("CFolderChooserDialog");
        CBlogTreeWidget* tree = r.library->Tree();
        QTableView* list = r.library->List();

        QVERIFY(r.library->SelectCode(1030));
        SelectRows(list, {0});
        r.library->DeleteSelectedLocally();
        QCOMPARE(tree->TextOf(1030), QStringLiteral("草稿箱[2]"));
        QCOMPARE(tree->TextOf(1040), QStringLiteral("垃圾箱[1]"));
        std::string guid;
        BlogArticleList bin;
        QVERIFY(r.Store().ListArticles(4, "a", bin, 10, 0));
        QCOMPARE(bin.at(0).guid, std::string("55"));  // the server id goes along

        // Move to another account's drafts through the chooser; the shown folder is not offered.
        SelectRows(list, {0});
        answers.answer = QMessageBox::Ok;
        auto chooseB = new QTimer;
        chooseB->setInterval(15);
        QObject::connect(chooseB, &QTimer::timeout, chooseB, [chooseB] {
            auto* chooser = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (chooser == nullptr ||
                chooser->objectName() != QLatin1String("CFolderChooserDialog")) {
                return;
            }
            auto* folders = chooser->findChild<QTreeWidget*>(QStringLiteral("folderTree"));
            // Account a offers only its recycle bin; b both folders.
            if (folders->topLevelItem(0)->childCount() == 1 &&
                folders->topLevelItem(1)->childCount() == 2) {
                folders->setCurrentItem(folders->topLevelItem(1)->child(0));
                chooser->accept();
            } else {
                chooser->reject();
            }
            chooseB->stop();
            chooseB->deleteLater();
        });
        chooseB->start();
        r.library->TransferSelected(true);
        QCOMPARE(tree->TextOf(1030), QStringLiteral("草稿箱[1]"));
        QCOMPARE(tree->TextOf(1130), QStringLiteral("草稿箱[1]"));
        QCOMPARE(r.library->Model()->rowCount(), 1);

        // Clearing the recycle bin runs off the window thread and recounts.
        QSignalSpy done(r.library.get(), &CLibraryController::BackgroundDone);
        answers.answer = QMessageBox::Yes;
        r.library->ClearFolder(1040);
        QVERIFY(done.wait(10000));
        QCOMPARE(tree->TextOf(1040), QStringLiteral("垃圾箱"));
        QTRY_VERIFY(answers.Saw(QStringLiteral("确定要清空 \"垃圾箱\" 中的所有日志吗?")));
    }

    void ArticleRendersThroughTheAccountTemplateAndHostileTitlesStayText() {
        LibraryRoot r;
        QVERIFY(r.ok);
        zirvo::test::CBlogServer server;
        QVERIFY(r.AddAccount("a", server));
        AddDraft(r.Store(), "a", "标题]]><b>粗</b>\x01 结束");
        AddDraft(r.Store(), "a", "第二篇");
        r.frame->OnWindowMessage(2166, 1030, 0);
        r.frame->resize(1200, 800);
        r.frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(r.frame.get()));
        // The library's page has had no reason to start a web view while the reader was shown.
        QTest::qWait(200);
        QVERIFY(r.library->Page()->findChild<QWebEngineView*>() == nullptr);
        r.frame->SetWorkMode(kModeBlog);
        QVERIFY(r.library->SelectCode(1030));
        QTableView* list = r.library->List();
        QCOMPARE(list->model()->index(0, 0).data().toString(),
                 QStringLiteral("标题]]><b>粗</b> 结束"));
        QSignalSpy loaded(r.library->Page(), &CBlogArticlePage::LoadFinished);
        QSignalSpy rendered(r.library->Page(), &CBlogArticlePage::Rendered);
        list->setCurrentIndex(list->model()->index(0, 0));
        QVERIFY(rendered.wait(10000));
        QString html = r.library->Page()->RenderedHtml();
        QVERIFY(html.contains(QStringLiteral("标题]]&gt;&lt;b&gt;粗&lt;/b&gt;")));
        QVERIFY(html.contains(QStringLiteral("#eef1f5")));  // the default template
        QFile written(QString::fromStdString(r.root.Path("Data/LogSkin/article.xml")));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().contains("href=\"默认.xsl\""));
        QVERIFY(loaded.wait(10000));
        SaveScreenshot(r.frame.get(), QStringLiteral("blog-mode-default"));

        // 2167 after the template changed: the article is shown again in the dark one.
        QVERIFY(r.registry.WriteAccountValue("a", "logxsl", "夜间"));
        r.frame->OnWindowMessage(2167, 0, 0);
        QVERIFY(rendered.wait(10000));
        html = r.library->Page()->RenderedHtml();
        QVERIFY(html.contains(QStringLiteral("#15171b")));
        QVERIFY(loaded.wait(10000));
        SaveScreenshot(r.frame.get(), QStringLiteral("blog-mode-dark"));

        // A template that does not exist falls back to the default one.
        QVERIFY(r.registry.WriteAccountValue("a", "logxsl", "../../gone"));
        r.frame->OnWindowMessage(2167, 0, 0);
        QVERIFY(rendered.wait(10000));
        QVERIFY(r.library->Page()->RenderedHtml().contains(QStringLiteral("#eef1f5")));
    }

    void LoopingTemplateRunsOffTheWindowThreadAndNeverShowsAnOlderArticle() {
        LibraryRoot r;
        QVERIFY(r.ok);
        zirvo::test::CBlogServer server;
        QVERIFY(r.AddAccount("a", server));
        // Two to the fortieth calls: only the renderer's time budget ends it.
        QFile loop(QString::fromStdString(r.root.Path("Data/LogSkin/循环.xsl")));
        QVERIFY(loop.open(QIODevice::WriteOnly));
        loop.write(
            "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
            "<xsl:output method=\"html\"/><xsl:template match=\"/\"><html><body><p>start</p>"
            "<xsl:call-template name=\"t\"><xsl:with-param name=\"n\" select=\"40\"/>"
            "</xsl:call-template></body></html></xsl:template><xsl:template name=\"t\">"
            "<xsl:param name=\"n\"/><xsl:if test=\"$n &gt; 0\"><xsl:call-template name=\"t\">"
            "<xsl:with-param name=\"n\" select=\"$n - 1\"/></xsl:call-template>"
            "<xsl:call-template name=\"t\"><xsl:with-param name=\"n\" select=\"$n - 1\"/>"
            "</xsl:call-template></xsl:if></xsl:template></xsl:stylesheet>");
        loop.close();
        QVERIFY(r.registry.WriteAccountValue("a", "logxsl", "循环"));
        const int first = AddDraft(r.Store(), "a", "第一篇");
        const int second = AddDraft(r.Store(), "a", "第二篇");
        QVERIFY(r.library->SelectCode(1030));
        QTableView* list = r.library->List();
        QCOMPARE(list->model()->rowCount(), 2);
        const int firstRow = r.library->Model()->RowOf(first);
        const int secondRow = r.library->Model()->RowOf(second);
        CBlogArticlePage* page = r.library->Page();
        QSignalSpy rendered(page, &CBlogArticlePage::Rendered);

        // The window thread comes back at once while the template loops.
        list->setCurrentIndex(list->model()->index(firstRow, 0));
        QVERIFY(page->Rendering());
        QVERIFY(page->RenderedHtml().isEmpty());
        // Another article is picked meanwhile: only it is ever shown.
        list->setCurrentIndex(list->model()->index(secondRow, 0));
        QTRY_VERIFY_WITH_TIMEOUT(!page->Rendering(), 20000);
        QCOMPARE(rendered.count(), 1);
        QCOMPARE(rendered.at(0).at(0).toInt(), second);
        QCOMPARE(page->ShownArticle(), second);
        const QString html = page->RenderedHtml();
        QVERIFY(html.contains(QStringLiteral("第二篇")));
        QVERIFY(!html.contains(QStringLiteral("第一篇")));
        // Stopped by the time budget and replaced by the default template, which says so.
        QVERIFY(page->LastError().contains(QStringLiteral("超时")));
        QVERIFY(html.contains(QStringLiteral("#eef1f5")));

        // Leaving for another folder while a transformation runs leaves the page blank.
        list->setCurrentIndex(list->model()->index(firstRow, 0));
        QVERIFY(page->Rendering());
        QVERIFY(r.library->SelectCode(1040));
        QTRY_VERIFY_WITH_TIMEOUT(!page->Rendering(), 20000);
        QCOMPARE(rendered.count(), 1);
        QCOMPARE(page->ShownArticle(), 0);
        QVERIFY(page->RenderedHtml().isEmpty());
    }

    void PublishFetchAndServerFaults() {
        LibraryRoot r;
        QVERIFY(r.ok);
        zirvo::test::BlogServerOptions options;
        options.seedPosts = 3;
        zirvo::test::CBlogServer server(options);
        QVERIFY(server.Ok());
        QVERIFY(r.AddAccount("a", server));
        QVERIFY(r.AddAccount("broken", server, "/fault-int"));
        AddDraft(r.Store(), "a", "草稿一");
        AddDraft(r.Store(), "a", "草稿二");
        AddDraft(r.Store(), "broken", "留在本地");
        r.frame->OnWindowMessage(2166, 1030, 0);
        r.frame->OnWindowMessage(2166, 1130, 0);
        CModalAnswerer answers;
        CBlogTreeWidget* tree = r.library->Tree();

        QVERIFY(r.library->SelectCode(1030));
        SelectRows(r.library->List(), {0});
        r.library->PublishSelected();
        QTRY_COMPARE_WITH_TIMEOUT(tree->TextOf(1020), QStringLiteral("已发日志[1]"), 20000);
        QCOMPARE(tree->TextOf(1030), QStringLiteral("草稿箱[1]"));
        QCOMPARE(r.library->Model()->rowCount(), 1);

        // The toolbar's fetch with the stored number (5): the three posts of the blog and ours.
        QAction* getPosts = r.frame->Commands()->Action(300);
        QVERIFY(getPosts->isEnabled());
        getPosts->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(tree->TextOf(1010), QStringLiteral("已收日志[4]"), 20000);
        QTRY_VERIFY(getPosts->isEnabled());

        // A server fault: the message is shown and the draft stays where it was.
        QVERIFY(r.library->SelectCode(1130));
        SelectRows(r.library->List(), {0});
        answers.texts.clear();
        r.library->PublishSelected();
        QTRY_VERIFY_WITH_TIMEOUT(!answers.texts.isEmpty(), 20000);
        QTRY_COMPARE(r.library->ProgressWindows(), size_t(0));
        QCOMPARE(tree->TextOf(1130), QStringLiteral("草稿箱[1]"));
        QCOMPARE(tree->TextOf(1120), QStringLiteral("已发日志"));
    }

    void RedirectsAreFollowedOnlyWhereAllowedAndNothingIsLost() {
        LibraryRoot r;
        QVERIFY(r.ok);
        zirvo::test::CBlogServer target;
        zirvo::test::CBlogServer moved(
            zirvo::test::BlogServerOptions{.redirectTo = target.Url("/RPC2")});
        zirvo::test::CBlogServer moved2(
            zirvo::test::BlogServerOptions{.redirectTo = target.Url("/RPC2")});
        zirvo::test::CBlogServer toFile(
            zirvo::test::BlogServerOptions{.redirectTo = "file:///etc/passwd"});
        QVERIFY(target.Ok() && moved.Ok() && moved2.Ok() && toFile.Ok());
        QVERIFY(r.AddAccount("moved", moved));
        QVERIFY(r.AddAccount("file", toFile));
        QVERIFY(r.AddAccount("moved2", moved2));
        AddDraft(r.Store(), "moved", "搬家以后");
        AddDraft(r.Store(), "moved", "又一篇");
        AddDraft(r.Store(), "file", "不能去的地方");
        AddDraft(r.Store(), "moved2", "同意更新");
        for (int code : {1030, 1130, 1230}) {
            r.frame->OnWindowMessage(2166, code, 0);
        }
        CModalAnswerer answers;
        answers.answer = QMessageBox::No;
        QSignalSpy shown(&r.reporter, &CQtMessageReporter::MessageShown);
        CBlogTreeWidget* tree = r.library->Tree();
        const QString newAddress = QString::fromStdString(target.Url("/RPC2"));
        auto questions = [&answers, &newAddress] {
            return static_cast<int>(std::count_if(
                answers.texts.begin(), answers.texts.end(),
                [&newAddress](const QString& text) { return text.contains(newAddress); }));
        };

        // A redirect to another web address is followed with the post and published there; the
        // user is asked once whether the account should move.
        QVERIFY(r.library->SelectCode(1030));
        SelectRows(r.library->List(), {0});
        r.library->PublishSelected();
        QTRY_COMPARE_WITH_TIMEOUT(tree->TextOf(1020), QStringLiteral("已发日志[1]"), 20000);
        QVERIFY(!target.Requests().empty());
        QTRY_COMPARE(questions(), 1);
        SelectRows(r.library->List(), {0});
        r.library->PublishSelected();
        QTRY_COMPARE_WITH_TIMEOUT(tree->TextOf(1020), QStringLiteral("已发日志[2]"), 20000);
        QTest::qWait(200);
        QCOMPARE(questions(), 1);
        AccountInfo info;
        QVERIFY(r.registry.ReadAccount("moved", info));
        QCOMPARE(info.port, std::to_string(moved.Port()));  // "No" kept the account

        // "Yes" moves the account: its next call goes straight to the new address.
        answers.answer = QMessageBox::Yes;
        QVERIFY(r.library->SelectCode(1230));
        SelectRows(r.library->List(), {0});
        r.library->PublishSelected();
        QTRY_COMPARE_WITH_TIMEOUT(tree->TextOf(1220), QStringLiteral("已发日志[1]"), 20000);
        QTRY_COMPARE(questions(), 2);
        QTRY_VERIFY(r.registry.ReadAccount("moved2", info) &&
                    info.port != std::to_string(moved2.Port()));
        QCOMPARE(QString::fromStdString(info.xmlrpcUrl), newAddress);
        QCOMPARE(info.port, std::to_string(target.Port()));
        answers.answer = QMessageBox::No;

        // A redirect to a file: refused with its message; the draft stays, nothing published.
        QVERIFY(r.library->SelectCode(1130));
        SelectRows(r.library->List(), {0});
        r.library->PublishSelected();
        QTRY_VERIFY_WITH_TIMEOUT(
            std::any_of(shown.begin(), shown.end(),
                        [](const QList<QVariant>& args) {
                            return args.at(0).toString() ==
                                   QString::fromUtf8(kTextRedirectRefusedSummary);
                        }),
            20000);
        QTRY_COMPARE(r.library->ProgressWindows(), size_t(0));
        QCOMPARE(tree->TextOf(1130), QStringLiteral("草稿箱[1]"));
        QCOMPARE(tree->TextOf(1120), QStringLiteral("已发日志"));
        QCOMPARE(r.library->Model()->rowCount(), 1);
    }

    void PublishToSeveralAccounts() {
        LibraryRoot r;
        QVERIFY(r.ok);
        zirvo::test::CBlogServer server;
        QVERIFY(server.Ok());
        for (const char* name : {"a", "b", "c", "d", "e", "f"}) {
            QVERIFY(r.AddAccount(name, server));
        }
        QVERIFY(r.registry.WriteLoginSettings("b", 2, "pb"));
        AddDraft(r.Store(), "a", "多处发布");
        r.frame->OnWindowMessage(2166, 1030, 0);
        CModalAnswerer answers;
        QVERIFY(r.library->SelectCode(1030));
        SelectRows(r.library->List(), {0});
        CMultiPublishDialog* dialog = r.library->PublishToSeveral();
        QVERIFY(dialog);
        SaveScreenshot(dialog, QStringLiteral("multi-publish"));
        QCOMPARE(dialog->RowText(0, 3), QStringLiteral("√"));
        QCOMPARE(dialog->RowText(1, 3), QStringLiteral("×"));
        // A checked "×" row blocks; six accounts are too many; five are allowed.
        dialog->SetChecked(1, true);
        QVERIFY(!dialog->Publish());
        QTRY_VERIFY(answers.Saw(QStringLiteral("请输入账户 b 的密码")));
        answers.passwords << QStringLiteral("pb");
        dialog->VerifyRow(1);
        QCOMPARE(dialog->RowText(1, 3), QStringLiteral("√"));
        for (int row = 0; row < 6; ++row) {
            dialog->SetChecked(row, true);
        }
        QVERIFY(!dialog->Publish());
        QTRY_VERIFY(answers.Saw(QStringLiteral("您最多只能选择同时发布到 5 个账户!")));
        dialog->SetChecked(5, false);
        QVERIFY(dialog->Publish());
        QTRY_VERIFY_WITH_TIMEOUT(dialog->RowText(4, 4).startsWith(QStringLiteral("发送成功!")),
                                 20000);
        QTRY_VERIFY_WITH_TIMEOUT(dialog->RowText(0, 4).startsWith(QStringLiteral("发送成功!")),
                                 20000);
        // The source's draft moved; every other account got a published copy.
        QTRY_COMPARE(r.library->Tree()->TextOf(1020), QStringLiteral("已发日志[1]"));
        QCOMPARE(r.library->Tree()->TextOf(1030), QStringLiteral("草稿箱"));
        QTRY_COMPARE(r.library->Tree()->TextOf(1420), QStringLiteral("已发日志[1]"));
        QCOMPARE(r.library->Tree()->TextOf(1520), QStringLiteral("已发日志"));
        dialog->close();
    }

    void ExportAndImportAFolder() {
        LibraryRoot r;
        QVERIFY(r.ok);
        zirvo::test::CBlogServer server;
        QVERIFY(r.AddAccount("a", server));
        QVERIFY(r.AddAccount("b", server));
        AddDraft(r.Store(), "a", "一]]>二");
        AddDraft(r.Store(), "a", "三\x01\x1f\x7f");
        AddDraft(r.Store(), "a", "四");
        CModalAnswerer answers;
        QSignalSpy done(r.library.get(), &CLibraryController::BackgroundDone);
        const QString path = QString::fromStdString(r.dir.Path()) + QStringLiteral("/backup");
        QStringList chosen;
        r.library->SetFileChooser([&chosen](bool, const QString&) {
            return chosen.isEmpty() ? QString() : chosen.takeFirst();
        });

        r.library->ExportFolder(1040);  // empty recycle bin
        QTRY_VERIFY(answers.Saw(QStringLiteral("当前文件夹没有日志!")));

        chosen << path;
        r.library->ExportFolder(1030);
        QVERIFY(done.wait(10000));
        QTRY_VERIFY(answers.Saw(QStringLiteral("3 篇文章导出成功")));

        chosen << path + QStringLiteral(".xml");
        r.library->ImportIntoDrafts(1130);
        QVERIFY(done.wait(10000));
        QTRY_VERIFY(answers.Saw(QStringLiteral("导入成功 3 篇日志")));
        QCOMPARE(r.library->Tree()->TextOf(1130), QStringLiteral("草稿箱[3]"));
        BlogArticleList imported;
        QVERIFY(r.Store().ListArticles(3, "b", imported, 10, 0));
        QCOMPARE(imported.at(0).title, std::string("一]]>二"));
        QCOMPARE(imported.at(0).pubDate, std::string("2026-12-01 10:00:00"));
        // Characters XML cannot carry were dropped on the way out; the rest came back.
        QCOMPARE(imported.at(1).title.substr(0, 3), std::string("三"));
        QVERIFY(imported.at(1).title.find('\x01') == std::string::npos);

        // A file that is not a backup: a clear message, nothing added.
        QFile junk(QString::fromStdString(r.dir.Path()) + QStringLiteral("/junk.xml"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("<not xml");
        junk.close();
        answers.texts.clear();
        chosen << junk.fileName();
        r.library->ImportIntoDrafts(1130);
        QVERIFY(done.wait(10000));
        QTRY_VERIFY(!answers.texts.isEmpty());
        QCOMPARE(r.library->Tree()->TextOf(1130), QStringLiteral("草稿箱[3]"));
    }

    void BackupOfAHundredThousandItemsImportsOffTheWindowThread() {
        LibraryRoot r;
        QVERIFY(r.ok);
        zirvo::test::CBlogServer server;
        QVERIFY(r.AddAccount("a", server));
        const QString path = QString::fromStdString(r.dir.Path()) + QStringLiteral("/big.xml");
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel>"
                "<title>t</title><link></link><description>d</description>");
            for (int i = 0; i < 100000; ++i) {
                file.write(QStringLiteral("<item id=\"%1\"><title><![CDATA[第%1篇]]]]><![CDATA[>]]>"
                                          "</title><description><![CDATA[<p>%1</p>]]>"
                                          "</description></item>")
                               .arg(i + 1)
                               .toUtf8());
            }
            file.write("</channel></rss>");
        }
        CModalAnswerer answers;
        QSignalSpy done(r.library.get(), &CLibraryController::BackgroundDone);
        r.library->SetFileChooser([path](bool, const QString&) { return path; });
        QVERIFY(r.library->SelectCode(1030));
        int ticks = 0;
        QTimer probe;
        connect(&probe, &QTimer::timeout, this, [&ticks] { ++ticks; });
        probe.start(10);
        r.library->ImportIntoDrafts(1030);
        // The call came back before the import was done; the window kept turning meanwhile.
        QCOMPARE(r.library->BackgroundRunning(), size_t(1));
        QVERIFY(done.wait(120000));
        QVERIFY(ticks > 0);
        QTRY_VERIFY(answers.Saw(QStringLiteral("导入成功 100000 篇日志")));
        QCOMPARE(r.library->Tree()->TextOf(1030), QStringLiteral("草稿箱[100000]"));
        // The list shows the drafts again, page by page.
        QCOMPARE(r.library->Model()->Total(), 100000);
        QCOMPARE(r.library->Model()->rowCount(), CBlogArticleModel::kPageRows);
        BlogArticleList first;
        QVERIFY(r.Store().ListArticles(3, "a", first, 100000, 0));
        QCOMPARE(static_cast<int>(first.size()), 100000);
        QVERIFY(std::any_of(first.begin(), first.end(),
                            [](const BlogArticle& a) { return a.title == "第1篇]]>"; }));
        QVERIFY(std::all_of(first.begin(), first.end(),
                            [](const BlogArticle& a) { return a.pubDate != "NULL"; }));
    }

    void ProtectedAccountAsksOncePerRun() {
        LibraryRoot r;
        QVERIFY(r.ok);
        zirvo::test::CBlogServer server;
        QVERIFY(r.AddAccount("a", server));
        QVERIFY(r.registry.WriteLoginSettings("a", 2, "local"));
        AddDraft(r.Store(), "a", "x");
        CModalAnswerer answers;
        answers.passwords << QStringLiteral("wrong");
        QVERIFY(!r.library->SelectCode(1030));
        QTRY_VERIFY(answers.Saw(QStringLiteral("密码错误!")));
        QCOMPARE(r.library->Model()->rowCount(), 0);
        QVERIFY(!r.frame->Commands()->Action(300)->isEnabled());
        answers.passwords << QStringLiteral("local");
        QVERIFY(r.library->SelectCode(1030));
        QCOMPARE(r.library->Model()->rowCount(), 1);
        // No second question in this run.
        QVERIFY(r.library->SelectCode(1040));
        QVERIFY(r.library->Verified("a"));
    }

    void TenThousandArticlesShowTheirFirstPage() {
        LibraryRoot r;
        QVERIFY(r.ok);
        zirvo::test::CBlogServer server;
        QVERIFY(r.AddAccount("a", server));
        BlogArticleList many(10000);
        for (size_t i = 0; i < many.size(); ++i) {
            many[i].title = "文章 " + std::to_string(i);
            many[i].content = std::string(200, 'x');
            many[i].pubDate = "2026-12-01 10:00:00";
            many[i].guid = std::to_string(i);
        }
        QVERIFY(r.Store().AddReceivedArticles(1, "a", many));
        r.frame->OnWindowMessage(2166, 1010, 0);
        QCOMPARE(r.library->Tree()->TextOf(1010), QStringLiteral("已收日志[10000]"));
        QVERIFY(r.library->SelectCode(1010));
        CBlogArticleModel* model = r.library->Model();
        QCOMPARE(model->Total(), 10000);
        QCOMPARE(model->rowCount(), CBlogArticleModel::kPageRows);
        QVERIFY(model->canFetchMore(QModelIndex()));
        model->fetchMore(QModelIndex());
        QCOMPARE(model->rowCount(), 2 * CBlogArticleModel::kPageRows);
        QCOMPARE(model->index(CBlogArticleModel::kPageRows, 0).data().toString(),
                 QStringLiteral("文章 %1").arg(CBlogArticleModel::kPageRows));
    }
};

QTEST_MAIN(BlogLibraryTest)
#include "blog_library_test.moc"
