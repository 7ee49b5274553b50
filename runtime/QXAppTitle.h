#pragma once
#include <string>

// The application title as text: set by the AppTitle command, otherwise built
// (once asked for) from the program file's name without directory and extension.
std::string appTitleText();
void setAppTitleText(const std::string& title);
// The title derived from a program path ("C:\\games\\Game.exe" -> "Game").
std::string titleFromPath(const std::string& path);
