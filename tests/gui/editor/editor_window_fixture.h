#pragma once
// An editor window on a seeded data root with a loopback blog server: accounts, tasks, the
// messages the window posts to the main program, and waits for the window's asynchronous
// commands. Modal boxes are answered by CModalAnswerer (the blog library's tests' helper).

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>
#include <memory>
#include <optional>
#include <tuple>
#include <vector>

#include "core/accounts/account_registry.h"
#include "core/articles/blog_store.h"
#include "core/config/app_config.h"
#include "core/config/error_msg_dialog.h"
#include "core/editorlink/blog_tree_code.h"
#include "core/net/http_client.h"
#include "core/setup/seed.h"
#include "core/util/data_root.h"
#include "editor/editor_frame.h"
#include "gui/common/qt_message_reporter.h"
#include "library_fixture.h"
#include "support/blog_server.h"
#include "support/temp_dir.h"

namespace zirvo::editor::test {

using Posted = std::tuple<int, qint64, qint64>;

template <typename T>
bool WaitFor(const std::optional<T>& value, int ms = 60000) {
    QElapsedTimer waited;
    waited.start();
    while (!value && waited.elapsed() < ms) {
        QTest::qWait(10);
    }
    return value.has_value();
}

struct EditorRoot {
    zirvo::test::TempDir dir{"editor"};
    CDataRoot root{dir.Path()};
    gui::CQtMessageReporter reporter;
    zirvo::CErrorMsgDialog messages{root.ErrorMsgPath(), reporter};
    CAppConfig config{root.AppConfigPath(), messages};
    CAccountRegistry registry{root.UserConfigPath(), messages};
    CCurlHttpClient http;
    CBlogStore store{root.Dir()};
    std::vector<Posted> posted;
    bool ok = false;

    EditorRoot() {
        SeedReport report;
        ok = SeedDataRoot(root, CDataRoot::ShippedDataDir(), report) && store.Open();
    }

    EditorContext Context() {
        return EditorContext{root,
                             config,
                             messages,
                             registry,
                             http,
                             store,
                             [this](int number, qint64 wParam, qint64 lParam) {
                                 posted.emplace_back(number, wParam, lParam);
                             },
                             std::string()};
    }

    bool AddAccount(const std::string& name, const zirvo::test::CBlogServer& server,
                    const std::string& apiType = "MetaWeblog", const std::string& password = "",
                    const std::string& url = "") {
        NewAccount account;
        account.name = name;
        account.description = name + " 的博客";
        account.xmlrpcUrl = url.empty() ? server.Url("/RPC2") : url;
        account.port = std::to_string(server.Port());
        account.apiType = apiType;
        account.userName = server.Options().user;
        account.password = password.empty() ? server.Options().password : password;
        account.blogUrl = "http://127.0.0.1/";
        account.encodeType = "UTF-8";
        return registry.AddAccount(account) != 0;
    }

    // The task the main program writes for `account` (the second of the registry, when two).
    EditorTask Task(int kind, const std::string& account, const std::string& index = "") {
        std::vector<std::string> names;
        registry.ListAccountNames(names);
        EditorTask task;
        task.processType = kind;
        task.account = account;
        task.index = index;
        for (size_t i = 0; i < names.size(); ++i) {
            task.accounts.push_back({names[i], BlogTreeCode(static_cast<int>(i), 0)});
            if (names[i] == account) {
                task.publishFolderTreeId = BlogTreeCode(static_cast<int>(i), kTreePublished);
                task.draftFolderTreeId = BlogTreeCode(static_cast<int>(i), kTreeDrafts);
            }
        }
        return task;
    }

    // A window on the task, shown, with its page loaded (null when the page never loaded).
    std::unique_ptr<CEditorFrame> Open(const EditorTask& task, const std::string& flavour,
                                       EditorContext context) {
        auto frame = std::make_unique<CEditorFrame>(context, task, flavour,
                                                    std::set<std::string>{task.account});
        frame->Start();
        QSignalSpy loaded(frame->View(), &CEditorHtmlView::pageLoaded);
        frame->ShowAtStoredPlace();
        if (!WaitIdle(*frame) || (!frame->View()->IsPageLoaded() && !loaded.wait(60000))) {
            return nullptr;
        }
        return frame;
    }
    std::unique_ptr<CEditorFrame> Open(const EditorTask& task, const std::string& flavour) {
        return Open(task, flavour, Context());
    }

    // Waits until no worker runs (the start-up category fetch, a command's job).
    static bool WaitIdle(CEditorFrame& frame, int ms = 60000) {
        QElapsedTimer waited;
        waited.start();
        while (frame.Busy() && waited.elapsed() < ms) {
            QTest::qWait(10);
        }
        return !frame.Busy();
    }

    // Runs a command and waits for its end; its outcome, or nullopt when it never ended.
    static std::optional<bool> Run(CEditorFrame& frame, int command, int ms = 60000) {
        QSignalSpy finished(&frame, &CEditorFrame::CommandFinished);
        frame.Run(command);
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < ms) {
            for (const QList<QVariant>& args : finished) {
                if (args.at(0).toInt() == command) {
                    return args.at(1).toBool();
                }
            }
            QTest::qWait(10);
        }
        return std::nullopt;
    }

    static bool SetContent(CEditorFrame& frame, const QString& html) {
        std::optional<bool> answer;
        frame.View()->SetContent(html, [&answer](bool done) { answer = done; });
        return WaitFor(answer) && *answer;
    }

    static QString Content(CEditorFrame& frame) {
        std::optional<std::optional<QString>> answer;
        frame.View()->GetContent([&answer](std::optional<QString> html) { answer = html; });
        if (!WaitFor(answer)) {
            return QStringLiteral("<timeout>");
        }
        return answer->value_or(QStringLiteral("<failed>"));
    }

    int Count(int folder, const std::string& account) {
        int count = -1;
        store.CountArticles(folder, account, count);
        return count;
    }

    BlogArticleList Articles(int folder, const std::string& account) {
        BlogArticleList list;
        store.ListArticles(folder, account, list, 100, 0);
        return list;
    }
};

// The requests of one method the server received.
inline int CountCalls(const zirvo::test::CBlogServer& server, const std::string& method) {
    int count = 0;
    for (const auto& request : server.Requests()) {
        if (request.body.find("<methodName>" + method + "</methodName>") != std::string::npos) {
            ++count;
        }
    }
    return count;
}

}  // namespace zirvo::editor::test
