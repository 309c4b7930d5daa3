#include "command/HelpText.h"

namespace {

const char* const kOverviewHelp =
    R"(edgemeasure: edge measurement along lines and arcs in grey images.

Usage:
  edgemeasure measure [OPTIONS] [IMAGE | FOLDER | -]...
      Runs a job on images (and every image of the folders given); - reads an image from
      standard input.
  edgemeasure demo [FOLDER]
      Measures a synthetic plate of known dimensions and writes its files into FOLDER.
  edgemeasure profile IMAGE --line X0,Y0,X1,Y1 [--width W] [--sigma S]
      Prints the grey profile along a line and its derivative, and plots them.
  edgemeasure schema job|results
      Prints the JSON Schema of job files or of results.
  edgemeasure COMMAND --help | --help | --version

Exit codes: 0 all measured (and within tolerance); 1 a measurement failed or is out of
tolerance; 2 bad input, reported in one line on standard error. See man edgemeasure.
)";

const char* const kMeasureHelp = R"(edgemeasure measure [OPTIONS] [IMAGE | FOLDER | -]...

Runs a job on each image: files named (shell globs welcome), the images of folders named
(.png .tif .tiff .jpg .jpeg .bmp .pgm .ppm .pnm .gif, sorted by name), or one image read
from standard input (-). Without images the job file's "image" is used. Grey or colour (made
grey), 8 or 16 bits (calipers measure 16 bits at full depth; the path search reads them scaled
to 8: value * 255 / 65535).

Job:
  --job FILE               a JSON job file with one or more measurements (edgemeasure schema job)
  or one measurement from these options (coordinates in pixels, pixel centre at i + 0.5):
  --line X0,Y0,X1,Y1       measure edges along one line
  --arc CX,CY,R[,START,SWEEP]
                           measure edges along an arc (degrees; default the full circle)
  --radial CX,CY,INNER,OUTER,COUNT[,START,SWEEP]
                           fit a circle to the edges on COUNT radial lines (outwards)
  --parallel X0,Y0,X1,Y1,COUNT,DX,DY
                           fit a line to the edges on COUNT lines, each shifted by (DX,DY)
  --fit circle             fit a circle to the edges found on --arc
  --name NAME              the measurement's name in the results
  --method caliper|path    precision calipers (default) or the path search; a measurement
                           that uses the path search's options (--transition, --search,
                           --min-distance, --no-subpixel, --fit-mode, polarity entering or
                           leaving) searches paths unless --method says otherwise
Calipers:
  --caliper-width W        pixels across each line or arc (default 5)
  --sigma S                smoothing of the derivative, pixels (default 1)
  --threshold T            least edge strength, grey levels per pixel on the 8-bit scale
                           (default 10; scaled on 16-bit images)
  --polarity any|rising|falling
                           rising: dark to bright along the line (pair: the first edge,
                           default falling)
  --polarity2 any|rising|falling
                           pair: the second edge (default rising)
  --select first|last|strongest|all
                           which edges of a caliper (default strongest)
  --search pair            an edge pair: its width with its uncertainty
Path search:
  --transition band:LOW,HIGH | deviation:LEAVE,ENTER[,DEPTH] |
               signed-deviation:LEAVE,ENTER[,DEPTH] | canny:THRESHOLD[,SIGMA_INDEX]
                           what counts as "in threshold" (default band:0,128)
  --search first | nth:N | all | pair
                           which edges to report (default first)
  --polarity any|entering|leaving
                           accepted edges (pair: the first edge, default entering)
  --polarity2 any|entering|leaving
                           pair: the second edge (default leaving)
  --min-distance STEPS     minimum steps from the path start and between edges
  --no-subpixel            report the search's pixel positions only
  --filter none|stddev|detsac|detsac-fixed
                           outlier filter of the fit (circle: none or stddev)
  --fit-mode M, --iterations N, --sigma-factor F, --inlier-distance PX, --search-level L
                           fit parameters (defaults 3, 5, 2.0, 2, 4; with calipers no mode and
                           a sigma factor of 3.0)
  --nominal N --tolerance T | --tolerance LOWER,UPPER
                           judge the main quantity: pass when LOWER <= value - N <= UPPER
  --quantity Q             diameter (circle default), radius, center_x, center_y, width (pair),
                           angle (line, degrees), position (first edge), count (all edges)
  --unit px|mm             the unit of the nominal value and tolerance (mm needs a scale)
  --mm-per-px S            the scale: every length is also reported in mm

Output:
  -o, --output FILE        results as JSON (default, or -: standard output)
  --csv FILE               one row per image and measurement (- for standard output)
  --overlay FILE           the image with the paths, edges and fits drawn on it; the format
                           from the extension: .png, .jpg, .jpeg, .bmp or .svg
  --svg FILE.svg           the drawing as SVG over the embedded image
  --overlay-dir FOLDER     NAME.overlay.png and NAME.overlay.svg per image
  --report FILE.html       one HTML page with every image: the overlay (zoom, pan, a tip on
                           every edge), the results table and the profile plot of each path

Exit codes: 0 all measured and within tolerance; 1 an edge was not found, a fit failed or a
value is out of tolerance; 2 bad input (missing or damaged image, unreadable folder, malformed
job, value out of range), in one line on standard error. Files are written whole or not at all.

Example:
  edgemeasure measure part.png --radial 210,226,30,110,24 --polarity rising \
      --nominal 145.2 --tolerance 0.1 --overlay part-overlay.jpg
)";

const char* const kDemoHelp = R"(edgemeasure demo [FOLDER]

Synthesises a test image with known dimensions (a bored hole, a slot and a straight edge with
a burr), measures the hole (circle), the slot (edge pair) and the edge (line, the burr rejected)
with calipers, prints true value, measured value +- uncertainty and error beside the error of
the path search on the same image, and writes into FOLDER (default: edgemeasure-demo) the image,
the job, the results and the overlay pictures.
)";

const char* const kProfileHelp = R"(edgemeasure profile IMAGE --line X0,Y0,X1,Y1 [OPTIONS]

The grey profile along a line, for tuning thresholds, as a precision caliper reads it: samples
one pixel apart from (X0,Y0) to (X1,Y1), each the mean of W lines across the line (bilinear
interpolation), and its derivative filtered by a Gaussian of S pixels.

  --line X0,Y0,X1,Y1       the line (pixels; pixel centre at i + 0.5)
  --width W                pixels across the line, averaged (default 1)
  --sigma S                smoothing of the derivative in pixels (default 1.0)
  -o, --output FILE        the CSV (default, or -: standard output): distance, x, y, grey,
                           derivative (both empty outside the image, the derivative also
                           within 4 S of either end)
  --plot FILE              the plot of profile and derivative as .svg or .png

Exit codes: 0 written; 1 the line lies wholly outside the image; 2 bad input.
)";

const char* const kSchemaHelp = R"(edgemeasure schema job|results

Prints the JSON Schema (draft 2020-12) of job files or of result files, as in docs/.
)";

}  // namespace

std::string HelpText(const std::string& topic) {
    if (topic == "measure") {
        return kMeasureHelp;
    }
    if (topic == "demo") {
        return kDemoHelp;
    }
    if (topic == "profile") {
        return kProfileHelp;
    }
    if (topic == "schema") {
        return kSchemaHelp;
    }
    return std::string(kOverviewHelp) + "\n" + kMeasureHelp;
}
