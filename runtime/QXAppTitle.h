#pragma once
#include <string>

// The application title: set by AppTitle, otherwise the program file's name
// without directory and extension.
std::string appTitleText();
// The title derived from a program path ("C:\\games\\Game.exe" -> "Game").
std::string titleFromPath(const std::string& path);
