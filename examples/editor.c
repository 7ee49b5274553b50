/* editor: a small text editor.

   editor [--log FILE] [--figures COUNT] [FOLDER]

   A window with a menu bar, a tool bar, the files of FOLDER (or of the
   current directory) in a tree on the left and the open file in a text area
   on the right. The status bar shows the caret's line and column; the title
   shows the file's name, with a star while it has unsaved changes.

   File: New, Open, Save, Save as, Quit. Edit: Find (a small window with a
   text field: each Find next selects the next match, from the caret on, and
   starts again from the top when it reaches the end). Help: About.
   Choosing a file in the tree opens it. Files are read and written line by
   line through streams.

   With --log the editor writes what it does to FILE, a line each ("opened
   NAME (N lines)", "saved NAME (N lines)", "found WORD at line L", "status
   Line L, Col C", ...), so that a script driving it with real input can
   check it afterwards.

   With --figures the editor runs by itself and leaves: it opens COUNT files
   of the tree one after another (from the top, again from the first when it
   runs out), puts a line "edited N" at the top of each and a line "added" at
   its end, saves it and closes it (File > New), and prints the process's
   memory, handles and objects after a tenth of them, halfway and at the end,
   then whether they stayed flat (qxfigures.h). */
#include "qxfigures.h"
#include "qxprog.h"

enum { GADGET_ACTION = 0x401, WINDOW_CLOSE = 0x803, MENU_ACTION = 0x1001 };
enum { MENU_NEW = 1, MENU_OPEN, MENU_SAVE, MENU_SAVE_AS, MENU_QUIT, MENU_FIND = 11, MENU_ABOUT = 21 };
enum { TOOL_NEW, TOOL_OPEN, TOOL_SAVE, TOOL_FIND };          /* tool bar buttons, left to right */
enum { EDITED = 1 };                                         /* text area action data: the user changed the text */
enum { PATH = 260, NAME = 128, LINE = 200 };
enum { MAX_NODES = 1000, MAX_DEPTH = 3, TEXT_ROOM = 1 << 20 }; /* the text area holds at most 1 MiB */
enum { WIDTH = 720, HEIGHT = 460, TREE_WIDTH = 200 };

static int logFile;      /* the stream of --log FILE, or 0 */
static int figuresCount; /* the files of --figures COUNT, or 0 */
static int window, toolBar, tree, area;
static int findWindow, findField, findButton, closeButton;

static char folder[PATH];   /* the folder shown in the tree, ending with a backslash */
static char filePath[PATH]; /* the open file; empty for a new text */
static int modified;

/* ---------------------------------------------------------------- C text (no C library here) */

static int length(const char* text) {
    int n = 0;
    while (text[n]) ++n;
    return n;
}

