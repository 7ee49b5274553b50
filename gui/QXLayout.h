#pragma once
// Gadget layout: where a child goes when its parent's client area changes.
// Pure arithmetic, kept apart so that it can be checked on its own.

// Layout codes per edge.
enum QXLayoutCode : int {
    kLayoutCentred = 0,   // keep the size; the centre keeps its proportional place
    kLayoutAligned = 1,   // keep the distance to that edge of the parent
    kLayoutRelative = 2,  // scale with the parent
};

struct QXShape {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const QXShape&, const QXShape&) = default;
};

struct QXLayoutRules {
    QXShape reference;      // the shape when the reference was taken
    int referenceClientWidth = 1;   // the parent's client size then (at least 1)
    int referenceClientHeight = 1;
    int left = 0, top = 0, right = 0, bottom = 0;  // layout codes
};

// The shape of a gadget now at `current` whose parent's client area is now
// `clientWidth` x `clientHeight`. All arithmetic is 32-bit signed with
// wrap-around, division truncating toward zero, as the program's own
// integers behave.
QXShape layoutShape(const QXLayoutRules& rules, const QXShape& current, int clientWidth, int clientHeight);
