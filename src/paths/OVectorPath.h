#pragma once
// OVectorPath: the abstract base of every geometric path laid over a grey-value image.
//
// A path is a finite sequence of positions 0..GetCount(). It starts before its first position
// (CurrentPos -1); MoveNext/MoveNextRaster from there go to index 0. A caller walks it forward or
// backward one sub-pixel step at a time or one image pixel at a time (raster steps), queries it at
// any index or fractional index, lists it as points and searches it for grey-value transitions.
//
// Coordinates are raw 16.16 fixed point (see OVector); pixel i covers [i, i + 1).
//
// Transition function: every path carries a rule that says whether its current position lies "in
// threshold" (bCreateTransitionFunction): 0 a grey band, 1 the absolute and 2 the signed deviation
// from a moving mean with hysteresis, 3 a one-dimensional Canny detector run once over the path.
// Polarity of a transition: entering (not in threshold, then in threshold) or leaving (the
// reverse); the searches take a polarity code (kPolarityAny, kPolarityEntering, kPolarityLeaving;
// any other code accepts none).
//
// The order of the virtual operations below is part of the binary interface and of the numbering
// of overloads in the flat export layer: do not reorder them. Overloads are declared in reverse of
// their natural order (float before double, no-argument before argument, int before float before
// double).
//
// Not thread-safe: a path holds its iteration and transition state and is used by one thread at a
// time.

#include <cstdint>
#include <memory>
#include <string>

#include "EdgeDetectionExport.h"
#include "foundation/OByteStream.h"
#include "foundation/OType_DrawingContext.h"
#include "foundation/OType_Image.h"
#include "foundation/OVector.h"
#include "foundation/OVector_Array.h"
#include "foundation/WritableCollection.h"

class EDGEDETECTION_EXPORT OVectorPath {
  public:
    // Path kinds (m_iPathType).
    static constexpr int kPathTypeBase = 0;
    static constexpr int kPathTypeLine = 1;
    static constexpr int kPathTypeCircle = 2;
    static constexpr int kPathTypePolygon = 3;

    // Transition function types.
    static constexpr int kTransitionBand = 0;
    static constexpr int kTransitionAbsDeviation = 1;
    static constexpr int kTransitionSignedDeviation = 2;
    static constexpr int kTransitionCanny = 3;

    // Polarity codes of the transition searches: which transitions a search accepts.
    static constexpr int kPolarityAny = 0;
    static constexpr int kPolarityEntering = 1;
    static constexpr int kPolarityLeaving = 2;

    // Label kinds of FindNextTransition and FindNextTransitionSingle: the label "%d", "S%d" or
    // "E%d" beside the tick. Other kinds draw the tick alone (kLabelKindTickOnly is one), except
    // that with kLabelKindNone FindNextTransitionSingle on a line draws nothing at all.
    static constexpr int kLabelKindNumber = 1;
    static constexpr int kLabelKindStart = 2;
    static constexpr int kLabelKindEnd = 3;
    static constexpr int kLabelKindTickOnly = 0;
    static constexpr int kLabelKindNone = -1;

    // Label modes of FindNextTransitionPair: both edges "%d" numbered by their own counts, both
    // "%d" numbered by the first edge's count, or (any other mode, kPairLabelStartEnd is one)
    // "S%d" for first and "E%d" for second edges.
    static constexpr int kPairLabelOwnCounts = 1;
    static constexpr int kPairLabelFirstCount = -1;
    static constexpr int kPairLabelStartEnd = 0;

    // iSecondAfterFirst of FindNextTransitionPair: second edges are looked for only once the
    // first-edge search is done (any other value: from the start).
    static constexpr int kSecondAfterFirst = 1;

    // Number of history entries of the moving-mean transition functions.
    static constexpr int kHistorySize = 10;
    // The no-value marker of profiles and histories (a point outside the image).
    static constexpr int kNoValue = OType_Image::kNoValue;

    OVectorPath();
    OVectorPath(const OVectorPath&) = default;
    OVectorPath& operator=(const OVectorPath&) = default;

    int GetPathType() const { return m_iPathType; }

    // Sets up the transition function. Answers false, changing nothing (type 3: after emptying
    // its Canny transitions), for a type outside 0..3 or parameters outside their ranges.
    bool bCreateTransitionFunction(int iType, int iParam1, int iParam2, int iParam3, int iParam4,
                                   std::shared_ptr<OType_Image> image);
    void GetTransitionFunctionParams(int& iType, int& iParam1, int& iParam2, int& iParam3) const;
    // Tests the path's current position in the image.
    bool IsInTransitionThreshold(std::shared_ptr<OType_Image> image);
    // Tests one grey value; advances the history and hysteresis of types 1 and 2.
    bool IsInTransitionThreshold(int iGreyValue);

