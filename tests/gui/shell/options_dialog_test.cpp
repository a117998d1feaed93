// The reader settings dialog keeps the page open on a refused value and writes nothing; an
// accepted dialog writes the records the core's checks produced.

#include <QCheckBox>
#include <QComboBox>
#include <QMessageBox>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>

#include "core/util/files.h"
#include "core/util/worker_set.h"
#include "core/views/page_settings.h"
#include "gui/dialogs/reader_options_dialog.h"
#include "shell_fixture.h"

using namespace zirvo;
using namespace zirvo::gui;
using namespace zirvo::gui::test;

namespace {

// Presses OK; a refusal opens a message box, whose text is returned (empty when none came).
QString PressOk(QDialog& dialog) {
    QString message;
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, poll, [&message] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            message = box->text();
            box->accept();
        }
    });
    poll->start();
    dialog.accept();  // a refusal's box runs its own loop, in which the poll answers it
    delete poll;
    return message;
}

}  // namespace

class OptionsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void MinutesOutsideFiveTo1440AreRefusedAndNothingIsWritten() {
        SeededRoot r;
        QVERIFY(r.seeded);
        ReceiveSettings before;
        QVERIFY(r.config.ReadReceiveSettings(before));
        CWorkerSet jobs;
        CReaderOptionsDialog dialog(
            r.config, QString::fromStdString(r.root.Dir()),
            [&jobs](std::function<void()> job) { return jobs.Start(std::move(job)); }, nullptr);
        dialog.show();
        auto* minutes = dialog.findChild<QComboBox*>(QStringLiteral("minutes"));
        minutes->setEditText(QStringLiteral("4"));
        QCOMPARE(PressOk(dialog), QStringLiteral("分钟数需在 5~1440 之间"));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
        ReceiveSettings after;
        QVERIFY(r.config.ReadReceiveSettings(after));
        QCOMPARE(after.autoReceiveTime, before.autoReceiveTime);

        minutes->setEditText(QStringLiteral("1441"));
        QCOMPARE(PressOk(dialog), QStringLiteral("分钟数需在 5~1440 之间"));
        minutes->setEditText(QStringLiteral("5"));
        dialog.findChild<QSpinBox*>(QStringLiteral("pageSize"))->setValue(29);
        QCOMPARE(PressOk(dialog), QStringLiteral("分页数需在 30~1000 之间"));
        dialog.findChild<QSpinBox*>(QStringLiteral("pageSize"))->setValue(30);

        // A storage count of 9 is refused on the storage page.
        auto* count = dialog.findChild<QComboBox*>(QStringLiteral("storageCount"));
        count->setEditText(QStringLiteral("9"));
        QCOMPARE(PressOk(dialog), QStringLiteral("不是合理的存储数量!"));
        QCOMPARE(dialog.Pages()->currentIndex(), 1);
        count->setEditText(QStringLiteral("10"));
        QCOMPARE(PressOk(dialog), QString());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        QVERIFY(r.config.ReadReceiveSettings(after));
        QCOMPARE(after.autoReceiveTime, 5);
        QCOMPARE(after.paginationNum, 30);
        StorageSettings storage;
        QVERIFY(r.config.ReadStorageSettings(storage));
        QCOMPARE(storage.storageNum, 10);
    }

    void WebPicturesAreOnByDefaultAndTheChoiceIsStored() {
        SeededRoot r;
        QVERIFY(r.seeded);
        QVERIFY(ReadShowWebPictures(r.config));
        CWorkerSet jobs;
        auto start = [&jobs](std::function<void()> job) { return jobs.Start(std::move(job)); };
        {
            CReaderOptionsDialog dialog(r.config, QString::fromStdString(r.root.Dir()), start,
                                        nullptr);
            dialog.show();
            auto* pictures = dialog.findChild<QCheckBox*>(QStringLiteral("showWebPictures"));
            QVERIFY(pictures);
            QVERIFY(dialog.Pages()->widget(0)->isAncestorOf(pictures));  // on 常规
            QVERIFY(pictures->isChecked());
            pictures->setChecked(false);
            QCOMPARE(PressOk(dialog), QString());
        }
        QVERIFY(!ReadShowWebPictures(r.config));
        std::string text;
        QVERIFY(ReadFileBytes(r.root.AppConfigPath(), text));
        QVERIFY(text.find("<showwebpictures>0</showwebpictures>") != std::string::npos);
        CReaderOptionsDialog again(r.config, QString::fromStdString(r.root.Dir()), start, nullptr);
        QVERIFY(!again.findChild<QCheckBox*>(QStringLiteral("showWebPictures"))->isChecked());
    }
};

QTEST_MAIN(OptionsDialogTest)
#include "options_dialog_test.moc"
