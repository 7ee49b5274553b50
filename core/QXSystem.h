#pragma once
#include <string>

// Portable rules of the system commands.

// Splits an ExecFile text into file name and parameters; false when the text
// names no file (blank, unterminated quote, empty or longer than 255 characters).
bool splitExecText(const char* text, std::string& file, std::string& parameters);
// The "os" property for a Windows version, or "" for versions it does not name.
const char* osName(unsigned major, unsigned minor);
// Removes leading and trailing bytes of value 32 or less.
std::string trimControl(const std::string& text);
