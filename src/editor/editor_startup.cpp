#include "editor/editor_startup.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>

#include "core/accounts/account_registry.h"
#include "core/accounts/local_login.h"
#include "core/articles/blog_store.h"
#include "core/config/app_config.h"
#include "core/config/error_msg_dialog.h"
#include "core/config/proxy.h"
#include "core/net/http_client.h"
#include "core/setup/seed.h"
#include "core/util/data_root.h"
#include "core/util/files.h"
#include "editor/editor_context.h"
#include "editor/editor_frame.h"
#include "gui/common/qt_message_reporter.h"
#include "gui/library/account_chooser_dialog.h"
#include "gui/library/local_login_dialog.h"

#ifndef ZIRVO_VERSION
#define ZIRVO_VERSION "0"
#endif

namespace zirvo::editor {

namespace {

const char kUsage[] =
    "usage: editor [--root DIR]\n"
    "  The post editor of Zirvo. The main program starts it for one article; started by hand\n"
    "  it asks for the account to write for.\n"
    "  --root DIR   the data root (default: $ZIRVO_HOME, else $XDG_DATA_HOME/zirvo)\n";

struct Arguments {
    bool ok = true;
    bool help = false;
    std::string root;
    std::string error;
};

Arguments ParseArguments(int argc, char** argv) {
    Arguments arguments;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            arguments.help = true;
        } else if (argument == "--root" && i + 1 < argc) {
            arguments.root = argv[++i];
        } else if (argument.rfind("--root=", 0) == 0 && argument.size() > 7) {
            arguments.root = argument.substr(7);
        } else {
            arguments.ok = false;
            arguments.error = "unknown argument: " + argument;
        }
    }
    return arguments;
}

}  // namespace

StartChoice ChooseTask(const std::string& dataRoot, CAccountRegistry& registry,
                       CErrorMsgDialog& messages, EditorTask& task,
                       std::set<std::string>& verified) {
    switch (ReadTask(EditorTaskPath(dataRoot), task, messages)) {
        case TaskReadResult::kTask:
            return StartChoice::kTask;
        case TaskReadResult::kAbort:
            return StartChoice::kEnd;
        case TaskReadResult::kStandalone:
            break;
    }
    std::vector<std::string> names;
    if (!registry.ListAccountNames(names)) {
        names.clear();
    }
    std::string account;
    switch (ChooseStandaloneStart(names)) {
        case StandaloneChoice::kNoAccount:
            messages.ShowMessageBox(kTextOpenMainProgram);
            return StartChoice::kEnd;
        case StandaloneChoice::kSingle:
            account = names.front();
            break;
        case StandaloneChoice::kAskUser: {
            gui::CAccountChooserDialog chooser(messages, names);
            if (chooser.exec() != QDialog::Accepted) {
                return StartChoice::kEnd;
            }
            account = chooser.Chosen();
            break;
        }
    }
    LoginSettings login;
    if (!registry.ReadLoginSettings(account, login)) {
        return StartChoice::kEnd;
    }
    if (NeedsLocalLogin(login)) {
        std::string entered;
        if (!gui::AskLocalPassword(messages, QString::fromStdString(account), nullptr, entered)) {
            return StartChoice::kEnd;
        }
        const LoginCheck check = VerifyLocalLogin(login, entered);
        if (check.verdict != LoginVerdict::kPass) {
            messages.ShowMessageBox(check.message);
            return StartChoice::kEnd;
        }
    }
    verified.insert(account);
    task = StandaloneTask(account, names);
    return StartChoice::kTask;
}

int RunEditor(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    const Arguments arguments = ParseArguments(argc, argv);
    if (arguments.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!arguments.ok) {
        std::fprintf(stderr, "editor: %s\n%s", arguments.error.c_str(), kUsage);
        return 2;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zirvo-editor"));
    QApplication::setApplicationDisplayName(QStringLiteral("Zirvo 日志编辑器"));
    QApplication::setApplicationVersion(QStringLiteral(ZIRVO_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.zirvo.Zirvo.Editor"));
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_zh_CN"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }

    const CDataRoot root(CDataRoot::Resolve(arguments.root));
    std::string rootError;
    SeedReport seed;
    if (!MakeDirectories(root.Dir(), &rootError) ||
        !SeedDataRoot(root, CDataRoot::ShippedDataDir(), seed)) {
        std::fprintf(stderr, "editor: 无法准备数据目录 %s: %s\n", root.Dir().c_str(),
                     rootError.empty() ? seed.error.c_str() : rootError.c_str());
        return 1;
    }
    QDir::setCurrent(QString::fromStdString(root.Dir()));

    gui::CQtMessageReporter reporter;
    CErrorMsgDialog messages(root.ErrorMsgPath(), reporter);
    CAppConfig config(root.AppConfigPath(), messages);
    CBlogStore store(root.Dir());
    if (!store.Open()) {
        std::fprintf(stderr, "editor: 无法打开数据库: %s\n", store.GetLastError().c_str());
        return 0;
    }
    CAccountRegistry registry(root.UserConfigPath(), messages);
    EditorTask task;
    std::set<std::string> verified;
    if (ChooseTask(root.Dir(), registry, messages, task, verified) != StartChoice::kTask) {
        return 0;
    }
    std::string flavour;
    if (!registry.ReadAccountValue(task.account, "blogapitype", flavour)) {
        return 0;
    }
    ProxySettings proxy;
    if (config.ReadProxySettings(proxy)) {
        SetProcessProxy(proxy);
    }
    CCurlHttpClient http;
    const char* caFile = std::getenv("ZIRVO_CA_FILE");
    const EditorContext context{root,
                                config,
                                messages,
                                registry,
                                http,
                                store,
                                MainWindowPoster(root),
                                caFile != nullptr ? std::string(caFile) : std::string()};
    int exitCode = 0;
    {
        CEditorFrame frame(context, task, flavour, verified);
        reporter.SetParentWindow(&frame);
        // The window is up before the web engine starts: the page fills it a moment later.
        frame.ShowAtStoredPlace();
        const bool timings = qEnvironmentVariableIntValue("ZIRVO_TIMINGS") != 0;
        if (timings) {
            std::fprintf(stderr, "editor-timing shown %lld at %lld\n",
                         static_cast<long long>(sinceStart.elapsed()),
                         static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
        }
        QTimer::singleShot(0, &frame, [&frame, &sinceStart, timings] {
            frame.Start();
            if (timings) {
                QObject::connect(frame.View(), &CEditorHtmlView::pageLoaded, &frame,
                                 [&sinceStart](bool ok) {
                                     std::fprintf(stderr, "editor-timing page-loaded %lld %s\n",
                                                  static_cast<long long>(sinceStart.elapsed()),
                                                  ok ? "ok" : "failed");
                                 });
            }
        });
        exitCode = app.exec();
        reporter.SetParentWindow(nullptr);
        reporter.Shutdown();
    }
    return exitCode;
}

}  // namespace zirvo::editor
