// A managed host that uses the generated proxies against the real libedgedetection.so, the way an
// application does: its first proxy call registers the error callbacks (the PINVOKE class's static
// start-up), then it builds an image, lays paths over it, finds edges, runs the Canny detector on
// a profile, stores and restores a path, and passes null references.
//
// The image: 100 x 60 pixels, dark (20) except a bright vertical band (200) over the columns
// 40..59. A horizontal line from (5, 30) to (95, 30) steps one pixel per index, so index k lies in
// column 5 + k: it enters the band at index 35 (column 40) and leaves after index 54 (column 59).
// Expected positions come from this geometry.

using System;
using NativeInterface.Trevask.Foundation.EdgeDetection;

static class ManagedHost {
    const int Width = 100;
    const int Height = 60;
    const int Dark = 20;
    const int Bright = 200;
    const int BandFirstColumn = 40;
    const int BandLastColumn = 59;
    const int LineStartX = 5;
    const int LineEndX = 95;
    const int LineY = 30;
    const double Tolerance = 1e-9;

    // Polarity codes and transition function type of the search.
    const int PolarityAny = 0;
    const int PolarityEntering = 1;
    const int PolarityLeaving = 2;
    const int TypeGreyBand = 0;

    static int passed;
    static int failed;

    static void Check(bool condition, string what) {
        if (condition) {
            passed++;
        } else {
            failed++;
            Console.WriteLine("FAILED: " + what);
        }
    }

    static OType_Image MakeBandImage() {
        byte[] pixels = new byte[Width * Height];
        for (int y = 0; y < Height; y++) {
            for (int x = 0; x < Width; x++) {
                bool inBand = x >= BandFirstColumn && x <= BandLastColumn;
                pixels[y * Width + x] = (byte)(inBand ? Bright : Dark);
            }
        }
        return new OType_Image(Width, Height, pixels);
    }

    static OVectorPath_Line MakeLine() {
        using (OVector start = new OVector(LineStartX, LineY))
        using (OVector end = new OVector(LineEndX, LineY)) {
            return new OVectorPath_Line(start, end);
        }
    }

    static void SetBrightBand(OVectorPath path, OType_Image image) {
        Check(path.bCreateTransitionFunction(TypeGreyBand, 100, 255, 0, 0, image),
              "grey band transition function accepted");
    }

    static void FoundationTypes() {
        using (OType_Image image = MakeBandImage()) {
            Check(image.GetWidth() == Width && image.GetHeight() == Height, "image size");
            Check(image.GetPixel_Grey(BandFirstColumn, 0) == Bright, "band pixel");
            Check(image.GetPixel_Grey(BandFirstColumn - 1, 0) == Dark, "pixel left of the band");
        }
        using (OVector v = new OVector(1.5, -2.25))
        using (OVector raw = OVector.FromRaw(3 * 65536 + 32768, 65536)) {
            Check(Math.Abs(v.dX() - 1.5) < Tolerance && Math.Abs(v.dY() + 2.25) < Tolerance,
                  "vector from doubles");
            Check(v.iY() == -3, "pixel of a negative coordinate rounds down");
            Check(raw.GetRawX() == 3 * 65536 + 32768 && raw.iX() == 3, "vector from raw units");
        }
    }

    static void LinePath(OType_Image image) {
        using (OVectorPath_Line line = MakeLine())
        using (OVector v = new OVector())
        using (OVector_Array points = new OVector_Array()) {
            Check(line.GetPathType() == 1, "line path type");
            Check(line.GetCount() == LineEndX - LineStartX, "line step count");
            Check(line.GetVectorAt(10, v) && v.iX() == LineStartX + 10, "GetVectorAt(int)");
            Check(line.GetVectorAt(2.5, v) && Math.Abs(v.dX() - (LineStartX + 2.5)) < Tolerance,
                  "GetVectorAt(double)");
            int listed = line.GetVectorPath(points);
            Check(listed == line.GetCount() && points.GetCount() == listed,
                  "GetVectorPath lists GetCount positions");
            using (OVector first = points.GetAt(0)) {
                Check(first.iX() == LineStartX && first.iY() == LineY, "first listed position");
            }
            int pos;
            Check(line.CurrentPos(out pos) && pos == -1, "a new path stands before its start");

            SetBrightBand(line, image);
            int type, p1, p2, p3;
            line.GetTransitionFunctionParams(out type, out p1, out p2, out p3);
            Check(type == TypeGreyBand && p1 == 100 && p2 == 255 && p3 == 2,
                  "transition function parameters read back");
            Check(line.IsInTransitionThreshold(Bright) && !line.IsInTransitionThreshold(Dark),
                  "grey values against the band");

            int index;
            double angle;
            bool found = line.FindNextTransition(image, PolarityEntering, 0, 0, out index, v,
                                                 out angle, null, 0, 0);
            Check(found && v.iX() == BandFirstColumn && index == BandFirstColumn - LineStartX,
                  "FindNextTransition enters the band at its first column");
            found = line.FindNextTransition(image, PolarityLeaving, 0, 0, out index, v, out angle,
                                            null, 0, 0);
            Check(found && v.iX() == BandLastColumn, "the next search leaves at the last column");
        }
    }

