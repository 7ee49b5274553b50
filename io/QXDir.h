#pragma once
// Directory listings: one entry name at a time, in the platform's order.

#include <string>
#include <string_view>

#include "runtime/QXObject.h"

class QXString;

class QXDir : public QXResource {
public:
    // Slot order is part of the binary contract: these follow QXResource's.

    // Whether another entry is waiting.
    virtual bool more() = 0;
    // The waiting entry's name (a new reference), then moves on; the empty
    // string when no entry is waiting.
    virtual QXString* next() = 0;
};

// The search pattern that matches every entry of `directory`: a backslash
// is added unless the path is empty or already ends with a separator.
std::string listingPattern(std::string_view directory);
// `path` ending with a backslash (unless empty), as CurrentDir reports it.
std::string withTrailingBackslash(std::string path);
