#!/usr/bin/env python3
"""Checks docs/reference against the runtime.

usage: check_reference.py REGISTRY.TXT REFERENCE_DIR SOURCE_ROOT

REGISTRY.TXT is written by `qxheader --registry`: kind, name, decorated
signature and C prototype of every registered symbol. Fails, listing what is
wrong, when
  - a registered command or entry point has no "### Name" entry (or more than one),
  - an entry names something that is not registered,
  - a command entry's first backticked line is not its decorated signature,
  - an entry's C prototype does not take and return the registered types,
  - a runtime error text that the code raises appears nowhere in the reference,
  - a link between the documents names a file or heading that does not exist.
"""
import os
import re
import sys

SOURCE_FOLDERS = ["runtime", "core", "io", "events", "audio", "netgame", "gui", "graphics"]
PAGE_NAME = re.compile(r"^\d\d-.*\.md$")


def read_registry(path):
    symbols = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            kind, name, signature, prototype = line.rstrip("\n").split("\t")
            symbols[name] = (kind, signature, prototype)
    return symbols


def read_entries(reference_dir):
    """Each "### Name" heading of the numbered pages: name -> [(page, body lines)]."""
    entries = {}
    pages = sorted(p for p in os.listdir(reference_dir) if PAGE_NAME.match(p))
    texts = {}
    for page in pages:
        with open(os.path.join(reference_dir, page), encoding="utf-8") as f:
            lines = f.read().split("\n")
        texts[page] = "\n".join(lines)
        current = None
        in_fence = False
        for line in lines:
            if line.startswith("```"):
                in_fence = not in_fence
            if not in_fence and re.match(r"^#{1,3} ", line):
                current = None
                if line.startswith("### "):
                    name = line[4:].strip()
                    current = []
                    entries.setdefault(name, []).append((page, current))
                continue
            if current is not None:
                current.append(line)
    return entries, texts


C_TYPES = {"void", "int", "float", "QXString*", "void*"}


def prototype_types(text):
    """(result, [parameter types]) of a C prototype, parameter names dropped; None if unreadable."""
    text = " ".join(text.replace("QXCALL", " ").split())
    m = re.match(r"^(?:extern\s+)?(.+?)\s*\b([A-Za-z_]\w*)\s*(\[\])?\s*(?:\((.*)\))?\s*;?$", text)
    if not m:
        return None
    result = m.group(1).replace(" ", "")
    if m.group(3):
        return (result + "[]", [])
    params = []
    raw = (m.group(4) or "").strip()
    if raw and raw != "void":
        for p in raw.split(","):
            p = p.strip()
            compact = p.replace(" ", "")
            if compact in C_TYPES:
                params.append(compact)
                continue
            named = re.match(r"^(.*?)\s*\b[A-Za-z_]\w*$", p)
            params.append(named.group(1).replace(" ", "") if named else compact)
    return (result, params)


def check_entry(name, kind, signature, prototype, body):
    problems = []
    backticked = next((l.strip() for l in body if re.match(r"^\s*`[^`]+`\s*$", l)), None)
    first_code = None
    for i, line in enumerate(body):
        if line.startswith("```c") and line.strip() in ("```c", "```C"):
            code = []
            for l in body[i + 1:]:
                if l.startswith("```"):
                    break
                code.append(l)
            first_code = " ".join(code).strip()
            break
    if kind == "command":
        if backticked is None:
            problems.append("no signature line (expected `%s`)" % signature)
        elif backticked.strip("`") != signature:
            problems.append("signature line %s, registered `%s`" % (backticked, signature))
    documented = first_code if first_code is not None else (backticked.strip("`") if backticked and kind == "entry" else None)
    if documented is None:
        problems.append("no C prototype (expected `%s`)" % prototype)
    else:
        if prototype_types(documented) != prototype_types(prototype):
            problems.append("C prototype `%s`, registered `%s`" % (documented, prototype))
    return problems


def c_literals(text):
    return [bytes(s, "utf-8").decode("unicode_escape") for s in re.findall(r'"((?:[^"\\]|\\.)*)"', text)]


