# Measurements on scenes of known truth, the None rule for "found nothing", path records, and bad
# input raising Python exceptions.
import ast
import math
import pathlib

import numpy as np
import pytest

import edgedetection as ed
from conftest import DARK, step_scene

NAN = float("nan")


def band_line(y=40.5):
    line = ed.LinePath((20.5, y), (190.5, y))
    line.set_band(0, 100)
    return line


def test_line_searches_by_polarity_ordinal_and_pair():
    image = step_scene(edge_x=120)
    image[:, 160:] = 200  # a dark stripe over columns 120..159
    line = band_line()
    assert line.find_next(image, polarity=ed.Polarity.LEAVING).point == (159.5, 40.5)
    assert line.find_next(image) is None and line.position == line.count
    line.reset()
    assert [e.index for e in line.find_all(image)] == [100, 139]
    line.reset()
    assert line.find_nth(image, 2).index == 139
    line.reset()
    pair = line.find_pair(image, first_polarity=ed.Polarity.ENTERING,
                          second_polarity=ed.Polarity.LEAVING)
    assert (pair.first.x, pair.second.x, pair.distance) == (120.5, 159.5, 39.0)
    assert pair.first.angle is None
    line.reset()
    assert line.find_next(image, min_distance=120).index == 139
    line.reset()
    assert line.find_next(image, min_distance=140) is None


def test_path_geometry_and_transition_setup():
    line = ed.LinePath((0.5, 0.5), (3.5, 4.5))  # a 3-4-5 line: 5 steps
    assert line.count == 5 and line.points().shape == (5, 2)
    # Steps are the raw difference divided by the count, truncated: 1/65536 px short at most.
    assert line.point_at(2.5) == pytest.approx((2.0, 2.5), abs=1e-4) and line.angle_at(1) == 0.0
    assert line.points(raster=True).shape[0] == 5 and line.position == -1
    line.move_to(2)
    assert line.position == 2 and line.current_point == tuple(line.points()[2])
    line.set_deviation(-30, 10, depth=4, signed=True)
    assert line.transition == (2, 10, -30, 4)
    line.set_deviation(30, 10)
    assert line.transition == (1, 10, 30, 2) and not line.in_threshold(5)
    arc = ed.CirclePath((10.0, 10.0), 5.0, 90.0, 180.0)
    assert arc.point_at(0) == pytest.approx((10.0, 15.0), abs=1e-4)
    assert arc.angle_at(0) == pytest.approx(math.pi / 2)
    assert list(arc.profile(np.zeros((20, 20), np.uint8))) == [0] * arc.count
    assert arc.profile(np.zeros((12, 12), np.uint8))[0] == ed.NO_VALUE


def test_circle_from_refined_radial_edges(disc):
    edges = []
    for k in range(24):
        a = 2 * math.pi * k / 24
        ray = ed.LinePath((160 + 30 * math.cos(a), 120 + 30 * math.sin(a)),
                          (160 + 70 * math.cos(a), 120 + 70 * math.sin(a)))
        ray.set_band(0, 100)
        edge = ray.find_next(disc, polarity=ed.Polarity.LEAVING)
        edges.append(ray.refine(disc, edge).point)
    fit = ed.fit_circle(np.array(edges))
    # The disc's outline is quantised to whole pixels, so its edge points scatter by up to a
    # quarter pixel around the true circle.
    assert fit.center == pytest.approx((160.0, 120.0), abs=0.25)
    assert fit.radius == pytest.approx(50.0, abs=0.6)
    assert fit.inliers.shape[0] + fit.outliers.shape[0] == 24
    gaps = np.hypot(*(np.array(edges) - fit.center).T) - fit.radius
    assert fit.max_deviation.distance == pytest.approx(np.abs(gaps).max(), abs=1e-9)
    assert fit.max_outer_deviation.distance == pytest.approx(gaps.max(), abs=1e-9)


def test_circle_path_reports_angles(disc):
    arc = ed.CirclePath((160.0, 120.0), 50.5, start_angle=-90.0, sweep=180.0)
    arc.set_canny(disc, 20)
    edges = arc.find_all(disc)
    assert edges and all(-math.pi / 2 <= e.angle <= math.pi / 2 + 0.05 for e in edges)


def test_line_fit_drops_outliers():
    xs = np.arange(10.0, 60.0)
    points = np.c_[xs, 0.5 * xs + 20.0]
    points[[5, 30]] += (0.0, 15.0)
    fit = ed.fit_line(points)
    assert fit.angle == pytest.approx(math.atan(0.5), abs=1e-9)
    assert len(fit.outliers) == 2 and len(fit.inliers) == 48
    # Quality figures are taken over all input points: the farthest is an outlier, 15 px above
    # a line of slope 1/2.
    assert fit.farthest.distance == pytest.approx(15 / math.sqrt(1.25), abs=1e-4)
    plain = ed.fit_line(points, mode=1, filter=ed.Filter.NONE)
    assert plain.farthest is None and len(plain.outliers) == 0


def test_canny_marks_the_dark_side_and_the_peak():
    result = ed.canny(np.r_[np.zeros(8, int), np.full(8, 200)], 10)
    assert result.dtype == np.int32 and len(result) == 16
    peak = int(np.argmax(result))
    assert set(result[:peak]) == {1} and set(result[peak + 1:]) == {0} and result[peak] > 10
    magnitudes = ed.canny(np.r_[np.zeros(8, int), np.full(8, 200)], 10, keep_magnitudes=True)
    assert magnitudes.max() == result[peak] and len(set(magnitudes)) > 3
    gap = ed.canny(np.r_[[ed.NO_VALUE] * 3, np.full(5, 90)], 10)
    assert list(gap) == [0] * 8


