#pragma once
#include <string>

// The application title as text: set by the AppTitle command, otherwise built
// (once asked for) from the program file's name without directory and extension.
std::string appTitleText();
void setAppTitleText(const std::string& title);
// The title derived from a program path ("C:\\games\\Game.exe" -> "Game"; a
// slash separates folders too).
std::string titleFromPath(const std::string& path);
// The running program's file (the bound program, or the module the Linux host runs).
std::string runningProgramPath();
