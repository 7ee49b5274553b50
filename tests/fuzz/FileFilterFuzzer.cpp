// The file chooser's texts from any extension list and default name: the
// filter list fits its room, ends with two zero bytes and holds description
// and pattern pairs; the starting name fits and uses backslashes only.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "gui/QXFileFilter.h"

namespace {
void check(bool ok) {
    if (!ok) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Flags, then the extensions and the default name split at the first zero byte.
    if (size == 0) return 0;
    const std::uint8_t flags = data[0];
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string extensions = rest.substr(0, rest.find('\0'));
    const std::string name = rest.find('\0') == std::string::npos ? std::string() : rest.substr(rest.find('\0') + 1);
    const char* ext = flags & 1 ? nullptr : extensions.c_str();
    const char* def = flags & 2 ? nullptr : name.c_str();

    const std::string list = fileFilterList(ext);
    check(list.size() >= 2 && list.size() <= kFileChooserTextRoom);
    check(list[list.size() - 1] == '\0' && list[list.size() - 2] == '\0');
    std::string_view entries(list.data(), list.size() - 1);
    int texts = 0;
    while (!entries.empty() && entries.front() != '\0') {
        const std::size_t end = entries.find('\0');
        check(end != std::string_view::npos);
        const std::string_view text = entries.substr(0, end);
        if (texts % 2 == 1) check(text.substr(0, 2) == "*.");
        ++texts;
        entries.remove_prefix(end + 1);
    }
    check(texts % 2 == 0);
    check(entries.empty() || entries == std::string_view("\0", 1));

    const std::string extension = defaultExtension(ext);
    check(extension.find(',') == std::string::npos);

    const std::string start = initialFileName(def, ext);
    check(start.size() <= kFileChooserTextRoom - 1);
    // Slashes in the name become backslashes; "*.ext" keeps the extension as given.
    if (def && *def) check(start.find('/') == std::string::npos);
    return 0;
}
