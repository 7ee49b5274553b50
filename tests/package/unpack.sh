#!/usr/bin/env bash
# The package as a Windows user gets it: unpacked into an empty folder outside
# the source tree, then, with only what is inside plus mingw-w64's C compiler,
# hello and the game compiled by README.txt's own command, packed, bound and
# run under Wine (hello also through runtime.dll).
#   unpack.sh ARCHIVE.zip VERSION SOURCE_DIR
set -uo pipefail
zip=$1 version=$2 source=$3
[ -n "${WINEPREFIX:-}" ] || . "$source/scripts/wine-env"
work=$(mktemp -d /tmp/qx-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cd "$work" || exit 1
cmake -E tar xf "$zip" || fail "cannot unpack $zip"
top="$work/quelt-runtime-$version"
[ -d "$top" ] || fail "the archive holds no folder quelt-runtime-$version: $(ls)"

# What README.txt promises, and nothing for Linux among the programs.
for file in README.txt LICENSE.txt include/quelt.h include/qxprog.h \
            licenses/stb.txt licenses/libxmp.txt licenses/mingw-w64.txt \
            docs/netgame-protocol.md examples/hello.c examples/game.c \
            examples/assets/game/music.mod examples/assets/game/ship.png examples/editor/toolbar.png; do
    [ -s "$top/$file" ] || fail "the archive has no $file"
done
for program in runtime.exe runtime.dll qxpack.exe qxbind.exe qxhost.exe qxrun.exe; do
    [ "$(head -c 2 "$top/bin/$program" 2>/dev/null)" = MZ ] || fail "bin/$program is not a Windows program"
done
grep -q "MIT" "$top/README.txt" || fail "README.txt names no licence"
# Every document of the source, the reference included, whatever it holds now.
(cd "$source" && find docs -name '*.md') | while read -r document; do
    cmp -s "$source/$document" "$top/$document" || { echo "FAIL: the archive's $document differs or is missing"; exit 1; }
done || exit 1

bin="$top/bin"
for tool in qxpack qxbind qxrun qxhost; do
    first=$(wine "$bin/$tool.exe" --version 2>/dev/null </dev/null | tr -d '\r' | head -1)
    [ "$first" = "$tool $version" ] || fail "$tool --version says \"$first\", not \"$tool $version\""
done

# README.txt's compile command (for the command prompt: its paths turned
# round for this shell), for each program.
compile=$(tr -d '\r' < "$top/README.txt" | sed -n '/^  i686-w64-mingw32-gcc /,/[^^]$/p' | tr -d '^\n' | tr '\\' /)
[ -n "$compile" ] || fail "README.txt shows no compile command"
cd "$top/examples" || exit 1
for name in hello game; do
    command=${compile//hello/$name}
    eval "$command" >"$work/$name-compile.log" 2>&1 || { cat "$work/$name-compile.log"; fail "$command"; }
    wine ../bin/qxpack.exe -o "$name.qxm" "$name.o" >"$work/$name-pack.log" 2>&1 </dev/null \
        || { cat "$work/$name-pack.log"; fail "qxpack $name"; }
    wine ../bin/qxbind.exe ../bin/runtime.exe "$name.qxm" "$name.exe" >"$work/$name-bind.log" 2>&1 </dev/null \
        || { cat "$work/$name-bind.log"; fail "qxbind $name"; }
done

got=$(wine ../bin/qxrun.exe --timeout 60000 --input $'Ada\n' hello.exe one two 2>/dev/null </dev/null | tr -d '\r')
expected="Hello from Quelt Basic!
What is your name? Nice to meet you, Ada
Arguments: one two
exit code: 0"
[ "$got" = "$expected" ] || { diff <(echo "$expected") <(echo "$got"); fail "hello.exe"; }
got=$(wine ../bin/qxhost.exe hello.qxm 2>/dev/null </dev/null | tr -d '\r')
expected="Hello from Quelt Basic!
What is your name? Nice to meet you, stranger
Arguments:
execute returned"
[ "$got" = "$expected" ] || { diff <(echo "$expected") <(echo "$got"); fail "hello.qxm through qxhost and runtime.dll"; }

# The game finds its pictures, sounds and music beside it and plays its demo.
mkdir -p "$work/demo"
got=$(wine ../bin/qxrun.exe --timeout 90000 game.exe demo 120 1 "$(winepath -w "$work/demo")" 2>/dev/null </dev/null | tr -d '\r')
echo "$got" | head -1 | grep -qx 'no high score yet' || fail "game.exe: $got"
echo "$got" | grep -q '^demo over after 120 frames: score ' || fail "game.exe did not play 120 frames: $got"
echo "$got" | grep -q '^high score written: ' || fail "game.exe wrote no high score: $got"
echo "$got" | tail -1 | grep -qx 'exit code: 0' || fail "game.exe: $got"
[ -s "$work/demo/game-demo.bmp" ] || fail "game.exe saved no last frame"
echo "ok: quelt-runtime-$version unpacked; hello and the game built from it and run"
