// Measures the demo plate of `edgemeasure demo` from C#, end to end, with the metrology tools:
// the bored hole (find circle: 36 calipers across its rim), the slot (measure width: one wide pair
// caliper across it) and the tilted right-hand edge (find line: 25 calipers across it, the burr
// rejected by DETSAC). It lays the same calipers with the same settings as the demo's job and
// prints the same table: each figure with its 1-sigma uncertainty, against the true dimensions of
// the synthetic plate.
//
//   edgemeasure demo demo-out                       # renders demo-out/demo-image.png
//   mono MeasureDemo.exe demo-out/demo-image.png
//
// The image is read as a grey PNG (GreyPng.cs); any 8-bit grey pixels in a byte[] would do.

using System;
using NativeInterface.Trevask.Foundation.EdgeDetection;

static class MeasureDemo {
    // The synthetic plate's true dimensions (pixels; pixel i covers [i, i + 1)).
    const double HoleX = 210.35, HoleY = 225.80, HoleRadius = 72.60;
    const double SlotLeft = 372.25, SlotRight = 408.875;
    const double EdgeX = 520.30, EdgeY = 240.0, EdgeTiltDeg = 3.0;
    const double DegreesPerRadian = 360.0 / (2.0 * Math.PI);

    // The demo job lays its calipers through pixel centres, about nominal positions in whole
    // pixels; the tools' defaults (calipers 40 x 5 px, 36 around a circle, the fits' settings)
    // are the job's.
    static FindCircleResult Hole(OType_Image image) {
        var hole = new FindCircleSettings { CenterX = 210.5, CenterY = 225.5, Radius = 73 };
        hole.Edge.Polarity = CaliperPolarity.Rising;  // from the dark hole out to the plate
        return Metrology.FindCircle(image, hole);
    }

    // One caliper across the slot's middle, 41 px wide (the slot is far longer), into the dark
    // slot and out of it again.
    static MeasureWidthResult Slot(OType_Image image) {
        var slot = new MeasureWidthSettings { StartX = 342.5, StartY = 240.5, EndX = 439.5,
                                              EndY = 240.5, CaliperWidth = 41 };
        slot.Pair.FirstPolarity = CaliperPolarity.Falling;
        slot.Pair.SecondPolarity = CaliperPolarity.Rising;
        return Metrology.MeasureWidth(image, slot);
    }

    // 25 calipers 16 px apart down the edge, each 110 px long from the plate out to the
    // background: running to the right of a segment that runs down the image.
    static FindLineResult Edge(OType_Image image) {
        var edge = new FindLineSettings { StartX = 525.5, StartY = 40.5, EndX = 525.5,
                                          EndY = 424.5, CaliperLength = 110,
                                          Search = LineSearch.RightToLeft };
        edge.Edge.Polarity = CaliperPolarity.Falling;
        return Metrology.FindLine(image, edge);
    }

    static string Signed(double value) {
        return (value < 0.0 ? "-" : "+") + Math.Abs(value).ToString("0.0000");
    }

    static void Row(string quantity, string unit, double truth, bool ok, double measured,
                    double sigma) {
        string label = quantity + " (" + unit + ")";
        string figure = ok ? measured.ToString("0.0000") + " +- " + sigma.ToString("0.0000")
                           : "failed";
        Console.WriteLine("  {0,-26} {1,10:F4} {2,22} {3,9}", label, truth, figure,
                          ok ? Signed(measured - truth) : "failed");
    }

    static int Main(string[] args) {
        if (args.Length != 1) {
            Console.Error.WriteLine("usage: mono MeasureDemo.exe demo-image.png");
            return 2;
        }
        GreyPng png = GreyPng.Read(args[0]);
        using (var image = new OType_Image(png.Width, png.Height, png.Pixels8())) {
            FindCircleResult hole = Hole(image);
            MeasureWidthResult slot = Slot(image);
            FindLineResult edge = Edge(image);

            Console.WriteLine("The demo plate measured from C#: {0} x {1} pixels\n", png.Width,
                              png.Height);
            Console.WriteLine("  {0,-26} {1,10} {2,22} {3,9}", "quantity", "true",
                              "calipers +- 1 sigma", "error");
            Row("hole centre x", "px", HoleX, hole.Ok, hole.CenterX, hole.CenterXSigma);
            Row("hole centre y", "px", HoleY, hole.Ok, hole.CenterY, hole.CenterYSigma);
            Row("hole radius", "px", HoleRadius, hole.Ok, hole.Radius, hole.RadiusSigma);
            // One caliper: its pair's own uncertainty, as edgemeasure reports a pair (the width
            // tool's WidthSigma adds 0.001 px in quadrature for the edge model's own limits).
            double slotSigma = slot.Ok ? slot.Calipers[0].Pair.WidthSigma : 0.0;
            Row("slot width", "px", SlotRight - SlotLeft, slot.Ok, slot.Width, slotSigma);

            // A line's direction is defined modulo pi: folded to the true angle's side. The edge
            // runs along (tan t, 1), down the image and leaning right.
            double trueAngle = Math.Atan2(1.0, Math.Tan(EdgeTiltDeg / DegreesPerRadian));
            double difference = (edge.Angle - trueAngle) % Math.PI;
            difference = difference > Math.PI / 2 ? difference - Math.PI
                       : difference <= -Math.PI / 2 ? difference + Math.PI : difference;
            Row("edge angle", "deg", trueAngle * DegreesPerRadian, edge.Ok,
                (trueAngle + difference) * DegreesPerRadian, edge.AngleSigma * DegreesPerRadian);
            // Where the fitted line crosses the height of the true edge's reference point; its
            // uncertainty across the line there, along x.
            double sin = Math.Sin(edge.Angle), cos = Math.Cos(edge.Angle);
            double crossing = edge.PointX + (EdgeY - edge.PointY) * cos / sin;
            Row("edge x at y = " + EdgeY, "px", EdgeX, edge.Ok, crossing,
                edge.OffsetSigmaAt(crossing, EdgeY) / Math.Abs(sin));

            Console.WriteLine();
            Console.WriteLine("  hole: {0} of {1} calipers kept, {2} rejected; rms {3:F4} px",
                              hole.KeptCount, hole.Calipers.Length, hole.RejectedCount, hole.Rms);
            Console.WriteLine("  edge: {0} of {1} calipers kept, {2} rejected (the burr)",
                              edge.KeptCount, edge.Calipers.Length, edge.RejectedCount);
            foreach (MetrologyResult failed in new MetrologyResult[] { hole, slot, edge }) {
                if (!failed.Ok) {
                    Console.WriteLine("  failed: " + failed.StatusText);
                }
            }
            return hole.Ok && slot.Ok && edge.Ok ? 0 : 1;
        }
    }
}
