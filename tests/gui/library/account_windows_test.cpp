// The account windows against a loopback blog server: the new-account wizard (checks, presets,
// the endpoint rules, the connection test off the window thread, finishing) and the settings
// sheet (range checks, permission list, protection, deleting the account).

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTreeWidget>

#include "core/accounts/account_messages.h"
#include "core/editorlink/blog_tree_code.h"
#include "gui/library/account_settings_sheet.h"
#include "gui/library/account_wizard.h"
#include "gui/library/blog_settings_dialog.h"
#include "gui/library/blog_tree_widget.h"
#include "gui/shell/command_table.h"
#include "library_fixture.h"

using namespace zirvo;
using namespace zirvo::gui;
using namespace zirvo::gui::test;

namespace {

template <typename T>
T* Child(QWidget* parent, const char* name) {
    return parent->findChild<T*>(QString::fromLatin1(name));
}

QString U(const char* text) {
    return QString::fromUtf8(text);
}

void SaveScreenshot(QWidget* widget, const QString& name) {
    const QString folder = qEnvironmentVariable("ZIRVO_SCREENSHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        widget->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    }
}

}  // namespace

class AccountWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void WizardChecksTestsAndCreatesAnAccount() {
        LibraryRoot r;
        QVERIFY(r.ok);
        zirvo::test::CBlogServer server;
        QVERIFY2(server.Ok(), server.Error().c_str());
        CModalAnswerer answers;
        CAccountWizard wizard(r.Context(), r.frame.get());
        QSignalSpy created(&wizard, &CAccountWizard::AccountCreated);
        QSignalSpy tested(&wizard, &CAccountWizard::ConnectionTested);
        wizard.show();
        SaveScreenshot(&wizard, QStringLiteral("wizard-0-welcome"));
        QCOMPARE(wizard.currentId(), 0);
        wizard.next();

        // Step 1: the checks in their order; Enter in a field presses "下一步 >".
        QCOMPARE(wizard.currentPage()->title(), U(kTextWizardStep1));
        auto* name = Child<QLineEdit>(&wizard, "nameEdit");
        auto* description = Child<QLineEdit>(&wizard, "descriptionEdit");
        QTest::keyClick(name, Qt::Key_Return);
        QTRY_VERIFY(answers.Saw(U(kTextEnterAccountName)));
        QCOMPARE(wizard.currentId(), 1);
        name->setText(QStringLiteral("bad%name"));
        wizard.next();
        QTRY_VERIFY(answers.Saw(U(kTextIllegalNameCharacter)));
        name->setText(QString(21, QLatin1Char('a')));
        wizard.next();
        QTRY_VERIFY(answers.Saw(U(kTextNameTooLong)));
        name->setText(QStringLiteral("十一个汉字的账户名称啊"));
        answers.texts.clear();
        wizard.next();
        QTRY_VERIFY(answers.Saw(U(kTextNameTooLong)));
        name->setText(QStringLiteral("我的博客1"));
        wizard.next();
        QTRY_VERIFY(answers.Saw(U(kTextEnterDescription)));
        QCOMPARE(wizard.currentId(), 1);
        description->setText(QStringLiteral("测试博客"));
        SaveScreenshot(&wizard, QStringLiteral("wizard-1-name"));
        QTest::keyClick(description, Qt::Key_Return);
        QTRY_COMPARE(wizard.currentId(), 2);

