// The flat export layer called the way the managed host calls it: through its C names, with
// handles as pointers to shared handles. Covers what the managed host test cannot show: empty
// handles, the number of callbacks raised, calls before any callback is registered, what reaches
// the path (flags, image handles, no search after a null reference) and the overload numbering.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "edge/OCannyEdge.h"
#include "foundation/OByteStream.h"
#include "foundation/OType_Image.h"
#include "foundation/OVector.h"
#include "foundation/OVector_Array.h"
#include "foundation/WritableCollection.h"
#include "paths/OVectorPath_Circle.h"
#include "paths/OVectorPath_Line.h"

#define FLAT(name) CSharp_NativeInterfacefTrevaskfFoundationfEdgeDetection_##name

extern "C" {
using ArgumentCallback = void (*)(const char*, const char*);
void SWIGRegisterExceptionArgumentCallbacks_NativeInterfaceTrevaskFoundationEdgeDetection(
    ArgumentCallback argument, ArgumentCallback argumentNull, ArgumentCallback argumentOutOfRange);

unsigned int FLAT(OCannyEdge_bFindCannyEdgeTransitions__SWIG_0___)(void* profile, int threshold,
                                                                   int sigmaIndex, void* result,
                                                                   unsigned int keepMagnitudes);
unsigned int FLAT(OCannyEdge_bFindCannyEdgeTransitions__SWIG_1___)(void* profile, int threshold,
                                                                   int sigmaIndex, void* result);
unsigned int FLAT(OVectorPath_AddObjectData___)(void* self, void* stream);
unsigned int FLAT(OVectorPath_GetObjectData__SWIG_0___)(void* self, void* stream,
                                                        unsigned int flag);
unsigned int FLAT(OVectorPath_GetObjectData__SWIG_1___)(void* self, void* stream);
unsigned int FLAT(OVectorPath_DrawDirectionArrow___)(void* context, void* position,
                                                     void* direction);
unsigned int FLAT(OVectorPath_DrawRotatedText___)(void* context, void* position, void* direction,
                                                  const char16_t* text, int offsetAcross,
                                                  int modeAcross, int offsetAlong, int modeAlong,
                                                  int height);
unsigned int FLAT(OVectorPath_CurrentVector___)(void* self, void* v);
unsigned int FLAT(OVectorPath_MoveNext__SWIG_1___)(void* self, void* v);
unsigned int FLAT(OVectorPath_MoveTo___)(void* self, int index, void* v);
unsigned int FLAT(OVectorPath_GetVectorAt__SWIG_0___)(void* self, int index, void* v);
unsigned int FLAT(OVectorPath_GetVectorAt__SWIG_1___)(void* self, float index, void* v);
unsigned int FLAT(OVectorPath_GetVectorAt__SWIG_2___)(void* self, double index, void* v);
unsigned int FLAT(OVectorPath_GetAngle_RadAt__SWIG_0___)(void* self, int index, float* angle);
unsigned int FLAT(OVectorPath_GetAngle_RadAt__SWIG_1___)(void* self, int index, double* angle);
unsigned int FLAT(OVectorPath_GetAngle_RadAt__SWIG_2___)(void* self, float index, float* angle);
unsigned int FLAT(OVectorPath_GetAngle_RadAt__SWIG_3___)(void* self, double index, double* angle);
int FLAT(OVectorPath_GetVectorPath___)(void* self, void* list);
int FLAT(OVectorPath_GetVectorPathRaster___)(void* self, void* list);
unsigned int FLAT(OVectorPath_FindNextTransition___)(void* self, void* image, int polarity,
                                                     int minDistance, int referenceIndex,
                                                     int* resultIndex, void* result, double* angle,
                                                     void* context, int labelKind, int labelNumber);
unsigned int FLAT(OVectorPath_FindNextTransitionPair___)(
    void* self, void* image, int ordinal1, int polarity1, int minDistance1, int minDistance1To2,
    int referenceIndex1, int ordinal2, int polarity2, int minDistance2, int minDistance2To1,
    int referenceIndex2, int secondAfterFirst, int* resultIndex1, void* result1, double* angle1,
    int* resultIndex2, void* result2, double* angle2, void* context, int labelMode, int labelBase1,
    int labelBase2, unsigned int goOn);
void FLAT(delete_OVectorPath___)(void* self);
}

