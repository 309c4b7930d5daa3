// The transition searches of lines and circles: the nine virtual operations, each handing its
// arguments to the one walk of TransitionWalk.h.
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"
#include "paths/TransitionWalk.h"

bool OVectorPath_Line::FindNextTransition(std::shared_ptr<OType_Image> image, int iPolarity,
                                          int iMinDistance, int iReferenceIndex, int& iResultIndex,
                                          OVector& vResult, double& dAngle,
                                          OType_DrawingContext* pContext, int iLabelKind,
                                          int iLabelNumber) {
    return SearchPath(*this, [&](auto walk) {
        return decltype(walk)::type::FindNext(*this, image, iPolarity, iMinDistance,
                                              iReferenceIndex, iResultIndex, vResult, dAngle,
                                              pContext, iLabelKind, iLabelNumber);
    });
}

bool OVectorPath_Line::FindNextTransitionSingle(std::shared_ptr<OType_Image> image, int iOrdinal,
                                                int iPolarity, int iMinDistance,
                                                int iReferenceIndex, int& iResultIndex,
                                                OVector& vResult, double& dAngle,
                                                OType_DrawingContext* pContext, int iLabelKind,
                                                int iLabelBase, bool bGoOn) {
    return SearchPath(*this, [&](auto walk) {
        return decltype(walk)::type::FindNextSingle(*this, image, iOrdinal, iPolarity, iMinDistance,
                                                    iReferenceIndex, iResultIndex, vResult, dAngle,
                                                    pContext, iLabelKind, iLabelBase, bGoOn);
    });
}

bool OVectorPath_Line::FindNextTransitionPair(
    std::shared_ptr<OType_Image> image, int iOrdinal1, int iPolarity1, int iMinDistance1,
    int iMinDistance1To2, int iReferenceIndex1, int iOrdinal2, int iPolarity2, int iMinDistance2,
    int iMinDistance2To1, int iReferenceIndex2, int iSecondAfterFirst, int& iResultIndex1,
    OVector& vResult1, double& dAngle1, int& iResultIndex2, OVector& vResult2, double& dAngle2,
    OType_DrawingContext* pContext, int iLabelMode, int iLabelBase1, int iLabelBase2, bool bGoOn) {
    return SearchPath(*this, [&](auto walk) {
        return decltype(walk)::type::FindNextPair(
            *this, image, iOrdinal1, iPolarity1, iMinDistance1, iMinDistance1To2, iReferenceIndex1,
            iOrdinal2, iPolarity2, iMinDistance2, iMinDistance2To1, iReferenceIndex2,
            iSecondAfterFirst, iResultIndex1, vResult1, dAngle1, iResultIndex2, vResult2, dAngle2,
            pContext, iLabelMode, iLabelBase1, iLabelBase2, bGoOn);
    });
}

bool OVectorPath_Circle::FindNextTransition(std::shared_ptr<OType_Image> image, int iPolarity,
                                            int iMinDistance, int iReferenceIndex,
                                            int& iResultIndex, OVector& vResult, double& dAngle,
                                            OType_DrawingContext* pContext, int iLabelKind,
                                            int iLabelNumber) {
    return SearchPath(*this, [&](auto walk) {
        return decltype(walk)::type::FindNext(*this, image, iPolarity, iMinDistance,
                                              iReferenceIndex, iResultIndex, vResult, dAngle,
                                              pContext, iLabelKind, iLabelNumber);
    });
}

bool OVectorPath_Circle::FindNextTransitionSingle(std::shared_ptr<OType_Image> image, int iOrdinal,
                                                  int iPolarity, int iMinDistance,
                                                  int iReferenceIndex, int& iResultIndex,
                                                  OVector& vResult, double& dAngle,
                                                  OType_DrawingContext* pContext, int iLabelKind,
                                                  int iLabelBase, bool bGoOn) {
    return SearchPath(*this, [&](auto walk) {
        return decltype(walk)::type::FindNextSingle(*this, image, iOrdinal, iPolarity, iMinDistance,
                                                    iReferenceIndex, iResultIndex, vResult, dAngle,
                                                    pContext, iLabelKind, iLabelBase, bGoOn);
    });
}

