# Synthetic scenes of known truth shared by the Python suites.
import math

import numpy as np
import pytest

BRIGHT, DARK = 200, 40


def step_scene(edge_x=120, shape=(240, 320)):
    """Bright on the left, dark from column edge_x on."""
    image = np.full(shape, BRIGHT, np.uint8)
    image[:, edge_x:] = DARK
    return image


def disc_scene(center=(160.0, 120.0), radius=50.0, shape=(240, 320)):
    """A dark disc on bright ground: pixel (x, y) is dark when its centre lies inside."""
    ys, xs = np.mgrid[0 : shape[0], 0 : shape[1]]
    inside = np.hypot(xs + 0.5 - center[0], ys + 0.5 - center[1]) < radius
    return np.where(inside, DARK, BRIGHT).astype(np.uint8)


def blurred_scene(distance, shape=(240, 320), blur=1.0, noise=0.0, seed=1):
    """BRIGHT where distance(x, y) > 0 and DARK where it is below, blurred by a Gaussian of `blur`
    pixels across the boundary, sampled at pixel centres, with Gaussian noise of `noise` grey
    levels: `distance` is the signed distance from the boundary, given NumPy grids of x and y."""
    ys, xs = np.mgrid[0 : shape[0], 0 : shape[1]] + 0.5
    level = 0.5 + 0.5 * np.vectorize(math.erf)(distance(xs, ys) / (blur * math.sqrt(2)))
    grey = DARK + (BRIGHT - DARK) * level + np.random.default_rng(seed).normal(0, noise, shape)
    return np.clip(np.rint(grey), 0, 255).astype(np.uint8)


@pytest.fixture
def step():
    return step_scene()


@pytest.fixture
def disc():
    return disc_scene()