namespace {

// Float results are compared at float precision.
constexpr double kTolerance = 1e-6;

// What the argument-null callback received.
struct RaisedCallbacks {
    int argumentNull = 0;
    int other = 0;
    std::string message;
    bool paramNameNull = true;
};
RaisedCallbacks g_raised;

void RecordArgumentNull(const char* message, const char* paramName) {
    ++g_raised.argumentNull;
    g_raised.message = message != nullptr ? message : "";
    g_raised.paramNameNull = paramName == nullptr;
}
void RecordOtherArgument(const char*, const char*) {
    ++g_raised.other;
}

void RegisterRecorders() {
    SWIGRegisterExceptionArgumentCallbacks_NativeInterfaceTrevaskFoundationEdgeDetection(
        RecordOtherArgument, RecordArgumentNull, RecordOtherArgument);
}
void RegisterNothing() {
    SWIGRegisterExceptionArgumentCallbacks_NativeInterfaceTrevaskFoundationEdgeDetection(
        nullptr, nullptr, nullptr);
}

// A line path that records what the layer hands to it instead of doing the work.
class ProbePath : public OVectorPath_Line {
  public:
    ProbePath() : OVectorPath_Line(OVector(0, 0), OVector(10, 0)) {}
    explicit ProbePath(int* destroyed) : ProbePath() { m_pDestroyed = destroyed; }
    ~ProbePath() override {
        if (m_pDestroyed != nullptr) {
            ++*m_pDestroyed;
        }
    }

    bool GetObjectData(OByteStream&, bool bFlag) override {
        flags.push_back(bFlag);
        return true;
    }

    bool FindNextTransition(std::shared_ptr<OType_Image> image, int, int, int, int&, OVector&,
                            double&, OType_DrawingContext*, int, int) override {
        ++searches;
        imageUseCountAtEntry = image.use_count();
        if (releaseDuringCall != nullptr) {
            releaseDuringCall->reset();  // the host drops its handle while the call runs
        }
        imageWidthAfterRelease = image ? image->GetWidth() : -1;
        return true;
    }

    bool FindNextTransitionPair(std::shared_ptr<OType_Image>, int, int, int, int, int, int, int,
                                int, int, int, int, int&, OVector&, double&, int&, OVector&,
                                double&, OType_DrawingContext*, int, int, int, bool) override {
        ++searches;
        return true;
    }

    std::vector<bool> flags;
    int searches = 0;
    long imageUseCountAtEntry = -1;
    int imageWidthAfterRelease = -2;
    std::shared_ptr<OType_Image>* releaseDuringCall = nullptr;

  private:
    int* m_pDestroyed = nullptr;
};

class FlatLayerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_raised = RaisedCallbacks();
        RegisterRecorders();
    }
    void TearDown() override { RegisterNothing(); }
};

// ---------------------------------------------------------------------------------------------
// Null references: one row per wrapper and handle kind, each with a null handle pointer and with
// an empty handle.

enum class NullKind { kNullPointer, kEmptyHandle };

// Valid handles of every kind, and the one handle that a row replaces.
struct Handles {
    explicit Handles(NullKind kind) : kind(kind) {}
    template <class T>
    void* Missing(std::shared_ptr<T>& empty) {
        return kind == NullKind::kNullPointer ? nullptr : static_cast<void*>(&empty);
    }

    NullKind kind;
    OVectorPath_Line path{OVector(0, 0), OVector(10, 0)};
    std::shared_ptr<OVector> vector = std::make_shared<OVector>(1, 2);
    std::shared_ptr<OVector> emptyVector;
    std::shared_ptr<OVector_Array> emptyArray;
    std::shared_ptr<OByteStream> emptyStream;
    std::shared_ptr<WritableCollection<int>> list = std::make_shared<WritableCollection<int>>();
    std::shared_ptr<WritableCollection<int>> emptyList;
    std::shared_ptr<OType_Image> image = std::make_shared<OType_Image>(4, 4);
};

struct NullCase {
    const char* name;
    const char* message;
    long (*call)(Handles&);
};

