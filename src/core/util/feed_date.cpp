#include "core/util/feed_date.h"

#include <array>
#include <ctime>

#include "core/util/strings.h"

namespace zirvo {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A forward-only reader over the text of one parse attempt.
class CScanner {
public:
    explicit CScanner(std::string_view text) : m_text(text) {}

    bool AtEnd() const { return m_pos >= m_text.size(); }
    std::string_view Rest() const { return m_text.substr(m_pos); }

    // Skips blanks; returns whether there were any.
    bool SkipBlanks() {
        size_t start = m_pos;
        while (!AtEnd() && IsBlank(m_text[m_pos])) {
            ++m_pos;
        }
        return m_pos > start;
    }

    bool Char(char c) {
        if (!AtEnd() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    // Reads minCount to maxCount digits; more digits than maxCount in a row is a failure.
    bool Digits(int minCount, int maxCount, int& value, int* count = nullptr) {
        int n = 0;
        value = 0;
        while (!AtEnd() && IsDigit(m_text[m_pos]) && n < maxCount) {
            value = value * 10 + (m_text[m_pos] - '0');
            ++m_pos;
            ++n;
        }
        if (count != nullptr) {
            *count = n;
        }
        return n >= minCount && (AtEnd() || !IsDigit(m_text[m_pos]));
    }

    // Exactly `count` digits, whatever follows (the "0500" of "-0500").
    bool FixedDigits(int count, int& value) {
        value = 0;
        for (int i = 0; i < count; ++i) {
            if (AtEnd() || !IsDigit(m_text[m_pos])) {
                return false;
            }
            value = value * 10 + (m_text[m_pos++] - '0');
        }
        return true;
    }

    std::string Word() {
        size_t start = m_pos;
        while (!AtEnd() && IsLetter(m_text[m_pos])) {
            ++m_pos;
        }
        return ToLowerAscii(m_text.substr(start, m_pos - start));
    }

    size_t Position() const { return m_pos; }
    void Rewind(size_t pos) { m_pos = pos; }

private:
    std::string_view m_text;
    size_t m_pos = 0;
};

constexpr std::array<const char*, 12> kMonthNames = {
    "january", "february", "march",     "april",   "may",      "june",
    "july",    "august",   "september", "october", "november", "december"};
constexpr std::array<const char*, 7> kDayNames = {"monday", "tuesday",  "wednesday", "thursday",
                                                  "friday", "saturday", "sunday"};
struct ZoneName {
    const char* name;
    int offsetMinutes;
};
constexpr std::array<ZoneName, 12> kZoneNames = {{{"UT", 0},
                                                  {"UTC", 0},
                                                  {"GMT", 0},
                                                  {"Z", 0},
                                                  {"EST", -300},
                                                  {"EDT", -240},
                                                  {"CST", -360},
                                                  {"CDT", -300},
                                                  {"MST", -420},
                                                  {"MDT", -360},
                                                  {"PST", -480},
                                                  {"PDT", -420}}};

int MonthFromName(const std::string& word) {
    if (word == "sept") {
        return 9;
    }
    for (size_t i = 0; i < kMonthNames.size(); ++i) {
        std::string_view name = kMonthNames[i];
        if (word == name || word == name.substr(0, 3)) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

// Day names arrive with their capital "T" already blanked ("Thu" as "hu"), so both are names.
bool IsDayName(const std::string& word) {
    for (std::string_view name : kDayNames) {
        for (std::string_view form : {name, name.substr(0, 3)}) {
            if (word == form || (form.front() == 't' && word == form.substr(1))) {
                return true;
            }
        }
    }
    return false;
}

// Upper-cased, "T" read as a blank (as the earlier steps leave it), blanks collapsed.
std::string ZoneKey(std::string_view text) {
    std::string key;
    bool pendingBlank = false;
    for (char c : text) {
        char up = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        if (up == 'T' || IsBlank(up)) {
            pendingBlank = true;
            continue;
        }
        if (pendingBlank && !key.empty()) {
            key += ' ';
        }
        pendingBlank = false;
        key += up;
    }
    return key;
}

// Whether `text` is a zone name; a known one sets `zoned` and `offset`. Military letters other
// than Z say nothing reliable about the zone (RFC 2822 reads them as unknown).
bool ReadZoneName(std::string_view text, bool& zoned, int& offset) {
    std::string key = ZoneKey(text);
    if (key.empty()) {
        return true;  // "T" alone, or only blanks
    }
    for (const ZoneName& zone : kZoneNames) {
        if (key == ZoneKey(zone.name)) {
            zoned = true;
            offset = zone.offsetMinutes;
            return true;
        }
    }
    return key.size() == 1 && key[0] >= 'A' && key[0] <= 'Z' && key[0] != 'J';
}

// What may follow the time: a negative offset and/or a zone name. The offset wins over a name
// that follows it ("-0500 (EST)").
bool ZoneTail(CScanner& in, DateTimeFields& out) {
    in.SkipBlanks();
    bool numeric = false;
    if (in.Char('-')) {
        int hours = 0;
        int minutes = 0;
        if (!in.FixedDigits(2, hours) || hours > 23) {
            return false;
        }
        bool colon = in.Char(':');
        size_t before = in.Position();
        if (!in.Digits(2, 2, minutes)) {
            if (colon || in.Position() != before) {
                return false;
            }
        } else if (minutes > 59) {
            return false;
        }
        numeric = true;
        out.zoned = true;
        out.offsetMinutes = -(hours * 60 + minutes);
        in.SkipBlanks();
    }
    std::string_view rest = in.Rest();
    while (!rest.empty() && IsBlank(rest.back())) {
        rest.remove_suffix(1);
    }
    if (rest.size() >= 2 && rest.front() == '(' && rest.back() == ')') {
        rest = rest.substr(1, rest.size() - 2);
    }
    for (char c : rest) {
        if (!IsLetter(c) && !IsBlank(c)) {
            return false;
        }
    }
    bool zoned = false;
    int offset = 0;
    if (!ReadZoneName(rest, zoned, offset)) {
        return false;
    }
    if (zoned && !numeric) {
        out.zoned = true;
        out.offsetMinutes = offset;
    }
    return true;
}

// [blanks TIME [ZONE]] up to the end of the text.
bool TimeAndTail(CScanner& in, DateTimeFields& out) {
    out.hour = out.minute = out.second = 0;
    out.zoned = false;
    out.offsetMinutes = 0;
    bool blanks = in.SkipBlanks();
    if (in.AtEnd()) {
        return true;
    }
    if (!blanks) {
        return false;
    }
    // Some feeds write the time without a colon ("03 Apr 02 1500 GMT").
    size_t start = in.Position();
    int compact = 0;
    if (in.Digits(4, 4, compact)) {
        out.hour = compact / 100;
        out.minute = compact % 100;
        return ZoneTail(in, out);
    }
    in.Rewind(start);
    if (!in.Digits(1, 2, out.hour) || !in.Char(':') || !in.Digits(2, 2, out.minute)) {
        return false;
    }
    if (in.Char(':')) {
        if (!in.Digits(2, 2, out.second)) {
            return false;
        }
        if (in.Char('.')) {
            int fraction = 0;
            if (!in.Digits(1, 9, fraction)) {
                return false;
            }
        }
    }
    return ZoneTail(in, out);
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool InRange(const DateTimeFields& f) {
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (f.year < 1 || f.year > 9999 || f.month < 1 || f.month > 12 || f.day < 1) {
        return false;
    }
    int days = kDays[static_cast<size_t>(f.month - 1)] + (f.month == 2 && IsLeapYear(f.year));
    return f.day <= days && f.hour >= 0 && f.hour <= 23 && f.minute >= 0 && f.minute <= 59 &&
           f.second >= 0 && f.second <= 59;
}

// YYYY S M S D, S one of "-", "/", ".".
bool ParseYearFirst(std::string_view text, DateTimeFields& out) {
    CScanner in(text);
    in.SkipBlanks();
    if (!in.Digits(4, 4, out.year)) {
        return false;
    }
    char separator = 0;
    for (char c : {'-', '/', '.'}) {
        if (in.Char(c)) {
            separator = c;
            break;
        }
    }
    return separator != 0 && in.Digits(1, 2, out.month) && in.Char(separator) &&
           in.Digits(1, 2, out.day) && TimeAndTail(in, out);
}

// Between day, month name and year: blanks or a single "-".
bool DateSeparator(CScanner& in) {
    return in.SkipBlanks() || in.Char('-');
}

// [WEEKDAY] D MON Y
bool ParseDayFirst(std::string_view text, DateTimeFields& out) {
    CScanner in(text);
    in.SkipBlanks();
    size_t start = in.Position();
    if (!IsDayName(in.Word()) || !in.SkipBlanks()) {
        in.Rewind(start);
    }
    int yearDigits = 0;
    if (!in.Digits(1, 2, out.day) || !DateSeparator(in)) {
        return false;
    }
    out.month = MonthFromName(in.Word());
    if (out.month == 0 || !DateSeparator(in) || !in.Digits(2, 4, out.year, &yearDigits) ||
        yearDigits == 3) {
        return false;
    }
    if (yearDigits == 2) {
        out.year += out.year < 30 ? 2000 : 1900;
    }
    return TimeAndTail(in, out);
}

std::string FormatStored(const DateTimeFields& f) {
    return StrFormat("%d-%.2d-%.2d %.2d:%.2d:%.2d", f.year, f.month, f.day, f.hour, f.minute,
                     f.second);
}

}  // namespace

bool ParseFeedDateText(std::string_view text, DateTimeFields& out) {
    out = DateTimeFields{};
    if (!ParseYearFirst(text, out)) {
        out = DateTimeFields{};
        if (!ParseDayFirst(text, out)) {
            return false;
        }
    }
    return InRange(out);
}

namespace {

// "+HH:MM", "+HHMM" or "+HH" at the start of `text` (just after the "+"), in minutes.
bool ReadPositiveOffset(std::string_view text, int& minutes) {
    CScanner in(text);
    int hours = 0;
    int mins = 0;
    if (!in.FixedDigits(2, hours) || hours > 23) {
        return false;
    }
    bool colon = in.Char(':');
    if (!in.FixedDigits(2, mins)) {
        if (colon) {
            return false;
        }
        mins = 0;
    }
    if (mins > 59) {
        return false;
    }
    minutes = hours * 60 + mins;
    return true;
}

// The zone time in `f` (offset minutes east of UTC) as local time. False when the result leaves
// the range the stored form can carry; `f` is then unchanged.
bool ToLocalClock(DateTimeFields& f, int offsetMinutes) {
    std::tm zoned{};
    zoned.tm_year = f.year - 1900;
    zoned.tm_mon = f.month - 1;
    zoned.tm_mday = f.day;
    zoned.tm_hour = f.hour;
    zoned.tm_min = f.minute;
    zoned.tm_sec = f.second;
    std::time_t utc = timegm(&zoned) - static_cast<std::time_t>(offsetMinutes) * 60;
    std::tm local{};
    if (localtime_r(&utc, &local) == nullptr) {
        return false;
    }
    DateTimeFields converted = f;
    converted.year = local.tm_year + 1900;
    converted.month = local.tm_mon + 1;
    converted.day = local.tm_mday;
    converted.hour = local.tm_hour;
    converted.minute = local.tm_min;
    converted.second = local.tm_sec;
    if (!InRange(converted)) {
        return false;
    }
    f = converted;
    return true;
}

}  // namespace

void NormaliseFeedDate(std::string& text) {
    // What the clean-up below removes is read first: it names the zone.
    bool utc = text.find("GMT") != std::string::npos;
    ReplaceAll(text, "GMT", "");
    if (size_t comma = text.find(','); comma != std::string::npos) {
        text.erase(0, comma + 1);
    }
    bool positive = false;
    int positiveOffset = 0;
    if (size_t plus = text.find('+'); plus != std::string::npos) {
        positive = ReadPositiveOffset(std::string_view(text).substr(plus + 1), positiveOffset);
        text.erase(plus);
    }
    utc = ReplaceAll(text, "Z", "") > 0 || utc;
    ReplaceAll(text, "T", " ");

    DateTimeFields fields;
    bool parsed = ParseFeedDateText(text, fields);
    if (!parsed && text.size() >= 8) {
        std::string retry = text;
        if (!IsDigit(retry[4]) && !IsDigit(retry[7])) {
            // Separators the parser refuses (2006_01_03): read them as "-".
            retry[4] = '-';
            retry[7] = '-';
        } else {
            // Compact dates (20060105 08:30:00).
            retry.insert(4, 1, '-');
            retry.insert(7, 1, '-');
        }
        parsed = ParseFeedDateText(retry, fields);
    }
    if (!parsed) {
        text = NowLocalText();
        return;
    }
    if (positive) {
        ToLocalClock(fields, positiveOffset);
    } else if (fields.zoned) {
        ToLocalClock(fields, fields.offsetMinutes);
    } else if (utc) {
        ToLocalClock(fields, 0);
    }
    text = FormatStored(fields);
}

std::string NowLocalText() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[32];
    size_t n = std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
    return std::string(buffer, n);
}

}  // namespace zirvo
