// A record's TimeStamp, a FILETIME: 100-nanosecond ticks since 1601-01-01 00:00:00 UTC,
// read as unsigned so that every stored value, however damaged, is a time.
#pragma once

#include <cstdint>

// UTC in ISO 8601 with all seven fractional digits: 2020-07-25T13:53:39.3984512Z. The
// year has four digits up to 9999 and five beyond (the largest value is in 60056).
char* WriteIsoTimeStamp(char* out, uint64_t fileTime);

// Seconds since 1970-01-01 UTC with seven fractional digits, negative before 1970:
// 1595684019.3984512, -11644473600.0000000.
char* WriteUnixTimeStamp(char* out, uint64_t fileTime);
