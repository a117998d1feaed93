#include "receive_fixture.h"

#include "core/util/closing_flag.h"

namespace zirvo::test {

CFeedServer* ReceiveTest::s_server = nullptr;

void CRecordingReceiveObserver::Add(std::string event) {
    std::lock_guard lock(m_mutex);
    m_events.push_back(std::move(event));
}

void CRecordingReceiveObserver::OnImageChanged(NodeId node, NodeImage image) {
    Add("image " + std::to_string(node) + " " + std::to_string(image));
}

void CRecordingReceiveObserver::OnUnreadChanged(NodeId node, int unread) {
    Add("unread " + std::to_string(node) + " " + std::to_string(unread));
}

void CRecordingReceiveObserver::OnNewItemNotice(NodeId node, int unread) {
    Add("notice " + std::to_string(node) + " " + std::to_string(unread));
}

void CRecordingReceiveObserver::OnRefreshList(int feedId) {
    Add("refresh " + std::to_string(feedId));
}

void CRecordingReceiveObserver::OnStatusText(const std::string& text) {
    Add("status " + text);
}

void CRecordingReceiveObserver::FlushPendingMarkRead() {
    Add("flush");
}

void CRecordingReceiveObserver::OnChannelDone(const ChannelReceiveOutcome& outcome) {
    if (onDone) {
        onDone(outcome);
    }
    std::lock_guard lock(m_mutex);
    m_events.push_back("done " + std::to_string(outcome.node) + (outcome.ok ? " ok" : " fail"));
    m_outcomes.push_back(outcome);
}

void CRecordingReceiveObserver::OnStopping() {
    Add("stopping");
}

std::vector<std::string> CRecordingReceiveObserver::Events() const {
    std::lock_guard lock(m_mutex);
    return m_events;
}

std::vector<std::string> CRecordingReceiveObserver::EventsOf(const std::string& prefix) const {
    std::vector<std::string> out;
    for (auto& event : Events()) {
        if (event.compare(0, prefix.size(), prefix) == 0) {
            out.push_back(event);
        }
    }
    return out;
}

std::vector<ChannelReceiveOutcome> CRecordingReceiveObserver::Outcomes() const {
    std::lock_guard lock(m_mutex);
    return m_outcomes;
}

void CRecordingReceiveObserver::Clear() {
    std::lock_guard lock(m_mutex);
    m_events.clear();
    m_outcomes.clear();
}

void ReceiveTest::SetUpTestSuite() {
    s_server = new CFeedServer();
}

void ReceiveTest::TearDownTestSuite() {
    delete s_server;
    s_server = nullptr;
}

void ReceiveTest::SetUp() {
    ASSERT_TRUE(Server().Reset());
    m_root.MakeDir("Storage");
    m_store = std::make_unique<CRssStore>(m_root.Path());
    ASSERT_TRUE(m_store->Open()) << m_store->GetLastError();
    m_manager = std::make_unique<CReceiveManager>(m_tree, m_observer, m_root.Path());
}

void ReceiveTest::TearDown() {
    m_manager.reset();
    SetClosing(false);
}

NodeId ReceiveTest::AddChannel(const std::string& caption, const std::string& path, NodeId parent) {
    return m_tree.AddNode(parent, caption, Server().Url(path), "");
}

NodeId ReceiveTest::AddFolder(const std::string& caption, NodeId parent) {
    return m_tree.AddNode(parent, caption, "", "");
}

int ReceiveTest::Configure(NodeId channel, const FeedSettings& settings) {
    std::string url = m_tree.Node(channel)->feedUrl;
    int id = 0;
    FeedSettings current;
    EXPECT_TRUE(m_store->GetFeedSettings(url, id, current));
    EXPECT_TRUE(m_store->UpdateFeed(id, url, settings));
    return id;
}

int ReceiveTest::FeedIdOf(NodeId channel) {
    int id = 0;
    FeedSettings settings;
    EXPECT_TRUE(m_store->GetFeedSettings(m_tree.Node(channel)->feedUrl, id, settings));
    return id;
}

std::vector<std::string> ReceiveTest::StoredLinks(NodeId channel) {
    std::vector<RssItem> items;
    int total = 0;
    EXPECT_TRUE(m_store->ListItems(FeedIdOf(channel), kAllItems, true, items, total, 100000, 0));
    std::vector<std::string> links;
    for (const auto& item : items) {
        links.push_back(item.link);
    }
    return links;
}

int ReceiveTest::ImageOf(NodeId node) const {
    return m_tree.Node(node)->image;
}

std::string ReceiveTest::FeedWith(const std::vector<std::string>& links) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel>"
        "<title>t</title>";
    for (const auto& link : links) {
        xml += "<item><title>" + link + "</title><link>" + link +
               "</link><pubDate>Tue, 03 Jan 2006 08:00:00 GMT</pubDate></item>";
    }
    return xml + "</channel></rss>";
}

bool ReceiveTest::ReceiveOne(NodeId channel, int refresh) {
    bool started = m_manager->StartReceive(*m_store, channel, refresh);
    m_manager->WaitIdle();
    return started;
}

}  // namespace zirvo::test
