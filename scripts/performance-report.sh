#!/usr/bin/env bash
# Regenerates docs/PERFORMANCE.md: builds Release, runs the benchmarks that measure the library
# side by side with OpenCV (Google Benchmark, JSON output, several repetitions in random
# interleaving, medians) and the accuracy study, and writes the markdown with the machine's data.
#
# Usage: scripts/performance-report.sh [build-folder]      (default: build-performance)
# Environment: REPETITIONS (default 5) repetitions of every benchmark; REPORT_ONLY=1 writes the
# markdown again from the results of the last run without measuring (after editing the notes or
# this script).
#
# The fits and the Canny type are also measured in a process that has started a thread (the
# programs' --started_thread), alternating with a plain process REPETITIONS times.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-performance}"
repetitions="${REPETITIONS:-5}"

results="$build/performance-results"
if [ -z "${REPORT_ONLY:-}" ]; then
    scripts/setup.sh
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DEDGEDETECTION_BUILD_TESTS=OFF \
        -DEDGEDETECTION_BUILD_TOOLS=OFF -DEDGEDETECTION_BUILD_BINDING=OFF \
        -DEDGEDETECTION_BUILD_BENCHMARKS=ON -DEDGEDETECTION_BUILD_OPENCV_COMPARISON=ON >/dev/null
    programs=(edge_search canny circlefit linefit subpixel caliper)
    targets=(accuracy_study metrology_benchmark)
    for program in "${programs[@]}"; do
        targets+=("opencv_${program}_benchmark")
    done
    cmake --build "$build" -j2 --target "${targets[@]}"

    mkdir -p "$results"
    # Runs benchmark program $1 with interleaved repetitions; its medians go to $results/$2.json.
    measure() {
        echo "Running $1 ..." >&2
        "$build/bench/$1" --benchmark_repetitions="$repetitions" \
            --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
            --benchmark_out="$results/$2.json" --benchmark_out_format=json >/dev/null
    }
    for program in "${programs[@]}"; do
        measure "opencv_${program}_benchmark" "$program"
    done
    # Single-threaded against threaded processes, alternating; one JSON file per run. Every run also
    # measures an OpenCV peer, interleaved with the library's calls, as the yardstick of that run.
    threaded_runs=("linefit:BM_LineFit_(Library_(NoFilter|StdDev|DETSAC/level:0)|FitLineL2)$"
                   "edge_search:BM_CannyLine_(Library|OpenCV)/pixels:(1000|4000)$")
    for round in $(seq "$repetitions"); do
        for mode in single threaded; do
            flag=""
            [ "$mode" = threaded ] && flag="--started_thread"
            for entry in "${threaded_runs[@]}"; do
                program="${entry%%:*}"
                echo "Running opencv_${program}_benchmark ($mode process, round $round) ..." >&2
                "$build/bench/opencv_${program}_benchmark" $flag --benchmark_filter="${entry#*:}" \
                    --benchmark_repetitions=3 --benchmark_enable_random_interleaving=true \
                    --benchmark_out="$results/process-$mode-$program-$round.json" \
                    --benchmark_out_format=json >/dev/null
            done
        done
    done
    # The metrology tools beside the path method (no OpenCV peer: both sides are the library's).
    measure metrology_benchmark metrology
    echo "Running accuracy_study ..." >&2
    "$build/bench/accuracy_study" >"$results/accuracy.md"
    # When the measurements ended, and the machine's load then.
    date -u '+%Y-%m-%d %H:%M UTC' >"$results/date"
    cut -d' ' -f1-3 /proc/loadavg >"$results/load"
fi

compiler="$(grep -E '^CMAKE_CXX_COMPILER:' "$build/CMakeCache.txt" | cut -d= -f2)"
export REPORT_CPU="$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
export REPORT_CORES="$(nproc)"
export REPORT_COMPILER="$("$compiler" --version | head -1)"
export REPORT_OPENCV="$(pkg-config --modversion opencv4 2>/dev/null || echo unknown)"
export REPORT_DATE="$(cat "$results/date")"
export REPORT_LOAD="$(cat "$results/load")"
export REPORT_REPETITIONS="$repetitions"

mkdir -p docs
python3 - "$results" docs/PERFORMANCE.md <<'PYTHON'
import json
import os
import sys

