#include "io/win32/Win32Dir.h"

#include "core/QXString.h"

Win32Dir::Win32Dir(const char* directory)
    : search_(FindFirstFileA(listingPattern(directory).c_str(), &found_)),
      more_(search_ != INVALID_HANDLE_VALUE) {}

Win32Dir::~Win32Dir() {
    if (search_ != INVALID_HANDLE_VALUE) FindClose(search_);
}

bool Win32Dir::more() { return more_; }

QXString* Win32Dir::next() {
    if (!more_) return emptyString();
    QXString* name = newString(found_.cFileName);
    more_ = FindNextFileA(search_, &found_) != 0;
    return name;
}
