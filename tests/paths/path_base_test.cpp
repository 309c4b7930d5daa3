// What every path kind shares through OVectorPath: kind, starting index, transition defaults,
// the unsupported transformations, and the shared cast of a line.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "PolygonProbe.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"

namespace {

struct Kind {
    const char* name;
    int pathType;
    std::function<std::shared_ptr<OVectorPath>()> make;
};

class PathBaseTest : public testing::TestWithParam<Kind> {};

TEST_P(PathBaseTest, StartsBeforeItsFirstPositionWithTheDefaultBand) {
    const std::shared_ptr<OVectorPath> path = GetParam().make();
    EXPECT_EQ(path->GetPathType(), GetParam().pathType);
    int index = 99;
    EXPECT_TRUE(path->CurrentPos(index));
    EXPECT_EQ(index, -1);
    std::array<int, 4> params{};
    path->GetTransitionFunctionParams(params[0], params[1], params[2], params[3]);
    EXPECT_EQ(params, (std::array<int, 4>{0, 0, 128, 2}));
}

TEST_P(PathBaseTest, TransformationsAreNotSupportedAndChangeNothing) {
    const std::shared_ptr<OVectorPath> path = GetParam().make();
    path->MoveNext();
    path->MoveNext();
    const auto state = [&path] {
        int index = 0;
        OVector current;
        path->CurrentPos(index);
        path->CurrentVector(current);
        return std::make_pair(index, current);
    };
    const auto before = state();
    EXPECT_FALSE(path->ShiftPath(3, -4));
    EXPECT_FALSE(path->TurnPath(0.5f));
    EXPECT_FALSE(path->TurnPath(0.5));
    EXPECT_FALSE(path->RotatePath(1.0f, 2.0f, 0.5f));
    EXPECT_FALSE(path->RotatePath(1.0, 2.0, 0.5));
    EXPECT_EQ(state(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PathBaseTest,
    testing::Values(
        Kind{"Line", OVectorPath::kPathTypeLine,
             [] { return std::make_shared<OVectorPath_Line>(OVector(10, 10), OVector(20, 13)); }},
        Kind{"Circle", OVectorPath::kPathTypeCircle,
             [] { return std::make_shared<OVectorPath_Circle>(OVector(5, 10), 5.0, 0.0, 90.0); }},
        Kind{"CircleFloat", OVectorPath::kPathTypeCircle,
             [] {
                 return std::make_shared<OVectorPath_Circle_Float>(OVector(5, 10), 5.0f, 0.0f,
                                                                   90.0f);
             }},
        Kind{"Polygon", OVectorPath::kPathTypePolygon,
             [] { return std::make_shared<PolygonProbe>(); }}),
    [](const testing::TestParamInfo<Kind>& info) { return std::string(info.param.name); });

TEST(PathBaseTest, CastFromBaseSharesOwnership) {
    EXPECT_EQ(OVectorPath_Line::CastFromBase(nullptr), nullptr);
    const std::shared_ptr<OVectorPath> base =
        std::make_shared<OVectorPath_Line>(OVector(0, 0), OVector(3, 4));
    const std::shared_ptr<OVectorPath_Line> line = OVectorPath_Line::CastFromBase(base);
    EXPECT_EQ(line.get(), base.get());
    EXPECT_EQ(base.use_count(), 2);
}

}  // namespace