results, output = sys.argv[1], sys.argv[2]


def load(program):
    """Median of every benchmark of a program, by name (aggregate suffix removed)."""
    with open(os.path.join(results, program + ".json")) as f:
        data = json.load(f)
    medians = {}
    for run in data["benchmarks"]:
        if run.get("aggregate_name") == "median":
            medians[run["run_name"]] = run
    return medians


UNIT_SECONDS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def seconds(run, kind="cpu_time"):
    return run[kind] * UNIT_SECONDS[run["time_unit"]]


def fmt_time(value):
    for unit, scale in (("s", 1.0), ("ms", 1e-3), ("µs", 1e-6), ("ns", 1e-9)):
        if value >= scale:
            return "%.3g %s" % (value / scale, unit)
    return "%.3g ns" % (value / 1e-9)


def ratio(ours, theirs):
    return "%.2f" % (ours / theirs)


def process_runs(mode):
    """Per round of one kind of process (the files process-MODE-PROGRAM-ROUND.json): benchmark
    name -> median CPU time (seconds) of its repetitions in that round."""
    rounds = {}
    for name in sorted(os.listdir(results)):
        if name.startswith("process-" + mode + "-"):
            times = rounds.setdefault(name.rsplit("-", 1)[1], {})
            with open(os.path.join(results, name)) as f:
                for run in json.load(f)["benchmarks"]:
                    if run.get("run_type", "iteration") == "iteration":
                        times.setdefault(run["run_name"], []).append(seconds(run))
    return [{key: median(values) for key, values in times.items()} for times in rounds.values()]


def median(values):
    values = sorted(values)
    middle = len(values) // 2
    return values[middle] if len(values) % 2 else (values[middle - 1] + values[middle]) / 2


def process_medians(runs):
    """Median over the runs of every benchmark's time."""
    return {key: median([run[key] for run in runs]) for key in runs[0]}


def relative_medians(runs, peers):
    """Median over the runs of every call's time divided by its peer's in the same run."""
    return {key: median([run[key] / run[peer] for run in runs]) for key, peer in peers.items()}


search = load("edge_search")
canny = load("canny")
circle = load("circlefit")
line = load("linefit")
subpixel = load("subpixel")
caliper = load("caliper")
metrology = load("metrology")

lines = []
w = lines.append

w("# Performance: speed and accuracy side by side with OpenCV")
w("")
w("Generated by `scripts/performance-report.sh`; do not edit by hand. Every figure below was")
w("measured in one run on the machine described here, the library and OpenCV in the same")
w("benchmark program, repetitions of both interleaved at random.")
w("")
w("| Machine | |")
w("|---|---|")
w("| CPU | %s |" % os.environ["REPORT_CPU"])
w("| Cores | %s |" % os.environ["REPORT_CORES"])
w("| Compiler | %s |" % os.environ["REPORT_COMPILER"])
w("| Build type | Release (`-O3`, no fused multiply-add contraction) |")
w("| OpenCV | %s (Debian `libopencv-dev`, as installed: TBB, SIMD dispatch up to AVX-512) |"
  % os.environ["REPORT_OPENCV"])
w("| Date | %s |" % os.environ["REPORT_DATE"])
w("| Load average at the end | %s (the machine is shared) |" % os.environ["REPORT_LOAD"])
w("| Repetitions | %s per benchmark, medians reported |" % os.environ["REPORT_REPETITIONS"])
w("")
w("Times are CPU time per call of the calling thread (median): on a shared machine they move far")
w("less than wall-clock time, and both sides of every ratio are measured alike. The ratio is ours")
w("divided by OpenCV's: below 1.0 the library is faster. Throughput on both cores is wall-clock.")
w("")

