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

# Selector values of the FuzzInput draws.
ANY_INT_ZERO, ANY_INT_MIN, ANY_INT_SMALL, ANY_INT_FULL = 0, 4, 5, 6
SMALL_INT_BIAS = 256
ANY_DOUBLE_SPECIAL, ANY_DOUBLE_SIXTEENTHS = 0, 1
SPECIAL_NAN, SPECIAL_1E300, SPECIAL_360 = 2, 9, 11
ANY_RAW_NEAR = 1
NEAR_PIXEL_BIAS = 32


def u8(v):
    return struct.pack("<B", v)


def u16(v):
    return struct.pack("<H", v)


def u32(v):
    return struct.pack("<I", v & 0xFFFFFFFF)


def flag(v):
    return u8(1 if v else 0)


def any_int(v):
    """AnyInt: small values through the small selector, INT_MIN and 0 through their own."""
    if v == 0:
        return u8(ANY_INT_ZERO)
    if v == -(2**31):
        return u8(ANY_INT_MIN)
    if -SMALL_INT_BIAS <= v < 65536 - SMALL_INT_BIAS:
        return u8(ANY_INT_SMALL) + u16(v + SMALL_INT_BIAS)
    return u8(ANY_INT_FULL) + u32(v)


def in_range(v, lo, hi):
    """IntInRange(lo, hi)."""
    return u32(v - lo)


def code(v, lo, hi):
    """A small code: Bool true, then IntInRange(lo, hi)."""
    return flag(True) + in_range(v, lo, hi)


def any_double(v):
    """AnyDouble of a multiple of 1/16 in -2048..2048, or a special value by its index."""
    if isinstance(v, str):
        index = {"nan": SPECIAL_NAN, "1e300": SPECIAL_1E300, "360": SPECIAL_360}[v]
        return u8(ANY_DOUBLE_SPECIAL) + u8(index)
    return u8(ANY_DOUBLE_SIXTEENTHS) + struct.pack("<h", round(v * 16))


def any_float(v):
    return any_double(v)


def any_raw(pixels):
    """AnyRaw near a small image: a pixel in -32..223 with any fraction."""
    whole = math.floor(pixels)
    return u8(ANY_RAW_NEAR) + u8(whole + NEAR_PIXEL_BIAS) + u16(round((pixels - whole) * 65536))


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
    data = any_int(threshold) + code(row, -1, 13) + flag(keep)
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


# --- searches: image, path, function, context, operations ---

IMAGE_OWNED, IMAGE_VIEW = 1, 2
FILL_ALONG_ROWS, FILL_RADIAL = 1, 3
PATH_LINE, PATH_CIRCLE, PATH_CIRCLE_FLOAT = 0, 1, 2
OP_SINGLE, OP_NEXT, OP_PAIR, OP_RESET, OP_SUBPIXEL = 0, 1, 2, 3, 5


def image(kind, fill, profile, side=32, padding=0):
    return u8(kind) + u8(side) + u8(side) + u8(padding) + u8(fill) + u8(len(profile)) + bytes(
        profile)


def function(kind, first, second, third=2, fourth=2):
    return (code(kind, -1, 4) + any_int(first) + any_int(second) + code(third, 0, 11) +
            code(fourth, -1, 13) + flag(True))


def context(width=8, height=15, logical=18):
    return flag(True) + any_int(width) + any_int(height) + any_int(logical)


def op_next(polarity=0, distance=0, reference=0, kind=1, number=0):
    return (u8(OP_NEXT) + u8(1) + code(polarity, -1, 3) + any_int(distance) + any_int(reference) +
            code(kind, -1, 4) + any_int(number))


def op_single(ordinal=1, polarity=0, kind=1, go_on=True):
    return (u8(OP_SINGLE) + u8(1) + code(ordinal, 0, 4) + code(polarity, -1, 3) + any_int(0) +
            any_int(0) + code(kind, -1, 4) + any_int(0) + flag(go_on))


def op_pair(mode=0, go_on=False):
    return (u8(OP_PAIR) + u8(1) + code(1, 0, 4) + code(1, -1, 3) + any_int(0) + any_int(0) +
            any_int(-1) + code(1, 0, 4) + code(2, -1, 3) + any_int(0) + any_int(1) +
            any_int(-1) + code(1, 0, 2) + code(mode, -1, 2) + any_int(0) + any_int(0) +
            flag(go_on))


def op_subpixel():
    return u8(OP_SUBPIXEL) + code(1, 0, 2) + flag(True) + u8(1) + u8(0) + u8(0) + u8(0) + u8(
        0) + any_double(0)


