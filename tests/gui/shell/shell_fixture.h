#pragma once
// A seeded temporary data root with the message plumbing and a main window over it, for the
// shell tests.

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "core/config/app_config.h"
#include "core/config/error_msg_dialog.h"
#include "core/setup/seed.h"
#include "core/util/data_root.h"
#include "gui/common/qt_message_reporter.h"
#include "gui/shell/main_frame.h"
#include "support/temp_dir.h"

namespace zirvo::gui::test {

struct SeededRoot {
    zirvo::test::TempDir dir{"gui"};
    CDataRoot root{dir.Path()};
    CQtMessageReporter reporter;
    zirvo::CErrorMsgDialog messages{root.ErrorMsgPath(), reporter};
    CAppConfig config{root.AppConfigPath(), messages};

    SeededRoot() {
        SeedReport report;
        seeded = SeedDataRoot(root, CDataRoot::ShippedDataDir(), report);
    }
    bool seeded = false;

    std::unique_ptr<CMainFrame> MakeFrame() {
        auto frame = std::make_unique<CMainFrame>(root, config, reporter);
        QString error;
        if (!frame->Initialise(error)) {
            return nullptr;
        }
        return frame;
    }
};

// Runs `answer` on the first modal widget that appears (a message box or dialog opened by the
// code under test), polling from the event loop.
inline void AnswerNextModal(std::function<void(QWidget*)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            answer(modal);
        }
    });
    timer->start();
}

}  // namespace zirvo::gui::test
