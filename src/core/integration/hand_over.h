#pragma once
// The subscription hand-over string: what a second start of the program received as its
// argument (a browser's `qova:` link or a plain feed address), passed to the running instance
// through Temp/addrss.txt. Two forms:
//   - a feed address, optionally behind the protocol prefix: "qova://http://host/feed.xml" or
//     "http://host/feed.xml"; every "qova://" is dropped and the title is empty;
//   - two fields: "...rssurl=ADDRESS&rsstitle=TITLE" (keys in any letter case); the address is
//     the text after "rssurl=" up to the "&" that precedes "rsstitle", the title the text after
//     "rsstitle=" to the end.
// Values are cut from the string as given (only the key search ignores letter case); blanks and
// line ends around them are trimmed. A title that a browser sent percent-encoded ("%E4%B8%AD")
// is decoded when that yields UTF-8 text.
//
// Threading: pure functions; any thread.

#include <string>

namespace zirvo {

inline constexpr const char* kProtocolWord = "qova";

struct HandOverRequest {
    std::string url;
    std::string title;
};

HandOverRequest ParseHandOverString(const std::string& text);

}  // namespace zirvo
