// The metrology tools in C#: find circle, find line and measure width, each a rake of calipers
// laid over an expected figure, with settings as classes with properties and results as managed
// values.
//
// As with the calipers, every type here is a plain managed object: nothing to dispose, nothing
// that refers to native memory. A call copies the settings into the library's structs, measures,
// and copies the whole result out (figure, uncertainties, every caliper). New settings take their
// defaults from the library's own structs, so the two never disagree.

using System;

namespace NativeInterface.Trevask.Foundation.EdgeDetection {

/// <summary>How <see cref="Metrology.FindCircle(OType_Image, FindCircleSettings)"/> fits its
/// circle: the standard-deviation band of the circle fit's outlier filter, then a geometric refit
/// weighted by each edge's uncertainty with a residual check. Defaults: the band on, 5 passes, 3
/// standard deviations, clip factor 4.</summary>
public sealed class CircleFitSettings {
    /// <summary>The library's defaults.</summary>
    public CircleFitSettings() {
        using (var n = new OCircleFitSettings()) {
            From(n);
        }
    }

    /// <summary>Whether the standard-deviation band rejects outliers first.</summary>
    public bool Filter { get; set; }
    /// <summary>Most passes of the band.</summary>
    public int FilterPasses { get; set; }
    /// <summary>Half width of the band, in standard deviations.</summary>
    public double SigmaFactor { get; set; }
    /// <summary>The refit's residual check: an edge farther off than this many times the larger
    /// of its own uncertainty and the residuals' robust spread is rejected (0: no check).</summary>
    public double ClipFactor { get; set; }

    internal void From(OCircleFitSettings n) {
        Filter = n.filter;
        FilterPasses = n.filterPasses;
        SigmaFactor = n.sigmaFactor;
        ClipFactor = n.clipFactor;
    }

    internal OCircleFitSettings ToNative() {
        return new OCircleFitSettings { filter = Filter, filterPasses = FilterPasses,
                                        sigmaFactor = SigmaFactor, clipFactor = ClipFactor };
    }
}

/// <summary>How <see cref="Metrology.FindLine(OType_Image, FindLineSettings)"/> fits its line:
/// an outlier filter of the regression line, then a refit on the edges it kept with a residual
/// check. Defaults: DETSAC with 2 whole pixels at search level 4, the geometric refit, clip factor
/// 4.</summary>
public sealed class LineFitSettings {
    /// <summary>The library's defaults.</summary>
    public LineFitSettings() {
        using (var n = new OLineFitSettings()) {
            From(n);
        }
    }

    /// <summary>The outlier filter.</summary>
    public LineFilter Filter { get; set; }
    /// <summary>DETSAC: how far an inlier may lie from the line, whole pixels.</summary>
    public int InlierDistance { get; set; }
    /// <summary>DETSAC: how finely it searches, 0..8.</summary>
    public int SearchLevel { get; set; }
    /// <summary>Standard-deviation band: most passes.</summary>
    public int FilterPasses { get; set; }
    /// <summary>Standard-deviation band: half width in standard deviations.</summary>
    public double SigmaFactor { get; set; }
    /// <summary>The line through the kept edges: geometric and weighted by their uncertainties,
    /// or the regression's own.</summary>
    public LineRefit Refit { get; set; }
    /// <summary>The refit's residual check, as for the circle (0: no check).</summary>
    public double ClipFactor { get; set; }

    internal void From(OLineFitSettings n) {
        Filter = n.filter;
        InlierDistance = n.inlierDistance;
        SearchLevel = n.searchLevel;
        FilterPasses = n.filterPasses;
        SigmaFactor = n.sigmaFactor;
        Refit = n.refit;
        ClipFactor = n.clipFactor;
    }

