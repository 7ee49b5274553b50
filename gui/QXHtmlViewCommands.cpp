// The HTML view commands.

#include "core/QXString.h"
#include "gui/QXGadget.h"
#include "runtime/QXRegistry.h"

QXString* QXHtmlView::currentUrl() { return emptyString(); }
QXString* QXHtmlView::eventUrl() { return emptyString(); }

namespace {
QXHtmlView& viewOf(int handle) { return *checkHandle<QXHtmlView>(handle, "HTMLView Gadget"); }

void QXCALL HtmlViewGo(int view, QXString* url) { viewOf(view).go(url); }
void QXCALL HtmlViewRun(int view, QXString* script) { viewOf(view).run(script); }
void QXCALL HtmlViewBack(int view) { viewOf(view).back(); }
void QXCALL HtmlViewForward(int view) { viewOf(view).forward(); }
int QXCALL HtmlViewStatus(int view) { return viewOf(view).status(); }
QXString* QXCALL HtmlViewCurrentURL(int view) { return viewOf(view).currentUrl(); }
QXString* QXCALL HtmlViewEventURL(int view) { return viewOf(view).eventUrl(); }

const QXSymbol commands[] = {
    QX_COMMAND("HtmlViewGo%htmlview$URL", HtmlViewGo),
    QX_COMMAND("HtmlViewRun%htmlview$URL", HtmlViewRun),
    QX_COMMAND("HtmlViewBack%htmlview", HtmlViewBack),
    QX_COMMAND("HtmlViewForward%htmlview", HtmlViewForward),
    QX_COMMAND("%HtmlViewStatus%htmlview", HtmlViewStatus),
    QX_COMMAND("$HtmlViewCurrentURL%htmlview", HtmlViewCurrentURL),
    QX_COMMAND("$HtmlViewEventURL%htmlview", HtmlViewEventURL),
};
QX_REGISTER_SYMBOLS(QXLinkGroup::Gui, commands);
}  // namespace