const NullCase kNullCases[] = {
    {"CannyProfile", "OIntList & reference is null",
     [](Handles& h) -> long {
         return FLAT(OCannyEdge_bFindCannyEdgeTransitions__SWIG_0___)(h.Missing(h.emptyList), 20, 2,
                                                                      &h.list, 0);
     }},
    {"CannyResultOfSecondOverload", "OIntList & reference is null",
     [](Handles& h) -> long {
         return FLAT(OCannyEdge_bFindCannyEdgeTransitions__SWIG_1___)(&h.list, 20, 2,
                                                                      h.Missing(h.emptyList));
     }},
    {"AddObjectData", "OByteStream & reference is null",
     [](Handles& h) -> long {
         return FLAT(OVectorPath_AddObjectData___)(&h.path, h.Missing(h.emptyStream));
     }},
    {"GetObjectData0", "OByteStream & reference is null",
     [](Handles& h) -> long {
         return FLAT(OVectorPath_GetObjectData__SWIG_0___)(&h.path, h.Missing(h.emptyStream), 1);
     }},
    {"GetObjectData1", "OByteStream & reference is null",
     [](Handles& h) -> long {
         return FLAT(OVectorPath_GetObjectData__SWIG_1___)(&h.path, h.Missing(h.emptyStream));
     }},
    {"DrawDirectionArrowPosition", "Attempt to dereference null OVector",
     [](Handles& h) -> long {
         return FLAT(OVectorPath_DrawDirectionArrow___)(nullptr, h.Missing(h.emptyVector),
                                                        &h.vector);
     }},
    {"DrawRotatedTextDirection", "Attempt to dereference null OVector",
     [](Handles& h) -> long {
         return FLAT(OVectorPath_DrawRotatedText___)(nullptr, &h.vector, h.Missing(h.emptyVector),
                                                     u"A", 0, 0, 0, 0, 18);
     }},
    {"CurrentVector", "OVector & reference is null",
     [](Handles& h) -> long {
         return FLAT(OVectorPath_CurrentVector___)(&h.path, h.Missing(h.emptyVector));
     }},
    {"MoveTo", "OVector & reference is null",
     [](Handles& h) -> long {
         return FLAT(OVectorPath_MoveTo___)(&h.path, 3, h.Missing(h.emptyVector));
     }},
    {"GetVectorPath", "OVector_Array & reference is null",
     [](Handles& h) -> long {
         return FLAT(OVectorPath_GetVectorPath___)(&h.path, h.Missing(h.emptyArray));
     }},
    {"GetVectorPathRaster", "OVector_Array & reference is null",
     [](Handles& h) -> long {
         return FLAT(OVectorPath_GetVectorPathRaster___)(&h.path, h.Missing(h.emptyArray));
     }},
    {"FindNextTransition", "OVector & reference is null",
     [](Handles& h) -> long {
         int index = 0;
         double angle = 0.0;
         return FLAT(OVectorPath_FindNextTransition___)(
             &h.path, &h.image, 0, 0, 0, &index, h.Missing(h.emptyVector), &angle, nullptr, 0, 0);
     }},
};

// Readable parameters in test listings.
void PrintTo(const NullCase& row, std::ostream* os) {
    *os << row.name;
}
void PrintTo(NullKind kind, std::ostream* os) {
    *os << (kind == NullKind::kNullPointer ? "null pointer" : "empty handle");
}

class FlatNullReferenceTest : public FlatLayerTest,
                              public ::testing::WithParamInterface<std::tuple<NullCase, NullKind>> {
};

TEST_P(FlatNullReferenceTest, RaisesArgumentNullOnceAndAnswersZero) {
    const NullCase& row = std::get<0>(GetParam());
    Handles handles(std::get<1>(GetParam()));
    const long answer = row.call(handles);
    EXPECT_EQ(answer, 0) << row.name;
    EXPECT_EQ(g_raised.argumentNull, 1) << row.name;
    EXPECT_EQ(g_raised.other, 0) << row.name;
    EXPECT_EQ(g_raised.message, row.message) << row.name;
    EXPECT_TRUE(g_raised.paramNameNull) << row.name;
}

TEST_P(FlatNullReferenceTest, WithoutRegisteredCallbacksAnswersZeroAndRaisesNothing) {
    RegisterNothing();
    const NullCase& row = std::get<0>(GetParam());
    Handles handles(std::get<1>(GetParam()));
    EXPECT_EQ(row.call(handles), 0) << row.name;
    EXPECT_EQ(g_raised.argumentNull + g_raised.other, 0) << row.name;
}

INSTANTIATE_TEST_SUITE_P(
    Wrappers, FlatNullReferenceTest,
    ::testing::Combine(::testing::ValuesIn(kNullCases),
                       ::testing::Values(NullKind::kNullPointer, NullKind::kEmptyHandle)),
    [](const ::testing::TestParamInfo<FlatNullReferenceTest::ParamType>& info) {
        return std::string(std::get<0>(info.param).name) +
               (std::get<1>(info.param) == NullKind::kNullPointer ? "_NullPointer"
                                                                  : "_EmptyHandle");
    });