# --- Targets ---------------------------------------------------------------------------------
s_lib = seconds(search["BM_EdgeSearchLine_Library"])
s_cv = seconds(search["BM_EdgeSearchLine_OpenCV"])
c_lib = seconds(canny["BM_Canny1D_Library"])
c_cv = seconds(canny["BM_Canny1D_OpenCV"])
cf_lib = seconds(circle["BM_CircleFit_Library_Filter/points:1000/arc:90"])
cf_cv = seconds(circle["BM_CircleFit_FitEllipse/points:1000/arc:90"])
cf_lib360 = seconds(circle["BM_CircleFit_Library_Filter/points:1000/arc:360"])
cf_cv360 = seconds(circle["BM_CircleFit_FitEllipse/points:1000/arc:360"])
l_lib = seconds(line["BM_LineFit_Library_NoFilter"])
l_cv = seconds(line["BM_LineFit_FitLineL2"])
cal_lib = seconds(caliper["BM_Caliper_Library/length:64/width:9"])
cal_cv = seconds(caliper["BM_Caliper_OpenCV/length:64/width:9"])
cal_long_lib = seconds(caliper["BM_Caliper_Library/length:1000/width:1"])
cal_long_cv = seconds(caliper["BM_Caliper_OpenCV/length:1000/width:1"])


def scaling(prefix):
    one = caliper[prefix + "/real_time/threads:1"]["items_per_second"]
    two = caliper[prefix + "/real_time/threads:2"]["items_per_second"]
    return one, two, two / one


cal_one, cal_two, cal_scaling = scaling("BM_ParallelCalipers_Library")
canny_lib = {n: seconds(search["BM_CannyLine_Library/pixels:%d" % n]) for n in (250, 1000, 4000)}
canny_cv = {n: seconds(search["BM_CannyLine_OpenCV/pixels:%d" % n]) for n in (250, 1000, 4000)}
circle_kinds = (("", "double"), ("Float", "float"))
circle_lib = {(k, r): seconds(search["BM_CircleWalk_Library%s/radius:%d" % (k, r)])
              for k, _ in circle_kinds for r in (50, 500)}
circle_plain = {(k, r): seconds(search["BM_CircleWalk_Plain%s/radius:%d" % (k, r)])
                for k, _ in circle_kinds for r in (50, 500)}
circle_positions = {r: search["BM_CircleWalk_Library/radius:%d" % r]["positions"] for r in (50, 500)}
detsac_4 = seconds(line["BM_LineFit_Library_DETSAC_Growth/points:10000/level:4"])
single_runs = process_runs("single")
threaded_runs = process_runs("threaded")
single = process_medians(single_runs)
threaded = process_medians(threaded_runs)
process_rows = (("BM_LineFit_Library_StdDev", "Line fit, std-dev filter, 1,000 points"),
                ("BM_LineFit_Library_DETSAC/level:0", "Line fit, DETSAC level 0, 1,000 points"),
                ("BM_LineFit_Library_NoFilter", "Line fit without filter, 1,000 points"),
                ("BM_CannyLine_Library/pixels:1000", "Canny type, 1,000-pixel line"),
                ("BM_CannyLine_Library/pixels:4000", "Canny type, 4,000-pixel line"))
# The yardstick of each call: an OpenCV call measured in the same run, whose time does not depend on
# whether the process has started a thread. The machine has phases of minutes in which everything
# runs up to twice as slowly; dividing by the peer of the same run takes them out of the ratio.
process_peers = {"BM_LineFit_Library_StdDev": "BM_LineFit_FitLineL2",
                 "BM_LineFit_Library_DETSAC/level:0": "BM_LineFit_FitLineL2",
                 "BM_LineFit_Library_NoFilter": "BM_LineFit_FitLineL2",
                 "BM_CannyLine_Library/pixels:1000": "BM_CannyLine_OpenCV/pixels:1000",
                 "BM_CannyLine_Library/pixels:4000": "BM_CannyLine_OpenCV/pixels:4000"}
single_relative = relative_medians(single_runs, process_peers)
threaded_relative = relative_medians(threaded_runs, process_peers)


def thread_ratio(name):
    return threaded_relative[name] / single_relative[name]


def verdict(value, limit):
    return "met" if value <= limit else "**missed**"


w("## Targets")
w("")
w("| Operation | Library | OpenCV | Ratio | Target | |")
w("|---|---:|---:|---:|---:|---|")
w("| Edge search along a 4,000-pixel line | %s | %s | %s | ≤ 1.0 | %s |"
  % (fmt_time(s_lib), fmt_time(s_cv), ratio(s_lib, s_cv), verdict(s_lib / s_cv, 1.0)))
