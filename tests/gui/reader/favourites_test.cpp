// The RSS favourites in the window: keeping an item of the article list (Ctrl+D, "RSS收藏"),
// a new node, an item added by hand with its checks, dropping list rows onto a node, the
// favourites list that only shows, export as RSS and import of that file, the CHM e-book of a
// node, and bad input: texts with "]]>" and control characters, a file that is no RSS.

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QDropEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtTest>
#include <memory>

#include "core/feeds/rss_store.h"
#include "core/util/files.h"
#include "gui/library/ebook_dialog.h"
#include "gui/reader/article_list_model.h"
#include "gui/reader/article_page.h"
#include "gui/reader/article_table_view.h"
#include "gui/reader/channel_tree_widget.h"
#include "gui/reader/favourite_dialogs.h"
#include "gui/reader/favourite_tree_widget.h"
#include "gui/reader/favourites_controller.h"
#include "gui/shell/command_table.h"
#include "reader_fixture.h"

using namespace zirvo;
using namespace zirvo::test;

namespace {

// Answers each modal widget that appears while it lives with the next step; message boxes
// are accepted and their texts kept. Boxes have a timer of their own: a step that presses a
// dialog's button may wait inside a box's loop, and a timer never fires inside its own call.
class CModalScript {
public:
    using Step = std::function<void(QWidget*)>;
    explicit CModalScript(std::vector<Step> steps = {}) : m_steps(std::move(steps)) {
        m_boxes.setInterval(20);
        QObject::connect(&m_boxes, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                if (box->isVisible()) {
                    texts.append(box->text());
                    box->accept();
                }
            }
        });
        m_boxes.start();
        m_dialogs.setInterval(20);
        QObject::connect(&m_dialogs, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || !modal->isVisible() || modal == m_last ||
                qobject_cast<QMessageBox*>(modal) != nullptr || m_next >= m_steps.size()) {
                return;
            }
            m_last = modal;
            m_steps[m_next++](modal);
        });
        m_dialogs.start();
    }
    QStringList texts;

private:
    QTimer m_boxes;
    QTimer m_dialogs;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    QWidget* m_last = nullptr;
};

void Press(QWidget* dialog, QDialogButtonBox::StandardButton which) {
    dialog->findChild<QDialogButtonBox*>()->button(which)->click();
}

void Fill(QWidget* dialog, const char* name, const QString& text) {
    if (auto* line = dialog->findChild<QLineEdit*>(QString::fromLatin1(name))) {
        line->setText(text);
    } else if (auto* plain = dialog->findChild<QPlainTextEdit*>(QString::fromLatin1(name))) {
        plain->setPlainText(text);
    }
}

// The favourites pane beside the reader of the fixture, in a window of its own.
struct FavouritesPane {
    explicit FavouritesPane(CReaderFixture& f) {
        window = std::make_unique<QWidget>();
        window->resize(900, 500);
        commands = new gui::CCommandTable(window.get());
        controller = new gui::CFavouritesController(f.Session(), *commands, f.Controller().Page(),
                                                    window.get());
        auto* layout = new QHBoxLayout(window.get());
        layout->addWidget(controller->TreeWidget(), 1);
        layout->addWidget(controller->ListWidget(), 3);
        window->show();
        f.Controller().SetKeepHandler(
            [this](int id, bool staging) { controller->KeepItem(id, staging); });
        Pump();
    }
    NodeId Find(const std::string& path) {
        return controller->Favourites().Tree().FindByCaptionPath(path);
    }
    int FavId(const std::string& path) { return controller->Favourites().FolderIdOf(Find(path)); }
    std::vector<RssItem> Items(CReaderFixture& f, const std::string& path) {
        std::vector<RssItem> items;
        f.Session().Store().ListFavourites(FavId(path), true, items);
        return items;
    }
    void Select(const std::string& path) {
        controller->Tree()->setCurrentItem(controller->Tree()->ItemOf(Find(path)));
    }

    std::unique_ptr<QWidget> window;
    gui::CCommandTable* commands = nullptr;
    gui::CFavouritesController* controller = nullptr;
};

// Pictures for a look by eye when ZIRVO_SCREENSHOTS names a folder.
void SaveScreenshot(QWidget* widget, const QString& name) {
    const QString folder = qEnvironmentVariable("ZIRVO_SCREENSHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        widget->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    }
}

void DropOnto(gui::CFavouriteTreeWidget* tree, NodeId node, QMimeData* mime) {
    const QPoint at = tree->visualItemRect(tree->ItemOf(node)).center();
    QDragEnterEvent enter(at, Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &enter);
    QDragMoveEvent move(at, Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &move);
    QDropEvent drop(QPointF(at), Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &drop);
}

}  // namespace

