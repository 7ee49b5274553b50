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

// Who releases a loaded strip at the latest: the GUI driver's module when it
// stops (LoadIconStrip), or only its caller (a tool bar's own strip).
enum class IconStripOwner { GuiDriver, Caller };

// The strip of a picture file (count 1, the caller's), owned as `owner` says;
// null when there is no driver or the file cannot be read.
QXIconStrip* loadIconStripFile(QXString* file, IconStripOwner owner);
