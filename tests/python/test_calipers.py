# Precision calipers from Python: positions of known truth, 16-bit images as 8-bit ones scaled,
# the vectorised call as the loop it replaces, empty results with their status, bad input.
import numpy as np
import pytest

import edgedetection as ed
from conftest import blurred_scene

EDGE_X = 120.3  # a vertical boundary, bright left of it
BAR = (80.25, 92.75)  # a bright bar on dark ground between these x
TOLERANCE = 0.03  # pixels, at noise 2 (the edges' sigmas are about 0.01)


def edge_scene(noise=2.0):
    return blurred_scene(lambda x, y: EDGE_X - x, noise=noise)


def bar_scene():
    return blurred_scene(lambda x, y: np.minimum(x - BAR[0], BAR[1] - x), noise=2.0)


def test_line_arc_and_pair_measure_the_known_truth():
    image = edge_scene()
    edge = ed.LineCaliper((90.5, 60.5), (150.5, 60.5), width=9).measure_edges(image)[0]
    assert abs(edge.x - EDGE_X) < TOLERANCE and edge.y == 60.5 and edge.amplitude < 0
    assert abs(edge.position - (EDGE_X - 90.5)) < TOLERANCE and 0 < edge.sigma < TOLERANCE
    # The arc around (110.3, 100) of radius 30 crosses the boundary at 70.53 degrees.
    arc = ed.ArcCaliper((EDGE_X - 10, 100.0), 30.0, -30.0, 180.0, width=3)
    found = arc.measure_edges(image, polarity=ed.EdgePolarity.RISING)
    assert abs(found[0].x - EDGE_X) < TOLERANCE and abs(found[0].y - (100 + 800**0.5)) < 0.1
    pair = ed.LineCaliper((60.5, 30.5), (110.5, 30.5), width=5).measure_pairs(bar_scene())[0]
    assert abs(pair.width - (BAR[1] - BAR[0])) < TOLERANCE
    assert abs(pair.center_x - sum(BAR) / 2) < TOLERANCE and pair.first.x < pair.second.x


def test_16_bit_image_measures_as_the_8_bit_image_scaled():
    image8 = edge_scene()
    image16 = image8.astype(np.uint16) * 257
    parent = np.zeros((300, 400), np.uint16)
    parent[30:270, 50:370] = image16
    caliper = ed.LineCaliper((90.5, 60.5), (150.5, 60.5), width=9)
    for view in (image16, parent[30:270, 50:370]):  # a crop measures in place, as its copy
        a = caliper.measure_edges(image8, ed.EdgeSettings(threshold=10))[0]
        b = caliper.measure_edges(view, ed.EdgeSettings(threshold=10 * 257))[0]
        assert b.x == pytest.approx(a.x, abs=1e-9) and b.sigma == pytest.approx(a.sigma)
        assert b.amplitude == pytest.approx(257 * a.amplitude)
    rows = np.c_[np.full(5, 90.5), 20.5 + 40 * np.arange(5)]
    many8 = ed.measure_calipers(image8, rows, rows + [60, 0], 9.0)
    many16 = ed.measure_calipers(ed.Image(image16), rows, rows + [60, 0], 9.0, threshold=2570)
    np.testing.assert_allclose(many16.points, many8.points, atol=1e-9)


def test_vectorised_call_equals_the_loop():
    image = ed.Image(edge_scene())
    rng = np.random.default_rng(3)
    starts = np.c_[rng.uniform(70, 100, 40), rng.uniform(25, 215, 40)]
    ends = starts + np.c_[rng.uniform(60, 80, 40), rng.uniform(-20, 20, 40)]
    starts[:3] -= [150, 0]  # partly outside
    starts[3], ends[3] = (40.5, 50.5), (70.5, 50.5)  # short of the edge: no edge
    widths = rng.uniform(1, 9, 40)
    many = ed.measure_calipers(image, starts, ends, widths, polarity=ed.EdgePolarity.FALLING)
    assert np.array_equal(many.points, ed.measure_calipers(
        image, np.c_[starts, ends], None, widths, polarity=ed.EdgePolarity.FALLING).points,
        equal_nan=True)
    for k in range(40):
        one = ed.LineCaliper(starts[k], ends[k], widths[k]).measure_edges(
            image, polarity=ed.EdgePolarity.FALLING)
        assert many.status[k] == int(one.status) and many.found[k] == bool(one)
        got = [many.x[k], many.y[k], many.position[k], many.amplitude[k], many.score[k],
               many.sigma[k]]
        expected = [[e.x, e.y, e.position, e.amplitude, e.score, e.sigma] for e in one]
        assert got == (expected[0] if one else [pytest.approx(np.nan, nan_ok=True)] * 6), k
    assert not many.found[:4].any() and many.found[4:].all()


