#pragma once
// Circle paths: a circular arc laid over a grey-value image, walked in steps of about one pixel of
// arc length.
//
// An arc is given by its centre, radius, start angle and sweep angle in degrees. The point at
// angle t (radians) is centre + radius * (cos t, sin t): angle 0 lies on the +x side, and a
// positive sweep runs towards increasing angles, which in image coordinates (y downwards) is
// clockwise on screen. The step count is the arc length in pixels, rounded half up for a positive
// sweep; for a negative sweep the 0.5 is added before the absolute value is taken (-10.3 gives 9).
// A sweep of exactly 360 degrees marks a full circle, which the pair search may wrap around once.
//
// Moves accumulate the angle step by step (a running sum); MoveTo, GetVectorAt and GetAngle_RadAt
// compute index * step + start directly, so the two agree only up to rounding. Angles are never
// folded into [0, 2pi).
//
// Zero steps: a path whose arc is shorter than half a pixel (zero sweep, zero radius), or whose
// arc length sweep * radius is not a finite number, gets 0 steps. Its angular step would be
// sweep / 0, infinite or not a number; it is kept at 0 instead, so that the one position, index 0,
// answers with the start angle and the point at it everywhere (MoveTo(0), GetVectorAt(0),
// GetAngle_RadAt(0), GetEndVector) and no angle or point that is not a number reaches a caller.
// The moves still yield the stored points: MoveNext from before the start gives the start point,
// MoveEnd the end point (which lies within half a pixel of the start). Arc lengths beyond the int
// range saturate to INT_MAX steps.
//
// Bad input: index queries and MoveTo answer false and write nothing outside 0..GetCount(); a
// fractional index is rejected below 0 and above GetCount(); NaN is neither and passes (its point
// lies far outside every image). A default-
// constructed path has GetCount() -1: every forward move and index query answers false. Other
// arguments are taken as given (CreatePath always answers true); a start angle that is not a
// finite number gives angles that are not numbers and points far outside every image.
//
// OVectorPath_Circle keeps its parameters and running angle in double precision,
// OVectorPath_Circle_Float in single precision throughout (sinf, cosf, float constants); the
// double-precision queries of the float circle widen its fields to double. On both, a query
// answers in the precision of its argument or result (the float GetVectorAt and the float
// GetAngle_RadAt overloads compute in float); the int GetVectorAt in the precision of the class.
//
// The raster lists differ: OVectorPath_Circle lists the start point and the first point of each
// pixel entered before index GetCount() (an empty list without steps); OVectorPath_Circle_Float
// lists the start point even without steps, then the point reached by every raster advance,
// ending always with the point at index GetCount(), even in the pixel of the entry before it.
//
// Transition searches walk the arc from where it stands in raster steps (whose single steps are
// the virtual MoveNext) and evaluate the transition function once per pixel. They reach the arc
// through its virtual interface (MoveNextRaster, Reset, GetCount, CurrentPos, CurrentVector,
// CurrentAngle_Rad, IsInTransitionThreshold(image)), so a class derived from a circle path that
// overrides them is searched along its overrides; an object of exactly one of these classes takes
// a faster walk with the same answers. The angle result of a found transition is the current angle
// (widened to double) where the change was seen: for a leaving transition one raster step past the
// reported index. Labels are written along the tangent with DrawRotatedText, first-edge labels
// outside the radial tick, second-edge labels inside it.
//
// Full circle, pair search: when the arc is exhausted with the first edge done and the second
// not, the search resets the arc once and goes on into a second lap. A second edge found there is
// reported with GetCount() added to its index and 2 pi to its angle. The first result index is
// reported as the search holds it for its distance tests: reduced by GetCount() when it was above
// 0 (a first edge at index 50 of a 63-step circle is reported as -13). The pair search answers
// false, changing nothing, when its initial reference index of either edge is not below
// GetCount().
//
//   OVectorPath_Circle arc(OVector(100, 100), 10.0, 0.0, 90.0);   // 16 steps
//   OVector p;
//   arc.MoveEnd(p);                                                // (100, 110)

#include <memory>

#include "paths/OVectorPath.h"

// The arc of one circle path bound to its fields, through which both precisions share one walk.
template <class Real>
struct CircleArc;
// The walk shared by the transition searches of every path kind, and the profile reader of the
// Canny transition function (internal).
template <class Path, class Reach>
class TransitionWalk;
class PathProfile;

class EDGEDETECTION_EXPORT OVectorPath_Circle : public OVectorPath {
  public:
    // Object ID of a circle record in a byte stream.
    static constexpr unsigned int kObjectID = 0xC4A01602u;

