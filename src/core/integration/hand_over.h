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
// The file Temp/addrss.txt holds the argument's bytes, no terminator and no line end. The
// second start writes it whole (a temporary sibling renamed over it, so the running instance
// never reads half of it and a link or pipe planted under that name is replaced, not followed);
// the running instance takes it: reads it only when it is a regular file, without ever
// blocking on it, capped at kMaxHandOverBytes, and removes it.
//
// Threading: any thread; the file functions touch only the file they are given.

#include <cstddef>
#include <string>

namespace zirvo {

inline constexpr const char* kProtocolWord = "qova";

struct HandOverRequest {
    std::string url;
    std::string title;
};

HandOverRequest ParseHandOverString(const std::string& text);

inline constexpr const char* kHandOverFile = "Temp/addrss.txt";
// The hand-over holds one address and a title; anything bigger is not ours.
inline constexpr std::size_t kMaxHandOverBytes = 64 * 1024;

// Writes `text` as the hand-over file at `path` (its folder must exist). False with `error`
// set when it cannot be written whole.
bool WriteHandOverFile(const std::string& path, const std::string& text, std::string* error);

enum class HandOverFileResult {
    Taken,       // `text` holds the file's bytes; the file is gone
    Missing,     // no such file
    NotRegular,  // a folder, a pipe, a device, a link: not read (a link is removed)
    TooBig,      // over kMaxHandOverBytes or empty: removed unread
    Unreadable,  // it could not be opened or read
};

// Takes the hand-over file at `path`: reads it when it is a regular file, then removes it.
HandOverFileResult TakeHandOverFile(const std::string& path, std::string& text);

}  // namespace zirvo
