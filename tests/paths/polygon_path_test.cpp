// OVectorPath_Polygon: the fixed answers of a path kind without geometry. Moves answer true and
// move nothing, point queries answer false and write nothing, angle queries write 0 and answer
// false, and the points given to the constructor or CreatePath are not taken. Its record is
// tested with the other kinds in path_records_test.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "PolygonProbe.h"

namespace {

const OVector kSentinel(std::int64_t{-777}, std::int64_t{-777});

OVector_Array ThreePoints() {
    OVector_Array points;
    points.Add(std::make_shared<OVector>(1, 2));
    points.Add(std::make_shared<OVector>(5, 2));
    points.Add(std::make_shared<OVector>(5, 9));
    return points;
}

int Index(OVectorPath& path) {
    int index = 99;
    EXPECT_TRUE(path.CurrentPos(index));
    return index;
}

std::vector<unsigned char> RecordOf(OVectorPath& path) {
    OByteStream out;
    path.AddObjectData(out);
    return out.GetBytes();
}

TEST(PolygonPathTest, BothConstructorsGiveAnEmptyPolygonBeforeItsStart) {
    OVector_Array points = ThreePoints();
    PolygonProbe fromNothing;
    PolygonProbe fromPoints(points);
    const std::vector<unsigned char> emptyRecord = RecordOf(fromNothing);
    for (PolygonProbe* polygon : {&fromNothing, &fromPoints}) {
        EXPECT_EQ(polygon->GetPathType(), OVectorPath::kPathTypePolygon);
        EXPECT_EQ(polygon->GetCount(), -1);
        EXPECT_EQ(Index(*polygon), -1);
        EXPECT_EQ(polygon->Points().GetCount(), 0);
        EXPECT_EQ(RecordOf(*polygon), emptyRecord);
    }
    EXPECT_EQ(points.GetCount(), 3);  // the argument is left alone

    EXPECT_TRUE(fromNothing.CreatePath(points));
    EXPECT_EQ(fromNothing.Points().GetCount(), 0);
    EXPECT_EQ(fromNothing.GetCount(), -1);
}

// Every operation with a point argument leaves it alone; moves answer true, queries false.
TEST(PolygonPathTest, MovesAnswerTrueQueriesFalseAndNoPointIsWritten) {
    using Operation = std::function<bool(OVectorPath&, OVector&)>;
    const std::vector<std::tuple<const char*, Operation, bool>> operations = {
        {"MoveNext()", [](OVectorPath& p, OVector&) { return p.MoveNext(); }, true},
        {"MoveNext(v)", [](OVectorPath& p, OVector& v) { return p.MoveNext(v); }, true},
        {"MoveNextRaster()", [](OVectorPath& p, OVector&) { return p.MoveNextRaster(); }, true},
        {"MoveNextRaster(v)", [](OVectorPath& p, OVector& v) { return p.MoveNextRaster(v); }, true},
        {"MovePrev", [](OVectorPath& p, OVector& v) { return p.MovePrev(v); }, true},
        {"MovePrevRaster", [](OVectorPath& p, OVector& v) { return p.MovePrevRaster(v); }, true},
        {"MoveStart", [](OVectorPath& p, OVector& v) { return p.MoveStart(v); }, true},
        {"MoveEnd", [](OVectorPath& p, OVector& v) { return p.MoveEnd(v); }, true},
        {"MoveTo(-5)", [](OVectorPath& p, OVector& v) { return p.MoveTo(-5, v); }, true},
        {"CurrentVector", [](OVectorPath& p, OVector& v) { return p.CurrentVector(v); }, true},
        {"GetStartVector", [](OVectorPath& p, OVector& v) { return p.GetStartVector(v); }, false},
        {"GetEndVector", [](OVectorPath& p, OVector& v) { return p.GetEndVector(v); }, false},
        {"GetVectorAt(int)", [](OVectorPath& p, OVector& v) { return p.GetVectorAt(0, v); }, false},
        {"GetVectorAt(float)", [](OVectorPath& p, OVector& v) { return p.GetVectorAt(0.f, v); },
         false},
        {"GetVectorAt(double)", [](OVectorPath& p, OVector& v) { return p.GetVectorAt(0.0, v); },
         false},
    };
    PolygonProbe polygon;
    for (const auto& [name, operation, answer] : operations) {
        OVector v = kSentinel;
        EXPECT_EQ(operation(polygon, v), answer) << name;
        EXPECT_EQ(v, kSentinel) << name;
        EXPECT_EQ(Index(polygon), -1) << name;
    }
}

// Each query starts from 7 in its own precision and must leave exactly 0 behind.
template <class Real, class Query>
std::function<bool(OVectorPath&, double&)> InPrecision(Query query) {
    return [query](OVectorPath& p, double& written) {
        Real angle = Real(7);
        const bool answer = query(p, angle);
        written = static_cast<double>(angle);
        return answer;
    };
}

TEST(PolygonPathTest, AngleQueriesWriteZeroAndAnswerFalse) {
    const std::vector<std::pair<const char*, std::function<bool(OVectorPath&, double&)>>> queries =
        {
            {"CurrentAngle_Rad(double&)",
             InPrecision<double>([](OVectorPath& p, double& a) { return p.CurrentAngle_Rad(a); })},
            {"CurrentAngle_Rad(float&)",
             InPrecision<float>([](OVectorPath& p, float& a) { return p.CurrentAngle_Rad(a); })},
            {"GetAngle_RadAt(int, double&)",
             InPrecision<double>([](OVectorPath& p, double& a) { return p.GetAngle_RadAt(0, a); })},
            {"GetAngle_RadAt(int, float&)",
             InPrecision<float>([](OVectorPath& p, float& a) { return p.GetAngle_RadAt(0, a); })},
            {"GetAngle_RadAt(double, double&)", InPrecision<double>([](OVectorPath& p, double& a) {
                 return p.GetAngle_RadAt(0.5, a);
             })},
            {"GetAngle_RadAt(float, float&)", InPrecision<float>([](OVectorPath& p, float& a) {
                 return p.GetAngle_RadAt(0.5f, a);
             })},
        };
    PolygonProbe polygon;
    for (const auto& [name, query] : queries) {
        double written = -1.0;
        EXPECT_FALSE(query(polygon, written)) << name;
        EXPECT_EQ(written, 0.0) << name;
    }
}

TEST(PolygonPathTest, RasterListTransformationsAndRawImageSearchesAnswerNothing) {
    PolygonProbe polygon;
    OVector_Array list = ThreePoints();
    EXPECT_EQ(polygon.GetVectorPathRaster(list), 0);
    EXPECT_EQ(list.GetCount(), 0);

    EXPECT_FALSE(polygon.ShiftPath(1, 2));
    EXPECT_FALSE(polygon.TurnPath(0.5f));
    EXPECT_FALSE(polygon.TurnPath(0.5));
    EXPECT_FALSE(polygon.RotatePath(1.0f, 2.0f, 0.5f));
    EXPECT_FALSE(polygon.RotatePath(1.0, 2.0, 0.5));

    OType_Image image(8, 8);
    int index1 = 5;
    int index2 = 6;
    OVector v1 = kSentinel;
    OVector v2 = kSentinel;
    double angle1 = 7.0;
    double angle2 = 8.0;
    EXPECT_FALSE(polygon.FindNextTransition(&image, 0, 0, 0, index1, v1, angle1, nullptr, 0, 0));
    EXPECT_FALSE(polygon.FindNextTransitionSingle(&image, 1, 0, 0, 0, index1, v1, angle1, nullptr,
                                                  0, 0, false));
    EXPECT_FALSE(polygon.FindNextTransitionPair(&image, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, index1, v1,
                                                angle1, index2, v2, angle2, nullptr, 0, 0, 0,
                                                false));
    EXPECT_EQ(index1, 5);
    EXPECT_EQ(index2, 6);
    EXPECT_EQ(v1, kSentinel);
    EXPECT_EQ(v2, kSentinel);
    EXPECT_EQ(angle1, 7.0);
    EXPECT_EQ(angle2, 8.0);
}

}  // namespace