        // Step 2: a preset selects its type and remembers its endpoint; the first entry forgets.
        auto* presets = Child<QComboBox>(&wizard, "presetBox");
        auto* apiType = Child<QComboBox>(&wizard, "apiTypeBox");
        QVERIFY(presets->count() > 1);
        QCOMPARE(presets->itemText(0), QStringLiteral("----->预置BSP列表<-----"));
        QCOMPARE(apiType->currentText(), QStringLiteral("MetaWeblog"));
        presets->setCurrentIndex(2);
        emit presets->activated(2);
        QVERIFY(wizard.Record().hasPresetEndpoint);
        SaveScreenshot(&wizard, QStringLiteral("wizard-2-service"));
        wizard.next();
        auto* endpoint = Child<QLineEdit>(&wizard, "endpointEdit");
        auto* port = Child<QLineEdit>(&wizard, "portEdit");
        QVERIFY(endpoint->text().startsWith(QStringLiteral("https://")));
        QCOMPARE(port->text(), QStringLiteral("443"));
        wizard.back();
        presets->setCurrentIndex(0);
        emit presets->activated(0);
        QVERIFY(!wizard.Record().hasPresetEndpoint);
        // "MSN Spaces" fixes its endpoint and port 443.
        apiType->setCurrentText(QStringLiteral("MSN Spaces"));
        wizard.next();
        QVERIFY(endpoint->text().contains(QStringLiteral("/storageservice/MetaWeblog.rpc")));
        QCOMPARE(port->text(), QStringLiteral("443"));
        wizard.back();
        apiType->setCurrentText(QStringLiteral("MetaWeblog"));
        wizard.next();

        // Step 3: typing "https" sets 443; the port range.
        endpoint->clear();
        port->setText(QStringLiteral("80"));
        QTest::keyClicks(endpoint, QStringLiteral("HTTPS://example.org/x"));
        QCOMPARE(port->text(), QStringLiteral("443"));
        endpoint->setText(QString::fromStdString(server.Url()));
        port->setText(QStringLiteral("65536"));
        wizard.next();
        QTRY_VERIFY(answers.Saw(U(kTextInvalidPort)));
        QCOMPARE(wizard.currentId(), 3);
        port->setText(QString::number(server.Port()));
        SaveScreenshot(&wizard, QStringLiteral("wizard-3-endpoint"));
        wizard.next();
        QCOMPARE(wizard.currentId(), 4);

        // Step 4, then a failing connection test with a wrong password.
        Child<QLineEdit>(&wizard, "userEdit")->setText(QStringLiteral("alice"));
        wizard.next();
        QTRY_VERIFY(answers.Saw(U(kTextEnterPassword)));
        Child<QLineEdit>(&wizard, "passwordEdit")->setText(QStringLiteral("wrong"));
        SaveScreenshot(&wizard, QStringLiteral("wizard-4-user"));
        wizard.next();
        QCOMPARE(wizard.currentId(), 5);
        auto* confirm = Child<QTreeWidget>(&wizard, "confirmList");
        QCOMPARE(confirm->topLevelItemCount(), 8);
        QCOMPARE(confirm->topLevelItem(0)->text(1), QStringLiteral("我的博客1"));
        auto* test = Child<QPushButton>(&wizard, "testButton");
        answers.texts.clear();
        test->click();
        QCOMPARE(test->text(), U(kTextConnecting));
        QVERIFY(!test->isEnabled());
        QVERIFY(wizard.Testing());
        // Cannot be closed or finished under the test.
        wizard.reject();
        QVERIFY(wizard.isVisible());
        QVERIFY(!wizard.button(QWizard::FinishButton)->isEnabled());
        QVERIFY(tested.wait(20000));
        QCOMPARE(tested.takeFirst().at(0).toBool(), false);
        QCOMPARE(test->text(), U(kTextTestConnection));
        QVERIFY(test->isEnabled());
        QVERIFY(!answers.Saw(U(kTextUserValid)));
        QVERIFY(!answers.texts.isEmpty());  // the server's fault was shown

        wizard.back();
        Child<QLineEdit>(&wizard, "passwordEdit")->setText(QStringLiteral("secret"));
        wizard.next();
        SaveScreenshot(&wizard, QStringLiteral("wizard-5-confirm"));
        test->click();
        QVERIFY(tested.wait(20000));
        QCOMPARE(tested.takeFirst().at(0).toBool(), true);
        QTRY_VERIFY(answers.Saw(U(kTextUserValid)));