    internal OLineFitSettings ToNative() {
        return new OLineFitSettings { filter = Filter, inlierDistance = InlierDistance,
                                      searchLevel = SearchLevel, filterPasses = FilterPasses,
                                      sigmaFactor = SigmaFactor, refit = Refit,
                                      clipFactor = ClipFactor };
    }
}

/// <summary>Where find circle lays its calipers and what they look for: Calipers line calipers
/// CaliperLength by CaliperWidth pixels, centred on the expected circle and running along its
/// radius (outwards by default), spread over StartAngle through Sweep (radians, 0 along +x,
/// positive towards +y, clockwise on screen; a full turn by default). Pixels as doubles, pixel i
/// covers [i, i + 1). Defaults: 36 calipers of 40 x 5 px.</summary>
public sealed class FindCircleSettings {
    /// <summary>The library's defaults, around (0, 0) with radius 0: set the expected
    /// circle.</summary>
    public FindCircleSettings() {
        using (var n = new OFindCircleSettings())
        using (OCaliperEdgeSettings edge = n.edge)
        using (OCircleFitSettings fit = n.fit) {
            CenterX = n.centerX;
            CenterY = n.centerY;
            Radius = n.radius;
            StartAngle = n.startAngle;
            Sweep = n.sweep;
            Calipers = n.calipers;
            CaliperLength = n.caliperLength;
            CaliperWidth = n.caliperWidth;
            Search = n.search;
            Edge = new CaliperEdgeSettings();
            Edge.From(edge);
            Fit = new CircleFitSettings();
            Fit.From(fit);
        }
    }

    /// <summary>X of the expected centre.</summary>
    public double CenterX { get; set; }
    /// <summary>Y of the expected centre.</summary>
    public double CenterY { get; set; }
    /// <summary>The expected radius.</summary>
    public double Radius { get; set; }
    /// <summary>Angle of the first caliper, radians.</summary>
    public double StartAngle { get; set; }
    /// <summary>Signed angle the calipers spread over, radians (at most a full turn).</summary>
    public double Sweep { get; set; }
    /// <summary>Number of calipers.</summary>
    public int Calipers { get; set; }
    /// <summary>Length of each caliper along the radius, pixels.</summary>
    public double CaliperLength { get; set; }
    /// <summary>Width of each caliper across the radius, pixels.</summary>
    public double CaliperWidth { get; set; }
    /// <summary>Direction of the calipers' axes; polarity is seen along it.</summary>
    public CircleSearch Search { get; set; }
    /// <summary>What every caliper looks for (its selection's one edge; All takes the edge
    /// nearest the expected circle).</summary>
    public CaliperEdgeSettings Edge { get; set; }
    /// <summary>How the circle is fitted.</summary>
    public CircleFitSettings Fit { get; set; }

    internal OFindCircleSettings ToNative() {
        var n = new OFindCircleSettings { centerX = CenterX, centerY = CenterY, radius = Radius,
                                          startAngle = StartAngle, sweep = Sweep,
                                          calipers = Calipers, caliperLength = CaliperLength,
                                          caliperWidth = CaliperWidth, search = Search };
        using (OCaliperEdgeSettings edge = Caliper.Checked(Edge, "Edge").ToNative())
        using (OCircleFitSettings fit = Caliper.Checked(Fit, "Fit").ToNative()) {
            n.edge = edge;
            n.fit = fit;
        }
        return n;
    }
}

/// <summary>Where find line lays its calipers and what they look for: Calipers line calipers
/// centred on the expected segment from (StartX, StartY) to (EndX, EndY), spread over it with
/// both ends included, each CaliperLength pixels across it and CaliperWidth along it, running
/// from left to right as seen looking from start to end (towards the right-hand side on screen)
/// by default. Defaults: 25 calipers of 40 x 5 px.</summary>
public sealed class FindLineSettings {
    /// <summary>The library's defaults, on the zero segment: set the expected one.</summary>
    public FindLineSettings() {
        using (var n = new OFindLineSettings())
        using (OCaliperEdgeSettings edge = n.edge)
        using (OLineFitSettings fit = n.fit) {
            StartX = n.startX;
            StartY = n.startY;
            EndX = n.endX;
            EndY = n.endY;
            Calipers = n.calipers;
            CaliperLength = n.caliperLength;
            CaliperWidth = n.caliperWidth;
            Search = n.search;
            Edge = new CaliperEdgeSettings();
            Edge.From(edge);
            Fit = new LineFitSettings();
            Fit.From(fit);
        }
    }

