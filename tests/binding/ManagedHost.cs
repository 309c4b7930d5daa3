// A managed host that uses the generated proxies against the real libedgedetection.so, the way an
// application does: its first proxy call registers the error callbacks (the PINVOKE class's static
// start-up), then it builds an image, lays a line and a circle over it, finds edges and a pair,
// runs the Canny detector on a profile, stores and restores a path, and passes null references.
//
// The image: 100 x 60 pixels, dark (20) except a bright vertical band (200) over the columns
// 40..59. The line from (5, 30) to (95, 30) steps one pixel per index, so index k lies in column
// 5 + k: it enters the band at index 35 (column 40) and leaves after index 54 (column 59).

using System;
using NativeInterface.Trevask.Foundation.EdgeDetection;

static class ManagedHost {
    const int Width = 100, Height = 60, Dark = 20, Bright = 200;
    const int BandFirstColumn = 40, BandLastColumn = 59, LineStartX = 5, LineEndX = 95, LineY = 30;

    static int passed, failed;

    static void Check(bool condition, string what) {
        if (condition) {
            passed++;
            return;
        }
        failed++;
        Console.WriteLine("FAILED: " + what);
    }

    // The end points' proxies are left to the garbage collector.
    static OVectorPath_Line MakeLine() {
        return new OVectorPath_Line(new OVector(LineStartX, LineY), new OVector(LineEndX, LineY));
    }

    static void Searches(OType_Image image) {
        using (OVectorPath_Line line = MakeLine())
        using (OVectorPath_Circle circle =
                   new OVectorPath_Circle(new OVector(50, LineY), 15.0, 0.0, 360.0))
        using (OVector v = new OVector())
        using (OVector second = new OVector()) {
            foreach (OVectorPath path in new OVectorPath[] { line, circle }) {
                Check(path.bCreateTransitionFunction(OVectorPath.kTransitionBand, 100, 255, 0, 0, image), "band");
            }
            int index, index2;
            double angle, angle2;
            bool found = line.FindNextTransitionPair(image, 1, OVectorPath.kPolarityEntering, 0, 0,
                                                     0, 1, OVectorPath.kPolarityLeaving, 0, 0, 0,
                                                     OVectorPath.kSecondAfterFirst, out index, v,
                                                     out angle, out index2, second, out angle2,
                                                     null, 0, 0, 0, false);
            Check(found && v.iX() == BandFirstColumn && second.iX() == BandLastColumn
                      && index == BandFirstColumn - LineStartX
                      && index2 == BandLastColumn - LineStartX,
                  "the pair spans the band");

            // From angle 0 (column 65, dark) the circle runs into the band from its right side.
            found = circle.FindNextTransition(image, OVectorPath.kPolarityAny, 0, 0, out index, v,
                                              out angle, null, 0, 0);
            Check(found && v.iX() == BandLastColumn && angle > 0.0 && angle < Math.PI / 2,
                  "the circle meets the band's right edge in its first quarter");
        }
    }

    static void Canny() {
        using (OIntList profile = new OIntList())
        using (OIntList result = new OIntList()) {
            const int Samples = 30, EdgeAt = 15;
            for (int k = 0; k < Samples; k++) {
                profile.Add(k < EdgeAt ? Dark : Bright);
            }
            // Level 1 on the dark side before a rising edge, 0 after it, the magnitude on its last
            // dark sample.
            Check(OCannyEdge.bFindCannyEdgeTransitions(profile, 20, 2, result)
                      && result.GetCount() == Samples && result.GetAt(0) == 1
                      && result.GetAt(Samples - 1) == 0 && result.GetAt(EdgeAt - 1) > 1,
                  "Canny on an OIntList");
        }
    }

    static void StoreAndRestore() {
        using (OVectorPath_Line line = MakeLine())
        using (OByteStream stream = new OByteStream())
        using (OVector a = new OVector(0, 0))
        using (OVector b = new OVector(1, 1))
        using (OVectorPath_Line restored = new OVectorPath_Line(a, b)) {
            Check(line.AddObjectData(stream), "AddObjectData");
            byte[] stored = stream.ToArray();
            Check((ulong)stored.Length == line.GetObjectSize(), "GetObjectSize bytes");
            using (OByteStream input = new OByteStream(stored)) {
                Check(restored.GetObjectData(input) && input.GetPosition() == (uint)stored.Length,
                      "GetObjectData reads the whole record");
            }
            restored.GetStartVector(a);
            restored.GetEndVector(b);
            Check(a.iX() == LineStartX && b.iX() == LineEndX && b.iY() == LineY,
                  "the restored line has the stored end points");
        }
    }

    // Runs `call` and checks that it raises ArgumentNullException with `message`.
    static void ExpectArgumentNull(string message, Action call) {
        try {
            call();
            Check(false, "no exception for: " + message);
        } catch (ArgumentNullException e) {
            Check(e.Message == message && e.ParamName == null,
                  "ArgumentNullException \"" + e.Message + "\", expected \"" + message + "\"");
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
            Check(line.GetCount() == LineEndX - LineStartX, "calls go on after an exception");
        }
    }

    static int Main() {
        byte[] pixels = new byte[Width * Height];
        for (int i = 0; i < pixels.Length; i++) {
            int x = i % Width;
            pixels[i] = (byte)(x >= BandFirstColumn && x <= BandLastColumn ? Bright : Dark);
        }
        using (OType_Image image = new OType_Image(Width, Height, pixels)) {
            Searches(image);
        }
        Canny();
        StoreAndRestore();
        NullReferences();
        Console.WriteLine(passed + " passed, " + failed + " failed");
        return failed == 0 ? 0 : 1;
    }
}
