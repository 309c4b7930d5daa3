// The precision calipers in C#: regions and settings as classes with properties, results as
// managed values.
//
// Every type here is a plain managed object: nothing to dispose, nothing that refers to native
// memory. A call copies the region and settings into the library's structs, measures, and copies
// the result out. A new region or settings object takes its defaults from the library's own
// structs, so the two never disagree.

using System;

namespace NativeInterface.Trevask.Foundation.EdgeDetection {

/// <summary>A line caliper: a rectangle whose axis runs from (StartX, StartY) to (EndX, EndY),
/// reaching Width / 2 to either side. Pixels as doubles, pixel i covers [i, i + 1) (its centre
/// is i + 0.5), x to the right, y downwards. "Rising" means dark to bright from start to
/// end.</summary>
public sealed class CaliperLine {
    /// <summary>A caliper with the library's defaults (all coordinates 0, width 1, step
    /// 1).</summary>
    public CaliperLine() {
        using (OCaliperLine n = new OCaliperLine()) {
            From(n);
        }
    }

    /// <summary>A caliper along the axis from (<paramref name="startX"/>,
    /// <paramref name="startY"/>) to (<paramref name="endX"/>, <paramref name="endY"/>),
    /// <paramref name="width"/> pixels wide.</summary>
    public CaliperLine(double startX, double startY, double endX, double endY, double width)
        : this() {
        StartX = startX;
        StartY = startY;
        EndX = endX;
        EndY = endY;
        Width = width;
    }

    /// <summary>X of the axis's start.</summary>
    public double StartX { get; set; }
    /// <summary>Y of the axis's start.</summary>
    public double StartY { get; set; }
    /// <summary>X of the axis's end.</summary>
    public double EndX { get; set; }
    /// <summary>Y of the axis's end.</summary>
    public double EndY { get; set; }
    /// <summary>Pixels across the axis; each sample is the mean of ceil(Width) lines.</summary>
    public double Width { get; set; }
    /// <summary>Pixels between samples along the axis.</summary>
    public double Step { get; set; }

    internal CaliperLine(OCaliperLine n) {
        From(n);
    }

    internal void From(OCaliperLine n) {
        StartX = n.startX;
        StartY = n.startY;
        EndX = n.endX;
        EndY = n.endY;
        Width = n.width;
        Step = n.step;
    }

    internal OCaliperLine ToNative() {
        return new OCaliperLine { startX = StartX, startY = StartY, endX = EndX, endY = EndY,
                                  width = Width, step = Step };
    }
}

/// <summary>An arc caliper: a sector of a ring around (CenterX, CenterY), Width pixels wide
/// across the circle of Radius, from StartAngle through Sweep (radians, 0 along +x, positive
/// towards +y, which is clockwise on screen). Positions along it are arc lengths on that
/// circle.</summary>
public sealed class CaliperArc {
    /// <summary>An arc with the library's defaults (all 0, width 1, step 1).</summary>
    public CaliperArc() {
        using (OCaliperArc n = new OCaliperArc()) {
            CenterX = n.centerX;
            CenterY = n.centerY;
            Radius = n.radius;
            StartAngle = n.startAngle;
            Sweep = n.sweep;
            Width = n.width;
            Step = n.step;
        }
    }

    /// <summary>An arc of <paramref name="radius"/> around (<paramref name="centerX"/>,
    /// <paramref name="centerY"/>) from <paramref name="startAngle"/> through
    /// <paramref name="sweep"/>, <paramref name="width"/> pixels wide.</summary>
    public CaliperArc(double centerX, double centerY, double radius, double startAngle,
                      double sweep, double width)
        : this() {
        CenterX = centerX;
        CenterY = centerY;
        Radius = radius;
        StartAngle = startAngle;
        Sweep = sweep;
        Width = width;
    }

    /// <summary>X of the centre.</summary>
    public double CenterX { get; set; }
    /// <summary>Y of the centre.</summary>
    public double CenterY { get; set; }
    /// <summary>Radius of the arc the profile runs along.</summary>
    public double Radius { get; set; }
    /// <summary>Where the arc starts, radians.</summary>
    public double StartAngle { get; set; }
    /// <summary>Signed sweep, radians (negative: counter-clockwise on screen).</summary>
    public double Sweep { get; set; }
    /// <summary>Pixels across the arc (radially).</summary>
    public double Width { get; set; }
    /// <summary>Pixels of arc length between samples.</summary>
    public double Step { get; set; }