    /// <summary>X of the expected segment's start.</summary>
    public double StartX { get; set; }
    /// <summary>Y of its start.</summary>
    public double StartY { get; set; }
    /// <summary>X of its end.</summary>
    public double EndX { get; set; }
    /// <summary>Y of its end.</summary>
    public double EndY { get; set; }
    /// <summary>Number of calipers.</summary>
    public int Calipers { get; set; }
    /// <summary>Length of each caliper across the line, pixels.</summary>
    public double CaliperLength { get; set; }
    /// <summary>Width of each caliper along the line, pixels.</summary>
    public double CaliperWidth { get; set; }
    /// <summary>Direction of the calipers' axes; polarity is seen along it.</summary>
    public LineSearch Search { get; set; }
    /// <summary>What every caliper looks for (All takes the edge nearest the expected
    /// line).</summary>
    public CaliperEdgeSettings Edge { get; set; }
    /// <summary>How the line is fitted.</summary>
    public LineFitSettings Fit { get; set; }

    internal OFindLineSettings ToNative() {
        var n = new OFindLineSettings { startX = StartX, startY = StartY, endX = EndX, endY = EndY,
                                        calipers = Calipers, caliperLength = CaliperLength,
                                        caliperWidth = CaliperWidth, search = Search };
        using (OCaliperEdgeSettings edge = Caliper.Checked(Edge, "Edge").ToNative())
        using (OLineFitSettings fit = Caliper.Checked(Fit, "Fit").ToNative()) {
            n.edge = edge;
            n.fit = fit;
        }
        return n;
    }
}

/// <summary>Where measure width lays its calipers and what they look for: a pair caliper along
/// the axis from (StartX, StartY) to (EndX, EndY) across the bar or slot, CaliperWidth pixels
/// wide, and with Calipers above 1 a rake of copies of it Spacing pixels apart along the bar,
/// centred on the given axis. Defaults: one caliper 5 px wide, the pair caliper's own
/// defaults.</summary>
public sealed class MeasureWidthSettings {
    /// <summary>The library's defaults, on the zero axis: set the axis.</summary>
    public MeasureWidthSettings() {
        using (var n = new OMeasureWidthSettings())
        using (OCaliperPairSettings pair = n.pair) {
            StartX = n.startX;
            StartY = n.startY;
            EndX = n.endX;
            EndY = n.endY;
            CaliperWidth = n.caliperWidth;
            Calipers = n.calipers;
            Spacing = n.spacing;
            Pair = new CaliperPairSettings();
            Pair.From(pair);
            ClipFactor = n.clipFactor;
        }
    }

    /// <summary>X of the (middle) caliper's axis start.</summary>
    public double StartX { get; set; }
    /// <summary>Y of its start.</summary>
    public double StartY { get; set; }
    /// <summary>X of its end.</summary>
    public double EndX { get; set; }
    /// <summary>Y of its end.</summary>
    public double EndY { get; set; }
    /// <summary>Width of each caliper across its axis, pixels.</summary>
    public double CaliperWidth { get; set; }
    /// <summary>Number of calipers.</summary>
    public int Calipers { get; set; }
    /// <summary>Pixels between neighbouring calipers of a rake.</summary>
    public double Spacing { get; set; }
    /// <summary>What every caliper looks for.</summary>
    public CaliperPairSettings Pair { get; set; }
    /// <summary>The rake's check of each width against the others, as for the fits (0: no
    /// check).</summary>
    public double ClipFactor { get; set; }

