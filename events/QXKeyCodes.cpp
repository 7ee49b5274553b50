#include "events/QXKeyCodes.h"

#include <array>

namespace {

// Set-1 scan codes; 0x80 and up are extended (E0-prefixed) keys.
constexpr std::array<unsigned char, 232> kScanCodes = [] {
    std::array<unsigned char, 232> t{};
    // A to Z
    constexpr unsigned char letters[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                           0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                           0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
    for (int i = 0; i < 26; ++i) t[4 + i] = letters[i];
    // 1 to 9, 0
    for (int i = 0; i < 10; ++i) t[30 + i] = static_cast<unsigned char>(0x02 + i);
    t[40] = 0x1C;  // Return
    t[41] = 0x01;  // Escape
    t[42] = 0x0E;  // Backspace
    t[43] = 0x0F;  // Tab
    t[44] = 0x39;  // Space
    t[45] = 0x0C;  // -
    t[46] = 0x0D;  // =
    t[47] = 0x1A;  // [
    t[48] = 0x1B;  // ]
    t[49] = 0x2B;  // backslash
    t[50] = 0x2B;  // the non-US # key sits where backslash does
    t[51] = 0x27;  // ;
    t[52] = 0x28;  // '
    t[53] = 0x29;  // `
    t[54] = 0x33;  // ,
    t[55] = 0x34;  // .
    t[56] = 0x35;  // /
    t[57] = 0x3A;  // Caps Lock
    for (int i = 0; i < 10; ++i) t[58 + i] = static_cast<unsigned char>(0x3B + i);  // F1 to F10
    t[68] = 0x57;  // F11
    t[69] = 0x58;  // F12
    t[70] = 0xB7;  // Print Screen
    t[71] = 0x46;  // Scroll Lock
    t[72] = 0x45;  // Pause
    t[73] = 0xD2;  // Insert
    t[74] = 0xC7;  // Home
    t[75] = 0xC9;  // Page Up
    t[76] = 0xD3;  // Delete
    t[77] = 0xCF;  // End
    t[78] = 0xD1;  // Page Down
    t[79] = 0xCD;  // Right
    t[80] = 0xCB;  // Left
    t[81] = 0xD0;  // Down
    t[82] = 0xC8;  // Up
    t[83] = 0xC5;  // Num Lock
    t[84] = 0xB5;  // keypad /
    t[85] = 0x37;  // keypad *
    t[86] = 0x4A;  // keypad -
    t[87] = 0x4E;  // keypad +
    t[88] = 0x9C;  // keypad Enter
    constexpr unsigned char keypad[10] = {0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49, 0x52};
    for (int i = 0; i < 10; ++i) t[89 + i] = keypad[i];  // keypad 1 to 9, 0
    t[99] = 0x53;   // keypad .
    t[100] = 0x56;  // the key left of Z on ISO keyboards
    t[101] = 0xDD;  // Application (menu)
    t[102] = 0xDE;  // Power
    t[103] = 0x59;  // keypad =
    constexpr unsigned char high[12] = {0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x76};
    for (int i = 0; i < 12; ++i) t[104 + i] = high[i];  // F13 to F24
    t[127] = 0xA0;  // Mute
    t[128] = 0xB0;  // Volume Up
    t[129] = 0xAE;  // Volume Down
    t[133] = 0x7E;  // keypad , (Brazilian)
    t[135] = 0x73;  // Ro
    t[136] = 0x70;  // Katakana/Hiragana
    t[137] = 0x7D;  // Yen
    t[138] = 0x79;  // Henkan
    t[139] = 0x7B;  // Muhenkan
    t[224] = 0x1D;  // left Ctrl
    t[225] = 0x2A;  // left Shift
    t[226] = 0x38;  // left Alt
    t[227] = 0xDB;  // left Windows
    t[228] = 0x9D;  // right Ctrl
    t[229] = 0x36;  // right Shift
    t[230] = 0xB8;  // right Alt
    t[231] = 0xDC;  // right Windows
    return t;
}();

}  // namespace

int keyCodeOfUsbUsage(int usage) {
    if (usage < 0 || usage >= static_cast<int>(kScanCodes.size())) return 0;
    return kScanCodes[static_cast<unsigned>(usage)];
}

int keyCharacterOfUsbUsage(int usage) {
    if (usage >= 58 && usage <= 69) return 0xF704 + (usage - 58);    // F1 to F12
    if (usage >= 104 && usage <= 115) return 0xF710 + (usage - 104);  // F13 to F24
    switch (usage) {
    case 40:
    case 88: return 13;  // Return, keypad Enter
    case 41: return 27;  // Escape
    case 42: return 8;   // Backspace
    case 43: return 9;   // Tab
    case 73: return 0xF727;  // Insert
    case 74: return 0xF729;  // Home
    case 75: return 0xF72C;  // Page Up
    case 76: return 0xF728;  // Delete
    case 77: return 0xF72B;  // End
    case 78: return 0xF72D;  // Page Down
    case 79: return 0xF703;  // Right
    case 80: return 0xF702;  // Left
    case 81: return 0xF701;  // Down
    case 82: return 0xF700;  // Up
    default: return 0;
    }
}
