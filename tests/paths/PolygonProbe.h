#pragma once
// PolygonProbe: the smallest usable polygon path for tests.
//
// OVectorPath_Polygon leaves GetVectorPath and the three shared-image searches pure; the probe
// gives them inert answers (an emptied list, false) and exposes the members that only a record
// fills. Its searches are not part of what the tests check.

#include <memory>
#include <vector>

#include "paths/OVectorPath_Polygon.h"

class PolygonProbe : public OVectorPath_Polygon {
  public:
    using OVectorPath_Polygon::OVectorPath_Polygon;
    // Keep the polygon's raw-image searches visible next to the overrides below.
    using OVectorPath_Polygon::FindNextTransition;
    using OVectorPath_Polygon::FindNextTransitionPair;
    using OVectorPath_Polygon::FindNextTransitionSingle;

    const OVector_Array& Points() const { return m_vaPoints; }

    int GetVectorPath(OVector_Array& list) override {
        list.RemoveAll();
        return 0;
    }
    bool FindNextTransition(std::shared_ptr<OType_Image>, int, int, int, int&, OVector&, double&,
                            OType_DrawingContext*, int, int) override {
        return false;
    }
    bool FindNextTransitionSingle(std::shared_ptr<OType_Image>, int, int, int, int, int&, OVector&,
                                  double&, OType_DrawingContext*, int, int, bool) override {
        return false;
    }
    bool FindNextTransitionPair(std::shared_ptr<OType_Image>, int, int, int, int, int, int, int,
                                int, int, int, int, int&, OVector&, double&, int&, OVector&,
                                double&, OType_DrawingContext*, int, int, int, bool) override {
        return false;
    }
};