    internal OMeasureWidthSettings ToNative() {
        var n = new OMeasureWidthSettings { startX = StartX, startY = StartY, endX = EndX,
                                            endY = EndY, caliperWidth = CaliperWidth,
                                            calipers = Calipers, spacing = Spacing,
                                            clipFactor = ClipFactor };
        using (OCaliperPairSettings pair = Caliper.Checked(Pair, "Pair").ToNative()) {
            n.pair = pair;
        }
        return n;
    }
}

/// <summary>One caliper of a circle or line rake: where it lay, what it found, and whether the
/// fit used it.</summary>
public struct MetrologyCaliper {
    internal MetrologyCaliper(OMetrologyCaliper n) : this() {
        using (OCaliperLine region = n.region)
        using (OCaliperEdge edge = n.edge) {
            Region = new CaliperLine(region);
            Edge = new CaliperEdge(edge);
        }
        Status = n.status;
        Kept = n.kept;
        Residual = n.residual;
    }

    /// <summary>The caliper's region.</summary>
    public CaliperLine Region { get; private set; }
    /// <summary>Ok when it found an edge, otherwise why not.</summary>
    public CaliperStatus Status { get; private set; }
    /// <summary>It found an edge.</summary>
    public bool Found {
        get { return Status == CaliperStatus.Ok; }
    }
    /// <summary>The edge it found (when <see cref="Found"/>).</summary>
    public CaliperEdge Edge { get; private set; }
    /// <summary>The fit used the edge.</summary>
    public bool Kept { get; private set; }
    /// <summary>Signed distance of the edge from the fitted figure, pixels (0 without
    /// one).</summary>
    public double Residual { get; private set; }
}

/// <summary>One caliper of a width rake.</summary>
public struct MetrologyPairCaliper {
    internal MetrologyPairCaliper(OMetrologyPairCaliper n) : this() {
        using (OCaliperLine region = n.region)
        using (OCaliperPair pair = n.pair) {
            Region = new CaliperLine(region);
            Pair = new CaliperPair(pair);
        }
        Status = n.status;
        Width = n.width;
        Kept = n.kept;
    }

    /// <summary>The caliper's region.</summary>
    public CaliperLine Region { get; private set; }
    /// <summary>Ok when it found a pair, otherwise why not.</summary>
    public CaliperStatus Status { get; private set; }
    /// <summary>It found a pair.</summary>
    public bool Found {
        get { return Status == CaliperStatus.Ok; }
    }
    /// <summary>The pair it found (when <see cref="Found"/>).</summary>
    public CaliperPair Pair { get; private set; }
    /// <summary>The pair's width corrected for the rake's tilt against the bar, pixels.</summary>
    public double Width { get; private set; }
    /// <summary>The mean used the width.</summary>
    public bool Kept { get; private set; }
}

/// <summary>What every metrology result holds beside its figure: the status with its reason,
/// how many calipers found something and how many of those the fit kept. A result that is not
/// <see cref="Ok"/> has zeros for its figure.</summary>
public abstract class MetrologyResult {
    internal MetrologyResult(MetrologyStatus status, string statusText, double foundFraction,
                             int keptCount, int rejectedCount) {
        Status = status;
        StatusText = statusText;
        FoundFraction = foundFraction;
        KeptCount = keptCount;
        RejectedCount = rejectedCount;
    }

