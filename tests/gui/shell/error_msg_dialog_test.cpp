// The message dialog's details toggle, and the reporter bringing a worker's message to the
// window thread and releasing the worker at close.

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>
#include <atomic>
#include <thread>

#include "gui/common/error_msg_dialog.h"
#include "gui/common/qt_message_reporter.h"
#include "shell_fixture.h"

using namespace zirvo;
using namespace zirvo::gui::test;

class ErrorMsgDialogTest : public QObject {
    Q_OBJECT

private slots:
    void DetailsToggleGrowsAndShrinksByOneHundredAndFivePixels() {
        gui::CErrorMsgDialog dialog(ErrorMessage{3001, 2, "网络错误", "连接被拒绝"});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCoreApplication::processEvents();
        const int first = dialog.height();
        auto* button = dialog.findChild<QPushButton*>(QStringLiteral("detailsButton"));
        QCOMPARE(button->text(), QStringLiteral("显示详情 >>"));
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(dialog.height(), first + gui::CErrorMsgDialog::kDetailsHeight);
        QCOMPARE(button->text(), QStringLiteral("隐藏详情 <<"));
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(dialog.height(), first);
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("number"))->text(),
                 QStringLiteral("3001"));
        const auto radios = dialog.findChildren<QRadioButton*>();
        QCOMPARE(radios.size(), 3);
        QVERIFY(radios[2]->isChecked() && !radios[0]->isChecked());
    }

    void WorkerMessageIsShownOnTheWindowThreadAndTheWorkerWaits() {
        gui::CQtMessageReporter reporter;
        std::atomic<bool> returned{false};
        QString shownSummary;
        bool returnedWhileShown = true;
        AnswerNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<gui::CErrorMsgDialog*>(modal);
            QVERIFY(dialog);
            shownSummary = dialog->findChild<QLineEdit*>(QStringLiteral("summary"))->text();
            returnedWhileShown = returned.load();
            dialog->accept();
        });
        std::thread worker([&] {
            reporter.ShowErrorMessage(ErrorMessage{7001, 0, "配置错误", "缺少元素"});
            returned = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(returned.load(), 30000);
        worker.join();
        QCOMPARE(shownSummary, QStringLiteral("配置错误"));
        QVERIFY(!returnedWhileShown);
    }

    void ShutdownReleasesAWaitingWorker() {
        gui::CQtMessageReporter reporter;
        std::atomic<bool> returned{false};
        std::thread worker;
        bool releasedBeforeDialogClosed = false;
        AnswerNextModal([&](QWidget* modal) {
            // The close sequence runs while the dialog is still open: the worker must not
            // keep the join waiting.
            reporter.Shutdown();
            worker.join();
            releasedBeforeDialogClosed = returned.load();
            modal->close();
        });
        worker = std::thread([&] {
            reporter.ShowMessageBox("第一条");
            returned = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(releasedBeforeDialogClosed, 30000);
        // After shutdown, messages no longer wait for anyone.
        std::thread late([&] { reporter.ShowMessageBox("关闭后"); });
        late.join();
    }
};

QTEST_MAIN(ErrorMsgDialogTest)
#include "error_msg_dialog_test.moc"
