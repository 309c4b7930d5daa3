// The flat export layer for the C# host.
//
// SWIG turns this file into two things at build time: a C++ wrapper compiled into
// libedgedetection.so (plain extern "C" functions with unmangled names) and C# proxy classes in
// the namespace NativeInterface.Trevask.Foundation.EdgeDetection, compiled into the managed
// assembly. Neither is kept in the source tree.
//
// Export names
//   Method wrappers are CSharp_NativeInterfacefTrevaskfFoundationfEdgeDetection_<Class>_<Method>___
//   (new_<Class> and delete_<Class> for construction and destruction). An overloaded method gets
//   __SWIG_<n> before the final three underscores, numbered from 0 in the order in which the
//   overloads are declared below. The class views below are therefore written out by hand, in
//   the order that fixes that numbering, instead of being read from the library's headers:
//   OVectorPath follows the order of its virtual interface (float before double, no argument
//   before argument, int before float before double), IsInTransitionThreshold takes the image
//   overload first, and GetObjectData(stream) is the second GetObjectData.
//
// What crosses the boundary
//   - this of OVectorPath, OCannyEdge and OVector_Regression, and the drawing context: plain
//     object pointers, passed on unchecked (a null context draws nothing).
//   - OVector, OVector_Array, OByteStream and WritableCollection<int> (OIntList in C#): a pointer
//     to a std::shared_ptr that the managed proxy owns. A null handle pointer or an empty handle is
//     a null reference: the wrapper raises the argument-null callback with
//     "<Type> & reference is null" (references) or "Attempt to dereference null OVector" (vectors
//     taken by value, which are copied for the call) and returns 0.
//   - std::shared_ptr<OType_Image>: a pointer to a shared handle, copied for the call (one
//     reference more while it runs, so the image outlives a managed release on another thread); a
//     null pointer gives an empty image pointer.
//   - int&, float&, double&: plain pointers (out in C#), unchecked. bool: unsigned int, true when
//     non-zero; a bool result is 0 or 1.
//   - std::u16string: a zero-terminated UTF-16 string, copied for the call; null raises
//     "null u16string".
//
// Error callbacks: SWIGRegisterExceptionCallbacks_..., SWIGRegisterExceptionArgumentCallbacks_...,
// SWIGRegisterStringCallback_... come from SWIG; SWIGRegisterU16StringCallback_... is added below.
// The C# side registers all four in the static start-up of its PINVOKE class. A wrapper that must
// raise the argument-null callback before anything was registered (or after null was registered)
// raises nothing and just returns its 0: the host sees a false result instead of a crash.
//
// Beyond the flat interface that the host's existing wrappers call, the layer exports what a
// managed host needs to build its own inputs and read the results (all through the same handle
// forms): constructors and destructors of OVector, OVector_Array, OByteStream, OIntList and
// OType_Image, of the line and circle paths (OVectorPath_Line, OVectorPath_Circle,
// OVectorPath_Circle_Float), their upcasts to OVectorPath, getters of OVectorPath's codes (the
// transition types, polarities, label kinds and pair label modes), and these accessors:
//   OVector: FromRaw, GetRawX, GetRawY, dX, dY, iX, iY;
//   OVector_Array: RemoveAll, Add, GetCount, GetAt;
//   OByteStream: a stream over a byte array, GetSize, CopyBytes, GetPosition, SetPosition;
//   OIntList: Add, GetAt, GetCount, SetSize, RemoveAll;
//   OType_Image: GetWidth, GetHeight, GetPixel_Grey, SetPixel_Grey.
// On top of these lies the managed API (the parts included below and the C# in csharp/): images
// from managed arrays, the codes as enums, refinement, Canny, both fits and the calipers, with
// checked proxies and an exception barrier around every wrapper (ManagedProxies.i). None of it
// changes the name, numbering or argument form of an export of the flat interface.

%module NativeInterfaceTrevaskFoundationEdgeDetection

%{
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "edge/OCannyEdge.h"
#include "foundation/OByteStream.h"
#include "foundation/OType_DrawingContext.h"
#include "foundation/OType_Image.h"
#include "foundation/OVector.h"
#include "foundation/OVector_Array.h"
#include "foundation/WritableCollection.h"
#include "paths/OVectorPath.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"
#include "regression/OVector_Regression.h"

// The integer collection as the host names it.
typedef WritableCollection<int> OIntList;

%}