    static void PairSearch(OType_Image image) {
        using (OVectorPath_Line line = MakeLine())
        using (OVector first = new OVector())
        using (OVector second = new OVector()) {
            SetBrightBand(line, image);
            int index1, index2;
            double angle1, angle2;
            bool found = line.FindNextTransitionPair(image, 1, PolarityEntering, 0, 0, 0, 1,
                                                     PolarityLeaving, 0, 0, 0, 1, out index1,
                                                     first, out angle1, out index2, second,
                                                     out angle2, null, 0, 0, 0, false);
            Check(found, "FindNextTransitionPair finds both edges");
            Check(first.iX() == BandFirstColumn && second.iX() == BandLastColumn,
                  "the pair spans the band");
            Check(index2 - index1 == BandLastColumn - BandFirstColumn, "pair indices");
        }
    }

    static void CirclePath(OType_Image image) {
        using (OVector centre = new OVector(50, LineY))
        using (OVectorPath_Circle circle = new OVectorPath_Circle(centre, 15.0, 0.0, 360.0))
        using (OVector v = new OVector()) {
            Check(circle.GetPathType() == 2 && circle.GetCount() > 0, "circle path");
            double start;
            Check(circle.GetAngle_RadAt(0, out start) && Math.Abs(start) < Tolerance,
                  "circle starts at angle 0");
            SetBrightBand(circle, image);
            int index;
            double angle;
            bool found = circle.FindNextTransition(image, PolarityAny, 0, 0, out index, v,
                                                   out angle, null, 0, 0);
            // From angle 0 (column 65, dark) the circle runs into the band from its right side.
            Check(found && v.iX() == BandLastColumn && angle > 0.0 && angle < Math.PI / 2,
                  "the circle meets the band's right edge in its first quarter");
        }
    }

    static void Canny() {
        using (OIntList profile = new OIntList())
        using (OIntList result = new OIntList()) {
            const int Samples = 30;
            const int EdgeAt = 15;
            for (int k = 0; k < Samples; k++) {
                profile.Add(k < EdgeAt ? Dark : Bright);
            }
            Check(OCannyEdge.bFindCannyEdgeTransitions(profile, 20, 2, result),
                  "Canny on an OIntList");
            Check(result.GetCount() == Samples, "one result per profile sample");
            int peaks = 0;
            long peakAt = -1;
            for (long k = 0; k < result.GetCount(); k++) {
                if (result.GetAt(k) > 1) {
                    peaks++;
                    peakAt = k;
                }
            }
            Check(peaks == 1 && Math.Abs(peakAt - EdgeAt) <= 1, "one edge peak at the step");
            Check(result.GetAt(0) == 1 && result.GetAt(Samples - 1) == 0,
                  "level 1 on the dark side before a rising edge");
        }
    }

