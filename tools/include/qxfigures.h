/* A program's own figures over a long run: private memory
   (GetProcessMemoryInfo), handles (GetProcessHandleCount), GDI and USER
   objects (GetGuiResources) and the runtime's live objects (ActiveObjects).
   The system functions are bound as a program binds a user library, so the
   program calls qxFiguresBind() first (it uses the program's one library
   table). Each qxFigures("start") prints one line

       figures start private 1234 KB handles 56 gdi 7 user 8 objects 9

   and qxFiguresVerdict() compares the last line with the first: "flat" when
   private memory grew by less than 1 MB and nothing else grew, otherwise
   "grew" and what.
   Wine 8 fills neither PrivateUsage nor the handle count, and its
   GetGuiResources counts nothing (always 0). There private memory is read
   from PagefileUsage (the process's anonymous resident memory there), and
   handles are counted in the system's handle table
   (NtQuerySystemInformation, SystemHandleInformation). */
#ifndef QXFIGURES_H
#define QXFIGURES_H

#include "quelt.h"

typedef struct {
    int privateKb, handles, gdi, user, objects;
} QXFigures;

static int(__attribute__((stdcall)) * qxK32GetProcessMemoryInfo)(int, unsigned*, int);
static int(__attribute__((stdcall)) * qxGetProcessHandleCount)(int, unsigned*);
static int(__attribute__((stdcall)) * qxGetGuiResources)(int, int);
static int(__attribute__((stdcall)) * qxGetCurrentProcessId)(void);
static int(__attribute__((stdcall)) * qxNtQuerySystemInformation)(int, void*, int, unsigned*);

static struct __attribute__((packed)) {
    char kernel32[sizeof "kernel32.dll"];
    char memoryName[sizeof "K32GetProcessMemoryInfo"];
    void* memorySlot;
    char handlesName[sizeof "GetProcessHandleCount"];
    void* handlesSlot;
    char pidName[sizeof "GetCurrentProcessId"];
    void* pidSlot;
    char kernelEnd;
    char user32[sizeof "user32.dll"];
    char guiName[sizeof "GetGuiResources"];
    void* guiSlot;
    char userEnd;
    char ntdll[sizeof "ntdll.dll"];
    char queryName[sizeof "NtQuerySystemInformation"];
    void* querySlot;
    char ntdllEnd;
    char tableEnd;
} qxFiguresLibs = {"kernel32.dll", "K32GetProcessMemoryInfo", &qxK32GetProcessMemoryInfo,
                   "GetProcessHandleCount", &qxGetProcessHandleCount,
                   "GetCurrentProcessId", &qxGetCurrentProcessId, 0,
                   "user32.dll", "GetGuiResources", &qxGetGuiResources, 0,
                   "ntdll.dll", "NtQuerySystemInformation", &qxNtQuerySystemInformation, 0, 0};

static QXFigures qxFiguresFirst, qxFiguresLast;
static int qxFiguresTaken;

static void qxFiguresBind(void) { _qxLoadLibs(&qxFiguresLibs); }

/* This process's entries in the system's handle table: a count, then 16
   bytes per handle, the owner's process id first. -1 if it cannot be read. */
static int qxFiguresHandlesInTable(void) {
    static unsigned table[256 * 1024 / 4];
    unsigned length = 0;
    if (qxNtQuerySystemInformation(16 /* SystemHandleInformation */, table, sizeof table, &length) != 0) return -1;
    const int me = qxGetCurrentProcessId();
    int count = 0;
    for (unsigned i = 0; i < table[0] && 1 + 4 * (i + 1) <= sizeof table / 4; ++i) count += (int)table[1 + 4 * i] == me;
    return count;
}

static QXFigures qxFiguresNow(void) {
    enum { kCurrentProcess = -1 };
    QXFigures now;
    /* PROCESS_MEMORY_COUNTERS_EX: eleven 32-bit fields, PrivateUsage last. */
    unsigned counters[11] = {sizeof counters};
    unsigned handles = 0;
    qxK32GetProcessMemoryInfo(kCurrentProcess, counters, sizeof counters);
    qxGetProcessHandleCount(kCurrentProcess, &handles);
    now.privateKb = (int)((counters[10] ? counters[10] : counters[8]) / 1024);
    now.handles = handles ? (int)handles : qxFiguresHandlesInTable();
    now.gdi = qxGetGuiResources(kCurrentProcess, 0 /* GR_GDIOBJECTS */);
    now.user = qxGetGuiResources(kCurrentProcess, 1 /* GR_USEROBJECTS */);
    now.objects = ActiveObjects();
    return now;
}

/* Appends the C text `part` to `*line`. */
static void qxFiguresAppend(QXString** line, const char* part) {
    QXString* piece = _qxStrFromCStr((void*)part);
    QXString* joined = _qxStrConcat(*line, piece);
    _qxStrRelease(*line);
    _qxStrRelease(piece);
    *line = joined;
}

static void qxFiguresAppendInt(QXString** line, const char* name, int value) {
    QXString* number = _qxStrFromInt(value);
    QXString* joined;
    qxFiguresAppend(line, name);
    joined = _qxStrConcat(*line, number);
    _qxStrRelease(*line);
    _qxStrRelease(number);
    *line = joined;
}

static void qxFigures(const char* label) {
    QXFigures now = qxFiguresNow();
    QXString* line = _qxStrFromCStr((void*)"figures ");
    qxFiguresAppend(&line, label);
    qxFiguresAppendInt(&line, " private ", now.privateKb);
    qxFiguresAppendInt(&line, " KB handles ", now.handles);
    qxFiguresAppendInt(&line, " gdi ", now.gdi);
    qxFiguresAppendInt(&line, " user ", now.user);
    qxFiguresAppendInt(&line, " objects ", now.objects);
    Print(line);
    _qxStrRelease(line);
    if (!qxFiguresTaken++) qxFiguresFirst = now;
    qxFiguresLast = now;
}

static void qxFiguresVerdict(void) {
    QXString* line = _qxStrFromCStr((void*)"grew:");
    const QXFigures a = qxFiguresFirst, b = qxFiguresLast;
    int grew = 0;
    if (b.privateKb - a.privateKb >= 1024) qxFiguresAppendInt(&line, " private KB +", b.privateKb - a.privateKb), grew = 1;
    if (b.handles > a.handles) qxFiguresAppendInt(&line, " handles +", b.handles - a.handles), grew = 1;
    if (b.gdi > a.gdi) qxFiguresAppendInt(&line, " gdi +", b.gdi - a.gdi), grew = 1;
    if (b.user > a.user) qxFiguresAppendInt(&line, " user +", b.user - a.user), grew = 1;
    if (b.objects > a.objects) qxFiguresAppendInt(&line, " objects +", b.objects - a.objects), grew = 1;
    if (!grew) {
        _qxStrRelease(line);
        line = _qxStrFromCStr((void*)"flat");
    }
    Print(line);
    _qxStrRelease(line);
}

#endif
