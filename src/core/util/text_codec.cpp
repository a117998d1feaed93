#include "core/util/text_codec.h"

#include <iconv.h>
#include <uchardet.h>

#include <cerrno>
#include <memory>
#include <type_traits>

#include "core/util/strings.h"

namespace zirvo {
namespace {

std::string CanonicalEncoding(const std::string& name) {
    std::string lower = ToLowerAscii(Trim(name));
    // GB2312 and GBK declarations are routinely used for text with characters outside them;
    // GB18030 decodes all of it and encodes every Unicode character.
    if (lower == "gb2312" || lower == "gbk" || lower == "gb18030" || lower == "cp936" ||
        lower == "x-gbk" || lower == "euc-cn") {
        return "GB18030";
    }
    return name;
}

class CIconv {
public:
    CIconv(const std::string& from, const std::string& to)
        : m_handle(iconv_open(to.c_str(), from.c_str())) {}
    ~CIconv() {
        if (Valid()) {
            iconv_close(m_handle);
        }
    }
    CIconv(const CIconv&) = delete;
    CIconv& operator=(const CIconv&) = delete;
    bool Valid() const { return m_handle != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return m_handle; }

private:
    iconv_t m_handle;
};

}  // namespace

size_t DecodeUtf8Char(std::string_view text, size_t pos, char32_t& codePoint) {
    if (pos >= text.size()) {
        return 0;
    }
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(pos);
    codePoint = 0xFFFD;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1Fu;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0Fu;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07u;
        minimum = 0x10000;
    } else {
        return 1;
    }
    if (pos + length > text.size()) {
        return 1;
    }
    for (size_t i = 1; i < length; ++i) {
        unsigned char next = byte(pos + i);
        if ((next & 0xC0u) != 0x80u) {
            return 1;
        }
        value = (value << 6) | (next & 0x3Fu);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return 1;
    }
    codePoint = value;
    return length;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool ConvertEncoding(std::string_view bytes, const std::string& from, const std::string& to,
                     std::string& out) {
    std::string source = CanonicalEncoding(from);
    std::string target = CanonicalEncoding(to);
    bool toUtf8 = EqualsIgnoreCaseAscii(target, "UTF-8") || EqualsIgnoreCaseAscii(target, "UTF8");
    bool fromUtf8 = EqualsIgnoreCaseAscii(source, "UTF-8") || EqualsIgnoreCaseAscii(source, "UTF8");
    std::string input = fromUtf8 ? SanitizeUtf8(bytes) : std::string(bytes);
    if (fromUtf8 && toUtf8) {
        out = std::move(input);
        return true;
    }
    CIconv converter(source, target);
    if (!converter.Valid()) {
        return false;
    }
    out.clear();
    out.reserve(input.size() * 2);
    char* in = input.data();
    size_t inLeft = input.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(converter.Get(), &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (rc == static_cast<size_t>(-1)) {
            if (errno == E2BIG) {
                continue;
            }
            // EILSEQ or EINVAL: one byte (or one character, from UTF-8) cannot be converted.
            size_t skip = 1;
            if (fromUtf8) {
                char32_t cp = 0;
                skip = DecodeUtf8Char(std::string_view(in, inLeft), 0, cp);
            }
            if (toUtf8) {
                out += "\xEF\xBF\xBD";
            } else {
                out += '?';
            }
            in += skip;
            inLeft -= skip;
            iconv(converter.Get(), nullptr, nullptr, nullptr, nullptr);
        }
    }
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(converter.Get(), nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, sizeof buffer - outLeft);
    return true;
}

std::string Utf8ToGb18030(std::string_view utf8) {
    std::string out;
    ConvertEncoding(utf8, "UTF-8", "GB18030", out);
    return out;
}

std::string Gb18030ToUtf8(std::string_view gb) {
    std::string out;
    ConvertEncoding(gb, "GB18030", "UTF-8", out);
    return out;
}

std::string SanitizeUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        char32_t cp = 0;
        size_t length = DecodeUtf8Char(text, pos, cp);
        if (cp == 0xFFFD && length == 1 && static_cast<unsigned char>(text[pos]) >= 0x80) {
            out += "\xEF\xBF\xBD";
        } else {
            out.append(text, pos, length);
        }
        pos += length;
    }
    return out;
}

