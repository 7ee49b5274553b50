#pragma once
// The simple controls and the item-list kinds with their own operations. The
// portable versions only store; a native binding acts on its control first.
// Included by gui/QXGadget.h.

class QXString;

class QXButton : public QXGadget {
public:
    using QXGadget::QXGadget;
    // 1 when checked, else 0.
    virtual int state() { return checked_ ? 1 : 0; }
    virtual void setState(int state) { checked_ = state != 0; }

private:
    bool checked_ = false;
};

class QXSlider : public QXGadget {
public:
    using QXGadget::QXGadget;
    virtual int value() { return value_; }
    virtual void setValue(int value) { value_ = value; }
    // Positions 0 to total - 1 with a page of `visible`.
    virtual void setRange(int visible, int total) {
        visible_ = visible;
        total_ = total;
    }
    int visible() const { return visible_; }
    int total() const { return total_; }

protected:
    int value_ = 0;

private:
    int visible_ = 0;
    int total_ = 0;
};

class QXProgBar : public QXGadget {
public:
    using QXGadget::QXGadget;
    virtual void setProgress(float progress) { progress_ = progress; }
    float progress() const { return progress_; }

private:
    float progress_ = 0;
};

class QXTextField : public QXGadget {
public:
    using QXGadget::QXGadget;
    // A new string with the field's current text.
    virtual QXString* currentText();
};

class QXComboBox : public QXGadget, public QXItemList {
public:
    using QXGadget::QXGadget;
};

class QXListBox : public QXGadget, public QXItemList {
public:
    using QXGadget::QXGadget;
};

class QXToolBar : public QXGadget {
public:
    using QXGadget::QXGadget;
    // Enables or disables button `index` (from 0).
    virtual void enableItem(int /*index*/, bool /*enabled*/) {}
    // Comma-separated tips, one per button from the first.
    virtual void setTips(QXString* /*tips*/) {}
};

#include "gui/QXTextArea.h"
#include "gui/QXTreeView.h"
#include "gui/QXHtmlView.h"