    /// <summary>Why the figure is missing (or Ok).</summary>
    public MetrologyStatus Status { get; private set; }
    /// <summary>The figure was measured.</summary>
    public bool Ok {
        get { return Status == MetrologyStatus.Ok; }
    }
    /// <summary>The status in words, with the counts behind it.</summary>
    public string StatusText { get; private set; }
    /// <summary>Share of the calipers that found an edge (or pair), 0..1.</summary>
    public double FoundFraction { get; private set; }
    /// <summary>Edges (pairs) the fit used.</summary>
    public int KeptCount { get; private set; }
    /// <summary>Edges (pairs) found but rejected as outliers.</summary>
    public int RejectedCount { get; private set; }
}

/// <summary>A circle found by <see cref="Metrology.FindCircle(OType_Image,
/// FindCircleSettings)"/>, each parameter with its 1-sigma uncertainty (pixels), propagated from
/// the edges' own uncertainties.</summary>
public sealed class FindCircleResult : MetrologyResult {
    internal FindCircleResult(OFindCircleResult n)
        : base(n.status, n.StatusText(), n.foundFraction, n.keptCount, n.rejectedCount) {
        CenterX = n.centerX;
        CenterY = n.centerY;
        Radius = n.radius;
        CenterXSigma = n.centerXSigma;
        CenterYSigma = n.centerYSigma;
        RadiusSigma = n.radiusSigma;
        Rms = n.rms;
        Covariance = new double[3, 3];
        for (int i = 0; i < 3; i++) {
            for (int j = 0; j < 3; j++) {
                Covariance[i, j] = n.Covariance(i, j);
            }
        }
        Calipers = new MetrologyCaliper[n.CaliperCount()];
        for (int i = 0; i < Calipers.Length; i++) {
            using (OMetrologyCaliper caliper = n.CaliperAt(i)) {
                Calipers[i] = new MetrologyCaliper(caliper);
            }
        }
    }

    /// <summary>X of the centre.</summary>
    public double CenterX { get; private set; }
    /// <summary>Y of the centre.</summary>
    public double CenterY { get; private set; }
    /// <summary>The radius.</summary>
    public double Radius { get; private set; }
    /// <summary>1-sigma uncertainty of <see cref="CenterX"/>.</summary>
    public double CenterXSigma { get; private set; }
    /// <summary>1-sigma uncertainty of <see cref="CenterY"/>.</summary>
    public double CenterYSigma { get; private set; }
    /// <summary>1-sigma uncertainty of <see cref="Radius"/>.</summary>
    public double RadiusSigma { get; private set; }
    /// <summary>Covariance of (CenterX, CenterY, Radius), pixels squared; the sigmas are the roots
    /// of its diagonal.</summary>
    public double[,] Covariance { get; private set; }
    /// <summary>Root-mean-square distance of the kept edges from the circle.</summary>
    public double Rms { get; private set; }
    /// <summary>Every caliper of the rake, in order.</summary>
    public MetrologyCaliper[] Calipers { get; private set; }
}

/// <summary>A line found by <see cref="Metrology.FindLine(OType_Image, FindLineSettings)"/>: a
/// point on it, where angle and offset are uncorrelated (the uncertainty-weighted centroid of the
/// kept edges), and its direction, from the first kept edge towards the last.</summary>
public sealed class FindLineResult : MetrologyResult {
    internal FindLineResult(OFindLineResult n)
        : base(n.status, n.StatusText(), n.foundFraction, n.keptCount, n.rejectedCount) {
        PointX = n.pointX;
        PointY = n.pointY;
        Angle = n.angle;
        AngleSigma = n.angleSigma;
        OffsetSigma = n.offsetSigma;
        Rms = n.rms;
        Calipers = new MetrologyCaliper[n.CaliperCount()];
        for (int i = 0; i < Calipers.Length; i++) {
            using (OMetrologyCaliper caliper = n.CaliperAt(i)) {
                Calipers[i] = new MetrologyCaliper(caliper);
            }
        }
    }

    /// <summary>X of the line's point.</summary>
    public double PointX { get; private set; }
    /// <summary>Y of the line's point.</summary>
    public double PointY { get; private set; }
    /// <summary>Direction, radians in (-pi, pi], 0 along +x, positive towards +y.</summary>
    public double Angle { get; private set; }
    /// <summary>1-sigma uncertainty of <see cref="Angle"/>, radians.</summary>
    public double AngleSigma { get; private set; }
    /// <summary>1-sigma uncertainty across the line at its point, pixels.</summary>
    public double OffsetSigma { get; private set; }
    /// <summary>Root-mean-square distance of the kept edges from the line.</summary>
    public double Rms { get; private set; }
    /// <summary>Every caliper of the rake, in order.</summary>
    public MetrologyCaliper[] Calipers { get; private set; }

