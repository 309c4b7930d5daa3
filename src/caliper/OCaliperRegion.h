#pragma once
// OCaliperLine and OCaliperArc: the regions a caliper measures, as plain values.
//
// Coordinates are in pixels as doubles: pixel i covers [i, i + 1), its centre is i + 0.5, x to
// the right, y downwards. Angles are in radians, 0 along +x; a positive angle or sweep turns from
// +x towards +y, which is clockwise on screen because y grows downwards.
//
// A line caliper is a rotated rectangle: its axis runs from (startX, startY) to (endX, endY), and
// it reaches width / 2 to either side of the axis. The profile is sampled along the axis every
// `step` pixels from the start (the last sample at or before the end), each sample the mean of
// ceil(width) lines parallel to the axis, spread evenly over the width (at most 1 pixel apart).
// "Rising" means dark to bright in the direction from start to end.
//
// An arc caliper is a sector of a ring: around (centerX, centerY), `width` pixels wide across the
// circle of `radius`. The profile runs along the arc from `startAngle` through `sweep` (negative:
// counter-clockwise on screen), sampled every `step` pixels of arc length on the circle of
// `radius`, each sample the mean of ceil(width) points spread over the radial width. Positions
// along an arc are arc lengths on that circle from the start.
//
// A region is checked when it is measured: coordinates that are not finite, a zero length or
// sweep, a width or step that is not positive, or more samples than a caliper takes give
// OCaliperStatus::BadRegion (see OCaliper.h).
//
//   OCaliperLine line{10.5, 40.5, 74.5, 40.5, 9.0};         // 64 px long, 9 px wide
//   OCaliperArc arc{320.0, 240.0, 100.0, 0.0, 3.14159, 5.0}; // lower half circle, 5 px wide

struct OCaliperLine {
    double startX = 0.0;
    double startY = 0.0;
    double endX = 0.0;
    double endY = 0.0;
    double width = 1.0;  // pixels across the axis
    double step = 1.0;   // pixels between samples along the axis
};

struct OCaliperArc {
    double centerX = 0.0;
    double centerY = 0.0;
    double radius = 0.0;
    double startAngle = 0.0;  // radians, 0 along +x, positive towards +y
    double sweep = 0.0;       // radians, signed
    double width = 1.0;       // pixels across the arc (radially)
    double step = 1.0;        // pixels of arc length between samples
};
