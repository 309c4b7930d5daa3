# Metrology tools from Python: each tool on a scene of known truth (defaults, rakes that miss,
# an outlier the fit rejects, the per-caliper arrays), 16-bit images and crops measured in place,
# and bad input.
import math

import numpy as np
import pytest

import edgedetection as ed
from conftest import blurred_scene

CENTER, RADIUS = (160.3, 120.7), 50.2  # a dark hole in a bright plate
ANGLE = 0.1  # radians: normal of the straight boundary, bright on its left
THROUGH = (120.3, 120.0)  # a point of that boundary
BAR = (80.25, 92.75)  # a bright bar between these x
# Position tolerance at noise 2 (the tools' sigmas are 0.002 to 0.01 px). The blur of 1 px moves a
# circle's edges inwards by blur^2 / (2 r) = 0.01 px, which the radius keeps.
TOLERANCE = 0.02


def hole_scene(**kwargs):
    return blurred_scene(lambda x, y: np.hypot(x - CENTER[0], y - CENTER[1]) - RADIUS, noise=2.0,
                         **kwargs)


def line_scene():
    normal = np.array([math.cos(ANGLE), math.sin(ANGLE)])
    return blurred_scene(lambda x, y: -((x - THROUGH[0]) * normal[0] + (y - THROUGH[1]) *
                                        normal[1]), noise=2.0)


def test_find_circle_measures_the_hole_and_rejects_a_notch():
    image = hole_scene()
    image[116:125, 200:214] = image[120, 160]  # the hole reaches out 3.5 px at angle 0
    hole = ed.find_circle(ed.Image(image), (160.0, 120.0), 50.0, polarity=ed.EdgePolarity.RISING)
    assert hole and hole.status == ed.MetrologyStatus.OK
    assert abs(hole.x - CENTER[0]) < TOLERANCE and abs(hole.y - CENTER[1]) < TOLERANCE
    assert abs(hole.radius - RADIUS) < TOLERANCE
    assert 0 < hole.radius_sigma < 0.01 and 0 < hole.rms < 0.05
    assert np.allclose(np.sqrt(np.diag(hole.covariance)),
                       [hole.x_sigma, hole.y_sigma, hole.radius_sigma])
    # Caliper 0 stands at angle 0 and sees the notch's end.
    assert hole.found.all() and hole.found_fraction == 1.0
    assert not hole.kept[0] and hole.kept[1:].all() and hole.kept_count == 35
    assert hole.rejected_count == 1 and abs(hole.residuals[0] - 3.5) < 0.1
    assert not hole.calipers[0].kept and hole.calipers[0].edge.x == hole.points[0, 0]
    assert hole.segments[0].tolist() == [190.0, 120.0, 230.0, 120.0]
    # Residuals are taken before the radius is corrected for the calipers' smoothing: they differ
    # from the distances to the reported circle by one constant.
    distances = np.hypot(*(hole.points[1:] - hole.center).T) - hole.radius
    assert np.ptp(distances - hole.residuals[1:]) < 1e-9
    assert (hole.sigmas > 0).all() and "kept=35 of 36" in repr(hole)


def test_find_line_follows_the_boundary_in_the_direction_of_its_rake():
    image = line_scene()
    direction = np.array([-math.sin(ANGLE), math.cos(ANGLE)])
    start, end = THROUGH - 100 * direction, THROUGH + 100 * direction
    # Looking from start to end, the calipers run to the left on screen: dark to bright.
    line = ed.find_line(image, start, end, polarity=ed.EdgePolarity.RISING)
    assert line and line.kept.all() and abs(line.distance_to(*THROUGH)) < TOLERANCE
    assert abs(line.angle - math.atan2(direction[1], direction[0])) < 1e-3
    assert line.direction == pytest.approx(tuple(direction), abs=1e-3)
    assert 0 < line.angle_sigma < 1e-3 and 0 < line.offset_sigma < line.offset_sigma_at(*end)
    reverse = ed.find_line(image, start, end, polarity=ed.EdgePolarity.FALLING,
                           search=ed.LineSearch.RIGHT_TO_LEFT, refit=ed.LineRefit.REGRESSION)
    assert abs(reverse.distance_to(*THROUGH)) < 0.1
    wrong = ed.find_line(image, start, end, polarity=ed.EdgePolarity.FALLING)
    assert not wrong and wrong.status == ed.MetrologyStatus.TOO_FEW_EDGES
    assert (wrong.caliper_status == int(ed.CaliperStatus.NO_EDGE)).all()
    assert np.isnan(wrong.points).all() and not wrong.found.any() and wrong.found_fraction == 0
    assert wrong.status_text in repr(wrong) and wrong.calipers[0].edge is None


