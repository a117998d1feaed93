// A second start of the real program on the same root hands its argument to the running
// instance and exits; without an argument it says the program is running. Two starts at the
// same instant leave one window; a crashed instance's lock is taken over; a socket planted
// under the channel's name gets nothing.

#include <sqlite3.h>
#include <sys/stat.h>
#include <QFile>
#include <QLocalServer>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "core/db/rare_trigrams.h"
#include "core/integration/channel_security.h"
#include "core/integration/hand_over.h"
#include "core/integration/window_message.h"
#include "gui/shell/local_channel.h"
#include "shell_fixture.h"

using namespace zirvo;
using namespace zirvo::gui;
using namespace zirvo::gui::test;

class SingleInstanceTest : public QObject {
    Q_OBJECT

    int RunSecond(const QStringList& args, QString* err = nullptr) {
        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ZIRVO_NO_DIALOGS"), QStringLiteral("1"));
        second.setProcessEnvironment(env);
        second.start(QStringLiteral(ZIRVO_GUI_PATH), args);
        // The second instance only connects, writes and exits: the listening socket's backlog
        // takes its connection without our event loop.
        if (!second.waitForFinished(60000)) {
            second.kill();
            second.waitForFinished();
            return -1;
        }
        if (err != nullptr) {
            *err = QString::fromUtf8(second.readAllStandardError());
        }
        return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -2;
    }

    // Starts the real program on `rootDir` without waiting for it.
    static std::unique_ptr<QProcess> Start(const QStringList& args) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ZIRVO_NO_DIALOGS"), QStringLiteral("1"));
        process->setProcessEnvironment(env);
        process->start(QStringLiteral(ZIRVO_GUI_PATH), args);
        return process;
    }

    static void Stop(QProcess& process) {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(30000);
        }
    }

    // True once an instance on `rootDir` takes messages (its window is up).
    static bool WaitForOwner(const QString& rootDir, QProcess& owner) {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 90000 && owner.state() != QProcess::NotRunning) {
            // 2167 is harmless: the article list re-reads the account's style.
            if (CLocalChannel::Send(rootDir, WindowMessage{kMsgArticleStyleChanged, 0, 0})) {
                return true;
            }
            QTest::qWait(200);
        }
        return false;
    }