def search_seeds():
    step = [200] * 16 + [50] * 15
    ring = [200] * 13 + [50] * 18
    line_path = u8(PATH_LINE) + any_raw(2.5) + any_raw(16.5) + any_raw(30.5) + any_raw(16.5)
    circle_path = (u8(PATH_CIRCLE) + any_raw(16.5) + any_raw(16.5) + any_double(10.0) +
                   any_double(0) + any_double("360"))
    float_path = (u8(PATH_CIRCLE_FLOAT) + any_raw(16.5) + any_raw(16.5) + any_float(10.0) +
                  any_float(-45.0) + any_float(270.0))
    return {
        "line_band_step": image(IMAGE_OWNED, FILL_ALONG_ROWS, step) + line_path +
        function(0, 0, 128) + context() + op_next() + op_subpixel() + op_reset_then_single(),
        "line_deviation_view": image(IMAGE_VIEW, FILL_ALONG_ROWS, step, padding=3) + line_path +
        function(1, 10, 40, 3) + flag(False) + op_single(2) + op_pair(),
        "circle_pair_wrap": image(IMAGE_OWNED, FILL_ALONG_ROWS, step) + circle_path +
        function(0, 0, 128) + context() + op_pair(1, False) + op_next(1, 2, 0, 3, 7),
        "float_circle_canny": image(IMAGE_OWNED, FILL_RADIAL, ring) + float_path +
        function(3, 20, 0, 2, 4) + context() + op_single(1, 0, 2) + op_subpixel(),
    }


def op_reset_then_single():
    return u8(OP_RESET) + op_single(1, 2, -1, False)


# --- circle fit: mode, flags, filter, guess, base circle, points ---

def circle_fit(mode, filter_type, passes, guess, base, points, unequal=False):
    data = code(mode, -1, 5) + flag(True) * 5 + code(filter_type, 0, 2) + code(passes, -1, 8)
    data += any_double(2.0)
    data += b"".join(any_double(v) for v in guess) + any_int(0)
    data += b"".join(any_double(v) for v in base)
    data += u8(0xFF if unequal else 0)
    for p in points:
        data += p
    return data


def on_base(angle_step):
    return u8(1) + u8(angle_step)


def any_point(x, y):
    return u8(5) + any_double(x) + any_double(y)


def circle_fit_seeds():
    ring = [on_base(a * 12) for a in range(20)]
    return {
        "ring_with_outlier_checked": circle_fit(3, 1, 5, (100, 80, 25, "1e300"), (100, 80, 20),
                                                ring + [any_point(160, 80)]),
        "ring_plain_filter": circle_fit(0, 1, 3, (0, 0, 5, "1e300"), (0, -0.875, 12),
                                        ring[:10] + [any_point(0, 0)]),
        "collinear": circle_fit(3, 1, 2, (10, 10, 5, "1e300"), (0, 0, 1),
                                [any_point(0, 0), any_point(10, 5)] +
                                [u8(4) + any_double(t / 4) for t in range(8)]),
        "duplicates_and_nan": circle_fit(2, 0, 0, (1, 1, 1, 1), (5, 5, 3),
                                         ring[:4] + [u8(0) + u8(1)] * 3 + [any_point("nan", 1)]),
        "unequal_lists": circle_fit(0, 1, 1, (5, 5, 3, "1e300"), (5, 5, 3), ring[:6],
                                    unequal=True),
    }


# --- regression: mode, flags, filter, distances, base line, points ---

def regression(mode, filter_type, passes, distance, level, base, step, points):
    data = code(mode, -1, 4) + flag(True) * 3 + code(filter_type, 0, 5) + code(passes, -1, 8)
    data += any_double(2.0) + code(distance, -1, 8) + code(level, -1, 9)
    data += any_raw(base[0]) + any_raw(base[1]) + any_raw(step[0]) + any_raw(step[1])
    return data + b"".join(points)


def near_line(t, noise_x=0, noise_y=0):
    return u8(2) + u8(t) + struct.pack("<hh", noise_x, noise_y)


def raw_point(x, y):
    return u8(8) + any_raw(x) + any_raw(y)


def regression_seeds():
    flat = [near_line(t, (t * 7919) % 4000 - 2000, (t * 104729) % 4000 - 2000) for t in range(24)]
    steep = [near_line(t) for t in range(12)]
    return {
        "stddev_with_outliers": regression(3, 1, 4, 1, 0, (1, 10), (1, 0.25),
                                           flat + [raw_point(12, 60), raw_point(3, -0.5)]),
        "detsac_level_4": regression(2, 2, 0, 1, 4, (5, 5), (0.5, 2), steep + [raw_point(40, 2)]),
        "detsac_fixed_width": regression(3, 4, 0, 2, 0, (0, 0), (2, 1),
                                         flat[:12] + [raw_point(0, 30)]),
        "vertical_mode_0": regression(0, 0, 0, 0, 0, (7, 3), (0, 1), steep),
        "left_of_image": regression(2, 1, 2, 1, 8, (0, 0), (1, 1),
                                    flat[:6] + [raw_point(-1.5, 4)]),
    }


def main():
    targets = {
        "fuzz_path_records": path_record_seeds(),
        "fuzz_canny": canny_seeds(),
        "fuzz_search": search_seeds(),
        "fuzz_circle_fit": circle_fit_seeds(),
        "fuzz_regression": regression_seeds(),
    }
    for target, seeds in targets.items():
        folder = os.path.join(CORPUS, target)
        os.makedirs(folder, exist_ok=True)
        for name, data in seeds.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
