#!/usr/bin/env python3
"""Extracts the reference's examples for the build.

usage: extract_examples.py OUTPUT_DIR PAGE.md...

A fence with the info string "c example" followed (blank lines aside) by a
fence with the info string "output" is one example: its program goes to
OUTPUT_DIR/src/NAME.c, what it prints to OUTPUT_DIR/src/NAME.out. NAME is the
page and the entry (the "### Name" heading above it, else the section, else
"intro"). OUTPUT_DIR/examples.txt lists NAME, page, entry and, for an example
with no output fence, what is wrong with it. Files are rewritten only when
they change, so an unchanged example is not rebuilt.
"""
import os
import re
import sys


def fences(lines):
    """(info string, first line index, body lines, last line index) of each fence."""
    i = 0
    while i < len(lines):
        m = re.match(r"^```\s*(.*?)\s*$", lines[i])
        if m:
            start, body = i, []
            i += 1
            while i < len(lines) and not lines[i].startswith("```"):
                body.append(lines[i])
                i += 1
            yield m.group(1), start, body, i
        i += 1


def entry_at(lines, index):
    """The entry an example belongs to: the nearest heading above it."""
    in_fence = False
    headings = []
    for line in lines[:index]:
        if line.startswith("```"):
            in_fence = not in_fence
        elif not in_fence and line.startswith("#"):
            headings.append(line)
    for line in reversed(headings):
        if line.startswith("### "):
            return line[4:].strip()
        if line.startswith("## "):
            return re.sub(r"[^A-Za-z0-9_]+", "_", line[3:].strip()).strip("_") or "intro"
        if line.startswith("# "):
            break
    return "intro"


def write_if_changed(path, text):
    try:
        with open(path, encoding="utf-8", newline="") as f:
            if f.read() == text:
                return
    except FileNotFoundError:
        pass
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(text)


def main():
    out_dir, pages = sys.argv[1], sys.argv[2:]
    src_dir = os.path.join(out_dir, "src")
    os.makedirs(src_dir, exist_ok=True)
    listing, names = [], set()
    for page_path in sorted(pages):
        page = os.path.splitext(os.path.basename(page_path))[0]
        with open(page_path, encoding="utf-8") as f:
            lines = f.read().split("\n")
        found = list(fences(lines))
        for n, (info, start, body, end) in enumerate(found):
            if info != "c example":
                continue
            entry = entry_at(lines, start)
            name = "%s.%s" % (page, entry)
            suffix = 2
            while name in names:
                name = "%s.%s_%d" % (page, entry, suffix)
                suffix += 1
            names.add(name)
            following = found[n + 1] if n + 1 < len(found) else None
            between = lines[end + 1:following[1]] if following else []
            if not following or following[0] != "output" or any(l.strip() for l in between):
                listing.append("%s\t%s\t%s\tline %d: a c example fence must be followed by an output fence"
                               % (name, page, entry, start + 1))
                continue
            write_if_changed(os.path.join(src_dir, name + ".c"), "\n".join(body) + "\n")
            write_if_changed(os.path.join(src_dir, name + ".out"), "".join(l + "\n" for l in following[2]))
            listing.append("%s\t%s\t%s\t" % (name, page, entry))
    for stale in os.listdir(src_dir):
        if os.path.splitext(stale)[0] not in names:
            os.remove(os.path.join(src_dir, stale))
    write_if_changed(os.path.join(out_dir, "examples.txt"), "".join(l + "\n" for l in listing))


if __name__ == "__main__":
    main()