%include <std_shared_ptr.i>
%include <typemaps.i>
%include <arrays_csharp.i>
%include "ManagedProxies.i"
%include "ManagedArrays.i"
%include "ManagedDocs.i"

// ---------------------------------------------------------------------------------------------
// Scalars and strings

// Out-parameters of the paths: plain pointers, no null check.
%apply int& OUTPUT { int& };
%apply float& OUTPUT { float& };
%apply double& OUTPUT { double& };

// std::u16string from a zero-terminated UTF-16 string (C# strings marshal as LPWStr, 16 bits on
// every platform).
%typemap(ctype) std::u16string "const char16_t *"
%typemap(imtype, inattributes="[global::System.Runtime.InteropServices.MarshalAs(global::System.Runtime.InteropServices.UnmanagedType.LPWStr)]") std::u16string "string"
%typemap(cstype) std::u16string "string"
%typemap(csin) std::u16string "$csinput"
%typemap(in, canthrow=1) std::u16string
%{ if (!$input) {
    SWIG_CSharpSetPendingExceptionArgument(SWIG_CSharpArgumentNullException, "null u16string", 0);
    return $null;
  }
  $1.assign($input); %}
%typemap(typecheck) std::u16string = char *;

// The UTF-16 counterpart of SWIG's string callback. Like that one it is accepted and kept but
// never used: no wrapper returns a string.
%insert(runtime) %{
typedef const char16_t* (SWIGSTDCALL* EdgeDetectionU16StringHelperCallback)(const char16_t*);
static EdgeDetectionU16StringHelperCallback SWIG_csharp_u16string_callback = NULL;

#ifdef __cplusplus
extern "C"
#endif
SWIGEXPORT void SWIGSTDCALL SWIGRegisterU16StringCallback_$module(
    EdgeDetectionU16StringHelperCallback callback) {
  SWIG_csharp_u16string_callback = callback;
}
%}

%pragma(csharp) imclasscode=%{
  protected class SWIGU16StringHelper {

    public delegate global::System.IntPtr SWIGU16StringDelegate(global::System.IntPtr message);
    static SWIGU16StringDelegate u16StringDelegate = new SWIGU16StringDelegate(CreateU16String);

    [global::System.Runtime.InteropServices.DllImport("$dllimport", EntryPoint="SWIGRegisterU16StringCallback_$module")]
    public static extern void SWIGRegisterU16StringCallback_$module(SWIGU16StringDelegate u16StringDelegate);

    static global::System.IntPtr CreateU16String(global::System.IntPtr message) {
      return message;
    }

    static SWIGU16StringHelper() {
      SWIGRegisterU16StringCallback_$module(u16StringDelegate);
    }
  }

  static protected SWIGU16StringHelper swigU16StringHelper = new SWIGU16StringHelper();
%}

// ---------------------------------------------------------------------------------------------
// Shared handles

%edgedetection_shared_ptr(OVector)
%edgedetection_shared_ptr(OVector_Array)
%edgedetection_shared_ptr(OByteStream)
%edgedetection_shared_ptr(OType_Image)
%edgedetection_shared_ptr(WritableCollection<int>)

class OType_DrawingContext;

// A point in raw 16.16 fixed point (65536 units per pixel).
class OVector {
  public:
    OVector();
    OVector(double x, double y);
    OVector(int x, int y);
    virtual ~OVector();
    long long GetRawX() const;
    long long GetRawY() const;
    double dX() const;
    double dY() const;
    int iX() const;
    int iY() const;
};
%extend OVector {
    // A point from raw coordinates, unchanged.
    static std::shared_ptr<OVector> FromRaw(long long rawX, long long rawY) {
        return std::make_shared<OVector>(static_cast<std::int64_t>(rawX),
                                         static_cast<std::int64_t>(rawY));
    }
}

class OVector_Array {
  public:
    OVector_Array();
    virtual ~OVector_Array();
    void RemoveAll();
    void Add(std::shared_ptr<OVector> element);
    int GetCount() const;
    std::shared_ptr<OVector> GetAt(int index) const;
};

%apply unsigned char INPUT[] { const unsigned char* bytes };
%apply unsigned char OUTPUT[] { unsigned char* buffer };

%typemap(cscode) OByteStream %{
  /// <summary>A stream over a copy of bytes, read from position 0.</summary>
  public OByteStream(byte[] bytes) : this(bytes, bytes == null ? 0 : bytes.Length) {}

  /// <summary>A copy of the stream's bytes.</summary>
  public byte[] ToArray() {
    byte[] bytes = new byte[GetSize()];
    CopyBytes(bytes, bytes.Length);
    return bytes;
  }
%}

