// The flat export layer called the way the managed host calls it: through its C names, with
// handles as pointers to shared handles. Covers what the managed host test cannot show: empty
// handles, the number of callbacks raised, calls before any callback is registered, what reaches
// the path (flags, no search after a null reference) and the overload numbering.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundation/OByteStream.h"
#include "foundation/OType_Image.h"
#include "foundation/OVector.h"
#include "foundation/WritableCollection.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"

#define FLAT(name) CSharp_NativeInterfacefTrevaskfFoundationfEdgeDetection_##name

extern "C" {
using ArgumentCallback = void (*)(const char* message, const char* paramName);
void SWIGRegisterExceptionArgumentCallbacks_NativeInterfaceTrevaskFoundationEdgeDetection(
    ArgumentCallback argument, ArgumentCallback argumentNull, ArgumentCallback argumentOutOfRange);
unsigned FLAT(OCannyEdge_bFindCannyEdgeTransitions__SWIG_0___)(void*, int, int, void*, unsigned);
unsigned FLAT(OCannyEdge_bFindCannyEdgeTransitions__SWIG_1___)(void*, int, int, void*);
unsigned FLAT(OVectorPath_GetObjectData__SWIG_0___)(void* self, void* stream, unsigned flag);
unsigned FLAT(OVectorPath_GetObjectData__SWIG_1___)(void* self, void* stream);
unsigned FLAT(OVectorPath_DrawRotatedText___)(void*, void*, void*, const char16_t*, int, int, int,
                                              int, int);
unsigned FLAT(OVectorPath_CurrentVector___)(void* self, void* v);
unsigned FLAT(OVectorPath_GetVectorAt__SWIG_0___)(void* self, int index, void* v);
unsigned FLAT(OVectorPath_GetVectorAt__SWIG_1___)(void* self, float index, void* v);
unsigned FLAT(OVectorPath_GetVectorAt__SWIG_2___)(void* self, double index, void* v);
unsigned FLAT(OVectorPath_GetAngle_RadAt__SWIG_0___)(void* self, int index, float* angle);
unsigned FLAT(OVectorPath_GetAngle_RadAt__SWIG_1___)(void* self, int index, double* angle);
unsigned FLAT(OVectorPath_GetAngle_RadAt__SWIG_2___)(void* self, float index, float* angle);
unsigned FLAT(OVectorPath_GetAngle_RadAt__SWIG_3___)(void* self, double index, double* angle);
unsigned FLAT(OVectorPath_FindNextTransitionPair___)(void*, void* image, int, int, int, int, int,
                                                     int, int, int, int, int, int, int*, void*,
                                                     double*, int*, void*, double*, void*, int, int,
                                                     int, unsigned);
void FLAT(delete_OVectorPath___)(void* self);
void FLAT(OIntList_SetSize___)(void* self, long long count);
}

namespace {

constexpr double kTolerance = 1e-6;  // float results at float precision

// What the argument-null callback received since the last reset (the managed host checks that the
// parameter name is null). Only that callback is registered: a wrapper raising another one would
// leave `count` at 0.
struct Raised {
    int count = 0;
    std::string message;
} g_raised;

void Register(bool recorder) {
    const ArgumentCallback record = [](const char* message, const char*) {
        ++g_raised.count;
        g_raised.message = message != nullptr ? message : "";
    };
    SWIGRegisterExceptionArgumentCallbacks_NativeInterfaceTrevaskFoundationEdgeDetection(
        nullptr, recorder ? record : nullptr, nullptr);
}

// A line path that records what the layer hands to it instead of doing the work.
class ProbePath : public OVectorPath_Line {
  public:
    explicit ProbePath(int& destroyed)
        : OVectorPath_Line(OVector(0, 0), OVector(10, 0)), m_destroyed(destroyed) {}
    ~ProbePath() override { ++m_destroyed; }
    bool GetObjectData(OByteStream&, bool bFlag) override {
        flags.push_back(bFlag);
        return true;
    }
    bool FindNextTransitionPair(std::shared_ptr<OType_Image>, int, int, int, int, int, int, int,
                                int, int, int, int, int&, OVector&, double&, int&, OVector&,
                                double&, OType_DrawingContext*, int, int, int, bool) override {
        return ++searches > 0;
    }