        // 完成: the account exists and the tree shows it.
        wizard.button(QWizard::FinishButton)->click();
        QCOMPARE(created.count(), 1);
        std::vector<std::string> names;
        QVERIFY(r.registry.ListAccountNames(names));
        QCOMPARE(names, std::vector<std::string>{"我的博客1"});
        CBlogTreeWidget* tree = r.library->Tree();
        QCOMPARE(tree->topLevelItemCount(), 1);
        QCOMPARE(tree->TextOf(1000), QStringLiteral("测试博客"));
        QCOMPARE(tree->TextOf(1030), QStringLiteral("草稿箱"));
        QCOMPARE(tree->TextOf(1050), QStringLiteral("我的博客"));
    }

    void UnreachableServerFailsTheTestAndKeepsTheWindowResponsive() {
        LibraryRoot r;
        QVERIFY(r.ok);
        CModalAnswerer answers;
        CAccountWizard wizard(r.Context(), r.frame.get());
        QSignalSpy tested(&wizard, &CAccountWizard::ConnectionTested);
        wizard.show();
        wizard.next();
        Child<QLineEdit>(&wizard, "nameEdit")->setText(QStringLiteral("x"));
        Child<QLineEdit>(&wizard, "descriptionEdit")->setText(QStringLiteral("x"));
        wizard.next();
        wizard.next();
        // A port nobody listens on (the server is gone before the test runs).
        int deadPort = 0;
        {
            zirvo::test::CBlogServer gone;
            deadPort = gone.Port();
        }
        Child<QLineEdit>(&wizard, "endpointEdit")
            ->setText(QStringLiteral("http://127.0.0.1:%1/RPC2").arg(deadPort));
        Child<QLineEdit>(&wizard, "portEdit")->setText(QString::number(deadPort));
        wizard.next();
        Child<QLineEdit>(&wizard, "userEdit")->setText(QStringLiteral("u"));
        Child<QLineEdit>(&wizard, "passwordEdit")->setText(QStringLiteral("p"));
        wizard.next();
        QCOMPARE(wizard.currentId(), 5);
        Child<QPushButton>(&wizard, "testButton")->click();
        QVERIFY(tested.wait(60000));
        QCOMPARE(tested.takeFirst().at(0).toBool(), false);
        QVERIFY(!answers.texts.isEmpty());
        QVERIFY(!answers.Saw(U(kTextUserValid)));
    }

