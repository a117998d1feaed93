#pragma once
// Normalisation of the dates that feeds and blog servers send, into the text both databases
// store: "%d-%.2d-%.2d %.2d:%.2d:%.2d" (year, month, day, hour, minute, second). Used by the feed
// receiver for every item and by the article store for every received post.
//
// NormaliseFeedDate rewrites the text in place:
//   1. every "GMT" is removed;
//   2. if a "," occurs, everything up to and including the first "," goes (a leading weekday);
//   3. if a "+" occurs, everything from the first "+" on goes (a positive zone offset, read
//      first as "+HH:MM", "+HHMM" or "+HH");
//   4. if a "Z" occurs, every "Z" is removed; then every "T" becomes a blank;
//   5. the text is parsed (ParseFeedDateText); if that fails and the text has at least 8
//      characters, a second attempt is made on a rewritten copy:
//        - when characters 4 and 7 are both non-digits (2006_01_03 08:00:00), each becomes "-";
//        - otherwise a "-" is inserted before character 4 and then before character 7 of the text
//          as it then stands (20060105 08:30:00 becomes 2006-01-05 08:30:00);
//   6. a parsed date becomes the stored form above; when both attempts fail the text becomes the
//      current local time, "%Y-%m-%d %H:%M:%S".
// Zones are applied: a date that names its zone (a "+" offset, a negative offset, "GMT", "Z" or
// a zone name) is converted to local time, the clock of every other stored date (an item
// without a date gets the local time of reading). A date without a zone keeps its clock time.
//
// ParseFeedDateText accepts exactly these forms (blanks are spaces, tabs or line breaks; leading
// and trailing blanks are ignored; letters in names are matched without regard to case):
//   a) day-month-name form:  [WEEKDAY] D MON Y [TIME [ZONE]]
//        D: 1 or 2 digits. MON: an English month name, full ("January") or three letters ("Jan",
//        also "Sept"). Y: 4 digits, or 2 digits (00-29 are 2000-2029, 30-99 are 1930-1999).
//        D, MON and Y are separated by blanks or by single "-" (05-Jan-2006).
//        WEEKDAY: an English day name, full or three letters, also with its leading "T" already
//        turned into a blank by step 4 ("Thu" arrives as "hu").
//   b) year-month-day form:  YYYY S M S D [TIME [ZONE]]
//        YYYY: 4 digits; M, D: 1 or 2 digits; S: "-", "/" or ".", the same both times.
//   TIME: H:MM or H:MM:SS, H 1 or 2 digits, optionally followed by a fraction of a second
//         (".123"), which is dropped; or HHMM, exactly 4 digits without a colon.
//         Without TIME the time is 00:00:00.
//   ZONE: a negative offset "-HHMM", "-HH:MM" or "-HH", and/or a zone name, optionally
//         in parentheses: UT, UTC, GMT, Z, EST, EDT, CST, CDT, MST, MDT, PST, PDT or a single
//         military letter, each also in the form step 4 leaves it ("EST" arrives as "ES").
//         The offset, else the named zone, sets `zoned`; military letters other than Z say
//         nothing about the zone.
//   Ranges are checked: year 1-9999, month 1-12, day valid for that month (leap years counted),
//   hour 0-23, minute and second 0-59. Anything else fails; a parse never yields a nonsense date.
//
// Threading: pure functions; any thread (local time is read with localtime_r).

#include <string>
#include <string_view>

namespace zirvo {

struct DateTimeFields {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool zoned = false;     // the text named its zone
    int offsetMinutes = 0;  // east of UTC, when zoned
};

// One parse attempt of step 5 on the text as it stands. False leaves `out` unspecified.
bool ParseFeedDateText(std::string_view text, DateTimeFields& out);

// Steps 1 to 6 above, in place.
void NormaliseFeedDate(std::string& text);

// The current local time as "%Y-%m-%d %H:%M:%S".
std::string NowLocalText();

}  // namespace zirvo