w("| 1-D Canny, 1,000,000 samples | %s | %s | %s | ≤ 1.0 | %s |"
  % (fmt_time(c_lib), fmt_time(c_cv), ratio(c_lib, c_cv), verdict(c_lib / c_cv, 1.0)))
w("| Circle fit with outlier filter, 1,000 points, 90° arc (vs `cv::fitEllipse`) | %s | %s | %s | ≤ 3.0 | %s |"
  % (fmt_time(cf_lib), fmt_time(cf_cv), ratio(cf_lib, cf_cv), verdict(cf_lib / cf_cv, 3.0)))
w("| Circle fit with outlier filter, 1,000 points, full circle (vs `cv::fitEllipse`) | %s | %s | %s | ≤ 3.0 | %s |"
  % (fmt_time(cf_lib360), fmt_time(cf_cv360), ratio(cf_lib360, cf_cv360),
     verdict(cf_lib360 / cf_cv360, 3.0)))
w("| Line fit without filter, 1,000 points (vs `cv::fitLine` DIST_L2) | %s | %s | %s | ≤ 2.0 | %s |"
  % (fmt_time(l_lib), fmt_time(l_cv), ratio(l_lib, l_cv), verdict(l_lib / l_cv, 2.0)))
w("| Caliper 64 × 9 px, one edge (vs `cv::warpAffine` + `cv::reduce` + `cv::Sobel` + parabola) | %s | %s | %s | ≤ 0.5 | %s |"
  % (fmt_time(cal_lib), fmt_time(cal_cv), ratio(cal_lib, cal_cv), verdict(cal_lib / cal_cv, 0.5)))
w("| Caliper 64 × 9 px, time per call | %s | | | ≤ 2 µs | %s |" % (fmt_time(cal_lib), verdict(cal_lib, 2e-6)))
w("| Caliper 1,000 × 1 px, time per call | %s | %s | %s | ≤ 4 µs | %s |"
  % (fmt_time(cal_long_lib), fmt_time(cal_long_cv), ratio(cal_long_lib, cal_long_cv),
     verdict(cal_long_lib, 4e-6)))
w("| Calipers on 2 threads over one image, throughput over 1 thread | %.2f× | | | ≥ 1.8× | %s |"
  % (cal_scaling, "met" if cal_scaling >= 1.8 else "**missed**"))
for n in (1000, 4000):
    per_pixel = canny_lib[n] / n
    w("| Canny type along a %s-pixel line, create + first search (vs the OpenCV way) | %s (%s/px) | %s | %s | ≤ 0.5, ≤ 4 ns/px | %s |"
      % ("{:,}".format(n), fmt_time(canny_lib[n]), fmt_time(per_pixel), fmt_time(canny_cv[n]),
         ratio(canny_lib[n], canny_cv[n]),
         verdict(max(canny_lib[n] / canny_cv[n] / 0.5, per_pixel / 4e-9), 1.0)))
for k, label in circle_kinds:
    for r in (50, 500):
        w("| Circle search over a full turn, radius %d, %s (vs a plain cos/sin loop) | %s | %s | %s | ≤ 1.1 | %s |"
          % (r, label, fmt_time(circle_lib[(k, r)]), fmt_time(circle_plain[(k, r)]),
             ratio(circle_lib[(k, r)], circle_plain[(k, r)]),
             verdict(circle_lib[(k, r)] / circle_plain[(k, r)], 1.1)))
w("| Line fit with DETSAC level 4, 10,000 points (no peer) | %s | — | — | ≤ 0.2 s | %s |"
  % (fmt_time(detsac_4), verdict(detsac_4, 0.2)))
for name, label in process_rows[:2] + process_rows[3:]:
    w("| %s, in a process that has started a thread (vs the same call single-threaded) | %s | %s | %s | ≤ 1.1 | %s |"
      % (label, fmt_time(threaded[name]), fmt_time(single[name]),
         "%.2f" % thread_ratio(name), verdict(thread_ratio(name), 1.1)))
m_circle = seconds(metrology["BM_FindCircle"])
m_circle_path = seconds(metrology["BM_FindCircle_PathMethod"])
m_line = seconds(metrology["BM_FindLine"])
m_line_path = seconds(metrology["BM_FindLine_PathMethod"])
m_width = seconds(metrology["BM_MeasureWidth"])
w("| Find circle, 36 calipers of 40 × 5 px, filtered fit (path method beside it) | %s | %s | %s | ≤ 100 µs | %s |"
  % (fmt_time(m_circle), fmt_time(m_circle_path), ratio(m_circle, m_circle_path),
     verdict(m_circle, 100e-6)))
