// The path search in C# terms: enums for the codes, results as values in pixels, null for
// "nothing found".
//
// Every method here calls the path's own operations (bCreateTransitionFunction,
// FindNextTransition..., OSubpixelCalculation.CalculateTransitionOnPath) and answers exactly what
// they answer, converted: raw 16.16 points become pixels (raw / 65536), a false answer becomes
// null. A search continues from where the path stands, as the path's own searches do; Reset()
// starts again from the beginning.

using System;

namespace NativeInterface.Trevask.Foundation.EdgeDetection {

/// <summary>A transition found on a path: its path index and its point in pixels (pixel i covers
/// [i, i + 1)).</summary>
public struct PathEdge {
    /// <summary>The edge at <paramref name="index"/> and (<paramref name="x"/>,
    /// <paramref name="y"/>) pixels, with the arc's <paramref name="angle"/> on a circle.</summary>
    public PathEdge(int index, double x, double y, double angle) {
        Index = index;
        X = x;
        Y = y;
        Angle = angle;
    }

    /// <summary>Path index: for an entering transition the first position inside the threshold,
    /// for a leaving one the last position inside.</summary>
    public int Index { get; private set; }
    /// <summary>X of the edge in pixels.</summary>
    public double X { get; private set; }
    /// <summary>Y of the edge in pixels.</summary>
    public double Y { get; private set; }
    /// <summary>On a circle the angle in radians where the search saw the change (0 on a
    /// line).</summary>
    public double Angle { get; private set; }

    /// <summary>The edge as text, for messages.</summary>
    public override string ToString() {
        return string.Format("PathEdge(index {0}, x {1}, y {2})", Index, X, Y);
    }
}

/// <summary>The two edges of a pair search.</summary>
public struct PathEdgePair {
    /// <summary>A pair of a first and a second edge.</summary>
    public PathEdgePair(PathEdge first, PathEdge second) {
        First = first;
        Second = second;
    }

    /// <summary>The first (start) edge.</summary>
    public PathEdge First { get; private set; }
    /// <summary>The second (end) edge.</summary>
    public PathEdge Second { get; private set; }
}

/// <summary>What one edge of a pair search looks for.</summary>
public struct PairEdgeSearch {
    /// <summary>The <paramref name="ordinal"/>-th transition of <paramref name="polarity"/>;
    /// the distances are in path steps.</summary>
    public PairEdgeSearch(int ordinal, TransitionPolarity polarity, int minDistance = 0,
                          int minDistanceToOther = 0, int referenceIndex = 0) {
        Ordinal = ordinal;
        Polarity = polarity;
        MinDistance = minDistance;
        MinDistanceToOther = minDistanceToOther;
        ReferenceIndex = referenceIndex;
    }

    /// <summary>Which qualifying transition is wanted, counted from 1 (0: the position where the
    /// path stands).</summary>
    public int Ordinal { get; private set; }
    /// <summary>Which transitions qualify.</summary>
    public TransitionPolarity Polarity { get; private set; }
    /// <summary>Least distance in path steps from the reference index, which moves to every
    /// qualifying transition.</summary>
    public int MinDistance { get; private set; }
    /// <summary>Least distance in path steps from the other edge's current result.</summary>
    public int MinDistanceToOther { get; private set; }
    /// <summary>The first reference index (and the result index until an edge is
    /// found).</summary>
    public int ReferenceIndex { get; private set; }
}

public partial class OVectorPath {
    /// <summary>Number of steps: the path has the positions 0 to Count.</summary>
    public int Count {
        get { return GetCount(); }
    }

    /// <summary>Sets the rule that says whether a position lies "in threshold"; see
    /// <see cref="TransitionType"/> for the parameters of each type. The image is read by
    /// <see cref="TransitionType.Canny"/> only (it may be null otherwise).</summary>
    /// <returns>False, changing nothing, when a parameter lies outside its range.</returns>
    public bool SetTransitionFunction(TransitionType type, int param1, int param2, int param3 = 0,
                                      int param4 = 0, OType_Image image = null) {
        return bCreateTransitionFunction((int)type, param1, param2, param3, param4, image);
    }

    /// <summary>In threshold while the grey value lies in [<paramref name="low"/>,
    /// <paramref name="high"/>] (both 0..255).</summary>
    /// <returns>False, changing nothing, for bounds outside 0..255 or low above high.</returns>
    public bool SetBand(int low, int high) {
        return SetTransitionFunction(TransitionType.Band, low, high);
    }

