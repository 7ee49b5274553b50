#pragma once
#include <string>

// The arguments part of a process command line: the program name (quoted or
// not) and leading spaces removed, everything after it kept as it stands.
std::string programArguments(const char* commandLine);
