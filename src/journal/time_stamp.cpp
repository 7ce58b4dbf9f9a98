#include "journal/time_stamp.h"

#include <cstring>

#include "base/format_text.h"

namespace {

const uint64_t TICKS_PER_SECOND = 10000000;
const uint64_t SECONDS_PER_DAY = 86400;
// 1970-01-01 as a FILETIME; no leap seconds on either side.
const uint64_t UNIX_EPOCH_TICKS = 116444736000000000;
// Days from 0000-03-01 to 1601-01-01 in the proleptic Gregorian calendar.
const uint64_t DAYS_TO_1601 = 584694;
const uint64_t DAYS_PER_400_YEARS = 146097;

struct CivilDate {
    uint64_t year;
    unsigned month;
    unsigned day;
};

// Counting from March makes the leap day the last day of a year, so each 400-year era
// is whole and each month's start follows from one formula.
CivilDate DateOfDay(uint64_t daysSince1601)
{
    uint64_t days = daysSince1601 + DAYS_TO_1601;
    uint64_t era = days / DAYS_PER_400_YEARS;
    uint64_t dayOfEra = days % DAYS_PER_400_YEARS;
    uint64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    uint64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    uint64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    CivilDate date;
    date.day = static_cast<unsigned>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    date.month = static_cast<unsigned>(monthFromMarch < 10 ? monthFromMarch + 3
                                                           : monthFromMarch - 9);
    date.year = era * 400 + yearOfEra + (date.month <= 2 ? 1 : 0);
    return date;
}

char* WriteFraction(char* out, uint64_t ticks)
{
    *out++ = '.';
    return WriteDecimalDigits(out, ticks % TICKS_PER_SECOND, 7);
}

// The date and time of the second written last: a journal holds many records a second.
struct SecondText {
    uint64_t second;
    char text[24];
    size_t length;
};

SecondText lastSecond = {UINT64_MAX, {}, 0};

char* WriteDateAndTime(char* out, uint64_t seconds)
{
    uint64_t secondOfDay = seconds % SECONDS_PER_DAY;
    CivilDate date = DateOfDay(seconds / SECONDS_PER_DAY);
    out = WriteDecimalDigits(out, date.year, date.year > 9999 ? 5 : 4);
    *out++ = '-';
    out = WriteDecimalDigits(out, date.month, 2);
    *out++ = '-';
    out = WriteDecimalDigits(out, date.day, 2);
    *out++ = 'T';
    out = WriteDecimalDigits(out, secondOfDay / 3600, 2);
    *out++ = ':';
    out = WriteDecimalDigits(out, secondOfDay / 60 % 60, 2);
    *out++ = ':';
    return WriteDecimalDigits(out, secondOfDay % 60, 2);
}

}  // namespace

char* WriteIsoTimeStamp(char* out, uint64_t fileTime)
{
    uint64_t seconds = fileTime / TICKS_PER_SECOND;
    if (seconds != lastSecond.second) {
        char* end = WriteDateAndTime(lastSecond.text, seconds);
        lastSecond.length = static_cast<size_t>(end - lastSecond.text);
        lastSecond.second = seconds;
    }
    // The whole array, a size the compiler copies in place; only its length counts.
    std::memcpy(out, lastSecond.text, sizeof lastSecond.text);
    out += lastSecond.length;
    out = WriteFraction(out, fileTime);
    *out++ = 'Z';
    return out;
}

char* WriteUnixTimeStamp(char* out, uint64_t fileTime)
{
    uint64_t ticks;
    if (fileTime >= UNIX_EPOCH_TICKS) {
        ticks = fileTime - UNIX_EPOCH_TICKS;
    } else {
        ticks = UNIX_EPOCH_TICKS - fileTime;
        *out++ = '-';
    }
    out = WriteDecimal(out, ticks / TICKS_PER_SECOND);
    return WriteFraction(out, ticks);
}
