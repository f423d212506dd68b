#include "ProjectState.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace
{

void ResetProject()
{
    std::memset(&project, 0, sizeof project);
}

// Fills slot k as the range dialog would, with bounds that tell slots apart.
void AddRange(int k, const char* name)
{
    AcceptRange(k, name, k * 10.0, k * 10.0 + 5);
    project.ranges[k].value = k + 0.5;
}

class SlotRules : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ResetProject();
    }
};

TEST_F(SlotRules, DeletingTheFirstOfThreeShiftsTheOthersDown)
{
    AddRange(0, "A");
    AddRange(1, "B");
    AddRange(2, "C");
    project.modified = false;

    DeleteRange(0);

    EXPECT_STREQ(project.ranges[0].name, "B");
    EXPECT_EQ(project.ranges[0].low, 10);
    EXPECT_EQ(project.ranges[0].high, 15);
    EXPECT_EQ(project.ranges[0].value, 1.5);
    EXPECT_STREQ(project.ranges[1].name, "C");
    EXPECT_EQ(project.ranges[1].low, 20);
    for (int k = 2; k < RANGE_SLOTS; k++)
        EXPECT_EQ(project.ranges[k].inUse, 0) << "slot " << k;
    EXPECT_FALSE(project.modified) << "deleting never marks the project modified";
}

TEST_F(SlotRules, DeletingFromAFullListFreesTheLastSlot)
{
    const char* names[] = {"A", "B", "C", "D", "E"};
    for (int k = 0; k < RANGE_SLOTS; k++)
        AddRange(k, names[k]);

    DeleteRange(4);
    for (int k = 0; k < 4; k++)
        EXPECT_STREQ(project.ranges[k].name, names[k]);
    EXPECT_EQ(project.ranges[4].inUse, 0);

    AddRange(4, "E");
    DeleteRange(1);
    EXPECT_STREQ(project.ranges[0].name, "A");
    EXPECT_STREQ(project.ranges[1].name, "C");
    EXPECT_STREQ(project.ranges[2].name, "D");
    EXPECT_STREQ(project.ranges[3].name, "E");
    EXPECT_EQ(project.ranges[3].low, 40) << "records move whole";

    // The freed slot is all zero bytes, not just marked free.
    static const CompressedRange zero = {};
    EXPECT_EQ(std::memcmp(&project.ranges[4], &zero, sizeof zero), 0);
}

TEST_F(SlotRules, DeletingFromAListWithGapsLosesNoOtherRange)
{
    // Only a file written elsewhere can hold gaps.
    AddRange(0, "A");
    AddRange(2, "C");
    AddRange(4, "E");

    DeleteRange(0);

    int names = 0;
    for (const CompressedRange& r : project.ranges)
    {
        if (r.inUse)
        {
            EXPECT_TRUE(!std::strcmp(r.name, "C") || !std::strcmp(r.name, "E")) << r.name;
            names++;
        }
    }
    EXPECT_EQ(names, 2);
}

TEST_F(SlotRules, FindFreeSlotTakesTheLowestAndTrustsSlotFour)
{
    EXPECT_EQ(FindFreeSlot(), 0);
    AddRange(0, "A");
    AddRange(1, "B");
    EXPECT_EQ(FindFreeSlot(), 2);

    // A used slot 4 means the list is full, whatever the other slots hold.
    ResetProject();
    project.ranges[4].inUse = 1;
    EXPECT_EQ(FindFreeSlot(), ALL_SLOTS_TAKEN);

    // Any non-zero byte counts as in use.
    ResetProject();
    project.ranges[0].inUse = 0x80;
    EXPECT_EQ(FindFreeSlot(), 1);
}

TEST_F(SlotRules, AcceptRangeStoresTheSlotAndMarksModified)
{
    project.ranges[3].value = 42;
    AcceptRange(3, "Pressure", -1.5, 2.5);

    const CompressedRange& r = project.ranges[3];
    EXPECT_STREQ(r.name, "Pressure");
    EXPECT_EQ(r.inUse, 1);
    EXPECT_EQ(r.low, -1.5);
    EXPECT_EQ(r.high, 2.5);
    EXPECT_EQ(r.value, 42) << "the value waits for the next recomputation";
    EXPECT_TRUE(project.modified);
}

TEST_F(SlotRules, AcceptRangeForTheMainRangeMarksModifiedEvenWhenUnchanged)
{
    project.mainLow = 0;
    project.mainHigh = 100;
    AcceptRange(MAIN_RANGE_TARGET, nullptr, 0, 100);
    EXPECT_EQ(project.mainLow, 0);
    EXPECT_EQ(project.mainHigh, 100);
    EXPECT_TRUE(project.modified);
    for (const CompressedRange& r : project.ranges)
        EXPECT_EQ(r.inUse, 0);
}

TEST_F(SlotRules, ALongNameIsCutToItsField)
{
    char name[300];
    std::memset(name, 'x', sizeof name - 1);
    name[sizeof name - 1] = '\0';
    project.ranges[1].inUse = 0; // the neighbour's bytes must survive
    std::strcpy(project.ranges[1].name, "neighbour");

    AcceptRange(0, name, 0, 1);

    EXPECT_EQ(std::strlen(project.ranges[0].name), TEXT_SIZE - 1);
    EXPECT_STREQ(project.ranges[1].name, "neighbour");
}

class Comparisons : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ResetProject();
        project.mainLow = 10;
        project.mainHigh = 20;
    }
};

TEST_F(Comparisons, TheEndsOfTheMainRangeAreInside)
{
    const double inside[] = {10, 15, 20};
    for (double v : inside)
    {
        project.localValue = v;
        EXPECT_FALSE(LocalOutOfRange()) << v;
        EXPECT_FALSE(BoundOutsideMain(v)) << v;
    }
    const double outside[] = {9.999, 20.001, -std::numeric_limits<double>::infinity()};
    for (double v : outside)
    {
        project.localValue = v;
        EXPECT_TRUE(LocalOutOfRange()) << v;
        EXPECT_TRUE(BoundOutsideMain(v)) << v;
    }
}

TEST_F(Comparisons, ARangeStickingOutAtEitherEndIsOutside)
{
    project.ranges[0] = {"", 1, {}, 5, 15, 0};
    EXPECT_TRUE(RangeOutsideMain(0));
    project.ranges[0].low = 10;
    project.ranges[0].high = 20;
    EXPECT_FALSE(RangeOutsideMain(0)) << "exactly the main range is inside";
    project.ranges[0].high = 21;
    EXPECT_TRUE(RangeOutsideMain(0));
}

TEST_F(Comparisons, NaNCountsAsInside)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    project.localValue = nan;
    EXPECT_FALSE(LocalOutOfRange());
    EXPECT_FALSE(BoundOutsideMain(nan));
    project.ranges[0] = {"", 1, {}, nan, nan, 0};
    EXPECT_FALSE(RangeOutsideMain(0));

    project.mainLow = nan;
    project.localValue = 1e300;
    EXPECT_TRUE(LocalOutOfRange()) << "the high end still counts";
}

} // namespace
