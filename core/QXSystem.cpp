#include "core/QXSystem.h"

#include <cstring>

bool splitExecText(const char* text, std::string& file, std::string& parameters) {
    const char* p = text;
    while (*p == ' ') ++p;
    if (!*p) return false;
    const char* rest;
    if (*p == '"') {
        const char* close = std::strchr(p + 1, '"');
        if (!close) return false;
        file.assign(p + 1, close);
        rest = close + 1;
    } else {
        const char* end = std::strchr(p, ' ');
        if (!end) end = p + std::strlen(p);
        file.assign(p, end);
        rest = end;
    }
    if (file.empty() || file.size() > 255) return false;
    while (*rest == ' ') ++rest;
    parameters = rest;
    return true;
}

const char* osName(unsigned major, unsigned minor) {
    struct Version {
        unsigned major, minor;
        const char* name;
    };
    static const Version versions[] = {{3, 51, "Windows NT 3.1"}, {4, 0, "Windows 95"}, {4, 10, "Windows 98"},
                                       {4, 90, "Windows ME"},     {5, 0, "Windows 2000"}, {5, 1, "Windows XP"}};
    for (const Version& v : versions)
        if (v.major == major && v.minor == minor) return v.name;
    return "";
}

std::string trimControl(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
    return text.substr(begin, end - begin);
}
