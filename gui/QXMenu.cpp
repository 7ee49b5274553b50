#include "gui/QXMenu.h"

#include "core/QXString.h"

QXMenu::QXMenu(QXString* newText, int id) : text(newText ? newText : emptyString()), identifier(id) {
    if (newText) retain(newText);
}

QXMenu::~QXMenu() { release(text); }

void QXMenu::destroy() {
    for (QXMenu* child = firstChild; child;) {
        if (child->refCount != 1) runtimeError("Unable to release menu child");
        QXMenu* next = child->nextSibling;
        firstChild = next;  // the chain never names a freed menu
        release(child);
        child = next;
    }
    QXObject::destroy();
}

void QXMenu::append(QXMenu* child) {
    QXMenu** end = &firstChild;
    while (*end) end = &(*end)->nextSibling;
    *end = child;
}

void QXMenu::setText(QXString* newText) {
    QXString* replacement = newText ? newText : emptyString();
    if (newText) retain(newText);
    release(text);
    text = replacement;
}
