#pragma once
#include <cstddef>

// The command's name in its signature ("%CreateWindow$text..." -> "CreateWindow",
// "_qxFoo" -> "_qxFoo"), cut to fit `capacity` bytes with the terminator.
void commandNameOf(const char* signature, char* name, std::size_t capacity);
// Whether the signature is registered only as unavailable on Linux.
bool unavailableOnLinux(const char* signature);
std::size_t unavailableCount();
