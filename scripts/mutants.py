#!/usr/bin/env python3
"""Mutation check of the library's test suite: how many plausible one-line faults it catches.

Each mutant in the list (scripts/mutants.txt) is one fault put into one source file: a flipped
comparison, a dropped rounding half, an off-by-one, a wrong variable. For every mutant the script
puts the fault in, rebuilds incrementally, runs the library's test programs (not the tool's, not
the fuzzers) until one fails, and puts the original back. A mutant is

  caught     when a test program fails (or runs past the time limit: a hang is caught too),
  survived   when every test program passes,
  no build   when the mutated code does not compile (not counted in the score),
  stale      when its original text is not found exactly once in the file (not counted).

Usage:
  scripts/mutants.py [--build DIR] [--list FILE] [--only SUBSTRING] [--jobs N]

The build folder (default build-mutants) is configured once without tools and benchmarks. A full
run takes about a minute per mutant on two cores; it is far too slow for CI and is not part of it.

The list names each fault by a piece of text that must occur exactly once in its file. When code
moves or is rewritten, a mutant turns "stale": update its line in the list (pick the same fault in
the new code) rather than dropping it, so that scores stay comparable over time.
List format, one mutant per line, fields separated by " | ", '#' starts a comment line:
  path/from/repo/root | original text | replacement text | what the fault means
"""

import argparse
import os
import pathlib
import signal
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
TEST_TIMEOUT_SECONDS = 300
FIELD_SEPARATOR = " | "
EXCLUDED_TEST_FOLDERS = ("tools", "fuzz", "install")


def read_mutants(list_path):
    mutants = []
    for number, line in enumerate(list_path.read_text().splitlines(), start=1):
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        fields = line.split(FIELD_SEPARATOR)
        if len(fields) != 4:
            sys.exit(f"{list_path}:{number}: expected 4 fields separated by '{FIELD_SEPARATOR}'")
        path, original, replacement, meaning = (f.strip() for f in fields)
        mutants.append({"line": number, "path": path, "original": original,
                        "replacement": replacement, "meaning": meaning})
    return mutants


def run(command, **kwargs):
    return subprocess.run(command, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          text=True, **kwargs)


def configure(build):
    if (build / "CMakeCache.txt").exists():
        return
    result = run(["cmake", "-S", ".", "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                  "-DEDGEDETECTION_BUILD_BENCHMARKS=OFF", "-DEDGEDETECTION_BUILD_TOOLS=OFF"])
    if result.returncode != 0:
        sys.exit("configure failed:\n" + result.stdout)


def build_all(build, jobs):
    return run(["cmake", "--build", str(build), "-j", str(jobs)]).returncode == 0


def test_programs(build):
    programs = []
    tests = build / "tests"
    for path in sorted(tests.rglob("*_test")):
        relative = path.relative_to(tests)
        if relative.parts[0] in EXCLUDED_TEST_FOLDERS:
            continue
        if path.is_file() and os.access(path, os.X_OK):
            programs.append(path)
    return programs


def first_failure(programs):
    """The first test program that fails or hangs, or None when all pass."""
    for program in programs:
        try:
            result = subprocess.run([str(program), "--gtest_brief=1"], cwd=program.parent,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                    timeout=TEST_TIMEOUT_SECONDS)
        except subprocess.TimeoutExpired:
            return f"{program.name} (time limit)"
        if result.returncode != 0:
            return program.name
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build-mutants")
    parser.add_argument("--list", default=str(ROOT / "scripts" / "mutants.txt"))
    parser.add_argument("--only", default="", help="run only mutants whose line contains this")
    parser.add_argument("--jobs", type=int, default=2)
    args = parser.parse_args()

    build = (ROOT / args.build).resolve()
    mutants = [m for m in read_mutants(pathlib.Path(args.list))
               if args.only in FIELD_SEPARATOR.join([m["path"], m["original"], m["meaning"]])]
    configure(build)
    if not build_all(build, args.jobs):
        sys.exit("the unmutated tree does not build")
    programs = test_programs(build)
    if not programs:
        sys.exit("no test programs found")
    failing = first_failure(programs)
    if failing:
        sys.exit(f"the unmutated tree fails its tests ({failing}); fix that first")

    # The original text goes back even when the run is interrupted.
    pending = {}

    def restore():
        for path, text in pending.items():
            path.write_text(text)
        pending.clear()

    signal.signal(signal.SIGTERM, lambda *_: (restore(), sys.exit(1)))

    counts = {"caught": 0, "survived": 0, "no build": 0, "stale": 0}
    try:
        for mutant in mutants:
            path = ROOT / mutant["path"]
            text = path.read_text() if path.exists() else ""
            label = f"{mutant['path']}: {mutant['meaning']}"
            if text.count(mutant["original"]) != 1:
                outcome, detail = "stale", "original text not found exactly once"
            else:
                started = time.time()
                pending[path] = text
                path.write_text(text.replace(mutant["original"], mutant["replacement"]))
                if not build_all(build, args.jobs):
                    outcome, detail = "no build", ""
                else:
                    failing = first_failure(programs)
                    outcome = "caught" if failing else "survived"
                    detail = f"by {failing}" if failing else ""
                restore()
                detail += f" [{time.time() - started:.0f} s]"
            counts[outcome] += 1
            print(f"{outcome:9} {label} {detail}", flush=True)
    finally:
        restore()
        build_all(build, args.jobs)

    scored = counts["caught"] + counts["survived"]
    score = 100.0 * counts["caught"] / scored if scored else 0.0
    print(f"\ncaught {counts['caught']} of {scored} ({score:.0f} %); "
          f"survived {counts['survived']}, no build {counts['no build']}, stale {counts['stale']}")
    return 0 if counts["stale"] == 0 and counts["no build"] == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
