#pragma once
// The text area: a multi-line rich text editor. Positions and lengths count
// characters (units 1) or lines (units 2); every range the program gives is
// clamped by normalise(), never an error. The measurements are portable rules
// over a few primitives that a native binding answers from its control.
// Included by gui/QXControls.h.

class QXString;

class QXTextArea : public QXGadget {
public:
    using QXGadget::QXGadget;

    struct Range {
        int pos;
        int len;
    };

    // Units 2: the line count; otherwise the text length in characters.
    int length(int units);
    // line < 0: 0; a line past the end: the text length.
    int characterOfLine(int line);
    // char < 0: 0; past the end: the line count.
    int lineOfCharacter(int character);
    int lineLength(int line);
    int cursor(int units);
    int selectionLength(int units);
    // The range in characters; len 0 is the empty range at pos.
    Range normalise(int pos, int len, int units);

    virtual void setTabs(int /*tabs*/) {}
    virtual void setTextColour(int /*red*/, int /*green*/, int /*blue*/) {}
    virtual void setBackgroundColour(int /*red*/, int /*green*/, int /*blue*/) {}
    virtual void addText(QXString* /*text*/) {}
    virtual void replaceText(QXString* /*text*/, int /*pos*/, int /*len*/, int /*units*/) {}
    virtual void formatText(int /*red*/, int /*green*/, int /*blue*/, int /*flags*/, int /*pos*/, int /*len*/,
                            int /*units*/) {}
    // A new string with the range's characters.
    virtual QXString* readText(int pos, int len, int units);
    virtual void lock() {}
    virtual void unlock() {}

protected:
    // Primitives: an empty text of one line and no selection.
    virtual int textLength() { return 0; }
    virtual int lineCount() { return 1; }
    // For 0 <= line < lineCount().
    virtual int lineStart(int /*line*/) { return 0; }
    // For 0 <= character <= textLength().
    virtual int lineAt(int /*character*/) { return 0; }
    virtual void selection(int& start, int& end) { start = end = 0; }
};
