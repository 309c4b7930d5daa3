# Several Python threads measuring one shared image (paths, calipers, metrology tools) give the
# answers of one thread; two threads sharing one path take turns instead of corrupting it.
from concurrent.futures import ThreadPoolExecutor

import numpy as np

import edgedetection as ed
from conftest import disc_scene


def measure_rows(image, rows):
    results = []
    for y in rows:
        line = ed.LinePath((0.5, y + 0.5), (319.5, y + 0.5))
        line.set_band(0, 100)
        edges = line.find_all(image)
        results.append([(e.index, line.refine(image, e)) for e in edges])
    return repr(results)


def test_threads_on_one_image_agree_with_one_thread():
    image = ed.Image(disc_scene())
    chunks = [range(k, 240, 4) for k in range(4)]
    alone = [measure_rows(image, rows) for rows in chunks]
    with ThreadPoolExecutor(4) as pool:
        together = list(pool.map(lambda rows: measure_rows(image, rows), chunks * 5))
    assert together == alone * 5


def test_threads_sharing_one_path_take_turns():
    image = disc_scene()
    arc = ed.CirclePath((160.0, 120.0), 50.0)
    arc.set_canny(image, 20)
    expected = len(arc.find_all(image))

    def walk(_):
        return [len(arc.find_all(image)) for _ in range(50)] + [arc.reset()]

    with ThreadPoolExecutor(2) as pool:
        counts = [c for run in pool.map(walk, range(4)) for c in run if c is not None]
    assert expected > 0 and set(counts) <= set(range(expected + 1))


def test_caliper_threads_on_one_image_agree_with_one_thread():
    image = ed.Image(disc_scene().astype(np.uint16) * 257)
    rows = np.c_[np.full(60, 90.5), 70.5 + np.arange(60) * 1.7]
    segments = np.c_[rows, rows + [140, 3]]

    def measure(k):
        calipers = ed.measure_calipers(image, segments[k::3], None, 5.0, threshold=2570.0)
        pairs = [ed.LineCaliper(s[:2], s[2:], 5.0).measure_pairs(
            image, first_polarity=ed.EdgePolarity.FALLING, second_polarity=ed.EdgePolarity.RISING)
            for s in segments[k::3]]
        return calipers.points.tobytes(), repr(pairs)

    alone = [measure(k) for k in range(3)]
    with ThreadPoolExecutor(3) as pool:
        assert list(pool.map(measure, list(range(3)) * 4)) == alone * 4


def test_metrology_threads_on_one_image_agree_with_one_thread():
    image = ed.Image(disc_scene())

    def measure(k):
        hole = ed.find_circle(image, (160.0, 120.0), 50.0, start_angle=k, calipers=24,
                              polarity=ed.EdgePolarity.RISING)
        gap = ed.measure_width(image, (100.5, 100.5 + k), (220.5, 100.5 + k), calipers=5,
                               first_polarity=ed.EdgePolarity.FALLING,
                               second_polarity=ed.EdgePolarity.RISING)
        return repr(hole), hole.points.tobytes(), repr(gap), gap.widths.tobytes()

    alone = [measure(k) for k in range(3)]
    with ThreadPoolExecutor(3) as pool:
        assert list(pool.map(measure, list(range(3)) * 4)) == alone * 4
