// CRssStore: each channel's last fetch (rssfetch_data, see feed_fetch_state.h).

#include <cstdlib>

#include "core/db/sqlite_cursor.h"
#include "core/feeds/rss_store.h"
#include "core/net/http_caching.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

long long ReadSeconds(const CppSQLite3Cursor& row, const char* name) {
    const std::string text = row.GetText(name);
    return text.empty() ? 0 : std::strtoll(text.c_str(), nullptr, 10);
}

// Cut to `limit` bytes without splitting a UTF-8 sequence.
std::string CutUtf8(std::string text, size_t limit) {
    if (text.size() <= limit) {
        return text;
    }
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    text.resize(end);
    return text;
}

}  // namespace

bool CRssStore::GetFetchState(int feedId, FeedFetchState& state) {
    state = FeedFetchState();
    // Read for every channel before its fetch: compiled once per connection.
    return RunRead([&] {
        Connection()
            .Prepared(
                "SELECT fetch_etag, fetch_lastmodified, fetch_notbefore, fetch_time, "
                "fetch_ok, fetch_message FROM [rssfetch_data] WHERE feed_id = ?1;")
            .Bind(1, feedId)
            .QueryRow([&](const CppSQLite3Cursor& row) {
                state.validators.etag = row.GetText("fetch_etag");
                state.validators.lastModified = row.GetText("fetch_lastmodified");
                state.notBefore = ReadSeconds(row, "fetch_notbefore");
                state.time = ReadSeconds(row, "fetch_time");
                state.ok = row.GetInt("fetch_ok") != 0;
                state.message = row.GetText("fetch_message");
            });
    });
}

bool CRssStore::SaveFetchState(int feedId, const FeedFetchState& state) {
    // A file edited by hand or an old bug must not put a header-breaking value on the wire:
    // only keepable validators are written.
    const std::string etag =
        IsKeepableValidator(state.validators.etag) ? state.validators.etag : std::string();
    const std::string lastModified = IsKeepableValidator(state.validators.lastModified)
                                         ? state.validators.lastModified
                                         : std::string();
    // Written after every fetch of every channel: compiled once per connection.
    try {
        Connection()
            .Prepared(
                "INSERT OR REPLACE INTO [rssfetch_data] (feed_id, fetch_etag, "
                "fetch_lastmodified, fetch_notbefore, fetch_time, fetch_ok, fetch_message) "
                "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7);")
            .Bind(1, feedId)
            .Bind(2, etag)
            .Bind(3, lastModified)
            .Bind(4, state.notBefore)
            .Bind(5, state.time)
            .Bind(6, state.ok ? 1 : 0)
            .Bind(7, CutUtf8(state.message, kMaxFetchMessageBytes))
            .Execute();
        return true;
    } catch (const CppSQLite3Exception& e) {
        SetLastError(e.ErrorMessage());
        return false;
    }
}

}  // namespace zirvo
