# Synthetic scenes of known truth shared by the Python suites.
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


@pytest.fixture
def step():
    return step_scene()


@pytest.fixture
def disc():
    return disc_scene()
