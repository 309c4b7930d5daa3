#include "paths/OVectorPath_Polygon.h"

// The polygon has its members and its record (PathRecords.cpp) but no geometry: every answer
// below is fixed. Moves answer true without moving, so that a caller walking the path ends at
// once instead of treating the polygon as broken; point and angle queries answer false.

OVectorPath_Polygon::OVectorPath_Polygon() {
    m_iPathType = kPathTypePolygon;
    m_iCurrentPos = -1;
}

OVectorPath_Polygon::OVectorPath_Polygon(OVector_Array& /*points*/) : OVectorPath_Polygon() {}

OVectorPath_Polygon::~OVectorPath_Polygon() = default;

bool OVectorPath_Polygon::CreatePath(OVector_Array& /*points*/) {
    return true;
}

std::shared_ptr<OVectorPath_Polygon> OVectorPath_Polygon::CastFromBase(
    const std::shared_ptr<OVectorPath>& path) {
    return std::static_pointer_cast<OVectorPath_Polygon>(path);
}

bool OVectorPath_Polygon::CurrentVector(OVector& /*v*/) {
    return true;
}

bool OVectorPath_Polygon::CurrentAngle_Rad(float& fAngle) {
    fAngle = 0.0f;
    return false;
}

bool OVectorPath_Polygon::CurrentAngle_Rad(double& dAngle) {
    dAngle = 0.0;
    return false;
}

void OVectorPath_Polygon::Reset() {
    m_iCurrentPos = -1;
}

bool OVectorPath_Polygon::MoveNext() {
    return true;
}

bool OVectorPath_Polygon::MoveNext(OVector& /*v*/) {
    return true;
}

bool OVectorPath_Polygon::MoveNextRaster() {
    return true;
}

bool OVectorPath_Polygon::MoveNextRaster(OVector& /*v*/) {
    return true;
}

bool OVectorPath_Polygon::MovePrev(OVector& /*v*/) {
    return true;
}

bool OVectorPath_Polygon::MovePrevRaster(OVector& /*v*/) {
    return true;
}

bool OVectorPath_Polygon::MoveStart(OVector& /*v*/) {
    return true;
}

bool OVectorPath_Polygon::MoveEnd(OVector& /*v*/) {
    return true;
}

bool OVectorPath_Polygon::MoveTo(int /*iIndex*/, OVector& /*v*/) {
    return true;
}

int OVectorPath_Polygon::GetCount() {
    return m_iStepCount;
}

bool OVectorPath_Polygon::GetStartVector(OVector& /*v*/) {
    return false;
}

bool OVectorPath_Polygon::GetEndVector(OVector& /*v*/) {
    return false;
}

bool OVectorPath_Polygon::GetVectorAt(int /*iIndex*/, OVector& /*v*/) {
    return false;
}

bool OVectorPath_Polygon::GetVectorAt(float /*fIndex*/, OVector& /*v*/) {
    return false;
}

bool OVectorPath_Polygon::GetVectorAt(double /*dIndex*/, OVector& /*v*/) {
    return false;
}

bool OVectorPath_Polygon::GetAngle_RadAt(int /*iIndex*/, float& fAngle) {
    fAngle = 0.0f;
    return false;
}

bool OVectorPath_Polygon::GetAngle_RadAt(int /*iIndex*/, double& dAngle) {
    dAngle = 0.0;
    return false;
}

bool OVectorPath_Polygon::GetAngle_RadAt(float /*fIndex*/, float& fAngle) {
    fAngle = 0.0f;
    return false;
}

bool OVectorPath_Polygon::GetAngle_RadAt(double /*dIndex*/, double& dAngle) {
    dAngle = 0.0;
    return false;
}

int OVectorPath_Polygon::GetVectorPathRaster(OVector_Array& list) {
    list.RemoveAll();
    return list.GetCount();
}

bool OVectorPath_Polygon::ShiftPath(int /*iDx*/, int /*iDy*/) {
    return false;
}

bool OVectorPath_Polygon::TurnPath(float /*fAngle*/) {
    return false;
}

bool OVectorPath_Polygon::TurnPath(double /*dAngle*/) {
    return false;
}

bool OVectorPath_Polygon::RotatePath(float /*fX*/, float /*fY*/, float /*fAngle*/) {
    return false;
}

bool OVectorPath_Polygon::RotatePath(double /*dX*/, double /*dY*/, double /*dAngle*/) {
    return false;
}

bool OVectorPath_Polygon::FindNextTransition(OType_Image* /*pImage*/, int /*iPolarity*/,
                                             int /*iMinDistance*/, int /*iReferenceIndex*/,
                                             int& /*iResultIndex*/, OVector& /*vResult*/,
                                             double& /*dAngle*/, OType_DrawingContext* /*pContext*/,
                                             int /*iLabelKind*/, int /*iLabelNumber*/) {
    return false;
}

bool OVectorPath_Polygon::FindNextTransitionSingle(
    OType_Image* /*pImage*/, int /*iOrdinal*/, int /*iPolarity*/, int /*iMinDistance*/,
    int /*iReferenceIndex*/, int& /*iResultIndex*/, OVector& /*vResult*/, double& /*dAngle*/,
    OType_DrawingContext* /*pContext*/, int /*iLabelKind*/, int /*iLabelBase*/, bool /*bGoOn*/) {
    return false;
}

bool OVectorPath_Polygon::FindNextTransitionPair(
    OType_Image* /*pImage*/, int /*iOrdinal1*/, int /*iPolarity1*/, int /*iMinDistance1*/,
    int /*iMinDistance1To2*/, int /*iReferenceIndex1*/, int /*iOrdinal2*/, int /*iPolarity2*/,
    int /*iMinDistance2*/, int /*iMinDistance2To1*/, int /*iReferenceIndex2*/,
    int /*iSecondAfterFirst*/, int& /*iResultIndex1*/, OVector& /*vResult1*/, double& /*dAngle1*/,
    int& /*iResultIndex2*/, OVector& /*vResult2*/, double& /*dAngle2*/,
    OType_DrawingContext* /*pContext*/, int /*iLabelMode*/, int /*iLabelBase1*/,
    int /*iLabelBase2*/, bool /*bGoOn*/) {
    return false;
}