    OVectorPath_Circle();
    OVectorPath_Circle(OVector vCenter, double dRadius, double dStartAngle_Deg,
                       double dSweepAngle_Deg);
    ~OVectorPath_Circle() override;

    // Builds the arc; always true, for every argument.
    bool CreatePath(OVector vCenter, double dRadius, double dStartAngle_Deg,
                    double dSweepAngle_Deg);

    unsigned int GetObjectID() const override;
    std::uint64_t GetObjectSize() const override;
    bool AddObjectData(OByteStream& stream) override;
    bool GetObjectData(OByteStream& stream, bool bFlag) override;

    bool CurrentVector(OVector& v) override;
    bool CurrentAngle_Rad(float& fAngle) override;
    bool CurrentAngle_Rad(double& dAngle) override;

    void Reset() override;
    bool MoveNext() override;
    bool MoveNext(OVector& v) override;
    bool MoveNextRaster() override;
    bool MoveNextRaster(OVector& v) override;
    bool MovePrev(OVector& v) override;
    bool MovePrevRaster(OVector& v) override;
    bool MoveStart(OVector& v) override;
    bool MoveEnd(OVector& v) override;
    bool MoveTo(int iIndex, OVector& v) override;

    int GetCount() override;
    bool GetStartVector(OVector& v) override;
    bool GetEndVector(OVector& v) override;
    bool GetVectorAt(int iIndex, OVector& v) override;
    bool GetVectorAt(float fIndex, OVector& v) override;
    bool GetVectorAt(double dIndex, OVector& v) override;
    bool GetAngle_RadAt(int iIndex, float& fAngle) override;
    bool GetAngle_RadAt(int iIndex, double& dAngle) override;
    bool GetAngle_RadAt(float fIndex, float& fAngle) override;
    bool GetAngle_RadAt(double dIndex, double& dAngle) override;
    int GetVectorPath(OVector_Array& list) override;
    int GetVectorPathRaster(OVector_Array& list) override;

    bool FindNextTransition(std::shared_ptr<OType_Image> image, int iPolarity, int iMinDistance,
                            int iReferenceIndex, int& iResultIndex, OVector& vResult,
                            double& dAngle, OType_DrawingContext* pContext, int iLabelKind,
                            int iLabelNumber) override;
    bool FindNextTransitionSingle(std::shared_ptr<OType_Image> image, int iOrdinal, int iPolarity,
                                  int iMinDistance, int iReferenceIndex, int& iResultIndex,
                                  OVector& vResult, double& dAngle, OType_DrawingContext* pContext,
                                  int iLabelKind, int iLabelBase, bool bGoOn) override;
    bool FindNextTransitionPair(std::shared_ptr<OType_Image> image, int iOrdinal1, int iPolarity1,
                                int iMinDistance1, int iMinDistance1To2, int iReferenceIndex1,
                                int iOrdinal2, int iPolarity2, int iMinDistance2,
                                int iMinDistance2To1, int iReferenceIndex2, int iSecondAfterFirst,
                                int& iResultIndex1, OVector& vResult1, double& dAngle1,
                                int& iResultIndex2, OVector& vResult2, double& dAngle2,
                                OType_DrawingContext* pContext, int iLabelMode, int iLabelBase1,
                                int iLabelBase2, bool bGoOn) override;

    bool ShiftPath(int iDx, int iDy) override;
    bool TurnPath(float fAngle) override;
    bool TurnPath(double dAngle) override;
    bool RotatePath(float fX, float fY, float fAngle) override;
    bool RotatePath(double dX, double dY, double dAngle) override;

  protected:
    // The transition search reads the arc's position, centre and full-circle mark directly.
    template <class Path, class Reach>
    friend class TransitionWalk;
    // The Canny transition function reads the listed positions without listing them.
    friend class PathProfile;

    bool m_bFullCircle = false;
    OVector m_vCenter;
    double m_dRadius = 0.0;
    double m_dStartAngle_Rad = 0.0;
    double m_dEndAngle_Rad = 0.0;
    OVector m_vStart;
    OVector m_vEnd;
    OVector m_vCurrent;
    double m_dCurrentAngle_Rad = 0.0;
    double m_dAngleStep_Rad = 0.0;
    int m_iStepCount = -1;
    // Bytes stored with the path beyond its known fields (kept by serialization).
    WritableCollection<unsigned char> m_baUserData;

  private:
    // A pointer to the same object sharing ownership; no type check.
    static std::shared_ptr<OVectorPath_Circle> CastFromBase(
        const std::shared_ptr<OVectorPath>& path);
    CircleArc<double> Arc();
};