static int same(const char* a, const char* b) {
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

/* Appends text to out, whose room ends at `end`, and returns the new end of
   the text: never overruns, cuts what does not fit. */
static char* append(char* out, const char* text, const char* end) {
    while (*text && out < end - 1) *out++ = *text++;
    *out = 0;
    return out;
}

static char* appendInt(char* out, int value, const char* end) {
    char digits[12];
    int n = 0;
    do digits[n++] = (char)('0' + value % 10), value /= 10; while (value);
    while (n && out < end - 1) *out++ = digits[--n];
    *out = 0;
    return out;
}

static char lower(char c) { return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c; }

static int lessThan(const char* a, const char* b) {
    while (*a && lower(*a) == lower(*b)) ++a, ++b;
    return lower(*a) < lower(*b);
}

/* The part of a path after its last separator. */
static const char* baseName(const char* path) {
    const char* base = path;
    for (; *path; ++path)
        if (*path == '\\' || *path == '/' || *path == ':') base = path + 1;
    return base;
}

/* ---------------------------------------------------------------- runtime strings */

static QXString* text(const char* bytes) { return _qxStrFromCStr((void*)bytes); }
static void doneWithTexts(int count) { _qxStrTmpFree(count); }

/* Copies a string the runtime gave us into `out` and releases it. */
static void take(QXString* string, char* out, int room) {
    const char* bytes = _qxStrToCStr(string);
    int n = 0;
    while (n < room - 1 && bytes[n]) out[n] = bytes[n], ++n;
    out[n] = 0;
    _qxStrRelease(string);
}

static void logLine(const char* line) {
    if (!logFile) return;
    WriteLine(logFile, text(line));
    doneWithTexts(1);
}

static void logPair(const char* first, const char* second) {
    char line[LINE + PATH];
    append(append(line, first, line + sizeof line), second, line + sizeof line);
    logLine(line);
}

/* ---------------------------------------------------------------- selecting text

   The text area has no command that moves the caret, so the editor asks the
   rich edit control itself, through user32's SendMessageA, declared as a user
   library the way a program declares any system function it needs. */

static int(QXCALL* SendMessageA)(int window, int message, int wParam, int lParam);

static struct __attribute__((packed)) {
    char library[sizeof "user32.dll"];
    char sendMessage[sizeof "SendMessageA"];
    void* sendMessageSlot;
    char libraryEnd;
    char tableEnd;
} userLibs = {"user32.dll", "SendMessageA", &SendMessageA, 0, 0};

enum { EM_SETSEL = 0xB1, EM_SCROLLCARET = 0xB7, NATIVE_WINDOW = 1 };

static void selectText(int start, int end) {
    int control = QueryObject(area, NATIVE_WINDOW);
    if (!control) return;
    SendMessageA(control, EM_SETSEL, start, end);
    SendMessageA(control, EM_SCROLLCARET, 0, 0);
}

/* ---------------------------------------------------------------- title and status bar */

static void showTitle(void) {
    char title[PATH + 40], *end = title + sizeof title;
    char* at = append(title, "Editor - ", end);
    at = append(at, filePath[0] ? baseName(filePath) : "Untitled", end);
    if (modified) append(at, " *", end);
    SetGadgetText(window, text(title));
    doneWithTexts(1);
}

static void setModified(int value) {
    if (value == modified) return;
    modified = value;
    showTitle();
}

/* "Line 3, Col 7" for the caret, counted from 1. */
static void showCaret(void) {
    static char shown[LINE];
    char status[LINE], *end = status + sizeof status;
    int line = TextAreaCursor(area, 2);
    int column = TextAreaCursor(area, 1) - TextAreaChar(area, line);
    char* at = appendInt(append(status, "Line ", end), line + 1, end);
    appendInt(append(at, ", Col ", end), column + 1, end);
    if (same(status, shown)) return;
    append(shown, status, shown + sizeof shown);
    SetStatusText(window, text(status));
    doneWithTexts(1);
    logPair("status ", status);
}

/* ---------------------------------------------------------------- reading and writing files */

static char fileText[TEXT_ROOM];

/* Reads the file line by line into the text area. */
static int openFile(const char* path) {
    char report[LINE + PATH], *end = report + sizeof report;
    int stream = ReadFile(text(path));
    doneWithTexts(1);
    if (!stream) {
        append(append(report, "Cannot open ", end), path, end);
        Notify(text(report), 1);
        doneWithTexts(1);
        return 0;
    }
    char* at = fileText;
    const char* full = fileText + sizeof fileText;
    int lines = 0;
    while (!Eof(stream)) {
        QXString* line = ReadLine(stream);
        if (lines++) at = append(at, "\r\n", full);
        at = append(at, _qxStrToCStr(line), full);
        _qxStrRelease(line);
    }
    CloseFile(stream);
    if (at >= full - 1) {
        /* Cut short, it would lose its end when saved: leave it alone. */
        append(append(report, path, end), " is too large to edit here.", end);
        Notify(text(report), 1);
        doneWithTexts(1);
        return 0;
    }
    SetTextAreaText(area, text(fileText), 0, -1, 1);
    doneWithTexts(1);
    append(filePath, path, filePath + sizeof filePath);
    modified = 0;
    showTitle();
    selectText(0, 0);
    showCaret();
    appendInt(append(append(append(report, "opened ", end), baseName(path), end), " (", end), lines, end);
    logPair(report, " lines)");
    return 1;
}

/* Writes the text line by line: each line ends with CR LF. */
static int saveFile(const char* path) {
    char report[LINE + PATH], *end = report + sizeof report;
    int stream = WriteFile(text(path));
    doneWithTexts(1);
    if (!stream) {
        append(append(report, "Cannot write ", end), path, end);
        Notify(text(report), 1);
        doneWithTexts(1);
        return 0;
    }
    QXString* all = TextAreaText(area, 0, -1, 1);
    const char* at = _qxStrToCStr(all);
    int lines = 0;
    while (*at) {
        /* One line: up to CR LF, CR or LF. */
        int n = 0;
        while (at[n] && at[n] != '\r' && at[n] != '\n') ++n;
        char* copy = fileText;
        for (int i = 0; i < n && i < TEXT_ROOM - 1; ++i) *copy++ = at[i];
        *copy = 0;
        WriteLine(stream, text(fileText));
        doneWithTexts(1);
        ++lines;
        at += n;
        if (*at == 0) break;
        if (at[0] == '\r' && at[1] == '\n') ++at;
        ++at;
        if (*at == 0) {
            /* The text ends with a line break: an empty last line. */
            WriteLine(stream, text(""));
            doneWithTexts(1);
            ++lines;
        }
    }
    _qxStrRelease(all);
    CloseFile(stream);
    append(filePath, path, filePath + sizeof filePath);
    modified = 0;
    showTitle();
    appendInt(append(append(append(report, "saved ", end), baseName(path), end), " (", end), lines, end);
    logPair(report, " lines)");
    return 1;
}

/* ---------------------------------------------------------------- the commands */

static int saveAs(void) {
    char path[PATH], proposed[PATH], *end = proposed + sizeof proposed;
    if (filePath[0]) append(proposed, filePath, end);
    else append(append(proposed, folder, end), "untitled.txt", end);
    take(RequestFile(text("Save as"), text(""), 1, text(proposed)), path, sizeof path);
    doneWithTexts(3);
    if (!path[0]) return 0;
    return saveFile(path);
}

static int save(void) { return filePath[0] ? saveFile(filePath) : saveAs(); }

/* Before the text goes: 1 to go on (saved or dropped), 0 to stay. */
static int changesDealtWith(void) {
    char question[PATH + 40], *end = question + sizeof question;
    if (!modified) return 1;
    append(append(append(question, "Save the changes to ", end), filePath[0] ? baseName(filePath) : "Untitled", end), "?", end);
    int answer = Proceed(text(question), 0);
    doneWithTexts(1);
    if (answer == 1) return save();
    return answer == 0;
}

static void newText(void) {
    if (!changesDealtWith()) return;
    SetTextAreaText(area, text(""), 0, -1, 1);
    doneWithTexts(1);
    filePath[0] = 0;
    modified = 0;
    showTitle();
    showCaret();
    logLine("new text");
}

static void openWithRequester(void) {
    char path[PATH];
    if (!changesDealtWith()) return;
    take(RequestFile(text("Open"), text(""), 0, text("")), path, sizeof path);
    doneWithTexts(3);
    if (path[0]) openFile(path);
}

static void about(void) {
    Notify(text("Editor\n\nA small text editor built on the Quelt Basic runtime:\n"
                "menus, a tool bar, a tree view, a text area and requesters."), 0);
    doneWithTexts(1);
}

/* ---------------------------------------------------------------- find */

/* The Find window belongs to the editor's window and opens beside it, so
   that it hides none of the text; closing it only hides it, and the word
   typed stays for the next time. */
static void openFind(void) {
    if (!findWindow) {
        int x = GadgetX(window) + GadgetWidth(window) + 8, y = GadgetY(window) + 60;
        findWindow = CreateWindow(text("Find"), x, y, 330, 72, window, 1 | 16 | 32);
        SetGadgetLayout(findWindow, 1, 0, 1, 0); /* stays where it is when the editor is resized */
        CreateLabel(text("Find what:"), 8, 12, 72, 20, findWindow, 0);
        findField = CreateTextField(80, 9, 140, 24, findWindow, 0);
        findButton = CreateButton(text("Find next"), 228, 8, 94, 26, findWindow, 1);
        closeButton = CreateButton(text("Close"), 228, 40, 94, 26, findWindow, 1);
        doneWithTexts(4);
    }
    ShowGadget(findWindow);
    ActivateWindow(findWindow);
    ActivateGadget(findField);
    logLine("find window");
}

static void closeFind(void) {
    if (!findWindow) return;
    HideGadget(findWindow);
    ActivateWindow(window);
    ActivateGadget(area);
}

/* Where `word` next occurs in `all` from `from` on (ignoring case), or -1. */
static int search(const char* all, int total, const char* word, int from) {
    int n = length(word);
    for (int at = from; at + n <= total; ++at) {
        int i = 0;
        while (i < n && lower(all[at + i]) == lower(word[i])) ++i;
        if (i == n) return at;
    }
    return -1;
}

static void findNext(void) {
    char word[NAME], report[LINE], *end = report + sizeof report;
    take(TextFieldText(findField), word, sizeof word);
    if (!word[0]) return;
    QXString* all = TextAreaText(area, 0, -1, 1);
    const char* bytes = _qxStrToCStr(all);
    int total = length(bytes);
    int at = search(bytes, total, word, TextAreaCursor(area, 1) + TextAreaSelLen(area, 1));
    if (at < 0) at = search(bytes, total, word, 0); /* from the top again */
    _qxStrRelease(all);
    if (at < 0) {
        logPair("not found ", word);
        append(append(append(report, "Cannot find \"", end), word, end), "\".", end);
        Notify(text(report), 0);
        doneWithTexts(1);
        return;
    }
    ActivateGadget(area);
    selectText(at, at + length(word));
    char* line = append(append(append(report, "found ", end), word, end), " at line ", end);
    appendInt(line, TextAreaLine(area, at) + 1, end);
    logLine(report);
    showCaret();
}

/* ---------------------------------------------------------------- the folder tree */

static int nodes[MAX_NODES];
static char nodePaths[MAX_NODES][PATH];
static int nodeCount;

/* Names of the entries being sorted, for every folder on the way down. */
enum { MAX_ENTRIES = 1000 };
static char entryNames[MAX_ENTRIES][NAME];
static int entryIsFolder[MAX_ENTRIES];
static int entryCount;

static void swapEntries(int a, int b) {
    char keep[NAME];
    append(keep, entryNames[a], keep + NAME);
    append(entryNames[a], entryNames[b], entryNames[a] + NAME);
    append(entryNames[b], keep, entryNames[b] + NAME);
    int folderFlag = entryIsFolder[a];
    entryIsFolder[a] = entryIsFolder[b];
    entryIsFolder[b] = folderFlag;
}

/* Folders first, then files, each by name. */
static int before(int a, int b) {
    if (entryIsFolder[a] != entryIsFolder[b]) return entryIsFolder[a];
    return lessThan(entryNames[a], entryNames[b]);
}

static void addFolder(int parent, const char* path, int depth) {
    int first = entryCount;
    int dir = ReadDir(text(path));
    doneWithTexts(1);
    if (!dir) return;
    while (MoreFiles(dir) && entryCount < MAX_ENTRIES) {
        char name[NAME], full[PATH];
        take(NextFile(dir), name, sizeof name);
        if (same(name, ".") || same(name, "..") || !name[0]) continue;
        append(append(full, path, full + PATH), name, full + PATH);
        entryIsFolder[entryCount] = FileType(text(full)) == 2;
        doneWithTexts(1);
        append(entryNames[entryCount], name, entryNames[entryCount] + NAME);
        ++entryCount;
    }
    CloseDir(dir);
    for (int i = first + 1; i < entryCount; ++i)
        for (int j = i; j > first && before(j, j - 1); --j) swapEntries(j, j - 1);

    for (int i = first; i < entryCount && nodeCount < MAX_NODES; ++i) {
        int node = AddTreeViewNode(text(entryNames[i]), parent, -1);
        doneWithTexts(1);
        if (!node) break;
        char* at = append(nodePaths[nodeCount], path, nodePaths[nodeCount] + PATH);
        at = append(at, entryNames[i], nodePaths[nodeCount] + PATH);
        nodes[nodeCount++] = node;
        if (entryIsFolder[i]) {
            append(at, "\\", nodePaths[nodeCount - 1] + PATH);
            /* The folder's own path stays marked by its closing backslash. */
            if (depth < MAX_DEPTH) addFolder(node, nodePaths[nodeCount - 1], depth + 1);
            if (depth == 1) ExpandTreeViewNode(node); /* the first level open */
        }
    }
    entryCount = first;
}

static const char* pathOfNode(int node) {
    for (int i = 0; i < nodeCount; ++i)
        if (nodes[i] == node) return nodePaths[i];
    return "";
}

static int nodeOfPath(const char* path) {
    for (int i = 0; i < nodeCount; ++i)
        if (same(nodePaths[i], path)) return nodes[i];
    return 0;
}

/* A file chosen in the tree opens; a folder only expands (the control does that). */
static void treeSelectionChanged(void) {
    const char* path = pathOfNode(SelectedTreeViewNode(tree));
    int n = length(path);
    if (!n || path[n - 1] == '\\' || same(path, filePath)) return;
    if ((!changesDealtWith() || !openFile(path)) && nodeOfPath(filePath))
        SelectTreeViewNode(nodeOfPath(filePath)); /* back on the file still open */
}

/* ---------------------------------------------------------------- the window */

static void buildMenus(void) {
    int root = WindowMenu(window);
    int file = CreateMenu(text("&File"), 0, root);
    CreateMenu(text("&New"), MENU_NEW, file);
    CreateMenu(text("&Open..."), MENU_OPEN, file);
    CreateMenu(text("&Save"), MENU_SAVE, file);
    CreateMenu(text("Save &as..."), MENU_SAVE_AS, file);
    CreateMenu(text(""), 0, file); /* a separator */
    CreateMenu(text("&Quit"), MENU_QUIT, file);
    int edit = CreateMenu(text("&Edit"), 0, root);
    CreateMenu(text("&Find..."), MENU_FIND, edit);
    int help = CreateMenu(text("&Help"), 0, root);
    CreateMenu(text("&About"), MENU_ABOUT, help);
    doneWithTexts(11);
    UpdateWindowMenu(window);
}

static void buildWindow(void) {
    char strip[PATH];
    /* Style: title bar, resizable, menu, status bar, and the shape is the client area. */
    window = CreateWindow(text("Editor"), 40, 60, WIDTH, HEIGHT, 0, 1 | 2 | 4 | 8 | 32);
    doneWithTexts(1);
    buildMenus();

    take(SystemProperty(text("appdir")), strip, sizeof strip - 20);
    doneWithTexts(1);
    append(strip + length(strip), "editor\\toolbar.png", strip + sizeof strip);
    toolBar = CreateToolBar(text(strip), 0, 0, WIDTH, 26, window, 0);
    doneWithTexts(1);
    SetToolBarTips(toolBar, text("New,Open,Save,Find"));
    doneWithTexts(1);
    SetGadgetLayout(toolBar, 1, 1, 1, 0);

    int top = GadgetHeight(toolBar) + 2;
    int height = ClientHeight(window) - top;
    tree = CreateTreeView(0, top, TREE_WIDTH, height, window, 0);
    SetGadgetLayout(tree, 1, 0, 1, 1);
    area = CreateTextArea(TREE_WIDTH + 4, top, ClientWidth(window) - TREE_WIDTH - 4, height, window, 0);
    SetGadgetLayout(area, 1, 1, 1, 1);
    int font = LoadFont(text("Courier New"), 15, 0, 0, 0);
    doneWithTexts(1);
    if (font) SetTextAreaFont(area, font);
    SetMinWindowSize(window, 400, 240);
}

/* ---------------------------------------------------------------- main */

static int startsWith(const char* text, const char* prefix) {
    while (*prefix && *prefix == *text) ++prefix, ++text;
    return *prefix == 0;
}

/* "[--log FILE] [FOLDER]": the log file's name has no blanks; the folder may. */
static void readArguments(void) {
    char arguments[2 * PATH];
    const char* at;
    take(CommandLine(), arguments, sizeof arguments);
    at = arguments;
    while (*at == ' ') ++at;
    if (startsWith(at, "--log ")) {
        char name[PATH];
        int n = 0;
        at += 6;
        while (*at == ' ') ++at;
        while (*at && *at != ' ' && n < PATH - 1) name[n++] = *at++;
        name[n] = 0;
        logFile = WriteFile(text(name));
        doneWithTexts(1);
        while (*at == ' ') ++at;
    }
    if (startsWith(at, "--figures ")) {
        for (at += 10; *at == ' '; ++at) {
        }
        while (*at >= '0' && *at <= '9') figuresCount = figuresCount * 10 + (*at++ - '0');
        while (*at == ' ') ++at;
    }
    if (*at == '"') ++at;
    char* out = append(folder, at, folder + sizeof folder - 2);
    while (out > folder && (out[-1] == ' ' || out[-1] == '"')) *--out = 0;
    if (!folder[0]) take(CurrentDir(), folder, sizeof folder - 2);
    out = folder + length(folder);
    if (out == folder || (out[-1] != '\\' && out[-1] != '/')) append(out, "\\", folder + sizeof folder);
}

/* Carries out a menu command; 0 when the editor is to close. */
static int command(int id) {
    if (id == MENU_NEW) newText();
    else if (id == MENU_OPEN) openWithRequester();
    else if (id == MENU_SAVE) save();
    else if (id == MENU_SAVE_AS) saveAs();
    else if (id == MENU_FIND) openFind();
    else if (id == MENU_ABOUT) about();
    else if (id == MENU_QUIT) return !changesDealtWith();
    return 1;
}

static const int toolCommands[] = {MENU_NEW, MENU_OPEN, MENU_SAVE, MENU_FIND};

/* One event; 0 when the editor is to close. */
static int handle(int event) {
    int source = EventSource(), data = EventData();
    if (event == MENU_ACTION) return command(data);
    if (event == WINDOW_CLOSE) {
        if (source == findWindow) {
            closeFind();
            return 1;
        }
        return command(MENU_QUIT);
    }
    if (event != GADGET_ACTION) return 1;
    if (source == toolBar && data >= TOOL_NEW && data <= TOOL_FIND) return command(toolCommands[data]);
    if (source == tree) treeSelectionChanged();
    if (source == area) {
        if (data == EDITED) setModified(1);
        showCaret();
    }
    if (source == findButton || (source == findField && data == 13)) findNext();
    if (source == closeButton) closeFind();
    return 1;
}

/* ---------------------------------------------------------------- running by itself (--figures) */

/* Handles the events waiting, as the loop below would; 0 if one closed the editor. */
static int handleWaiting(void) {
    for (int event = WaitEvent(0); event; event = WaitEvent(0))
        if (!handle(event)) return 0;
    return 1;
}

/* The tree's next file after node index `from`, from the top again at the end; -1 if none. */
static int nextFileNode(int from) {
    for (int step = 1; step <= nodeCount; ++step) {
        int i = (from + step) % nodeCount;
        int n = length(nodePaths[i]);
        if (n && nodePaths[i][n - 1] != '\\') return i;
    }
    return -1;
}

/* Why the run stops, in the log and on the console. */
static void stopEditing(const char* why, const char* path) {
    char line[LINE + PATH];
    append(append(line, why, line + sizeof line), path, line + sizeof line);
    logLine(line);
    Print(text(line));
    doneWithTexts(1);
}

/* Opens, edits, saves and closes `count` files the way the menus and the tree do. */
static void editByItself(int count) {
    char line[40];
    const int warmUp = count / 10;
    int at = -1;
    qxFiguresBind();
    for (int done = 0; done < count; ++done) {
        if (done == warmUp) qxFigures("start");
        if (done == warmUp + (count - warmUp) / 2) qxFigures("middle");
        at = nextFileNode(at);
        if (at < 0) {
            stopEditing("no file to edit in ", folder);
            return;
        }
        SelectTreeViewNode(nodes[at]);
        treeSelectionChanged();
        if (!handleWaiting() || !same(filePath, nodePaths[at])) {
            stopEditing("could not open ", nodePaths[at]);
            return;
        }
        appendInt(append(line, "edited ", line + sizeof line), done + 1, line + sizeof line);
        append(line + length(line), "\r\n", line + sizeof line);
        SetTextAreaText(area, text(line), 0, 0, 1);
        AddTextAreaText(area, text("\r\nadded"));
        doneWithTexts(2);
        if (!handleWaiting()) return;
        setModified(1);
        showCaret();
        command(MENU_SAVE);
        if (!handleWaiting() || modified) {
            stopEditing("could not save ", nodePaths[at]);
            return;
        }
        command(MENU_NEW);
        if (!handleWaiting()) return;
    }
    qxFigures("end");
    qxFiguresVerdict();
}

void qxmain(void) {
    _qxLoadLibs(&userLibs);
    AppTitle(text("Editor")); /* the caption of the message boxes */
    doneWithTexts(1);
    readArguments();
    buildWindow();
    addFolder(TreeViewRoot(tree), folder, 1);
    showTitle();
    showCaret();
    ActivateGadget(area);
    logPair("folder ", folder);
    if (figuresCount) editByItself(figuresCount);
    else
        while (handle(WaitEvent(-1))) {
        }
    logLine("quit");
    CloseFile(logFile);
    FreeGadget(window); /* and with it every gadget inside, the Find window too */
}