    internal OCaliperArc ToNative() {
        return new OCaliperArc { centerX = CenterX, centerY = CenterY, radius = Radius,
                                 startAngle = StartAngle, sweep = Sweep, width = Width,
                                 step = Step };
    }
}

/// <summary>What a caliper looks for: edges are local extrema of the profile's derivative of a
/// Gaussian of Sigma pixels, at least Threshold grey levels per pixel (in the image's own grey
/// scale). Defaults: sigma 1, threshold 10, any polarity, the strongest edge.</summary>
public sealed class CaliperEdgeSettings {
    /// <summary>The library's defaults.</summary>
    public CaliperEdgeSettings() {
        using (OCaliperEdgeSettings n = new OCaliperEdgeSettings()) {
            From(n);
        }
    }

    /// <summary>Smoothing, pixels.</summary>
    public double Sigma { get; set; }
    /// <summary>Least edge strength, grey levels per pixel.</summary>
    public double Threshold { get; set; }
    /// <summary>Which edges count, seen from the axis's start to its end.</summary>
    public CaliperPolarity Polarity { get; set; }
    /// <summary>Which of the edges found are reported.</summary>
    public CaliperSelection Selection { get; set; }
    /// <summary>For <see cref="CaliperSelection.Nth"/>: which edge, counted from 1.</summary>
    public int N { get; set; }

    internal void From(OCaliperEdgeSettings n) {
        Sigma = n.sigma;
        Threshold = n.threshold;
        Polarity = n.polarity;
        Selection = n.selection;
        N = n.n;
    }

    internal void CopyTo(OCaliperEdgeSettings n) {
        n.sigma = Sigma;
        n.threshold = Threshold;
        n.polarity = Polarity;
        n.selection = Selection;
        n.n = N;
    }

    internal OCaliperEdgeSettings ToNative() {
        var n = new OCaliperEdgeSettings();
        CopyTo(n);
        return n;
    }
}

/// <summary>What a pair caliper looks for: a first edge of FirstPolarity followed along the axis
/// by a second of SecondPolarity, between MinWidth and MaxWidth apart. Defaults: rising then
/// falling (a bright bar), any width, the strongest pair.</summary>
public sealed class CaliperPairSettings {
    /// <summary>The library's defaults.</summary>
    public CaliperPairSettings() {
        using (OCaliperPairSettings n = new OCaliperPairSettings()) {
            From(n);
        }
    }

    /// <summary>Smoothing, pixels.</summary>
    public double Sigma { get; set; }
    /// <summary>Least strength of each edge, grey levels per pixel.</summary>
    public double Threshold { get; set; }
    /// <summary>Polarity of the first edge.</summary>
    public CaliperPolarity FirstPolarity { get; set; }
    /// <summary>Polarity of the second edge.</summary>
    public CaliperPolarity SecondPolarity { get; set; }
    /// <summary>Least width of a pair, pixels.</summary>
    public double MinWidth { get; set; }
    /// <summary>Largest width of a pair, pixels (infinity by default).</summary>
    public double MaxWidth { get; set; }
    /// <summary>Which pairs are reported.</summary>
    public CaliperPairSelection Selection { get; set; }
    /// <summary>The edges' own blur (Gaussian sigma, pixels) when the optics are known, 0 when
    /// not (fitted). Known, it lets narrow bars be measured several times more precisely; a wrong
    /// value biases the widths of narrow pairs.</summary>
    public double Blur { get; set; }

    internal void From(OCaliperPairSettings n) {
        Sigma = n.sigma;
        Threshold = n.threshold;
        FirstPolarity = n.firstPolarity;
        SecondPolarity = n.secondPolarity;
        MinWidth = n.minWidth;
        MaxWidth = n.maxWidth;
        Selection = n.selection;
        Blur = n.blur;
    }

    internal void CopyTo(OCaliperPairSettings n) {
        n.sigma = Sigma;
        n.threshold = Threshold;
        n.firstPolarity = FirstPolarity;
        n.secondPolarity = SecondPolarity;
        n.minWidth = MinWidth;
        n.maxWidth = MaxWidth;
        n.selection = Selection;
        n.blur = Blur;
    }

    internal OCaliperPairSettings ToNative() {
        var n = new OCaliperPairSettings();
        CopyTo(n);
        return n;
    }
}

/// <summary>An edge a caliper found, in pixels.</summary>
public struct CaliperEdge {
    /// <summary>An edge of the caller's own at (<paramref name="x"/>, <paramref name="y"/>) with
    /// its 1-sigma uncertainty (NaN or 0: unknown), for the metrology fits.</summary>
    public CaliperEdge(double x, double y, double sigma) : this() {
        X = x;
        Y = y;
        Sigma = sigma;
    }

