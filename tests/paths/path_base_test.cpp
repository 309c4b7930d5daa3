// What every path kind shares through OVectorPath: kind, starting index, transition defaults,
// the unsupported transformations, and moves and queries outside the path.
#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <memory>
#include <tuple>
#include <utility>

#include "PolygonProbe.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"

namespace {

TEST(PathBaseTest, EveryKindStartsBeforeItsFirstPositionAndCannotBeTransformed) {
    const std::pair<std::shared_ptr<OVectorPath>, int> kinds[] = {
        {std::make_shared<OVectorPath_Line>(OVector(10, 10), OVector(20, 13)), 1},
        {std::make_shared<OVectorPath_Circle>(OVector(5, 10), 5.0, 0.0, 90.0), 2},
        {std::make_shared<OVectorPath_Circle_Float>(OVector(5, 10), 5.f, 0.f, 90.f), 2},
        {std::make_shared<PolygonProbe>(), 3},
    };
    for (const auto& [path, type] : kinds) {
        EXPECT_EQ(path->GetPathType(), type);
        int index = 99;
        EXPECT_TRUE(path->CurrentPos(index));
        EXPECT_EQ(index, -1) << "type " << type;
        std::array<int, 4> params{};
        path->GetTransitionFunctionParams(params[0], params[1], params[2], params[3]);
        EXPECT_EQ(params, (std::array<int, 4>{0, 0, 128, 2})) << "type " << type;

        path->MoveNext();
        path->MoveNext();
        OVector before, after;
        path->CurrentVector(before);
        EXPECT_FALSE(path->ShiftPath(3, -4) || path->TurnPath(0.5f) || path->TurnPath(0.5) ||
                     path->RotatePath(1.0f, 2.0f, 0.5f) || path->RotatePath(1.0, 2.0, 0.5));
        path->CurrentVector(after);
        path->CurrentPos(index);
        EXPECT_EQ(after, before) << "type " << type;
        EXPECT_EQ(index, type == 3 ? -1 : 1) << "type " << type;
    }
}

// Moves and queries outside a path with geometry answer false, write nothing and leave the index
// alone. An index that is not a number passes the range test (it is neither below 0 nor above the
// count); its point saturates far outside every image.
TEST(PathBaseTest, MovesAndQueriesOutsideThePathChangeNothing) {
    const std::shared_ptr<OVectorPath> paths[] = {
        std::make_shared<OVectorPath_Line>(OVector(0, 0), OVector(3, 4)),
        std::make_shared<OVectorPath_Circle>(OVector(100, 100), 10.0, 0.0, 90.0),
        std::make_shared<OVectorPath_Circle_Float>(OVector(100, 100), 10.f, 0.f, 90.f)};
    for (const auto& path : paths) {
        const int n = path->GetCount();
        const OVector sentinel(-7, -7);
        OVector v = sentinel;
        double angle = 7.0;
        int index = 0;
        // MovePrev before the start, then indices beyond either end.
        EXPECT_FALSE(path->MovePrev(v) || path->MoveTo(n + 1, v) || path->MoveTo(-1, v) ||
                     path->GetVectorAt(n + 1, v) || path->GetVectorAt(-0.1, v) ||
                     path->GetVectorAt(n + 0.1f, v) || path->GetAngle_RadAt(n + 1, angle) ||
                     path->GetAngle_RadAt(n + 0.5, angle) || !path->CurrentPos(index));
        EXPECT_EQ(std::make_tuple(v, angle, index), std::make_tuple(sentinel, 7.0, -1))
            << "type " << path->GetPathType();
        EXPECT_TRUE(path->MoveTo(n, v) && path->MoveStart(v));
        EXPECT_FALSE(path->MovePrev(v) || path->MovePrevRaster(v) || !path->CurrentPos(index));
        EXPECT_EQ(index, 0) << "type " << path->GetPathType();
        EXPECT_TRUE(path->GetVectorAt(std::numeric_limits<double>::quiet_NaN(), v));
        EXPECT_LT(v.iX(), 0) << "type " << path->GetPathType();
    }
}

}  // namespace