class EDGEDETECTION_EXPORT OVectorPath_Circle_Float : public OVectorPath {
  public:
    // Object ID of a single-precision circle record in a byte stream.
    static constexpr unsigned int kObjectID = 0xC4A01604u;

    OVectorPath_Circle_Float();
    OVectorPath_Circle_Float(OVector vCenter, float fRadius, float fStartAngle_Deg,
                             float fSweepAngle_Deg);
    ~OVectorPath_Circle_Float() override;

    // Builds the arc in single precision; always true, for every argument.
    bool CreatePath(OVector vCenter, float fRadius, float fStartAngle_Deg, float fSweepAngle_Deg);

    unsigned int GetObjectID() const override;
    std::uint64_t GetObjectSize() const override;
    bool AddObjectData(OByteStream& stream) override;
    bool GetObjectData(OByteStream& stream, bool bFlag) override;

    bool CurrentVector(OVector& v) override;
    bool CurrentAngle_Rad(float& fAngle) override;
    bool CurrentAngle_Rad(double& dAngle) override;

    void Reset() override;
    bool MoveNext() override;
    bool MoveNext(OVector& v) override;
    bool MoveNextRaster() override;
    bool MoveNextRaster(OVector& v) override;
    bool MovePrev(OVector& v) override;
    bool MovePrevRaster(OVector& v) override;
    bool MoveStart(OVector& v) override;
    bool MoveEnd(OVector& v) override;
    bool MoveTo(int iIndex, OVector& v) override;

    int GetCount() override;
    bool GetStartVector(OVector& v) override;
    bool GetEndVector(OVector& v) override;
    bool GetVectorAt(int iIndex, OVector& v) override;
    bool GetVectorAt(float fIndex, OVector& v) override;
    bool GetVectorAt(double dIndex, OVector& v) override;
    bool GetAngle_RadAt(int iIndex, float& fAngle) override;
    bool GetAngle_RadAt(int iIndex, double& dAngle) override;
    bool GetAngle_RadAt(float fIndex, float& fAngle) override;
    bool GetAngle_RadAt(double dIndex, double& dAngle) override;
    int GetVectorPath(OVector_Array& list) override;
    int GetVectorPathRaster(OVector_Array& list) override;

    bool FindNextTransition(std::shared_ptr<OType_Image> image, int iPolarity, int iMinDistance,
                            int iReferenceIndex, int& iResultIndex, OVector& vResult,
                            double& dAngle, OType_DrawingContext* pContext, int iLabelKind,
                            int iLabelNumber) override;
    bool FindNextTransitionSingle(std::shared_ptr<OType_Image> image, int iOrdinal, int iPolarity,
                                  int iMinDistance, int iReferenceIndex, int& iResultIndex,
                                  OVector& vResult, double& dAngle, OType_DrawingContext* pContext,
                                  int iLabelKind, int iLabelBase, bool bGoOn) override;
    bool FindNextTransitionPair(std::shared_ptr<OType_Image> image, int iOrdinal1, int iPolarity1,
                                int iMinDistance1, int iMinDistance1To2, int iReferenceIndex1,
                                int iOrdinal2, int iPolarity2, int iMinDistance2,
                                int iMinDistance2To1, int iReferenceIndex2, int iSecondAfterFirst,
                                int& iResultIndex1, OVector& vResult1, double& dAngle1,
                                int& iResultIndex2, OVector& vResult2, double& dAngle2,
                                OType_DrawingContext* pContext, int iLabelMode, int iLabelBase1,
                                int iLabelBase2, bool bGoOn) override;

    bool ShiftPath(int iDx, int iDy) override;
    bool TurnPath(float fAngle) override;
    bool TurnPath(double dAngle) override;
    bool RotatePath(float fX, float fY, float fAngle) override;
    bool RotatePath(double dX, double dY, double dAngle) override;

  protected:
    // The transition search reads the arc's position, centre and full-circle mark directly.
    template <class Path, class Reach>
    friend class TransitionWalk;
    // The Canny transition function reads the listed positions without listing them.
    friend class PathProfile;

    bool m_bFullCircle = false;
    OVector m_vCenter;
    float m_fRadius = 0.0f;
    float m_fStartAngle_Rad = 0.0f;
    float m_fEndAngle_Rad = 0.0f;
    OVector m_vStart;
    OVector m_vEnd;
    OVector m_vCurrent;
    float m_fCurrentAngle_Rad = 0.0f;
    float m_fAngleStep_Rad = 0.0f;
    int m_iStepCount = -1;
    // Bytes stored with the path beyond its known fields (kept by serialization).
    WritableCollection<unsigned char> m_baUserData;

  private:
    CircleArc<float> Arc();
};
