// OVectorPath_Circle: the double-precision circle path. Every operation is a call into the
// shared CircleArc<double>; the searches are in TransitionSearch.cpp, the records in
// PathRecords.cpp.
#include "paths/OVectorPath_Circle.h"

#include "paths/CircleArc.h"

// ---------------------------------------------------------------------------------------------
// OVectorPath_Circle

OVectorPath_Circle::OVectorPath_Circle() {
    m_iPathType = kPathTypeCircle;
    m_iCurrentPos = -1;
}

OVectorPath_Circle::OVectorPath_Circle(OVector vCenter, double dRadius, double dStartAngle_Deg,
                                       double dSweepAngle_Deg)
    : OVectorPath_Circle() {
    CreatePath(vCenter, dRadius, dStartAngle_Deg, dSweepAngle_Deg);
}

OVectorPath_Circle::~OVectorPath_Circle() = default;

CircleArc<double> OVectorPath_Circle::Arc() {
    return {*this,
            m_bFullCircle,
            m_vCenter,
            m_dRadius,
            m_dStartAngle_Rad,
            m_dEndAngle_Rad,
            m_vStart,
            m_vEnd,
            m_vCurrent,
            m_dCurrentAngle_Rad,
            m_dAngleStep_Rad,
            m_iStepCount,
            m_iCurrentPos};
}

bool OVectorPath_Circle::CreatePath(OVector vCenter, double dRadius, double dStartAngle_Deg,
                                    double dSweepAngle_Deg) {
    Arc().Create(vCenter, dRadius, dStartAngle_Deg, dSweepAngle_Deg);
    return true;
}

std::shared_ptr<OVectorPath_Circle> OVectorPath_Circle::CastFromBase(
    const std::shared_ptr<OVectorPath>& path) {
    return std::static_pointer_cast<OVectorPath_Circle>(path);
}

bool OVectorPath_Circle::CurrentVector(OVector& v) {
    return Arc().CurrentVector(v);
}

bool OVectorPath_Circle::CurrentAngle_Rad(float& fAngle) {
    return Arc().CurrentAngle(fAngle);
}

bool OVectorPath_Circle::CurrentAngle_Rad(double& dAngle) {
    return Arc().CurrentAngle(dAngle);
}

void OVectorPath_Circle::Reset() {
    Arc().Reset();
}

bool OVectorPath_Circle::MoveNext() {
    return Arc().MoveNext();
}

bool OVectorPath_Circle::MoveNext(OVector& v) {
    return Arc().MoveNext(v);
}

bool OVectorPath_Circle::MoveNextRaster() {
    return Arc().MoveNextRaster();
}

bool OVectorPath_Circle::MoveNextRaster(OVector& v) {
    return Arc().MoveNextRaster(v);
}

bool OVectorPath_Circle::MovePrev(OVector& v) {
    return Arc().MovePrev(v);
}
bool OVectorPath_Circle::MovePrevRaster(OVector& v) {
    return Arc().MovePrevRaster(v);
}
bool OVectorPath_Circle::MoveStart(OVector& v) {
    return Arc().MoveStart(v);
}
bool OVectorPath_Circle::MoveEnd(OVector& v) {
    return Arc().MoveEnd(v);
}
bool OVectorPath_Circle::MoveTo(int iIndex, OVector& v) {
    return Arc().MoveTo(iIndex, v);
}

int OVectorPath_Circle::GetCount() {
    return m_iStepCount;
}

bool OVectorPath_Circle::GetStartVector(OVector& v) {
    Arc().StartVector(v);
    return true;
}

bool OVectorPath_Circle::GetEndVector(OVector& v) {
    Arc().EndVector(v);
    return true;
}

bool OVectorPath_Circle::GetVectorAt(int iIndex, OVector& v) {
    return Arc().VectorAt<double>(iIndex, v);
}
bool OVectorPath_Circle::GetVectorAt(float fIndex, OVector& v) {
    return Arc().VectorAt<float>(fIndex, v);
}
bool OVectorPath_Circle::GetVectorAt(double dIndex, OVector& v) {
    return Arc().VectorAt<double>(dIndex, v);
}
bool OVectorPath_Circle::GetAngle_RadAt(int iIndex, float& fAngle) {
    return Arc().AngleAt(iIndex, fAngle);
}
bool OVectorPath_Circle::GetAngle_RadAt(int iIndex, double& dAngle) {
    return Arc().AngleAt(iIndex, dAngle);
}
bool OVectorPath_Circle::GetAngle_RadAt(float fIndex, float& fAngle) {
    return Arc().AngleAt(fIndex, fAngle);
}
bool OVectorPath_Circle::GetAngle_RadAt(double dIndex, double& dAngle) {
    return Arc().AngleAt(dIndex, dAngle);
}

int OVectorPath_Circle::GetVectorPath(OVector_Array& list) {
    return Arc().ListPositions(list);
}

int OVectorPath_Circle::GetVectorPathRaster(OVector_Array& list) {
    return Arc().ListRasterBeforeEnd(list);
}

bool OVectorPath_Circle::ShiftPath(int /*iDx*/, int /*iDy*/) {
    return false;
}
bool OVectorPath_Circle::TurnPath(float /*fAngle*/) {
    return false;
}
bool OVectorPath_Circle::TurnPath(double /*dAngle*/) {
    return false;
}
bool OVectorPath_Circle::RotatePath(float /*fX*/, float /*fY*/, float /*fAngle*/) {
    return false;
}
bool OVectorPath_Circle::RotatePath(double /*dX*/, double /*dY*/, double /*dAngle*/) {
    return false;
}
