#include "runtime/QXHostPath.h"

#include <algorithm>

std::string linuxPathOf(std::string_view programPath) {
    std::string path(programPath);
    std::replace(path.begin(), path.end(), '\\', '/');
    const bool driveLetter = path.size() >= 2 && path[1] == ':' &&
                             ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (driveLetter) path.erase(0, 2);
    return path;
}

std::string programPathOf(std::string_view linuxPath) {
    std::string path(linuxPath);
    std::replace(path.begin(), path.end(), '/', '\\');
    if (!linuxPath.empty() && linuxPath.front() == '/') path.insert(0, "Z:");
    return path;
}