w("| Find line, 25 calipers of 40 × 5 px, DETSAC (path method beside it) | %s | %s | %s | ≤ 60 µs | %s |"
  % (fmt_time(m_line), fmt_time(m_line_path), ratio(m_line, m_line_path), verdict(m_line, 60e-6)))
w("")
w("For the metrology tools the column \"OpenCV\" holds the path method instead: the path search")
w("with its sub-pixel refinement on the same axes and the library's fits, as `edgemeasure` measured")
w("before the calipers (`bench/metrology_benchmark.cpp`); measure width with a rake of 5 calipers")
w("takes %s. The accuracy of both is in the accuracy tables below." % fmt_time(m_width))
w("")
w("The accuracy target (circle fit more accurate than `cv::fitEllipse` on 90° arcs with")
w("outliers) is in the accuracy tables below.")
w("")

# --- Edge search -----------------------------------------------------------------------------
w("## Edge search along a line")
w("")
w("Vertical stripes of random widths (dark 60, bright 190, blur 1 pixel, noise 2 grey levels) in")
w("a 3600 × 2200 image; every crossing of the band [0, 125] along a 4,000-pixel line at 30°.")
w("Library: `CreatePath` and one `FindNextTransitionSingle` (type 0, polarity 0, an ordinal never")
w("reached, go on): the whole line walked in raster steps, every transition through the tests.")
w("OpenCV: a `cv::LineIterator` (8-connected) reads the profile, a plain loop finds the crossings.")
w("")
w("| Method | Time per line | Pixels visited | Time per pixel | Edges | Ratio |")
w("|---|---:|---:|---:|---:|---:|")
for name, label in (("BM_EdgeSearchLine_Library", "Library"), ("BM_EdgeSearchLine_OpenCV", "OpenCV")):
    run = search[name]
    w("| %s | %s | %d | %s | %d | %s |" % (
        label, fmt_time(seconds(run)), run["pixels_per_line"], fmt_time(seconds(run) / run["pixels_per_line"]),
        run["edges"], ratio(seconds(run), s_cv)))
w("")
w("Throughput on both cores: 64 lines of 1,000 pixels over the same image, one path (or")
w("iterator) per thread, lines searched per second (wall clock):")
w("")
w("| Method | 1 thread | 2 threads | Scaling |")
w("|---|---:|---:|---:|")
for prefix, label in (("BM_ParallelLines_Library", "Library"), ("BM_ParallelLines_OpenCV", "OpenCV")):
    one = search[prefix + "/real_time/threads:1"]["items_per_second"]
    two = search[prefix + "/real_time/threads:2"]["items_per_second"]
    w("| %s | %.0f | %.0f | %.2f× |" % (label, one, two, two / one))
w("")

# --- Canny type along a line ----------------------------------------------------------------
w("## The Canny transition type along a line")
w("")
w("The scene of the edge search; lines of 250, 1,000 and 4,000 pixels at 30°. Library:")
w("`bCreateTransitionFunction` type 3 (threshold 20, kernel row 2, sigma 1.0), then")
w("`FindNextTransition` (polarity 0) for the first edge. OpenCV: a `cv::LineIterator` reads the")
w("profile into a 1 × N matrix, `cv::GaussianBlur` 5 × 1 (sigma 1.0) and `cv::Sobel` (ksize 1)")
w("give the gradient, a loop finds the first local maximum of |gradient| ≥ 20. Time per pixel of")
w("the line's length for both.")
w("")
w("| Line | Library | per pixel | OpenCV | per pixel | Ratio |")
w("|---:|---:|---:|---:|---:|---:|")
for n in (250, 1000, 4000):
    w("| %s px | %s | %s | %s | %s | %s |" % (
        "{:,}".format(n), fmt_time(canny_lib[n]), fmt_time(canny_lib[n] / n), fmt_time(canny_cv[n]),
        fmt_time(canny_cv[n] / n), ratio(canny_lib[n], canny_cv[n])))
w("")

