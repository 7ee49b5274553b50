#pragma once
// The clock texts: the local date as "06 Dec 2026" (day, English month
// abbreviation, year) and the local time as "14:05:09" (24-hour clock).

#include <string>

// A moment of the local calendar, as the system reports it.
struct QXClockTime {
    int year;
    int month;  // 1-12
    int day;    // 1-31
    int hour;   // 0-23
    int minute;
    int second;
};

// Two-digit day, three-letter month, four-digit year, separated by blanks
// (always 11 characters for years 1000-9999).
std::string formatClockDate(const QXClockTime& time);
// Hours, minutes and seconds, two digits each, separated by colons.
std::string formatClockTime(const QXClockTime& time);
