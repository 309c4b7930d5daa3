// What every path kind shares through OVectorPath: kind, starting index, transition defaults,
// and the unsupported transformations.
#include <gtest/gtest.h>

#include <array>
#include <memory>
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

}  // namespace
