// The e-book dialog over a received channel: its start-up state, the start checks with their
// messages and focus, a whole export with pictures from the loopback site (status lines,
// buttons, the book on disk), and cancelling a download that never ends. With
// ZIRVO_SCREENSHOT_DIR set, the finished dialog is saved as a PNG to look at.

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "core/articles/blog_store.h"
#include "core/ebook/chm_compiler.h"
#include "core/setup/seed.h"
#include "core/util/files.h"
#include "core/util/strings.h"
#include "gui/library/ebook_dialog.h"
#include "gui/library/ebook_launcher.h"
#include "reader_fixture.h"

using namespace zirvo;
using namespace zirvo::test;

namespace {

std::string PictureFeed(CFeedServer& server, const std::string& picture) {
    std::string address = server.Url(picture);
    ReplaceAll(address, "&", "&amp;amp;");  // an HTML attribute inside XML text
    std::string items;
    for (int i = 0; i < 3; ++i) {
        items += "<item><title>第" + std::to_string(i) +
                 "篇 Article</title><link>http://127.0.0.1/e/" + std::to_string(i) +
                 "</link><pubDate>Tue, 03 Jan 2006 08:00:00 GMT</pubDate><description>&lt;p&gt;正文"
                 "&lt;/p&gt;&lt;img src=\"" +
                 address + "\"&gt;</description></item>";
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel>"
           "<title>Pics</title><link>http://127.0.0.1/</link>" +
           items + "</channel></rss>";
}

// Closes every message box that shows up while it lives, keeping their texts.
class CMessageBoxAnswerer : public QObject {
public:
    CMessageBoxAnswerer() {
        m_timer.setInterval(30);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts.append(box->text());
                box->accept();
            }
        });
        m_timer.start();
    }
    QStringList texts;

private:
    QTimer m_timer;
};

template <typename T>
T* Child(QWidget* dialog, const char* name) {
    return dialog->findChild<T*>(QString::fromLatin1(name));
}

}  // namespace

class EbookDialogTest : public QObject {
    Q_OBJECT
public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private slots:
    void StartsWithTheFeedDefaultsAndChecksItsFields();
    void ExportsTheChannelWithItsPictures();
    void CancelStopsADownloadThatNeverEnds();
    void BlogFolderBookFoldsByCategory();
    void ClosingTheWindowStopsARunningExport();
};

namespace {

// With ZIRVO_SCREENSHOTS set (tools/screenshots.sh), a picture of the window for a look by eye.
void SaveScreenshot(QWidget* widget, const char* name) {
    const QString folder = qEnvironmentVariable("ZIRVO_SCREENSHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        QTest::qWait(200);
        widget->grab().save(folder + QLatin1Char('/') + QString::fromLatin1(name) +
                            QStringLiteral(".png"));
    }
}

}  // namespace

void EbookDialogTest::StartsWithTheFeedDefaultsAndChecksItsFields() {
    CReaderFixture f;
    QVERIFY(f.Server().Put("/pics.xml", PictureFeed(f.Server(), "/pic/a.png")));
    f.WriteOpml({{"Pics", f.Server().Url("/pics.xml"), {}}});
    f.Open();
    gui::CEbookLauncher launcher(f.Session().Root(), &f.Session(), f.Window());
    std::unique_ptr<gui::CEbookDialog> dialog(launcher.MakeDialogForNode(f.Find("Pics")));
    QVERIFY(dialog);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("生成CHM电子书"));
    QVERIFY(dialog->StatusText().startsWith(
        QStringLiteral("====================状态显示===================")));
    QCOMPARE(Child<QLineEdit>(dialog.get(), "title")->text(), QStringLiteral("我的收藏"));
    QVERIFY(Child<QCheckBox>(dialog.get(), "byCategory")->isHidden());

    QSignalSpy finished(dialog.get(), &gui::CEbookDialog::Finished);
    CMessageBoxAnswerer answers;
    QTest::mouseClick(Child<QPushButton>(dialog.get(), "startButton"), Qt::LeftButton);
    QTRY_COMPARE(answers.texts.size(), 1);
    QCOMPARE(answers.texts[0], QStringLiteral("请选择要保存为的CHM文件名!"));
    QCOMPARE(dialog->focusWidget(), Child<QPushButton>(dialog.get(), "saveAsButton"));

    Child<QLineEdit>(dialog.get(), "outputPath")
        ->setText(QString::fromStdString(f.Root().PathOf("x.chm")));
    Child<QLineEdit>(dialog.get(), "title")->clear();
    QTest::mouseClick(Child<QPushButton>(dialog.get(), "startButton"), Qt::LeftButton);
    QTRY_COMPARE(answers.texts.size(), 2);
    QCOMPARE(answers.texts[1], QStringLiteral("请输入标题!"));
    QCOMPARE(dialog->focusWidget(), Child<QLineEdit>(dialog.get(), "title"));
    QCOMPARE(finished.size(), 2);
    QVERIFY(!dialog->Running());
    QVERIFY(!FileExists(f.Root().PathOf("x.chm")));
}

