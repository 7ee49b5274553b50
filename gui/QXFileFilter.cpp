#include "gui/QXFileFilter.h"

#include <algorithm>
#include <string_view>

std::string fileFilterList(const char* extensions) {
    std::string list;
    auto add = [&](std::string_view description, std::string_view pattern) {
        // Both texts, their terminators and the list's final zero must fit.
        if (list.size() + description.size() + pattern.size() + 3 > kFileChooserTextRoom) return false;
        list.append(description).push_back('\0');
        list.append(pattern).push_back('\0');
        return true;
    };
    if (!extensions || !*extensions) {
        add("All files", "*.*");
    } else {
        std::string_view rest = extensions;
        while (!rest.empty()) {
            const std::size_t comma = rest.find(',');
            const std::string_view piece = rest.substr(0, comma);
            if (piece.empty() || !add(std::string(piece) + " Files", "*." + std::string(piece))) break;
            if (comma == std::string_view::npos) break;
            rest.remove_prefix(comma + 1);
        }
    }
    list.push_back('\0');
    if (list.size() == 1) list.push_back('\0');  // an empty list still ends with two zeros
    return list;
}

std::string defaultExtension(const char* extensions) {
    if (!extensions) return {};
    std::string_view text = extensions;
    return std::string(text.substr(0, text.find(',')));
}

std::string initialFileName(const char* defaultName, const char* extensions) {
    std::string name = defaultName ? defaultName : "";
    std::replace(name.begin(), name.end(), '/', '\\');
    if (name.empty() && extensions && *extensions) name = "*." + defaultExtension(extensions);
    if (name.size() > kFileChooserTextRoom - 1) name.resize(kFileChooserTextRoom - 1);
    return name;
}
