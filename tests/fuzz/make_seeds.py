#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets (tests/fuzz/corpus/<target>/).

Each seed is a small, meaningful input in the layout its target reads (FuzzInput.h draws, or the
byte stream itself for the path records): real records, a step edge, a ring, points on a circle or
a line. The fuzzer mutates from there. Run it again after changing an input layout:

    tests/fuzz/make_seeds.py
"""

import math
import os
import struct

CORPUS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")

# FuzzInput draws: a selector byte below WIDE gives a small value, from WIDE on the full bits.
WIDE = 0xC0
SMALL_INT_BIAS = 64
SIXTEENTHS = 16


def u8(v):
    return struct.pack("<B", v)


def u32(v):
    return struct.pack("<I", v & 0xFFFFFFFF)


def flag(v):
    return u8(1 if v else 0)


def any_int(v):
    """Int: -64..127 in the selector byte itself, anything else as 32 bits."""
    if -SMALL_INT_BIAS <= v < WIDE - SMALL_INT_BIAS:
        return u8(v + SMALL_INT_BIAS)
    return u8(WIDE) + u32(v)


def ints(*values):
    return b"".join(any_int(v) for v in values)


def any_double(v):
    """Double: sixteenths in 16 bits when exact and small, otherwise the 64-bit pattern."""
    v = float(v)
    if v == v and abs(v * SIXTEENTHS) < 32768 and v * SIXTEENTHS == round(v * SIXTEENTHS):
        return u8(0) + struct.pack("<h", round(v * SIXTEENTHS))
    return u8(WIDE) + struct.pack("<d", v)


def any_raw(pixels):
    """Raw: a pixel coordinate in sixteenths (rounded) in 16 bits."""
    return u8(0) + struct.pack("<h", round(pixels * SIXTEENTHS))


# --- byte-stream records (little-endian, length = size - 4, then the object ID) ---

VECTOR_ID, ARRAY_ID = 0xC4A01001, 0xC4A01002
LINE_ID, CIRCLE_ID, POLYGON_ID, CIRCLE_FLOAT_ID = 0xC4A01601, 0xC4A01602, 0xC4A01603, 0xC4A01604


def record(object_id, body, length=None):
    return u32(len(body) + 4 if length is None else length) + u32(object_id) + body


def vector(x, y):
    return record(VECTOR_ID, struct.pack("<qq", round(x * 65536), round(y * 65536)))


def line(start, end, user=b"", length=None):
    return record(LINE_ID, vector(*start) + vector(*end) + user, length)


def circle(centre, radius, start_deg, sweep_deg, object_id=CIRCLE_ID, user=b"", length=None):
    start = math.radians(start_deg)
    end = start + math.radians(sweep_deg)
    return record(object_id, vector(*centre) + struct.pack("<ddd", radius, start, end) + user,
                  length)


def polygon(points, user=b""):
    array = record(ARRAY_ID, u32(len(points)) + b"".join(vector(*p) for p in points))
    return record(POLYGON_ID, array + user)


def path_record_seeds():
    return {
        "line_with_user_data": line((0, 0), (3, 4), user=b"\x01\x02\x03"),
        "circle_full": circle((100, 100), 10.0, 0.0, 360.0),
        "circle_float_half": circle((50.5, 20.25), 7.5, 180.0, -180.0, CIRCLE_FLOAT_ID),
        "polygon_three_points": polygon([(1, 2), (30, 2), (15, 25)], user=b"\xff"),
        # Below the read threshold (keeps the current geometry), then a full line record.
        "line_short_then_full": line((0, 0), (0, 0), length=12)[:16] + line((5, 5), (-20, 9)),
        # A length inside the known fields: they run past the record's end.
        "circle_fields_past_end": circle((1, 1), 2.0, 0.0, 90.0, length=44),
    }


# --- Canny transitions: threshold, row, flag, then samples ---

def canny(threshold, row, keep, samples):
    data = any_int(threshold) + any_int(row) + flag(keep)
    for s in samples:
        data += u8(0) if s is None else u8(2) + u8(s)
    return data


def canny_seeds():
    step = [0] * 12 + [200] * 12
    gaps = [30] * 6 + [None] * 3 + [220] * 6 + [None] + [10] * 5
    return {
        "step_edge": canny(10, 2, False, step),
        "step_edge_magnitudes": canny(10, 2, True, step),
        "segments_between_markers": canny(20, 0, False, gaps),
        "row_outside_table": canny(5, 13, False, gaps),
        "threshold_int_min": canny(-(2**31), 12, False, [255, 0] * 8),
    }


# --- searches: image, path, context, function, operations ---

PATH_LINE, PATH_CIRCLE, PATH_CIRCLE_FLOAT = 0, 1, 2
OP_SEARCH, OP_MOVE, OP_SUBPIXEL, OP_FUNCTION = 0, 2, 3, 4
SEARCH_SINGLE, SEARCH_NEXT, SEARCH_PAIR = 0, 1, 2
GREY_RUN = 8


def image(view, width, height, padding, row):
    """Every row the same grey values (a run of one stride), so edges run down the columns."""
    assert len(row) == width + padding and len(row) % GREY_RUN == 0
    return flag(view) + u8(width) + u8(height) + u8(padding) + u8(len(row) // GREY_RUN) + bytes(row)


def context(width=8, height=15, logical=18):
    return ints(width, height, logical)


def function(kind, first, second, third=2, fourth=2):
    return ints(kind, first, second, third, fourth) + flag(True)


def search(kind, *args):
    return u8(OP_SEARCH) + u8(kind) + flag(True) + ints(*(list(args) + [0] * (15 - len(args))))


def op_next(polarity=0, distance=0, reference=0, label_kind=1, number=0):
    return search(SEARCH_NEXT, polarity, distance, reference, label_kind, number)


def op_single(ordinal=1, polarity=0, label_kind=1, go_on=True):
    return search(SEARCH_SINGLE, ordinal, polarity, 0, 0, label_kind, 0, int(go_on))


def op_pair(mode=0, go_on=False):
    return search(SEARCH_PAIR, 1, 1, 0, 0, -1, 1, 2, 0, 1, -1, 1, mode, 0, 0, int(go_on))


def op_subpixel():
    return u8(OP_SUBPIXEL) + any_int(1) + flag(True) + flag(True)


def op_move(index):
    return u8(OP_MOVE) + any_int(index) + flag(True)


def search_seeds():
    step = [200] * 16 + [50] * 16
    line_path = u8(PATH_LINE) + any_raw(2.5) + any_raw(16.5) + any_raw(30.5) + any_raw(16.5)
    circle_path = (u8(PATH_CIRCLE) + any_raw(16.5) + any_raw(16.5) + any_double(10.0) +
                   any_double(0) + any_double(360))
    float_path = (u8(PATH_CIRCLE_FLOAT) + any_raw(16.5) + any_raw(16.5) + any_double(10.0) +
                  any_double(-45.0) + any_double(270.0))
    return {
        "line_band_step": image(False, 32, 32, 0, step) + line_path + context() +
        function(0, 0, 128) + op_next() + op_subpixel() + op_move(-1) + op_single(1, 2, -1, False),
        "line_deviation_view": image(True, 29, 20, 3, step) + line_path + context() +
        function(1, 10, 40, 3) + op_single(2) + op_pair(),
        "circle_pair_wrap": image(False, 32, 32, 0, step) + circle_path + context() +
        function(0, 0, 128) + op_pair(1, False) + op_next(1, 2, 0, 3, 7),
        "float_circle_canny": image(True, 32, 32, 0, step) + float_path + context() +
        function(3, 20, 0, 2, 4) + op_single(1, 0, 2) + op_subpixel(),
    }


# --- circle fit: mode, filter, passes, flags, factor, guess, points ---

def circle_fit(mode, filter_type, passes, guess, points):
    data = ints(mode, filter_type, passes) + u8(0x1F) + any_double(2.0)
    data += b"".join(any_double(v) for v in guess) + any_int(0)
    return data + b"".join(any_double(x) + any_double(y) for x, y in points)


def on_circle(cx, cy, r, count):
    return [(round((cx + r * math.cos(2 * math.pi * k / count)) * SIXTEENTHS) / SIXTEENTHS,
             round((cy + r * math.sin(2 * math.pi * k / count)) * SIXTEENTHS) / SIXTEENTHS)
            for k in range(count)]


def circle_fit_seeds():
    ring = on_circle(100, 80, 20, 20)
    return {
        "ring_with_outlier_checked": circle_fit(3, 1, 5, (100, 80, 25, 1e300), ring + [(160, 80)]),
        "ring_plain_filter": circle_fit(0, 1, 3, (0, 0, 5, 1e300),
                                        on_circle(0, -0.875, 12, 10) + [(0, 0)]),
        "collinear": circle_fit(3, 1, 2, (10, 10, 5, 1e300), [(t, t / 2) for t in range(10)]),
        "duplicates_and_nan": circle_fit(2, 0, 0, (1, 1, 1, 1),
                                         ring[:4] + [ring[1]] * 3 + [(float("nan"), 1)]),
    }


# --- regression: mode, filter, passes, distance, level, flags, factor, points ---

def regression(mode, filter_type, passes, distance, level, points):
    data = ints(mode, filter_type, passes, distance, level) + flag(True) * 3 + any_double(2.0)
    return data + b"".join(u8(0) + any_raw(x) + any_raw(y) for x, y in points)


def near_line(base, step, count, noisy=True):
    noise = [((t * 7919) % 17 - 8) / 32 if noisy else 0 for t in range(count)]
    return [(base[0] + step[0] * t + noise[t], base[1] + step[1] * t - noise[t])
            for t in range(count)]


def regression_seeds():
    flat = near_line((1, 10), (1, 0.25), 24)
    steep = near_line((5, 5), (0.5, 2), 12, noisy=False)
    return {
        "stddev_with_outliers": regression(3, 1, 4, 1, 0, flat + [(12, 60), (3, -0.5)]),
        "detsac_level_4": regression(2, 2, 0, 1, 4, steep + [(40, 2)]),
        "detsac_fixed_width": regression(3, 4, 0, 2, 0, flat[:12] + [(0, 30)]),
        "vertical_mode_0": regression(0, 0, 0, 0, 0, near_line((7, 3), (0, 1), 12, noisy=False)),
        "left_of_image": regression(2, 1, 2, 1, 8, flat[:6] + [(-0.5, 4)]),
    }


# --- calipers: selector, image size and stride slack, region, settings, then the pixels ---


def caliper_header(wide, arc, mode, width, height, slack=1):
    return u8((1 if wide else 0) | (2 if arc else 0) | (mode << 2)) + u8(width) + u8(height) + u8(slack)


def caliper_line(start, end, width, step=None):
    data = b"".join(any_double(v) for v in (*start, *end, width))
    return data + (flag(True) + any_double(step) if step else flag(False))


def caliper_arc(centre, radius, start, sweep, width):
    return b"".join(any_double(v) for v in (*centre, radius, start, sweep, width)) + flag(False)


def caliper_edges(sigma, threshold, polarity, selection, n):
    return any_double(sigma) + any_double(threshold) + u8(polarity) + u8(selection) + any_int(n)


def caliper_pairs(sigma, threshold, first, second, selection, low, high=None):
    data = any_double(sigma) + any_double(threshold) + u8(first) + u8(second) + u8(selection)
    return data + any_double(low) + (flag(True) + any_double(high) if high else flag(False))


def grey_image(width, height, grey, wide=False):
    """Pixels row by row from grey(x, y) in 0..1, as bytes or 16-bit little-endian words."""
    out = b""
    for y in range(height):
        for x in range(width):
            g = grey(x + 0.5, y + 0.5)
            out += struct.pack("<H", round(1000 + 40000 * g)) if wide else u8(round(40 + 180 * g))
    return out


def soft_step(d, blur=1.0):
    return 0.5 * math.erfc(-d / (blur * math.sqrt(2.0)))


def caliper_seeds():
    step = lambda x, y: soft_step(x - 15.3)
    bar = lambda x, y: soft_step(x - 10.2) - soft_step(x - 16.7)
    disc = lambda x, y: soft_step(9.0 - math.hypot(x - 16.2, y - 15.8))
    return {
        "line_edge_8bit": caliper_header(False, False, 0, 32, 12) +
        caliper_line((2, 6), (30, 6.5), 3) + caliper_edges(1, 10, 0, 2, 1) +
        grey_image(32, 12, step),
        "line_all_edges_16bit": caliper_header(True, False, 0, 32, 12) +
        caliper_line((2.5, 3), (29, 9), 5, 0.5) + caliper_edges(1.5, 800, 2, 4, 1) +
        grey_image(32, 12, bar, wide=True),
        "line_bar_pair": caliper_header(False, False, 1, 28, 10) +
        caliper_line((1, 5), (27, 5), 4) + caliper_pairs(1, 10, 0, 1, 2, 3, 9) +
        grey_image(28, 10, bar),
        "arc_disc_16bit": caliper_header(True, True, 0, 32, 32) +
        caliper_arc((16.2, 15.8), 9, -1, 4, 3) + caliper_edges(1, 500, 2, 4, 1) +
        grey_image(32, 32, disc, wide=True),
        "arc_pair_8bit": caliper_header(False, True, 1, 32, 32) +
        caliper_arc((25.2, 15.8), 6, -3, 6.25, 2) + caliper_pairs(1, 5, 1, 0, 3, 0) +
        grey_image(32, 32, disc),
        "profile_partly_outside": caliper_header(False, False, 2, 20, 8) +
        caliper_line((10, 4), (26, 4), 2) + any_double(1) + any_double(0) +
        grey_image(20, 8, step),
        "stride_short_16bit": caliper_header(True, False, 0, 16, 8, slack=0) +
        caliper_line((1, 4), (15, 4), 1) + caliper_edges(1, 10, 2, 0, 1) +
        grey_image(15, 8, step, wide=True),
    }


# --- metrology: selector, image size and stride slack, the tool's settings, then the pixels ---


def metrology_header(wide, tool, width, height, slack=1):
    return u8((1 if wide else 0) | (tool << 1)) + u8(width) + u8(height) + u8(slack)


def doubles(*values):
    return b"".join(any_double(v) for v in values)


def metrology_edge(sigma, threshold, polarity, selection):
    return doubles(sigma, threshold) + u8(polarity) + u8(selection) + any_int(1)


def metrology_circle_fit():
    return flag(True) + any_int(5) + doubles(3, 4)


def metrology_line_fit(refit=0):
    return u8(2) + ints(2, 4, 5) + any_double(3) + flag(refit) + any_double(4)


def metrology_seeds():
    hole = lambda x, y: soft_step(math.hypot(x - 24.3, y - 23.8) - 12.0)
    edge = lambda x, y: soft_step(x - 20.6 - 0.1 * y)
    slot = lambda x, y: 1.0 - soft_step(x - 18.2) + soft_step(x - 27.9)
    ring = [(20 + 9 * math.cos(k * 0.5), 15 + 9 * math.sin(k * 0.5), 0.02) for k in range(12)]
    ring[3] = (30.0, 30.0, 0.02)
    line = [(2 + 3 * k, 5 + 0.5 * k + (4 if k == 6 else 0), 0.05) for k in range(10)]
    return {
        "circle_8bit": metrology_header(False, 0, 48, 48) +
        doubles(24.5, 23.5, 12, 0, 6.25) + any_int(12) + doubles(10, 3) + flag(False) +
        metrology_edge(1, 10, 0, 2) + metrology_circle_fit() + grey_image(48, 48, hole),
        "line_16bit": metrology_header(True, 1, 40, 32) +
        doubles(21, 2, 23.5, 30) + any_int(8) + doubles(12, 3) + flag(False) +
        metrology_edge(1, 500, 1, 0) + metrology_line_fit() + grey_image(40, 32, edge, wide=True),
        "width_rake_8bit": metrology_header(False, 2, 44, 24) +
        doubles(12, 12, 34, 12.5, 3) + any_int(3) + doubles(5, 1, 10) + u8(1) + u8(0) + u8(2) +
        doubles(0, 4) + grey_image(44, 24, slot),
        "fit_circle_outlier": metrology_header(False, 3, 0, 0) + metrology_circle_fit() +
        u8(len(ring)) + b"".join(doubles(*p) for p in ring),
        "fit_line_regression": metrology_header(False, 4, 0, 0) + metrology_line_fit(1) +
        u8(len(line)) + b"".join(doubles(*p) for p in line),
    }


def main():
    targets = {
        "fuzz_path_records": path_record_seeds(),
        "fuzz_canny": canny_seeds(),
        "fuzz_search": search_seeds(),
        "fuzz_circle_fit": circle_fit_seeds(),
        "fuzz_regression": regression_seeds(),
        "fuzz_caliper": caliper_seeds(),
        "fuzz_metrology": metrology_seeds(),
    }
    for target, seeds in targets.items():
        folder = os.path.join(CORPUS, target)
        os.makedirs(folder, exist_ok=True)
        for name, data in seeds.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
