#pragma once
// OVectorPath_Line: the straight path from a start point to an end point.
//
// The segment is divided into GetCount() equal steps of about one pixel; position i is
// start + i * step in exact raw integer arithmetic (the step is the raw difference divided by the
// step count, truncated toward zero), so index GetCount() lies within GetCount() raw units of the
// end point, and MoveEnd places the path exactly on the end point. Raster steps advance until the
// pixel (iX, iY) changes or the last index is reached.
//
// The line also keeps a unit normal (angle folded into [0, pi]), a unit direction (angle folded
// into [-pi/2, pi/2], so overlay text along it is never upside down) and the text escapement in
// tenths of a degree, for the overlays of the transition search. A line has no angle per position:
// CurrentAngle_Rad answers false with 0, GetAngle_RadAt answers true with 0 inside the range.
//
// Bad input: index queries and MoveTo answer false and write nothing outside 0..GetCount(); a
// fractional index is rejected below 0 and above GetCount(); NaN is neither and passes (its point
// lies far outside every image). A zero-length
// line has 0 steps and one position, its start. The step count comes from the pixel differences
// (exact along the axes, else the rounded length with the squares summed in 32 bits); lines
// longer than about 46,000 pixels in both directions lie outside that domain and get a
// meaningless (possibly zero) count, safely.
//
// Transition searches (FindNextTransition, FindNextTransitionSingle, FindNextTransitionPair) walk
// the line from where it stands in raster steps and evaluate the transition function once per
// pixel. They reach the line through its virtual interface (MoveNextRaster, CurrentPos,
// CurrentVector, IsInTransitionThreshold(image)), so a class derived from the line that overrides
// the moves or the position queries is searched along its overrides; an object of exactly this
// class takes a faster walk with the same answers. The angle results are never written.
// Overlays use a font of 18 device units along the line with a transparent background, both
// given back on every way out; ticks run 8 units along the normal on either side of a transition.
//
//   OVectorPath_Line line(OVector(0, 0), OVector(3, 4));   // 5 steps, positions 0..5
//   OVector p;
//   while (line.MoveNextRaster(p)) { /* one position per pixel */ }

#include <memory>

#include "paths/OVectorPath.h"

// The walk shared by the transition searches of every path kind, the line's fast walk under the
// grey band and the profile reader of the Canny transition function (internal).
template <class Path, class Reach>
class TransitionWalk;
class LineBandWalk;
class PathProfile;

class EDGEDETECTION_EXPORT OVectorPath_Line : public OVectorPath {
  public:
    // Object ID of a line record in a byte stream.
    static constexpr unsigned int kObjectID = 0xC4A01601u;

    OVectorPath_Line();
    OVectorPath_Line(OVector vStart, OVector vEnd);
    ~OVectorPath_Line() override;

    // Builds the line; always true. A zero-length line has 0 steps.
    bool CreatePath(OVector vStart, OVector vEnd);

    // A pointer to the same object sharing ownership; no type check (see GetPathType).
    static std::shared_ptr<OVectorPath_Line> CastFromBase(const std::shared_ptr<OVectorPath>& path);

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
    // The transition search reads the line's position and overlay geometry directly.
    template <class Path, class Reach>
    friend class TransitionWalk;
    friend class LineBandWalk;
    // The Canny transition function reads the listed positions without listing them.
    friend class PathProfile;

    OVector m_vStart;
    OVector m_vEnd;
    OVector m_vCurrent;
    OVector m_vStep;
    int m_iStepCount = 0;
    OVector m_vNormal;
    OVector m_vDirection;
    int m_iTextAngle = 0;
    // Bytes stored with the path beyond its known fields (kept by serialization).
    WritableCollection<unsigned char> m_baUserData;
};