private slots:
    void TwoStartsAtTheSameInstantLeaveOneWindow() {
        SeededRoot r;
        QVERIFY(r.seeded);
        const QString rootDir = QString::fromStdString(r.root.Dir());
        auto first = Start({QStringLiteral("--root"), rootDir});
        auto second = Start({QStringLiteral("--root"), rootDir});
        QVERIFY(first->waitForStarted(30000));
        QVERIFY(second->waitForStarted(30000));
        // One of them finds the root taken and ends; the other keeps its window.
        QTRY_VERIFY_WITH_TIMEOUT(
            first->state() == QProcess::NotRunning || second->state() == QProcess::NotRunning,
            90000);
        QProcess& gone = first->state() == QProcess::NotRunning ? *first : *second;
        QProcess& stays = &gone == first.get() ? *second : *first;
        QCOMPARE(gone.exitStatus(), QProcess::NormalExit);
        QCOMPARE(gone.exitCode(), 0);
        QVERIFY2(QString::fromUtf8(gone.readAllStandardError())
                     .contains(QStringLiteral("程序已经启动运行!")),
                 "the second start did not say the program runs");
        QVERIFY(WaitForOwner(rootDir, stays));
        QCOMPARE(stays.state(), QProcess::Running);

        // The owner crashes: its lock stays behind, and the next start takes the root over and
        // opens its own window instead of handing its address to nobody.
        stays.kill();
        QVERIFY(stays.waitForFinished(30000));
        auto next = Start({QStringLiteral("--root"), rootDir,
                           QStringLiteral("http://127.0.0.1:9/after-crash.xml")});
        QVERIFY(WaitForOwner(rootDir, *next));
        QCOMPARE(next->state(), QProcess::Running);
        Stop(*next);
    }

    void ASocketPlantedUnderTheChannelNameGetsNothing() {
        SeededRoot r;
        QVERIFY(r.seeded);
        const QString rootDir = QString::fromStdString(r.root.Dir());
        std::string error;
        const QString name = QString::fromStdString(LocalChannelPath(r.root.Dir(), &error));
        QVERIFY2(!name.isEmpty(), error.c_str());
        QVERIFY(!name.startsWith(QStringLiteral("/tmp/QOVA")));
        // Someone listens under the name while no instance owns the root.
        QLocalServer squatter;
        QVERIFY(squatter.listen(name));
        QSignalSpy reached(&squatter, &QLocalServer::newConnection);
        struct stat planted {};
        QCOMPARE(::stat(name.toUtf8().constData(), &planted), 0);
        auto program = Start({QStringLiteral("--root"), rootDir,
                              QStringLiteral("http://127.0.0.1:9/secret-feed.xml")});
        // The program owns the root, so it does not hand its address over: it replaces the
        // planted socket with its own and runs itself.
        auto replaced = [&] {
            struct stat now {};
            return ::stat(name.toUtf8().constData(), &now) == 0 && now.st_ino != planted.st_ino;
        };
        QTRY_VERIFY_WITH_TIMEOUT(replaced() || program->state() == QProcess::NotRunning, 90000);
        QCoreApplication::processEvents();
        QCOMPARE(reached.count(), 0);
        QVERIFY(WaitForOwner(rootDir, *program));
        QCOMPARE(program->state(), QProcess::Running);
        QVERIFY(!QFile::exists(QString::fromStdString(r.root.Path(kHandOverFile))));
        Stop(*program);
    }

    void RootProblemsSayWhatIsWrong() {
        // A data root where nothing can be written (not even by root): the program says so.
        QString err;
        QCOMPARE(RunSecond({QStringLiteral("--root"), QStringLiteral("/proc/self")}, &err), 1);
        QVERIFY2(err.contains(QStringLiteral("不可写")), qPrintable(err));

        // A damaged article database opens, and the program says at once what is wrong.
        SeededRoot r;
        QVERIFY(r.seeded);
        const std::string db = r.root.RssDbPath();
        sqlite3* handle = nullptr;
        QCOMPARE(sqlite3_open(db.c_str(), &handle), SQLITE_OK);
        QVERIFY(RegisterRareTrigramTokenizer(handle));  // the items' full-text triggers
        QCOMPARE(sqlite3_exec(handle,
                              "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                              "WHERE i < 3000) INSERT INTO rss_data (item_feedid, item_link, "
                              "item_title, item_description) SELECT 1, 'http://127.0.0.1/' || i, "
                              "'t', printf('%0800d', i) FROM n; PRAGMA wal_checkpoint(TRUNCATE);",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(handle);
        {
            QFile file(QString::fromStdString(db));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.size() > 400 * 4096);
            file.seek(300 * 4096);
            file.write(QByteArray(32 * 4096, '\xA5'));
        }
        auto program = Start({QStringLiteral("--root"), QString::fromStdString(r.root.Dir())});
        program->setReadChannel(QProcess::StandardError);
        QByteArray said;
        QElapsedTimer waited;
        waited.start();
        while (!said.contains("已损坏") && waited.elapsed() < 90000 &&
               program->state() != QProcess::NotRunning) {
            program->waitForReadyRead(200);
            said += program->readAllStandardError();
        }
        QVERIFY2(said.contains("Storage/rss.db 已损坏"), said.constData());
        Stop(*program);
    }

    void HandOverKeepsTheTitleAndTheWindowsSize() {
        SeededRoot r;
        QVERIFY(r.seeded);
        WindowPosSettings pos;
        QVERIFY(r.config.ReadWindowPos(pos));
        pos.left = 40;
        pos.top = 30;
        pos.right = 840;
        pos.bottom = 630;
        QVERIFY(r.config.WriteWindowPos(pos));
        auto frame = r.MakeFrame();
        QVERIFY(frame);
        frame->ShowAtStoredPlace();
        QVERIFY(!frame->isMaximized());
        QSignalSpy add(frame.get(), &CMainFrame::AddSubscriptionRequested);
        QVERIFY(WriteHandOverFile(r.root.Path(kHandOverFile),
                                  "qova://rssurl=http://127.0.0.1:9/f.xml?a=1&rsstitle=中文标题",
                                  nullptr));
        frame->OnWindowMessage(kMsgSubscriptionHandOver, 0, 0);
        QCOMPARE(add.count(), 1);
        QCOMPARE(add.first().at(0).toString(), QStringLiteral("http://127.0.0.1:9/f.xml?a=1"));
        QCOMPARE(add.first().at(1).toString(), QStringLiteral("中文标题"));
        QCoreApplication::processEvents();
        QVERIFY(!frame->isMaximized());
        QVERIFY(!(frame->windowState() & Qt::WindowMaximized));
    }

    void APipeAsTheHandOverFileDoesNotHangTheWindow() {
        SeededRoot r;
        QVERIFY(r.seeded);
        auto frame = r.MakeFrame();
        QVERIFY(frame);
        QSignalSpy add(frame.get(), &CMainFrame::AddSubscriptionRequested);
        const std::string path = r.root.Path(kHandOverFile);
        QDir().mkpath(QString::fromStdString(r.root.TempDir()));
        QCOMPARE(::mkfifo(path.c_str(), 0600), 0);
        frame->OnWindowMessage(kMsgSubscriptionHandOver, 0, 0);  // returns: nothing to wait for
        QCOMPARE(add.count(), 0);
    }

    void SecondStartHandsTheAddressOverAndExits() {
        SeededRoot r;
        QVERIFY(r.seeded);
        auto frame = r.MakeFrame();
        QVERIFY(frame);
        const QString rootDir = QString::fromStdString(r.root.Dir());
        // This process owns the root, as the running instance would.
        QLockFile lock(QString::fromStdString(r.root.Path(kRootLockFile)));
        QVERIFY(lock.tryLock(0));
        CLocalChannel channel(rootDir);
        QVERIFY(channel.Listen());
        connect(&channel, &CLocalChannel::MessageReceived, frame.get(),
                &CMainFrame::OnExternalMessage, Qt::QueuedConnection);
        QSignalSpy handOver(frame.get(), &CMainFrame::HandOverReceived);

        const QString url = QStringLiteral("qova://http://127.0.0.1:9/feed.xml?a=1&b=中文");
        QCOMPARE(RunSecond({QStringLiteral("--root"), rootDir, url}), 0);
        QTRY_COMPARE_WITH_TIMEOUT(handOver.count(), 1, 30000);
        QCOMPARE(handOver.first().first().toString(), url);
        QVERIFY(!QFile::exists(QString::fromStdString(r.root.Path("Temp/addrss.txt"))));

        QString err;
        QCOMPARE(RunSecond({QStringLiteral("--root"), rootDir}, &err), 0);
        QVERIFY2(err.contains(QStringLiteral("程序已经启动运行!")), qPrintable(err));
        QCoreApplication::processEvents();
        QCOMPARE(handOver.count(), 1);
    }

    void RubbishInTheHandOverFileIsNotTakenOver() {
        SeededRoot r;
        auto frame = r.MakeFrame();
        QVERIFY(frame);
        QSignalSpy handOver(frame.get(), &CMainFrame::HandOverReceived);
        const QString path = QString::fromStdString(r.root.Path("Temp/addrss.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(200 * 1024, 'x'));
        file.close();
        frame->OnWindowMessage(kMsgSubscriptionHandOver, 0, 0);
        QCOMPARE(handOver.count(), 0);
        QVERIFY(!QFile::exists(path));
        // No file at all: nothing happens either.
        frame->OnWindowMessage(kMsgSubscriptionHandOver, 0, 0);
        QCOMPARE(handOver.count(), 0);
    }

    void UsageErrorsExitTwoWithoutCreatingARoot() {
        zirvo::test::TempDir dir("gui-args");
        const QString root = QString::fromStdString(dir.PathOf("never"));
        QCOMPARE(RunSecond({QStringLiteral("--rot"), root}), 2);
        QCOMPARE(RunSecond({QStringLiteral("--root")}), 2);
        QVERIFY(!QFile::exists(root));
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
