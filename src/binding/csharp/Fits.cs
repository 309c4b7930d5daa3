// The circle fit with its outlier filter and the regression line with its outlier filters, as
// one call each that takes points in pixels and answers a result object.
//
// Both call the library's own entry points (OCircleFit_OutlierFilter::bComputeCircleFit,
// OVector_Regression::bComputeRegressionLine) with every quality figure switched on, and copy
// what they answer: the results equal those of a C++ caller with the same arguments. The
// regression takes its points as OVector, so coordinates are rounded to 1/65536 pixel first, as
// OVector(double, double) rounds them.

using System;

namespace NativeInterface.Trevask.Foundation.EdgeDetection {

/// <summary>A point in pixels (pixel i covers [i, i + 1), x to the right, y downwards).</summary>
public struct PointD {
    /// <summary>The point (<paramref name="x"/>, <paramref name="y"/>).</summary>
    public PointD(double x, double y) {
        X = x;
        Y = y;
    }

    /// <summary>X in pixels.</summary>
    public double X { get; private set; }
    /// <summary>Y in pixels.</summary>
    public double Y { get; private set; }

    /// <summary>The point as text.</summary>
    public override string ToString() {
        return string.Format("({0}, {1})", X, Y);
    }
}

/// <summary>A circle in pixels.</summary>
public struct Circle {
    /// <summary>The circle around (<paramref name="centerX"/>, <paramref name="centerY"/>) with
    /// <paramref name="radius"/>.</summary>
    public Circle(double centerX, double centerY, double radius) {
        CenterX = centerX;
        CenterY = centerY;
        Radius = radius;
    }

    /// <summary>X of the centre.</summary>
    public double CenterX { get; private set; }
    /// <summary>Y of the centre.</summary>
    public double CenterY { get; private set; }
    /// <summary>The radius.</summary>
    public double Radius { get; private set; }
}

/// <summary>A quality figure of a circle fit: the input point of largest deviation of its kind
/// and the nearest point of the circle.</summary>
public struct CircleDeviation {
    internal CircleDeviation(double value, PointD point, PointD onCircle) {
        Value = value;
        Point = point;
        OnCircle = onCircle;
    }