bool OVectorPath_Circle::FindNextTransitionPair(
    std::shared_ptr<OType_Image> image, int iOrdinal1, int iPolarity1, int iMinDistance1,
    int iMinDistance1To2, int iReferenceIndex1, int iOrdinal2, int iPolarity2, int iMinDistance2,
    int iMinDistance2To1, int iReferenceIndex2, int iSecondAfterFirst, int& iResultIndex1,
    OVector& vResult1, double& dAngle1, int& iResultIndex2, OVector& vResult2, double& dAngle2,
    OType_DrawingContext* pContext, int iLabelMode, int iLabelBase1, int iLabelBase2, bool bGoOn) {
    return SearchPath(*this, [&](auto walk) {
        return decltype(walk)::type::FindNextPair(
            *this, image, iOrdinal1, iPolarity1, iMinDistance1, iMinDistance1To2, iReferenceIndex1,
            iOrdinal2, iPolarity2, iMinDistance2, iMinDistance2To1, iReferenceIndex2,
            iSecondAfterFirst, iResultIndex1, vResult1, dAngle1, iResultIndex2, vResult2, dAngle2,
            pContext, iLabelMode, iLabelBase1, iLabelBase2, bGoOn);
    });
}

bool OVectorPath_Circle_Float::FindNextTransition(std::shared_ptr<OType_Image> image, int iPolarity,
                                                  int iMinDistance, int iReferenceIndex,
                                                  int& iResultIndex, OVector& vResult,
                                                  double& dAngle, OType_DrawingContext* pContext,
                                                  int iLabelKind, int iLabelNumber) {
    return SearchPath(*this, [&](auto walk) {
        return decltype(walk)::type::FindNext(*this, image, iPolarity, iMinDistance,
                                              iReferenceIndex, iResultIndex, vResult, dAngle,
                                              pContext, iLabelKind, iLabelNumber);
    });
}

bool OVectorPath_Circle_Float::FindNextTransitionSingle(
    std::shared_ptr<OType_Image> image, int iOrdinal, int iPolarity, int iMinDistance,
    int iReferenceIndex, int& iResultIndex, OVector& vResult, double& dAngle,
    OType_DrawingContext* pContext, int iLabelKind, int iLabelBase, bool bGoOn) {
    return SearchPath(*this, [&](auto walk) {
        return decltype(walk)::type::FindNextSingle(*this, image, iOrdinal, iPolarity, iMinDistance,
                                                    iReferenceIndex, iResultIndex, vResult, dAngle,
                                                    pContext, iLabelKind, iLabelBase, bGoOn);
    });
}

bool OVectorPath_Circle_Float::FindNextTransitionPair(
    std::shared_ptr<OType_Image> image, int iOrdinal1, int iPolarity1, int iMinDistance1,
    int iMinDistance1To2, int iReferenceIndex1, int iOrdinal2, int iPolarity2, int iMinDistance2,
    int iMinDistance2To1, int iReferenceIndex2, int iSecondAfterFirst, int& iResultIndex1,
    OVector& vResult1, double& dAngle1, int& iResultIndex2, OVector& vResult2, double& dAngle2,
    OType_DrawingContext* pContext, int iLabelMode, int iLabelBase1, int iLabelBase2, bool bGoOn) {
    return SearchPath(*this, [&](auto walk) {
        return decltype(walk)::type::FindNextPair(
            *this, image, iOrdinal1, iPolarity1, iMinDistance1, iMinDistance1To2, iReferenceIndex1,
            iOrdinal2, iPolarity2, iMinDistance2, iMinDistance2To1, iReferenceIndex2,
            iSecondAfterFirst, iResultIndex1, vResult1, dAngle1, iResultIndex2, vResult2, dAngle2,
            pContext, iLabelMode, iLabelBase1, iLabelBase2, bGoOn);
    });
}
