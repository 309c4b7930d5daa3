// Measures the demo plate of `edgemeasure demo` from C#, end to end: the bored hole (a circle
// fitted to edges on radial lines), the slot (an edge pair on one line) and the tilted right-hand
// edge (a line fitted to edges on parallel lines, the burr rejected by DETSAC). It lays the same
// paths with the same settings as the demo's measurements by the path search and prints their
// table, measured against the true dimensions of the synthetic plate: its errors are the demo's
// "path error" column.
//
//   edgemeasure demo demo-out                       # renders demo-out/demo-image.png
//   mono MeasureDemo.exe demo-out/demo-image.png
//
// The image is read as a grey PNG (GreyPng.cs); any 8-bit grey pixels in a byte[] would do.

using System;
using System.Collections.Generic;
using NativeInterface.Trevask.Foundation.EdgeDetection;

static class MeasureDemo {
    // The synthetic plate's true dimensions (pixels; pixel i covers [i, i + 1)).
    const double HoleX = 210.35, HoleY = 225.80, HoleRadius = 72.60;
    const double SlotLeft = 372.25, SlotRight = 408.875;
    const double EdgeX = 520.30, EdgeY = 240.0, EdgeTiltDeg = 3.0;

    // The demo job: in threshold is grey 0..114, halfway between the dark hole and slot (40) and
    // the plate (178..196). Paths start at pixel centres.
    const int BandLow = 0, BandHigh = 114;
    const double DegreesPerRadian = 360.0 / (2.0 * Math.PI);

    static double Radians(double degrees) {
        return degrees / (360.0 / (2.0 * Math.PI));
    }

    // An edge found on a path, refined where the refinement succeeds.
    static PointD? FirstEdge(OType_Image image, double x0, double y0, double x1, double y1,
                             TransitionPolarity polarity) {
        using (var path = new OVectorPath_Line(new OVector(x0, y0), new OVector(x1, y1))) {
            path.SetBand(BandLow, BandHigh);
            PathEdge? edge = path.FindNext(image, polarity);
            if (!edge.HasValue) {
                return null;
            }
            PathEdge best = path.Refine(image, edge.Value.Index) ?? edge.Value;
            return new PointD(best.X, best.Y);
        }
    }

    // 36 radial lines from 29 to 110 pixels around the hole's nominal centre, each from the dark
    // hole out to the plate; a circle through their edges, outliers dropped by the
    // standard-deviation filter.
    static CircleFitResult Hole(OType_Image image) {
        const double X = 210.5, Y = 225.5, Inner = 29, Outer = 110;
        const int Lines = 36;
        var edges = new List<PointD>();
        for (int k = 0; k < Lines; k++) {
            double angle = Radians(k * (360.0 / Lines)), c = Math.Cos(angle), s = Math.Sin(angle);
            PointD? edge = FirstEdge(image, X + Inner * c, Y + Inner * s, X + Outer * c,
                                     Y + Outer * s, TransitionPolarity.Leaving);
            if (edge.HasValue) {
                edges.Add(edge.Value);
            }
        }
        return CircleFit.Fit(edges.ToArray(), new CircleFitParameters {
            Mode = CircleFitMode.Checked, Filter = CircleFitFilter.StdDev, FilterPasses = 5,
            SigmaFactor = 2.0 });
    }

    // One line across the slot: its first edge enters the dark slot, the second leaves it.
    static double? SlotWidth(OType_Image image) {
        using (var path = new OVectorPath_Line(new OVector(342.5, 240.5),
                                               new OVector(439.5, 240.5))) {
            path.SetBand(BandLow, BandHigh);
            const int DistinctEdges = 1;  // the second edge at least a step after the first
            PathEdgePair? pair = path.FindPair(
                image, new PairEdgeSearch(1, TransitionPolarity.Entering),
                new PairEdgeSearch(1, TransitionPolarity.Leaving, 0, DistinctEdges));
            if (!pair.HasValue || pair.Value.First.Index == pair.Value.Second.Index) {
                return null;
            }
            PathEdge? first = path.Refine(image, pair.Value.First.Index);
            PathEdge? second = path.Refine(image, pair.Value.Second.Index);
            PathEdge p = first.HasValue && second.HasValue ? first.Value : pair.Value.First;
            PathEdge q = first.HasValue && second.HasValue ? second.Value : pair.Value.Second;
            return Math.Sqrt((q.X - p.X) * (q.X - p.X) + (q.Y - p.Y) * (q.Y - p.Y));
        }
    }

