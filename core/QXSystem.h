#pragma once
#include <cstdio>
#include <string>

// Portable rules of the system commands.

// Splits an ExecFile text into file name and parameters; false when the text
// names no file (blank, unterminated quote, empty or longer than 255 characters).
bool splitExecText(const char* text, std::string& file, std::string& parameters);
// The "os" property for a Windows version, or "" for versions it does not name.
const char* osName(unsigned major, unsigned minor);
// Removes leading and trailing bytes of value 32 or less.
std::string trimControl(const std::string& text);

// The host's parts of the system commands.

// The console's streams, made ready for text (on Windows a console of the
// program's own when it has none).
struct QXConsoleStreams {
    std::FILE* in;
    std::FILE* out;
};
QXConsoleStreams prepareConsole();
// A SystemProperty value for the lower-cased property name; "" for names the
// host does not know.
std::string systemProperty(const std::string& name);
