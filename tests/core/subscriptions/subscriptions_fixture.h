#pragma once
// Shared set-up of the subscription tests: a temporary data root with a subscription file, the
// shipped message catalogue and a recording reporter.

#include <string>

#include "core/config/error_msg_dialog.h"
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