TEST_F(FlatLayerTest, NullTextRaisesItsOwnMessage) {
    auto vector = std::make_shared<OVector>(1, 2);
    EXPECT_EQ(
        FLAT(OVectorPath_DrawRotatedText___)(nullptr, &vector, &vector, nullptr, 0, 0, 0, 0, 18),
        0u);
    EXPECT_EQ(g_raised.argumentNull, 1);
    EXPECT_EQ(g_raised.message, "null u16string");
}

// ---------------------------------------------------------------------------------------------
// What reaches the path

TEST_F(FlatLayerTest, PairSearchWithSecondResultNullRaisesOnceAndDoesNotSearch) {
    ProbePath path;
    auto image = std::make_shared<OType_Image>(4, 4);
    auto first = std::make_shared<OVector>();
    std::shared_ptr<OVector> emptySecond;
    for (void* second : {static_cast<void*>(nullptr), static_cast<void*>(&emptySecond)}) {
        g_raised = RaisedCallbacks();
        int index1 = 7, index2 = 9;
        double angle1 = 0.5, angle2 = 0.25;
        const unsigned int answer = FLAT(OVectorPath_FindNextTransitionPair___)(
            &path, &image, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, &index1, &first, &angle1, &index2,
            second, &angle2, nullptr, 0, 0, 0, 0);
        EXPECT_EQ(answer, 0u);
        EXPECT_EQ(g_raised.argumentNull, 1);
        EXPECT_EQ(g_raised.message, "OVector & reference is null");
        EXPECT_EQ(index1, 7) << "the results stay as the caller left them";
        EXPECT_EQ(index2, 9);
    }
    EXPECT_EQ(path.searches, 0);
}

TEST_F(FlatLayerTest, ImageHandleOutlivesTheHostsReleaseDuringTheCall) {
    ProbePath path;
    std::shared_ptr<OType_Image> hostHandle = std::make_shared<OType_Image>(7, 5);
    path.releaseDuringCall = &hostHandle;
    auto result = std::make_shared<OVector>();
    int index = 0;
    double angle = 0.0;
    EXPECT_EQ(FLAT(OVectorPath_FindNextTransition___)(&path, &hostHandle, 0, 0, 0, &index, &result,
                                                      &angle, nullptr, 0, 0),
              1u);
    EXPECT_GE(path.imageUseCountAtEntry, 2) << "the wrapper holds a reference of its own";
    EXPECT_EQ(path.imageWidthAfterRelease, 7) << "the image is still alive after the release";
    EXPECT_FALSE(hostHandle);
}

TEST_F(FlatLayerTest, NullImageHandleArrivesAsEmptyImage) {
    ProbePath path;
    auto result = std::make_shared<OVector>();
    int index = 0;
    double angle = 0.0;
    EXPECT_EQ(FLAT(OVectorPath_FindNextTransition___)(&path, nullptr, 0, 0, 0, &index, &result,
                                                      &angle, nullptr, 0, 0),
              1u);
    EXPECT_EQ(path.searches, 1);
    EXPECT_EQ(path.imageUseCountAtEntry, 0);
    EXPECT_EQ(path.imageWidthAfterRelease, -1);
    EXPECT_EQ(g_raised.argumentNull, 0);
}

TEST_F(FlatLayerTest, GetObjectDataSecondOverloadPassesTrueAndFlagsArriveAsBool) {
    ProbePath path;
    auto stream = std::make_shared<OByteStream>();
    EXPECT_EQ(FLAT(OVectorPath_GetObjectData__SWIG_1___)(&path, &stream), 1u);
    EXPECT_EQ(FLAT(OVectorPath_GetObjectData__SWIG_0___)(&path, &stream, 1), 1u);
    EXPECT_EQ(FLAT(OVectorPath_GetObjectData__SWIG_0___)(&path, &stream, 0), 1u);
    EXPECT_EQ(FLAT(OVectorPath_GetObjectData__SWIG_0___)(&path, &stream, 0x100), 1u);
    EXPECT_EQ(path.flags, (std::vector<bool>{true, true, false, true}));
}