    static void StoreAndRestore() {
        byte[] stored;
        ulong size;
        using (OVectorPath_Line line = MakeLine())
        using (OByteStream stream = new OByteStream()) {
            size = line.GetObjectSize();
            Check(line.AddObjectData(stream), "AddObjectData");
            stored = stream.ToArray();
            Check((ulong)stored.Length == size, "the record has GetObjectSize bytes");
        }
        // Both GetObjectData overloads restore the same path from the same bytes.
        using (OVector a = new OVector(0, 0))
        using (OVector b = new OVector(1, 1))
        using (OVectorPath_Line restored1 = new OVectorPath_Line(a, b))
        using (OVectorPath_Line restored2 = new OVectorPath_Line(a, b))
        using (OByteStream in1 = new OByteStream(stored))
        using (OByteStream in2 = new OByteStream(stored))
        using (OVector start = new OVector())
        using (OVector end = new OVector())
        using (OVector start2 = new OVector())
        using (OVector end2 = new OVector()) {
            bool ok1 = restored1.GetObjectData(in1);
            bool ok2 = restored2.GetObjectData(in2, true);
            Check(ok1 && ok2, "GetObjectData reads the record");
            restored1.GetStartVector(start);
            restored1.GetEndVector(end);
            restored2.GetStartVector(start2);
            restored2.GetEndVector(end2);
            Check(start.iX() == LineStartX && end.iX() == LineEndX && end.iY() == LineY,
                  "the restored line has the stored end points");
            Check(start.GetRawX() == start2.GetRawX() && end.GetRawX() == end2.GetRawX()
                      && restored1.GetCount() == restored2.GetCount(),
                  "GetObjectData(stream) equals GetObjectData(stream, true)");
            Check(in1.GetPosition() == (uint)stored.Length
                      && in2.GetPosition() == in1.GetPosition(),
                  "both overloads read the whole record");
        }
        using (OVector centre = new OVector(10, 10))
        using (OVectorPath_Circle circle = new OVectorPath_Circle(centre, 5.0, 0.0, 90.0))
        using (OByteStream wrongKind = new OByteStream(stored)) {
            Check(!circle.GetObjectData(wrongKind), "a line record does not restore a circle");
        }
    }

    // Runs `call` and checks that it raises ArgumentNullException with `message`.
    static void ExpectArgumentNull(string message, Action call) {
        try {
            call();
            Check(false, "no exception for: " + message);
        } catch (ArgumentNullException e) {
            Check(e.Message == message && e.ParamName == null,
                  "ArgumentNullException message \"" + e.Message + "\", expected \"" + message
                      + "\"");
        }
    }

    static void NullReferences() {
        using (OVectorPath_Line line = MakeLine())
        using (OIntList list = new OIntList())
        using (OVector v = new OVector(1, 1)) {
            ExpectArgumentNull("OIntList & reference is null",
                () => OCannyEdge.bFindCannyEdgeTransitions(null, 20, 2, list));
            ExpectArgumentNull("OByteStream & reference is null", () => line.AddObjectData(null));
            ExpectArgumentNull("OVector & reference is null", () => line.CurrentVector(null));
            ExpectArgumentNull("OVector_Array & reference is null", () => line.GetVectorPath(null));
            ExpectArgumentNull("Attempt to dereference null OVector",
                () => OVectorPath.DrawDirectionArrow(null, null, v));
            ExpectArgumentNull("null u16string",
                () => OVectorPath.DrawRotatedText(null, v, v, null, 0, 0, 0, 0, 18));
            // After a raised exception the layer is usable as before.
            Check(OVectorPath.DrawRotatedText(null, v, v, "12", 0, 0, 0, 0, 18) == false,
                  "a null context draws nothing");
            Check(line.GetCount() == LineEndX - LineStartX, "calls go on after an exception");
        }
    }

    static void Lifetimes() {
        using (OCannyEdge canny = new OCannyEdge())
        using (OVector_Regression regression = new OVector_Regression()) {
            Check(canny != null && regression != null, "OCannyEdge and OVector_Regression made");
        }
        using (OVector centre = new OVector(20.0f, 20.0f))
        using (OVectorPath_Circle_Float circle =
                   new OVectorPath_Circle_Float(centre, 8.0f, 0.0f, 180.0f)) {
            float angle;
            Check(circle.GetPathType() == 2 && circle.GetAngle_RadAt(0, out angle), "float circle");
        }
    }

    static int Main() {
        using (OType_Image image = MakeBandImage()) {
            FoundationTypes();
            LinePath(image);
            PairSearch(image);
            CirclePath(image);
            Canny();
            StoreAndRestore();
            NullReferences();
            Lifetimes();
        }
        Console.WriteLine(passed + " passed, " + failed + " failed");
        return failed == 0 ? 0 : 1;
    }
}
