#pragma once
// Paths as programs write them (backslashes, drive letters), turned into the
// paths the host's file calls take.

#include <string>
#include <string_view>

// The Linux rule (docs/linux-host.md): every backslash becomes a slash, and a
// leading drive letter with its colon is dropped, so "C:\games\a.txt" names
// "/games/a.txt" and "D:a.txt" names "a.txt" in the current folder.
std::string linuxPathOf(std::string_view programPath);
// The other way, for folders the runtime reports: a Linux path as Wine shows
// it to a Windows program, drive Z: being the root ("/tmp/x/" -> "Z:\\tmp\\x\\"),
// so a program sees what it sees under Wine and linuxPathOf gives the path back.
std::string programPathOf(std::string_view linuxPath);

#if defined(_WIN32)
inline std::string hostPath(const char* path) { return path; }
#else
inline std::string hostPath(const char* path) { return linuxPathOf(path); }
#endif