    internal CaliperEdge(OCaliperEdge n) : this() {
        X = n.x;
        Y = n.y;
        Position = n.position;
        Amplitude = n.amplitude;
        Score = n.score;
        Sigma = n.sigma;
    }

    /// <summary>X of the edge on the axis.</summary>
    public double X { get; private set; }
    /// <summary>Y of the edge on the axis.</summary>
    public double Y { get; private set; }
    /// <summary>Distance along the axis from its start (arc length on an arc).</summary>
    public double Position { get; private set; }
    /// <summary>Signed strength, grey levels per pixel (positive: rising).</summary>
    public double Amplitude { get; private set; }
    /// <summary>0..1: how far the amplitude stands above threshold and noise.</summary>
    public double Score { get; private set; }
    /// <summary>1-sigma uncertainty of the position from the image's noise (NaN when the image
    /// offers no pixels to estimate it from).</summary>
    public double Sigma { get; private set; }
}

/// <summary>An edge pair a caliper found.</summary>
public struct CaliperPair {
    internal CaliperPair(OCaliperPair n) : this() {
        using (OCaliperEdge first = n.first)
        using (OCaliperEdge second = n.second) {
            First = new CaliperEdge(first);
            Second = new CaliperEdge(second);
        }
        Width = n.width;
        WidthSigma = n.widthSigma;
        CenterX = n.centerX;
        CenterY = n.centerY;
        CenterPosition = n.centerPosition;
        CenterSigma = n.centerSigma;
        Score = n.score;
    }

    /// <summary>The first edge along the axis.</summary>
    public CaliperEdge First { get; private set; }
    /// <summary>The second edge.</summary>
    public CaliperEdge Second { get; private set; }
    /// <summary>Second.Position - First.Position, pixels.</summary>
    public double Width { get; private set; }
    /// <summary>1-sigma uncertainty of the width.</summary>
    public double WidthSigma { get; private set; }
    /// <summary>X of the point halfway between the edges.</summary>
    public double CenterX { get; private set; }
    /// <summary>Y of that point.</summary>
    public double CenterY { get; private set; }
    /// <summary>Its position along the axis.</summary>
    public double CenterPosition { get; private set; }
    /// <summary>1-sigma uncertainty of that position.</summary>
    public double CenterSigma { get; private set; }
    /// <summary>Product of the two edges' scores.</summary>
    public double Score { get; private set; }
}

/// <summary>Edges found along one caliper. An empty result says why in
/// <see cref="Status"/>.</summary>
public sealed class CaliperEdgeResult {
    internal CaliperEdgeResult(OCaliperEdgeResult n) {
        Status = n.status;
        Noise = n.noise;
        Edges = new CaliperEdge[n.EdgeCount()];
        for (int i = 0; i < Edges.Length; i++) {
            using (OCaliperEdge edge = n.EdgeAt(i)) {
                Edges[i] = new CaliperEdge(edge);
            }
        }
    }

    /// <summary>Why the result is empty (or Ok).</summary>
    public CaliperStatus Status { get; private set; }
    /// <summary>Edges were found.</summary>
    public bool Ok {
        get { return Status == CaliperStatus.Ok; }
    }
    /// <summary>The status in words, for messages.</summary>
    public string StatusText {
        get { return Caliper.Text(Status); }
    }
    /// <summary>The edges in axis order.</summary>
    public CaliperEdge[] Edges { get; private set; }
    /// <summary>Grey-level noise the caliper estimated around the region.</summary>
    public double Noise { get; private set; }
}

/// <summary>Edge pairs found along one caliper.</summary>
public sealed class CaliperPairResult {
    internal CaliperPairResult(OCaliperPairResult n) {
        Status = n.status;
        Noise = n.noise;
        Pairs = new CaliperPair[n.PairCount()];
        for (int i = 0; i < Pairs.Length; i++) {
            using (OCaliperPair pair = n.PairAt(i)) {
                Pairs[i] = new CaliperPair(pair);
            }
        }
    }

