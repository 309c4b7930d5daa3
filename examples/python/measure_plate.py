"""Measure a bored hole and a straight edge of a plate with the edgedetection module.

    python3 measure_plate.py                      # the built-in plate of known dimensions
    python3 measure_plate.py part.png --circle 200 170 60 --line 420 20 440 380
    python3 measure_plate.py --no-plot --check    # headless, fail unless the truth is met

An image file is read with OpenCV (python3-opencv) or imageio (python3-imageio), whichever is
installed, as grey values of 8 or 16 bits. Without a file the script renders a plate of known
dimensions (a dark hole in a bright plate whose right border is a slanted straight edge, blurred
and noisy) and prints the measurement beside the truth. --circle gives the expected hole (centre
x, y and radius in pixels), --line the expected edge (two points on it, the plate on its left as
seen from the first towards the second); the defaults suit the built-in plate. With matplotlib
installed the result is plotted over the image (the calipers, the edges the fits used and those
they rejected, the fitted circle and line) unless --no-plot is given.
"""

import argparse
import math
import sys

import numpy as np

import edgedetection as ed

# The built-in plate: its true geometry, grey values and image size.
HOLE = (200.3, 170.6, 60.4)  # centre x, y and radius, pixels
EDGE = ((420.2, 20.0), (440.7, 380.0))  # two points of the plate's right border
BRIGHT, DARK, BLUR, NOISE = 190.0, 40.0, 1.0, 2.0
SIZE = (400, 520)  # height, width
# What the built-in plate must give with --check, pixels and radians.
TOLERANCE_PX, TOLERANCE_RAD = 0.05, 0.001

CALIPERS_ON_CIRCLE = 48
CALIPERS_ON_LINE = 20
CALIPER_LENGTH = 30.0
CALIPER_WIDTH = 5.0


def render_plate():
    """The built-in plate: each pixel the blurred step across the nearest border (an error
    function of its signed distance from it), plus Gaussian noise."""
    ys, xs = np.mgrid[0 : SIZE[0], 0 : SIZE[1]] + 0.5
    (x0, y0), (x1, y1) = EDGE
    length = math.hypot(x1 - x0, y1 - y0)
    left_of_edge = ((x1 - x0) * (ys - y0) - (y1 - y0) * (xs - x0)) / length  # > 0 on the plate
    outside_hole = np.hypot(xs - HOLE[0], ys - HOLE[1]) - HOLE[2]
    distance = np.minimum(left_of_edge, outside_hole)
    level = 0.5 + 0.5 * np.vectorize(math.erf)(distance / (BLUR * math.sqrt(2)))
    grey = DARK + (BRIGHT - DARK) * level + np.random.default_rng(1).normal(0, NOISE, SIZE)
    return np.clip(np.rint(grey), 0, 255).astype(np.uint8)


def load(path):
    """A grey image from a file, 8 or 16 bits, by OpenCV or imageio."""
    try:
        import cv2

        image = cv2.imread(path, cv2.IMREAD_UNCHANGED)
        if image is None:
            sys.exit(f"cannot read {path}")
        if image.ndim == 3:
            image = cv2.cvtColor(image, cv2.COLOR_BGR2GRAY)
        return image
    except ImportError:
        pass
    try:
        import imageio.v3 as iio

        image = iio.imread(path)
        if image.ndim == 3:  # RGB(A) to grey by the usual weights, in the image's own depth
            image = (image[..., :3] @ [0.299, 0.587, 0.114]).astype(image.dtype)
        return image
    except ImportError:
        sys.exit("reading an image needs OpenCV or imageio: apt-get install python3-opencv "
                 "(or python3-imageio)")


def measure_hole(image, cx, cy, radius):
    """A rake of calipers across the expected circle, outwards, and the circle fitted to their
    edges with the outliers rejected."""
    # A dark hole in a bright plate: dark to bright outwards.
    return ed.find_circle(image, (cx, cy), radius, calipers=CALIPERS_ON_CIRCLE,
                          caliper_length=CALIPER_LENGTH, caliper_width=CALIPER_WIDTH,
                          polarity=ed.EdgePolarity.RISING)


