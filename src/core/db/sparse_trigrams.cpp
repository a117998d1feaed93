#include "core/db/sparse_trigrams.h"

#include <array>
#include <cstdint>
#include <utility>

#include "core/db/trigram_tokenizer.h"

namespace zirvo {
namespace {

using trigram_tokenizer::FoldAscii;

struct Trigram {
    std::array<char, 12> bytes{};
    size_t length = 0;
    uint32_t hash = 0;
    size_t begin = 0;  // byte offsets in the text
    size_t end = 0;

    std::string_view Text() const { return {bytes.data(), length}; }
};

bool Before(const Trigram& a, const Trigram& b) {
    return a.hash != b.hash ? a.hash < b.hash : a.Text() < b.Text();
}

// Calls `emit(term, begin, end)` for each kept trigram where a run of three first keeps it.
// Streams: a description of megabytes costs no more memory than a title.
template <typename Emit>
bool ForEachKept(std::string_view text, Emit&& emit) {
    std::array<std::string_view, 3> chars;  // the last three, by count % 3
    std::array<Trigram, 3> trigrams;        // the last three, by index % 3
    size_t charCount = 0;
    size_t last = static_cast<size_t>(-1);  // the index of the trigram last given
    for (size_t i = 0; i < text.size();) {
        const size_t length = IndexCharLength(text, i);
        chars[charCount % 3] = text.substr(i, length);
        i += length;
        if (++charCount < 3) {
            continue;
        }
        const size_t index = charCount - 3;
        Trigram& trigram = trigrams[index % 3];
        trigram.length = 0;
        uint32_t hash = 2166136261u;  // FNV-1a
        for (size_t c = index; c < index + 3; ++c) {
            for (char byte : chars[c % 3]) {
                const char folded = FoldAscii(byte);
                trigram.bytes[trigram.length++] = folded;
                hash = (hash ^ static_cast<unsigned char>(folded)) * 16777619u;
            }
        }
        trigram.hash = hash;
        trigram.begin = static_cast<size_t>(chars[index % 3].data() - text.data());
        trigram.end = i;
        if (index < 2) {
            continue;
        }
        size_t best = index - 2;
        for (size_t t = index - 1; t <= index; ++t) {
            if (Before(trigrams[t % 3], trigrams[best % 3])) {
                best = t;
            }
        }
        if (best != last) {
            last = best;
            const Trigram& kept = trigrams[best % 3];
            if (!emit(kept.Text(), kept.begin, kept.end)) {
                return false;
            }
        }
    }
    return true;
}

struct SparseTerms {
    template <typename Emit>
    static bool ForEach(std::string_view text, Emit&& emit) {
        return ForEachKept(text, std::forward<Emit>(emit));
    }
};

}  // namespace

size_t IndexCharLength(std::string_view text, size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = 1;
    if ((lead & 0xE0) == 0xC0 && lead >= 0xC2) {
        length = 2;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
    } else if ((lead & 0xF8) == 0xF0 && lead <= 0xF4) {
        length = 4;
    }
    if (length == 1 || i + length > text.size()) {
        return 1;
    }
    for (size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return length;
}

std::vector<std::string_view> IndexCharacters(std::string_view text) {
    std::vector<std::string_view> chars;
    chars.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t length = IndexCharLength(text, i);
        chars.push_back(text.substr(i, length));
        i += length;
    }
    return chars;
}

std::vector<std::string> SparseTrigrams(std::string_view text) {
    return trigram_tokenizer::DistinctTerms<SparseTerms>(text);
}

bool RegisterSparseTrigramTokenizer(sqlite3* db) {
    return trigram_tokenizer::Register<SparseTerms>(db, kSparseTrigramTokenizer);
}

}  // namespace zirvo