class FavouritesTest : public QObject {
    Q_OBJECT
public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private slots:
    void KeepNewNodeByHandDropExportImport();
    void HostileTextsAndFilesLeaveTheFavouritesAsTheyWere();
    void EbookOfANodeAndOfAnEmptyOne();
};

void FavouritesTest::KeepNewNodeByHandDropExportImport() {
    CReaderFixture f;
    f.Server().Put("/a.xml",
                   "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>a</title>"
                   "<item><title>要收藏的文章</title><link>http://127.0.0.1:9/keep</link>"
                   "<author>作者</author><description>正文</description></item>"
                   "</channel></rss>");
    f.WriteOpml({{"频道", f.Server().Url("/a.xml"), {}}});
    f.Open();
    f.ReceiveAndWait(kNoNode);
    FavouritesPane pane(f);
    gui::CFavouritesController& fav = *pane.controller;
    QCOMPARE(pane.FavId("收藏夹/我的收藏"), 1);

    // Ctrl+D on the list's item: "RSS收藏" with the first node chosen; a folder cannot take it.
    f.Controller().SelectNode(f.Find("频道"));
    f.Controller().List()->setCurrentIndex(f.Controller().ListModel()->index(0, gui::kColTitle));
    QAction* keep = f.Controller().Action(QStringLiteral("listAddToFavourites"));
    QVERIFY(keep->isEnabled());
    QCOMPARE(keep->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));
    bool folderRefused = false;
    {
        CModalScript script({[&](QWidget* modal) {
            auto* dialog = qobject_cast<gui::CKeepFavouriteDialog*>(modal);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("RSS收藏"));
            SaveScreenshot(dialog, QStringLiteral("keep_favourite"));
            QPushButton* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
            QCOMPARE(ok->text(), QStringLiteral("收藏"));
            QCOMPARE(dialog->Chosen(), pane.Find("收藏夹/我的收藏"));
            dialog->Choose(pane.Find("收藏夹"));
            folderRefused = !ok->isEnabled();
            dialog->Choose(pane.Find("收藏夹/我的收藏"));
            ok->click();
        }});
        keep->trigger();
    }
    QVERIFY(folderRefused);
    std::vector<RssItem> kept = pane.Items(f, "收藏夹/我的收藏");
    QCOMPARE(kept.size(), size_t(1));
    QCOMPARE(kept[0].title, std::string("要收藏的文章"));
    QCOMPARE(kept[0].author, std::string("作者"));
    QCOMPARE(kept[0].description, std::string("正文"));

    // A new node under the chosen folder: its id is written as xmlUrl and its row exists.
    pane.Select("收藏夹");
    {
        CModalScript script({[](QWidget* dialog) {
            Fill(dialog, "titleEdit", QStringLiteral("第二"));
            Press(dialog, QDialogButtonBox::Ok);
        }});
        pane.commands->Action(gui::kCmdAddFavourite)->trigger();
    }
    const NodeId second = pane.Find("收藏夹/第二");
    QVERIFY(second != kNoNode);
    const int secondId = pane.FavId("收藏夹/第二");
    QVERIFY(secondId > 1);
    std::string file;
    QVERIFY(ReadFileBytes(f.Root().PathOf("Storage/rssFavorite.opml"), file));
    QVERIFY(file.find("title=\"第二\" xmlUrl=\"" + std::to_string(secondId) + "\"") !=
            std::string::npos);

    // By hand: the checks keep the dialog open and name the field; then the item is there.
    QCOMPARE(fav.Tree()->currentItem(), fav.Tree()->ItemOf(second));  // the new node is chosen
    pane.Select("收藏夹");
    QVERIFY(!pane.commands->Action(gui::kCmdAddFavouriteItem)->isEnabled());  // a folder
    pane.Select("收藏夹/第二");
    QVERIFY(pane.commands->Action(gui::kCmdAddFavouriteItem)->isEnabled());
    QString focusAfterLink;
    {
        CModalScript script({[&](QWidget* dialog) {
            QVERIFY(dialog->findChild<QLineEdit*>(QStringLiteral("timeEdit"))
                        ->text()
                        .contains(QRegularExpression(
                            QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"))));
            Press(dialog, QDialogButtonBox::Ok);  // no title
            Fill(dialog, "titleEdit", QStringLiteral("手工"));
            Press(dialog, QDialogButtonBox::Ok);  // no link
            focusAfterLink = dialog->focusWidget()->objectName();
            Fill(dialog, "linkEdit", QStringLiteral("http://127.0.0.1:9/hand"));
            Fill(dialog, "authorEdit", QStringLiteral("<b>"));
            Press(dialog, QDialogButtonBox::Ok);  // '<' in the author
            Fill(dialog, "authorEdit", QStringLiteral("我"));
            Fill(dialog, "summaryEdit", QStringLiteral("手写的摘要"));
            Press(dialog, QDialogButtonBox::Ok);
        }});
        pane.commands->Action(gui::kCmdAddFavouriteItem)->trigger();
        QCOMPARE(script.texts,
                 (QStringList{QStringLiteral("请输入标题"), QStringLiteral("请输入链接"),
                              QStringLiteral("含有不合法的字符 '<' 或 '>'!")}));
    }
    QCOMPARE(focusAfterLink, QStringLiteral("linkEdit"));
    QCOMPARE(fav.ShownNode(), second);
    QCOMPARE(fav.ListModel()->ItemRowCount(), 1);
    QCOMPARE(fav.ListModel()->Item(0)->title, std::string("手工"));

    // The favourites list only shows: the page renders the kept copy.
    fav.ShowNode(pane.Find("收藏夹/我的收藏"));
    QCOMPARE(fav.ListModel()->Item(0)->title, std::string("要收藏的文章"));
    const QRect rect = fav.List()->visualRect(fav.ListModel()->index(0, gui::kColTitle));
    QTest::mouseClick(fav.List()->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    QTRY_VERIFY(f.Controller().Page()->RenderedHtml().contains(QStringLiteral("正文")));
    SaveScreenshot(pane.window.get(), QStringLiteral("favourites_mode"));
    // Whole dates: a stored date is never cut in the favourites list either.
    const QAbstractItemView* view = fav.List();
    QVERIFY(fav.List()->columnWidth(gui::kColDate) >= view->sizeHintForColumn(gui::kColDate));

    // Dropping the row on the node shown is refused; on another node it moves there.
    std::unique_ptr<QMimeData> mime(
        fav.ListModel()->mimeData({fav.ListModel()->index(0, gui::kColTitle)}));
    f.Reporter().Clear();
    DropOnto(fav.Tree(), pane.Find("收藏夹/我的收藏"), mime.get());
    QCOMPARE(f.Reporter().MessageBoxes(), std::vector<std::string>{"需要指定一个不同的收藏!"});
    QCOMPARE(pane.Items(f, "收藏夹/我的收藏").size(), size_t(1));
    DropOnto(fav.Tree(), second, mime.get());
    QCOMPARE(pane.Items(f, "收藏夹/我的收藏").size(), size_t(0));
    QCOMPARE(pane.Items(f, "收藏夹/第二").size(), size_t(2));
    QCOMPARE(fav.ListModel()->ItemRowCount(), 0);  // the list is shown again

    // Export as RSS, then import the file as a new node named after it.
    const std::string exported = f.Root().PathOf("第二收藏.xml");
    fav.SetFileChooser([&](bool save, const QString& proposal, const QString&) {
        if (save) {
            return proposal == QStringLiteral("第二.xml") ? QString::fromStdString(exported)
                                                          : QString();
        }
        return QString::fromStdString(exported);
    });
    pane.Select("收藏夹/第二");
    {
        CModalScript script;
        fav.Action(QStringLiteral("favExportFeed"))->trigger();
        QCOMPARE(script.texts, QStringList{QStringLiteral("导出Feed成功!")});
    }
    std::string feed;
    QVERIFY(ReadFileBytes(exported, feed));
    QVERIFY(feed.find("<title><![CDATA[手工]]></title>") != std::string::npos);
    pane.commands->Action(gui::kCmdImportFavourites)->trigger();
    const NodeId imported = pane.Find("第二收藏");
    QVERIFY(imported != kNoNode);
    QCOMPARE(fav.ShownNode(), imported);
    const std::vector<RssItem> back = pane.Items(f, "第二收藏");
    QCOMPARE(back.size(), size_t(2));
    const std::vector<RssItem> original = pane.Items(f, "收藏夹/第二");
    for (size_t i = 0; i < back.size(); ++i) {
        QCOMPARE(back[i].title, original[i].title);
        QCOMPARE(back[i].link, original[i].link);
        QCOMPARE(back[i].description, original[i].description);
        QCOMPARE(back[i].author, original[i].author);
    }
}

void FavouritesTest::HostileTextsAndFilesLeaveTheFavouritesAsTheyWere() {
    CReaderFixture f;
    f.WriteOpml({});
    f.Open();
    FavouritesPane pane(f);
    gui::CFavouritesController& fav = *pane.controller;
    pane.Select("收藏夹/我的收藏");
    // Typed by hand, "]]>" is refused as '>' is; a kept item may carry it and control
    // characters (from a feed, or a store an older program wrote).
    {
        CModalScript script({[](QWidget* dialog) {
            Fill(dialog, "titleEdit", QStringLiteral("a]]>b"));
            Fill(dialog, "linkEdit", QStringLiteral("http://127.0.0.1:9/x"));
            Press(dialog, QDialogButtonBox::Ok);
            Press(dialog, QDialogButtonBox::Cancel);
        }});
        pane.commands->Action(gui::kCmdAddFavouriteItem)->trigger();
        QCOMPARE(script.texts, QStringList{QStringLiteral("含有不合法的字符 '<' 或 '>'!")});
    }
    QVERIFY(f.Session().Store().AddFavourite(
        pane.FavId("收藏夹/我的收藏"), "http://127.0.0.1:9/x?a=]]>",
        "a]]>b\x01"
        "c",
        "\x1b作者", "text ]]> more\x07 end", "2026-12-08 10:00:00"));
    fav.ShowNode(pane.Find("收藏夹/我的收藏"));
    QCOMPARE(fav.ListModel()->ItemRowCount(), 1);
    const std::string exported = f.Root().PathOf("hostile.xml");
    const std::string html = f.Root().PathOf("page.xml");
    f.Root().WriteFile("page.xml", "<html><body><p>not a feed</p></body></html>");
    std::string chosen = exported;
    fav.SetFileChooser(
        [&chosen](bool, const QString&, const QString&) { return QString::fromStdString(chosen); });
    {
        CModalScript script;
        fav.Action(QStringLiteral("favExportFeed"))->trigger();
        QCOMPARE(script.texts, QStringList{QStringLiteral("导出Feed成功!")});
    }
    pane.commands->Action(gui::kCmdImportFavourites)->trigger();
    const std::vector<RssItem> back = pane.Items(f, "hostile");
    QCOMPARE(back.size(), size_t(1));
    // The texts come back whole; only the control characters, which XML cannot carry, are gone.
    QCOMPARE(back[0].title, std::string("a]]>bc"));
    QCOMPARE(back[0].author, std::string("作者"));
    QCOMPARE(back[0].description, std::string("text ]]> more end"));
    QCOMPARE(back[0].link, std::string("http://127.0.0.1:9/x?a=]]>"));

    // A file that is no RSS: "导入失败", the favourites file and the store unchanged.
    std::string before;
    QVERIFY(ReadFileBytes(f.Root().PathOf("Storage/rssFavorite.opml"), before));
    int nextId = 0;
    QVERIFY(f.Session().Store().NextFavouriteFolderId(nextId));
    f.Reporter().Clear();
    for (const std::string& bad :
         {html, f.Root().PathOf("missing.xml"), f.Root().PathOf("Storage")}) {
        chosen = bad;
        pane.commands->Action(gui::kCmdImportFavourites)->trigger();
    }
    QCOMPARE(f.Reporter().MessageBoxes(),
             (std::vector<std::string>{"导入失败", "导入失败", "导入失败"}));
    std::string after;
    QVERIFY(ReadFileBytes(f.Root().PathOf("Storage/rssFavorite.opml"), after));
    QCOMPARE(after, before);
    int nextAfter = 0;
    QVERIFY(f.Session().Store().NextFavouriteFolderId(nextAfter));
    QCOMPARE(nextAfter, nextId);

    // A name with '<' for a new node is refused by the dialog.
    pane.Select("收藏夹");
    {
        CModalScript script({[](QWidget* dialog) {
            Fill(dialog, "titleEdit", QStringLiteral("<script>"));
            Press(dialog, QDialogButtonBox::Ok);
            Press(dialog, QDialogButtonBox::Cancel);
        }});
        pane.commands->Action(gui::kCmdAddFavourite)->trigger();
        QCOMPARE(script.texts, QStringList{QStringLiteral("您输入了无效的字符!")});
    }
    std::string last;
    QVERIFY(ReadFileBytes(f.Root().PathOf("Storage/rssFavorite.opml"), last));
    QCOMPARE(last, before);
}

void FavouritesTest::EbookOfANodeAndOfAnEmptyOne() {
    CReaderFixture f;
    f.WriteOpml({});
    f.Open();
    FavouritesPane pane(f);
    gui::CFavouritesController& fav = *pane.controller;
    pane.Select("收藏夹/我的收藏");
    {
        CModalScript script;
        fav.Action(QStringLiteral("favEbook"))->trigger();
        QCOMPARE(script.texts, QStringList{QStringLiteral("您选择的收藏夹没有文章!")});
    }
    QVERIFY(f.Session().Store().AddFavourite(pane.FavId("收藏夹/我的收藏"), "http://127.0.0.1:9/1",
                                             "书里的文章", "", "<p>x</p>", "2026-12-08 10:00:00"));
    // The folder gathers the items of the nodes below it.
    pane.Select("收藏夹");
    fav.Action(QStringLiteral("favEbook"))->trigger();
    gui::CEbookDialog* dialog = nullptr;
    QTRY_VERIFY((dialog = pane.window->findChild<gui::CEbookDialog*>()) != nullptr);
    QTRY_VERIFY(dialog->isVisible());
    dialog->reject();
}

QTEST_MAIN(FavouritesTest)
#include "favourites_test.moc"
