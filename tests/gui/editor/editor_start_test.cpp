// How an editor starts (the hand-over file, or the user's choice of account and its password)
// and how the main program's blog tree follows what the editor stores.

#include <QListWidget>
#include <QTimer>

#include "core/editorlink/editor_document.h"
#include "core/editorlink/editor_task.h"
#include "core/util/files.h"
#include "editor/editor_startup.h"
#include "editor_window_fixture.h"
#include "gui/library/blog_tree_widget.h"
#include "gui/shell/local_channel.h"

using zirvo::gui::test::CModalAnswerer;
using zirvo::test::CBlogServer;

namespace zirvo::editor::test {

class EditorStartTest : public QObject {
    Q_OBJECT

private slots:
    void AHandOverFileIsReadOnceAndABrokenOneEndsTheEditor() {
        EditorRoot r;
        CBlogServer server;
        QVERIFY(r.ok && server.Ok());
        QVERIFY(r.AddAccount("home", server));
        QVERIFY(r.AddAccount("work", server));
        const std::string path = EditorTaskPath(r.root.Dir());
        QVERIFY(WriteArticleTask(path, kBlogFolderDrafts, "17", "work", {"home", "work"}));
        CModalAnswerer answers;
        EditorTask task;
        std::set<std::string> verified;
        QCOMPARE(ChooseTask(r.root.Dir(), r.registry, r.messages, task, verified),
                 StartChoice::kTask);
        QVERIFY(!FileExists(path));
        QCOMPARE(task.processType, int(kTaskEditDraft));
        QCOMPARE(task.index, std::string("17"));
        QCOMPARE(task.draftFolderTreeId, 1130);
        QCOMPARE(task.publishFolderTreeId, 1120);

        // A draft task without its index: message 7001, and the editor ends.
        r.dir.WriteFile("Temp/subprocess.xml",
                        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root><processtype>3"
                        "</processtype><account>home</account><publishfoldertreeid>1020"
                        "</publishfoldertreeid><draftfoldertreeid>1030</draftfoldertreeid>"
                        "</root>");
        QSignalSpy shown(&r.reporter, &gui::CQtMessageReporter::MessageShown);
        QCOMPARE(ChooseTask(r.root.Dir(), r.registry, r.messages, task, verified),
                 StartChoice::kEnd);
        QCOMPARE(shown.size(), 1);
        QVERIFY(!FileExists(path));

        // Rubbish is no task at all: the editor asks for an account (two here: the chooser).
        r.dir.WriteFile("Temp/subprocess.xml", "\x01\x02 not xml <<<");
        answers.ignore << QStringLiteral("CAccountChooserDialog");
        QTimer::singleShot(300, [] {
            auto* chooser = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(chooser != nullptr);
            auto* list = chooser->findChild<QListWidget*>(QStringLiteral("accountList"));
            list->setCurrentRow(1);
            chooser->accept();
        });
        QCOMPARE(ChooseTask(r.root.Dir(), r.registry, r.messages, task, verified),
                 StartChoice::kTask);
        QCOMPARE(task.processType, int(kTaskNewArticle));
        QCOMPARE(task.account, std::string("work"));
        QCOMPARE(task.accounts.size(), size_t{2});
        // A stand-alone editor's codes change nothing in a main program.
        QCOMPARE(task.draftFolderTreeId, 0);
        QCOMPARE(task.accounts[0].treeId, 0);
    }

    void StandAloneStartsTakeTheOnlyAccountAndAskItsPassword() {
        EditorRoot r;
        CBlogServer server;
        QVERIFY(r.ok && server.Ok());
        CModalAnswerer answers;
        EditorTask task;
        std::set<std::string> verified;
        QCOMPARE(ChooseTask(r.root.Dir(), r.registry, r.messages, task, verified),
                 StartChoice::kEnd);
        QVERIFY(answers.Saw(QString::fromUtf8(kTextOpenMainProgram)));

        QVERIFY(r.AddAccount("home", server));
        QCOMPARE(ChooseTask(r.root.Dir(), r.registry, r.messages, task, verified),
                 StartChoice::kTask);
        QCOMPARE(task.account, std::string("home"));

        QVERIFY(r.registry.WriteLoginSettings("home", kLoginLocalPassword, "本机密码"));
        answers.passwords << QStringLiteral("wrong");
        answers.texts.clear();
        QCOMPARE(ChooseTask(r.root.Dir(), r.registry, r.messages, task, verified),
                 StartChoice::kEnd);
        QVERIFY(answers.Saw(QStringLiteral("密码错误!")));
        answers.passwords << QStringLiteral("本机密码");
        verified.clear();
        QCOMPARE(ChooseTask(r.root.Dir(), r.registry, r.messages, task, verified),
                 StartChoice::kTask);
        QVERIFY(verified.count("home") == 1);
        // Cancelling the password ends the editor.
        QCOMPARE(ChooseTask(r.root.Dir(), r.registry, r.messages, task, verified),
                 StartChoice::kEnd);
    }

    void TheMainProgramsTreeCountsFollowTheEditor() {
        zirvo::gui::test::LibraryRoot main;
        CBlogServer server;
        QVERIFY(main.ok && server.Ok());
        QVERIFY(main.AddAccount("home", server));
        QVERIFY(main.AddAccount("work", server));
        gui::CLocalChannel channel(QString::fromStdString(main.root.Dir()));
        QVERIFY2(channel.Listen(), qPrintable(channel.Error()));
        connect(&channel, &gui::CLocalChannel::MessageReceived, main.frame.get(),
                &gui::CMainFrame::OnExternalMessage, Qt::QueuedConnection);
        gui::CBlogTreeWidget* tree = main.library->Tree();
        QCOMPARE(tree->Count(1130), 0);

        CModalAnswerer answers;
        answers.ignore << QStringLiteral("CPublishProgressWindow");
        const EditorContext context{main.root,
                                    main.config,
                                    main.messages,
                                    main.registry,
                                    main.http,
                                    main.store,
                                    MainWindowPoster(main.root),
                                    std::string()};
        EditorTask task;
        task.processType = kTaskNewArticle;
        task.account = "work";
        task.publishFolderTreeId = 1120;
        task.draftFolderTreeId = 1130;
        task.accounts = {{"home", 1000}, {"work", 1100}};
        auto frame = std::make_unique<CEditorFrame>(context, task, "MetaWeblog",
                                                    std::set<std::string>{"work"});
        frame->Start();
        QSignalSpy loaded(frame->View(), &CEditorHtmlView::pageLoaded);
        frame->ShowAtStoredPlace();
        QTRY_VERIFY_WITH_TIMEOUT(!frame->Busy(), 30000);
        QVERIFY(frame->View()->IsPageLoaded() || loaded.wait(60000));

        QVERIFY(EditorRoot::SetContent(*frame, QStringLiteral("<p>草稿 draft</p>")));
        QCOMPARE(EditorRoot::Run(*frame, kCmdSaveDraft), std::optional<bool>(true));
        QTRY_COMPARE_WITH_TIMEOUT(tree->Count(1130), 1, 10000);
        QCOMPARE(EditorRoot::Run(*frame, kCmdPublish), std::optional<bool>(true));
        QTRY_COMPARE_WITH_TIMEOUT(tree->Count(1120), 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(tree->Count(1130), 0, 10000);
        QCOMPARE(tree->Count(1020), 0);
        frame.reset();
    }
};

}  // namespace zirvo::editor::test

QTEST_MAIN(zirvo::editor::test::EditorStartTest)
#include "editor_start_test.moc"
