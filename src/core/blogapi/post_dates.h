#pragma once
// Dates of new posts. Articles keep local time as "%Y-%m-%d %H:%M:%S"; XML-RPC carries
// dateTime.iso8601 values as "%d%.2d%.2dT%.2d:%.2d:%.2d" (no separators in the date, no zone).
// Threading: pure functions.

#include <string>

namespace zirvo {

struct PostTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The current local time as "%Y-%m-%d %H:%M:%S".
std::string NowPostDate();

// Reads a publication date typed or stored by the programs: "%Y-%m-%d %H:%M:%S", without
// seconds, without time, with "/" instead of "-", or the dateTime.iso8601 form. False for
// anything else, including impossible dates such as 2006-02-30.
bool ParsePostDate(const std::string& text, PostTime& out);

// "%d%.2d%.2dT%.2d:%.2d:%.2d".
std::string FormatIso8601(const PostTime& time);

// The UTC time of a local wall-clock time, by the machine's time zone (its daylight-saving rules
// included). A local time that a clock change skips is read as the zone's rules place it.
PostTime LocalToUtc(const PostTime& local);

// The same wall-clock time `hours` later (negative: earlier), across days, months and years.
PostTime ShiftHours(const PostTime& time, int hours);

}  // namespace zirvo