    /// <summary>The 1-sigma uncertainty across the line at the foot of (<paramref name="x"/>,
    /// <paramref name="y"/>): it grows with the distance along the line from its point by the
    /// angle's uncertainty.</summary>
    public double OffsetSigmaAt(double x, double y) {
        using (OFindLineResult n = ToNative()) {
            return n.OffsetSigmaAt(x, y);
        }
    }

    /// <summary>Signed distance of (<paramref name="x"/>, <paramref name="y"/>) from the line,
    /// positive on its right-hand side on screen.</summary>
    public double DistanceTo(double x, double y) {
        using (OFindLineResult n = ToNative()) {
            return n.DistanceTo(x, y);
        }
    }

    // The line alone, for the library's own formulas.
    OFindLineResult ToNative() {
        return new OFindLineResult { pointX = PointX, pointY = PointY, angle = Angle,
                                     angleSigma = AngleSigma, offsetSigma = OffsetSigma };
    }
}

/// <summary>A width measured by <see cref="Metrology.MeasureWidth(OType_Image,
/// MeasureWidthSettings)"/>: the uncertainty-weighted mean of the kept pairs' widths, each
/// corrected for the rake's tilt against the bar, with its 1-sigma uncertainty.</summary>
public sealed class MeasureWidthResult : MetrologyResult {
    internal MeasureWidthResult(OMeasureWidthResult n)
        : base(n.status, n.StatusText(), n.foundFraction, n.keptCount, n.rejectedCount) {
        Width = n.width;
        WidthSigma = n.widthSigma;
        Spread = n.spread;
        MinWidth = n.minWidth;
        MaxWidth = n.maxWidth;
        Tilt = n.tilt;
        Calipers = new MetrologyPairCaliper[n.CaliperCount()];
        for (int i = 0; i < Calipers.Length; i++) {
            using (OMetrologyPairCaliper caliper = n.CaliperAt(i)) {
                Calipers[i] = new MetrologyPairCaliper(caliper);
            }
        }
    }

    /// <summary>The width, pixels.</summary>
    public double Width { get; private set; }
    /// <summary>1-sigma uncertainty of <see cref="Width"/>.</summary>
    public double WidthSigma { get; private set; }
    /// <summary>Standard deviation of the kept widths (0 for one pair).</summary>
    public double Spread { get; private set; }
    /// <summary>The smallest kept width.</summary>
    public double MinWidth { get; private set; }
    /// <summary>The largest kept width.</summary>
    public double MaxWidth { get; private set; }
    /// <summary>Radians between the calipers' axis and the bar's normal (0 for one
    /// pair).</summary>
    public double Tilt { get; private set; }
    /// <summary>Every caliper of the rake, in order.</summary>
    public MetrologyPairCaliper[] Calipers { get; private set; }
}

/// <summary>Find circle, find line and measure width on an 8-bit or 16-bit image: a rake of
/// calipers over the expected figure, outliers rejected by the library's fits, every parameter
/// with its 1-sigma uncertainty. Bad settings, rakes outside the image, too few edges and failed
/// fits give a result whose <see cref="MetrologyResult.StatusText"/> says why; nothing is read
/// outside the image.</summary>
public static class Metrology {
    /// <summary>A circle from a rake of calipers across the expected one.</summary>
    public static FindCircleResult FindCircle(OType_Image image, FindCircleSettings settings) {
        using (OFindCircleSettings s = Caliper.Checked(settings, "settings").ToNative())
        using (OFindCircleResult result = OMetrology.FindCircle(image, s)) {
            return new FindCircleResult(result);
        }
    }