    /// <summary>The next transition of <paramref name="polarity"/> at least
    /// <paramref name="minDistance"/> steps after <paramref name="referenceIndex"/>, from where
    /// the path stands.</summary>
    /// <returns>The edge, or null when the path ends first (or the image is null).</returns>
    public PathEdge? FindNext(OType_Image image, TransitionPolarity polarity,
                              int minDistance = 0, int referenceIndex = 0) {
        using (OVector point = new OVector()) {
            int index;
            double angle;
            if (!FindNextTransition(image, (int)polarity, minDistance, referenceIndex, out index,
                                    point, out angle, null, 0, 0)) {
                return null;
            }
            return Edge(index, point, angle);
        }
    }

    /// <summary>The <paramref name="ordinal"/>-th transition of <paramref name="polarity"/>
    /// (counted from 1) from where the path stands.</summary>
    /// <returns>The edge, or null when there are fewer.</returns>
    public PathEdge? FindNth(OType_Image image, int ordinal, TransitionPolarity polarity,
                             int minDistance = 0, int referenceIndex = 0) {
        using (OVector point = new OVector()) {
            int index;
            double angle;
            if (!FindNextTransitionSingle(image, ordinal, (int)polarity, minDistance,
                                          referenceIndex, out index, point, out angle, null, 0,
                                          0, false)) {
                return null;
            }
            return Edge(index, point, angle);
        }
    }

    /// <summary>A first and a second edge at once. With <paramref name="secondAfterFirst"/>
    /// second edges count only once the first edge is found; otherwise both searches run from the
    /// start and may meet the same transition.</summary>
    /// <returns>The pair, or null unless both were found.</returns>
    public PathEdgePair? FindPair(OType_Image image, PairEdgeSearch first, PairEdgeSearch second,
                                  bool secondAfterFirst = true) {
        // The pair search's value of "second after first"; any other value searches both at once.
        const int SecondAfterFirstCode = 1, BothFromStartCode = 0;
        using (OVector point1 = new OVector())
        using (OVector point2 = new OVector()) {
            int index1, index2;
            double angle1, angle2;
            if (!FindNextTransitionPair(
                    image, first.Ordinal, (int)first.Polarity, first.MinDistance,
                    first.MinDistanceToOther, first.ReferenceIndex, second.Ordinal,
                    (int)second.Polarity, second.MinDistance, second.MinDistanceToOther,
                    second.ReferenceIndex, secondAfterFirst ? SecondAfterFirstCode : BothFromStartCode,
                    out index1, point1, out angle1, out index2, point2, out angle2, null, 0, 0, 0,
                    false)) {
                return null;
            }
            return new PathEdgePair(Edge(index1, point1, angle1), Edge(index2, point2, angle2));
        }
    }

    /// <summary>The sub-pixel position of the transition at <paramref name="index"/>: the centre
    /// of the strongest gradient among the grey values at index - 3 .. index + 3, on the path
    /// (OSubpixelCalculation.CalculateTransitionOnPath).</summary>
    /// <returns>The refined edge (Index unchanged), or null when the index lies within 3 steps of
    /// either end, a sample lies outside the image (or the image is null) or the profile has no
    /// gradient peak.</returns>
    public PathEdge? Refine(OType_Image image, int index) {
        using (OVector point = new OVector()) {
            double angle;
            if (OSubpixelCalculation.CalculateTransitionOnPath(
                    image, this, OSubpixelCalculation.kMethodSixTap, index, point, out angle) != 1) {
                return null;
            }
            return Edge(index, point, angle);
        }
    }

    static PathEdge Edge(int index, OVector point, double angle) {
        return new PathEdge(index, point.dX(), point.dY(), angle);
    }
}

public partial class OCannyEdge {
    /// <summary>The transition function of a grey profile, one value per sample: 0 or 1 (1 on
    /// the dark side of an edge) and, at each edge's peak sample, its gradient magnitude; with
    /// <paramref name="keepMagnitudes"/> every sample's absolute gradient. The no-value marker
    /// int.MinValue splits the profile into independent segments.</summary>
    /// <param name="profile">Grey values (their low byte counts).</param>
    /// <param name="threshold">Least gradient magnitude of an edge (below 1 acts as 1).</param>
    /// <param name="sigmaIndex">Row of the smoothing kernel, 0..12 for sigma 0.8..2.0 (2 is
    /// sigma 1.0).</param>
    /// <param name="keepMagnitudes">Keep every sample's gradient instead of levels.</param>
    /// <returns>The transition function, or null for an empty profile.</returns>
    public static int[] FindTransitions(int[] profile, int threshold, int sigmaIndex,
                                        bool keepMagnitudes = false) {
        if (profile == null) {
            throw new ArgumentNullException("profile");
        }
        int[] transitions = new int[profile.Length];
        if (!FindTransitions(profile, transitions, profile.Length, threshold, sigmaIndex,
                             keepMagnitudes)) {
            return null;
        }
        return transitions;
    }
}

}
