// Reads a grey PNG file (8 or 16 bits per pixel, not interlaced), as edgemeasure writes them,
// with nothing but the base class library: the chunks, zlib's deflate stream and the five row
// filters. Other PNGs (colour, palette, interlaced) are refused with InvalidDataException; a
// program that needs them reads them with an imaging library and hands the pixels over as arrays.

using System;
using System.IO;
using System.IO.Compression;
using System.Text;

sealed class GreyPng {
    static readonly byte[] Signature = { 137, 80, 78, 71, 13, 10, 26, 10 };
    const int GreyColourType = 0;
    const int ZlibHeaderBytes = 2;  // the deflate stream starts after zlib's two header bytes

    public int Width { get; private set; }
    public int Height { get; private set; }
    public int BitDepth { get; private set; }
    // Row-major grey values, the high byte first for 16 bits (as PNG stores them).
    public byte[] Bytes { get; private set; }

    public static GreyPng Read(string path) {
        using (var reader = new BinaryReader(File.OpenRead(path))) {
            if (!Equal(reader.ReadBytes(Signature.Length), Signature)) {
                throw new InvalidDataException(path + " is not a PNG file");
            }
            var png = new GreyPng();
            var compressed = new MemoryStream();
            for (;;) {
                int length = ReadBigEndian(reader);
                string type = Encoding.ASCII.GetString(reader.ReadBytes(4));
                byte[] data = reader.ReadBytes(length);
                reader.ReadBytes(4);  // CRC: a damaged stream fails in the inflater or the filters
                if (data.Length != length) {
                    throw new InvalidDataException(path + ": truncated " + type + " chunk");
                }
                if (type == "IHDR") {
                    png.ReadHeader(data, path);
                } else if (type == "IDAT") {
                    compressed.Write(data, 0, data.Length);
                } else if (type == "IEND") {
                    break;
                }
            }
            png.Bytes = Unfilter(Inflate(compressed), png.Width, png.Height, png.BitDepth / 8,
                                 path);
            return png;
        }
    }

    // The grey values of an 8-bit image.
    public byte[] Pixels8() {
        return Bytes;
    }

    // The grey values of a 16-bit image.
    public ushort[] Pixels16() {
        var pixels = new ushort[Width * Height];
        for (int i = 0; i < pixels.Length; i++) {
            pixels[i] = (ushort)(Bytes[2 * i] << 8 | Bytes[2 * i + 1]);
        }
        return pixels;
    }

    void ReadHeader(byte[] header, string path) {
        const int HeaderBytes = 13;
        if (header.Length != HeaderBytes) {
            throw new InvalidDataException(path + ": bad header");
        }
        Width = ReadBigEndian(header, 0);
        Height = ReadBigEndian(header, 4);
        BitDepth = header[8];
        int colourType = header[9], interlace = header[12];
        if (colourType != GreyColourType || (BitDepth != 8 && BitDepth != 16) || interlace != 0 ||
            Width < 1 || Height < 1 || (long)Width * Height > int.MaxValue / 2) {
            throw new InvalidDataException(path + ": not a grey PNG of 8 or 16 bits, not " +
                                           "interlaced");
        }
    }

    static byte[] Inflate(MemoryStream zlib) {
        zlib.Position = ZlibHeaderBytes;
        using (var inflater = new DeflateStream(zlib, CompressionMode.Decompress))
        using (var raw = new MemoryStream()) {
            inflater.CopyTo(raw);
            return raw.ToArray();
        }
    }

    // Undoes the filter byte in front of each row (PNG's filter types 0..4).
    static byte[] Unfilter(byte[] raw, int width, int height, int bytesPerPixel, string path) {
        int rowBytes = width * bytesPerPixel;
        if (raw.Length < (long)(rowBytes + 1) * height) {
            throw new InvalidDataException(path + ": too few pixel bytes");
        }
        var pixels = new byte[rowBytes * height];
        for (int y = 0; y < height; y++) {
            int filter = raw[y * (rowBytes + 1)], source = y * (rowBytes + 1) + 1, row = y * rowBytes;
            for (int i = 0; i < rowBytes; i++) {
                int left = i >= bytesPerPixel ? pixels[row + i - bytesPerPixel] : 0;
                int up = y > 0 ? pixels[row - rowBytes + i] : 0;
                int upLeft = y > 0 && i >= bytesPerPixel ? pixels[row - rowBytes + i - bytesPerPixel] : 0;
                int predicted;
                switch (filter) {
                    case 0: predicted = 0; break;
                    case 1: predicted = left; break;
                    case 2: predicted = up; break;
                    case 3: predicted = (left + up) / 2; break;
                    case 4: predicted = Paeth(left, up, upLeft); break;
                    default: throw new InvalidDataException(path + ": unknown row filter");
                }
                pixels[row + i] = (byte)(raw[source + i] + predicted);
            }
        }
        return pixels;
    }

    static int Paeth(int left, int up, int upLeft) {
        int p = left + up - upLeft;
        int pa = Math.Abs(p - left), pb = Math.Abs(p - up), pc = Math.Abs(p - upLeft);
        return pa <= pb && pa <= pc ? left : pb <= pc ? up : upLeft;
    }

    static int ReadBigEndian(BinaryReader reader) {
        byte[] bytes = reader.ReadBytes(4);
        if (bytes.Length != 4) {
            throw new InvalidDataException("truncated PNG file");
        }
        return ReadBigEndian(bytes, 0);
    }

    static int ReadBigEndian(byte[] bytes, int at) {
        return bytes[at] << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
    }

    static bool Equal(byte[] a, byte[] b) {
        if (a.Length != b.Length) {
            return false;
        }
        for (int i = 0; i < a.Length; i++) {
            if (a[i] != b[i]) {
                return false;
            }
        }
        return true;
    }
}
