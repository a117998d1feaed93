#include "core/accounts/password_scramble.h"

namespace zirvo {
namespace {

constexpr unsigned char kKey[4] = {0x05, 0x41, 0x1C, 0x63};

}  // namespace

std::string ScramblePassword(std::string_view plain) {
    std::string out;
    out.reserve(plain.size() * 2);
    for (size_t i = 0; i < plain.size(); ++i) {
        unsigned b = (static_cast<unsigned char>(plain[i]) + kKey[i % 4]) & 0xFFu;
        out += static_cast<char>('A' + b / 26);
        out += static_cast<char>('A' + b % 26);
    }
    return out;
}

std::string UnscramblePassword(std::string_view stored) {
    std::string out;
    out.reserve(stored.size() / 2);
    for (size_t i = 0; i + 1 < stored.size(); i += 2) {
        int high = static_cast<unsigned char>(stored[i]) - 'A';
        int low = static_cast<unsigned char>(stored[i + 1]) - 'A';
        // Wraps modulo 256 like the byte arithmetic it undoes, also for letters out of range.
        unsigned b = static_cast<unsigned>(high * 26 + low) & 0xFFu;
        out += static_cast<char>((b - kKey[(i / 2) % 4]) & 0xFFu);
    }
    return out;
}

}  // namespace zirvo
