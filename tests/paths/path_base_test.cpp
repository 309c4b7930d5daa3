// What every path kind shares through OVectorPath: kind, starting index, transition defaults,
// the unsupported transformations, and the shared cast of a line.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"

namespace {

struct Kind {
    const char* name;
    int pathType;
    std::function<std::shared_ptr<OVectorPath>()> make;
};

void PrintTo(const Kind& kind, std::ostream* os) {
    *os << kind.name;
}

class PathBaseTest : public testing::TestWithParam<Kind> {};

TEST_P(PathBaseTest, StartsBeforeItsFirstPositionWithDefaultTransition) {
    const std::shared_ptr<OVectorPath> path = GetParam().make();
    EXPECT_EQ(path->GetPathType(), GetParam().pathType);
    int index = 99;
    EXPECT_TRUE(path->CurrentPos(index));
    EXPECT_EQ(index, -1);
    int type = -1;
    int p1 = -1;
    int p2 = -1;
    int p3 = -1;
    path->GetTransitionFunctionParams(type, p1, p2, p3);
    EXPECT_EQ(type, 0);
    EXPECT_EQ(p1, 0);
    EXPECT_EQ(p2, 128);
    EXPECT_EQ(p3, 2);
}

TEST_P(PathBaseTest, TransformationsAreNotSupportedAndChangeNothing) {
    const std::shared_ptr<OVectorPath> path = GetParam().make();
    OVector before;
    path->MoveNext();
    path->MoveNext(before);
    EXPECT_FALSE(path->ShiftPath(3, -4));
    EXPECT_FALSE(path->TurnPath(0.5f));
    EXPECT_FALSE(path->TurnPath(0.5));
    EXPECT_FALSE(path->RotatePath(1.0f, 2.0f, 0.5f));
    EXPECT_FALSE(path->RotatePath(1.0, 2.0, 0.5));
    OVector after;
    int index = 0;
    path->CurrentVector(after);
    path->CurrentPos(index);
    EXPECT_EQ(after, before);
    EXPECT_EQ(index, 1);
    OVector start;
    path->GetStartVector(start);
    EXPECT_EQ(start, OVector(10, 10));
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
             }}),
    [](const testing::TestParamInfo<Kind>& info) { return std::string(info.param.name); });

TEST(PathBaseTest, CastFromBaseSharesOwnership) {
    EXPECT_EQ(OVectorPath_Line::CastFromBase(nullptr), nullptr);
    const std::shared_ptr<OVectorPath> base =
        std::make_shared<OVectorPath_Line>(OVector(0, 0), OVector(3, 4));
    const std::shared_ptr<OVectorPath_Line> line = OVectorPath_Line::CastFromBase(base);
    EXPECT_EQ(line.get(), base.get());
    EXPECT_EQ(base.use_count(), 2);
    EXPECT_EQ(line->GetCount(), 5);
}

}  // namespace
