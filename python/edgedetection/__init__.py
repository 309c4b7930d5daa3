"""Edge measurement along lines and circular arcs over grey images.

Lay a path over a grey image (a 2-D uint8 NumPy array, used in place), choose which grey values
count as "in threshold", and search the path for the transitions between in and out; refine
them to sub-pixel precision and fit circles and lines to the points. Precision calipers
(LineCaliper, ArcCaliper, measure_calipers) measure edges and edge pairs with their
uncertainties on 8- and 16-bit images (uint16 arrays); the metrology tools (find_circle,
find_line, measure_width) lay rakes of them and fit a circle, a line or a width with its 1-sigma
uncertainties. Coordinates are pixels as floats (pixel i covers [i, i + 1), its centre is
i + 0.5; y grows downwards).

Errors: invalid arguments raise TypeError or ValueError (IndexError for a path index outside the
path); a measurement that runs on valid input and finds nothing returns None, or for calipers and
the metrology tools a false result whose status says why.

See docs/PYTHON.md for the whole API.
"""

from ._core import (
    NO_VALUE,
    ArcCaliper,
    CaliperArrays,
    CaliperEdge,
    CaliperPair,
    CaliperProfile,
    CaliperStatus,
    CircleFit,
    CirclePath,
    CirclePathFloat,
    CircleResult,
    CircleSearch,
    Deviation,
    Edge,
    EdgePair,
    EdgePolarity,
    EdgeResult,
    EdgeSettings,
    Filter,
    Image,
    LineCaliper,
    LineFit,
    LinePath,
    LineRefit,
    LineResult,
    LineSearch,
    MetrologyCaliper,
    MetrologyPairCaliper,
    MetrologyStatus,
    PairResult,
    PairSelection,
    PairSettings,
    Path,
    Polarity,
    Selection,
    SubpixelEdge,
    WidthResult,
    canny,
    find_circle,
    find_line,
    fit_circle,
    fit_line,
    measure_calipers,
    measure_width,
    path_from_bytes,
)

__all__ = [
    "NO_VALUE",
    "ArcCaliper",
    "CaliperArrays",
    "CaliperEdge",
    "CaliperPair",
    "CaliperProfile",
    "CaliperStatus",
    "CircleFit",
    "CirclePath",
    "CirclePathFloat",
    "CircleResult",
    "CircleSearch",
    "Deviation",
    "Edge",
    "EdgePair",
    "EdgePolarity",
    "EdgeResult",
    "EdgeSettings",
    "Filter",
    "Image",
    "LineCaliper",
    "LineFit",
    "LinePath",
    "LineRefit",
    "LineResult",
    "LineSearch",
    "MetrologyCaliper",
    "MetrologyPairCaliper",
    "MetrologyStatus",
    "PairResult",
    "PairSelection",
    "PairSettings",
    "Path",
    "Polarity",
    "Selection",
    "SubpixelEdge",
    "WidthResult",
    "canny",
    "find_circle",
    "find_line",
    "fit_circle",
    "fit_line",
    "measure_calipers",
    "measure_width",
    "path_from_bytes",
]