    void SettingsSheetChecksWritesAndDeletes() {
        LibraryRoot r;
        QVERIFY(r.ok);
        zirvo::test::CBlogServer server;
        QVERIFY(server.Ok());
        QVERIFY(r.AddAccount("one", server));
        QVERIFY(r.AddAccount("two", server));
        QVERIFY(r.AddAccount("three", server));
        QVERIFY(r.registry.WriteLoginSettings("three", 2, "pw3"));
        CModalAnswerer answers;

        {
            CAccountSettingsSheet sheet(r.Context(), "one", 1000, r.frame.get());
            QVERIFY(sheet.Loaded());
            QCOMPARE(sheet.windowTitle(), QStringLiteral("帐户设置: one"));
            sheet.show();
            SaveScreenshot(&sheet, QStringLiteral("settings-0-general"));
            if (auto* pages = sheet.findChild<QTabWidget*>()) {
                for (int page : {1, 2}) {
                    pages->setCurrentIndex(page);
                    SaveScreenshot(&sheet, QStringLiteral("settings-%1-page").arg(page));
                }
                pages->setCurrentIndex(0);
            }
            auto* recent = Child<QSpinBox>(&sheet, "recentSpin");
            QCOMPARE(recent->value(), 5);
            for (int bad : {0, 1000}) {
                recent->setValue(bad);
                answers.texts.clear();
                QVERIFY(!sheet.Apply());
                QTRY_VERIFY(answers.Saw(U(kTextRecentPostsRange)));
            }
            recent->setValue(10);
            Child<QLineEdit>(&sheet, "descriptionEdit")->setText(QStringLiteral("新的描述"));

            // Permission: the account itself heads the list; a protected one needs its password.
            auto* available = Child<QTreeWidget>(&sheet, "availableList");
            auto* permitted = Child<QListWidget>(&sheet, "permittedList");
            QCOMPARE(permitted->count(), 1);
            QCOMPARE(permitted->item(0)->text(), QStringLiteral("one"));
            QCOMPARE(available->topLevelItemCount(), 2);
            QCOMPARE(available->topLevelItem(1)->text(0), QStringLiteral("×"));
            Child<QTabWidget>(&sheet, "pages")->setCurrentIndex(kPagePermissionIndex);
            SaveScreenshot(&sheet, QStringLiteral("settings-3-permission"));
            answers.texts.clear();
            Child<QPushButton>(&sheet, "moveAllInButton")->click();
            QTRY_VERIFY(answers.Saw(QStringLiteral("您需要输入账户 three 的密码")));
            QCOMPARE(permitted->count(), 2);  // "two" moved, "three" stopped the rest
            answers.passwords << QStringLiteral("pw3");
            emit available->itemDoubleClicked(available->topLevelItem(0), 0);
            QCOMPARE(available->topLevelItem(0)->text(0), QStringLiteral("√"));
            Child<QPushButton>(&sheet, "moveAllInButton")->click();
            QCOMPARE(permitted->count(), 3);
            Child<QPushButton>(&sheet, "moveAllOutButton")->click();
            QCOMPARE(permitted->count(), 1);
            Child<QPushButton>(&sheet, "moveAllInButton")->click();

            // Safe page: a local password needs both fields alike.
            Child<QTabWidget>(&sheet, "pages")->setCurrentIndex(kPageSafeIndex);
            Child<QGroupBox>(&sheet, "protectionGroup")->setChecked(true);
            Child<QRadioButton>(&sheet, "localPasswordRadio")->setChecked(true);
            Child<QLineEdit>(&sheet, "newPasswordEdit")->setText(QStringLiteral("a"));
            Child<QLineEdit>(&sheet, "confirmPasswordEdit")->setText(QStringLiteral("b"));
            SaveScreenshot(&sheet, QStringLiteral("settings-4-safe"));
            answers.texts.clear();
            QVERIFY(!sheet.Apply());
            QTRY_VERIFY(answers.Saw(U(kTextPasswordsDiffer)));
            Child<QLineEdit>(&sheet, "confirmPasswordEdit")->setText(QStringLiteral("a"));
            QVERIFY(sheet.Apply());
        }
        AccountInfo info;
        QVERIFY(r.registry.ReadAccount("one", info));
        QCOMPARE(info.getRecentPostsNum, 10);
        QCOMPARE(info.description, std::string("新的描述"));
        std::vector<std::string> relations;
        QVERIFY(r.registry.ReadRelations("one", relations));
        QCOMPARE(relations, (std::vector<std::string>{"two", "three"}));
        LoginSettings login;
        QVERIFY(r.registry.ReadLoginSettings("one", login));
        QCOMPARE(login.mode, 2);
        QCOMPARE(login.expectedPassword, std::string("a"));
        QCOMPARE(r.library->Tree()->TextOf(1000), QStringLiteral("新的描述"));

        // Deleting "two": wrong password first, then the right one and Yes.
        BlogArticle draft;
        draft.title = "t";
        QVERIFY(r.Store().AddArticle(3, "two", draft));
        {
            CAccountSettingsSheet sheet(r.Context(), "two", 1100, r.frame.get());
            sheet.show();
            Child<QCheckBox>(&sheet, "deleteAccountCheck")->setChecked(true);
            Child<QLineEdit>(&sheet, "deletePasswordEdit")->setText(QStringLiteral("nope"));
            answers.texts.clear();
            QVERIFY(!sheet.Apply());
            QTRY_VERIFY(answers.Saw(U(kTextWrongPassword)));
            Child<QLineEdit>(&sheet, "deletePasswordEdit")->setText(QStringLiteral("secret"));
            QVERIFY(sheet.Apply());
            QVERIFY(sheet.Deleted());
        }
        std::vector<std::string> names;
        QVERIFY(r.registry.ListAccountNames(names));
        QCOMPARE(names, (std::vector<std::string>{"one", "three"}));
        int count = -1;
        QVERIFY(r.Store().CountArticles(3, "two", count));
        QCOMPARE(count, 0);
        CBlogTreeWidget* tree = r.library->Tree();
        QCOMPARE(tree->topLevelItemCount(), 2);
        // The account after the deleted one takes its place, codes included.
        QCOMPARE(tree->TextOf(1100), QStringLiteral("three 的博客"));
    }
    void WithoutAccountsThePaneSaysWhereToBegin() {
        LibraryRoot r;
        QVERIFY(r.ok);
        CModalAnswerer answers;
        auto* pane = qobject_cast<QStackedWidget*>(r.library->TreeWidget());
        QVERIFY(pane != nullptr);
        QCOMPARE(pane->currentWidget()->objectName(), QStringLiteral("noAccountsPane"));
        Child<QPushButton>(pane, "noAccountsNewButton")->click();
        QTRY_VERIFY(answers.Saw(U(kTextWizardTitle)));

        zirvo::test::CBlogServer server;
        QVERIFY(r.AddAccount("one", server));
        QCOMPARE(pane->currentWidget(), static_cast<QWidget*>(r.library->Tree()));
        // The last account deleted: the hint comes back.
        QVERIFY(r.registry.DeleteAccount("one"));
        r.frame->OnWindowMessage(2166, 1000, 99999);
        QCOMPARE(pane->currentWidget()->objectName(), QStringLiteral("noAccountsPane"));
    }