# --- Circle walk -----------------------------------------------------------------------------
w("## Circle search")
w("")
w("Full circles of radius 50 and 500 about the centre of the edge-search scene, every crossing of")
w("the band [0, 125]. Library: `OVectorPath_Circle` and `OVectorPath_Circle_Float`, `CreatePath`")
w("and one `FindNextTransitionSingle` (type 0, polarity 0, an ordinal never reached, go on). No")
w("OpenCV routine walks a circle; the peer is a plain loop over as many samples as the path has")
w("steps that computes cos and sin of each sample's angle in the same precision, reads the pixel")
w("and records the band crossings. Time per position divides by the number of steps for both.")
w("")
w("| Radius | Steps | Precision | Library | per position | Plain loop | per position | Ratio |")
w("|---:|---:|---|---:|---:|---:|---:|---:|")
for r in (50, 500):
    for k, label in circle_kinds:
        lib, plain, steps = circle_lib[(k, r)], circle_plain[(k, r)], circle_positions[r]
        w("| %d | %d | %s | %s | %s | %s | %s | %s |" % (
            r, steps, label, fmt_time(lib), fmt_time(lib / steps), fmt_time(plain),
            fmt_time(plain / steps), ratio(lib, plain)))
w("")

# --- Canny -----------------------------------------------------------------------------------
w("## 1-D Canny")
w("")
w("A 1,000,000-sample profile (400 edges, noise ±3). Library: `bFindCannyEdgeTransitions`")
w("(kernel row 2, sigma 1.0, threshold 20, levels mode) on its int profile. OpenCV:")
w("`cv::GaussianBlur` (5 × 1, sigma 1.0) and `cv::Sobel` (ksize 1, the central difference) on")
w("the 1 × N byte matrix, then a plain loop keeping the local maxima of |gradient| ≥ 20.")
w("")
w("| Method | Time | Time per sample | Ratio |")
w("|---|---:|---:|---:|")
for name, label in (("BM_Canny1D_Library", "Library"), ("BM_Canny1D_OpenCV", "OpenCV filters + loop")):
    run = canny[name]
    w("| %s | %s | %s | %s |" % (label, fmt_time(seconds(run)), fmt_time(seconds(run) / 1e6), ratio(seconds(run), c_cv)))
w("")