    /// <summary>A circle on a 16-bit image.</summary>
    public static FindCircleResult FindCircle(OType_Image16 image, FindCircleSettings settings) {
        using (OFindCircleSettings s = Caliper.Checked(settings, "settings").ToNative())
        using (OFindCircleResult result = OMetrology.FindCircle(image, s)) {
            return new FindCircleResult(result);
        }
    }

    /// <summary>A line from a rake of calipers across the expected segment.</summary>
    public static FindLineResult FindLine(OType_Image image, FindLineSettings settings) {
        using (OFindLineSettings s = Caliper.Checked(settings, "settings").ToNative())
        using (OFindLineResult result = OMetrology.FindLine(image, s)) {
            return new FindLineResult(result);
        }
    }

    /// <summary>A line on a 16-bit image.</summary>
    public static FindLineResult FindLine(OType_Image16 image, FindLineSettings settings) {
        using (OFindLineSettings s = Caliper.Checked(settings, "settings").ToNative())
        using (OFindLineResult result = OMetrology.FindLine(image, s)) {
            return new FindLineResult(result);
        }
    }

    /// <summary>A width from one pair caliper, or a rake of them, across a bar or slot.</summary>
    public static MeasureWidthResult MeasureWidth(OType_Image image,
                                                  MeasureWidthSettings settings) {
        using (OMeasureWidthSettings s = Caliper.Checked(settings, "settings").ToNative())
        using (OMeasureWidthResult result = OMetrology.MeasureWidth(image, s)) {
            return new MeasureWidthResult(result);
        }
    }

    /// <summary>A width on a 16-bit image.</summary>
    public static MeasureWidthResult MeasureWidth(OType_Image16 image,
                                                  MeasureWidthSettings settings) {
        using (OMeasureWidthSettings s = Caliper.Checked(settings, "settings").ToNative())
        using (OMeasureWidthResult result = OMetrology.MeasureWidth(image, s)) {
            return new MeasureWidthResult(result);
        }
    }

    /// <summary>The circle fit of find circle alone, on edges the caller measured (their X, Y and
    /// Sigma are used; Sigma NaN or 0: unknown), one caliper entry per edge, without regions.
    /// Unlike find circle it does not correct the radius for the smoothing along the circle,
    /// which is not known for such edges.</summary>
    public static FindCircleResult FitCircle(CaliperEdge[] edges, CircleFitSettings settings) {
        double[] xs, ys, sigmas;
        Split(Caliper.Checked(edges, "edges"), out xs, out ys, out sigmas);
        using (OCircleFitSettings s = Caliper.Checked(settings, "settings").ToNative())
        using (OFindCircleResult result =
                   OMetrology.FitCircleToEdges(xs, ys, sigmas, edges.Length, s)) {
            return new FindCircleResult(result);
        }
    }

    /// <summary>The line fit of find line alone, on edges the caller measured.</summary>
    public static FindLineResult FitLine(CaliperEdge[] edges, LineFitSettings settings) {
        double[] xs, ys, sigmas;
        Split(Caliper.Checked(edges, "edges"), out xs, out ys, out sigmas);
        using (OLineFitSettings s = Caliper.Checked(settings, "settings").ToNative())
        using (OFindLineResult result =
                   OMetrology.FitLineToEdges(xs, ys, sigmas, edges.Length, s)) {
            return new FindLineResult(result);
        }
    }

    /// <summary>A short English text for a status (a result's own text also gives the counts
    /// behind it).</summary>
    public static string Text(MetrologyStatus status) {
        return NativeInterfaceTrevaskFoundationEdgeDetection.MetrologyStatusText(status);
    }

    static void Split(CaliperEdge[] edges, out double[] xs, out double[] ys,
                      out double[] sigmas) {
        xs = Array.ConvertAll(edges, edge => edge.X);
        ys = Array.ConvertAll(edges, edge => edge.Y);
        sigmas = Array.ConvertAll(edges, edge => edge.Sigma);
    }
}

}
