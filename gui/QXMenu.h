#pragma once
// The menu tree a window owns. The tree only records what the program asked
// for; the native menu bar is rebuilt from it when the program says so.

#include "runtime/QXObject.h"

class QXString;

class QXMenu : public QXObject {
public:
    // Takes its own reference to `text` (null reads as empty).
    QXMenu(QXString* text, int identifier);
    ~QXMenu() override;

    // Releases the children in order, then the object; a child that someone
    // else still holds stops this with "Unable to release menu child".
    void destroy() override;

    // Appends `child` at the end of the child chain (the chain holds no
    // references: the child's own count stands for its place here).
    void append(QXMenu* child);
    void setText(QXString* text);

    // Fields in their fixed order.
    QXString* text;
    int identifier;
    bool checked = false;
    bool enabled = true;
    QXMenu* firstChild = nullptr;
    QXMenu* nextSibling = nullptr;
};
