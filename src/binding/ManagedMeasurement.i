// The measurement beyond the flat interface, for a managed host that does the whole job itself:
// images from managed arrays (8 and 16 bits), the codes of the searches and fits as enums,
// sub-pixel refinement, Canny on an array, and both fits with their filters and quality figures.
//
// Included by EdgeDetection.i after the flat interface. The C# that turns these wrappers into
// the managed API (properties, enums, result objects) lies in src/binding/csharp/.

// ---------------------------------------------------------------------------------------------
// Images from managed arrays. The pixels are copied: the native image owns them, so it stays valid
// whatever the managed side does with its array, and the garbage collector never has to keep an
// array pinned for the life of an image. Rows that do not fit the array make an empty image here;
// the managed constructors throw ArgumentException before they get that far.

%csmethodmodifiers OType_Image::OType_Image(int, int, const unsigned char*, int, int) "internal";
%extend OType_Image {
    OType_Image(int width, int height, const unsigned char* pixels, int count, int stride) {
        if (!EdgeDetectionRowsFit(width, height, pixels, count, stride)) {
            return new OType_Image();
        }
        return new OType_Image(width, height,
                               EdgeDetectionPackRows(width, height, pixels, stride));
    }
}

// A 16-bit grey image, row-major; grey values in the camera's own scale.
class OType_Image16 {
  public:
    OType_Image16(int width, int height);
    int GetWidth() const;
    int GetHeight() const;
    int GetPixel_Grey(int x, int y) const;
    void SetPixel_Grey(int x, int y, int value);
};
%csmethodmodifiers OType_Image16::OType_Image16(int, int, const unsigned short*, int, int) "internal";
%extend OType_Image16 {
    OType_Image16(int width, int height, const unsigned short* pixels, int count, int stride) {
        if (!EdgeDetectionRowsFit(width, height, pixels, count, stride)) {
            return new OType_Image16();
        }
        return new OType_Image16(width, height,
                                 EdgeDetectionPackRows<std::uint16_t>(width, height, pixels, stride));
    }
}

// ---------------------------------------------------------------------------------------------
// The codes of the searches and fits, as C# enums. Each value is the library's code; the
// assertions keep them so.

%inline %{
enum class TransitionType { Band = 0, AbsoluteDeviation = 1, SignedDeviation = 2, Canny = 3 };
enum class TransitionPolarity { Any = 0, Entering = 1, Leaving = 2 };
enum class CircleFitMode { Plain = 0, Checked = 3 };
enum class CircleFitFilter { None = 0, StdDev = 1 };
enum class RegressionMode { Flat = 0, OrientationBySpread = 2, QualityFigures = 3 };
enum class RegressionFilter { None = 0, StdDev = 1, DETSAC = 2, DETSACFixed = 4 };
%}
%{
static_assert(static_cast<int>(TransitionType::Band) == OVectorPath::kTransitionBand, "codes");
static_assert(static_cast<int>(TransitionType::AbsoluteDeviation) ==
                  OVectorPath::kTransitionAbsDeviation, "codes");
static_assert(static_cast<int>(TransitionType::SignedDeviation) ==
                  OVectorPath::kTransitionSignedDeviation, "codes");
static_assert(static_cast<int>(TransitionType::Canny) == OVectorPath::kTransitionCanny, "codes");
static_assert(static_cast<int>(RegressionFilter::StdDev) == OVector_Regression::kFilterStdDev,
              "codes");
static_assert(static_cast<int>(RegressionFilter::DETSAC) == OVector_Regression::kFilterDETSAC,
              "codes");
static_assert(static_cast<int>(RegressionFilter::DETSACFixed) ==
                  OVector_Regression::kFilterDETSAC_FPGA, "codes");
%}

// ---------------------------------------------------------------------------------------------
// Sub-pixel refinement and Canny

// The managed API refines through OVectorPath.Refine (src/binding/csharp/Paths.cs) and fits
// through CircleFit and LineRegression (Fits.cs); the classes behind them stay internal.
%typemap(csclassmodifiers) OSubpixelCalculation, OCircleFit_Circle, OCircleFit_OutlierFilter
    "internal partial class"
%nodefaultctor OSubpixelCalculation;
%nodefaultdtor OSubpixelCalculation;
%nodefaultctor OCircleFit_OutlierFilter;
%nodefaultdtor OCircleFit_OutlierFilter;

class OSubpixelCalculation {
  public:
    static const int kMethodSixTap = 1;
    static int CalculateTransitionOnPath(OType_Image* pImage, OVectorPath* pPath, int iMethod,
                                         int iIndex, OVector& vPoint, double& dAngle);
};

%csmethodmodifiers OCannyEdge::FindTransitions "internal";
%extend OCannyEdge {
    // bFindCannyEdgeTransitions on count values of an array, the result into another of the same
    // length. False when the profile is empty or the result does not come out one per sample.
    static bool FindTransitions(const int* profile, int* transitions, int count, int threshold,
                                int sigmaIndex, bool keepMagnitudes) {
        if (profile == nullptr || transitions == nullptr || count < 1) {
            return false;
        }
        WritableCollection<int> input;
        input.SetSize(count);
        std::copy(profile, profile + count, input.GetData());
        WritableCollection<int> result;
        if (!OCannyEdge::bFindCannyEdgeTransitions(input, threshold, sigmaIndex, result,
                                                   keepMagnitudes) ||
            result.GetCount() != count) {
            return false;
        }
        std::copy(result.GetData(), result.GetData() + count, transitions);
        return true;
    }
}

// ---------------------------------------------------------------------------------------------
// The fits: the library's entry points with the point lists as arrays and without the callback
// argument (it is never called). Every out-parameter becomes a C# out argument.

