# Images from NumPy arrays: used in place (no copy), kept alive, and wrong arrays refused with a
# message that says how to convert.
import gc

import numpy as np
import pytest

import edgedetection as ed
from conftest import DARK, step_scene


def first_edge(image, y=10.5):
    line = ed.LinePath((0.5, y), (150.5, y))
    line.set_band(0, 100)
    edge = line.find_next(image)
    return edge, line.refine(image, edge)


def test_crop_is_measured_in_place_like_its_copy():
    parent = step_scene(edge_x=120)
    crop = parent[30:90, 50:260]
    assert not crop.flags.c_contiguous
    image = ed.Image(crop)
    assert image.array is crop
    found, refined = first_edge(image)
    assert found.index == 70 and found.x == 70.5
    assert repr((found, refined)) == repr(first_edge(np.ascontiguousarray(crop)))
    # The image reads the parent's buffer: a change there is seen by the next measurement.
    parent[:, 110:120] = DARK
    assert first_edge(image)[0].index == 60


def test_image_keeps_its_array_alive():
    image = ed.Image(step_scene(edge_x=120)[5:50, 10:200])
    gc.collect()
    assert first_edge(image)[0].index == 110


def test_read_only_array_is_measured():
    array = step_scene()
    array.setflags(write=False)
    assert first_edge(array)[0].index == 120


BASE = step_scene()


@pytest.mark.parametrize(
    "array, error, hint",
    [
        (np.zeros((20, 20, 3), np.uint8), ValueError, "cv2.cvtColor"),
        (np.zeros((20, 20)), TypeError, "astype(np.uint8)"),
        (np.zeros((20, 20), ">u2"), TypeError, "byte order"),
        (np.zeros((20, 41), np.uint8)[:, :40].view(np.uint16), ValueError, "whole number of pixels"),
        (np.frombuffer(bytes(801), np.uint16, 400, 1).reshape(20, 20), ValueError, "whole pixel"),
        (np.zeros((20, 20), np.int32), TypeError, "astype(np.uint8)"),
        (np.zeros((20, 20), bool), TypeError, "mask"),
        (np.zeros(20, np.uint8), ValueError, "2-D"),
        (np.zeros((2, 20, 20), np.uint8), ValueError, "2-D"),
        (BASE[:, ::2], ValueError, "np.ascontiguousarray"),
        (BASE.T, ValueError, "np.ascontiguousarray"),
        (BASE[::-1], ValueError, "np.ascontiguousarray"),
        (np.zeros((0, 20), np.uint8), ValueError, "non-empty"),
        ([[1, 2], [3, 4]], TypeError, "np.asarray"),
        (None, TypeError, "NoneType"),
    ],
    ids=["colour", "float", "uint16-swapped", "uint16-odd-stride", "uint16-odd-start", "int32",
         "bool", "1-D", "3-D", "column-step", "transposed", "flipped", "empty", "list", "None"],
)
def test_wrong_arrays_are_refused_with_a_conversion_hint(array, error, hint):
    with pytest.raises(error, match=None) as raised:
        ed.Image(array)
    assert hint in str(raised.value)
    # A measuring call that takes the array itself says the same.
    with pytest.raises(error):
        ed.LinePath((0.5, 0.5), (10.5, 0.5)).find_next(array)


def test_paths_refuse_16_bit_images_naming_the_calls_that_take_them():
    image = ed.Image(np.zeros((20, 20), np.uint16)[2:, 3:])
    assert image.bits == 16
    with pytest.raises(TypeError, match="calipers"):
        ed.LinePath((0.5, 0.5), (10.5, 0.5)).find_next(image)
