#pragma once
// A seeded data root with a main window, its blog library and a loopback blog server, and a
// helper that answers the message boxes and dialogs the code under test opens.

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "core/accounts/account_registry.h"
#include "core/accounts/new_account_wizard.h"
#include "core/articles/blog_store.h"
#include "core/config/app_config.h"
#include "core/config/error_msg_dialog.h"
#include "core/net/http_client.h"
#include "core/setup/seed.h"
#include "core/util/data_root.h"
#include "gui/common/qt_message_reporter.h"
#include "gui/library/library_controller.h"
#include "gui/shell/main_frame.h"
#include "support/blog_server.h"
#include "support/temp_dir.h"

namespace zirvo::gui::test {

// Answers every modal window that appears while it lives: message boxes are recorded and
// closed with their default button (or `answer`, when set, for questions), password dialogs get
// the next queued password.
class CModalAnswerer : public QObject {
public:
    CModalAnswerer() {
        m_timer.setInterval(15);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { Poll(); });
        m_timer.start();
    }

    QStringList texts;
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    QStringList passwords;  // for the local password dialogs, in order; cancel when empty
    QStringList ignore;     // object names of dialogs the test answers itself

    bool Saw(const QString& text) const { return texts.contains(text); }

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            return;
        }
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            texts << box->text();
            if (box->button(answer) != nullptr) {
                box->button(answer)->click();
            } else {
                box->done(QMessageBox::Ok);
                box->close();
            }
            return;
        }
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (dialog == nullptr || ignore.contains(dialog->objectName())) {
            return;
        }
        if (dialog->objectName() == QLatin1String("CLocalLoginDialog")) {
            if (passwords.isEmpty()) {
                dialog->reject();
                return;
            }
            dialog->findChild<QLineEdit*>(QStringLiteral("passwordEdit"))
                ->setText(passwords.takeFirst());
            dialog->accept();
            return;
        }
        // The numbered message dialog and anything else: record its title, close it.
        texts << dialog->windowTitle();
        dialog->reject();
    }

    QTimer m_timer;
};

struct LibraryRoot {
    zirvo::test::TempDir dir{"library"};
    CDataRoot root{dir.Path()};
    CQtMessageReporter reporter;
    zirvo::CErrorMsgDialog messages{root.ErrorMsgPath(), reporter};
    CAppConfig config{root.AppConfigPath(), messages};
    CAccountRegistry registry{root.UserConfigPath(), messages};
    CCurlHttpClient http;
    CBlogStore store{root.Dir()};
    std::unique_ptr<CMainFrame> frame;
    std::unique_ptr<CLibraryController> library;
    bool ok = false;

    LibraryRoot() {
        SeedReport report;
        if (!SeedDataRoot(root, CDataRoot::ShippedDataDir(), report)) {
            return;
        }
        frame = std::make_unique<CMainFrame>(root, config, reporter);
        QString error;
        if (!frame->Initialise(error) || !store.Open()) {
            return;
        }
        CMainFrame* window = frame.get();
        LibraryContext context{root,
                               config,
                               messages,
                               registry,
                               http,
                               store,
                               [window](int number, qint64 wParam, qint64 lParam) {
                                   window->OnWindowMessage(number, wParam, lParam);
                               },
                               std::string()};
        library = std::make_unique<CLibraryController>(context, window);
        frame->AttachLibrary(library.get());
        ok = true;
    }

    ~LibraryRoot() {
        if (library) {
            library->Shutdown();
        }
        library.reset();
        frame.reset();
    }

    LibraryContext Context() {
        CMainFrame* window = frame.get();
        return LibraryContext{root,
                              config,
                              messages,
                              registry,
                              http,
                              store,
                              [window](int number, qint64 wParam, qint64 lParam) {
                                  window->OnWindowMessage(number, wParam, lParam);
                              },
                              std::string()};
    }

    CBlogStore& Store() { return store; }

    // Registers an account on `server` as the wizard would, and tells the tree.
    bool AddAccount(const std::string& name, const zirvo::test::CBlogServer& server,
                    const std::string& path = "/RPC2", const std::string& password = "") {
        NewAccount account;
        account.name = name;
        account.description = name + " 的博客";
        account.xmlrpcUrl = server.Url(path);
        account.port = std::to_string(server.Port());
        account.apiType = "MetaWeblog";
        account.userName = server.Options().user;
        account.password = password.empty() ? server.Options().password : password;
        account.blogUrl = "http://127.0.0.1/";
        account.encodeType = "UTF-8";
        if (!registry.AddAccount(account)) {
            return false;
        }
        frame->OnWindowMessage(2166, -1, 99997);
        return true;
    }
};

}  // namespace zirvo::gui::test
