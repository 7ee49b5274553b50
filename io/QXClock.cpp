#include "io/QXClock.h"

#include <cstdio>

namespace {
// The month names stay English whatever the user's locale says.
constexpr const char* kMonthAbbreviations[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

const char* monthAbbreviation(int month) {
    return month >= 1 && month <= 12 ? kMonthAbbreviations[month - 1] : "???";
}
}  // namespace

std::string formatClockDate(const QXClockTime& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d %s %04d", time.day, monthAbbreviation(time.month), time.year);
    return text;
}

std::string formatClockTime(const QXClockTime& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.hour, time.minute, time.second);
    return text;
}
