// The managed API under Mono against the real library: disposed proxies, native exceptions,
// arrays that do not fit their rows, and measurements of known truth through every converting
// layer (a swapped argument or out-parameter there shows up as a wrong figure). Prints
// "N passed, N failed".

using System;
using NativeInterface.Trevask.Foundation.EdgeDetection;

static class ManagedApi {
    const double Tolerance = 1e-9;  // figures the library computes exactly from exact input
    static int passed, failed;

    static void Check(bool condition, string what) {
        if (condition) {
            passed++;
            return;
        }
        failed++;
        Console.WriteLine("FAILED: " + what);
    }

    // Checks that `call` throws exactly `T`.
    static void Expect<T>(string what, Action call) where T : Exception {
        try {
            call();
            Check(false, what + ": no exception");
        } catch (Exception e) {
            Check(e.GetType() == typeof(T), what + ": " + e.GetType().Name + " " + e.Message);
        }
    }

    static void Disposal() {
        OVector point = new OVector(1, 2);
        OIntList list = new OIntList();
        OType_Image image = new OType_Image(4, 4);
        OType_Image16 image16 = new OType_Image16(4, 4);
        OVectorPath_Line line = new OVectorPath_Line(point, point);
        foreach (IDisposable proxy in new IDisposable[] { point, list, image, image16, line }) {
            proxy.Dispose();
            proxy.Dispose();  // a second Dispose does nothing
        }
        Expect<ObjectDisposedException>("OVector", () => point.dX());
        Expect<ObjectDisposedException>("OIntList", () => list.GetCount());
        Expect<ObjectDisposedException>("OType_Image", () => image.GetPixel_Grey(0, 0));
        Expect<ObjectDisposedException>("OType_Image16", () => { int width = image16.Width; });
        Expect<ObjectDisposedException>("a base method of a derived path", () => line.Reset());
        using (OVectorPath_Line live = new OVectorPath_Line(new OVector(0, 0), new OVector(9, 0))) {
            Expect<ObjectDisposedException>("a disposed argument", () => live.CurrentVector(point));
            Expect<ObjectDisposedException>("a disposed image", () => live.FindNext(image, 0));
        }
    }

    static void NativeExceptions() {
        using (OIntList list = new OIntList()) {
            list.Add(7);
            // Beyond the largest count of any collection: std::length_error.
            Expect<ArgumentOutOfRangeException>("a count no list holds",
                                                () => list.SetSize(long.MaxValue));
            // Beyond what the allocator can represent: std::bad_alloc, without allocating.
            Expect<OutOfMemoryException>("a count memory cannot hold",
                                         () => list.SetSize(1L << 61));
            Check(list.GetCount() == 1 && list.GetAt(0) == 7, "the list is intact afterwards");
        }
    }

    static void Arrays() {
        // Two rows of three pixels, four apart: the last row needs only its width.
        byte[] rows = { 1, 2, 3, 99, 4, 5, 6 };
        using (OType_Image image = new OType_Image(3, 2, rows, 4)) {
            Check(image.GetPixel_Grey(0, 1) == 4 && image.GetPixel_Grey(2, 1) == 6,
                  "rows read at their stride");
        }
        using (OType_Image16 image = new OType_Image16(3, 2, new ushort[] { 1, 2, 3, 4000, 5, 6 })) {
            Check(image.GetPixel_Grey(0, 1) == 4000, "16-bit rows without gaps");
        }
        Expect<ArgumentException>("one byte short", () => new OType_Image(3, 2, new byte[5]));
        Expect<ArgumentException>("one byte short at a stride",
                                  () => new OType_Image(3, 2, new byte[6], 4));
        Expect<ArgumentException>("16 bits, short", () => new OType_Image16(3, 2, new ushort[5]));
        Expect<ArgumentOutOfRangeException>("stride below width",
                                            () => new OType_Image(3, 2, new byte[6], 2));
        Expect<ArgumentNullException>("no array", () => new OType_Image16(1, 1, null));
    }

    // A bright band on a dark ground with sub-pixel borders, rendered by area coverage.
    const int Width = 120, Height = 60, Dark = 20, Bright = 220;
    const double BandLeft = 40.25, BandRight = 71.5;

    static double Coverage(int x) {
        return Math.Max(0.0, Math.Min(x + 1, BandRight) - Math.Max(x, BandLeft));
    }