    std::vector<bool> flags;
    int searches = 0;

  private:
    int& m_destroyed;
};

class FlatLayerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_raised = Raised();
        Register(true);
    }
    void TearDown() override { Register(false); }
};

// Null references of each form (a collection, a vector by reference and by value, a text), as a
// null handle pointer and as an empty handle: the argument-null callback is raised once with the
// message, and the answer is 0. With no callback registered nothing is raised and the answer is
// still 0. (The managed host checks the messages of the other handle types.)
TEST_F(FlatLayerTest, NullReferencesRaiseArgumentNullOnceAndAnswerZero) {
    for (const bool registered : {true, false}) {
        for (const bool emptyHandle : {false, true}) {
            Register(registered);
            OVectorPath_Line path(OVector(0, 0), OVector(10, 0));
            auto vector = std::make_shared<OVector>(1, 2);
            auto list = std::make_shared<WritableCollection<int>>();
            std::shared_ptr<OVector> noVector;
            std::shared_ptr<WritableCollection<int>> noList;
            void* const missingVector = emptyHandle ? static_cast<void*>(&noVector) : nullptr;
            void* const missingList = emptyHandle ? static_cast<void*>(&noList) : nullptr;
            const auto expect = [&](unsigned answer, const std::string& message) {
                const std::string where = message + (emptyHandle ? ", empty handle" : ", null") +
                                          (registered ? "" : ", nothing registered");
                EXPECT_EQ(answer, 0u) << where;
                EXPECT_EQ(g_raised.count, registered ? 1 : 0) << where;
                EXPECT_EQ(g_raised.message, registered ? message : "") << where;
                g_raised = Raised();
            };
            expect(FLAT(OCannyEdge_bFindCannyEdgeTransitions__SWIG_1___)(&list, 2, 2, missingList),
                   "OIntList & reference is null");
            expect(FLAT(OVectorPath_CurrentVector___)(&path, missingVector),
                   "OVector & reference is null");
            expect(FLAT(OVectorPath_DrawRotatedText___)(nullptr, &vector, missingVector, u"A", 0, 0,
                                                        0, 0, 18),
                   "Attempt to dereference null OVector");
            expect(FLAT(OVectorPath_DrawRotatedText___)(nullptr, &vector, &vector, nullptr, 0, 0, 0,
                                                        0, 18),
                   "null u16string");
        }
    }
}

TEST_F(FlatLayerTest, PairSearchWithSecondResultNullRaisesOnceAndDoesNotSearch) {
    int destroyed = 0;
    ProbePath path(destroyed);
    auto image = std::make_shared<OType_Image>(4, 4);
    auto first = std::make_shared<OVector>();
    std::shared_ptr<OVector> emptySecond;
    for (void* second : {static_cast<void*>(nullptr), static_cast<void*>(&emptySecond)}) {
        int index1 = 7, index2 = 9;
        double angle1 = 0.5, angle2 = 0.25;
        EXPECT_EQ(FLAT(OVectorPath_FindNextTransitionPair___)(
                      &path, &image, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, &index1, &first, &angle1,
                      &index2, second, &angle2, nullptr, 0, 0, 0, 0),
                  0u);
        EXPECT_EQ(std::make_pair(index1, index2), std::make_pair(7, 9)) << "results untouched";
    }
    EXPECT_EQ(g_raised.count, 2) << "once per call";
    EXPECT_EQ(g_raised.message, "OVector & reference is null");
    EXPECT_EQ(path.searches, 0);
}

// GetObjectData__SWIG_1 is __SWIG_0 with true, and any non-zero flag arrives as true; deleting
// through the base runs the derived destructor.
TEST_F(FlatLayerTest, GetObjectDataFlagsAndDeletePath) {
    int destroyed = 0;
    auto* path = new ProbePath(destroyed);
    auto stream = std::make_shared<OByteStream>();
    FLAT(OVectorPath_GetObjectData__SWIG_1___)(path, &stream);
    for (const unsigned flag : {1u, 0u, 0x100u}) {
        FLAT(OVectorPath_GetObjectData__SWIG_0___)(path, &stream, flag);
    }
    EXPECT_EQ(path->flags, (std::vector<bool>{true, true, false, true}));
    FLAT(delete_OVectorPath___)(path);
    EXPECT_EQ(destroyed, 1);
    FLAT(delete_OVectorPath___)(nullptr);  // nothing to delete
}

