#pragma once
// A strip of square icons cut from one picture, for tool bars and item lists.
// The GUI driver makes them; gadgets hold counted references.

#include "runtime/QXObject.h"

class QXString;

class QXIconStrip : public QXResource {
public:
    virtual int iconCount() = 0;
    // Icons are square: width = height.
    virtual int iconSize() = 0;
};

// The strip of a picture file, owned by the GUI driver's module (count 1, the
// caller's); null when there is no driver or the file cannot be read.
QXIconStrip* loadIconStripFile(QXString* file);