std::string FromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        unsigned char lead = static_cast<unsigned char>(utf8[pos]);
        if (lead == 0) {
            break;
        }
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++pos;
            continue;
        }
        char32_t cp = 0;
        size_t length = DecodeUtf8Char(utf8, pos, cp);
        if (cp == 0xA0) {
            out += ' ';
        } else if (cp == 0xA6) {
            out += '|';
        } else if (cp == 0xFFFD && length == 1) {
            out += '?';
        } else {
            out.append(utf8, pos, length);
        }
        pos += length;
    }
    return out;
}

std::string ToUtf8(std::string_view text) {
    return SanitizeUtf8(text);
}

std::string SanitizeXmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        char32_t cp = 0;
        size_t length = DecodeUtf8Char(text, pos, cp);
        bool illegal =
            (cp < 0x20 && cp != 0x09 && cp != 0x0A && cp != 0x0D) || cp == 0xFFFE || cp == 0xFFFF;
        if (!illegal) {
            if (cp == 0xFFFD && length == 1 && static_cast<unsigned char>(text[pos]) >= 0x80) {
                out += "\xEF\xBF\xBD";
            } else {
                out.append(text, pos, length);
            }
        }
        pos += length;
    }
    return out;
}

std::string CutToUtf8Bytes(std::string_view utf8, size_t maxBytes) {
    if (utf8.size() <= maxBytes) {
        return std::string(utf8);
    }
    size_t end = maxBytes;
    // Step back over continuation bytes to the lead byte of the character the cut falls in.
    while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0u) == 0x80u) {
        --end;
    }
    return std::string(utf8.substr(0, end));
}

bool IsWellFormedUtf8(std::string_view bytes) {
    size_t pos = 0;
    while (pos < bytes.size()) {
        char32_t cp = 0;
        size_t length = DecodeUtf8Char(bytes, pos, cp);
        if (cp == 0xFFFD && length == 1 && static_cast<unsigned char>(bytes[pos]) >= 0x80) {
            return false;
        }
        pos += length;
    }
    return true;
}

namespace {
struct UchardetFree {
    void operator()(uchardet_t detector) const noexcept { uchardet_delete(detector); }
};
}  // namespace

std::string DetectEncoding(std::string_view bytes) {
    constexpr const char* kFallback = "windows-1252";
    std::unique_ptr<std::remove_pointer_t<uchardet_t>, UchardetFree> detector(uchardet_new());
    if (detector == nullptr ||
        uchardet_handle_data(detector.get(), bytes.data(), bytes.size()) != 0) {
        return kFallback;
    }
    uchardet_data_end(detector.get());
    const char* found = uchardet_get_charset(detector.get());
    std::string name = found != nullptr ? found : "";
    // "ASCII" only means that the detector saw no byte above 0x7F in what it sampled.
    if (name.empty() || EqualsIgnoreCaseAscii(name, "ASCII")) {
        return kFallback;
    }
    CIconv probe(CanonicalEncoding(name), "UTF-8");
    return probe.Valid() ? name : kFallback;
}

namespace {
size_t Gb18030CharWidth(char32_t cp) {
    if (cp < 0x80) {
        return 1;
    }
    if (cp > 0xFFFF) {
        return 4;
    }
    std::string one;
    AppendUtf8(one, cp);
    std::string encoded;
    ConvertEncoding(one, "UTF-8", "GB18030", encoded);
    return encoded.empty() ? 1 : encoded.size();
}
}  // namespace

size_t Gb18030Length(std::string_view utf8) {
    return Utf8ToGb18030(utf8).size();
}

std::string CutToGb18030Bytes(std::string_view utf8, size_t maxBytes) {
    size_t used = 0;
    size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t cp = 0;
        size_t length = DecodeUtf8Char(utf8, pos, cp);
        size_t width = Gb18030CharWidth(cp);
        if (used + width > maxBytes) {
            break;
        }
        used += width;
        pos += length;
    }
    return std::string(utf8.substr(0, pos));
}

}  // namespace zirvo