    static void Measurements() {
        var pixels = new byte[Width * Height];
        var pixels16 = new ushort[Width * Height];
        for (int i = 0; i < pixels.Length; i++) {
            double grey = Dark + (Bright - Dark) * Coverage(i % Width);
            pixels[i] = (byte)Math.Round(grey);
            pixels16[i] = (ushort)Math.Round(grey * 16);  // a 12-bit camera
        }
        const double CaliperTolerance = 0.05, PathTolerance = 0.25;  // pixels
        using (OType_Image image = new OType_Image(Width, Height, pixels))
        using (OType_Image16 image16 = new OType_Image16(Width, Height, pixels16))
        using (OVectorPath_Line line = new OVectorPath_Line(new OVector(10.5, 20.5),
                                                            new OVector(100.5, 20.5))) {
            Check(line.SetBand(0, (Dark + Bright) / 2), "band");
            PathEdge? found = line.FindNext(image, TransitionPolarity.Leaving);
            PathEdge? fine = found.HasValue ? line.Refine(image, found.Value.Index) : null;
            Check(fine.HasValue && Math.Abs(fine.Value.X - BandLeft) < PathTolerance,
                  "path edge refined to the band's left border: " + fine);

            var across = new CaliperLine(10.5, 20.5, 100.5, 20.5, 5);
            var rising = new CaliperEdgeSettings { Polarity = CaliperPolarity.Rising };
            CaliperEdgeResult edge = Caliper.MeasureEdges(image, across, rising);
            Check(edge.Ok && Math.Abs(edge.Edges[0].X - BandLeft) < CaliperTolerance,
                  "caliper edge at the left border");
            var bar = Caliper.MeasurePairs(image16, across, new CaliperPairSettings());
            Check(bar.Ok && Math.Abs(bar.Pairs[0].Width - (BandRight - BandLeft)) < CaliperTolerance,
                  "16-bit pair: the band's width");
            // Half a turn around the band's middle, from the ground right of it through the band.
            var arc = new CaliperArc((BandLeft + BandRight) / 2, 20.5, 25.0, 0.0, Math.PI, 3);
            CaliperProfile profile = Caliper.SampleProfile(image, arc, 1.0);
            int middle = profile.Values.Length / 2;
            Check(profile.Status == CaliperStatus.Ok && profile.Values[0] == Dark &&
                  profile.Values[middle] == Bright && !profile.Outside[middle],
                  "arc profile: ground, band, ground");
            Check(Caliper.MeasureEdges(image, new CaliperLine(), rising).Status ==
                  CaliperStatus.BadRegion, "a zero-length caliper says why");
        }
    }

    static void Fits() {
        // Points on the circle of radius 25 around (60, 50); one is moved 4 px outwards.
        const double Cx = 60, Cy = 50, R = 25, Moved = 4;
        var points = new PointD[24];
        for (int k = 0; k < points.Length; k++) {
            double t = 2 * Math.PI * k / points.Length, r = k == 5 ? R + Moved : R;
            points[k] = new PointD(Cx + r * Math.Cos(t), Cy + r * Math.Sin(t));
        }
        CircleFitResult circle = CircleFit.Fit(points, new CircleFitParameters());
        Check(circle.Ok && Math.Abs(circle.Circle.Radius - R) < 1e-6 &&
              Math.Abs(circle.Circle.CenterX - Cx) < 1e-6 && circle.Outliers.Length == 1 &&
              circle.Inliers.Length == points.Length - 1, "circle without its outlier");
        Check(circle.MaxOuterDeviation.HasValue &&
              Math.Abs(circle.MaxOuterDeviation.Value.Value - Moved) < 1e-6 &&
              circle.MaxOuterDeviation.Value.Point.Y == points[5].Y,
              "the moved point is the largest outer deviation");

        // Points on y = 5 + x / 2 (exact in 16.16), one of them 6 px off: DETSAC drops it.
        var onLine = new PointD[20];
        for (int i = 0; i < onLine.Length; i++) {
            onLine[i] = new PointD(10 + 2 * i, 10 + i + (i == 7 ? 6 : 0));
        }
        RegressionResult fit = LineRegression.Fit(onLine, new RegressionParameters());
        Check(fit.Ok && Math.Abs(Math.Tan(fit.Angle) - 0.5) < Tolerance &&
              fit.Outliers.Length == 1 && fit.Outliers[0].Y == onLine[7].Y,
              "line without its outlier: angle " + fit.Angle);
        Check(fit.Farthest.HasValue && fit.Farthest.Value.Y == onLine[7].Y &&
              Math.Abs(fit.MaxDistance - 6 * 2 / Math.Sqrt(5)) < 1e-4,
              "the outlier is the farthest point, 6 px off vertically: " + fit.MaxDistance);
        Check(!LineRegression.Fit(new PointD[0], new RegressionParameters()).Ok, "no points");

        int[] step = { 20, 20, 20, 20, 20, 20, 200, 200, 200, 200, 200, 200 };
        int[] levels = OCannyEdge.FindTransitions(step, 20, 2);
        Check(levels != null && levels[0] == 1 && levels[11] == 0 && levels[5] > 1,
              "Canny: dark side 1, the edge's magnitude at its last dark sample");
        Check(OCannyEdge.FindTransitions(new int[0], 20, 2) == null, "Canny: empty profile");
    }

    // A dark disc and a dark bar tilted by 2 degrees on a bright plate, by area coverage.
    const double DiscX = 60.3, DiscY = 80.6, DiscR = 30.2;
    const double BarLeft = 130.25, BarY = 80.0, BarWidth = 24.5;  // across the bar
    static readonly double Tilt = 2.0 * Math.PI / 180.0;

    static double BarLeftAt(double y) {
        return BarLeft + (y - BarY) * Math.Tan(Tilt);
    }

