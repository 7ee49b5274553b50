#pragma once
// The texts a file chooser opens with, built from the program's arguments.
// Portable: no Windows calls.

#include <string>

// Room of each text, terminators included.
constexpr std::size_t kFileChooserTextRoom = 260;

// The filter list: pairs of description and pattern, each ended by a zero
// byte, the list by one more. No extensions (null or empty) give "All files"
// with "*.*"; otherwise each comma-separated piece ext gives "ext Files" with
// "*.ext", up to the first empty piece. An entry that would not fit in the
// room is left out with all after it. The result holds every zero byte.
std::string fileFilterList(const char* extensions);

// The first piece of the extensions (empty when there are none).
std::string defaultExtension(const char* extensions);

// The name the chooser starts from: `defaultName` with "/" turned into "\",
// or "*.ext" for the default extension when the name is empty; cut to fit
// the room with its terminator.
std::string initialFileName(const char* defaultName, const char* extensions);