    // 25 horizontal lines 16 pixels apart, from the plate out to the background; a line through
    // their edges, the burr's edges rejected by DETSAC.
    static RegressionResult Edge(OType_Image image) {
        const double From = 470.5, To = 580.5, Top = 40.5, Spacing = 16;
        const int Lines = 25;
        var edges = new List<PointD>();
        for (int k = 0; k < Lines; k++) {
            PointD? edge = FirstEdge(image, From, Top + k * Spacing, To, Top + k * Spacing,
                                     TransitionPolarity.Entering);
            if (edge.HasValue) {
                edges.Add(edge.Value);
            }
        }
        return LineRegression.Fit(edges.ToArray(), new RegressionParameters {
            Mode = RegressionMode.QualityFigures, Filter = RegressionFilter.DETSAC,
            InlierDistance = 2, SearchLevel = 4 });
    }

    static void Row(string quantity, string unit, double truth, double? measured) {
        string label = quantity + " (" + unit + ")";
        if (measured.HasValue) {
            string error = (measured.Value - truth).ToString("+0.0000;-0.0000");
            Console.WriteLine("  {0,-26} {1,10:F4} {2,10:F4} {3,9}", label, truth, measured.Value,
                              error);
        } else {
            Console.WriteLine("  {0,-26} {1,10:F4} {2,10}", label, truth, "failed");
        }
    }

    static int Main(string[] args) {
        if (args.Length != 1) {
            Console.Error.WriteLine("usage: mono MeasureDemo.exe demo-image.png");
            return 2;
        }
        GreyPng png = GreyPng.Read(args[0]);
        using (var image = new OType_Image(png.Width, png.Height, png.Pixels8())) {
            CircleFitResult hole = Hole(image);
            double? slot = SlotWidth(image);
            RegressionResult edge = Edge(image);

            Console.WriteLine("The demo plate measured from C#: {0} x {1} pixels\n", png.Width,
                              png.Height);
            Console.WriteLine("  {0,-26} {1,10} {2,10} {3,9}", "quantity", "true", "measured",
                              "error");
            Row("hole centre x", "px", HoleX, hole.Ok ? hole.Circle.CenterX : (double?)null);
            Row("hole centre y", "px", HoleY, hole.Ok ? hole.Circle.CenterY : (double?)null);
            Row("hole radius", "px", HoleRadius, hole.Ok ? hole.Circle.Radius : (double?)null);
            Row("slot width", "px", SlotRight - SlotLeft, slot);

            // The line's direction is defined modulo pi: folded to the true angle's side. The
            // edge runs along (tan t, 1), down the image and leaning right.
            double trueAngle = Math.Atan2(1.0, Math.Tan(Radians(EdgeTiltDeg)));
            double angle = edge.Angle % Math.PI;
            angle = angle < 0.0 ? angle + Math.PI : angle;
            double difference = (angle - trueAngle) % Math.PI;
            difference = difference > Math.PI / 2 ? difference - Math.PI
                       : difference <= -Math.PI / 2 ? difference + Math.PI : difference;
            Row("edge angle", "deg", trueAngle * DegreesPerRadian,
                edge.Ok ? (trueAngle + difference) * DegreesPerRadian : (double?)null);
            // Where the fitted line crosses the height of the true edge's reference point.
            double trueX = EdgeX + (EdgeY - EdgeY) * Math.Tan(Radians(EdgeTiltDeg));
            double crossing = edge.Centre.X + (EdgeY - edge.Centre.Y) * Math.Cos(angle) /
                              Math.Sin(angle);
            Row("edge x at y = " + EdgeY, "px", trueX, edge.Ok ? crossing : (double?)null);
            return hole.Ok && slot.HasValue && edge.Ok ? 0 : 1;
        }
    }
}
