#!/usr/bin/env python3
"""Writes the reference's page of which commands run on which system.

usage: platforms.py UNAVAILABLE.TXT REFERENCE_DIR OUTPUT.MD

UNAVAILABLE.TXT lists, one signature a line, the commands the Linux host
registers only as stops ("NAME is not available on Linux"); the Linux build
writes it (build/linux/generated/unavailable.txt) from its command tables.
Every command with an entry in the reference's numbered pages runs on
Windows. The page lists, chapter by chapter, how many of its commands the
Linux host runs and names the ones it does not.
"""
import os
import re
import sys

PAGE_NAME = re.compile(r"^\d\d-.*\.md$")
SIGNATURE_NAME = re.compile(r"^[^A-Za-z0-9_]?([A-Za-z0-9_]+)")


def anchor(name):
    return name.lower()


def read_pages(reference_dir):
    """[(file, title, [entry names])] of the numbered pages, in order."""
    pages = []
    for file in sorted(p for p in os.listdir(reference_dir) if PAGE_NAME.match(p)):
        with open(os.path.join(reference_dir, file), encoding="utf-8") as f:
            lines = f.read().split("\n")
        title, names, in_fence = file, [], False
        for line in lines:
            if line.startswith("```"):
                in_fence = not in_fence
            elif not in_fence and line.startswith("# ") and title == file:
                title = line[2:].strip()
            elif not in_fence and line.startswith("### "):
                names.append(line[4:].strip())
        pages.append((file, title, names))
    return pages


def read_unavailable(path):
    names = set()
    with open(path, encoding="utf-8") as f:
        for line in f:
            m = SIGNATURE_NAME.match(line.strip())
            if m:
                names.add(m.group(1))
    return names


def render(pages, unavailable):
    total = sum(len(names) for _, _, names in pages)
    missing = sum(1 for _, _, names in pages for n in names if n in unavailable)
    out = [
        "# Commands on each system",
        "",
        "Which commands and entry points run on which system. Generated from the",
        "Linux host's command tables by `tools/reference/platforms.py`: do not edit",
        "(the Linux build writes `build/linux/reference/platforms.md`; the test",
        "`linux.Reference.PlatformPageIsCurrent` compares the two).",
        "",
        f"**Windows** runs all {total}. **Linux** ([the Linux host](../linux-host.md))",
        f"runs {total - missing} of them. Each of the other {missing} is there, so that every",
        "program links on both systems, but stops the program with the runtime",
        "error \"*Name* is not available on Linux\".",
        "",
        "| Page | On Linux | Not yet on Linux |",
        "|---|---|---|",
    ]
    for file, title, names in pages:
        absent = [n for n in names if n in unavailable]
        if not names:
            continue
        if not absent:
            runs = f"all {len(names)}"
        elif len(absent) == len(names):
            runs = f"none of {len(names)}"
        else:
            runs = f"{len(names) - len(absent)} of {len(names)}"
        listed = ", ".join(f"[{n}]({file}#{anchor(n)})" for n in absent) if absent and len(absent) < len(names) else ("every one" if absent else "—")
        out.append(f"| [{title}]({file}) | {runs} | {listed} |")
    out.append("")
    return "\n".join(out)


def main(argv):
    if len(argv) != 4:
        sys.stderr.write(__doc__)
        return 2
    text = render(read_pages(argv[2]), read_unavailable(argv[1]))
    os.makedirs(os.path.dirname(os.path.abspath(argv[3])), exist_ok=True)
    with open(argv[3], "w", encoding="utf-8") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
