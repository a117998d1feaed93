#include "gui/shell/app_startup.h"

#include <pthread.h>
#include <sched.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLibraryInfo>
#include <QLockFile>
#include <QMessageBox>
#include <QQuickWindow>
#include <QThread>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "core/accounts/account_registry.h"
#include "core/articles/blog_store.h"
#include "core/config/app_config.h"
#include "core/config/error_msg_dialog.h"
#include "core/config/proxy.h"
#include "core/db/integrity_check.h"
#include "core/integration/channel_security.h"
#include "core/integration/hand_over.h"
#include "core/net/http_client.h"
#include "core/session/reader_session.h"
#include "core/setup/seed.h"
#include "core/util/data_root.h"
#include "core/util/files.h"
#include "gui/common/qt_message_reporter.h"
#include "gui/library/library_controller.h"
#include "gui/reader/favourites_controller.h"
#include "gui/reader/reader_controller.h"
#include "gui/shell/command_line.h"
#include "gui/shell/local_channel.h"
#include "gui/shell/main_frame.h"
#include "gui/shell/scripted_run.h"
#include "gui/shell/startup_timing.h"
#include "gui/shell/window_bench.h"

#ifndef ZIRVO_VERSION
#define ZIRVO_VERSION "0"
#endif

namespace zirvo::gui {

namespace {

const char kAlreadyRunning[] = "程序已经启动运行!";

void SayAtStartup(const QString& text, bool error) {
    std::fprintf(stderr, "zirvo: %s\n", text.toUtf8().constData());
    if (qEnvironmentVariableIntValue("ZIRVO_NO_DIALOGS") != 0) {
        return;
    }
    QMessageBox box(error ? QMessageBox::Critical : QMessageBox::Information,
                    QApplication::applicationDisplayName(), text, QMessageBox::Ok);
    box.exec();
}

// How long a second start waits for the owner of the root to take its message: the owner may
// still be opening its stores when both were started at once.
constexpr int kHandOverWaitMs = 60000;
constexpr int kHandOverRetryMs = 100;

// The second start with an argument: the argument's bytes (no line end) into Temp/addrss.txt,
// then 2174 to the running instance. Nothing is sent when the file cannot be written. Returns
// false when the owner went away meanwhile and `lock` has become ours.
bool HandOverToRunningInstance(const CDataRoot& root, const QString& argument, QLockFile& lock) {
    const std::string path = root.Path(kHandOverFile);
    std::string error;
    if (!MakeDirectories(root.TempDir(), &error) ||
        !WriteHandOverFile(path, argument.toUtf8().toStdString(), &error)) {
        std::fprintf(stderr, "zirvo: 无法写入交接文件: %s\n", error.c_str());
        return true;
    }
    QElapsedTimer waited;
    waited.start();
    while (!CLocalChannel::Send(QString::fromStdString(root.Dir()),
                                WindowMessage{kMsgSubscriptionHandOver, 0, 0})) {
        if (lock.tryLock(0)) {
            RemoveFile(path);
            return false;
        }
        if (waited.elapsed() > kHandOverWaitMs) {
            std::fprintf(stderr, "zirvo: 正在运行的程序没有接收这个地址\n");
            return true;
        }
        QThread::msleep(kHandOverRetryMs);
    }
    return true;
}

// The calling thread runs only when nothing else wants a processor: a background check that reads
// a whole database must not slow the window, nor the web engine's helper process starting next to
// it, on a machine with two cores.
void RunOnlyWhenIdle() {
    sched_param none{};
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &none);
}

}  // namespace