@pytest.mark.parametrize("path", [
    ed.LinePath((1.25, 2.5), (80.75, 9.0)),
    ed.CirclePath((50.0, 60.0), 20.0, 30.0, 270.0),
    ed.CirclePathFloat((50.0, 60.0), 20.0, 30.0, -90.0),
], ids=["line", "circle", "float-circle"])
def test_records_round_trip(path):
    data = path.to_bytes()
    copy = ed.path_from_bytes(data)
    assert type(copy) is type(path) and repr(copy) == repr(path) and copy.to_bytes() == data
    assert type(path).from_bytes(data).count == path.count
    for damaged in (data[:-1], data + b"\0", data[:6]):
        with pytest.raises(ValueError):
            ed.path_from_bytes(damaged)


def test_a_record_of_another_class_is_refused():
    with pytest.raises(ValueError, match="CirclePathFloat"):
        ed.CirclePathFloat.from_bytes(ed.CirclePath((5.0, 5.0), 3.0).to_bytes())


POINTS = np.c_[np.cos(np.arange(8)), np.sin(np.arange(8))] * 10 + 50


@pytest.mark.parametrize("call, error", [
    (lambda: ed.LinePath((NAN, 0.0), (1.0, 1.0)), ValueError),
    (lambda: ed.LinePath((0.0,), (1.0, 1.0)), TypeError),
    (lambda: ed.CirclePath((5.0, 5.0), -1.0), ValueError),
    (lambda: ed.CirclePath((5.0, 5.0), 3.0, sweep=math.inf), ValueError),
    (lambda: ed.CirclePath((5.0, 5.0), 1e7), ValueError),
    (lambda: band_line().set_band(10, 5), ValueError),
    (lambda: band_line().set_band(0, 256), ValueError),
    (lambda: band_line().set_deviation(30, 10, depth=11), ValueError),
    (lambda: band_line().set_deviation(-30, 10), ValueError),
    (lambda: band_line().set_canny(step_scene(), 0), ValueError),
    (lambda: band_line().move_to(-1), IndexError),
    (lambda: band_line().point_at(170.5), IndexError),
    (lambda: band_line().find_nth(step_scene(), -1), ValueError),
    (lambda: band_line().find_next(step_scene(), polarity=1), TypeError),
    (lambda: ed.fit_circle(POINTS[:2]), ValueError),
    (lambda: ed.fit_circle(np.r_[POINTS, [[NAN, 1.0]]]), ValueError),
    (lambda: ed.fit_circle(POINTS, (50.0, 50.0, 0.0)), ValueError),
    (lambda: ed.fit_circle(POINTS, filter=ed.Filter.DETSAC), ValueError),
    (lambda: ed.fit_circle(np.c_[POINTS, POINTS[:, :1]]), ValueError),
    (lambda: ed.fit_circle(np.empty((0, 2))), ValueError),
    (lambda: ed.fit_circle([["a", "b"]] * 3), TypeError),
    (lambda: ed.fit_line(np.r_[POINTS, [[-1.0, 5.0]]]), ValueError),
    (lambda: ed.fit_line(POINTS, search_level=9), ValueError),
    (lambda: ed.fit_line(POINTS, sigma_factor=NAN), ValueError),
    (lambda: ed.canny(np.linspace(0, 1, 9), 10), TypeError),
    (lambda: ed.canny(np.array([], int), 10), ValueError),
    (lambda: ed.canny(np.zeros((3, 3), int), 10), ValueError),
    (lambda: ed.canny(np.array([2**40]), 10), ValueError),
    (lambda: ed.canny(np.zeros(9, int), 10, sigma_index=13), ValueError),
])
def test_bad_input_raises(call, error):
    with pytest.raises(error):
        call()


def test_found_nothing_is_none():
    flat = np.full((50, 50), 200, np.uint8)
    line = ed.LinePath((2.5, 10.5), (45.5, 10.5))
    assert line.find_next(flat) is None and line.find_all(flat) == []
    line.reset()
    assert line.find_pair(flat) is None and line.refine(flat, 20) is None
    assert line.refine(step_scene(), 1) is None  # within 3 steps of the start


def test_stub_names_the_modules_classes_and_members():
    stub = ast.parse((pathlib.Path(ed.__file__).parent / "__init__.pyi").read_text())
    classes = {n.name: n for n in stub.body if isinstance(n, ast.ClassDef)}
    bases = {name for name in classes if name.startswith("_")}  # the stub's own, for sharing
    functions = {n.name for n in stub.body if isinstance(n, ast.FunctionDef)}
    assert set(ed.__all__) == set(classes) - bases | functions | {"NO_VALUE"}

    def stubbed(name):
        node = classes[name]
        members = {m.name for m in node.body if isinstance(m, ast.FunctionDef)}
        members |= {m.target.id for m in node.body if isinstance(m, ast.AnnAssign)}
        for base in node.bases:
            members |= stubbed(base.id)
        return members

    for name in set(classes) - bases:
        public = {m for m in dir(getattr(ed, name)) if not m.startswith("_")}
        assert public == {m for m in stubbed(name) if not m.startswith("_")}, name
        members = getattr(ed, name).__dict__
        assert all(members[m].__doc__ for m in public - {"name", "value"} if m in members), name
    assert all(getattr(ed, f).__doc__ for f in functions)