%rename(CenterX) OCircleFit_Circle::m_dCenterX;
%rename(CenterY) OCircleFit_Circle::m_dCenterY;
%rename(Radius) OCircleFit_Circle::m_dRadius;
%rename(Sigma) OCircleFit_Circle::m_dSigma;
%rename(Iterations) OCircleFit_Circle::m_iIterations;

// A circle with its fit quality: the guess and the result of a circle fit.
class OCircleFit_Circle {
  public:
    OCircleFit_Circle(double x, double y, double r, double sigma, int iterations);
    OCircleFit_Circle(double x, double y, double r);
    double m_dCenterX;
    double m_dCenterY;
    double m_dRadius;
    double m_dSigma;
    int m_iIterations;
};

class OCircleFit_OutlierFilter {};
%csmethodmodifiers OCircleFit_OutlierFilter::bComputeCircleFit "internal";
%csmethodmodifiers OCircleFit_OutlierFilter::CentroidGuess "internal";
%extend OCircleFit_OutlierFilter {
    // Where the managed fit starts when the caller names no guess: the centroid of the points
    // and their mean distance from it (sums in point order, distances by std::hypot), as a C++
    // caller would compute it. Zeros without points.
    static OCircleFit_Circle CentroidGuess(const double* xs, const double* ys, int count) {
        if (xs == nullptr || ys == nullptr || count < 1) {
            return OCircleFit_Circle(0.0, 0.0, 0.0);
        }
        double sumX = 0.0;
        double sumY = 0.0;
        for (int i = 0; i < count; ++i) {
            sumX += xs[i];
            sumY += ys[i];
        }
        const double n = static_cast<double>(count);
        const double cx = sumX / n;
        const double cy = sumY / n;
        double sumR = 0.0;
        for (int i = 0; i < count; ++i) {
            sumR += std::hypot(xs[i] - cx, ys[i] - cy);
        }
        return OCircleFit_Circle(cx, cy, sumR / n);
    }
    static bool bComputeCircleFit(
        int iCircleFitMode, const double* xs, const double* ys, int count, bool bMaxDeviation,
        bool bMaxInnerDeviation, bool bMaxOuterDeviation, bool bSigmaAll, bool bSigmaInliers,
        int iFilterType, int iFilterIterations, double dSigmaFactor, OCircleFit_Circle& cCircle,
        OVector_Array* pvaInliers, OVector_Array* pvaOutliers, int& iInlierCount,
        int& iOutlierCount, bool& bMaxDevFound, double& dMaxDev, double& dMaxDevX,
        double& dMaxDevY, double& dMaxDevCircleX, double& dMaxDevCircleY, bool& bInnerDevFound,
        double& dMaxInnerDev, double& dInnerDevX, double& dInnerDevY, double& dInnerDevCircleX,
        double& dInnerDevCircleY, bool& bOuterDevFound, double& dMaxOuterDev, double& dOuterDevX,
        double& dOuterDevY, double& dOuterDevCircleX, double& dOuterDevCircleY,
        double& dSigmaAll, double& dSigmaInliers) {
        const std::int64_t n = xs != nullptr && ys != nullptr && count > 0 ? count : 0;
        OFastArrayList<double> laX(n);
        OFastArrayList<double> laY(n);
        for (std::int64_t i = 0; i < n; ++i) {
            laX.Add(xs[i]);
            laY.Add(ys[i]);
        }
        return OCircleFit_OutlierFilter::bComputeCircleFit(
            iCircleFitMode, laX, laY, bMaxDeviation, bMaxInnerDeviation, bMaxOuterDeviation,
            bSigmaAll, bSigmaInliers, iFilterType, iFilterIterations, dSigmaFactor, cCircle,
            pvaInliers, pvaOutliers, iInlierCount, iOutlierCount, bMaxDevFound, dMaxDev, dMaxDevX,
            dMaxDevY, dMaxDevCircleX, dMaxDevCircleY, bInnerDevFound, dMaxInnerDev, dInnerDevX,
            dInnerDevY, dInnerDevCircleX, dInnerDevCircleY, bOuterDevFound, dMaxOuterDev,
            dOuterDevX, dOuterDevY, dOuterDevCircleX, dOuterDevCircleY, dSigmaAll, dSigmaInliers,
            nullptr);
    }
}

%csmethodmodifiers OVector_Regression::bComputeRegressionLine "internal";
%extend OVector_Regression {
    static bool bComputeRegressionLine(
        int iRegressionMode, OVector_Array& vaPoints, bool bFarthestPoint, bool bSigmaAll,
        bool bSigmaInliers, int iFilterType, int iFilterIterations, double dSigmaFactor,
        int iInlierDistance, int iSearchLevel, double& dLineAngle, OVector& vCentre,
        OVector_Array* pvaOutliers, int& iInlierCount, int& iOutlierCount, bool& bFarthestFound,
        long long& iMaxDistance, long long& iFarthestX, long long& iFarthestY, double& dFootX,
        double& dFootY, double& dSigmaAll, double& dSigmaInliers) {
        std::int64_t maxDistance = 0;
        std::int64_t farthestX = 0;
        std::int64_t farthestY = 0;
        const bool fitted = OVector_Regression::bComputeRegressionLine(
            iRegressionMode, vaPoints, bFarthestPoint, bSigmaAll, bSigmaInliers, iFilterType,
            iFilterIterations, dSigmaFactor, iInlierDistance, iSearchLevel, dLineAngle, vCentre,
            pvaOutliers, iInlierCount, iOutlierCount, bFarthestFound, maxDistance, farthestX,
            farthestY, dFootX, dFootY, dSigmaAll, dSigmaInliers, nullptr);
        iMaxDistance = maxDistance;
        iFarthestX = farthestX;
        iFarthestY = farthestY;
        return fitted;
    }
}