    /// <summary>Why the result is empty (or Ok).</summary>
    public CaliperStatus Status { get; private set; }
    /// <summary>Pairs were found.</summary>
    public bool Ok {
        get { return Status == CaliperStatus.Ok; }
    }
    /// <summary>The status in words.</summary>
    public string StatusText {
        get { return Caliper.Text(Status); }
    }
    /// <summary>The pairs in axis order.</summary>
    public CaliperPair[] Pairs { get; private set; }
    /// <summary>Grey-level noise the caliper estimated around the region.</summary>
    public double Noise { get; private set; }
}

/// <summary>A caliper's sampled profile and its filtered derivative, one entry per sample, for
/// plotting and for choosing thresholds.</summary>
public sealed class CaliperProfile {
    internal CaliperProfile(OCaliperProfile n) {
        Status = n.status;
        int count = n.SampleCount();
        Positions = new double[count];
        Values = new double[count];
        Derivative = new double[count];
        byte[] outside = new byte[count];
        n.CopySamples(Positions, Values, Derivative, outside, count);
        Outside = Array.ConvertAll(outside, flag => flag != 0);
    }

    /// <summary>Ok, PartlyOutsideImage or OutsideImage for a region that could be sampled,
    /// otherwise why it could not.</summary>
    public CaliperStatus Status { get; private set; }
    /// <summary>The status in words.</summary>
    public string StatusText {
        get { return Caliper.Text(Status); }
    }
    /// <summary>Positions along the axis, pixels.</summary>
    public double[] Positions { get; private set; }
    /// <summary>Mean grey value across the width.</summary>
    public double[] Values { get; private set; }
    /// <summary>Gaussian derivative, grey levels per pixel; NaN within the filter's reach of
    /// either end and near samples outside the image.</summary>
    public double[] Derivative { get; private set; }
    /// <summary>True for a sample outside the image.</summary>
    public bool[] Outside { get; private set; }
}

/// <summary>Sub-pixel edges and edge pairs across a line or arc region of an 8-bit or 16-bit
/// image, each with its uncertainty from the image's own noise. Bad regions or settings, and
/// regions (partly) outside the image, give an empty result with its status; nothing is read
/// outside the image.</summary>
public static class Caliper {
    /// <summary>Edges along a line caliper.</summary>
    public static CaliperEdgeResult MeasureEdges(OType_Image image, CaliperLine region,
                                                 CaliperEdgeSettings settings) {
        using (OCaliperLine r = Checked(region, "region").ToNative())
        using (OCaliperEdgeSettings s = Checked(settings, "settings").ToNative())
        using (OCaliperEdgeResult result = OCaliper.MeasureEdges(image, r, s)) {
            return new CaliperEdgeResult(result);
        }
    }

    /// <summary>Edges along an arc caliper.</summary>
    public static CaliperEdgeResult MeasureEdges(OType_Image image, CaliperArc region,
                                                 CaliperEdgeSettings settings) {
        using (OCaliperArc r = Checked(region, "region").ToNative())
        using (OCaliperEdgeSettings s = Checked(settings, "settings").ToNative())
        using (OCaliperEdgeResult result = OCaliper.MeasureEdges(image, r, s)) {
            return new CaliperEdgeResult(result);
        }
    }

    /// <summary>Edges along a line caliper on a 16-bit image.</summary>
    public static CaliperEdgeResult MeasureEdges(OType_Image16 image, CaliperLine region,
                                                 CaliperEdgeSettings settings) {
        using (OCaliperLine r = Checked(region, "region").ToNative())
        using (OCaliperEdgeSettings s = Checked(settings, "settings").ToNative())
        using (OCaliperEdgeResult result = OCaliper.MeasureEdges(image, r, s)) {
            return new CaliperEdgeResult(result);
        }
    }

    /// <summary>Edges along an arc caliper on a 16-bit image.</summary>
    public static CaliperEdgeResult MeasureEdges(OType_Image16 image, CaliperArc region,
                                                 CaliperEdgeSettings settings) {
        using (OCaliperArc r = Checked(region, "region").ToNative())
        using (OCaliperEdgeSettings s = Checked(settings, "settings").ToNative())
        using (OCaliperEdgeResult result = OCaliper.MeasureEdges(image, r, s)) {
            return new CaliperEdgeResult(result);
        }
    }

    /// <summary>Edges along each of several line calipers with the same settings: one result per
    /// region, in order.</summary>
    public static CaliperEdgeResult[] MeasureEdges(OType_Image image, CaliperLine[] regions,
                                                   CaliperEdgeSettings settings) {
        return Array.ConvertAll(Checked(regions, "regions"),
                                region => MeasureEdges(image, region, settings));
    }

