#include "gui/QXGadget.h"

#include <algorithm>

#include "core/QXString.h"
#include "events/QXFont.h"
#include "gui/QXIconStrip.h"
#include "gui/QXMenu.h"
#include "runtime/QXRuntime.h"

namespace {
QXResource* theCurrentScreen = nullptr;

// Takes a reference to `next` (may be null) before dropping `held`'s, so that
// storing the object already held keeps it alive.
template <class T> void replaceCounted(T*& held, T* next) {
    if (next) retain(next);
    T* old = held;
    held = next;
    release(old);
}

int atLeastOne(int n) { return n < 1 ? 1 : n; }

// Group destruction nests; a child kept alive anywhere in the tree is
// reported once, when the outermost group has gone.
int groupDestroyDepth = 0;
bool childKeptAlive = false;
}  // namespace

void setCurrentScreen(QXResource* screen) { theCurrentScreen = screen; }
QXResource* currentScreen() { return theCurrentScreen; }

// ---------------------------------------------------------------- gadget

QXGadget::QXGadget(QXGroup* group, int style)
    : group_(group), screen_(group ? group->screen() : currentScreen()), style_(style), text_(emptyString()) {
    if (group_) group_->children_.push_back(this);
}

QXGadget::~QXGadget() {
    if (group_) {
        auto& siblings = group_->children_;
        auto place = std::find(siblings.begin(), siblings.end(), this);
        if (place == siblings.end()) runtimeError("Error removing gadget from group");
        siblings.erase(place);
        group_ = nullptr;
    }
    replaceCounted<QXIconStrip>(iconStrip_, nullptr);
    QXString* text = text_;
    text_ = nullptr;
    release(text);
    replaceCounted<QXFont>(font_, nullptr);
}

void QXGadget::setText(QXString* text) {
    QXString* next = text ? text : emptyString();
    if (text) retain(text);
    QXString* old = text_;
    text_ = next;
    release(old);
}

void QXGadget::setIconStrip(QXIconStrip* strip) { replaceCounted(iconStrip_, strip); }

void QXGadget::applyLayout() {
    if (!group_) return;
    const QXShape next = layoutShape(layout_, shape(), group_->clientWidth(), group_->clientHeight());
    setShape(next.x, next.y, next.width, next.height);
}

void QXGadget::storeFont(QXFont* font) { replaceCounted(font_, font); }

void QXGadget::storeShape(int x, int y, int width, int height) {
    x_ = x;
    y_ = y;
    width_ = width;
    height_ = height;
}

void QXGadget::recordLayoutReference() {
    layout_.reference = shape();
    if (!group_) return;
    layout_.referenceClientWidth = atLeastOne(group_->clientWidth());
    layout_.referenceClientHeight = atLeastOne(group_->clientHeight());
}

void QXGadget::setLayoutCodes(int left, int right, int top, int bottom) {
    layout_.left = left;
    layout_.right = right;
    layout_.top = top;
    layout_.bottom = bottom;
}

// ---------------------------------------------------------------- group

QXGroup::~QXGroup() { orphanChildren(); }

void QXGroup::destroy() {
    ++groupDestroyDepth;
    if (!releaseChildren()) childKeptAlive = true;
    QXGadget::destroy();  // this object is gone from here on
    if (--groupDestroyDepth > 0 || !childKeptAlive) return;
    childKeptAlive = false;
    // While the modules stop the program has already ended: nothing to report to.
    if (executionState() != kStateEnding) runtimeError("Error removing child gadget");
}

bool QXGroup::releaseChildren() {
    while (!children_.empty()) {
        QXGadget* child = children_.front();
        if (child->refCount > 1) {
            orphanChildren();
            return false;
        }
        release(child);  // its destructor takes it out of the list
    }
    return true;
}

void QXGroup::orphanChildren() {
    for (QXGadget* child : children_) child->group_ = nullptr;
    children_.clear();
}

void QXGroup::setShape(int x, int y, int width, int height) {
    storeShape(x, y, width, height);
    const int oldWidth = clientWidth_, oldHeight = clientHeight_;
    getClientArea(clientX_, clientY_, clientWidth_, clientHeight_);
    if (clientWidth_ != oldWidth || clientHeight_ != oldHeight) layoutChildren();
}

void QXGroup::layoutChildren() {
    for (std::size_t i = 0; i < children_.size(); ++i) children_[i]->applyLayout();
}

// ---------------------------------------------------------------- window

QXWindow::QXWindow(QXGroup* group, int style) : QXGroup(group, style), rootMenu_(new QXMenu(nullptr, -1)) {
    QXResource* owner = screen();
    if (!group && owner && owner->query(kGadgetClientWindowQuery) != 0) owner->addOwned(this);
}

namespace {
QXWindow* lastActivatedWindow = nullptr;
}

void setActiveWindow(QXWindow* window) { lastActivatedWindow = window; }
QXWindow* activeWindow() { return lastActivatedWindow; }

QXWindow::~QXWindow() {
    if (lastActivatedWindow == this) lastActivatedWindow = nullptr;
    release(rootMenu_);
}

void QXWindow::minimize() {
    minimized_ = true;
    maximized_ = false;
}

void QXWindow::maximize() {
    maximized_ = true;
    minimized_ = false;
}

void QXWindow::restore() { minimized_ = maximized_ = false; }
