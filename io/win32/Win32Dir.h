#pragma once
// The Windows directory listing: a FindFirstFile search that keeps the
// waiting entry.

#include <windows.h>

#include "io/QXDir.h"

class Win32Dir : public QXDir {
public:
    // Starts listing `directory`; more() is false when the search did not start.
    explicit Win32Dir(const char* directory);
    ~Win32Dir() override;

    bool more() override;
    QXString* next() override;

private:
    HANDLE search_;
    bool more_;
    WIN32_FIND_DATAA found_;
};