class OByteStream {
  public:
    OByteStream();
    size_t GetPosition() const;
    bool SetPosition(size_t position);
};
%extend OByteStream {
    // A stream over a copy of count bytes, read from position 0. Null or count < 1: empty.
    OByteStream(const unsigned char* bytes, int count) {
        if (bytes == nullptr || count < 1) {
            return new OByteStream();
        }
        return new OByteStream(std::vector<unsigned char>(bytes, bytes + count));
    }
    // Number of bytes in the stream.
    int GetSize() const {
        return static_cast<int>($self->GetBytes().size());
    }
    // Copies min(count, GetSize()) bytes into buffer; answers the number copied.
    int CopyBytes(unsigned char* buffer, int count) const {
        const std::vector<unsigned char>& bytes = $self->GetBytes();
        if (buffer == nullptr || count < 1) {
            return 0;
        }
        const std::size_t copied = std::min(bytes.size(), static_cast<std::size_t>(count));
        std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(copied), buffer);
        return static_cast<int>(copied);
    }
}

template <class T>
class WritableCollection {
  public:
    WritableCollection();
    virtual ~WritableCollection();
    long long Add(const T& value);
    T GetAt(long long index) const;
    long long GetCount() const;
    void SetSize(long long count);
    void RemoveAll();
};
%template(OIntList) WritableCollection<int>;
typedef WritableCollection<int> OIntList;

// An 8-bit grey image, row-major.
class OType_Image {
  public:
    OType_Image(int width, int height);
    virtual ~OType_Image();
    int GetWidth() const;
    int GetHeight() const;
    int GetPixel_Grey(int x, int y) const;
    void SetPixel_Grey(int x, int y, int value);
};
// ---------------------------------------------------------------------------------------------
// The flat interface

class OCannyEdge {
  public:
    OCannyEdge();
    virtual ~OCannyEdge();
    // The default argument gives the second overload, which passes false.
    static bool bFindCannyEdgeTransitions(OIntList& profile, int iThreshold, int iSigmaIndex,
                                          OIntList& result, bool bKeepMagnitudes = false);
};

class OVector_Regression {
  public:
    OVector_Regression();
    ~OVector_Regression();
};

// Paths reach the host as plain pointers; no constructor is exported for the base.
%nodefaultctor OVectorPath;
class OVectorPath {
  public:
    // The codes of the transition function and of the searches, as read-only properties. Declared
    // without values: each is read from the library's own constant (paths/OVectorPath.h).
    static const int kTransitionBand;
    static const int kTransitionAbsDeviation;
    static const int kTransitionSignedDeviation;
    static const int kTransitionCanny;
    static const int kPolarityAny;
    static const int kPolarityEntering;
    static const int kPolarityLeaving;
    static const int kLabelKindNumber;
    static const int kLabelKindStart;
    static const int kLabelKindEnd;
    static const int kLabelKindTickOnly;
    static const int kLabelKindNone;
    static const int kPairLabelOwnCounts;
    static const int kPairLabelFirstCount;
    static const int kPairLabelStartEnd;
    static const int kSecondAfterFirst;

    int GetPathType() const;
    bool bCreateTransitionFunction(int iType, int iParam1, int iParam2, int iParam3, int iParam4,
                                   std::shared_ptr<OType_Image> image);
    void GetTransitionFunctionParams(int& iType, int& iParam1, int& iParam2, int& iParam3) const;
    bool IsInTransitionThreshold(std::shared_ptr<OType_Image> image);
    bool IsInTransitionThreshold(int iGreyValue);
    static bool DrawDirectionArrow(OType_DrawingContext* pContext, OVector vPosition,
                                   OVector vDirection);
    static bool DrawRotatedText(OType_DrawingContext* pContext, OVector vPosition,
                                OVector vDirection, std::u16string text, int iOffsetAcross,
                                int iModeAcross, int iOffsetAlong, int iModeAlong, int iHeight);

    virtual ~OVectorPath();

    virtual unsigned int GetObjectID() const = 0;
    virtual unsigned long long GetObjectSize() const = 0;
    virtual bool AddObjectData(OByteStream& stream) = 0;
    virtual bool GetObjectData(OByteStream& stream, bool bFlag) = 0;

    virtual bool CurrentPos(int& iPos);
    virtual bool CurrentVector(OVector& v) = 0;
    virtual bool CurrentAngle_Rad(float& fAngle) = 0;
    virtual bool CurrentAngle_Rad(double& dAngle) = 0;

