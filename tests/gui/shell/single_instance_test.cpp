// A second start of the real program on the same root hands its argument to the running
// instance and exits; without an argument it says the program is running.

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

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

private slots:
    void SecondStartHandsTheAddressOverAndExits() {
        SeededRoot r;
        QVERIFY(r.seeded);
        auto frame = r.MakeFrame();
        QVERIFY(frame);
        const QString rootDir = QString::fromStdString(r.root.Dir());
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
