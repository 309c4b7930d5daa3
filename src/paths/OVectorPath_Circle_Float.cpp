// OVectorPath_Circle_Float: the single-precision circle path. Every operation is a call into the
// shared CircleArc<float>; the searches are in TransitionSearch.cpp, the records in
// PathRecords.cpp.
#include "paths/OVectorPath_Circle.h"

#include "paths/CircleArc.h"

// ---------------------------------------------------------------------------------------------
// OVectorPath_Circle_Float

OVectorPath_Circle_Float::OVectorPath_Circle_Float() {
    m_iPathType = kPathTypeCircle;
    m_iCurrentPos = -1;
}

OVectorPath_Circle_Float::OVectorPath_Circle_Float(OVector vCenter, float fRadius,
                                                   float fStartAngle_Deg, float fSweepAngle_Deg)
    : OVectorPath_Circle_Float() {
    CreatePath(vCenter, fRadius, fStartAngle_Deg, fSweepAngle_Deg);
}

OVectorPath_Circle_Float::~OVectorPath_Circle_Float() = default;

CircleArc<float> OVectorPath_Circle_Float::Arc() {
    return {*this,
            m_bFullCircle,
            m_vCenter,
            m_fRadius,
            m_fStartAngle_Rad,
            m_fEndAngle_Rad,
            m_vStart,
            m_vEnd,
            m_vCurrent,
            m_fCurrentAngle_Rad,
            m_fAngleStep_Rad,
            m_iStepCount,
            m_iCurrentPos};
}

bool OVectorPath_Circle_Float::CreatePath(OVector vCenter, float fRadius, float fStartAngle_Deg,
                                          float fSweepAngle_Deg) {
    Arc().Create(vCenter, fRadius, fStartAngle_Deg, fSweepAngle_Deg);
    return true;
}

bool OVectorPath_Circle_Float::CurrentVector(OVector& v) {
    return Arc().CurrentVector(v);
}

bool OVectorPath_Circle_Float::CurrentAngle_Rad(float& fAngle) {
    return Arc().CurrentAngle(fAngle);
}

bool OVectorPath_Circle_Float::CurrentAngle_Rad(double& dAngle) {
    return Arc().CurrentAngle(dAngle);
}

void OVectorPath_Circle_Float::Reset() {
    Arc().Reset();
}

bool OVectorPath_Circle_Float::MoveNext() {
    return Arc().MoveNext();
}

bool OVectorPath_Circle_Float::MoveNext(OVector& v) {
    return Arc().MoveNext(v);
}

bool OVectorPath_Circle_Float::MoveNextRaster() {
    return Arc().MoveNextRaster();
}

bool OVectorPath_Circle_Float::MoveNextRaster(OVector& v) {
    return Arc().MoveNextRaster(v);
}

bool OVectorPath_Circle_Float::MovePrev(OVector& v) {
    return Arc().MovePrev(v);
}
bool OVectorPath_Circle_Float::MovePrevRaster(OVector& v) {
    return Arc().MovePrevRaster(v);
}
bool OVectorPath_Circle_Float::MoveStart(OVector& v) {
    return Arc().MoveStart(v);
}
bool OVectorPath_Circle_Float::MoveEnd(OVector& v) {
    return Arc().MoveEnd(v);
}
bool OVectorPath_Circle_Float::MoveTo(int iIndex, OVector& v) {
    return Arc().MoveTo(iIndex, v);
}

int OVectorPath_Circle_Float::GetCount() {
    return m_iStepCount;
}

bool OVectorPath_Circle_Float::GetStartVector(OVector& v) {
    Arc().StartVector(v);
    return true;
}

bool OVectorPath_Circle_Float::GetEndVector(OVector& v) {
    Arc().EndVector(v);
    return true;
}

// The int query is single precision like the moves; the double query widens the fields.
bool OVectorPath_Circle_Float::GetVectorAt(int iIndex, OVector& v) {
    return Arc().VectorAt<float>(iIndex, v);
}
bool OVectorPath_Circle_Float::GetVectorAt(float fIndex, OVector& v) {
    return Arc().VectorAt<float>(fIndex, v);
}
bool OVectorPath_Circle_Float::GetVectorAt(double dIndex, OVector& v) {
    return Arc().VectorAt<double>(dIndex, v);
}
bool OVectorPath_Circle_Float::GetAngle_RadAt(int iIndex, float& fAngle) {
    return Arc().AngleAt(iIndex, fAngle);
}
bool OVectorPath_Circle_Float::GetAngle_RadAt(int iIndex, double& dAngle) {
    return Arc().AngleAt(iIndex, dAngle);
}
bool OVectorPath_Circle_Float::GetAngle_RadAt(float fIndex, float& fAngle) {
    return Arc().AngleAt(fIndex, fAngle);
}
bool OVectorPath_Circle_Float::GetAngle_RadAt(double dIndex, double& dAngle) {
    return Arc().AngleAt(dIndex, dAngle);
}

int OVectorPath_Circle_Float::GetVectorPath(OVector_Array& list) {
    return Arc().ListPositions(list);
}

int OVectorPath_Circle_Float::GetVectorPathRaster(OVector_Array& list) {
    return Arc().ListRasterWithEnd(list);
}

bool OVectorPath_Circle_Float::ShiftPath(int /*iDx*/, int /*iDy*/) {
    return false;
}
bool OVectorPath_Circle_Float::TurnPath(float /*fAngle*/) {
    return false;
}
bool OVectorPath_Circle_Float::TurnPath(double /*dAngle*/) {
    return false;
}
bool OVectorPath_Circle_Float::RotatePath(float /*fX*/, float /*fY*/, float /*fAngle*/) {
    return false;
}
bool OVectorPath_Circle_Float::RotatePath(double /*dX*/, double /*dY*/, double /*dAngle*/) {
    return false;
}
