#!/usr/bin/env python3
"""The reference's checks catch what they are there to catch: a small
registry, source tree and reference with one fault of each kind, and the
report each must give. A checker that passes everything would pass the real
reference too, so this is what keeps Reference.EveryNameAndErrorHasAnEntry honest."""
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))

REGISTRY = """\
command\tPrint\tPrint$text\tvoid Print(QXString* text);
command\tLen\t%Len$string\tint Len(QXString* string);
command\tMid\t$Mid$string%start%count=-1\tQXString* Mid(QXString* string, int start, int count);
command\tWait\tWait%ms\tvoid Wait(int ms);
entry\t_qxStrConcat\t_qxStrConcat\tQXString* _qxStrConcat(QXString*, QXString*);
entry\t_qxStrTmpFree\t_qxStrTmpFree\tvoid _qxStrTmpFree(int);
entry\t_qxIntType\t_qxIntType\textern char _qxIntType[];
"""

SOURCE = r"""
template <class T> T* checkHandle(int h, const char* kind) { if (!find(h)) runtimeError("Invalid %s handle", kind); }
void a() { runtimeError("Out of data"); }
Stream& streamOf(int h) { return *checkHandle<Stream>(h, "Stream"); }
void b(int o, int c, int s) { runtimeError("Bank offset %d and count %d lie outside the bank of %d bytes", o, c, s); }
void c(bool m) { runtimeError(m ? "TileImage clip error" : "TileBlock clip error"); }
const char* pick(int x) { if (x) return "ChoosePixelFormat failed"; return nullptr; }
void d() {
    const char* failure = pick(1);
    if (!failure) failure = "wglCreateContext failed";
    runtimeError("%s", failure);
}
void e(QXString* t) { runtimeError("%s", stringCText(t)); }
QXGadget* f() { return make<Label>("label", 0, 0); }
void g(const char* kind) { runtimeError("Unable to create %s", kind); }
"""

PAGE = """\
# Fixture

An [entry](#print), a [missing page](nowhere.md) and a [missing heading](#nothing-here).

### Print

`Print$text`

```c
void Print(QXString* text);
```

**Errors:** "Invalid Stream handle", "Bank offset 4 and count 9 lie outside the bank of 8 bytes".

### Len

`%Len$text`

```c
int Len(QXString* string);
```

### Mid

`$Mid$string%start%count=-1`

```c
QXString* Mid(QXString* s, float start, int count);
```

**Errors:** "TileImage clip error", "wglCreateContext failed", "Unable to create label".

### Wait

`Wait%ms`

```c
void Wait(int milliseconds);
```

### _qxStrTmpFree

```c
void _qxStrTmpFree(int count);
```

### _qxIntType

```c
extern char _qxIntType[];
```

### Unregistered

```c example
/* ### Print inside a fence is no heading */
```

## Wait

A group heading may share a name.
"""

# Lines the report must contain, and lines it must not.
EXPECTED = [
    "Reference: 6 of 7 registered names have an entry",
    "5 of 8 error texts appear",
    "Registered entry points with no entry (1):\n  _qxStrConcat\n",
    "Entries naming nothing registered (1):\n  Unregistered (01-fixture.md)\n",
    "Len (01-fixture.md): signature line `%Len$text`, registered `%Len$string`",
    "Mid (01-fixture.md): C prototype `QXString* Mid(QXString* s, float start, int count);`",
    '"Out of data"  (raised at core/Fixture.cpp:3)',
    '"TileBlock clip error"',
    '"ChoosePixelFormat failed"',
    "docs/reference/01-fixture.md: nowhere.md (no such file)",
    "docs/reference/01-fixture.md: #nothing-here (no such heading)",
]
UNEXPECTED = ["Print (", "Wait (", "_qxStrTmpFree (", "_qxIntType (", "Invalid Stream handle", "Bank offset",
              '"TileImage clip error"', '"wglCreateContext failed"', '"Unable to create label"', "(#print)",
              "more than one entry"]


EXAMPLES_PAGE = """\
# Examples fixture

```c example
/* intro */
```

```output
one
two
```

### Beep

```c example
/* first */
```

```output
```

```c example
/* second, without its output */
```

Text between.

```output
late
```
"""


def extraction_failures():
    """Examples are named after page and entry, kept with their exact output,
    and one without an output fence right after it becomes a failing entry."""
    with tempfile.TemporaryDirectory() as root:
        page = os.path.join(root, "03-x.md")
        with open(page, "w", encoding="utf-8") as f:
            f.write(EXAMPLES_PAGE)
        out = os.path.join(root, "out")
        subprocess.run([sys.executable, os.path.join(HERE, "extract_examples.py"), out, page], check=True, timeout=60)
        with open(os.path.join(out, "examples.txt"), encoding="utf-8") as f:
            listing = [line.split("\t") for line in f.read().splitlines()]

        def read(name):
            with open(os.path.join(out, "src", name), encoding="utf-8") as f:
                return f.read()
        failures = []
        names = [fields[0] for fields in listing]
        if names != ["03-x.intro", "03-x.Beep", "03-x.Beep_2"]:
            failures.append("example names %s" % names)
        elif read("03-x.intro.out") != "one\ntwo\n" or read("03-x.Beep.out") != "" or "/* first */" not in read("03-x.Beep.c"):
            failures.append("extracted program or output differs")
        elif listing[1][3] or "must be followed by an output fence" not in listing[2][3]:
            failures.append("an example without its output fence is not reported: %s" % listing)
        return failures


def main():
    extraction = extraction_failures()
    with tempfile.TemporaryDirectory() as root:
        os.makedirs(os.path.join(root, "core"))
        os.makedirs(os.path.join(root, "docs", "reference"))
        files = {"registry.txt": REGISTRY, "core/Fixture.cpp": SOURCE, "README.md": "# Fixture\n",
                 "docs/reference/01-fixture.md": PAGE, "docs/reference/index.md": "# Index\n"}
        for name, text in files.items():
            with open(os.path.join(root, name), "w", encoding="utf-8") as f:
                f.write(text)
        run = subprocess.run([sys.executable, os.path.join(HERE, "check_reference.py"), os.path.join(root, "registry.txt"),
                              os.path.join(root, "docs", "reference"), root],
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
        report = run.stdout.decode("utf-8")
    failures = extraction + ["missing: " + e for e in EXPECTED if e not in report]
    failures += ["unexpected: " + u for u in UNEXPECTED if u in report]
    if run.returncode != 1:
        failures.append("exit code %d, expected 1" % run.returncode)
    if failures or os.environ.get("QX_SHOW_REPORT"):
        print("\n".join(failures))
        print("\nThe checker's report:\n" + report)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
