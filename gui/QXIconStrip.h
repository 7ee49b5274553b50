#pragma once
// A strip of square icons cut from one picture, for tool bars and item lists.
// The GUI driver makes them; gadgets hold counted references.

#include "runtime/QXObject.h"

class QXIconStrip : public QXResource {
public:
    virtual int iconCount() = 0;
    // Icons are square: width = height.
    virtual int iconSize() = 0;
};
