#pragma once
// Shared set-up of the subscription tests: a temporary data root with a subscription file, the
// shipped message catalogue and a recording reporter.

#include <csignal>
#include <string>

#include <sys/resource.h>

#include "core/config/error_msg_dialog.h"
#include "core/db/sqlite_connection.h"
#include "core/util/files.h"
#include "core/util/reporter.h"
#include "support/temp_dir.h"

namespace zirvo::test {

// Two folders, the second nested, five channels; one outline carries only `text`, one an empty
// `xmlUrl`.
inline constexpr const char* kSampleOpml = R"(<?xml version="1.0" encoding="UTF-8"?>
<opml version="1.0">
  <head><title>keep me</title></head>
  <body>
    <outline title="新闻" htmlUrl="http://news.example/" unreadnum="7" expanded="1">
      <outline title="Alpha" xmlUrl="http://127.0.0.1/alpha.xml" unreadnum="3" expanded="0"/>
      <outline title="Beta" xmlUrl="http://127.0.0.1/beta.xml" unreadnum="4" expanded="0"/>
      <outline title="技术/开发" xmlUrl="" unreadnum="5" expanded="1">
        <outline text="Gamma only text" xmlUrl="http://127.0.0.1/gamma.xml" unreadnum="5"/>
      </outline>
    </outline>
    <outline title="Delta" xmlUrl="http://127.0.0.1/delta.xml" unreadnum="2" expanded="0"/>
    <outline title="Epsilon" xmlUrl="http://127.0.0.1/epsilon.xml" unreadnum="1"/>
  </body>
</opml>
)";

// Caps the size of files this process writes while it lives, so that saves fail with EFBIG even
// for a user whom file rights do not stop.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
};

// Runs `sql` on the database file over a connection of its own: a trigger that raises makes a
// store statement fail the way a full disk or a damaged file would.
inline void ExecuteOn(const std::string& databasePath, const std::string& sql) {
    CppSQLite3Connection db;
    db.Open(databasePath);
    db.ExecuteUpdate(sql);
}

// kSampleOpml followed by `count` more channels at the top level: a file of some megabytes.
inline std::string PaddedSampleOpml(int count) {
    std::string bytes = kSampleOpml;
    std::string padding;
    for (int i = 0; i < count; ++i) {
        padding += "    <outline title=\"Padding " + std::to_string(i) +
                   "\" xmlUrl=\"http://127.0.0.1/padding/" + std::to_string(i) + ".xml\"/>\n";
    }
    bytes.insert(bytes.find("  </body>"), padding);
    return bytes;
}

class SubscriptionsFixture {
public:
    SubscriptionsFixture()
        : m_messages(std::string(ZIRVO_TEST_SOURCE_DIR) + "/data/ErrorMsg.xml", m_reporter) {
        m_dir.MakeDir("Storage");
        m_dir.MakeDir("Temp");
    }

    std::string WriteOpml(const std::string& bytes = kSampleOpml,
                          const std::string& name = "Storage/rssreader.opml") {
        return m_dir.WriteFile(name, bytes);
    }
    std::string ReadBack(const std::string& path) const {
        std::string bytes;
        ReadFileBytes(path, bytes);
        return bytes;
    }

    TempDir m_dir{"subs"};
    CRecordingReporter m_reporter;
    CErrorMsgDialog m_messages;
};

}  // namespace zirvo::test
