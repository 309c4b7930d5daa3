"""Speed of the Python module (run from a Release build):

    PYTHONPATH=build/python /usr/bin/python3 bench/python_benchmark.py [build/bench/python_call_benchmark]

1. Call overhead: the searches and calipers of bench/python_call_benchmark.cpp on the same scene
   and regions, timed with timeit; with the C++ program's path given, rounds of Python and C++
   alternate and the difference per call is printed. Times are CPU time of the process (Python:
   time.process_time; C++: Google Benchmark's cpu_time): on a machine whose cores other work
   shares, wall-clock times grow with the load while CPU times do not.
2. The vectorised call: measure_calipers on 1000 calipers against the C++ loop and the library's
   many-regions call, in the same alternating rounds; the metrology tools find_circle and
   find_line against the library's tools, likewise.
3. The interpreter lock: how far a Python thread runs while another is inside a long
   find_circle call (this needs no second core).
4. Threads: throughput of 1 and 2 threads measuring one shared image (wall clock), for five
   workloads, with the CPU time the two threads got per second of wall clock (2.0 when each had
   a core of its own) and each thread's CPU time per call beside one thread's; with the C++
   program, its own 1- and 2-thread caliper figure from the same run.
Every figure is the median of several rounds; the load average is printed beside them.
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
SIZE, EDGE_COLUMN, BRIGHT, DARK = 256, 128, 200, 40


def scene(textured=False):
    ys, xs = np.mgrid[0:SIZE, 0:SIZE]
    image = np.where(xs < EDGE_COLUMN, BRIGHT, DARK)
    if textured:  # the C++ peer's texture: (37 x + 91 y) mod 11 - 5
        image = image + (37 * xs + 91 * ys) % 11 - 5
    return ed.Image(image.astype(np.uint8))


def disc_scene():
    """The C++ peer's disc scene: a dark disc (centre (128.3, 127.6), radius 60.2) in the
    textured bright plate."""
    ys, xs = np.mgrid[0:SIZE, 0:SIZE]
    inside = np.hypot(xs + 0.5 - 128.3, ys + 0.5 - 127.6) < 60.2
    image = np.where(inside, DARK, BRIGHT) + (37 * xs + 91 * ys) % 11 - 5
    return ed.Image(image.astype(np.uint8))


def caliper_segments():
    rows = 10.5 + 0.235 * np.arange(1000)
    return np.c_[np.full(1000, 96.5), rows, np.full(1000, 160.5), rows]


def cpp_medians(cpp_benchmark, pattern):
    """One run of the C++ peer: {name: (cpu_time, real_time, items_per_second)} in ns."""
    out = subprocess.run([cpp_benchmark, "--benchmark_format=json",
                          f"--benchmark_filter={pattern}"],
                         check=True, capture_output=True, text=True).stdout
    return {row["name"]: (row["cpu_time"], row["real_time"], row.get("items_per_second"))
            for row in json.loads(out)["benchmarks"]}


def call_overhead(cpp_benchmark):
    image, textured = scene(), scene(textured=True)
    line = ed.LinePath((96.5, 100.5), (160.5, 100.5))
    line.set_band(0, 100)
    at_end = ed.LinePath((96.5, 100.5), (160.5, 100.5))
    at_end.set_band(0, 100)
    at_end.move_to(at_end.count)
    caliper = ed.LineCaliper((96.5, 100.5), (160.5, 100.5), width=9.0)
    outside = ed.LineCaliper((396.5, 100.5), (460.5, 100.5), width=9.0)
    settings = ed.EdgeSettings()
    names = dict(line=line, image=image, at_end=at_end, textured=textured, caliper=caliper,
                 outside=outside, settings=settings, segments=caliper_segments(), ed=ed,
                 array=textured.array, disc=disc_scene(), rising=ed.EdgePolarity.RISING)
    # (C++ peer, statement, calls of the library per statement)
    cases = [
        ("BM_ResetAndFindNext", "line.reset(); line.find_next(image)", 2),
        ("BM_FindNextAtEnd", "at_end.find_next(image)", 1),
        ("BM_Caliper", "caliper.measure_edges(textured, settings)", 1),
        ("BM_Caliper", "caliper.measure_edges(textured)", 1),
        ("BM_Caliper", "caliper.measure_edges(textured, settings)[0].x", 1),
        ("BM_Caliper", "caliper.measure_edges(array, settings)", 1),
        ("BM_Caliper", "caliper.measure_edges(textured, threshold=10.0)", 1),
        ("BM_CaliperOutside", "outside.measure_edges(textured, settings)", 1),
        ("BM_CalipersLoop", "ed.measure_calipers(textured, segments, None, 9.0, settings)", 1000),
        ("BM_FindCircle", "ed.find_circle(disc, (128.0, 128.0), 60.0, polarity=rising)", 1),
        ("BM_FindCircle", "ed.find_circle(disc, (128.0, 128.0), 60.0, polarity=rising).points", 1),
        ("BM_FindCircleOutside",
         "ed.find_circle(disc, (1000.0, 1000.0), 60.0, calipers=1, polarity=rising)", 1),
        ("BM_FindLine", "ed.find_line(textured, (128.5, 20.5), (128.5, 235.5))", 1),
    ]
    timers = []
    for _, statement, _ in cases:
        timer = timeit.Timer(statement, globals=names, timer=time.process_time)
        timers.append((timer, timer.autorange()[0]))
    python = [[] for _ in cases]
    cpp = {}
    for _ in range(ROUNDS):
        for k, (timer, number) in enumerate(timers):
            python[k].append(timer.timeit(number) / number * 1e9)
        if cpp_benchmark:
            for name, figures in cpp_medians(cpp_benchmark,
                                                  "Find|Caliper$|Outside|Calipers(Loop|Many)").items():
                cpp.setdefault(name, []).append(figures[0])
    cpp = {name: statistics.median(times) for name, times in cpp.items()}
    for (peer, statement, calls), times in zip(cases, python):
        ours = statistics.median(times)
        text = f"{statement}: Python {ours:.0f} ns"
        if peer in cpp:
            if calls == 1000:
                text += (f", C++ loop {cpp[peer]:.0f} ns, many-regions call "
                         f"{cpp['BM_CalipersMany']:.0f} ns: {ours / cpp[peer]:.3f} x the loop")
            else:
                text += (f", C++ {cpp[peer]:.0f} ns, Python's extra per call "
                         f"{(ours - cpp[peer]) / calls:.0f} ns")
        print(text)


def threads_ratio(cpp_benchmark):
    image = scene()
    textured = scene(textured=True)
    angles = np.arange(400) * (2 * math.pi / 400)
    radii = 40 + 0.3 * np.sin(7 * np.arange(400))
    ring = np.c_[128 + radii * np.cos(angles), 128 + radii * np.sin(angles)]
    xs = np.arange(150.0)
    row = np.c_[xs, 0.25 * xs + 30 + 0.4 * np.sin(5 * xs)]
    disc = disc_scene()
    segments = caliper_segments()[::16]
    calipers = [ed.LineCaliper(s[:2], s[2:], 9.0) for s in segments]
    settings = ed.EdgeSettings()

    def fit_and_search():
        arc = ed.CirclePath((120.0, 110.0), 60.0)
        arc.set_band(0, 100)
        ed.fit_circle(ring, (130.0, 125.0, 35.0))
        arc.find_all(image)

    def one_call_per_caliper():
        for caliper in calipers:
            caliper.measure_edges(textured, settings)

    workloads = {
        "circle fit of 400 points + full-circle search": fit_and_search,
        "DETSAC line fit of 150 points, search level 0": lambda: ed.fit_line(row, search_level=0),
        f"{len(calipers)} calipers of 64 x 9, one call each": one_call_per_caliper,
        f"the same {len(calipers)} calipers in one measure_calipers call":
            lambda: ed.measure_calipers(textured, segments, None, 9.0, settings),
        "find_circle, 36 calipers of 40 x 5":
            lambda: ed.find_circle(disc, (128.0, 128.0), 60.0, polarity=ed.EdgePolarity.RISING),
    }
    for title, call in workloads.items():
        start = time.perf_counter()
        call()
        calls = max(20, int(0.2 / (time.perf_counter() - start)))

        def work(cpu_times):
            start = time.thread_time()
            for _ in range(calls):
                call()
            cpu_times.append((time.thread_time() - start) / calls)

        def throughput(thread_count):
            """Calls per second of wall clock, CPU seconds per wall second, and the threads' CPU
            time per call."""
            cpu_times = []
            threads = [threading.Thread(target=work, args=(cpu_times,))
                       for _ in range(thread_count)]
            start, cpu_start = time.perf_counter(), time.process_time()
            for t in threads:
                t.start()
            for t in threads:
                t.join()
            wall = time.perf_counter() - start
            cpu = time.process_time() - cpu_start
            return thread_count * calls / wall, cpu / wall, statistics.mean(cpu_times)

        one, two = [], []
        for _ in range(ROUNDS):
            one.append(throughput(1))
            two.append(throughput(2))
        rate1, rate2 = (statistics.median(r[0] for r in rounds) for rounds in (one, two))
        busy2 = statistics.median(r[1] for r in two)
        cpu1, cpu2 = (statistics.median(r[2] for r in rounds) for rounds in (one, two))
        print(f"Threads, {title}: one {1e6 / rate1:.0f} us per call, two threads "
              f"{rate2 / rate1:.2f} x the throughput; two threads got {busy2:.2f} CPU s per s, "
              f"{1e6 * cpu2:.0f} us CPU per call each (one thread: {1e6 * cpu1:.0f})")
    if cpp_benchmark:
        ratios = []
        for _ in range(ROUNDS):
            rows = cpp_medians(cpp_benchmark, "ParallelCalipers")
            one = rows["BM_ParallelCalipers/real_time/threads:1"][2]
            two = rows["BM_ParallelCalipers/real_time/threads:2"][2]
            ratios.append(two / one)
        print(f"Threads, C++ peer ({len(calipers)} calipers per iteration): two threads "
              f"{statistics.median(ratios):.2f} x the throughput")


def lock_released():
    """The interpreter lock during a long measurement, shown without a second free core: a
    thread runs find_circle calls on 4096 calipers (milliseconds each) while the main thread
    counts loop iterations. Had the calls kept the lock, the main thread would stand still for
    a whole call at a time; its longest pause beside the call's length tells."""
    disc = disc_scene()

    def call():
        ed.find_circle(disc, (128.0, 128.0), 60.0, calipers=4096, polarity=ed.EdgePolarity.RISING)

    start = time.perf_counter()
    call()
    call_time = time.perf_counter() - start
    calls = max(5, int(0.5 / call_time))

    def count(alive):
        iterations, longest, last = 0, 0.0, time.perf_counter()
        start = last
        while alive():
            now = time.perf_counter()
            longest, last = max(longest, now - last), now
            iterations += 1
        return iterations / (time.perf_counter() - start), longest

    alone_until = time.perf_counter() + 0.5
    alone, _ = count(lambda: time.perf_counter() < alone_until)
    worker = threading.Thread(target=lambda: [call() for _ in range(calls)])
    worker.start()
    beside, longest = count(worker.is_alive)
    worker.join()
    print(f"Lock: find_circle of 4096 calipers, {1e3 * call_time:.1f} ms per call; the main "
          f"thread beside it ran {beside / alone:.2f} x its loop rate alone, its longest pause "
          f"{1e3 * longest:.2f} ms")


def main():
    cpp_benchmark = sys.argv[1] if len(sys.argv) > 1 else None
    print(f"load average before: {os.getloadavg()}")
    call_overhead(cpp_benchmark)
    print(f"load average between: {os.getloadavg()}")
    lock_released()
    threads_ratio(cpp_benchmark)
    print(f"load average after: {os.getloadavg()}")


if __name__ == "__main__":
    main()
