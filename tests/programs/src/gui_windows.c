/* Windows, menus and panels read back from the native side through user32.
   Prints "ok <check>" or "FAIL <check> <detail>" per check, then the events
   a window got from actions on its frame. Ends with a menu handle of the
   wrong kind, which stops the program. */
#include "qxprog.h"
#include "qxtest.h"

typedef struct { int left, top, right, bottom; } NativeRect;
#define WINAPI __attribute__((stdcall))

static int(WINAPI* getWindowLong)(int, int);
static int(WINAPI* getMenu)(int);
static int(WINAPI* getMenuItemCount)(int);
static int(WINAPI* getSubMenu)(int, int);
static int(WINAPI* getMenuItemId)(int, int);
static int(WINAPI* getMenuState)(int, int, int);
static int(WINAPI* getMenuString)(int, int, char*, int, int);
static int(WINAPI* isMenu)(int);
static int(WINAPI* getClientRect)(int, NativeRect*);
static int(WINAPI* getWindowRect)(int, NativeRect*);
static int(WINAPI* getAncestor)(int, int);
static int(WINAPI* findWindowEx)(int, int, const char*, const char*);
static int(WINAPI* moveWindow)(int, int, int, int, int, int);
static int(WINAPI* postMessage)(int, int, int, int);
static int(WINAPI* sendMessage)(int, int, int, int);
static int(WINAPI* isWindow)(int);
static int(WINAPI* clientToScreen)(int, int*);
static int(WINAPI* getGuiResources)(int, int);
static int(WINAPI* getCurrentProcess)(void);
static int(WINAPI* createThread)(void*, int, unsigned(WINAPI*)(void*), void*, int, void*);
static int(WINAPI* waitForSingleObject)(int, int);
static int(WINAPI* closeHandle)(int);

static struct __attribute__((packed)) {
    char user32[sizeof "user32.dll"];
    char n1[sizeof "GetWindowLongA"]; void* s1;
    char n2[sizeof "GetMenu"]; void* s2;
    char n3[sizeof "GetMenuItemCount"]; void* s3;
    char n4[sizeof "GetSubMenu"]; void* s4;
    char n5[sizeof "GetMenuItemID"]; void* s5;
    char n6[sizeof "GetMenuState"]; void* s6;
    char n7[sizeof "GetMenuStringA"]; void* s7;
    char n8[sizeof "IsMenu"]; void* s8;
    char n9[sizeof "GetClientRect"]; void* s9;
    char n10[sizeof "GetWindowRect"]; void* s10;
    char n11[sizeof "GetAncestor"]; void* s11;
    char n12[sizeof "FindWindowExA"]; void* s12;
    char n13[sizeof "MoveWindow"]; void* s13;
    char n14[sizeof "PostMessageA"]; void* s14;
    char n15[sizeof "SendMessageA"]; void* s15;
    char n16[sizeof "IsWindow"]; void* s16;
    char n17[sizeof "ClientToScreen"]; void* s17;
    char n18[sizeof "GetGuiResources"]; void* s18;
    char userEnd;
    char kernel32[sizeof "kernel32.dll"];
    char k1[sizeof "GetCurrentProcess"]; void* t1;
    char k2[sizeof "CreateThread"]; void* t2;
    char k3[sizeof "WaitForSingleObject"]; void* t3;
    char k4[sizeof "CloseHandle"]; void* t4;
    char kernelEnd;
    char tableEnd;
} libs = {"user32.dll",
          "GetWindowLongA", &getWindowLong, "GetMenu", &getMenu, "GetMenuItemCount", &getMenuItemCount,
          "GetSubMenu", &getSubMenu, "GetMenuItemID", &getMenuItemId, "GetMenuState", &getMenuState,
          "GetMenuStringA", &getMenuString, "IsMenu", &isMenu, "GetClientRect", &getClientRect,
          "GetWindowRect", &getWindowRect, "GetAncestor", &getAncestor, "FindWindowExA", &findWindowEx,
          "MoveWindow", &moveWindow, "PostMessageA", &postMessage, "SendMessageA", &sendMessage,
          "IsWindow", &isWindow, "ClientToScreen", &clientToScreen, "GetGuiResources", &getGuiResources, 0,
          "kernel32.dll", "GetCurrentProcess", &getCurrentProcess, "CreateThread", &createThread,
          "WaitForSingleObject", &waitForSingleObject, "CloseHandle", &closeHandle, 0, 0};

