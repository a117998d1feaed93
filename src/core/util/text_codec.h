#pragma once
// Character sets. Inside the programs all text is UTF-8; the wire and old files may carry
// GB2312/GBK/GB18030. Byte limits of user texts (names 20, titles 50, ...) count the bytes of
// the text encoded in GB18030, so ten Chinese characters stay ten; cuts never split a character.
// Thread-safe: every call uses its own conversion state.

#include <string>
#include <string_view>

namespace zirvo {

// Converts between any two encodings iconv knows ("GB2312" is read as GB18030, its superset).
// Bytes that cannot be converted become '?' (or U+FFFD towards UTF-8); false only when the
// encoding name is unknown.
bool ConvertEncoding(std::string_view bytes, const std::string& from, const std::string& to,
                     std::string& out);

std::string Utf8ToGb18030(std::string_view utf8);
std::string Gb18030ToUtf8(std::string_view gb);

// UTF-8 as it arrives from a server, made into the program's text: bytes below 0x80 are kept,
// a no-break space (C2 A0) becomes a blank and a broken bar (C2 A6) becomes "|", broken
// sequences become "?", and the text ends at the first NUL byte.
std::string FromUtf8(std::string_view utf8);
// Program text to UTF-8 for the wire: the text is UTF-8 already; broken sequences are repaired.
std::string ToUtf8(std::string_view text);

// Replaces every ill-formed UTF-8 sequence by U+FFFD.
std::string SanitizeUtf8(std::string_view text);
// SanitizeUtf8, and drops the characters XML 1.0 cannot carry (controls other than tab, LF and
// CR; U+FFFE, U+FFFF), so any text put into an XML file can be read back.
std::string SanitizeXmlText(std::string_view text);

// Byte length of the text once encoded in GB18030.
size_t Gb18030Length(std::string_view utf8);
// The longest prefix of `utf8` whose GB18030 encoding fits in `maxBytes`, cut between characters.
std::string CutToGb18030Bytes(std::string_view utf8, size_t maxBytes);

// The longest prefix of `utf8` of at most `maxBytes` bytes that ends between two characters.
std::string CutToUtf8Bytes(std::string_view utf8, size_t maxBytes);

// True when every byte sequence of `bytes` is well-formed UTF-8.
bool IsWellFormedUtf8(std::string_view bytes);

// The encoding of text that names none, guessed from its bytes by a character-set detector
// (uchardet): an iconv name such as "GB18030", "ISO-8859-1" or "UTF-8". "windows-1252" when
// the detector cannot tell, since it gives every byte a character and is what undeclared
// Western pages most often are.
std::string DetectEncoding(std::string_view bytes);

// Decodes one UTF-8 character at `pos`; returns its length (0 at the end, or 1 with
// `codePoint` = 0xFFFD for an ill-formed byte).
size_t DecodeUtf8Char(std::string_view text, size_t pos, char32_t& codePoint);
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace zirvo
