// The precision calipers for the managed API.
//
// SWIG reads the calipers' own headers, so every field of their regions, settings and results is
// wrapped as it is declared there. The structs become internal proxy classes: the public C#
// types (src/binding/csharp/Caliper.cs) are plain managed values copied from and into them,
// which a caller never has to dispose and which stay valid whatever happens to native memory.
// Their enums are public, under C# names without the O prefix. Lists come out one element at a
// time (the result proxies are read once, right after the call), and texts as pointers to the
// library's own strings, read by Marshal.PtrToStringAnsi, so that no string callback is needed.

%{
#include "caliper/OCaliper.h"
%}

#define EDGEDETECTION_EXPORT

// A const char* result that points into the library (a static text, or a string of a result
// object that lives while it is read): passed as a pointer and read on the managed side.
%typemap(ctype) const char* NATIVE_TEXT "const char *"
%typemap(imtype) const char* NATIVE_TEXT "global::System.IntPtr"
%typemap(cstype) const char* NATIVE_TEXT "string"
%typemap(out) const char* NATIVE_TEXT %{ $result = $1; %}
%typemap(csout, excode=SWIGEXCODE) const char* NATIVE_TEXT {
    string ret = global::System.Runtime.InteropServices.Marshal.PtrToStringAnsi($imcall);$excode
    return ret;
  }

%define EDGEDETECTION_INTERNAL_STRUCT(NAME)
%typemap(csclassmodifiers) NAME "internal partial class"
%enddef
EDGEDETECTION_INTERNAL_STRUCT(OCaliperLine)
EDGEDETECTION_INTERNAL_STRUCT(OCaliperArc)
EDGEDETECTION_INTERNAL_STRUCT(OCaliperEdgeSettings)
EDGEDETECTION_INTERNAL_STRUCT(OCaliperPairSettings)
EDGEDETECTION_INTERNAL_STRUCT(OCaliperEdge)
EDGEDETECTION_INTERNAL_STRUCT(OCaliperPair)
EDGEDETECTION_INTERNAL_STRUCT(OCaliperEdgeResult)
EDGEDETECTION_INTERNAL_STRUCT(OCaliperPairResult)
EDGEDETECTION_INTERNAL_STRUCT(OCaliperProfile)
EDGEDETECTION_INTERNAL_STRUCT(OCaliper)
%nodefaultctor OCaliper;
%nodefaultdtor OCaliper;

%rename(CaliperPolarity) OCaliperPolarity;
%rename(CaliperSelection) OCaliperSelection;
%rename(CaliperPairSelection) OCaliperPairSelection;
%rename(CaliperStatus) OCaliperStatus;

// The lists, read through the accessors below; the texts through StatusText.
%ignore OCaliperEdgeResult::edges;
%ignore OCaliperPairResult::pairs;
%ignore OCaliperProfile::positions;
%ignore OCaliperProfile::values;
%ignore OCaliperProfile::derivative;
%ignore OCaliperProfile::outside;
%ignore OCaliperEdgeResult::Ok;
%ignore OCaliperPairResult::Ok;
%ignore OCaliperEdgeResult::StatusText;
%ignore OCaliperPairResult::StatusText;
%ignore OCaliperProfile::StatusText;
// Many regions at once: the managed side measures them one by one with the same result.
%ignore OCaliper::MeasureEdges(const OType_Image&, const std::vector<OCaliperLine>&,
                               const OCaliperEdgeSettings&);
%ignore OCaliper::MeasureEdges(const OType_Image16&, const std::vector<OCaliperLine>&,
                               const OCaliperEdgeSettings&);
%apply const char* NATIVE_TEXT { const char* CaliperStatusText };
%csmethodmodifiers CaliperStatusText "internal";

// Before the headers: %extend below takes the typemaps in force where its class is declared.
%apply double OUTPUT[] { double* positions, double* values, double* derivative };
%apply unsigned char OUTPUT[] { unsigned char* outside };

%include "caliper/OCaliperRegion.h"
%include "caliper/OCaliperSettings.h"
%include "caliper/OCaliperResult.h"
%include "caliper/OCaliper.h"

%extend OCaliperEdgeResult {
    int EdgeCount() const { return static_cast<int>($self->edges.size()); }
    OCaliperEdge EdgeAt(int i) const { return $self->edges.at(static_cast<std::size_t>(i)); }
}
%extend OCaliperPairResult {
    int PairCount() const { return static_cast<int>($self->pairs.size()); }
    OCaliperPair PairAt(int i) const { return $self->pairs.at(static_cast<std::size_t>(i)); }
}
%extend OCaliperProfile {
    int SampleCount() const { return static_cast<int>($self->positions.size()); }
    // Copies the first `count` samples (at most SampleCount()) of the four lists into arrays of
    // at least `count` elements.
    void CopySamples(double* positions, double* values, double* derivative,
                     unsigned char* outside, int count) const {
        const std::size_t n = std::min({static_cast<std::size_t>(std::max(count, 0)),
                                        $self->positions.size(), $self->values.size(),
                                        $self->derivative.size(), $self->outside.size()});
        std::copy_n($self->positions.begin(), n, positions);
        std::copy_n($self->values.begin(), n, values);
        std::copy_n($self->derivative.begin(), n, derivative);
        std::copy_n($self->outside.begin(), n, outside);
    }
}
