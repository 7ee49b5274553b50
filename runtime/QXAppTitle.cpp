#include "runtime/QXAppTitle.h"

#include <optional>

namespace {
std::optional<std::string> title;
}

std::string titleFromPath(const std::string& path) {
    std::size_t slash = path.find_last_of("\\/");
    std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = path.rfind('.');
    std::size_t end = (dot != std::string::npos && dot >= start) ? dot : path.size();
    return path.substr(start, end - start);
}

std::string appTitleText() {
    if (!title) title = titleFromPath(runningProgramPath());
    return *title;
}

void setAppTitleText(const std::string& text) { title = text; }
