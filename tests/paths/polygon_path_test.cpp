// OVectorPath_Polygon: the fixed answers of a path kind without geometry. Moves answer true and
// move nothing, point queries answer false and write nothing, angle queries write 0 and answer
// false, and the points given to the constructor or CreatePath are not taken. Its record is
// tested with the other kinds in path_records_test; its kind, its transformations and that
// MoveNext leaves it before its start in path_base_test.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <tuple>
#include <utility>

#include "PolygonProbe.h"

namespace {

const OVector kSentinel(std::int64_t{-777}, std::int64_t{-777});

TEST(PolygonPathTest, PointsAreNotTaken) {
    OVector_Array points;
    points.Add(std::make_shared<OVector>(1, 2));
    PolygonProbe fromPoints(points), created;
    EXPECT_TRUE(created.CreatePath(points));
    for (PolygonProbe* polygon : {&fromPoints, &created}) {
        EXPECT_EQ(std::make_pair(polygon->GetCount(), polygon->Points().GetCount()),
                  std::make_pair(-1, 0));
    }
    EXPECT_EQ(points.GetCount(), 1);  // the argument is left alone
}

TEST(PolygonPathTest, MovesAnswerTrueQueriesFalseAndNothingIsWritten) {
    PolygonProbe polygon;
    OVector v = kSentinel;
    EXPECT_TRUE(polygon.MoveNext() && polygon.MoveNext(v) && polygon.MoveNextRaster() &&
                polygon.MoveNextRaster(v) && polygon.MovePrev(v) && polygon.MovePrevRaster(v) &&
                polygon.MoveStart(v) && polygon.MoveEnd(v) && polygon.MoveTo(-5, v) &&
                polygon.CurrentVector(v));
    EXPECT_FALSE(polygon.GetStartVector(v) || polygon.GetEndVector(v) ||
                 polygon.GetVectorAt(0, v) || polygon.GetVectorAt(0.f, v) ||
                 polygon.GetVectorAt(0.0, v));
    EXPECT_EQ(v, kSentinel);
    // Angle queries answer false and write 0.
    double angle = 7.0, angleAt = 7.0;
    float fAngle = 7.0f, fAngleAt = 7.0f;
    EXPECT_FALSE(polygon.CurrentAngle_Rad(angle) || polygon.CurrentAngle_Rad(fAngle) ||
                 polygon.GetAngle_RadAt(.5, angleAt) || polygon.GetAngle_RadAt(.5f, fAngleAt));
    EXPECT_EQ(std::make_tuple(angle, angleAt, fAngle, fAngleAt),
              std::make_tuple(0.0, 0.0, 0.0f, 0.0f));
    // The raster list is emptied; the searches on a raw image find nothing and write nothing.
    OVector_Array list;
    list.Add(std::make_shared<OVector>(1, 2));
    EXPECT_EQ(polygon.GetVectorPathRaster(list), 0);
    EXPECT_EQ(list.GetCount(), 0);
    OType_Image image(8, 8);
    int i1 = 5, i2 = 6;
    OVector v1 = kSentinel, v2 = kSentinel;
    double a1 = 7.0, a2 = 8.0;
    EXPECT_FALSE(
        polygon.FindNextTransition(&image, 0, 0, 0, i1, v1, a1, nullptr, 0, 0) ||
        polygon.FindNextTransitionSingle(&image, 1, 0, 0, 0, i1, v1, a1, nullptr, 0, 0, 0) ||
        polygon.FindNextTransitionPair(&image, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, i1, v1, a1, i2, v2,
                                       a2, nullptr, 0, 0, 0, false));
    EXPECT_EQ(std::make_tuple(i1, i2, v1, v2, a1, a2),
              std::make_tuple(5, 6, kSentinel, kSentinel, 7.0, 8.0));
}

}  // namespace
