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
import time


def main():
    if sys.argv[1] == "--broken":
        print(sys.argv[2])
        return 1
    wine_run, qxrun, program, expected_path, work_dir = sys.argv[1:6]
    shutil.rmtree(work_dir, ignore_errors=True)
    os.makedirs(work_dir)
    with open(expected_path, encoding="utf-8", newline="") as f:
        expected = f.read() + "exit code: 0\n"
    # Output goes to files, not pipes: a Wine helper started by the first
    # program on the display (the desktop's explorer) inherits the handles and
    # would hold a pipe open long after the program has ended.
    started = time.monotonic()
    output_path, errors_path = work_dir + ".stdout", work_dir + ".stderr"
    with open(output_path, "wb") as output, open(errors_path, "wb") as errors:
        subprocess.run([wine_run, qxrun, "--timeout", "30000", "Z:" + os.path.abspath(program)],
                       cwd=work_dir, stdin=subprocess.DEVNULL, stdout=output, stderr=errors, timeout=75)
    with open(output_path, "rb") as output:
        seen = output.read().decode("utf-8", "replace").replace("\r\n", "\n")
    with open(errors_path, "rb") as errors:
        stderr = errors.read().decode("utf-8", "replace")
    print("ran in %.1f s" % (time.monotonic() - started))
    if seen == expected:
        return 0
    print("The example's output differs from its output fence (- stated, + seen):")
    sys.stdout.writelines(difflib.unified_diff(expected.splitlines(True), seen.splitlines(True), "stated", "seen"))
    if stderr:
        print("stderr:\n" + stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
