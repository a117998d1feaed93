// "添加到IE收藏夹" on a row of the article list, with a temporary home (never the user's own):
// without ~/Favorites the command is unavailable and says why; with it, the item's link lands
// there as a link entry named after the item.

#include <QAction>
#include <QDir>
#include <QtTest>

#include "core/util/files.h"
#include "gui/reader/article_list_model.h"
#include "gui/reader/article_table_view.h"
#include "reader_fixture.h"
#include "support/temp_dir.h"

using namespace zirvo;
using namespace zirvo::test;

class BrowserFavouritesTest : public QObject {
    Q_OBJECT

    TempDir m_home{"home"};

public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private slots:
    void initTestCase() { qputenv("HOME", QByteArray::fromStdString(m_home.Path())); }

    void WithoutTheFolderTheCommandSaysWhy() {
        CReaderFixture f;
        f.WriteOpml({{"频道", f.Server().Url("/gen/1?items=3"), {}}});
        f.Open();
        QAction* action = f.Controller().Action(QStringLiteral("listAddToBrowserFavourites"));
        QVERIFY(action);
        QVERIFY(!action->isEnabled());
        QVERIFY(action->toolTip().contains(QStringLiteral("~/Favorites")));
    }

    void TheItemsLinkIsKeptInTheFolder() {
        const std::string folder = m_home.MakeDir("Favorites");
        CReaderFixture f;
        f.WriteOpml({{"频道", f.Server().Url("/gen/1?items=3"), {}}});
        f.Open();
        f.ReceiveAndWait(kNoNode);
        f.Controller().SelectNode(f.Find("频道"));
        gui::CArticleListModel* model = f.Controller().ListModel();
        QCOMPARE(model->rowCount(), 3);
        f.Controller().List()->setCurrentIndex(model->index(0, gui::kColTitle));
        QAction* action = f.Controller().Action(QStringLiteral("listAddToBrowserFavourites"));
        QVERIFY(action->isEnabled());
        action->trigger();

        const QStringList made = QDir(QString::fromStdString(folder))
                                     .entryList({QStringLiteral("*.desktop")}, QDir::Files);
        QCOMPARE(made.size(), 1);
        QCOMPARE(made.first(),
                 QString::fromStdString(model->Item(0)->title) + QStringLiteral(".desktop"));
        std::string text;
        QVERIFY(ReadFileBytes(folder + "/" + made.first().toStdString(), text));
        QVERIFY2(text.find("Type=Link\n") != std::string::npos, text.c_str());
        QVERIFY2(text.find("URL=http") != std::string::npos, text.c_str());
    }
};

QTEST_MAIN(BrowserFavouritesTest)
#include "browser_favourites_test.moc"
