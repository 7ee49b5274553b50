#pragma once
// What the message box spy (qxmbspy.dll) and the runner agree on.

// The property holding a message box's style word, tagged so that a style of
// 0 (MB_OK, no icon) differs from no property at all.
constexpr const char* kMessageBoxStyleProperty = "QXMessageBoxStyle";
constexpr unsigned long kMessageBoxStyleTag = 0x80000000UL;
// The id of a message box's text control.
constexpr int kMessageBoxTextControl = 0xFFFF;
// The spy, beside the program that runs the runner, and its hook procedure
// (exported undecorated: the library links with --kill-at).
constexpr const char* kMessageBoxSpyDll = "qxmbspy.dll";
constexpr const char* kMessageBoxSpyProc = "qxMessageBoxSpy";
