#include "gui/shell/app_startup.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>

#include "core/accounts/account_registry.h"
#include "core/articles/blog_store.h"
#include "core/config/app_config.h"
#include "core/config/error_msg_dialog.h"
#include "core/config/proxy.h"
#include "core/integration/hand_over.h"
#include "core/net/http_client.h"
#include "core/session/reader_session.h"
#include "core/setup/seed.h"
#include "core/util/data_root.h"
#include "gui/common/qt_message_reporter.h"
#include "gui/library/library_controller.h"
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

// The second start with an argument: the argument's bytes (no line end) into Temp/addrss.txt,
// then 2174 to the running instance. Nothing is sent when the file cannot be written.
void HandOverToRunningInstance(const CDataRoot& root, const QString& argument) {
    QDir().mkpath(QString::fromStdString(root.TempDir()));
    QFile file(QString::fromStdString(root.Path("Temp/addrss.txt")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "zirvo: cannot write %s\n", file.fileName().toUtf8().constData());
        return;
    }
    const QByteArray bytes = argument.toUtf8();
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    if (!written) {
        file.remove();
        return;
    }
    if (!CLocalChannel::Send(QString::fromStdString(root.Dir()),
                             WindowMessage{kMsgSubscriptionHandOver, 0, 0})) {
        std::fprintf(stderr, "zirvo: the running instance did not take the address\n");
    }
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

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zirvo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Zirvo"));
    QApplication::setApplicationVersion(QStringLiteral(ZIRVO_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("zirvo"));
    // The interface is Chinese whatever the locale: the standard buttons and dialogs too.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_zh_CN"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }

    const CDataRoot root(CDataRoot::Resolve(line.root.toStdString()));
    const QString rootDir = QString::fromStdString(root.Dir());
    if (CLocalChannel::IsRunning(rootDir)) {
        if (line.url.isEmpty()) {
            SayAtStartup(QString::fromUtf8(kAlreadyRunning), false);
        } else {
            HandOverToRunningInstance(root, line.url);
        }
        return 0;
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
            SayAtStartup(storeError, true);
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
    CReaderController reader(session, &frame);
    frame.AttachReader(&reader, &session);

    // The blog library's own connection to the article store (the frame checked it opens).
    CBlogStore articles(root.Dir());
    if (!articles.Open()) {
        SayAtStartup(QString::fromStdString(articles.GetLastError()), true);
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
        std::fprintf(stderr, "zirvo: cannot listen on %s; other programs cannot reach this one\n",
                     channel.Name().toUtf8().constData());
    }
    QObject::connect(&channel, &CLocalChannel::MessageReceived, &frame,
                     &CMainFrame::OnExternalMessage, Qt::QueuedConnection);
    QObject::connect(&channel, &CLocalChannel::MessageRefused, &frame, [](const QString& why) {
        std::fprintf(stderr, "zirvo: refused a local message: %s\n", why.toUtf8().constData());
    });
    // The hand-over string ("qova://...", "rssurl=...&rsstitle=...", a plain address) gives
    // the address the add-subscription dialog opens with.
    auto openAdd = [&frame](const QString& handOver) {
        const HandOverRequest request = ParseHandOverString(handOver.toStdString());
        if (!request.url.empty()) {
            emit frame.AddSubscriptionRequested(QString::fromStdString(request.url));
        }
    };
    QObject::connect(&frame, &CMainFrame::HandOverReceived, &frame, openAdd);

    CStartupTiming timing(sinceStart);
    frame.ShowAtStoredPlace();
    timing.WindowShown(&frame);
    reader.StartupReceive();
    StartScriptedRun(frame, reader, session, sinceStart);
    StartWindowBench(frame, reader, session);
    if (!line.url.isEmpty()) {
        const QString url = line.url;
        QTimer::singleShot(0, &frame, [openAdd, url] { openAdd(url); });
    }
    return app.exec();
}

}  // namespace zirvo::gui