    // Draws a small closed triangle showing a direction at a position; false for a null context.
    static bool DrawDirectionArrow(OType_DrawingContext* pContext, OVector vPosition,
                                   OVector vDirection);
    // Writes a label along a direction, never upside down, offset across (d1, mode) and along
    // (d2, mode) the text line; height in device units. False for an empty text or null context.
    static bool DrawRotatedText(OType_DrawingContext* pContext, OVector vPosition,
                                OVector vDirection, std::u16string text, int iOffsetAcross,
                                int iModeAcross, int iOffsetAlong, int iModeAlong, int iHeight);

    // --- virtual interface, in binary-interface order ---
    virtual ~OVectorPath();

    virtual unsigned int GetObjectID() const = 0;
    virtual std::uint64_t GetObjectSize() const = 0;
    virtual bool AddObjectData(OByteStream& stream) = 0;
    virtual bool GetObjectData(OByteStream& stream, bool bFlag) = 0;

    // Writes the current index (-1 before the first position); always true.
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

    // The next transition of a polarity at a minimum distance from a reference index.
    virtual bool FindNextTransition(std::shared_ptr<OType_Image> image, int iPolarity,
                                    int iMinDistance, int iReferenceIndex, int& iResultIndex,
                                    OVector& vResult, double& dAngle,
                                    OType_DrawingContext* pContext, int iLabelKind,
                                    int iLabelNumber) = 0;
    // The N-th qualifying transition, optionally going on to the end to mark every one.
    virtual bool FindNextTransitionSingle(std::shared_ptr<OType_Image> image, int iOrdinal,
                                          int iPolarity, int iMinDistance, int iReferenceIndex,
                                          int& iResultIndex, OVector& vResult, double& dAngle,
                                          OType_DrawingContext* pContext, int iLabelKind,
                                          int iLabelBase, bool bGoOn) = 0;
    // A first (start) and a second (end) edge at once.
    virtual bool FindNextTransitionPair(std::shared_ptr<OType_Image> image, int iOrdinal1,
                                        int iPolarity1, int iMinDistance1, int iMinDistance1To2,
                                        int iReferenceIndex1, int iOrdinal2, int iPolarity2,
                                        int iMinDistance2, int iMinDistance2To1,
                                        int iReferenceIndex2, int iSecondAfterFirst,
                                        int& iResultIndex1, OVector& vResult1, double& dAngle1,
                                        int& iResultIndex2, OVector& vResult2, double& dAngle2,
                                        OType_DrawingContext* pContext, int iLabelMode,
                                        int iLabelBase1, int iLabelBase2, bool bGoOn) = 0;

    // Not supported by any path: false, nothing changed.
    virtual bool ShiftPath(int iDx, int iDy) = 0;
    virtual bool TurnPath(float fAngle) = 0;
    virtual bool TurnPath(double dAngle) = 0;
    virtual bool RotatePath(float fX, float fY, float fAngle) = 0;
    virtual bool RotatePath(double dX, double dY, double dAngle) = 0;

  protected:
    // The transition function at a known index and position, without the virtual queries of the
    // current position: what the transition search evaluates at every raster step. Same answers
    // and the same state changes as IsInTransitionThreshold(image) at that position.
    bool IsInTransitionThresholdAt(const OType_Image* pImage, int iIndex, const OVector& vPosition);
    // IsInTransitionThreshold(image) with the image borrowed instead of shared: the same answers
    // and state changes (the current index and point through the virtual interface), without a
    // reference count changed per evaluation.
    bool IsInTransitionThresholdOf(const OType_Image* pImage);

    // Byte list owned by the base; no path operation reads or writes it.
    WritableCollection<unsigned char> m_baData;
    int m_iPathType = kPathTypeBase;
    int m_iCurrentPos = -1;
    int m_iTransitionType = kTransitionBand;
    int m_iTransitionParam1 = 0;
    int m_iTransitionParam2 = 128;
    int m_iTransitionParam3 = 2;
    // Previous grey values of types 1 and 2, newest first.
    int m_iaHistory[kHistorySize];
    bool m_bInTransition = false;
    int m_iSigmaIndex = 1;
    // Type 3: the transition function of the whole path, one value per listed position.
    WritableCollection<int> m_iaCannyTransitions;

  private:
    bool CreateCannyTransitionFunction(int iThreshold, int iSigmaIndex, const OType_Image* pImage);
    bool EvaluateMovingMean(int iGreyValue);
    bool CannyAnswerAt(int iIndex) const;
};