void EbookDialogTest::ExportsTheChannelWithItsPictures() {
    if (FindChmCompiler(qEnvironmentVariable("PATH").toStdString()).empty()) {
        QSKIP("chmcmd (Debian package fp-utils) is not installed");
    }
    CReaderFixture f;
    QVERIFY(f.Server().Put("/pics.xml", PictureFeed(f.Server(), "/pic/a.png?kb=4&s=0.2")));
    f.WriteOpml({{"Pics", f.Server().Url("/pics.xml"), {}}});
    f.Open();
    f.ReceiveAndWait(f.Find("Pics"));
    gui::CEbookLauncher launcher(f.Session().Root(), &f.Session(), f.Window());
    std::unique_ptr<gui::CEbookDialog> dialog(launcher.MakeDialogForNode(f.Find("Pics")));
    QVERIFY(dialog);
    dialog->show();
    const std::string book = f.Root().PathOf("我的 book.chm");
    Child<QLineEdit>(dialog.get(), "outputPath")->setText(QString::fromStdString(book));
    Child<QPlainTextEdit>(dialog.get(), "description")->setPlainText(QStringLiteral("三篇文章"));
    QSignalSpy finished(dialog.get(), &gui::CEbookDialog::Finished);
    CMessageBoxAnswerer answers;
    auto* start = Child<QPushButton>(dialog.get(), "startButton");
    QTest::mouseClick(start, Qt::LeftButton);
    QVERIFY(!start->isEnabled());
    QCOMPARE(start->text(), QStringLiteral("下载图片..."));
    QVERIFY(finished.wait(60000));
    QCOMPARE(finished[0][0].toBool(), true);
    QCOMPARE(start->text(), QStringLiteral("制作完成"));
    QTRY_COMPARE(answers.texts, QStringList{QStringLiteral("制作完成!")});
    const QString status = dialog->StatusText();
    QVERIFY2(status.contains(QStringLiteral(">>download complete.")), qPrintable(status));
    QVERIFY2(status.contains(QStringLiteral("Writing CHM")), qPrintable(status));
    QVERIFY(FileExists(book));
    QVERIFY(FileExists(f.Session().Root().Path("Temp/CHMTemp/2.html")));
    QCOMPARE(f.Server().RequestsFor("/pic/a.png").size(), size_t{1});

    const QString dir = qEnvironmentVariable("ZIRVO_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
        QDir().mkpath(dir);
        dialog->grab().save(dir + QStringLiteral("/ebook_dialog.png"));
    }
}

void EbookDialogTest::CancelStopsADownloadThatNeverEnds() {
    CReaderFixture f;
    QVERIFY(f.Server().Put("/stall.xml", PictureFeed(f.Server(), "/stall")));
    f.WriteOpml({{"Stall", f.Server().Url("/stall.xml"), {}}});
    f.Open();
    f.ReceiveAndWait(f.Find("Stall"));
    gui::CEbookLauncher launcher(f.Session().Root(), &f.Session(), f.Window());
    std::unique_ptr<gui::CEbookDialog> dialog(launcher.MakeDialogForNode(f.Find("Stall")));
    QVERIFY(dialog);
    dialog->show();
    const std::string book = f.Root().PathOf("stall.chm");
    Child<QLineEdit>(dialog.get(), "outputPath")->setText(QString::fromStdString(book));
    QSignalSpy finished(dialog.get(), &gui::CEbookDialog::Finished);
    QTest::mouseClick(Child<QPushButton>(dialog.get(), "startButton"), Qt::LeftButton);
    QTRY_VERIFY(!f.Server().RequestsFor("/stall").empty());
    QVERIFY(dialog->Running());
    QTest::mouseClick(Child<QPushButton>(dialog.get(), "cancelButton"), Qt::LeftButton);
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
    QVERIFY(dialog->isHidden());
    launcher.Workers().WaitAll();
    QTest::qWait(50);
    QCOMPARE(finished.size(), 0);  // a cancelled export reports to nobody
    QVERIFY(!FileExists(book));
}

