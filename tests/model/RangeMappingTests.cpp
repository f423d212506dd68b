#include "ProjectState.h"
#include "RangeMapping.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace
{

class Mapping : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        std::memset(&project, 0, sizeof project);
    }

    void Main(double low, double high)
    {
        project.mainLow = low;
        project.mainHigh = high;
    }

    void Slot(int k, double low, double high)
    {
        project.ranges[k].inUse = 1;
        project.ranges[k].low = low;
        project.ranges[k].high = high;
    }
};

TEST_F(Mapping, TheLocalValueMovesEverySlotInUse)
{
    Main(0, 100);
    Slot(0, 10, 20);
    Slot(2, -1, 1); // gaps are mapped slot by slot all the same
    project.localValue = 50;

    RecomputeValues(-1);

    EXPECT_DOUBLE_EQ(project.ranges[0].value, 15);
    EXPECT_DOUBLE_EQ(project.ranges[2].value, 0);
    EXPECT_EQ(project.localValue, 50);
}

TEST_F(Mapping, FreeSlotsAreNeverTouched)
{
    Main(0, 100);
    project.ranges[1].low = 10;
    project.ranges[1].high = 20;
    project.ranges[1].value = 99;
    project.localValue = 50;

    RecomputeValues(-1);
    EXPECT_EQ(project.ranges[1].value, 99);
}

TEST_F(Mapping, ATypedCompressedValueMovesTheLocalValueAndTheOthers)
{
    Main(0, 100);
    Slot(0, 10, 20);
    Slot(1, 0, 1000);
    project.ranges[0].value = 12;

    RecomputeValues(0);

    EXPECT_DOUBLE_EQ(project.localValue, 20);
    EXPECT_DOUBLE_EQ(project.ranges[0].value, 12);
    EXPECT_DOUBLE_EQ(project.ranges[1].value, 200);
}

TEST_F(Mapping, TheInverseStepUsesTheMainLowEnd)
{
    Main(100, 200);
    Slot(0, 0, 10);
    project.ranges[0].value = 5;

    RecomputeValues(0);
    EXPECT_DOUBLE_EQ(project.localValue, 150);
}

TEST_F(Mapping, NothingIsClipped)
{
    Main(100, 200);
    Slot(0, 0, 10);
    project.localValue = 250;
    RecomputeValues(-1);
    EXPECT_DOUBLE_EQ(project.ranges[0].value, 15);

    project.ranges[0].value = -5;
    RecomputeValues(0);
    EXPECT_DOUBLE_EQ(project.localValue, 50);
}

TEST_F(Mapping, TheSourceGetsBackWhatWasTyped)
{
    // The offset is multiplied before it is divided; done the other way
    // round, a value like this one would not come back exactly.
    Main(0, 35);
    Slot(0, 0, 42);
    project.ranges[0].value = 0.1;
    RecomputeValues(0);
    EXPECT_EQ(project.localValue, 0.1 * 35 / 42);
    EXPECT_EQ(project.ranges[0].value, 0.1);
}

TEST_F(Mapping, AZeroWidthMainRangeGivesNonFiniteValuesWithoutStopping)
{
    Slot(0, 10, 20);
    project.localValue = 0;
    RecomputeValues(-1);
    EXPECT_TRUE(std::isnan(project.ranges[0].value));

    project.localValue = 1;
    RecomputeValues(-1);
    EXPECT_TRUE(std::isinf(project.ranges[0].value));

    project.ranges[0].value = 15;
    RecomputeValues(0);
    EXPECT_EQ(project.localValue, 0) << "0 + 5 * 0 / 10";
    EXPECT_TRUE(std::isnan(project.ranges[0].value));
}

TEST_F(Mapping, NoSlotInUseChangesNothing)
{
    Main(0, 100);
    project.localValue = 42;
    project.ranges[0].value = 7;
    const ProjectState before = project;
    RecomputeValues(-1);
    EXPECT_EQ(std::memcmp(&before, &project, sizeof project), 0);
}

} // namespace
