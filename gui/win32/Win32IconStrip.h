#pragma once
// An icon strip over a native image list.

#include <windows.h>
#include <commctrl.h>

#include "gui/QXIconStrip.h"

class QXPixmap;

class Win32IconStrip : public QXIconStrip {
public:
    Win32IconStrip(int count, int size, HIMAGELIST images) : count_(count), size_(size), images_(images) {}
    ~Win32IconStrip() override;
    int iconCount() override { return count_; }
    int iconSize() override { return size_; }
    HIMAGELIST imageList() const { return images_; }

private:
    int count_;
    int size_;
    HIMAGELIST images_;
};

// Square icons as tall as the pixmap cut from its left (a remainder narrower
// than one icon is dropped), transparent where the colour is that of the top
// left pixel. Null for a pixmap without pixels or when Windows refuses.
Win32IconStrip* win32IconStripFromPixmap(QXPixmap& pixmap);

// The image list of a native strip, or null.
HIMAGELIST win32ImageListOf(QXIconStrip* strip);
