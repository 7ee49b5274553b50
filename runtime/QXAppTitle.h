#pragma once
#include <string>

class QXString;

// The application title: set by AppTitle, otherwise built (once asked for)
// from the program file's name without directory and extension.
// Returns a new reference.
QXString* appTitle();
void setAppTitle(QXString* title);
std::string appTitleText();
// The title derived from a program path ("C:\\games\\Game.exe" -> "Game").
std::string titleFromPath(const std::string& path);
