// The browser menu's "添加" and "移除" against temporary XDG folders (never the user's own):
// the handler entry and the defaults written and taken out with their messages, nothing said
// when nothing was registered, and the registered Exec line, run as the desktop would run it
// for a qova: link, handing the address over to the running instance.

#include <QLockFile>
#include <QMessageBox>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include "core/integration/channel_security.h"
#include "core/integration/hand_over.h"
#include "core/integration/url_handler.h"
#include "core/util/files.h"
#include "gui/shell/command_table.h"
#include "gui/shell/local_channel.h"
#include "shell_fixture.h"

using namespace zirvo;
using namespace zirvo::gui;
using namespace zirvo::gui::test;

namespace {

// The arguments of an Exec line as the desktop splits them (quoted arguments, the escapes of a
// quoted argument and of the string value), with %u replaced by `url`.
QStringList ExecArguments(const std::string& entry, const QString& url) {
    const size_t start = entry.find("\nExec=");
    const size_t end = entry.find('\n', start + 1);
    std::string line = entry.substr(start + 6, end - start - 6);
    QStringList args;
    QString current;
    bool quoted = false;
    bool any = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\\' && i + 1 < line.size() && line[i + 1] == '\\') {
            // The string value's "\\" is one backslash, which in a quoted argument escapes
            // the character after it.
            i += 2;
            if (i < line.size()) {
                current += QLatin1Char(line[i]);
            }
            continue;
        }
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (c == ' ' && !quoted) {
            if (any || !current.isEmpty()) {
                args << current;
            }
            current.clear();
            any = false;
        } else {
            current += QLatin1Char(c);
        }
    }
    if (any || !current.isEmpty()) {
        args << current;
    }
    for (QString& arg : args) {
        if (arg == QStringLiteral("%u")) {
            arg = url;
        }
    }
    return args;
}

}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT

    zirvo::test::TempDir m_xdg{"xdg"};

private slots:
    void initTestCase() {
        // Everything below writes into these folders only.
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(m_xdg.PathOf("data")));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_xdg.PathOf("config")));
    }

    void AddAndRemoveWriteAndTakeOutTheHandler() {
        SeededRoot r;
        QVERIFY(r.seeded);
        auto frame = r.MakeFrame();
        QVERIFY(frame);
        QSignalSpy shown(&r.reporter, &CQtMessageReporter::MessageShown);
        const std::string entry = m_xdg.PathOf("data/applications/zirvo-url-handler.desktop");

        // Nothing registered: 移除 says nothing.
        frame->Commands()->Action(kCmdBrowserMenuRemove)->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(shown.count(), 0);

        QVERIFY(frame->Commands()->Action(kCmdBrowserMenuAdd)->isEnabled());
        AnswerNextModal([](QWidget* box) { box->close(); });
        frame->Commands()->Action(kCmdBrowserMenuAdd)->trigger();
        QCOMPARE(shown.count(), 1);
        QCOMPARE(shown.at(0).at(0).toString(), QString::fromUtf8(kAddedMessage));
        QVERIFY(FileExists(entry));
        QVERIFY(UrlHandlerRegistered(UserXdgDirs()));
        std::string text;
        QVERIFY(ReadFileBytes(entry, text));
        QVERIFY2(text.find(r.root.Dir()) != std::string::npos, text.c_str());

        AnswerNextModal([](QWidget* box) { box->close(); });
        frame->Commands()->Action(kCmdBrowserMenuRemove)->trigger();
        QCOMPARE(shown.count(), 2);
        QCOMPARE(shown.at(1).at(0).toString(), QString::fromUtf8(kRemovedMessage));
        QVERIFY(!FileExists(entry));
        QVERIFY(!UrlHandlerRegistered(UserXdgDirs()));
    }

    void TheRegisteredCommandHandsAQovaLinkOver() {
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

        std::string error;
        QVERIFY2(RegisterUrlHandler(UserXdgDirs(), ZIRVO_GUI_PATH, r.root.Dir(), error),
                 error.c_str());
        std::string entry;
        QVERIFY(ReadFileBytes(m_xdg.PathOf("data/applications/zirvo-url-handler.desktop"), entry));
        const QString link = QStringLiteral("qova://rssurl=http://127.0.0.1:9/f.xml&RSSTITLE=新闻");
        QStringList args = ExecArguments(entry, link);
        QCOMPARE(args.size(), 4);
        QCOMPARE(args.at(0), QStringLiteral(ZIRVO_GUI_PATH));
        QCOMPARE(args.at(2), rootDir);
        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ZIRVO_NO_DIALOGS"), QStringLiteral("1"));
        second.setProcessEnvironment(env);
        second.start(args.takeFirst(), args);
        QVERIFY(second.waitForFinished(60000));
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(handOver.count(), 1, 30000);
        QCOMPARE(handOver.first().first().toString(), link);
        // The running instance reads both keys whatever their letter case.
        const HandOverRequest request = ParseHandOverString(link.toStdString());
        QCOMPARE(request.url, std::string("http://127.0.0.1:9/f.xml"));
        QCOMPARE(request.title, std::string("新闻"));
        QCOMPARE(UnregisterUrlHandler(UserXdgDirs(), error), UnregisterResult::Removed);
    }
};

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