def test_empty_results_say_why():
    image = edge_scene(noise=0)
    outside = ed.LineCaliper((400.5, 10.5), (460.5, 10.5)).measure_edges(image)
    partly = ed.ArcCaliper((10.0, 10.0), 30.0, width=3).measure_edges(image)
    flat = ed.LineCaliper((10.5, 10.5), (60.5, 10.5)).measure_pairs(image)
    for result, status in [(outside, ed.CaliperStatus.OUTSIDE_IMAGE),
                           (partly, ed.CaliperStatus.PARTLY_OUTSIDE_IMAGE),
                           (flat, ed.CaliperStatus.NO_EDGE)]:
        assert not result and len(result) == 0 and result.status == status
        assert result.status_text in repr(result) and str(status) in repr(result)
    profile = ed.LineCaliper((400.5, 10.5), (430.5, 10.5)).profile(image)
    assert profile.status == ed.CaliperStatus.OUTSIDE_IMAGE and profile.outside.all()


LINE = ed.LineCaliper((90.5, 60.5), (150.5, 60.5))
SEGMENTS = np.array([[90.5, 60.5, 150.5, 60.5]] * 3)


@pytest.mark.parametrize("call, error, message", [
    (lambda: ed.LineCaliper((1.0, np.nan), (9.0, 1.0)), ValueError, "finite"),
    (lambda: ed.LineCaliper((1.0, 1.0), (1.0, 1.0)), ValueError, "apart"),
    (lambda: ed.LineCaliper((1.0, 1.0), (9.0, 1.0), width=-2), ValueError, "width"),
    (lambda: ed.ArcCaliper((50.0, 50.0), 20.0, 0.0, 0.0), ValueError, "sweep"),
    (lambda: ed.ArcCaliper((50.0, 50.0), 0.0), ValueError, "radius"),
    (lambda: ed.EdgeSettings(sigma=0), ValueError, "sigma"),
    (lambda: ed.EdgeSettings(threshold=np.nan), ValueError, "threshold"),
    (lambda: ed.EdgeSettings(n=0), ValueError, "n counts"),
    (lambda: setattr(ed.PairSettings(max_width=5), "min_width", 6), ValueError, "width range"),
    (lambda: LINE.measure_pairs(edge_scene(), blur=-1.0), ValueError, "blur"),
    (lambda: LINE.measure_edges(edge_scene(), sigma=20), ValueError, "too large"),
    (lambda: LINE.measure_edges(edge_scene(), polarity=1), TypeError, ""),
    (lambda: LINE.measure_edges(edge_scene().astype(float)), TypeError, "astype"),
    (lambda: ed.measure_calipers(edge_scene(), SEGMENTS[:0]), ValueError, "no caliper"),
    (lambda: ed.measure_calipers(edge_scene(), SEGMENTS[:, :3]), ValueError, "(n, 4)"),
    (lambda: ed.measure_calipers(edge_scene(), SEGMENTS[:, :2], SEGMENTS[:2, 2:]), ValueError,
     "as many rows"),
    (lambda: ed.measure_calipers(edge_scene(), SEGMENTS + [0, 0, 0, np.inf]), ValueError,
     "caliper 0: end y"),
    (lambda: ed.measure_calipers(edge_scene(), SEGMENTS, None, [1, 2, -3]), ValueError,
     "caliper 2: width"),
    (lambda: ed.measure_calipers(edge_scene(), SEGMENTS, None, [1, 2]), ValueError, "one per"),
    (lambda: ed.measure_calipers(edge_scene(), SEGMENTS.astype(str)), TypeError, "numbers"),
    (lambda: ed.measure_calipers(edge_scene(), SEGMENTS, selection=ed.Selection.ALL),
     ValueError, "one edge per caliper"),
])
def test_bad_input_raises_with_a_clear_message(call, error, message):
    with pytest.raises(error, match=None) as raised:
        call()
    assert message in str(raised.value)
