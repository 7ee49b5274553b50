/* A program that reaches for a platform's graphics, window, sound, input or
   the net game's dialog (by its argument: "graphics", "window", "sound",
   "key", "hotkey", "joystick", "netdialog"): the Linux host has no GUI
   windows, hot keys, joysticks or net game dialog yet and stops it with a
   runtime error naming the command. Prints a line before and after. */
#include "qxprog.h"

QX_CSTR(before, "before");
QX_CSTR(after, "after");
QX_CSTR(title, "Platform");
QX_CSTR(sound, "missing.wav");
static void* constants[] = {&before, &after, &title, &sound, 0};

static int argumentIs(const char* word) {
    const char* text = _qxStrToCStr(CommandLine());
    while (*text == ' ') ++text;
    while (*word && *word == *text) ++word, ++text;
    return *word == 0 && *text == 0;
}

void qxmain(void) {
    _qxInitCStrs(constants);
    Print(before.s);
    if (argumentIs("graphics")) Graphics(320, 240, 0, 2);
    if (argumentIs("window")) CreateWindow(title.s, 0, 0, 200, 100, 0, 15);
    if (argumentIs("sound")) LoadSound(sound.s);
    if (argumentIs("key")) KeyDown(1);
    if (argumentIs("hotkey")) HotKeyEvent(1, 0, 0x9000, 0, 0, 0, 0, 0);
    if (argumentIs("joystick")) JoyType(0);
    if (argumentIs("netdialog")) StartNetGame();
    Print(after.s);
}
