#pragma once
// Child processes for CreateProcess: the host starts `commandLine` with its
// standard input, output and error redirected to pipes, and hands back a
// stream over them (reading takes what the child wrote, waiting for at least
// one byte while it lives; writing feeds its input). Null when the program
// or a pipe cannot be had.

#include <string>
#include <string_view>
#include <vector>

class QXStream;

QXStream* startProcessStream(const char* commandLine);

// The words of a command line as a Windows program's C runtime splits its
// own: blanks and tabs separate, double quotes group (and go), backslashes
// are literal except before a quote (2n of them then give n, 2n+1 give n
// and a literal quote). The Linux host starts children with these words.
std::vector<std::string> splitCommandLine(std::string_view line);