    /// <summary>The deviation |d - r| of the point (d its distance from the centre).</summary>
    public double Value { get; private set; }
    /// <summary>The input point.</summary>
    public PointD Point { get; private set; }
    /// <summary>The point of the circle nearest to it.</summary>
    public PointD OnCircle { get; private set; }
}

/// <summary>How a circle is fitted (see <see cref="CircleFit.Fit"/>). The
/// defaults: checked, the standard-deviation filter in up to 5 passes, 2 standard deviations, the
/// first guess from the points.</summary>
public sealed class CircleFitParameters {
    /// <summary>Plain, or checked: implausible circles refused, refits kept only when they lower
    /// sigma, the quality figures computed.</summary>
    public CircleFitMode Mode { get; set; } = CircleFitMode.Checked;
    /// <summary>The outlier filter.</summary>
    public CircleFitFilter Filter { get; set; } = CircleFitFilter.StdDev;
    /// <summary>Most passes of the filter.</summary>
    public int FilterPasses { get; set; } = 5;
    /// <summary>Half width of the filter's band, in standard deviations of the squared
    /// distances from the centre (never narrower than 1).</summary>
    public double SigmaFactor { get; set; } = 2.0;
    /// <summary>Where the fit starts; null: at the centroid of the points, with their mean
    /// distance from it as the radius.</summary>
    public Circle? Guess { get; set; }
}

/// <summary>What a circle fit answers. When <see cref="Ok"/> is false the counts and figures are
/// zero and the circle is the guess or the last fit the filter reached.</summary>
public sealed class CircleFitResult {
    /// <summary>A circle was fitted.</summary>
    public bool Ok { get; internal set; }
    /// <summary>The fitted circle.</summary>
    public Circle Circle { get; internal set; }
    /// <summary>Root-mean-square orthogonal distance of the kept points from the circle.</summary>
    public double Sigma { get; internal set; }
    /// <summary>Iterations of the last fit.</summary>
    public int Iterations { get; internal set; }
    /// <summary>The points kept, in input order.</summary>
    public PointD[] Inliers { get; internal set; }
    /// <summary>The points dropped, in the order the filter dropped them.</summary>
    public PointD[] Outliers { get; internal set; }
    /// <summary>The point of largest |d - r| over all input points (checked mode, four points or
    /// more), else null.</summary>
    public CircleDeviation? MaxDeviation { get; internal set; }
    /// <summary>The point farthest inside the circle, else null.</summary>
    public CircleDeviation? MaxInnerDeviation { get; internal set; }
    /// <summary>The point farthest outside the circle, else null.</summary>
    public CircleDeviation? MaxOuterDeviation { get; internal set; }
    /// <summary>Standard deviation of the distances from the centre over all input points
    /// (checked mode).</summary>
    public double SigmaAll { get; internal set; }
    /// <summary>The same over the kept points.</summary>
    public double SigmaInliers { get; internal set; }
}

/// <summary>How a line is fitted (see <see cref="LineRegression.Fit"/>). The defaults: quality
/// figures, DETSAC with an inlier distance of 2 pixels at search level 4.</summary>
public sealed class RegressionParameters {
    /// <summary>Orientation of the fit and whether the quality figures are computed.</summary>
    public RegressionMode Mode { get; set; } = RegressionMode.QualityFigures;
    /// <summary>The outlier filter.</summary>
    public RegressionFilter Filter { get; set; } = RegressionFilter.DETSAC;
    /// <summary>Most passes of the standard-deviation filter.</summary>
    public int FilterPasses { get; set; } = 5;
    /// <summary>Half width of the standard-deviation filter's band, in standard
    /// deviations.</summary>
    public double SigmaFactor { get; set; } = 2.0;
    /// <summary>Largest distance of a DETSAC inlier from the line, whole pixels.</summary>
    public int InlierDistance { get; set; } = 2;
    /// <summary>How thoroughly DETSAC searches, 0..8 (8: every pair of points).</summary>
    public int SearchLevel { get; set; } = 4;
}

/// <summary>What a line fit answers. When <see cref="Ok"/> is false every figure is zero.</summary>
public sealed class RegressionResult {
    /// <summary>A line was fitted.</summary>
    public bool Ok { get; internal set; }
    /// <summary>Direction of the line in radians, modulo pi.</summary>
    public double Angle { get; internal set; }
    /// <summary>The centroid of the kept points, on the line.</summary>
    public PointD Centre { get; internal set; }
    /// <summary>The points kept, in input order.</summary>
    public PointD[] Inliers { get; internal set; }
    /// <summary>The points rejected.</summary>
    public PointD[] Outliers { get; internal set; }
    /// <summary>The input point farthest from the line (quality mode), else null.</summary>
    public PointD? Farthest { get; internal set; }
    /// <summary>Its distance from the line in pixels (to 1/65536 pixel).</summary>
    public double MaxDistance { get; internal set; }
    /// <summary>The foot of the perpendicular from that point on the line.</summary>
    public PointD Foot { get; internal set; }
    /// <summary>Standard deviation of the perpendicular distances of all input points.</summary>
    public double SigmaAll { get; internal set; }
    /// <summary>The same over the kept points.</summary>
    public double SigmaInliers { get; internal set; }
}

/// <summary>The circle fit with its outlier filter (OCircleFit_OutlierFilter).</summary>
public static class CircleFit {
    // Used as the guess's sigma: the first fit must beat it, and any real fit does.
    const double UnbeatenSigma = 1e10;

    /// <summary>Fits a circle to the points, dropping outliers by the filter: a geometric fit
    /// (least squares of the orthogonal distances), then passes that drop the points whose squared
    /// distance from the centre lies outside the band, each followed by a refit.</summary>
    /// <exception cref="ArgumentNullException">points or parameters is null.</exception>
    public static CircleFitResult Fit(PointD[] points, CircleFitParameters parameters) {
        if (points == null) {
            throw new ArgumentNullException("points");
        }
        if (parameters == null) {
            throw new ArgumentNullException("parameters");
        }
        double[] xs = new double[points.Length], ys = new double[points.Length];
        for (int i = 0; i < points.Length; i++) {
            xs[i] = points[i].X;
            ys[i] = points[i].Y;
        }
        const bool AllFigures = true;
        const int NoIterations = 0;
        using (OCircleFit_Circle circle = StartingCircle(parameters.Guess, xs, ys))
        using (OVector_Array inliers = new OVector_Array())
        using (OVector_Array outliers = new OVector_Array()) {
            circle.Sigma = UnbeatenSigma;
            circle.Iterations = NoIterations;
            int inlierCount, outlierCount;
            bool devFound, innerFound, outerFound;
            double dev, devX, devY, devCX, devCY, inner, inX, inY, inCX, inCY;
            double outer, outX, outY, outCX, outCY, sigmaAll, sigmaInliers;
            bool ok = OCircleFit_OutlierFilter.bComputeCircleFit(
                (int)parameters.Mode, xs, ys, points.Length, AllFigures, AllFigures, AllFigures,
                AllFigures, AllFigures, (int)parameters.Filter, parameters.FilterPasses,
                parameters.SigmaFactor, circle, inliers, outliers, out inlierCount,
                out outlierCount, out devFound, out dev, out devX, out devY, out devCX, out devCY,
                out innerFound, out inner, out inX, out inY, out inCX, out inCY, out outerFound,
                out outer, out outX, out outY, out outCX, out outCY, out sigmaAll,
                out sigmaInliers);
            return new CircleFitResult {
                Ok = ok,
                Circle = new Circle(circle.CenterX, circle.CenterY, circle.Radius),
                Sigma = circle.Sigma,
                Iterations = circle.Iterations,
                Inliers = ok ? inliers.ToPoints() : new PointD[0],
                Outliers = ok ? outliers.ToPoints() : new PointD[0],
                MaxDeviation = Deviation(devFound, dev, devX, devY, devCX, devCY),
                MaxInnerDeviation = Deviation(innerFound, inner, inX, inY, inCX, inCY),
                MaxOuterDeviation = Deviation(outerFound, outer, outX, outY, outCX, outCY),
                SigmaAll = sigmaAll,
                SigmaInliers = sigmaInliers,
            };
        }
    }