    void BlogSettingsListsAccountsOpensTheirWindowsAndWritesDiagnostics() {
        LibraryRoot r;
        QVERIFY(r.ok);
        zirvo::test::CBlogServer server;
        QVERIFY(r.AddAccount("one", server));
        QVERIFY(r.AddAccount("two", server));
        QVERIFY(r.registry.WriteAccountValue("two", "localloginverify", "1"));
        CModalAnswerer answers;
        answers.ignore << QStringLiteral("blogSettingsDialog");

        QAction* command = r.frame->Commands()->Action(kCmdBlogSettings);
        QVERIFY(command->isEnabled());
        QVERIFY(!command->toolTip().contains(QStringLiteral("尚未完成")));

        QStringList seen;
        QString protection;
        bool done = false;
        auto drive = [&] {
            auto* dialog = qobject_cast<CBlogSettingsDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("BLOG设置"));
            QTreeWidget* list = dialog->Accounts();
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                seen << list->topLevelItem(i)->text(0) + QLatin1Char('|') +
                            list->topLevelItem(i)->text(1);
            }
            protection = list->topLevelItem(1)->text(4);
            SaveScreenshot(dialog, QStringLiteral("blog-settings-accounts"));
            // The account's own settings sheet, then the wizard: both the real windows.
            list->setCurrentItem(list->topLevelItem(0));
            Child<QPushButton>(dialog, "accountSettingsButton")->click();
            Child<QPushButton>(dialog, "newAccountButton")->click();
            // A description changed meanwhile shows when the list is read again.
            QVERIFY(r.registry.WriteAccountValue("one", "description", "改过的描述"));
            dialog->ReloadAccounts();
            QCOMPARE(list->currentItem()->text(1), QStringLiteral("改过的描述"));
            // Diagnostic mode, written on OK.
            dialog->Pages()->setCurrentIndex(1);
            Child<QCheckBox>(dialog, "debugUse")->setChecked(true);
            SaveScreenshot(dialog, QStringLiteral("blog-settings-advanced"));
            dialog->accept();
            done = true;
        };
        QTimer::singleShot(100, this, drive);
        command->trigger();
        QVERIFY(done);
        QCOMPARE(seen,
                 (QStringList{QStringLiteral("one|one 的博客"), QStringLiteral("two|two 的博客")}));
        QCOMPARE(protection, QStringLiteral("开启"));
        QVERIFY(answers.Saw(QStringLiteral("帐户设置: one")));
        QVERIFY(answers.Saw(U(kTextWizardTitle)));
        DebugSettings debug;
        QVERIFY(r.config.ReadDebugSettings(debug));
        QCOMPARE(debug.use, 1);
    }
};

QTEST_MAIN(AccountWindowsTest)
#include "account_windows_test.moc"
