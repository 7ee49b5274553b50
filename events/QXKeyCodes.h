#pragma once
// Key codes from the USB HID keyboard usages (the numbering SDL's scan codes
// follow): a program reads the same code for a key on every host, the
// Windows scan code of the key (plus 128 for the keys Windows marks as
// extended), as keyCodeOfKeyMessage makes it.

// 0 for a usage with no Windows scan code.
int keyCodeOfUsbUsage(int usage);

// The character a key that types none adds to the typed characters as it
// goes down (arrows, function keys, the editing block: 0xF700 and up, as on
// Windows), or the control character of Return, Backspace, Tab and Escape,
// which Windows types as well; 0 for every other key.
int keyCharacterOfUsbUsage(int usage);