TEST_F(FlatLayerTest, CannySecondOverloadIsTheFirstWithFalse) {
    // A dark-to-bright step: with levels it gives 0/1 and one peak, with magnitudes a ramp.
    using List = std::shared_ptr<WritableCollection<int>>;
    const auto make = [] { return std::make_shared<WritableCollection<int>>(); };
    List profile = make(), second = make(), levels = make(), magnitudes = make();
    for (int k = 0; k < 24; ++k) {
        profile->Add(k < 12 ? 30 : 180);
    }
    FLAT(OCannyEdge_bFindCannyEdgeTransitions__SWIG_1___)(&profile, 20, 2, &second);
    FLAT(OCannyEdge_bFindCannyEdgeTransitions__SWIG_0___)(&profile, 20, 2, &levels, 0);
    FLAT(OCannyEdge_bFindCannyEdgeTransitions__SWIG_0___)(&profile, 20, 2, &magnitudes, 1);
    const auto values = [](const List& l) { return std::vector<int>(l->begin(), l->end()); };
    EXPECT_EQ(values(second), values(levels));
    EXPECT_NE(values(second), values(magnitudes)) << "the profile must tell the modes apart";
}

// Each __SWIG_<n> reaches the overload with its own argument types: a wrong number would hand an
// int where a float is expected and give another point or angle.
TEST_F(FlatLayerTest, OverloadNumbersFollowTheDeclarationOrder) {
    const auto near = [](double a, double b) { return std::abs(a - b) < kTolerance; };
    OVectorPath_Line line(OVector(0, 0), OVector(8, 0));
    auto v = std::make_shared<OVector>();
    EXPECT_TRUE(FLAT(OVectorPath_GetVectorAt__SWIG_0___)(&line, 3, &v) && near(v->dX(), 3.0));
    EXPECT_TRUE(FLAT(OVectorPath_GetVectorAt__SWIG_1___)(&line, 2.5f, &v) && near(v->dX(), 2.5));
    EXPECT_TRUE(FLAT(OVectorPath_GetVectorAt__SWIG_2___)(&line, 4.25, &v) && near(v->dX(), 4.25));

    OVectorPath_Circle circle(OVector(50, 50), 20.0, 0.0, 360.0);
    double whole = 0.0, fraction = 0.0, d = 0.0;
    float f = 0.0f;
    ASSERT_TRUE(circle.GetAngle_RadAt(5, whole) && circle.GetAngle_RadAt(7.5, fraction));
    EXPECT_TRUE(FLAT(OVectorPath_GetAngle_RadAt__SWIG_0___)(&circle, 5, &f) && near(f, whole));
    EXPECT_TRUE(FLAT(OVectorPath_GetAngle_RadAt__SWIG_1___)(&circle, 5, &d) && near(d, whole));
    EXPECT_TRUE(FLAT(OVectorPath_GetAngle_RadAt__SWIG_2___)(&circle, 7.5f, &f) &&
                near(f, fraction));
    EXPECT_TRUE(FLAT(OVectorPath_GetAngle_RadAt__SWIG_3___)(&circle, 7.5, &d) && near(d, fraction));
}

// A native exception is caught in the wrapper. This program never registers the general callbacks
// and registers no argument-out-of-range callback: std::bad_alloc and std::length_error then raise
// nothing, and the call returns with the list unchanged instead of calling through an empty entry.
TEST_F(FlatLayerTest, NativeExceptionsWithoutTheirCallbacksRaiseNothing) {
    auto list = std::make_shared<WritableCollection<int>>();
    list->Add(7);
    FLAT(OIntList_SetSize___)(&list, 1LL << 61);  // beyond what the allocator can represent
    FLAT(OIntList_SetSize___)(&list, 0x7fffffffffffffffLL);  // beyond any collection's count
    EXPECT_EQ(list->GetCount(), 1);
    EXPECT_EQ(g_raised.count, 0);
}

}  // namespace
