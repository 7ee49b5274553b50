#include "io/QXDir.h"

namespace {
// Listing patterns are cut to what the platform's ANSI path calls accept.
constexpr std::size_t kMaxListingPath = 259;
}  // namespace

std::string listingPattern(std::string_view directory) {
    std::string pattern(directory.substr(0, kMaxListingPath));
    if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
    pattern += '*';
    return pattern;
}

std::string withTrailingBackslash(std::string path) {
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path;
}
