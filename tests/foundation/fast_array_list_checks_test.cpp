// OFastArrayList in checked builds (debug, and the sanitizer builds): a caller that breaks the
// list's contract is stopped at the list, with a message, before anything is written past it.
// Release builds check nothing (the list stays as fast as a raw array); there the test is skipped.
#include <gtest/gtest.h>

#include "foundation/OFastArrayList.h"

namespace {

TEST(FastArrayListChecksDeathTest, WritesAndReadsBeyondTheCapacityStop) {
    if (!OFastArrayList<double>::kChecked) {
        GTEST_SKIP() << "release build: the list is unchecked";
    }
    OFastArrayList<double> full(2);
    full.Add(1.0);
    full.Add(2.0);
    OFastArrayList<double> small(1);
    EXPECT_DEATH(full.Add(3.0), "Add beyond the capacity");
    EXPECT_DEATH(static_cast<void>(full[2]), "index outside the capacity");
    EXPECT_DEATH(static_cast<void>(full[-1]), "index outside the capacity");
    EXPECT_DEATH(small.CopyFrom(full), "CopyFrom beyond the capacity");
    small.Add(0.5);
    EXPECT_DEATH(full.AddRange(small), "AddRange beyond the capacity");
    // At the edges the contract holds: the last slot and a range that fills the list exactly.
    EXPECT_EQ(full[1], 2.0);
    OFastArrayList<double> three(3);
    three.CopyFrom(full);
    three.AddRange(small);
    EXPECT_EQ(three.GetCount(), 3);
}

}  // namespace