def call_arguments(source, start):
    """The argument text of the call whose '(' is at start, split at top-level commas."""
    depth, args, current, i, in_string = 0, [], "", start, False
    while i < len(source):
        c = source[i]
        if in_string:
            current += c
            if c == "\\":
                current += source[i + 1]
                i += 1
            elif c == '"':
                in_string = False
        elif c == '"':
            in_string = True
            current += c
        elif c == "(":
            depth += 1
            if depth > 1:
                current += c
        elif c == ")":
            depth -= 1
            if depth == 0:
                args.append(current)
                return args
            current += c
        elif c == "," and depth == 1:
            args.append(current)
            current = ""
        else:
            current += c
        i += 1
    return args


def function_body(text, name):
    m = re.search(r"\b%s\s*\([^;{)]*\)\s*\{" % re.escape(name), text)
    if not m:
        return ""
    depth, i = 0, m.end() - 1
    for j in range(i, len(text)):
        depth += {"{": 1, "}": -1}.get(text[j], 0)
        if depth == 0:
            return text[i:j]
    return ""


def relayed_texts(text, variable):
    """The texts a local variable passed as runtimeError("%s", variable) can hold:
    the literals assigned to it in the file, and those returned by the functions
    whose result is assigned to it."""
    texts = []
    for m in re.finditer(r"\b%s\s*=(?!=)([^;]*);" % re.escape(variable), text):
        texts += c_literals(m.group(1))
        for called in re.findall(r"\b(\w+)\s*\(", m.group(1)):
            texts += [t for r in re.findall(r"\breturn\s+([^;]*);", function_body(text, called)) for t in c_literals(r)]
    return texts


def error_texts(root):
    """The runtime errors the code raises, as patterns: [(shown text, regex, where)]."""
    sources = []
    for folder in SOURCE_FOLDERS:
        for dirpath, _, files in os.walk(os.path.join(root, folder)):
            for f in sorted(files):
                if f.endswith((".cpp", ".h")) and "Fuzzer" not in f:
                    path = os.path.join(dirpath, f)
                    with open(path, encoding="utf-8", errors="replace") as fh:
                        sources.append((os.path.relpath(path, root), fh.read()))
    # Kinds that fill "%s" in the texts raised with a kind: checkHandle's
    # "Invalid %s handle" and the GUI driver's "Unable to create %s".
    handle_kinds, created_kinds = set(), set()
    for _, text in sources:
        for m in re.finditer(r"checkHandle<[^>]*>\s*\(", text):
            args = call_arguments(text, m.end() - 1)
            if len(args) == 2:
                handle_kinds.update(c_literals(args[1]))
        for m in re.finditer(r"\bmake<[^>]*>\s*\(", text):
            args = call_arguments(text, m.end() - 1)
            if args:
                created_kinds.update(c_literals(args[0]))
    expansions = {"Invalid %s handle": handle_kinds, "Unable to create %s": created_kinds}
    found = {}
    # runtimeError(format, ...) raises the format's text; the escaped-exception
    # guard raises what noteText recorded.
    for path, text in sources:
        for m in re.finditer(r"\b(runtimeError|noteText)\s*\(", text):
            args = call_arguments(text, m.end() - 1)
            if not args:
                continue
            line = text.count("\n", 0, m.start()) + 1
            formats = c_literals(args[0])
            if formats == ["%s"] and len(args) == 2 and re.fullmatch(r"\s*\w+\s*", args[1]):
                formats = relayed_texts(text, args[1].strip())
            for fmt in formats:
                if fmt == "%s":
                    continue  # passes on a text made elsewhere (RuntimeError's own, an exception's)
                shown_texts = [fmt.replace("%s", k) for k in sorted(expansions[fmt])] if fmt in expansions else [fmt]
                for shown in shown_texts:
                    # Other conversions stand for whatever number or text the program sees.
                    pieces = re.split(r"%[-+ #0]*\d*(?:\.\d+)?[diouxXscfgp]", shown)
                    pattern = r'[^"\n]+'.join(re.escape(piece) for piece in pieces)
                    found.setdefault(shown, (pattern, "%s:%d" % (path, line)))
    return found


