#pragma once
// The stored form of an account's blog password (the `password` element of userConfig.xml).
//
// Each byte of the password (UTF-8 here) is raised, modulo 256, by the key byte at its position
// taken cyclically from 0x05 0x41 0x1C 0x63; each result b is written as two capital letters,
// 'A' + b / 26 then 'A' + b % 26. So the stored text is twice as long as the password, a letter
// 'A'..'J' followed by a letter 'A'..'Z' per byte. This hides the password from a glance at the
// file; it is not encryption.
//
// Threading: pure functions, any thread.

#include <string>
#include <string_view>

namespace zirvo {

std::string ScramblePassword(std::string_view plain);
// The exact inverse of ScramblePassword. A text not made by it still gives some bytes (each
// letter pair is read with the same arithmetic, a trailing odd letter is ignored) and never fails.
std::string UnscramblePassword(std::string_view stored);

}  // namespace zirvo