def test_measure_width_corrects_a_tilted_rake():
    image = blurred_scene(lambda x, y: np.minimum(x - BAR[0], BAR[1] - x), noise=1.0)
    tilt = 0.2
    across = 40 * np.array([math.cos(tilt), math.sin(tilt)])
    middle = np.array([sum(BAR) / 2, 120.0])
    bar = ed.measure_width(image, middle - across / 2, middle + across / 2, calipers=7)
    assert bar and abs(bar.width - (BAR[1] - BAR[0])) < TOLERANCE
    assert abs(abs(bar.tilt) - tilt) < 1e-2 and 0 < bar.width_sigma < 0.01
    assert bar.min_width <= bar.width <= bar.max_width and bar.kept_count == 7
    np.testing.assert_allclose(bar.centers[:, 0], middle[0], atol=TOLERANCE)
    np.testing.assert_allclose(np.diff(bar.centers[:, 1]), 10.0 / math.cos(tilt), atol=0.1)
    gap = ed.measure_width(255 - image, middle - across / 2, middle + across / 2,
                           pair=ed.PairSettings(first_polarity=ed.EdgePolarity.FALLING,
                                                second_polarity=ed.EdgePolarity.RISING))
    # The same pixels inverted: the middle caliper's pair, here without the rake's correction.
    assert gap.width * math.cos(bar.tilt) == pytest.approx(bar.widths[3], abs=1e-9)
    outside = ed.measure_width(image, (400.5, 10.5), (430.5, 10.5))
    assert outside.status == ed.MetrologyStatus.OUTSIDE_IMAGE and np.isnan(outside.widths).all()


def test_16_bit_images_and_crops_measure_in_place():
    image8 = hole_scene()
    parent = np.zeros((300, 400), np.uint16)
    parent[30:270, 50:370] = image8.astype(np.uint16) * 257
    crop = parent[30:270, 50:370]
    a = ed.find_circle(image8, (160.0, 120.0), 50.0, calipers=12)
    b = ed.find_circle(crop, (160.0, 120.0), 50.0, calipers=12, threshold=10.0 * 257)
    assert not crop.flags.c_contiguous
    assert (b.x, b.y, b.radius) == pytest.approx((a.x, a.y, a.radius), abs=1e-9)
    assert b.radius_sigma == pytest.approx(a.radius_sigma)


IMAGE = hole_scene(shape=(60, 80))
BAD_INPUT = [
    (lambda: ed.find_circle(IMAGE, (np.nan, 1.0), 5.0), ValueError, "center"),
    (lambda: ed.find_circle(IMAGE, (9.0, 9.0), -5.0), ValueError, "radius"),
    (lambda: ed.find_circle(IMAGE, (9.0, 9.0), 5.0, caliper_width=-1), ValueError,
     "caliper_width"),
    (lambda: ed.find_circle(IMAGE, (9.0, 9.0), 5.0, sweep=0), ValueError, "sweep"),
    (lambda: ed.find_circle(IMAGE, (9.0, 9.0), 5.0, calipers=0), ValueError, "calipers"),
    (lambda: ed.find_circle(IMAGE, (9.0, 9.0), 5.0, filter=ed.Filter.DETSAC), ValueError,
     "STDDEV or Filter.NONE"),
    (lambda: ed.find_circle(IMAGE, (9.0, 9.0), 5.0, filter=1), TypeError, "Filter"),
    (lambda: ed.find_circle(IMAGE, (40.0, 30.0), 20.0, caliper_length=10, sigma=30), ValueError,
     "refuse"),
    (lambda: ed.find_circle(IMAGE.astype(float), (9.0, 9.0), 5.0), TypeError, "astype"),
    (lambda: ed.find_circle(np.dstack([IMAGE] * 3), (9.0, 9.0), 5.0), ValueError, "cvtColor"),
    (lambda: ed.find_line(IMAGE, (1.0, 1.0), (1.0, 1.0)), ValueError, "apart"),
    (lambda: ed.find_line(IMAGE, (1.0, 1.0), (9.0, np.inf)), ValueError, "end"),
    (lambda: ed.find_line(IMAGE, (1.0, 1.0), (9.0, 1.0), search_level=9), ValueError,
     "search_level"),
    (lambda: ed.find_line(IMAGE, (1.0, 1.0), (9.0, 1.0), sigma_factor=np.nan), ValueError,
     "sigma_factor"),
    (lambda: ed.measure_width(IMAGE, (1.0, 1.0), (9.0, 1.0), clip_factor=-1), ValueError,
     "clip_factor"),
    (lambda: ed.measure_width(IMAGE, (1.0, 1.0), (9.0, 1.0), calipers=3, spacing=0), ValueError,
     "spacing"),
    (lambda: ed.measure_width(IMAGE, (1.0, 1.0), (9.0, 1.0), min_width=5, max_width=3),
     ValueError, "width range"),
]


@pytest.mark.parametrize("call, error, message", BAD_INPUT)
def test_bad_input_raises_with_a_clear_message(call, error, message):
    with pytest.raises(error) as raised:
        call()
    assert message in str(raised.value)
