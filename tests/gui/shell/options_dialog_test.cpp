// The reader settings dialog keeps the page open on a refused value and writes nothing; an
// accepted dialog writes the records the core's checks produced. Every page of the settings
// dialogs and of the cleaning wizard reaches each field by one key of its own, in reading order.

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>
#include <QWizard>
#include <QtTest>

#include "core/session/reader_session.h"
#include "core/util/files.h"
#include "core/util/worker_set.h"
#include "core/views/page_settings.h"
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

// The mnemonic letter of a text ("每页显示(&P)" gives "P"), empty when it has none.
QString Mnemonic(const QString& text) {
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("(?<!&)&([^&])")).match(text);
    return match.hasMatch() ? match.captured(1).toUpper() : QString();
}

// Checks one page as a keyboard user meets it: each mnemonic (with those of `shared`, the
// buttons around the page) used once, and every label's mnemonic leading to a field. Returns
// what is wrong, empty when nothing is.
QStringList KeyboardFaults(QWidget* page, const QStringList& shared) {
    QStringList faults;
    QStringList seen = shared;
    auto take = [&](const QString& owner, const QString& text) {
        const QString key = Mnemonic(text);
        if (key.isEmpty()) {
            return;
        }
        if (seen.contains(key)) {
            faults << QStringLiteral("%1: &%2 used twice").arg(owner, key);
        }
        seen << key;
    };
    for (QAbstractButton* button : page->findChildren<QAbstractButton*>()) {
        take(button->objectName(), button->text());
    }
    for (QGroupBox* group : page->findChildren<QGroupBox*>()) {
        take(group->objectName(), group->title());
    }
    for (QLabel* label : page->findChildren<QLabel*>()) {
        if (label->textFormat() == Qt::RichText ||
            (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()))) {
            continue;  // a rich text has no mnemonic ("&nbsp;" is an entity)
        }
        take(label->text(), label->text());
        if (!Mnemonic(label->text()).isEmpty() && label->buddy() == nullptr) {
            faults << QStringLiteral("%1: no field").arg(label->text());
        }
    }
    return faults;
}

// The object names of the page's fields in the order Tab visits them, from `first`.
QStringList TabOrder(QWidget* page, QWidget* first) {
    QStringList names;
    QWidget* widget = first;
    do {
        if (page->isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus) &&
            widget->isVisibleTo(page) && !widget->objectName().isEmpty() &&
            !widget->objectName().startsWith(QLatin1String("qt_"))) {
            names << widget->objectName();
        }
        widget = widget->nextInFocusChain();
    } while (widget != first && names.size() < 50);
    return names;
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

// The mnemonics of the OK and Cancel row ("确定" and "取消" have none) and of the wizard's
// own buttons.
QStringList WizardKeys(QWizard& wizard) {
    QStringList keys;
    for (auto which : {QWizard::BackButton, QWizard::NextButton, QWizard::FinishButton}) {
        const QString key = Mnemonic(wizard.buttonText(which));
        if (!key.isEmpty()) {
            keys << key;
        }
    }
    return keys;
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
        QCOMPARE(reader.Pages()->count(), 4);
        const QStringList readerTabs{QStringLiteral("常规"), QStringLiteral("存储"),
                                     QStringLiteral("外观"), QStringLiteral("统计信息")};
        for (int i = 0; i < reader.Pages()->count(); ++i) {
            QCOMPARE(reader.Pages()->tabText(i), readerTabs[i]);
            reader.Pages()->setCurrentIndex(i);
            QVERIFY2(KeyboardFaults(reader.Pages()->widget(i), {}).isEmpty(),
                     qPrintable(
                         KeyboardFaults(reader.Pages()->widget(i), {}).join(QStringLiteral("; "))));
            SaveScreenshot(&reader, QStringLiteral("options-page%1").arg(i + 1));
        }
        QWidget* general = reader.Pages()->widget(0);
        QCOMPARE(
            TabOrder(general, general->findChild<QWidget*>(QStringLiteral("startupAutoReceive"))),
            (QStringList{QStringLiteral("startupAutoReceive"),
                         QStringLiteral("clickChannelAutoReceive"),
                         QStringLiteral("switchChannelAutoMakeRead"),
                         QStringLiteral("whenExitRememberUnreadNum"), QStringLiteral("autoReceive"),
                         QStringLiteral("typeByRank"), QStringLiteral("typeEveryMinutes"),
                         QStringLiteral("minutes"), QStringLiteral("pageSize"),
                         QStringLiteral("showWebPictures")}));
        QWidget* storage = reader.Pages()->widget(1);
        QCOMPARE(TabOrder(storage, storage->findChild<QWidget*>(QStringLiteral("storageType1"))),
                 (QStringList{QStringLiteral("storageType1"), QStringLiteral("storageType2"),
                              QStringLiteral("storageType3"), QStringLiteral("storageCount")}));
        // The minutes only mean something while automatic receiving is on.
        auto* autoReceive = general->findChild<QCheckBox*>(QStringLiteral("autoReceive"));
        auto* minutes = general->findChild<QComboBox*>(QStringLiteral("minutes"));
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
            QVERIFY2(KeyboardFaults(system.Pages()->widget(i), {}).isEmpty(),
                     qPrintable(
                         KeyboardFaults(system.Pages()->widget(i), {}).join(QStringLiteral("; "))));
            SaveScreenshot(&system, QStringLiteral("system-page%1").arg(i + 1));
        }
        QWidget* proxy = system.Pages()->widget(0);
        QCOMPARE(TabOrder(proxy, proxy->findChild<QWidget*>(QStringLiteral("useProxy"))),
                 (QStringList{QStringLiteral("useProxy"), QStringLiteral("server"),
                              QStringLiteral("port"), QStringLiteral("userName"),
                              QStringLiteral("password"), QStringLiteral("useForLocal")}));
        auto* useProxy = proxy->findChild<QCheckBox*>(QStringLiteral("useProxy"));
        useProxy->setChecked(false);
        QVERIFY(!proxy->findChild<QWidget*>(QStringLiteral("port"))->isEnabled());
        useProxy->setChecked(true);
        QVERIFY(proxy->findChild<QWidget*>(QStringLiteral("port"))->isEnabled());

        CReaderSession session(r.root.Dir(), r.reporter);
        QVERIFY(session.Open());
        CCleaningWizard wizard(session, nullptr);
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        QVERIFY2(KeyboardFaults(wizard.currentPage(), WizardKeys(wizard)).isEmpty(),
                 qPrintable(KeyboardFaults(wizard.currentPage(), WizardKeys(wizard))
                                .join(QStringLiteral("; "))));
        QCOMPARE(TabOrder(wizard.currentPage(), wizard.DaysBox()),
                 (QStringList{QStringLiteral("days"), QStringLiteral("includeUnread")}));
        SaveScreenshot(&wizard, QStringLiteral("wizard-page1"));
        wizard.next();
        QCOMPARE(wizard.currentId(), 1);
        QVERIFY2(KeyboardFaults(wizard.currentPage(), WizardKeys(wizard)).isEmpty(),
                 qPrintable(KeyboardFaults(wizard.currentPage(), WizardKeys(wizard))
                                .join(QStringLiteral("; "))));
        SaveScreenshot(&wizard, QStringLiteral("wizard-page2"));
    }
};

QTEST_MAIN(OptionsDialogTest)
#include "options_dialog_test.moc"
