#include "runtime/QXLinkKey.h"

namespace {
bool isAsciiAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
}  // namespace

std::string linkKey(std::string_view signature) {
    if (!signature.empty() && signature.front() == '_') {
        std::string key(1, '_');
        key.append(signature);
        return key;
    }
    if (!signature.empty() && !isAsciiAlnum(signature.front())) signature.remove_prefix(1);
    std::string key = "_f";
    for (char c : signature) {
        if (!isAsciiAlnum(c) && c != '_') break;
        key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return key;
}