static void* constants[] = {0};

static void show(void(QXCALL* out)(QXString*), const char* bytes) {
    QXString* s = text(bytes);
    out(s);
    _qxStrRelease(s);
}

static void showInt(int value) {
    QXString* s = _qxStrFromInt(value);
    Write(s);
    _qxStrRelease(s);
}

static void check(int ok, const char* what) {
    show(Write, ok ? "ok " : "FAIL ");
    show(Print, what);
}

static void checkValue(int got, int expected, const char* what) {
    if (got == expected) return check(1, what);
    show(Write, "FAIL ");
    show(Write, what);
    show(Write, " got ");
    showInt(got);
    show(Write, " expected ");
    showInt(expected);
    show(Print, "");
}

static int sameBytes(const char* a, const char* b) {
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

static int sameText(QXString* got, const char* expected) {
    int same = sameBytes(_qxStrToCStr(got), expected);
    _qxStrRelease(got);
    return same;
}

static int makeWindow(const char* title, int x, int y, int w, int h, int style) {
    QXString* t = text(title);
    int window = CreateWindow(t, x, y, w, h, 0, style);
    _qxStrRelease(t);
    return window;
}

static int menu(const char* label, int id, int parent) {
    QXString* t = text(label);
    int m = CreateMenu(t, id, parent);
    _qxStrRelease(t);
    return m;
}

static int frameOf(int window) { return getAncestor(QueryObject(window, 1), 2 /* GA_ROOT */); }
static int statusBarOf(int window) { return findWindowEx(frameOf(window), 0, "msctls_statusbar32", 0); }
static int height(NativeRect r) { return r.bottom - r.top; }
static int width(NativeRect r) { return r.right - r.left; }

/* The frame style bits the native window must carry, per style. */
static void styles(void) {
    static const struct { int style; unsigned frame; int tool; } cases[] = {
        {0, 0x82000000u, 0}, {1, 0x02C80000u, 0}, {2, 0x82040000u, 0}, {3, 0x02CF0000u, 0},
        {17, 0x02C80000u, 1}, {19, 0x02CF0000u, 1}, {4, 0x82000000u, 0}, {15, 0x02CF0000u, 0},
    };
    int all = 1;
    for (unsigned i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        int window = makeWindow("QXStyles", 10, 10, 200, 150, cases[i].style);
        int frame = frameOf(window);
        /* visible, clip siblings and minimize/maximize state are the system's */
        unsigned bits = (unsigned)getWindowLong(frame, -16) & ~0x14000000u;
        int tool = (getWindowLong(frame, -20) & 0x80) != 0;
        int menuBar = getMenu(frame);
        int wantMenu = (cases[i].style & 4) != 0;
        int ok = bits == cases[i].frame && tool == cases[i].tool && (menuBar != 0) == wantMenu &&
                 (!wantMenu || getMenuItemCount(menuBar) == 1) &&
                 ((statusBarOf(window) != 0) == ((cases[i].style & 8) != 0));
        if (!ok) {
            show(Write, "FAIL style ");
            showInt(cases[i].style);
            show(Write, " bits ");
            showInt((int)bits);
            show(Print, "");
            all = 0;
        }
        FreeGadget(window);
    }
    check(all, "style bits");
}

static void geometry(void) {
    int window = makeWindow("QXGeometry", 30, 40, 320, 240, 15);
    int frame = frameOf(window);
    NativeRect frameClient, bar, child;
    getClientRect(frame, &frameClient);
    getWindowRect(statusBarOf(window), &bar);
    checkValue(ClientHeight(window) + height(bar), height(frameClient), "client area above the status bar");
    checkValue(ClientWidth(window), width(frameClient), "client width with a status bar");
    QXString* t = text("x");
    int button = CreateButton(t, 0, 0, 20, 10, window, 1);
    _qxStrRelease(t);
    int origin[2] = {0, 0};
    clientToScreen(frame, origin);
    getWindowRect(QueryObject(button, 1), &child);
    check(child.left == origin[0] && child.top == origin[1], "a child at (0, 0) sits at the top-left");
    check(child.top + ClientHeight(window) == bar.top, "the status bar below the client area");
    QXString* status = text("Ready");
    checkValue(SetStatusText(window, status), 0, "SetStatusText answers 0");
    _qxStrRelease(status);
    checkValue(sendMessage(statusBarOf(window), 0x40C /* SB_GETTEXTLENGTHA */, 0, 0) & 0xFFFF, 5, "status text");
    check(sameText(MenuText(WindowMenu(window)), ""), "the root menu has no text");
    FreeGadget(window);

    window = makeWindow("QXClientShape", 30, 40, 200, 100, 0x21);
    getClientRect(frameOf(window), &frameClient);
    check(GadgetWidth(window) > 200 && width(frameClient) == 200 && height(frameClient) == 100,
          "style 0x21 shapes the client area");
    FreeGadget(window);

    window = makeWindow("QXClientShape", 30, 40, 200, 100, 0x29);
    getClientRect(frameOf(window), &frameClient);
    getWindowRect(statusBarOf(window), &bar);
    checkValue(height(frameClient) - height(bar), 100, "client shape with a status bar");
    checkValue(ClientHeight(window), 100, "client height with a status bar");
    FreeGadget(window);
}

static int bar;

static int itemIs(int native, int position, const char* label, int id, int flags) {
    char buffer[64];
    buffer[0] = 0;
    getMenuString(native, position, buffer, sizeof buffer, 0x400 /* MF_BYPOSITION */);
    int state = getMenuState(native, position, 0x400) & 0x81B;
    if (!sameBytes(buffer, label) || state != flags) {
        show(Write, "FAIL item ");
        show(Write, buffer);
        show(Write, " state ");
        showInt(state);
        show(Print, "");
        return 0;
    }
    return id < 0 || getMenuItemId(native, position) == id;
}

static void menus(int window) {
    int root = WindowMenu(window);
    int file = menu("File", 1, root);
    menu("Open", 10, file);
    menu("", 0, file);
    int recent = menu("Recent", 11, file);
    int a = menu("a.txt", 100, recent);
    int b = menu("b.txt", 101, recent);
    int unnamed = menu("", 2, root);
    menu("Deep", 200, unnamed);
    CheckMenu(a);
    DisableMenu(b);
    int before = getMenu(frameOf(window));
    UpdateWindowMenu(window);
    bar = getMenu(frameOf(window));
    check(bar != before && !isMenu(before), "the old menu bar is destroyed");
    checkValue(getMenuItemCount(bar), 2, "two bar items");
    int fileMenu = getSubMenu(bar, 0);
    int recentMenu = getSubMenu(fileMenu, 2);
    check(itemIs(bar, 0, "File", -1, 0x10) && itemIs(fileMenu, 0, "Open", 10, 0) &&
              (getMenuState(fileMenu, 1, 0x400) & 0x800) && itemIs(fileMenu, 2, "Recent", -1, 0x10) &&
              itemIs(recentMenu, 0, "a.txt", 100, 0x08) && itemIs(recentMenu, 1, "b.txt", 101, 0x01),
          "a three-level menu");
    check(getSubMenu(bar, 1) != 0 && getMenuItemId(getSubMenu(bar, 1), 0) == 200,
          "an empty text with children is a sub-menu");

    CheckMenu(b);
    SetMenuText(a, 0);
    check(MenuChecked(b) == 1 && MenuEnabled(b) == 0 && (getMenuState(recentMenu, 1, 0x400) & 0x08) == 0 &&
              sameText(MenuText(a), ""),
          "changes wait for UpdateWindowMenu");
    EnableMenu(b);
    UncheckMenu(a);
    UpdateWindowMenu(window);
    recentMenu = getSubMenu(getSubMenu(getMenu(frameOf(window)), 0), 2);
    check((getMenuState(recentMenu, 1, 0x400) & 0x09) == 0x08 && (getMenuState(recentMenu, 0, 0x400) & 0x800),
          "changes shown after UpdateWindowMenu");

    int objects = getGuiResources(getCurrentProcess(), 1 /* GR_USEROBJECTS */);
    for (int i = 0; i < 2000; ++i) UpdateWindowMenu(window);
    checkValue(getGuiResources(getCurrentProcess(), 1), objects, "no user objects leak over updates");
}

/* Every event until none comes for a while, as "id data x y" lines. */
static void printEvents(int window) {
    int id;
    while ((id = WaitEvent(300)) != 0) {
        if (id == 0x2001 || id == 0x2002) continue; /* the application's, from other tests' windows */
        if (EventSource() != window && id != 0x1001) continue;
        QXString* line = Hex(id);
        Write(line);
        _qxStrRelease(line);
        show(Write, " ");
        showInt(EventData());
        show(Write, " ");
        showInt(EventX());
        show(Write, " ");
        showInt(EventY());
        show(Print, "");
    }
}

/* Actions on the frame from another thread, as another program would act:
   Windows hands them to the window's thread while it waits for events. */
static struct { int frame, kind, x, y, w, h; } action;

static unsigned WINAPI act(void* unused) {
    (void)unused;
    if (action.kind == 0) moveWindow(action.frame, action.x, action.y, action.w, action.h, 1);
    else sendMessage(action.frame, 0x112 /* WM_SYSCOMMAND */, action.kind, 0);
    return 0;
}

static void actOn(int window, int kind, int x, int y, int w, int h) {
    action.frame = frameOf(window);
    action.kind = kind;
    action.x = x;
    action.y = y;
    action.w = w;
    action.h = h;
    int thread = createThread(0, 0, act, 0, 0, 0);
    printEvents(window);
    waitForSingleObject(thread, 5000);
    closeHandle(thread);
}

static void events(void) {
    int window = makeWindow("QXEvents", 50, 60, 300, 200, 7);
    printEvents(window);
    show(Print, "events:");
    int frame = frameOf(window);
    actOn(window, 0, 80, 90, 300, 200);
    actOn(window, 0, 80, 90, 320, 210);
    SetMinWindowSize(window, -1, -1);
    actOn(window, 0, 80, 90, 100, 100);
    checkValue(GadgetWidth(window), 320, "the minimum size holds");
    actOn(window, 0xF020 /* SC_MINIMIZE */, 0, 0, 0, 0);
    check(WindowMinimized(window) == 1 && WindowMaximized(window) == 0, "minimized by the system");
    actOn(window, 0xF030 /* SC_MAXIMIZE */, 0, 0, 0, 0);
    check(WindowMinimized(window) == 0 && WindowMaximized(window) == 1, "maximized by the system");
    RestoreWindow(window);
    check(WindowMinimized(window) == 0 && WindowMaximized(window) == 0, "restored");
    printEvents(window);
    actOn(window, 0xF060 /* SC_CLOSE */, 0, 0, 0, 0);
    check(isWindow(frame), "the close box leaves the window");
    postMessage(frame, 0x111 /* WM_COMMAND */, 77, 0);
    printEvents(window);
    ActivateWindow(window);
    check(ActiveWindow() == window, "the active window");
    FreeGadget(window);
    checkValue(ActiveWindow(), 0, "no active window after freeing it");
    show(Print, "end");
}

/* The program frees a window as soon as its close event comes, while the
   event pump may still be inside that window's procedure. */
static void freedOnClose(void) {
    int window = makeWindow("QXClose", 60, 60, 200, 100, 15);
    action.frame = frameOf(window);
    action.kind = 0xF060; /* SC_CLOSE */
    int thread = createThread(0, 0, act, 0, 0, 0);
    int id, closed = 0;
    while ((id = WaitEvent(500)) != 0) {
        if (id == 0x803 && EventSource() == window && !closed) {
            FreeGadget(window);
            closed = 1;
        }
    }
    waitForSingleObject(thread, 5000);
    closeHandle(thread);
    check(closed && !isWindow(action.frame), "freed on its close event");
}

void qxmain(void) {
    _qxInitCStrs(constants);
    _qxLoadLibs(&libs);
    int start = ActiveObjects();
    styles();
    geometry();
    int window = makeWindow("QXMenus", 10, 10, 300, 200, 15);
    menus(window);
    FreeGadget(window);
    checkValue(ActiveObjects(), start, "freeing the windows frees the menus");
    events();
    freedOnClose();
    CheckMenu(Desktop());
    show(Print, "not reached");
}
