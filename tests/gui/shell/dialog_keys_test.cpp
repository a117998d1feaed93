// The keyboard of the reader's dialogs: every mnemonic letter once per dialog (or wizard page)
// and leading to its field, and Tab visiting the fields in the order they are shown.

#include <QCheckBox>
#include <QLineEdit>
#include <QtTest>
#include <fstream>

#include "core/session/reader_session.h"
#include "dialog_keys.h"
#include "gui/dialogs/channel_properties_dialog.h"
#include "gui/dialogs/folder_properties_dialog.h"
#include "gui/reader/subscription_dialogs.h"
#include "gui/reader/subscription_wizard.h"
#include "shell_fixture.h"

using namespace zirvo;
using namespace zirvo::gui;
using namespace zirvo::gui::test;

namespace {

void WriteOpml(const SeededRoot& r, const std::string& body) {
    std::ofstream(r.root.OpmlPath(), std::ios::trunc)
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml version=\"1.0\"><head><title>t"
           "</title></head><body>"
        << body << "</body></opml>\n";
}

QStringList Names(std::initializer_list<const char*> names) {
    QStringList out;
    for (const char* name : names) {
        out << QString::fromLatin1(name);
    }
    return out;
}

QList<QWidget*> WizardButtons(QWizard& wizard) {
    return {wizard.button(QWizard::BackButton), wizard.button(QWizard::NextButton),
            wizard.button(QWizard::FinishButton), wizard.button(QWizard::CancelButton)};
}

QStringList TabOrderOfPage(QTabWidget* pages, int index, QWidget* dialog) {
    pages->setCurrentIndex(index);
    return TabOrder(dialog);
}

}  // namespace

class DialogKeysTest : public QObject {
    Q_OBJECT

private slots:
    void PropertySheetsKeepTheirKeysAndOrder() {
        SeededRoot r;
        WriteOpml(r,
                  "<outline title=\"F\"><outline title=\"A\" xmlUrl=\"http://127.0.0.1:9/a\"/>"
                  "</outline>");
        CReaderSession session(r.root.Dir(), r.reporter);
        QVERIFY(session.Open());
        const NodeId folder = session.Tree().Children(kNoNode).front();
        const NodeId channel = session.Tree().Children(folder).front();

        CChannelPropertiesDialog channelSheet(session, channel, nullptr);
        QStringList faults = MnemonicFaults(&channelSheet);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u"; ")));
        QCOMPARE(TabOrderOfPage(channelSheet.Pages(), 0, &channelSheet),
                 Names({"pages", "title", "feedUrl", "homeUrl", "rssRank", "noAutoUpdate",
                        "newItemShowTip"}));
        // The storage choice builds its own parts; its switch still comes first.
        QCOMPARE(TabOrderOfPage(channelSheet.Pages(), 1, &channelSheet),
                 Names({"pages", "ownStorage", "storageType1", "storageType2", "storageType3",
                        "storageCount"}));

        CFolderPropertiesDialog folderSheet(session, folder, nullptr);
        faults = MnemonicFaults(&folderSheet);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u"; ")));
        QCOMPARE(TabOrderOfPage(folderSheet.Pages(), 0, &folderSheet),
                 Names({"pages", "title", "homeUrl"}));
        // Row by row: each group's fields, then its "设置".
        QCOMPARE(TabOrderOfPage(folderSheet.Pages(), 1, &folderSheet),
                 Names({"pages", "rank", "set1", "ownStorage", "storageType1", "storageType2",
                        "storageType3", "storageCount", "set2", "noAutoUpdate", "set3",
                        "showNotice", "set4", "setAll"}));
    }

    // The fields are tabbed through as they are shown: the address first, where the cursor
    // starts.
    void AddDialogsKeepTheirKeysAndOrder() {
        SeededRoot r;
        WriteOpml(r, "<outline title=\"F\"/>");
        CReaderSession session(r.root.Dir(), r.reporter);
        QVERIFY(session.Open());

        CAddChannelDialog addChannel(session.Tree(), nullptr);
        QStringList faults = MnemonicFaults(&addChannel);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u"; ")));
        QCOMPARE(TabOrder(&addChannel), Names({"feedUrlEdit", "titleEdit", "fetchTitleButton",
                                               "homeUrlEdit", "toRootCheck"}));

        CAddFolderDialog addFolder(nullptr);
        faults = MnemonicFaults(&addFolder);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u"; ")));
        QCOMPARE(TabOrder(&addFolder), Names({"folderNameEdit", "folderUrlEdit", "toRootCheck"}));
    }

    // Each page with the wizard's buttons: "下一步(&N)" beside the page's own letters.
    void WizardPagesKeepTheirKeysAndOrder() {
        SeededRoot r;
        WriteOpml(r, "<outline title=\"F\"/>");
        CReaderSession session(r.root.Dir(), r.reporter);
        QVERIFY(session.Open());

        CSubscriptionWizard channel(session.Tree(), false, kNoNode, nullptr);
        channel.show();
        QStringList faults = MnemonicFaults(channel.currentPage(), WizardButtons(channel));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u"; ")));
        QCOMPARE(TabOrder(&channel),
                 Names({"feedUrlEdit", "titleEdit", "fetchTitleButton", "homeUrlEdit"}));
        QTRY_COMPARE(channel.focusWidget(), static_cast<QWidget*>(channel.Fields()->FeedUrlEdit()));
        channel.Fields()->SetValues(QStringLiteral("名称"), QStringLiteral("http://127.0.0.1:9/f"),
                                    QString());
        channel.next();
        QCOMPARE(channel.currentId(), 1);
        faults = MnemonicFaults(channel.currentPage(), WizardButtons(channel));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u"; ")));
        QCOMPARE(TabOrder(&channel), Names({"folderPicker", "toRootCheck"}));

        CSubscriptionWizard folder(session.Tree(), true, kNoNode, nullptr);
        folder.show();
        QCOMPARE(folder.currentId(), 0);
        QVERIFY(!folder.Fields());
        faults = MnemonicFaults(folder.currentPage(), WizardButtons(folder));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u"; ")));
        QCOMPARE(TabOrder(&folder), Names({"folderNameEdit", "folderUrlEdit"}));
    }
};

QTEST_MAIN(DialogKeysTest)
#include "dialog_keys_test.moc"