def measure_edge(image, start, end):
    """A rake of calipers across the expected line, from the plate outwards, and the line fitted
    to their edges."""
    return ed.find_line(image, start, end, calipers=CALIPERS_ON_LINE,
                        caliper_length=CALIPER_LENGTH, caliper_width=CALIPER_WIDTH,
                        search=ed.LineSearch.RIGHT_TO_LEFT, polarity=ed.EdgePolarity.FALLING)


def plot(image, hole, edge):
    try:
        import matplotlib.pyplot as plt
    except ImportError:
        print("(matplotlib is not installed: no plot)")
        return
    _, axes = plt.subplots()
    # Pixel i covers [i, i + 1): the image's extent puts pixel centres at i + 0.5.
    axes.imshow(image, cmap="gray", extent=(0, image.shape[1], image.shape[0], 0))
    for found in (hole, edge):
        for x0, y0, x1, y1 in found.segments:
            axes.plot([x0, x1], [y0, y1], "-", color="yellow", linewidth=0.5)
        axes.plot(*found.points[found.kept].T, "+", color="lime")
        axes.plot(*found.points[found.found & ~found.kept].T, "x", color="red")
    t = np.linspace(0, 2 * math.pi, 200)
    axes.plot(hole.x + hole.radius * np.cos(t), hole.y + hole.radius * np.sin(t), "c-")
    dx, dy = edge.direction
    span = np.array([-image.shape[0], image.shape[0]])
    axes.plot(edge.x + span * dx, edge.y + span * dy, "c-")
    axes.set_xlim(0, image.shape[1])
    axes.set_ylim(image.shape[0], 0)
    plt.show()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("image", nargs="?", help="image file (default: the built-in plate)")
    parser.add_argument("--circle", nargs=3, type=float, default=HOLE, metavar=("X", "Y", "R"))
    parser.add_argument("--line", nargs=4, type=float, default=[*EDGE[0], *EDGE[1]],
                        metavar=("X0", "Y0", "X1", "Y1"))
    parser.add_argument("--no-plot", action="store_true", help="print only")
    parser.add_argument("--check", action="store_true",
                        help="exit with 1 unless the built-in plate's truth is met")
    args = parser.parse_args()

    image = load(args.image) if args.image else render_plate()
    hole = measure_hole(image, *args.circle)
    edge = measure_edge(image, args.line[:2], args.line[2:])
    for name, result in (("hole", hole), ("edge", edge)):
        if not result:
            sys.exit(f"{name}: {result.status_text}; check --circle and --line against the image")
    print(f"hole: centre ({hole.x:.3f}, {hole.y:.3f}) +- ({hole.x_sigma:.3f}, "
          f"{hole.y_sigma:.3f}) px, radius {hole.radius:.3f} +- {hole.radius_sigma:.3f} px, "
          f"{hole.kept_count} of {len(hole.calipers)} calipers used")
    print(f"edge: through ({edge.x:.3f}, {edge.y:.3f}) px +- {edge.offset_sigma:.3f} px at "
          f"{math.degrees(edge.angle):.4f} +- {math.degrees(edge.angle_sigma):.4f} deg, "
          f"{edge.kept_count} of {len(edge.calipers)} calipers used")
    if not args.image:
        (x0, y0), (x1, y1) = EDGE
        true_angle = math.atan2(y1 - y0, x1 - x0)
        errors = {
            "centre": math.hypot(hole.x - HOLE[0], hole.y - HOLE[1]),
            "radius": abs(hole.radius - HOLE[2]),
            "edge offset": abs(edge.distance_to(*EDGE[0])),
        }
        angle_error = abs(math.remainder(edge.angle - true_angle, math.pi))
        print(f"truth: centre ({HOLE[0]}, {HOLE[1]}), radius {HOLE[2]}, edge at "
              f"{math.degrees(true_angle):.4f} deg; errors: " +
              ", ".join(f"{k} {v:.4f} px" for k, v in errors.items()) +
              f", angle {angle_error:.5f} rad")
        if args.check and (max(errors.values()) > TOLERANCE_PX or angle_error > TOLERANCE_RAD):
            sys.exit("the measurement misses the built-in plate's truth")
    if not args.no_plot:
        plot(image, hole, edge)

if __name__ == "__main__":
    main()