def heading_anchors(path):
    """The anchors a Markdown renderer gives the headings of a file."""
    seen, anchors, in_fence = {}, set(), False
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.startswith("```"):
                in_fence = not in_fence
            m = None if in_fence else re.match(r"^#{1,6} (.*?)\s*$", line)
            if not m:
                continue
            slug = "".join(c.lower() if c.isalnum() or c in "-_" else "-" if c == " " else "" for c in m.group(1))
            repeats = seen.get(slug, 0)
            seen[slug] = repeats + 1
            anchors.add(slug if repeats == 0 else "%s-%d" % (slug, repeats))
    return anchors


def broken_links(documents):
    """Relative links in the documents whose file or heading is missing."""
    broken = []
    for document in documents:
        with open(document, encoding="utf-8") as f:
            text = re.sub(r"```.*?```", "", f.read(), flags=re.S)
        for link in re.findall(r"\]\(([^)\s]+)\)", text):
            if re.match(r"^[a-z]+:", link):
                continue
            path, _, anchor = link.partition("#")
            target = os.path.normpath(os.path.join(os.path.dirname(document), path)) if path else document
            if not os.path.exists(target):
                broken.append("%s: %s (no such file)" % (document, link))
            elif anchor and target.endswith(".md") and anchor not in heading_anchors(target):
                broken.append("%s: %s (no such heading)" % (document, link))
    return broken


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    registry_path, reference_dir, root = sys.argv[1:]
    symbols = read_registry(registry_path)
    entries, texts = read_entries(reference_dir)
    everything = "\n".join(texts.values())

    missing = [n for n in symbols if n not in entries]
    unknown = sorted(n for n in entries if n not in symbols)
    repeated = sorted(n for n in entries if len(entries[n]) > 1)
    wrong = []
    for name, places in sorted(entries.items()):
        if name not in symbols:
            continue
        kind, signature, prototype = symbols[name]
        for page, body in places:
            for problem in check_entry(name, kind, signature, prototype, body):
                wrong.append("%s (%s): %s" % (name, page, problem))
    errors = error_texts(root)
    unlisted = sorted((shown, where) for shown, (pattern, where) in errors.items()
                      if not re.search('"' + pattern + '"', everything))

    docs_dir = os.path.dirname(os.path.abspath(reference_dir))
    documents = sorted(os.path.join(reference_dir, p) for p in os.listdir(reference_dir) if p.endswith(".md"))
    documents += sorted(os.path.join(docs_dir, p) for p in os.listdir(docs_dir) if p.endswith(".md"))
    documents.append(os.path.join(root, "README.md"))
    links = [os.path.relpath(b, root) for b in broken_links(documents)]

    commands = [n for n, s in symbols.items() if s[0] == "command"]
    entry_points = [n for n, s in symbols.items() if s[0] == "entry"]
    documented = len(symbols) - len(missing)
    print("Reference: %d of %d registered names have an entry (%d commands, %d entry points registered); "
          "%d of %d error texts appear." % (documented, len(symbols), len(commands), len(entry_points),
                                            len(errors) - len(unlisted), len(errors)))

    def report(title, items):
        if items:
            print("\n%s (%d):" % (title, len(items)))
            for item in items:
                print("  " + item)

    report("Registered commands with no entry", sorted(n for n in missing if symbols[n][0] == "command"))
    report("Registered entry points with no entry", sorted(n for n in missing if symbols[n][0] == "entry"))
    report("Entries naming nothing registered", ["%s (%s)" % (n, ", ".join(p for p, _ in entries[n])) for n in unknown])
    report("Names with more than one entry", ["%s (%s)" % (n, ", ".join(p for p, _ in entries[n])) for n in repeated])
    report("Entries whose signature or prototype differs", wrong)
    report("Runtime error texts not in the reference", ['"%s"  (raised at %s)' % u for u in unlisted])
    report("Broken links", links)
    return 1 if (missing or unknown or repeated or wrong or unlisted or links) else 0


if __name__ == "__main__":
    sys.exit(main())