TEST_F(FlatLayerTest, CannySecondOverloadIsTheFirstWithFalse) {
    // A dark-to-bright step: with levels it gives 0/1 and one peak, with magnitudes a ramp.
    auto profile = std::make_shared<WritableCollection<int>>();
    for (int k = 0; k < 24; ++k) {
        profile->Add(k < 12 ? 30 : 180);
    }
    auto levels = std::make_shared<WritableCollection<int>>();
    auto second = std::make_shared<WritableCollection<int>>();
    auto magnitudes = std::make_shared<WritableCollection<int>>();
    ASSERT_EQ(FLAT(OCannyEdge_bFindCannyEdgeTransitions__SWIG_0___)(&profile, 20, 2, &levels, 0),
              1u);
    ASSERT_EQ(FLAT(OCannyEdge_bFindCannyEdgeTransitions__SWIG_1___)(&profile, 20, 2, &second), 1u);
    ASSERT_EQ(
        FLAT(OCannyEdge_bFindCannyEdgeTransitions__SWIG_0___)(&profile, 20, 2, &magnitudes, 1), 1u);
    ASSERT_EQ(second->GetCount(), levels->GetCount());
    bool differsFromMagnitudes = false;
    for (std::int64_t k = 0; k < levels->GetCount(); ++k) {
        EXPECT_EQ(second->GetAt(k), levels->GetAt(k)) << "sample " << k;
        differsFromMagnitudes |= magnitudes->GetAt(k) != levels->GetAt(k);
    }
    EXPECT_TRUE(differsFromMagnitudes) << "the profile must tell the two modes apart";
}

TEST_F(FlatLayerTest, DeletePathRunsTheDerivedDestructor) {
    int destroyed = 0;
    FLAT(delete_OVectorPath___)(new ProbePath(&destroyed));
    EXPECT_EQ(destroyed, 1);
    FLAT(delete_OVectorPath___)(nullptr);  // nothing to delete
}

// ---------------------------------------------------------------------------------------------
// Overload numbering: each __SWIG_<n> reaches the overload with its own argument type. A wrong
// number would hand an int where a float is expected and give another point or angle.

TEST_F(FlatLayerTest, GetVectorAtOverloadsTakeIntFloatDouble) {
    OVectorPath_Line line(OVector(0, 0), OVector(8, 0));
    auto v = std::make_shared<OVector>();
    ASSERT_EQ(FLAT(OVectorPath_GetVectorAt__SWIG_0___)(&line, 3, &v), 1u);
    EXPECT_NEAR(v->dX(), 3.0, kTolerance);
    ASSERT_EQ(FLAT(OVectorPath_GetVectorAt__SWIG_1___)(&line, 2.5f, &v), 1u);
    EXPECT_NEAR(v->dX(), 2.5, kTolerance);
    ASSERT_EQ(FLAT(OVectorPath_GetVectorAt__SWIG_2___)(&line, 4.25, &v), 1u);
    EXPECT_NEAR(v->dX(), 4.25, kTolerance);
}

TEST_F(FlatLayerTest, GetAngleRadAtOverloadsTakeTheirIndexAndResultTypes) {
    OVectorPath_Circle circle(OVector(50, 50), 20.0, 0.0, 360.0);
    constexpr int kWholeIndex = 5;
    constexpr double kFractionalIndex = 7.5;
    double atWhole = 0.0, atFraction = 0.0;
    ASSERT_TRUE(circle.GetAngle_RadAt(kWholeIndex, atWhole));
    ASSERT_TRUE(circle.GetAngle_RadAt(kFractionalIndex, atFraction));
    ASSERT_GT(std::abs(atFraction - atWhole), 100 * kTolerance);
    float f = 0.0f;
    double d = 0.0;
    ASSERT_EQ(FLAT(OVectorPath_GetAngle_RadAt__SWIG_0___)(&circle, kWholeIndex, &f), 1u);
    EXPECT_NEAR(f, atWhole, kTolerance);
    ASSERT_EQ(FLAT(OVectorPath_GetAngle_RadAt__SWIG_1___)(&circle, kWholeIndex, &d), 1u);
    EXPECT_NEAR(d, atWhole, kTolerance);
    ASSERT_EQ(FLAT(OVectorPath_GetAngle_RadAt__SWIG_2___)(&circle,
                                                          static_cast<float>(kFractionalIndex), &f),
              1u);
    EXPECT_NEAR(f, atFraction, kTolerance);
    ASSERT_EQ(FLAT(OVectorPath_GetAngle_RadAt__SWIG_3___)(&circle, kFractionalIndex, &d), 1u);
    EXPECT_NEAR(d, atFraction, kTolerance);
}

}  // namespace