    /// <summary>Edges along each of several line calipers on a 16-bit image.</summary>
    public static CaliperEdgeResult[] MeasureEdges(OType_Image16 image, CaliperLine[] regions,
                                                   CaliperEdgeSettings settings) {
        return Array.ConvertAll(Checked(regions, "regions"),
                                region => MeasureEdges(image, region, settings));
    }

    /// <summary>Edge pairs along a line caliper.</summary>
    public static CaliperPairResult MeasurePairs(OType_Image image, CaliperLine region,
                                                 CaliperPairSettings settings) {
        using (OCaliperLine r = Checked(region, "region").ToNative())
        using (OCaliperPairSettings s = Checked(settings, "settings").ToNative())
        using (OCaliperPairResult result = OCaliper.MeasurePairs(image, r, s)) {
            return new CaliperPairResult(result);
        }
    }

    /// <summary>Edge pairs along an arc caliper.</summary>
    public static CaliperPairResult MeasurePairs(OType_Image image, CaliperArc region,
                                                 CaliperPairSettings settings) {
        using (OCaliperArc r = Checked(region, "region").ToNative())
        using (OCaliperPairSettings s = Checked(settings, "settings").ToNative())
        using (OCaliperPairResult result = OCaliper.MeasurePairs(image, r, s)) {
            return new CaliperPairResult(result);
        }
    }

    /// <summary>Edge pairs along a line caliper on a 16-bit image.</summary>
    public static CaliperPairResult MeasurePairs(OType_Image16 image, CaliperLine region,
                                                 CaliperPairSettings settings) {
        using (OCaliperLine r = Checked(region, "region").ToNative())
        using (OCaliperPairSettings s = Checked(settings, "settings").ToNative())
        using (OCaliperPairResult result = OCaliper.MeasurePairs(image, r, s)) {
            return new CaliperPairResult(result);
        }
    }

    /// <summary>Edge pairs along an arc caliper on a 16-bit image.</summary>
    public static CaliperPairResult MeasurePairs(OType_Image16 image, CaliperArc region,
                                                 CaliperPairSettings settings) {
        using (OCaliperArc r = Checked(region, "region").ToNative())
        using (OCaliperPairSettings s = Checked(settings, "settings").ToNative())
        using (OCaliperPairResult result = OCaliper.MeasurePairs(image, r, s)) {
            return new CaliperPairResult(result);
        }
    }

    /// <summary>The profile along a line caliper and its derivative filtered with
    /// <paramref name="sigma"/> pixels.</summary>
    public static CaliperProfile SampleProfile(OType_Image image, CaliperLine region,
                                               double sigma) {
        using (OCaliperLine r = Checked(region, "region").ToNative())
        using (OCaliperProfile profile = OCaliper.SampleProfile(image, r, sigma)) {
            return new CaliperProfile(profile);
        }
    }

    /// <summary>The profile along an arc caliper.</summary>
    public static CaliperProfile SampleProfile(OType_Image image, CaliperArc region,
                                               double sigma) {
        using (OCaliperArc r = Checked(region, "region").ToNative())
        using (OCaliperProfile profile = OCaliper.SampleProfile(image, r, sigma)) {
            return new CaliperProfile(profile);
        }
    }

    /// <summary>The profile along a line caliper on a 16-bit image.</summary>
    public static CaliperProfile SampleProfile(OType_Image16 image, CaliperLine region,
                                               double sigma) {
        using (OCaliperLine r = Checked(region, "region").ToNative())
        using (OCaliperProfile profile = OCaliper.SampleProfile(image, r, sigma)) {
            return new CaliperProfile(profile);
        }
    }

    /// <summary>The profile along an arc caliper on a 16-bit image.</summary>
    public static CaliperProfile SampleProfile(OType_Image16 image, CaliperArc region,
                                               double sigma) {
        using (OCaliperArc r = Checked(region, "region").ToNative())
        using (OCaliperProfile profile = OCaliper.SampleProfile(image, r, sigma)) {
            return new CaliperProfile(profile);
        }
    }

    /// <summary>A short English text for a status.</summary>
    public static string Text(CaliperStatus status) {
        return NativeInterfaceTrevaskFoundationEdgeDetection.CaliperStatusText(status);
    }

    internal static T Checked<T>(T argument, string name) where T : class {
        if (argument == null) {
            throw new ArgumentNullException(name);
        }
        return argument;
    }
}

}
