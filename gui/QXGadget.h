#pragma once
// The portable gadget tree. Each gadget stands for one native control; these
// classes hold everything the program can ask for (shape, text, font,
// visibility, parent, layout rules) and declare the operations through which
// that state changes. A native binding derives from them: each override acts
// on the control first, then calls the matching store operation here.

#include <vector>

#include "events/QXEventSource.h"
#include "gui/QXItemArray.h"
#include "gui/QXLayout.h"

class QXFont;
class QXGroup;
class QXIconStrip;
class QXString;

// Query identifiers a native gadget answers with its window (QueryObject).
constexpr int kGadgetWindowQuery = 1;
constexpr int kGadgetClientWindowQuery = 2;

class QXGadget : public QXEventSource {
public:
    // Joins the end of `group`'s children (none for a top-level window or the
    // desktop) and takes the group's screen, else the current screen.
    QXGadget(QXGroup* group, int style);
    // Leaves the group's child list, then drops the icon strip, text and font.
    ~QXGadget() override;

    virtual void setFont(QXFont* font) = 0;
    // Stores the text (null reads as empty).
    virtual void setText(QXString* text);
    virtual void setShape(int x, int y, int width, int height) = 0;
    virtual void setVisible(bool visible) = 0;
    virtual void setEnabled(bool enabled) = 0;
    // Keyboard focus.
    virtual void activate() = 0;
    // Stores the icon strip (kinds without icons only keep the reference).
    virtual void setIconStrip(QXIconStrip* strip);
    // Moves the gadget after its parent's client area changed.
    virtual void applyLayout();

    // Store operations: only the fields change.
    void storeFont(QXFont* font);
    void storeShape(int x, int y, int width, int height);
    void storeVisible(bool visible) { visible_ = visible; }
    void storeEnabled(bool enabled) { enabled_ = enabled; }

    // The current shape and the group's client size become the layout's
    // reference (after creation, SetGadgetShape and SetGadgetLayout).
    void recordLayoutReference();
    void setLayoutCodes(int left, int right, int top, int bottom);

    QXGroup* group() const { return group_; }
    QXResource* screen() const { return screen_; }
    int style() const { return style_; }
    QXShape shape() const { return {x_, y_, width_, height_}; }
    bool visible() const { return visible_; }
    bool enabled() const { return enabled_; }
    QXFont* font() const { return font_; }
    QXString* text() const { return text_; }  // never null
    QXIconStrip* iconStrip() const { return iconStrip_; }
    const QXLayoutRules& layoutRules() const { return layout_; }

private:
    friend class QXGroup;

    QXGroup* group_;
    QXResource* screen_;
    int style_;
    int x_ = 0, y_ = 0, width_ = 0, height_ = 0;
    bool visible_ = false;
    bool enabled_ = true;
    QXFont* font_ = nullptr;
    QXString* text_;
    QXIconStrip* iconStrip_ = nullptr;
    QXLayoutRules layout_;
};

// A gadget with children and a client area in which they are placed.
class QXGroup : public QXGadget {
public:
    using QXGadget::QXGadget;
    ~QXGroup() override;

    // Frees the children first, depth first (see releaseChildren).
    void destroy() override;
    // Stores the shape, reads the client area and lays the children out when
    // the client size changed.
    void setShape(int x, int y, int width, int height) override;
    virtual void layoutChildren();
    virtual void getClientArea(int& x, int& y, int& width, int& height) = 0;

    int clientX() const { return clientX_; }
    int clientY() const { return clientY_; }
    int clientWidth() const { return clientWidth_; }
    int clientHeight() const { return clientHeight_; }
    const std::vector<QXGadget*>& children() const { return children_; }

private:
    friend class QXGadget;

    // Drops each child's reference, first child first. A child that someone
    // else still holds stops this with "Error removing child gadget"; the
    // children from that one on are then orphaned (they lose their group),
    // so that this group can still go without leaving a dangling parent.
    // Returns false in that case.
    bool releaseChildren();
    void orphanChildren();

    int clientX_ = 0, clientY_ = 0, clientWidth_ = 0, clientHeight_ = 0;
    std::vector<QXGadget*> children_;  // creation order; holds no references
};

class QXDesktop : public QXGroup {
public:
    QXDesktop() : QXGroup(nullptr, 0) {}
};

class QXWindow : public QXGroup {
public:
    // A top-level window made while a screen with a native window is current
    // is owned by that screen, so that freeing the screen frees the window.
    QXWindow(QXGroup* group, int style);

    void storeMinimized(bool minimized) { minimized_ = minimized; }
    void storeMaximized(bool maximized) { maximized_ = maximized; }
    bool minimized() const { return minimized_; }
    bool maximized() const { return maximized_; }

private:
    bool minimized_ = false;
    bool maximized_ = false;
};

class QXPanel : public QXGroup {
public:
    using QXGroup::QXGroup;
};

class QXTabber : public QXGroup, public QXItemList {
public:
    using QXGroup::QXGroup;
};

class QXSplitter : public QXGroup {
public:
    using QXGroup::QXGroup;
};

// The plain kinds; their own operations come with their commands.
#define QX_PLAIN_GADGET(Name)           \
    class Name : public QXGadget {      \
    public:                             \
        using QXGadget::QXGadget;       \
    }
QX_PLAIN_GADGET(QXLabel);
#undef QX_PLAIN_GADGET

#include "gui/QXControls.h"

// The screen that new top-level gadgets belong to. Screens are made by the
// graphics side, which sets this while a screen is current and clears it
// before that screen goes; none until then.
void setCurrentScreen(QXResource* screen);
QXResource* currentScreen();
