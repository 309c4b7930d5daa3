"""Edge measurement along lines and circular arcs over grey images.

Lay a path over a grey image (a 2-D uint8 NumPy array, used in place), choose which grey values
count as "in threshold", and search the path for the transitions between in and out; refine
them to sub-pixel precision and fit circles and lines to the points. Coordinates are pixels as
floats (pixel i covers [i, i + 1), its centre is i + 0.5; y grows downwards).

Errors: invalid arguments raise TypeError or ValueError (IndexError for a path index outside the
path); a measurement that runs on valid input and finds nothing returns None.

See docs/PYTHON.md for the whole API.
"""

from ._core import (
    NO_VALUE,
    CircleFit,
    CirclePath,
    CirclePathFloat,
    Deviation,
    Edge,
    EdgePair,
    Filter,
    Image,
    LineFit,
    LinePath,
    Path,
    Polarity,
    SubpixelEdge,
    canny,
    fit_circle,
    fit_line,
    path_from_bytes,
)

__all__ = [
    "NO_VALUE",
    "CircleFit",
    "CirclePath",
    "CirclePathFloat",
    "Deviation",
    "Edge",
    "EdgePair",
    "Filter",
    "Image",
    "LineFit",
    "LinePath",
    "Path",
    "Polarity",
    "SubpixelEdge",
    "canny",
    "fit_circle",
    "fit_line",
    "path_from_bytes",
]
