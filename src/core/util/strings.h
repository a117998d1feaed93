#pragma once
// Small text helpers shared by every core subsystem. All texts are UTF-8.
// Thread-safe: pure functions.

#include <cstdarg>
#include <string>
#include <string_view>
#include <vector>

namespace zirvo {

// printf-style formatting into a std::string (g++ 12 has no <format>).
std::string StrFormat(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string StrFormatV(const char* fmt, va_list args);

// Replaces every occurrence of `from` (non-empty) by `to`; returns the count replaced.
size_t ReplaceAll(std::string& text, std::string_view from, std::string_view to);

std::string Trim(std::string_view text);
std::vector<std::string> Split(std::string_view text, char separator);
std::string Join(const std::vector<std::string>& parts, std::string_view separator);
bool StartsWith(std::string_view text, std::string_view prefix);
bool EndsWith(std::string_view text, std::string_view suffix);
std::string ToLowerAscii(std::string_view text);
bool EqualsIgnoreCaseAscii(std::string_view a, std::string_view b);

// The plain decimal conversion the settings files use: leading blanks and a sign are accepted,
// digits are read up to the first non-digit, anything non-numeric reads as 0 (as atoi does).
int ToInt(std::string_view text);

// Strict form for user input: the whole text must be a decimal integer in range.
bool ParseInt(std::string_view text, long long& out);

}  // namespace zirvo
