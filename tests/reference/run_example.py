#!/usr/bin/env python3
"""Runs one of the reference's examples and compares what it prints.

usage: run_example.py WINE_RUN QXRUN.EXE PROGRAM.EXE EXPECTED.OUT WORK_DIR
       run_example.py --broken MESSAGE

The program runs through qxrun in an empty WORK_DIR; it must print exactly
EXPECTED.OUT, show no message box and exit with code 0.
"""
import difflib
import os
import shutil
import subprocess
import sys


def main():
    if sys.argv[1] == "--broken":
        print(sys.argv[2])
        return 1
    wine_run, qxrun, program, expected_path, work_dir = sys.argv[1:6]
    shutil.rmtree(work_dir, ignore_errors=True)
    os.makedirs(work_dir)
    with open(expected_path, encoding="utf-8", newline="") as f:
        expected = f.read() + "exit code: 0\n"
    run = subprocess.run([wine_run, qxrun, "--timeout", "30000", "Z:" + os.path.abspath(program)],
                         cwd=work_dir, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=90)
    seen = run.stdout.decode("utf-8", "replace").replace("\r\n", "\n")
    if seen == expected:
        return 0
    print("The example's output differs from its output fence (- stated, + seen):")
    sys.stdout.writelines(difflib.unified_diff(expected.splitlines(True), seen.splitlines(True), "stated", "seen"))
    if run.stderr:
        print("stderr:\n" + run.stderr.decode("utf-8", "replace"))
    return 1


if __name__ == "__main__":
    sys.exit(main())
