"""Speed of the Python module (run from a Release build):

    PYTHONPATH=build/python /usr/bin/python3 bench/python_benchmark.py [build/bench/python_call_benchmark]

1. Call overhead: the searches of bench/python_call_benchmark.cpp on the same scene, timed with
   timeit; with the C++ program's path given, it runs it too and prints the difference per call.
2. Threads: throughput of 1 and 2 threads measuring one shared image, interleaved round by round,
   for two workloads (a circle fit with a full-circle search; a DETSAC line fit); the ratio of
   the medians.
Every figure is the median of several rounds; the load average is printed beside them, since the
machine's cores may be shared.
"""

import json
import math
import os
import statistics
import subprocess
import sys
import threading
import time
import timeit

import numpy as np

import edgedetection as ed

ROUNDS = 7


def scene():
    image = np.full((256, 256), 200, np.uint8)
    image[:, 128:] = 40
    return ed.Image(image)


def call_overhead(cpp_benchmark):
    image = scene()
    line = ed.LinePath((96.5, 100.5), (160.5, 100.5))
    line.set_band(0, 100)
    at_end = ed.LinePath((96.5, 100.5), (160.5, 100.5))
    at_end.set_band(0, 100)
    at_end.move_to(at_end.count)
    cases = {
        "BM_ResetAndFindNext": ("line.reset(); line.find_next(image)", 2),
        "BM_FindNextAtEnd": ("at_end.find_next(image)", 1),
    }
    names = {"line": line, "image": image, "at_end": at_end}
    python = {}
    for name, (statement, _) in cases.items():
        timer = timeit.Timer(statement, globals=names)
        number, _ = timer.autorange()
        python[name] = statistics.median(timer.repeat(ROUNDS, number)) / number * 1e9
    reset = timeit.Timer("line.reset()", globals=names)
    number, _ = reset.autorange()
    reset_ns = statistics.median(reset.repeat(ROUNDS, number)) / number * 1e9
    print(f"Python line.reset(): {reset_ns:.0f} ns")
    cpp = {}
    if cpp_benchmark:
        out = subprocess.run([cpp_benchmark, "--benchmark_format=json",
                              f"--benchmark_repetitions={ROUNDS}",
                              "--benchmark_report_aggregates_only=true"],
                             check=True, capture_output=True, text=True).stdout
        for row in json.loads(out)["benchmarks"]:
            if row["aggregate_name"] == "median":
                cpp[row["run_name"]] = row["real_time"]
    for name, (statement, calls) in cases.items():
        line_text = f"{name}: Python {python[name]:.0f} ns ({statement})"
        if name in cpp:
            extra = (python[name] - cpp[name]) / calls
            line_text += f", C++ {cpp[name]:.0f} ns, Python's extra per call {extra:.0f} ns"
        print(line_text)


def threads_ratio():
    image = scene()
    angles = np.arange(400) * (2 * math.pi / 400)
    radii = 40 + 0.3 * np.sin(7 * np.arange(400))
    ring = np.c_[128 + radii * np.cos(angles), 128 + radii * np.sin(angles)]
    xs = np.arange(150.0)
    row = np.c_[xs, 0.25 * xs + 30 + 0.4 * np.sin(5 * xs)]

    def fit_and_search():
        arc = ed.CirclePath((120.0, 110.0), 60.0)
        arc.set_band(0, 100)
        ed.fit_circle(ring, (130.0, 125.0, 35.0))
        arc.find_all(image)

    def line_fit():
        ed.fit_line(row, search_level=0)

    workloads = {"circle fit of 400 points + full-circle search": fit_and_search,
                 "DETSAC line fit of 150 points, search level 0": line_fit}
    for title, call in workloads.items():
        start = time.perf_counter()
        call()
        calls = max(20, int(0.2 / (time.perf_counter() - start)))

        def work():
            for _ in range(calls):
                call()

        def throughput(thread_count):
            threads = [threading.Thread(target=work) for _ in range(thread_count)]
            start = time.perf_counter()
            for t in threads:
                t.start()
            for t in threads:
                t.join()
            return thread_count * calls / (time.perf_counter() - start)

        one, two = [], []
        for _ in range(ROUNDS):
            one.append(throughput(1))
            two.append(throughput(2))
        print(f"Threads, {title}: one {1e6 / statistics.median(one):.0f} us per call, two "
              f"threads {statistics.median(two) / statistics.median(one):.2f} x the throughput")


def main():
    print(f"load average before: {os.getloadavg()}")
    call_overhead(sys.argv[1] if len(sys.argv) > 1 else None)
    threads_ratio()
    print(f"load average after: {os.getloadavg()}")


if __name__ == "__main__":
    main()