    static bool InFeature(double x, double y) {
        double left = BarLeftAt(y);
        return (x - DiscX) * (x - DiscX) + (y - DiscY) * (y - DiscY) < DiscR * DiscR ||
               (x >= left && x < left + BarWidth / Math.Cos(Tilt));
    }

    static ushort[] Plate(int width, int height) {
        const int Samples = 4;
        var pixels = new ushort[width * height];
        for (int i = 0; i < pixels.Length; i++) {
            int dark = 0;
            for (int k = 0; k < Samples * Samples; k++) {
                dark += InFeature(i % width + (k % Samples + 0.5) / Samples,
                             i / width + (k / Samples + 0.5) / Samples) ? 1 : 0;
            }
            pixels[i] = (ushort)(Bright - (Bright - Dark) * dark / (Samples * Samples));
        }
        return pixels;
    }

    static void MetrologyTools() {
        const int W = 200, H = 160;
        const double Tolerance = 0.05;  // pixels
        ushort[] grey = Plate(W, H);
        using (OType_Image image = new OType_Image(W, H, Array.ConvertAll(grey, g => (byte)g)))
        using (OType_Image16 image16 = new OType_Image16(W, H, grey)) {
            var hole = new FindCircleSettings { CenterX = 60.5, CenterY = 80.5, Radius = 30 };
            hole.Edge.Polarity = CaliperPolarity.Rising;
            foreach (FindCircleResult c in new[] { Metrology.FindCircle(image, hole),
                                                   Metrology.FindCircle(image16, hole) }) {
                Check(c.Ok && Math.Abs(c.CenterX - DiscX) < Tolerance &&
                      Math.Abs(c.CenterY - DiscY) < Tolerance &&
                      Math.Abs(c.Radius - DiscR) < Tolerance && c.KeptCount > 30 &&
                      c.KeptCount + c.RejectedCount == 36,
                      "find circle: the disc " + c.StatusText);
                Check(c.RadiusSigma > 0 && c.RadiusSigma == Math.Sqrt(c.Covariance[2, 2]) &&
                      c.CenterYSigma == Math.Sqrt(c.Covariance[1, 1]) &&
                      c.Calipers[9].Found && Math.Abs(c.Calipers[9].Edge.Y - (DiscY + DiscR)) <
                      Tolerance, "find circle: uncertainties and the caliper at 90 degrees");
            }
            // Upwards along the bar's left edge: the calipers run to the right, into the bar.
            var edge = new FindLineSettings { StartX = 130.5, StartY = 140.5, EndX = 130.5,
                                              EndY = 20.5 };
            edge.Edge.Polarity = CaliperPolarity.Falling;
            FindLineResult line = Metrology.FindLine(image, edge);
            Check(line.Ok && Math.Abs(line.DistanceTo(BarLeftAt(30), 30)) < Tolerance &&
                  Math.Abs(line.DistanceTo(BarLeftAt(130), 130)) < Tolerance &&
                  line.AngleSigma > 0 && line.OffsetSigmaAt(line.PointX, 0) > line.OffsetSigma,
                  "find line: the bar's left edge " + line.StatusText);
            var across = new MeasureWidthSettings { StartX = 110.5, StartY = 80.5, EndX = 175.5,
                                                    EndY = 80.5, Calipers = 3, Spacing = 20 };
            across.Pair.FirstPolarity = CaliperPolarity.Falling;
            across.Pair.SecondPolarity = CaliperPolarity.Rising;
            MeasureWidthResult bar = Metrology.MeasureWidth(image, across);
            Check(bar.Ok && Math.Abs(bar.Width - BarWidth) < Tolerance &&
                  Math.Abs(Math.Abs(bar.Tilt) - Tilt) < 5e-3 && bar.WidthSigma > 0 &&
                  bar.Calipers.Length == 3,
                  "measure width: the bar across, its tilt " + bar.Width + " " + bar.Tilt);

            hole.Calipers = 0;
            FindCircleResult bad = Metrology.FindCircle(image, hole);
            Check(bad.Status == MetrologyStatus.BadSettings && !bad.Ok &&
                  bad.StatusText.StartsWith(Metrology.Text(MetrologyStatus.BadSettings)),
                  "no calipers: bad settings, said so: " + bad.StatusText);
        }
        // The line fit alone: y = 10 + x / 4 through edges of a known uncertainty, one 3 px off.
        var points = new CaliperEdge[12];
        for (int i = 0; i < points.Length; i++) {
            points[i] = new CaliperEdge(4 * i, 10 + i + (i == 4 ? 3 : 0), 0.05);
        }
        FindLineResult fit = Metrology.FitLine(points, new LineFitSettings());
        Check(fit.Ok && fit.RejectedCount == 1 && !fit.Calipers[4].Kept &&
              Math.Abs(Math.Tan(fit.Angle) - 0.25) < 1e-9, "line fit alone: slope 1/4");
    }

    static int Main() {
        Disposal();
        NativeExceptions();
        Arrays();
        Measurements();
        Fits();
        MetrologyTools();
        Console.WriteLine(passed + " passed, " + failed + " failed");
        return failed == 0 ? 0 : 1;
    }
}
