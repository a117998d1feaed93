// The keyboard of the reader's dialogs: every mnemonic letter once per dialog (or wizard page)
// and leading to its field, and Tab visiting the fields in the order they are shown.

#include <QCheckBox>
#include <QtTest>
#include <fstream>

#include "core/session/reader_session.h"
#include "dialog_keys.h"
#include "gui/dialogs/channel_properties_dialog.h"
#include "gui/dialogs/folder_properties_dialog.h"
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
};

QTEST_MAIN(DialogKeysTest)
#include "dialog_keys_test.moc"
