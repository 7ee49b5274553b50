// Key codes of the USB keyboard usages (SDL's scan codes): the Windows scan
// code of each key, so that KeyDown(205) is the right arrow on every host.

#include <gtest/gtest.h>

#include <map>

#include "events/QXKeyCodes.h"

TEST(KeyCodes, UsagesGiveTheWindowsScanCodes) {
    struct Case {
        int usage, code;
        const char* key;
    };
    const Case cases[] = {
        {4, 30, "A"},         {29, 44, "Z"},          {30, 2, "1"},          {39, 11, "0"},
        {40, 28, "Return"},   {41, 1, "Escape"},      {42, 14, "Backspace"}, {43, 15, "Tab"},
        {44, 57, "Space"},    {58, 59, "F1"},         {67, 68, "F10"},       {68, 87, "F11"},
        {69, 88, "F12"},      {79, 205, "Right"},     {80, 203, "Left"},     {81, 208, "Down"},
        {82, 200, "Up"},      {73, 210, "Insert"},    {76, 211, "Delete"},   {74, 199, "Home"},
        {77, 207, "End"},     {75, 201, "Page Up"},   {78, 209, "Page Down"}, {88, 156, "keypad Enter"},
        {84, 181, "keypad /"}, {98, 82, "keypad 0"},  {83, 197, "Num Lock"}, {72, 69, "Pause"},
        {224, 29, "left Ctrl"}, {228, 157, "right Ctrl"}, {225, 42, "left Shift"}, {229, 54, "right Shift"},
        {226, 56, "left Alt"}, {230, 184, "right Alt"}, {227, 219, "left Windows"},
    };
    for (const Case& c : cases) EXPECT_EQ(keyCodeOfUsbUsage(c.usage), c.code) << c.key;
    for (int usage : {-1, 0, 3, 232, 4096, 1 << 30}) EXPECT_EQ(keyCodeOfUsbUsage(usage), 0) << usage;
}

TEST(KeyCodes, NoTwoKeysShareACodeButTheTwoBackslashPlaces) {
    std::map<int, int> seen;
    for (int usage = 0; usage < 512; ++usage) {
        const int code = keyCodeOfUsbUsage(usage);
        if (!code) continue;
        EXPECT_LT(code, 256) << usage;
        const auto [at, fresh] = seen.emplace(code, usage);
        if (!fresh) {
            EXPECT_TRUE(at->second == 49 && usage == 50) << "usages " << at->second << " and " << usage;
        }
    }
    EXPECT_GT(seen.size(), 110u);
}

TEST(KeyCodes, KeysThatTypeNothingAddWindowsCharacters) {
    struct Case {
        int usage, character;
    };
    const Case cases[] = {{82, 0xF700}, {81, 0xF701}, {80, 0xF702}, {79, 0xF703}, {58, 0xF704}, {69, 0xF70F},
                          {104, 0xF710}, {115, 0xF71B}, {73, 0xF727}, {76, 0xF728}, {74, 0xF729}, {77, 0xF72B},
                          {75, 0xF72C}, {78, 0xF72D}, {40, 13},     {88, 13},     {42, 8},      {43, 9},
                          {41, 27},     {4, 0},       {44, 0},      {225, 0},     {-5, 0},      {9999, 0}};
    for (const Case& c : cases) EXPECT_EQ(keyCharacterOfUsbUsage(c.usage), c.character) << c.usage;
}
