#include "runtime/QXAppTitle.h"

#include <windows.h>

#include "core/QXString.h"

namespace {
QXString* title = nullptr;
}

std::string titleFromPath(const std::string& path) {
    std::size_t slash = path.rfind('\\');
    std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = path.rfind('.');
    std::size_t end = (dot != std::string::npos && dot >= start) ? dot : path.size();
    return path.substr(start, end - start);
}

QXString* appTitle() {
    if (!title) {
        char path[256] = {};
        GetModuleFileNameA(nullptr, path, 255);
        title = newString(titleFromPath(path).c_str());
    }
    retain(title);
    return title;
}

void setAppTitle(QXString* newTitle) {
    retain(newTitle);
    QXString* old = title;
    title = newTitle;
    release(old);
}

std::string appTitleText() {
    QXString* t = appTitle();
    std::string text(stringCText(t));
    release(t);
    return text;
}
