// The metrology tools (find circle, find line, measure width) for the managed API.
//
// As with the calipers (ManagedCaliper.i, whose typemaps and struct proxies this part builds on),
// SWIG reads the tools' own headers, so every field of their settings and results is wrapped as
// it is declared there. The structs become internal proxy classes; the public C# types
// (src/binding/csharp/Metrology.cs) are plain managed values copied from and into them. The
// enums are public, under C# names without the O prefix. A result's calipers come out one at a
// time, its covariance one entry at a time, and its reason as a pointer to the result's own
// string, read while the result proxy lives.

%{
#include "metrology/OMetrology.h"

// Edges of the caller's own for the fits alone: `count` positions and their uncertainties.
static std::vector<OCaliperEdge> EdgeDetectionFitEdges(const double* xs, const double* ys,
                                                       const double* sigmas, int count) {
    std::vector<OCaliperEdge> edges;
    if (xs == nullptr || ys == nullptr || sigmas == nullptr || count < 1) {
        return edges;
    }
    edges.resize(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < edges.size(); ++i) {
        edges[i].x = xs[i];
        edges[i].y = ys[i];
        edges[i].sigma = sigmas[i];
    }
    return edges;
}
%}

EDGEDETECTION_INTERNAL_STRUCT(OCircleFitSettings)
EDGEDETECTION_INTERNAL_STRUCT(OLineFitSettings)
EDGEDETECTION_INTERNAL_STRUCT(OFindCircleSettings)
EDGEDETECTION_INTERNAL_STRUCT(OFindLineSettings)
EDGEDETECTION_INTERNAL_STRUCT(OMeasureWidthSettings)
EDGEDETECTION_INTERNAL_STRUCT(OMetrologyCaliper)
EDGEDETECTION_INTERNAL_STRUCT(OMetrologyPairCaliper)
EDGEDETECTION_INTERNAL_STRUCT(OFindCircleResult)
EDGEDETECTION_INTERNAL_STRUCT(OFindLineResult)
EDGEDETECTION_INTERNAL_STRUCT(OMeasureWidthResult)
EDGEDETECTION_INTERNAL_STRUCT(OMetrology)
%nodefaultctor OMetrology;
%nodefaultdtor OMetrology;

%rename(MetrologyStatus) OMetrologyStatus;
%rename(CircleSearch) OCircleSearch;
%rename(LineSearch) OLineSearch;
%rename(LineFilter) OLineFilter;
%rename(LineRefit) OLineRefit;

// Read through the accessors below.
%ignore OFindCircleResult::calipers;
%ignore OFindLineResult::calipers;
%ignore OMeasureWidthResult::calipers;
%ignore OFindCircleResult::covariance;
%ignore OFindCircleResult::reason;
%ignore OFindLineResult::reason;
%ignore OMeasureWidthResult::reason;
%ignore OFindCircleResult::Ok;
%ignore OFindLineResult::Ok;
%ignore OMeasureWidthResult::Ok;
%ignore OMetrologyCaliper::Found;
%ignore OMetrologyPairCaliper::Found;
%ignore kMaxCalipers;
// The fits alone take the edges as arrays (below); the rakes' layouts are in the results.
%ignore OMetrology::FitCircle;
%ignore OMetrology::FitLine;
%ignore OMetrology::CircleCalipers;
%ignore OMetrology::LineCalipers;
%ignore OMetrology::WidthCalipers;
%apply const char* NATIVE_TEXT { const char* StatusText, const char* MetrologyStatusText };
%csmethodmodifiers MetrologyStatusText "internal";

// Before the headers: %extend below takes the typemaps in force where its class is declared.
%apply double INPUT[] { const double* sigmas };

%include "metrology/OMetrologySettings.h"
%include "metrology/OMetrologyResult.h"
%include "metrology/OMetrology.h"

%extend OMetrology {
    static OFindCircleResult FitCircleToEdges(const double* xs, const double* ys,
                                              const double* sigmas, int count,
                                              const OCircleFitSettings& settings) {
        return OMetrology::FitCircle(EdgeDetectionFitEdges(xs, ys, sigmas, count), settings);
    }
    static OFindLineResult FitLineToEdges(const double* xs, const double* ys,
                                          const double* sigmas, int count,
                                          const OLineFitSettings& settings) {
        return OMetrology::FitLine(EdgeDetectionFitEdges(xs, ys, sigmas, count), settings);
    }
}
%extend OFindCircleResult {
    int CaliperCount() const { return static_cast<int>($self->calipers.size()); }
    OMetrologyCaliper CaliperAt(int i) const {
        return $self->calipers.at(static_cast<std::size_t>(i));
    }
    // Entry (i, j) of the covariance, 0 outside 0..2.
    double Covariance(int i, int j) const {
        return i >= 0 && i < 3 && j >= 0 && j < 3 ? $self->covariance[i][j] : 0.0;
    }
}
%extend OFindLineResult {
    int CaliperCount() const { return static_cast<int>($self->calipers.size()); }
    OMetrologyCaliper CaliperAt(int i) const {
        return $self->calipers.at(static_cast<std::size_t>(i));
    }
}
%extend OMeasureWidthResult {
    int CaliperCount() const { return static_cast<int>($self->calipers.size()); }
    OMetrologyPairCaliper CaliperAt(int i) const {
        return $self->calipers.at(static_cast<std::size_t>(i));
    }
}
