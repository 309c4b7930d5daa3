// Grey images from managed arrays, 8 and 16 bits, with a row stride.
//
// The pixels are copied into the native image, which then owns them: the image stays valid while
// native code reads it whatever happens to the managed array, and no array stays pinned for the
// life of an image (the price is one copy of the rows when the image is made). An array too short
// for its rows is refused with ArgumentException, never padded.

using System;

namespace NativeInterface.Trevask.Foundation.EdgeDetection {

internal static class PixelRows {
    // Checks that `height` rows of `width` pixels, `stride` pixels apart, lie inside `pixels`, and
    // answers the array for the native call.
    internal static T[] Checked<T>(T[] pixels, int width, int height, int stride) {
        if (pixels == null) {
            throw new ArgumentNullException("pixels");
        }
        if (width < 0) {
            throw new ArgumentOutOfRangeException("width", width, "negative width");
        }
        if (height < 0) {
            throw new ArgumentOutOfRangeException("height", height, "negative height");
        }
        if (stride < width) {
            throw new ArgumentOutOfRangeException("stride", stride,
                "the stride is smaller than the width " + width);
        }
        long needed = width == 0 || height == 0 ? 0 : (long)(height - 1) * stride + width;
        if (pixels.LongLength < needed) {
            throw new ArgumentException("the array holds " + pixels.LongLength + " pixels; " +
                height + " rows of " + width + " at a stride of " + stride + " need " + needed,
                "pixels");
        }
        return pixels;
    }
}

public partial class OType_Image {
    /// <summary>An image over a copy of <paramref name="pixels"/>: <paramref name="height"/> rows
    /// of <paramref name="width"/> bytes, row after row without gaps.</summary>
    /// <exception cref="ArgumentNullException">pixels is null.</exception>
    /// <exception cref="ArgumentException">A size is negative, or the array is
    /// shorter than width * height.</exception>
    public OType_Image(int width, int height, byte[] pixels) : this(width, height, pixels, width) {
    }

    /// <summary>An image over a copy of <paramref name="pixels"/>: <paramref name="height"/> rows
    /// of <paramref name="width"/> bytes, each row <paramref name="stride"/> bytes after the one
    /// before (the last row needs only its width).</summary>
    /// <exception cref="ArgumentNullException">pixels is null.</exception>
    /// <exception cref="ArgumentException">A size is negative, the stride is smaller
    /// than the width, or the array is too short for the rows.</exception>
    public OType_Image(int width, int height, byte[] pixels, int stride)
        : this(width, height, PixelRows.Checked(pixels, width, height, stride), pixels.Length,
               stride) {
    }

    /// <summary>Width in pixels.</summary>
    public int Width {
        get { return GetWidth(); }
    }

    /// <summary>Height in pixels.</summary>
    public int Height {
        get { return GetHeight(); }
    }
}

public partial class OType_Image16 {
    /// <summary>A 16-bit image over a copy of <paramref name="pixels"/>: <paramref name="height"/>
    /// rows of <paramref name="width"/> pixels without gaps. Grey values are the camera's own
    /// (0..4095 for 12 bits); the calipers' thresholds are in the same scale.</summary>
    /// <exception cref="ArgumentNullException">pixels is null.</exception>
    /// <exception cref="ArgumentException">A size is negative, or the array is
    /// shorter than width * height.</exception>
    public OType_Image16(int width, int height, ushort[] pixels) : this(width, height, pixels, width) {
    }

    /// <summary>A 16-bit image over a copy of <paramref name="pixels"/>, each row
    /// <paramref name="stride"/> pixels (not bytes) after the one before.</summary>
    /// <exception cref="ArgumentNullException">pixels is null.</exception>
    /// <exception cref="ArgumentException">A size is negative, the stride is smaller
    /// than the width, or the array is too short for the rows.</exception>
    public OType_Image16(int width, int height, ushort[] pixels, int stride)
        : this(width, height, PixelRows.Checked(pixels, width, height, stride), pixels.Length,
               stride) {
    }

    /// <summary>Width in pixels.</summary>
    public int Width {
        get { return GetWidth(); }
    }

    /// <summary>Height in pixels.</summary>
    public int Height {
        get { return GetHeight(); }
    }
}

}