# --- Circle fit ------------------------------------------------------------------------------
w("## Circle fit")
w("")
w("Points on a circle of radius 200 at random angles of the arc, radial noise 0.5 pixel, every")
w("tenth point 5 to 40 pixels off (outliers). Library: `bComputeCircleFit`, plain procedure (mode")
w("0), no quality figures, without and with the outlier filter (5 passes, 2 standard")
w("deviations), the guess 3, -2 and +4 pixels off. OpenCV: `cv::fitEllipse` and")
w("`cv::fitEllipseDirect` of the same points (float), which have no outlier filter. Ratios")
w("against `cv::fitEllipse`; the radius error shows what each answer is worth on these points.")
w("")
w("| Points | Arc | Library | Library + filter | fitEllipse | fitEllipseDirect | Ratio | Ratio + filter | Radius error: library + filter / fitEllipse |")
w("|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
for n in (100, 1000, 10000):
    for arc in (360, 90):
        key = "/points:%d/arc:%d" % (n, arc)
        nf = circle["BM_CircleFit_Library_NoFilter" + key]
        fi = circle["BM_CircleFit_Library_Filter" + key]
        fe = circle["BM_CircleFit_FitEllipse" + key]
        fd = circle["BM_CircleFit_FitEllipseDirect" + key]
        w("| %d | %d° | %s | %s | %s | %s | %s | %s | %+.2f / %+.2f px |" % (
            n, arc, fmt_time(seconds(nf)), fmt_time(seconds(fi)), fmt_time(seconds(fe)),
            fmt_time(seconds(fd)), ratio(seconds(nf), seconds(fe)), ratio(seconds(fi), seconds(fe)),
            fi["radius_error_px"], fe["radius_error_px"]))
w("")

# --- Line fit --------------------------------------------------------------------------------
w("## Line fit")
w("")
w("1,000 points along 900 pixels of a line at 22°, noise 0.5 pixel, every tenth point 5 to 40")
w("pixels off. Library: `bComputeRegressionLine`, mode 2, no quality figures; the call replaces")
w("its points by the inliers, so each call gets a fresh copy of the input, made with the timer")
w("paused. OpenCV: `cv::fitLine` (reps and aeps 0.01). Ratios against DIST_L2.")
w("")
w("| Method | Time | Ratio to DIST_L2 | Inliers | Angle error |")
w("|---|---:|---:|---:|---:|")
for name, label in (("BM_LineFit_Library_NoFilter", "Library, no filter"),
                    ("BM_LineFit_Library_StdDev", "Library, std-dev filter"),
                    ("BM_LineFit_Library_DETSAC/level:0", "Library, DETSAC level 0"),
                    ("BM_LineFit_Library_DETSAC/level:4", "Library, DETSAC level 4"),
                    ("BM_LineFit_Library_DETSAC/level:8", "Library, DETSAC level 8"),
                    ("BM_LineFit_FitLineL2", "cv::fitLine DIST_L2"),
                    ("BM_LineFit_FitLineHuber", "cv::fitLine DIST_HUBER")):
    run = line[name]
    inliers = "%d" % run["inliers"] if "inliers" in run else "—"
    w("| %s | %s | %s | %s | %+.4f° |" % (label, fmt_time(seconds(run)), ratio(seconds(run), l_cv),
                                         inliers, run["angle_error_deg"]))
w("")

w("DETSAC growth: the same line with more points (denser along its 900 pixels), library only.")
w("Each level's growth is stated in `src/regression/OVector_Regression.h`.")
w("")
w("| Points | Level 0 | Level 4 | Level 8 | Fixed width |")
w("|---:|---:|---:|---:|---:|")
for n in (100, 300, 1000, 3000, 10000):
    cells = []
    for level in (0, 4, 8):
        run = line.get("BM_LineFit_Library_DETSAC_Growth/points:%d/level:%d" % (n, level))
        cells.append(fmt_time(seconds(run)) if run else "—")
    run = line.get("BM_LineFit_Library_DETSAC_FixedWidth/points:%d" % n)
    cells.append(fmt_time(seconds(run)) if run else "—")
    w("| %s | %s |" % ("{:,}".format(n), " | ".join(cells)))
w("")

# --- Threaded process ------------------------------------------------------------------------
w("## In a process that has started a thread")
w("")
w("Once a process has started a thread, the C++ runtime makes every `std::shared_ptr` reference")
w("count an atomic operation (a thread pool, a Python interpreter with threads). The same calls,")
w("each program run %s times as a plain process and %s times after starting and joining one"
  % (os.environ["REPORT_REPETITIONS"], os.environ["REPORT_REPETITIONS"]))
w("`std::thread` (`--started_thread`), alternately; medians. Every run also measures an OpenCV")
w("call, interleaved with the library's (`cv::fitLine` for the fits, the OpenCV way for the Canny")
w("type), whose time does not depend on threads. The ratio compares the library's time relative")
w("to that peer's in the same run, threaded over single-threaded, so that the machine's slow phases")
w("of several minutes, which can fall on some runs and not others, do not enter it; the times")
w("shown are the plain medians.")
w("")
w("| Call | Single-threaded process | Process with a thread | Ratio |")
w("|---|---:|---:|---:|")
for name, label in process_rows:
    w("| %s | %s | %s | %.2f |" % (label, fmt_time(single[name]), fmt_time(threaded[name]),
                                   thread_ratio(name)))
w("")

# --- Sub-pixel -------------------------------------------------------------------------------
w("## Sub-pixel refinement")
w("")
w("OpenCV has no routine for this job (`cv::cornerSubPix` refines corners in 2-D). The peers are")
w("what an OpenCV user writes by hand: the seven samples around the edge read with a")
w("`cv::LineIterator`, the gradient, a parabola through the largest |gradient| and its")
w("neighbours; once with `cv::Sobel` for the gradient, once with a plain loop (not OpenCV: the")
w("lower bound of any hand-written peer). A vertical step at x = 64.3, blurred by 1 pixel, on a")
w("horizontal line path; the error column is the refined x minus 64.3.")
w("")
w("| Method | Time per call | Ratio to the Sobel peer | Error |")
w("|---|---:|---:|---:|")
sp_cv = seconds(subpixel["BM_Subpixel_OpenCVSobelParabola"])
for name, label in (("BM_Subpixel_Library", "Library: CalculateTransitionOnPath"),
                    ("BM_Subpixel_OpenCVSobelParabola", "LineIterator + cv::Sobel + parabola"),
                    ("BM_Subpixel_PlainParabola", "LineIterator + plain loop + parabola")):
    run = subpixel[name]
    w("| %s | %s | %s | %+.3f px |" % (label, fmt_time(seconds(run)), ratio(seconds(run), sp_cv), run["error_px"]))
w("")

# --- Calipers ----------------------------------------------------------------------------------
w("## Precision calipers")
w("")
w("A straight edge at 30° (blur 1 pixel, grey 50 to 200, noise 2 grey levels) in a 1200 × 1200")
w("image. Library: `OCaliper::MeasureEdges` (sigma 1, strongest edge): profile, filter, edges,")
w("sub-pixel position and its uncertainty. OpenCV: the rectangle resampled by `cv::warpAffine`")
w("(bilinear, one output pixel per caliper sample), `cv::reduce` to the mean profile, `cv::Sobel`")
w("(central difference) and a parabola through the strongest gradient, its matrices kept between")
w("calls. Error: signed distance of the reported point from the true edge.")
w("")
w("| Caliper | Library | OpenCV | Ratio | Library error | OpenCV error |")
w("|---|---:|---:|---:|---:|---:|")
for size, label in (("length:64/width:9", "64 × 9 px"), ("length:1000/width:1", "1,000 × 1 px")):
    lib = caliper["BM_Caliper_Library/" + size]
    cv = caliper["BM_Caliper_OpenCV/" + size]
    w("| %s | %s | %s | %s | %+.3f px | %+.3f px |" % (
        label, fmt_time(seconds(lib)), fmt_time(seconds(cv)), ratio(seconds(lib), seconds(cv)),
        lib["error_px"], cv["error_px"]))
w("")
w("Throughput: 64 calipers of 64 × 9 px along the edge per iteration over the one shared image,")
w("one thread and two (wall clock, calipers per second), and the same 64 through the call that")
w("measures many calipers at once (CPU time of its one thread):")
w("")
w("| Method | 1 thread | 2 threads | Scaling |")
w("|---|---:|---:|---:|")
for prefix, label in (("BM_ParallelCalipers_Library", "Library"), ("BM_ParallelCalipers_OpenCV", "OpenCV")):
    one, two, factor = scaling(prefix)
    w("| %s | %.0f | %.0f | %.2f× |" % (label, one, two, factor))
w("| Library, many-calipers call | %.0f | | |" % caliper["BM_ManyCalipers_Library"]["items_per_second"])
w("")

# --- Accuracy --------------------------------------------------------------------------------
w("## Accuracy")
w("")
w("Synthetic images of known truth (`bench/accuracy_study.cpp`): blurred step edges (Gaussian")
w("blur of 1 pixel) from grey 50 to 200 at random sub-pixel positions and angles, Gaussian noise")
w("of 0, 2 and 5 grey levels, fixed seeds.")
w("")
w("Conventions. Truth is in the library's coordinates: pixel i covers [i, i + 1) and its centre")
w("is i + 0.5; a pixel's grey value is the mean of the scene over the pixel (4 × 4 samples). An")
w("error is the signed distance of a measured point from the true edge, positive towards the")
w("bright side. OpenCV names a pixel by its integer index with the centre at the index itself, so")
w("a pixel (i, j) that OpenCV reports is taken at (i + 0.5, j + 0.5). Points handed to OpenCV's")
w("fits are the library's edge points unchanged, as float coordinates in the same frame.")
w("")
with open(os.path.join(results, "accuracy.md")) as f:
    lines.append(f.read().rstrip("\n"))
w("")

# Everything from the notes marker on is written by hand and kept as it stands.
text = "\n".join(lines) + "\n"
notes_marker = "<!-- notes -->"
if os.path.exists(output):
    with open(output) as f:
        old = f.read()
    if notes_marker in old:
        text += old[old.index(notes_marker):]
with open(output, "w") as f:
    f.write(text)
print("wrote " + output, file=sys.stderr)
PYTHON
