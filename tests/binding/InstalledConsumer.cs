// A program outside the project, compiled against the installed assembly and run with the
// assembly and its config beside it: prints the assembly's version and one caliper measurement,
// which needs the native library that the config names.

using System;
using NativeInterface.Trevask.Foundation.EdgeDetection;

static class InstalledConsumer {
    static int Main() {
        const int Width = 40, Height = 20, Edge = 25;
        byte[] pixels = new byte[Width * Height];
        for (int i = 0; i < pixels.Length; i++) {
            pixels[i] = (byte)(i % Width < Edge ? 30 : 200);
        }
        using (OType_Image image = new OType_Image(Width, Height, pixels)) {
            CaliperEdgeResult found = Caliper.MeasureEdges(
                image, new CaliperLine(5.5, 10.5, 35.5, 10.5, 5), new CaliperEdgeSettings());
            Console.WriteLine("version " + typeof(Caliper).Assembly.GetName().Version);
            Console.WriteLine(found.Ok ? "edge at x = " + found.Edges[0].X : found.StatusText);
            return found.Ok ? 0 : 1;
        }
    }
}
