// The main window with the reader views over a seeded root and a loopback feed site.

#include <QToolBox>
#include <QtTest>
#include <fstream>

#include "core/session/reader_session.h"
#include "core/util/closing_flag.h"
#include "gui/reader/reader_controller.h"
#include "shell_fixture.h"
#include "support/feed_server.h"

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

}  // namespace

class ReaderShellTest : public QObject {
    Q_OBJECT

private slots:
    void CloseWhileAReceiveHangsEndsWithoutWaitingForIt() {
        SeededRoot r;
        QVERIFY(r.seeded);
        zirvo::test::CFeedServer site;
        WriteOpml(r, "<outline title=\"F\" expanded=\"1\"><outline title=\"Hangs\" xmlUrl=\"" +
                         site.Url("/stall") + "\"/></outline>");
        auto frame = r.MakeFrame();
        QVERIFY(frame);
        CReaderSession session(r.root.Dir(), r.reporter);
        QVERIFY(session.Open());
        {
            CReaderController reader(session, *frame->Commands(), frame.get());
            frame->AttachReader(&reader, &session);
            frame->show();
            // The reader's panes are the ones shown in the reader mode.
            auto* nav = frame->findChild<QToolBox*>(QStringLiteral("navigation"));
            QCOMPARE(nav->itemText(nav->currentIndex()), QStringLiteral("RSS订阅"));
            QCOMPARE(nav->currentWidget(), reader.TreeWidget());
            QVERIFY(reader.ListWidget()->isVisible());
            QVERIFY(reader.PageWidget()->isVisible());
            emit frame->ReceiveAllRequested();
            QTRY_VERIFY_WITH_TIMEOUT(!site.RequestsFor("/stall").empty(), 30000);
            // The transfer is stuck in the middle of the feed; closing must not wait for it.
            QVERIFY(frame->close());
            QVERIFY(IsClosing());
            QVERIFY(!frame->isVisible());
        }
        WindowPosSettings saved;
        QVERIFY(r.config.ReadWindowPos(saved));
    }
};

QTEST_MAIN(ReaderShellTest)
#include "reader_shell_test.moc"
