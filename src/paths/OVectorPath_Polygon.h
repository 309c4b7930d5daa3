#pragma once
// OVectorPath_Polygon: the path kind for a polyline through a list of points.
//
// A placeholder in this library: it has the members and the byte-stream record of a polygon path,
// but no geometry. Every move answers true without moving, every point or angle query answers
// false (angle queries write 0), and GetVectorPath and the three shared-image searches stay pure,
// so the class is abstract and is used through a derived class. Three searches taking a raw image
// pointer are added; they hide the base's searches and answer false.

#include <memory>

#include "paths/OVectorPath.h"

class EDGEDETECTION_EXPORT OVectorPath_Polygon : public OVectorPath {
  public:
    // Object ID of a polygon record in a byte stream.
    static constexpr unsigned int kObjectID = 0xC4A01603u;

    OVectorPath_Polygon();
    // The points are not taken.
    explicit OVectorPath_Polygon(OVector_Array& points);
    ~OVectorPath_Polygon() override;

    // Answers true; nothing is changed.
    bool CreatePath(OVector_Array& points);

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
    int GetVectorPathRaster(OVector_Array& list) override;

    bool ShiftPath(int iDx, int iDy) override;
    bool TurnPath(float fAngle) override;
    bool TurnPath(double dAngle) override;
    bool RotatePath(float fX, float fY, float fAngle) override;
    bool RotatePath(double dX, double dY, double dAngle) override;

    // Searches on a raw image pointer; not supported: false, nothing written. They hide the base's
    // shared-image searches on purpose (those stay pure), which Clang would otherwise warn about.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Woverloaded-virtual"
#endif
    virtual bool FindNextTransition(OType_Image* pImage, int iPolarity, int iMinDistance,
                                    int iReferenceIndex, int& iResultIndex, OVector& vResult,
                                    double& dAngle, OType_DrawingContext* pContext, int iLabelKind,
                                    int iLabelNumber);
    virtual bool FindNextTransitionSingle(OType_Image* pImage, int iOrdinal, int iPolarity,
                                          int iMinDistance, int iReferenceIndex, int& iResultIndex,
                                          OVector& vResult, double& dAngle,
                                          OType_DrawingContext* pContext, int iLabelKind,
                                          int iLabelBase, bool bGoOn);
    virtual bool FindNextTransitionPair(OType_Image* pImage, int iOrdinal1, int iPolarity1,
                                        int iMinDistance1, int iMinDistance1To2,
                                        int iReferenceIndex1, int iOrdinal2, int iPolarity2,
                                        int iMinDistance2, int iMinDistance2To1,
                                        int iReferenceIndex2, int iSecondAfterFirst,
                                        int& iResultIndex1, OVector& vResult1, double& dAngle1,
                                        int& iResultIndex2, OVector& vResult2, double& dAngle2,
                                        OType_DrawingContext* pContext, int iLabelMode,
                                        int iLabelBase1, int iLabelBase2, bool bGoOn);
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

  protected:
    OVector_Array m_vaPoints;
    OVector m_vStart;
    OVector m_vEnd;
    int m_iStepCount = -1;
    // Bytes stored with the path beyond its known fields (kept by serialization).
    WritableCollection<unsigned char> m_baUserData;

  private:
    // A pointer to the same object sharing ownership; no type check.
    static std::shared_ptr<OVectorPath_Polygon> CastFromBase(
        const std::shared_ptr<OVectorPath>& path);
};