void EbookDialogTest::BlogFolderBookFoldsByCategory() {
    if (FindChmCompiler(qEnvironmentVariable("PATH").toStdString()).empty()) {
        QSKIP("chmcmd (Debian package fp-utils) is not installed");
    }
    TempDir dir("gui-ebook-blog");
    const CDataRoot root(dir.Path());
    SeedReport seed;
    QVERIFY(SeedDataRoot(root, std::string(ZIRVO_TEST_SOURCE_DIR) + "/data", seed));
    {
        CBlogStore store(root.Dir());
        QVERIFY(store.Open());
        for (const auto& [title, category] : std::vector<std::pair<std::string, std::string>>{
                 {"Rust notes", "Tech"}, {"周末", "生活"}, {"More tech", "Tech"}}) {
            QVERIFY(store.AddArticleWithGuid(kBlogFolderDrafts, "甲", "", title, category,
                                             "<p>" + title + "</p>", "2006-01-05 08:30:00"));
        }
    }
    QWidget window;
    gui::CEbookLauncher launcher(root, nullptr, &window);
    std::unique_ptr<gui::CEbookDialog> dialog(
        launcher.MakeDialogForBlogFolder("甲", kBlogFolderDrafts));
    QVERIFY(dialog);
    dialog->show();
    QCOMPARE(Child<QLineEdit>(dialog.get(), "title")->text(), QStringLiteral("我的日志"));
    auto* byCategory = Child<QCheckBox>(dialog.get(), "byCategory");
    QVERIFY(!byCategory->isHidden());
    byCategory->setChecked(true);
    const std::string book = dir.PathOf("blog.chm");
    Child<QLineEdit>(dialog.get(), "outputPath")->setText(QString::fromStdString(book));
    SaveScreenshot(dialog.get(), "ebook-dialog");
    QSignalSpy finished(dialog.get(), &gui::CEbookDialog::Finished);
    CMessageBoxAnswerer answers;
    QTest::mouseClick(Child<QPushButton>(dialog.get(), "startButton"), Qt::LeftButton);
    QVERIFY(finished.wait(60000));
    QVERIFY2(finished[0][0].toBool(), qPrintable(finished[0][1].toString()));
    SaveScreenshot(dialog.get(), "ebook-dialog-done");
    QCOMPARE(Child<QPushButton>(dialog.get(), "cancelButton")->text(), QStringLiteral("关闭"));
    QVERIFY(FileExists(book));
    std::string contents;
    QVERIFY(ReadFileBytes(root.Path("Temp/CHMTemp/MyLogCHM.hhc"), contents));
    const size_t tech = contents.find("<param name=\"Name\" value=\"Tech\">");
    const size_t life = contents.find("<param name=\"Name\" value=\"生活\">");
    QVERIFY(tech != std::string::npos && life != std::string::npos);
    QVERIFY(contents.find("    <param name=\"Name\" value=\"More tech\">") > tech);
}

void EbookDialogTest::ClosingTheWindowStopsARunningExport() {
    CReaderFixture f;
    QVERIFY(f.Server().Put("/stall.xml", PictureFeed(f.Server(), "/stall")));
    f.WriteOpml({{"Stall", f.Server().Url("/stall.xml"), {}}});
    f.Open();
    f.ReceiveAndWait(f.Find("Stall"));
    auto window = std::make_unique<QWidget>();
    auto* launcher = new gui::CEbookLauncher(f.Session().Root(), &f.Session(), window.get());
    QPointer<gui::CEbookDialog> dialog = launcher->MakeDialogForNode(f.Find("Stall"));
    QVERIFY(dialog);
    launcher->Open(dialog);
    Child<QLineEdit>(dialog, "outputPath")
        ->setText(QString::fromStdString(f.Root().PathOf("closing.chm")));
    QTest::mouseClick(Child<QPushButton>(dialog, "startButton"), Qt::LeftButton);
    QTRY_VERIFY(!f.Server().RequestsFor("/stall").empty());
    // The stalled picture would hold a join for a minute; closing stops it at once.
    QElapsedTimer clock;
    clock.start();
    window.reset();
    QVERIFY2(clock.elapsed() < 20000, "closing waited for the stalled download");
    QVERIFY(dialog.isNull());
    QVERIFY(!FileExists(f.Root().PathOf("closing.chm")));
}

QTEST_MAIN(EbookDialogTest)
#include "ebook_dialog_test.moc"
