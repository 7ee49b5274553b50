#pragma once
// A panel: a plain child window for gadgets, with a colour or a tiled picture
// as its background.

#include "gui/win32/Win32Gadgets.h"

class Win32Panel : public Win32NativeGroup<QXPanel> {
public:
    using Win32NativeGroup::Win32NativeGroup;
    // Deletes the brush and bitmap (the window goes first, in the base).
    ~Win32Panel() override;
    bool create();
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC previous) override;

    void setBackgroundColour(int bgr) override;
    bool setBackgroundImage(QXPixmap* pixmap) override;

    HBITMAP bitmap() const { return bitmap_; }

private:
    void dropBackground();
    // Paints the background into `dc`; false when there is none of our own.
    bool paintBackground(HDC dc);

    HBRUSH brush_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    int bitmapWidth_ = 0;
    int bitmapHeight_ = 0;
};

// Pictures larger than this on either side are not taken as backgrounds.
constexpr int kPanelImageMaxSide = 8192;
