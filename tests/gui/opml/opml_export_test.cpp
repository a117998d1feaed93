// "导出OPML": "当前频道" writes the chosen node with its subtree under the default name caption +
// ".opml", "所有频道" the whole list as "RSS订阅收藏.opml"; both say "导出成功!".

#include <QFileDialog>
#include <QLineEdit>
#include <QtTest>

#include "core/util/files.h"
#include "gui/reader/channel_tree_widget.h"
#include "reader_fixture.h"

using namespace zirvo;
using namespace zirvo::test;

namespace {

// Answers the save dialog with `path` after checking the name it proposes.
void SaveAs(const std::string& path, const QString& proposedName) {
    AnswerNextModal([path, proposedName](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog);
        QVERIFY(!dialog->selectedFiles().isEmpty());
        QCOMPARE(QFileInfo(dialog->selectedFiles().first()).fileName(), proposedName);
        // Typed as a user would: the whole path in the name field.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(QString::fromStdString(path));
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

}  // namespace

class OpmlExportTest : public QObject {
    Q_OBJECT
public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private slots:
    void CurrentNodeAndAllAreWritten();
};

void OpmlExportTest::CurrentNodeAndAllAreWritten() {
    CReaderFixture f;
    f.WriteOpml({{"新闻", "", {{"Old", f.Server().Url("/gen/1?items=3"), {}}, {"Sub", "", {}}}},
                 {"Other", f.Server().Url("/gen/2?items=3"), {}}});
    f.Open();
    QTreeWidget* tree = f.Controller().Tree();
    tree->setCurrentItem(f.Controller().Tree()->ItemOf(f.Find("新闻")));

    const std::string one = f.Root().PathOf("out/news.opml");
    MakeDirectories(f.Root().PathOf("out"));
    SaveAs(one, QStringLiteral("新闻.opml"));
    f.Controller().Action(QStringLiteral("actionExportCurrent"))->trigger();
    std::string text;
    QVERIFY(ReadFileBytes(one, text));
    // The folder with its subtree, every outline with `text`, no empty `xmlUrl`.
    QVERIFY2(text.find("<title>ZirvoRSS阅读收藏</title>") != std::string::npos, text.c_str());
    QVERIFY2(text.find("text=\"新闻\"") != std::string::npos, text.c_str());
    QVERIFY2(text.find("text=\"Old\"") != std::string::npos, text.c_str());
    QVERIFY(text.find("Other") == std::string::npos);
    QVERIFY(text.find("xmlUrl=\"\"") == std::string::npos);
    QCOMPARE(f.Reporter().MessageBoxes().size(), size_t(1));
    QCOMPARE(f.Reporter().MessageBoxes()[0], std::string("导出成功!"));

    const std::string all = f.Root().PathOf("out/all.opml");
    SaveAs(all, QStringLiteral("RSS订阅收藏.opml"));
    f.Controller().Action(QStringLiteral("actionExportAll"))->trigger();
    QVERIFY(ReadFileBytes(all, text));
    QVERIFY(text.find("text=\"Other\"") != std::string::npos);
    QVERIFY(text.find("text=\"Sub\"") != std::string::npos);
    QCOMPARE(f.Reporter().MessageBoxes().size(), size_t(2));
}

QTEST_MAIN(OpmlExportTest)
#include "opml_export_test.moc"
