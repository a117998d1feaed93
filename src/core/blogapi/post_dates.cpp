#include "core/blogapi/post_dates.h"

#include <ctime>

#include "core/util/strings.h"

namespace zirvo {
namespace {

bool FromTm(const std::tm& tm, PostTime& out) {
    // A round trip through timegm rejects dates that do not exist (the 30th of February).
    std::tm copy = tm;
    timegm(&copy);
    if (copy.tm_year != tm.tm_year || copy.tm_mon != tm.tm_mon || copy.tm_mday != tm.tm_mday ||
        copy.tm_hour != tm.tm_hour || copy.tm_min != tm.tm_min || copy.tm_sec != tm.tm_sec) {
        return false;
    }
    out = PostTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    return true;
}

}  // namespace

std::string NowPostDate() {
    time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

bool ParsePostDate(const std::string& text, PostTime& out) {
    static const char* const kForms[] = {
        "%Y-%m-%d %H:%M:%S", "%Y-%m-%d %H:%M", "%Y-%m-%d",        "%Y/%m/%d %H:%M:%S",
        "%Y/%m/%d %H:%M",    "%Y/%m/%d",       "%Y%m%dT%H:%M:%S",
    };
    std::string trimmed = Trim(text);
    for (const char* form : kForms) {
        std::tm tm{};
        const char* end = strptime(trimmed.c_str(), form, &tm);
        if (end != nullptr && *end == '\0') {
            return FromTm(tm, out);
        }
    }
    return false;
}

std::string FormatIso8601(const PostTime& time) {
    return StrFormat("%d%.2d%.2dT%.2d:%.2d:%.2d", time.year, time.month, time.day, time.hour,
                     time.minute, time.second);
}

PostTime LocalToUtc(const PostTime& local) {
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = -1;  // let the zone's rules say whether summer time applies
    time_t seconds = mktime(&tm);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    return PostTime{utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday,
                    utc.tm_hour,        utc.tm_min,     utc.tm_sec};
}

PostTime ShiftHours(const PostTime& time, int hours) {
    std::tm tm{};
    tm.tm_year = time.year - 1900;
    tm.tm_mon = time.month - 1;
    tm.tm_mday = time.day;
    tm.tm_hour = time.hour;
    tm.tm_min = time.minute;
    tm.tm_sec = time.second;
    // Wall-clock arithmetic in UTC so that no daylight-saving rule of the machine interferes.
    time_t seconds = timegm(&tm) + static_cast<time_t>(hours) * 3600;
    std::tm shifted{};
    gmtime_r(&seconds, &shifted);
    return PostTime{shifted.tm_year + 1900, shifted.tm_mon + 1, shifted.tm_mday,
                    shifted.tm_hour,        shifted.tm_min,     shifted.tm_sec};
}

}  // namespace zirvo
