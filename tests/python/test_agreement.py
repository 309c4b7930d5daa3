# The module answers exactly as the library called from C++ (reference_results.cpp) on the same
# image and points: calipers on 8 and 16 bits, searches with three transition functions,
# refinements, both fits and the metrology tools.
import os
import subprocess

import numpy as np

import edgedetection as ed
from conftest import disc_scene


def caliper_lines(name, edges):
    return [f"{name} {e.x!r} {e.y!r} {e.position!r} {e.amplitude!r} {e.score!r} {e.sigma!r}"
            for e in edges]


def module_results(image, guess, points):
    height, width = image.shape
    diagonal = ed.LineCaliper((5.5, 20.25), (width - 6.5, height - 20.75), 5.0)
    every = ed.EdgeSettings(threshold=5.0, selection=ed.Selection.ALL)
    lines = caliper_lines("caliper", diagonal.measure_edges(image, every))
    lines += caliper_lines("caliper16", diagonal.measure_edges(
        image.astype(np.uint16) * 257, every, threshold=5.0 * 257))
    lines += caliper_lines("arc", ed.ArcCaliper((190.0, 120.0), 40.0, 0.0, 360.0, 3.0)
                           .measure_edges(image, every))
    gap = ed.LineCaliper((80.5, 120.5), (240.5, 120.5), 7.0).measure_pairs(
        image, first_polarity=ed.EdgePolarity.FALLING, second_polarity=ed.EdgePolarity.RISING)
    lines += [f"pair {p.width!r} {p.width_sigma!r} {p.center_x!r} {p.center_y!r} {p.score!r}"
              for p in gap]
    many = ed.measure_calipers(image, [[60.5, 100.5, 200.5, 110.5], [60.5, 120.5, 200.5, 110.5],
                                       [60.5, 140.5, 200.5, 130.5]], None, 9.0)
    lines += [" ".join(["many"] + [repr(float(v)) for v in row]) for row in
              np.c_[many.points, many.position, many.amplitude, many.score, many.sigma]]
    c = ed.find_circle(image, (160.0, 120.0), 50.0, start_angle=30.0, sweep=300.0, calipers=20,
                       search=ed.CircleSearch.INWARDS, polarity=ed.EdgePolarity.FALLING,
                       sigma_factor=2.5)
    lines.append(f"find_circle {c.x!r} {c.y!r} {c.radius!r} {c.radius_sigma!r} {c.rms!r} "
                 f"{c.kept_count}")
    f = ed.find_line(image, (60.0, 105.0), (60.0, 135.0), calipers=7, caliper_length=20.0,
                     search=ed.LineSearch.RIGHT_TO_LEFT, filter=ed.Filter.STDDEV,
                     refit=ed.LineRefit.REGRESSION)
    lines.append(f"find_line {f.x!r} {f.y!r} {f.angle!r} {f.angle_sigma!r} {f.offset_sigma!r} "
                 f"{f.kept_count}")
    w = ed.measure_width(image, (80.5, 120.5), (240.5, 120.5), calipers=3,
                         first_polarity=ed.EdgePolarity.FALLING,
                         second_polarity=ed.EdgePolarity.RISING)
    lines.append(f"measure_width {w.width!r} {w.width_sigma!r} {w.tilt!r} {w.kept_count}")
    paths = [
        ("line", ed.LinePath((5.5, 20.25), (width - 6.5, height - 20.75)), ("band", 0, 100)),
        ("circle", ed.CirclePath((width / 2 + 30, height / 2), height / 4, 10.0, 360.0),
         ("deviation", 30, 10, 2)),
        ("canny", ed.LinePath((5.5, 20.25), (width - 6.5, height - 20.75)), ("canny", 20, 2)),
    ]
    for name, path, rule in paths:
        if rule[0] == "band":
            path.set_band(*rule[1:])
        elif rule[0] == "deviation":
            path.set_deviation(*rule[1:])
        else:
            path.set_canny(image, rule[1], sigma_index=rule[2])
        for edge in path.find_all(image):
            lines.append(f"{name} {edge.index} {edge.x!r} {edge.y!r} {edge.angle or 0.0!r}")
            fine = path.refine(image, edge)
            if fine:
                lines.append(f"{name}_subpixel {fine.x!r} {fine.y!r} {fine.angle or 0.0!r}")
    c = ed.fit_circle(points, guess)
    lines.append(f"circle_fit {c.x!r} {c.y!r} {c.radius!r} {c.sigma!r} {c.iterations} "
                 f"{len(c.inliers)} {len(c.outliers)} {c.sigma_all!r} {c.sigma_inliers!r}")
    f = ed.fit_line(points)
    lines.append(f"line_fit {f.angle!r} {f.x!r} {f.y!r} {len(f.inliers)} {len(f.outliers)} "
                 f"{f.sigma_all!r} {f.sigma_inliers!r}")
    return lines


def as_numbers(lines):
    return [[float(v) for v in line.split()[1:]] for line in lines]


def test_module_agrees_with_the_library(tmp_path):
    rng = np.random.default_rng(7)
    image = np.clip(disc_scene().astype(int) + rng.normal(0, 6, (240, 320)), 0, 255).astype(np.uint8)
    image[100:140, 20:60] = 90  # a grey patch for the deviation rule
    angles = rng.uniform(0, 2 * np.pi, 40)
    points = np.c_[150 + 33 * np.cos(angles), 110 + 33 * np.sin(angles)] + rng.normal(0, 0.3, (40, 2))
    points[:3] += 9.0
    guess = (145.0, 112.0, 30.0)
    (tmp_path / "image.raw").write_bytes(image.tobytes())
    text = [" ".join(map(repr, guess))] + [f"{x!r} {y!r}" for x, y in points]
    (tmp_path / "points.txt").write_text("\n".join(text) + "\n")
    # A sanitizer runtime preloaded into the interpreter is not for the C++ program, which links
    # its own.
    environment = {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}
    reference = subprocess.run(
        [os.environ["EDGEDETECTION_REFERENCE"], str(tmp_path / "image.raw"), "320", "240",
         str(tmp_path / "points.txt")], check=True, capture_output=True, text=True,
        env=environment).stdout.split("\n")
    ours = module_results(image, guess, points)
    reference = [line for line in reference if line]
    assert [line.split()[0] for line in ours] == [line.split()[0] for line in reference]
    assert len(ours) > 12 and {"caliper16", "arc", "pair", "many", "find_circle", "find_line",
                                   "measure_width"} <= {l.split()[0] for l in ours}
    assert as_numbers(ours) == as_numbers(reference)