int RunZirvo(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const CommandLine line = ParseCommandLine(arguments);
    switch (line.action) {
        case CommandLine::Action::Help:
            std::fputs(UsageText().toUtf8().constData(), stdout);
            return 0;
        case CommandLine::Action::Version:
            std::printf("zirvo %s\n", ZIRVO_VERSION);
            return 0;
        case CommandLine::Action::UsageError:
            std::fprintf(stderr, "zirvo: %s\n%s", line.error.toUtf8().constData(),
                         UsageText().toUtf8().constData());
            return 2;
        case CommandLine::Action::Run:
            break;
    }

    // The article pages draw without OpenGL: a shown web view would otherwise put every frame of
    // the whole window through OpenGL, whose first frame alone holds the window thread for a
    // noticeable time where it is rendered in software; a page of text and pictures does not
    // need it. Nothing else of the window draws with OpenGL, so on X11 the web engine's start does
    // not load the system's OpenGL driver either (it would make a context nobody draws with).
    // QT_QUICK_BACKEND and QT_XCB_GL_INTEGRATION still choose otherwise.
    bool withoutOpenGl = false;
    if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND")) {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION")) {
            qputenv("QT_XCB_GL_INTEGRATION", "none");
            withoutOpenGl = true;
        }
    }
    QApplication app(argc, argv);
    if (withoutOpenGl) {
        // The programs started from here (the editor, a browser) choose for themselves.
        qunsetenv("QT_XCB_GL_INTEGRATION");
    }
    QApplication::setApplicationName(QStringLiteral("zirvo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Zirvo"));
    QApplication::setApplicationVersion(QStringLiteral(ZIRVO_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.zirvo.Zirvo"));
    // The interface is Chinese whatever the locale: the standard buttons and dialogs too.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_zh_CN"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }

    const CDataRoot root(CDataRoot::Resolve(line.root.toStdString()));
    const QString rootDir = QString::fromStdString(root.Dir());
    std::string rootError;
    if (!MakeDirectories(root.Dir(), &rootError)) {
        SayAtStartup(QStringLiteral("无法创建数据目录 %1: %2")
                         .arg(rootDir, QString::fromStdString(rootError)),
                     true);
        return 1;
    }
    // One process per data root: whoever holds the lock owns the root. A lock left by a crashed
    // process (its process is gone) is taken over.
    QLockFile lock(QString::fromStdString(root.Path(kRootLockFile)));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
        if (lock.error() != QLockFile::LockFailedError) {
            SayAtStartup(QStringLiteral("数据目录 %1 不可写, 程序无法使用它。请检查目录的权限, "
                                        "或用 --root 指定另一个目录。")
                             .arg(rootDir),
                         true);
            return 1;
        }
        if (line.url.isEmpty()) {
            SayAtStartup(QString::fromUtf8(kAlreadyRunning), false);
            return 0;
        }
        if (HandOverToRunningInstance(root, line.url, lock)) {
            return 0;
        }
    }

    SeedReport seed;
    if (!SeedDataRoot(root, CDataRoot::ShippedDataDir(), seed)) {
        SayAtStartup(QStringLiteral("无法准备数据目录 %1: %2")
                         .arg(rootDir, QString::fromStdString(seed.error)),
                     true);
        return 1;
    }
    // Every relative path of the system is taken relative to the data root.
    QDir::setCurrent(rootDir);

    CQtMessageReporter reporter;
    CErrorMsgDialog messages(root.ErrorMsgPath(), reporter);
    CAppConfig config(root.AppConfigPath(), messages);
    CMainFrame frame(root, config, reporter);
    QString storeError;
    if (!frame.Initialise(storeError)) {
        if (!storeError.isEmpty()) {
            SayAtStartup(QStringLiteral("无法打开数据库: ") + storeError, true);
        }
        return 0;
    }
    ProxySettings proxy;
    if (config.ReadProxySettings(proxy)) {
        SetProcessProxy(proxy);
    }
    reporter.SetParentWindow(&frame);

    CReaderSession session(root.Dir(), reporter);
    if (!session.Open()) {
        SayAtStartup(QString::fromStdString(session.Error()), true);
        return 0;
    }
    CReaderController reader(session, *frame.Commands(), &frame);
    frame.AttachReader(&reader, &session);
    CFavouritesController favourites(session, *frame.Commands(), reader.Page(), &frame);
    frame.AttachFavourites(&favourites);

    // The blog library's own connection to the article store (the frame checked it opens).
    CBlogStore articles(root.Dir());
    if (!articles.Open()) {
        SayAtStartup(
            QStringLiteral("无法打开数据库: ") + QString::fromStdString(articles.GetLastError()),
            true);
        return 0;
    }
    CAccountRegistry registry(root.UserConfigPath(), messages);
    CCurlHttpClient blogHttp;
    const char* caFile = std::getenv("ZIRVO_CA_FILE");
    const LibraryContext libraryContext{root,
                                        config,
                                        messages,
                                        registry,
                                        blogHttp,
                                        articles,
                                        [&frame](int number, qint64 wParam, qint64 lParam) {
                                            frame.OnWindowMessage(number, wParam, lParam);
                                        },
                                        caFile != nullptr ? std::string(caFile) : std::string()};
    CLibraryController library(libraryContext, &frame);
    frame.AttachLibrary(&library);

    CLocalChannel channel(rootDir);
    if (!channel.Listen()) {
        std::fprintf(stderr, "zirvo: 无法建立本地通道 %s (%s), 其他程序无法与本程序通信\n",
                     channel.Name().toUtf8().constData(), channel.Error().toUtf8().constData());
    }
    QObject::connect(&channel, &CLocalChannel::MessageReceived, &frame,
                     &CMainFrame::OnExternalMessage, Qt::QueuedConnection);
    QObject::connect(&channel, &CLocalChannel::MessageRefused, &frame, [](const QString& why) {
        std::fprintf(stderr, "zirvo: 拒绝了一条本地消息: %s\n", why.toUtf8().constData());
    });

    CStartupTiming timing(sinceStart);
    frame.ShowAtStoredPlace();
    timing.WindowShown(&frame);
    timing.PageLoaded(reader.Page());
    // A damaged database opens without complaint; whether every page reads is learnt off the
    // window thread, and said at once rather than when some list fails. Joined before the
    // window goes (the check stops at the closing flag).
    std::jthread integrity([&frame, &root] {
        RunOnlyWhenIdle();
        for (const char* name : {"Storage/rss.db", "Storage/blog.db"}) {
            std::string problem;
            if (CheckDatabaseFile(root.Path(name), problem)) {
                continue;
            }
            const QString text = QString::fromStdString(DamagedDatabaseMessage(name, problem));
            QMetaObject::invokeMethod(
                &frame,
                [&frame, text] {
                    std::fprintf(stderr, "zirvo: %s\n", text.toUtf8().constData());
                    frame.SetStatusText(text);
                    if (qEnvironmentVariableIntValue("ZIRVO_NO_DIALOGS") == 0) {
                        auto* box = new QMessageBox(QMessageBox::Warning,
                                                    QApplication::applicationDisplayName(), text,
                                                    QMessageBox::Ok, &frame);
                        box->setAttribute(Qt::WA_DeleteOnClose);
                        box->open();
                    }
                },
                Qt::QueuedConnection);
        }
    });
    reader.StartupReceive();
    StartScriptedRun(frame, reader, session, sinceStart);
    StartWindowBench(frame, reader, session);
    if (!line.url.isEmpty()) {
        const QString url = line.url;
        QTimer::singleShot(0, &frame, [&frame, url] { frame.OpenHandOver(url); });
    }
    return app.exec();
}

}  // namespace zirvo::gui