    static OCircleFit_Circle StartingCircle(Circle? guess, double[] xs, double[] ys) {
        if (guess.HasValue) {
            return new OCircleFit_Circle(guess.Value.CenterX, guess.Value.CenterY,
                                         guess.Value.Radius);
        }
        return OCircleFit_OutlierFilter.CentroidGuess(xs, ys, xs.Length);
    }

    static CircleDeviation? Deviation(bool found, double value, double x, double y,
                                      double circleX, double circleY) {
        if (!found) {
            return null;
        }
        return new CircleDeviation(value, new PointD(x, y), new PointD(circleX, circleY));
    }
}

/// <summary>The regression line with its outlier filters (OVector_Regression).</summary>
public static class LineRegression {
    /// <summary>Fits a straight line to the points by exact integer least squares, rejecting
    /// outliers by the filter.</summary>
    /// <exception cref="ArgumentNullException">points or parameters is null.</exception>
    public static RegressionResult Fit(PointD[] points, RegressionParameters parameters) {
        if (points == null) {
            throw new ArgumentNullException("points");
        }
        if (parameters == null) {
            throw new ArgumentNullException("parameters");
        }
        const bool AllFigures = true;
        using (OVector_Array list = new OVector_Array())
        using (OVector_Array outliers = new OVector_Array())
        using (OVector centre = new OVector()) {
            foreach (PointD p in points) {
                using (OVector v = new OVector(p.X, p.Y)) {
                    list.Add(v);
                }
            }
            double angle, footX, footY, sigmaAll, sigmaInliers;
            int inlierCount, outlierCount;
            bool farthestFound;
            long maxDistance, farthestX, farthestY;
            bool ok = OVector_Regression.bComputeRegressionLine(
                (int)parameters.Mode, list, AllFigures, AllFigures, AllFigures,
                (int)parameters.Filter, parameters.FilterPasses, parameters.SigmaFactor,
                parameters.InlierDistance, parameters.SearchLevel, out angle, centre, outliers,
                out inlierCount, out outlierCount, out farthestFound, out maxDistance,
                out farthestX, out farthestY, out footX, out footY, out sigmaAll,
                out sigmaInliers);
            return new RegressionResult {
                Ok = ok,
                Angle = angle,
                Centre = new PointD(centre.dX(), centre.dY()),
                Inliers = ok ? list.ToPoints() : new PointD[0],
                Outliers = ok ? outliers.ToPoints() : new PointD[0],
                Farthest = farthestFound ? new PointD(OVector.PixelsFromRaw(farthestX),
                                                      OVector.PixelsFromRaw(farthestY))
                                         : (PointD?)null,
                MaxDistance = OVector.PixelsFromRaw(maxDistance),
                Foot = new PointD(footX, footY),
                SigmaAll = sigmaAll,
                SigmaInliers = sigmaInliers,
            };
        }
    }
}

public partial class OVector {
    // Raw 16.16 units per pixel.
    const double RawPerPixel = 65536.0;

    internal static double PixelsFromRaw(long raw) {
        return raw / RawPerPixel;
    }
}

public partial class OVector_Array {
    // The points in pixels; an empty slot is left out.
    internal PointD[] ToPoints() {
        int count = GetCount();
        var points = new System.Collections.Generic.List<PointD>(count);
        for (int i = 0; i < count; i++) {
            using (OVector v = GetAt(i)) {
                if (v != null) {
                    points.Add(new PointD(v.dX(), v.dY()));
                }
            }
        }
        return points.ToArray();
    }
}

}
