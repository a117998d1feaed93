// The reader settings dialog keeps the page open on a refused value and writes nothing; an
// accepted dialog writes the records the core's checks produced. Every page of the settings
// dialogs and of the cleaning wizard reaches each field by one key of its own, in reading order.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QSpinBox>
#include <QTabWidget>
#include <QWizard>
#include <QtTest>

#include "core/session/reader_session.h"
#include "core/util/files.h"
#include "core/util/worker_set.h"
#include "core/views/page_settings.h"
#include "dialog_keys.h"
#include "gui/dialogs/cleaning_wizard.h"
#include "gui/dialogs/reader_options_dialog.h"
#include "gui/dialogs/system_options_dialog.h"
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

// With ZIRVO_SCREENSHOTS set (tools/screenshots.sh), a picture for a look by eye.
void SaveScreenshot(QWidget* widget, const QString& name) {
    const QString folder = qEnvironmentVariable("ZIRVO_SCREENSHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        QTest::qWait(100);
        widget->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    }
}

QStringList Names(std::initializer_list<const char*> names) {
    QStringList out;
    for (const char* name : names) {
        out << QString::fromLatin1(name);
    }
    return out;
}

// What `MnemonicFaults` finds on `page`, joined for a failure message.
QString FaultsOf(QWidget* page, const QList<QWidget*>& extra = {}) {
    return MnemonicFaults(page, extra).join(u"; ");
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

    void EveryPageHasKeysOfItsOwnInReadingOrder() {
        SeededRoot r;
        QVERIFY(r.seeded);
        CWorkerSet jobs;
        CReaderOptionsDialog reader(
            r.config, QString::fromStdString(r.root.Dir()),
            [&jobs](std::function<void()> job) { return jobs.Start(std::move(job)); }, nullptr);
        reader.show();
        QVERIFY(QTest::qWaitForWindowExposed(&reader));
        QTabWidget* pages = reader.Pages();
        QCOMPARE(pages->count(), 4);
        const QStringList readerTabs{QStringLiteral("常规"), QStringLiteral("存储"),
                                     QStringLiteral("外观"), QStringLiteral("统计信息")};
        for (int i = 0; i < pages->count(); ++i) {
            QCOMPARE(pages->tabText(i), readerTabs[i]);
            pages->setCurrentIndex(i);
            QVERIFY2(MnemonicFaults(pages->widget(i)).isEmpty(),
                     qPrintable(FaultsOf(pages->widget(i))));
            SaveScreenshot(&reader, QStringLiteral("options-page%1").arg(i + 1));
        }
        pages->setCurrentIndex(0);
        QCOMPARE(TabOrder(&reader), Names({"pages", "startupAutoReceive", "clickChannelAutoReceive",
                                           "switchChannelAutoMakeRead", "whenExitRememberUnreadNum",
                                           "autoReceive", "typeByRank", "typeEveryMinutes",
                                           "minutes", "pageSize", "showWebPictures"}));
        pages->setCurrentIndex(1);
        QCOMPARE(TabOrder(&reader),
                 Names({"pages", "storageType1", "storageType2", "storageType3", "storageCount"}));
        // The minutes only mean something while automatic receiving is on.
        auto* autoReceive = reader.findChild<QCheckBox*>(QStringLiteral("autoReceive"));
        auto* minutes = reader.findChild<QComboBox*>(QStringLiteral("minutes"));
        autoReceive->setChecked(false);
        QVERIFY(!minutes->isEnabled());
        autoReceive->setChecked(true);
        QVERIFY(minutes->isEnabled());

        CSystemOptionsDialog system(r.config, nullptr);
        system.show();
        QVERIFY(QTest::qWaitForWindowExposed(&system));
        QCOMPARE(system.Pages()->count(), 2);
        for (int i = 0; i < system.Pages()->count(); ++i) {
            system.Pages()->setCurrentIndex(i);
            QVERIFY2(MnemonicFaults(system.Pages()->widget(i)).isEmpty(),
                     qPrintable(FaultsOf(system.Pages()->widget(i))));
            SaveScreenshot(&system, QStringLiteral("system-page%1").arg(i + 1));
        }
        system.Pages()->setCurrentIndex(0);
        QCOMPARE(TabOrder(&system), Names({"pages", "useProxy", "server", "port", "userName",
                                           "password", "useForLocal"}));
        system.Pages()->setCurrentIndex(1);
        QCOMPARE(TabOrder(&system), Names({"pages", "debugUse", "debugPath", "change"}));
        auto* useProxy = system.findChild<QCheckBox*>(QStringLiteral("useProxy"));
        useProxy->setChecked(false);
        QVERIFY(!system.findChild<QWidget*>(QStringLiteral("port"))->isEnabled());
        useProxy->setChecked(true);
        QVERIFY(system.findChild<QWidget*>(QStringLiteral("port"))->isEnabled());

        CReaderSession session(r.root.Dir(), r.reporter);
        QVERIFY(session.Open());
        CCleaningWizard wizard(session, nullptr);
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        const QList<QWidget*> wizardButtons{wizard.button(QWizard::BackButton),
                                            wizard.button(QWizard::NextButton),
                                            wizard.button(QWizard::FinishButton)};
        QVERIFY2(MnemonicFaults(wizard.currentPage(), wizardButtons).isEmpty(),
                 qPrintable(FaultsOf(wizard.currentPage(), wizardButtons)));
        QCOMPARE(TabOrder(wizard.currentPage()), Names({"days", "includeUnread"}));
        SaveScreenshot(&wizard, QStringLiteral("wizard-page1"));
        wizard.next();
        QCOMPARE(wizard.currentId(), 1);
        QVERIFY2(MnemonicFaults(wizard.currentPage(), wizardButtons).isEmpty(),
                 qPrintable(FaultsOf(wizard.currentPage(), wizardButtons)));
        QCOMPARE(TabOrder(wizard.currentPage()), Names({"channels", "selectAll", "selectNone"}));
        SaveScreenshot(&wizard, QStringLiteral("wizard-page2"));
    }
};

QTEST_MAIN(OptionsDialogTest)
#include "options_dialog_test.moc"