    virtual void Reset() = 0;
    virtual bool MoveNext() = 0;
    virtual bool MoveNext(OVector& v) = 0;
    virtual bool MoveNextRaster() = 0;
    virtual bool MoveNextRaster(OVector& v) = 0;
    virtual bool MovePrev(OVector& v) = 0;
    virtual bool MovePrevRaster(OVector& v) = 0;
    virtual bool MoveStart(OVector& v) = 0;
    virtual bool MoveEnd(OVector& v) = 0;
    virtual bool MoveTo(int iIndex, OVector& v) = 0;

    virtual int GetCount() = 0;
    virtual bool GetStartVector(OVector& v) = 0;
    virtual bool GetEndVector(OVector& v) = 0;
    virtual bool GetVectorAt(int iIndex, OVector& v) = 0;
    virtual bool GetVectorAt(float fIndex, OVector& v) = 0;
    virtual bool GetVectorAt(double dIndex, OVector& v) = 0;
    virtual bool GetAngle_RadAt(int iIndex, float& fAngle) = 0;
    virtual bool GetAngle_RadAt(int iIndex, double& dAngle) = 0;
    virtual bool GetAngle_RadAt(float fIndex, float& fAngle) = 0;
    virtual bool GetAngle_RadAt(double dIndex, double& dAngle) = 0;
    virtual int GetVectorPath(OVector_Array& list) = 0;
    virtual int GetVectorPathRaster(OVector_Array& list) = 0;

    virtual bool FindNextTransition(std::shared_ptr<OType_Image> image, int iPolarity,
                                    int iMinDistance, int iReferenceIndex, int& iResultIndex,
                                    OVector& vResult, double& dAngle,
                                    OType_DrawingContext* pContext, int iLabelKind,
                                    int iLabelNumber) = 0;
    virtual bool FindNextTransitionSingle(std::shared_ptr<OType_Image> image, int iOrdinal,
                                          int iPolarity, int iMinDistance, int iReferenceIndex,
                                          int& iResultIndex, OVector& vResult, double& dAngle,
                                          OType_DrawingContext* pContext, int iLabelKind,
                                          int iLabelBase, bool bGoOn) = 0;
    virtual bool FindNextTransitionPair(
        std::shared_ptr<OType_Image> image, int iOrdinal1, int iPolarity1, int iMinDistance1,
        int iMinDistance1To2, int iReferenceIndex1, int iOrdinal2, int iPolarity2,
        int iMinDistance2, int iMinDistance2To1, int iReferenceIndex2, int iSecondAfterFirst,
        int& iResultIndex1, OVector& vResult1, double& dAngle1, int& iResultIndex2,
        OVector& vResult2, double& dAngle2, OType_DrawingContext* pContext, int iLabelMode,
        int iLabelBase1, int iLabelBase2, bool bGoOn) = 0;

    virtual bool ShiftPath(int iDx, int iDy) = 0;
    virtual bool TurnPath(float fAngle) = 0;
    virtual bool TurnPath(double dAngle) = 0;
    virtual bool RotatePath(float fX, float fY, float fAngle) = 0;
    virtual bool RotatePath(double dX, double dY, double dAngle) = 0;
};
%extend OVectorPath {
    // Loads the path as GetObjectData(stream, true) does.
    bool GetObjectData(OByteStream& stream) {
        return $self->GetObjectData(stream, true);
    }
}

// The concrete paths, for a host that makes its own: constructors only, every operation is
// reached through OVectorPath.
%feature("notabstract") OVectorPath_Line;
class OVectorPath_Line : public OVectorPath {
  public:
    OVectorPath_Line(OVector vStart, OVector vEnd);
    ~OVectorPath_Line();
};

%feature("notabstract") OVectorPath_Circle;
class OVectorPath_Circle : public OVectorPath {
  public:
    OVectorPath_Circle(OVector vCenter, double dRadius, double dStartAngle_Deg,
                       double dSweepAngle_Deg);
    ~OVectorPath_Circle();
};

%feature("notabstract") OVectorPath_Circle_Float;
class OVectorPath_Circle_Float : public OVectorPath {
  public:
    OVectorPath_Circle_Float(OVector vCenter, float fRadius, float fStartAngle_Deg,
                             float fSweepAngle_Deg);
    ~OVectorPath_Circle_Float();
};

%include "ManagedMeasurement.i"
%include "ManagedCaliper.i"
%include "ManagedMetrology.i"
