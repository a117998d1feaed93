#include "reader_fixture.h"

#include <QApplication>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QRegularExpression>
#include <QTimer>
#include <QTreeWidgetItem>
#include <QWidget>
#include <QtTest>

#include "core/setup/seed.h"
#include "core/util/closing_flag.h"
#include "core/util/data_root.h"
#include "core/util/files.h"
#include "core/util/strings.h"
#include "gui/reader/channel_tree_widget.h"
#include "gui/shell/command_table.h"

namespace zirvo::test {

namespace {

std::string Escape(const std::string& text) {
    std::string out = text;
    ReplaceAll(out, "&", "&amp;");
    ReplaceAll(out, "\"", "&quot;");
    ReplaceAll(out, "<", "&lt;");
    return out;
}

void WriteOutlines(const std::vector<TestOutline>& outlines, std::string& out) {
    for (const TestOutline& outline : outlines) {
        out += "<outline title=\"" + Escape(outline.title) + "\"";
        if (!outline.xmlUrl.empty()) {
            out += " xmlUrl=\"" + Escape(outline.xmlUrl) + "\"";
        }
        out += " expanded=\"1\">";
        WriteOutlines(outline.children, out);
        out += "</outline>";
    }
}

}  // namespace

CUrlRecorder::CUrlRecorder() {
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "Open");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "Open");
}

CUrlRecorder::~CUrlRecorder() {
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

CReaderFixture::CReaderFixture() {
    SetClosing(false);
    m_server = std::make_unique<CFeedServer>(std::string(ZIRVO_TEST_DATA_DIR));
    CDataRoot root(m_root.Path());
    SeedReport report;
    if (!SeedDataRoot(root, CDataRoot::ShippedDataDir(), report)) {
        qFatal("cannot seed the data root: %s", report.error.c_str());
    }
}

CReaderFixture::~CReaderFixture() {
    Close();
    SetClosing(false);
}

void CReaderFixture::WriteOpml(const std::vector<TestOutline>& top) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><opml version=\"1.0\"><head/><body>";
    WriteOutlines(top, text);
    text += "</body></opml>";
    m_root.WriteFile("Storage/rssreader.opml", text);
}

void CReaderFixture::SetRssSetting(const std::string& key, const std::string& value) {
    std::string config;
    const std::string path = m_root.PathOf("config/appConfig.xml");
    if (!ReadFileBytes(path, config)) {
        qFatal("cannot read appConfig.xml");
    }
    QString text = QString::fromStdString(config);
    const QString element = QString::fromStdString(key);
    text.replace(QRegularExpression(QStringLiteral("<%1>[^<]*</%1>").arg(element)),
                 QStringLiteral("<%1>%2</%1>").arg(element, QString::fromStdString(value)));
    m_root.WriteFile("config/appConfig.xml", text.toStdString());
}

void CReaderFixture::Open() {
    m_session = std::make_unique<CReaderSession>(m_root.Path(), m_reporter);
    if (!m_session->Open()) {
        qFatal("cannot open the reader session: %s", m_session->Error().c_str());
    }
    m_window = std::make_unique<QWidget>();
    m_window->resize(1100, 700);
    auto* commands = new gui::CCommandTable(m_window.get());
    m_controller = new gui::CReaderController(*m_session, *commands, m_window.get());
    auto* layout = new QHBoxLayout(m_window.get());
    layout->addWidget(m_controller->TreeWidget(), 1);
    layout->addWidget(m_controller->ListWidget(), 2);
    layout->addWidget(m_controller->PageWidget(), 2);
    m_window->show();
    QVERIFY2(QTest::qWaitForWindowExposed(m_window.get()), "window not shown");
    // The counts of the store arrive from a job: tests start from them.
    QVERIFY2(QTest::qWaitFor([this] { return m_session->JobsRunning() == 0; }, 20000),
             "the start-up count did not end");
    Pump();
}

void CReaderFixture::Close() {
    if (m_controller != nullptr) {
        m_controller->Shutdown();
    }
    m_window.reset();  // the controller and its widgets go with it
    m_controller = nullptr;
    if (m_session) {
        m_session->Close();
    }
    m_session.reset();
    SetClosing(false);
}

NodeId CReaderFixture::Find(const std::string& captionPath) {
    return m_session->Tree().FindByCaptionPath(captionPath);
}

int CReaderFixture::ShownUnread(NodeId id) {
    QTreeWidgetItem* item = m_controller->Tree()->ItemOf(id);
    return item ? item->data(0, gui::kUnreadRole).toInt() : -1;
}

void CReaderFixture::ReceiveAndWait(NodeId id) {
    if (!m_session->Receive(id, 1)) {
        qFatal("receive not started: %s", m_session->Error().c_str());
    }
    m_session->Receiver()->WaitIdle();
    Pump();
    // The window draws a receive's reports together, a moment later.
    if (m_controller && !QTest::qWaitFor([this] { return !m_controller->ReceiveViewsPending(); })) {
        qFatal("the receive's reports were not drawn");
    }
}

std::string CReaderFixture::OpmlText() {
    std::string text;
    ReadFileBytes(m_root.PathOf("Storage/rssreader.opml"), text);
    return text;
}

std::vector<std::string> CReaderFixture::OpmlOutline() {
    std::vector<std::string> lines;
    const QString text = QString::fromStdString(OpmlText());
    int depth = 0;
    QRegularExpression tag(QStringLiteral("<(/?)outline\\b([^>]*?)(/?)>"));
    QRegularExpression title(QStringLiteral("title=\"([^\"]*)\""));
    for (auto it = tag.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (match.captured(1) == QLatin1String("/")) {
            --depth;
            continue;
        }
        const QString caption = title.match(match.captured(2)).captured(1);
        lines.push_back(std::string(static_cast<size_t>(depth) * 2, ' ') + caption.toStdString());
        if (match.captured(3).isEmpty()) {
            ++depth;
        }
    }
    return lines;
}

void AnswerNextModal(std::function<void(QWidget*)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer = std::move(answer)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        answer(modal);
    });
    timer->start();
}

void Pump() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents();
    }
}

}  // namespace zirvo::test
