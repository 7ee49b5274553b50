// The clock: date and time texts from fixed moments, and the clock commands.

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstring>
#include <string>

#include "TestSupport.h"
#include "core/QXString.h"
#include "io/QXClock.h"

namespace {
std::string take(QXString* returned) {
    std::string text(returned->data, returned->length);
    release(returned);
    return text;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

long long millisecondsToRun(void (*body)()) {
    auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}
}  // namespace

TEST(ClockText, DatesHaveATwoDigitDayEnglishMonthAndFourDigitYear) {
    EXPECT_EQ(formatClockDate({2026, 12, 6, 14, 5, 9}), "06 Dec 2026");
    EXPECT_EQ(formatClockDate({1999, 1, 31, 0, 0, 0}), "31 Jan 1999");
    const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int month = 1; month <= 12; ++month)
        EXPECT_EQ(formatClockDate({2000, month, 1, 0, 0, 0}), std::string("01 ") + months[month - 1] + " 2000");
}

TEST(ClockText, TimesUseTheTwentyFourHourClockWithTwoDigitsEach) {
    EXPECT_EQ(formatClockTime({2026, 12, 6, 14, 5, 9}), "14:05:09");
    EXPECT_EQ(formatClockTime({2026, 12, 6, 0, 0, 0}), "00:00:00");
    EXPECT_EQ(formatClockTime({2026, 12, 6, 23, 59, 59}), "23:59:59");
}

TEST(ClockCommands, CurrentDateAndTimeAreTheLocalClockInTheirFormats) {
    auto currentDate = command<QXString*(QXCALL*)()>("$CurrentDate");
    auto currentTime = command<QXString*(QXCALL*)()>("$CurrentTime");
    SYSTEMTIME before;
    GetLocalTime(&before);
    std::string date = take(currentDate());
    std::string time = take(currentTime());

    ASSERT_EQ(date.size(), 11u) << date;
    EXPECT_TRUE(isDigit(date[0]) && isDigit(date[1]) && date[2] == ' ' && date[6] == ' ') << date;
    EXPECT_NE(std::string("JanFebMarAprMayJunJulAugSepOctNovDec").find(date.substr(3, 3)), std::string::npos);
    EXPECT_EQ(date.substr(7), std::to_string(before.wYear)) << "the year (unless run over New Year's midnight)";

    ASSERT_EQ(time.size(), 8u) << time;
    EXPECT_TRUE(time[2] == ':' && time[5] == ':') << time;
    EXPECT_EQ(std::stoi(time.substr(0, 2)), before.wHour) << "the local hour (unless run over a full hour)";
    EXPECT_LT(std::stoi(time.substr(3, 2)), 60);
    EXPECT_LT(std::stoi(time.substr(6, 2)), 60);
}

TEST(ClockCommands, MilliSecsFollowsTheSystemClockAndDelaySleeps) {
    auto milliSecs = command<int(QXCALL*)()>("%MilliSecs");
    static auto delay = command<void(QXCALL*)(int)>("Delay%millisecs");

    const int start = milliSecs();
    EXPECT_LE(std::abs(start - static_cast<int>(GetTickCount())), 1000);
    EXPECT_GE(millisecondsToRun([] { delay(60); }), 50);
    const int elapsed = milliSecs() - start;
    EXPECT_GE(elapsed, 50);
    EXPECT_LT(elapsed, 2000);

    EXPECT_LT(millisecondsToRun([] { delay(-10); }), 30);
    EXPECT_LT(millisecondsToRun([] { delay(0); }), 30);
}
