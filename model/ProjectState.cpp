#include "ProjectState.h"

#include <cstring>

ProjectState project;

void CopyText(char* field, std::size_t size, const char* text)
{
    std::size_t length = text ? std::strlen(text) : 0;
    if (length >= size)
        length = size - 1;
    std::memcpy(field, text ? text : "", length);
    field[length] = '\0';
}

static bool ValidSlot(int k)
{
    return k >= 0 && k < RANGE_SLOTS;
}

int FindFreeSlot()
{
    if (project.ranges[RANGE_SLOTS - 1].inUse)
        return ALL_SLOTS_TAKEN;
    for (int k = 0; k < RANGE_SLOTS; k++)
    {
        if (!project.ranges[k].inUse)
            return k;
    }
    return ALL_SLOTS_TAKEN;
}

void AcceptRange(int target, const char* name, double low, double high)
{
    if (target == MAIN_RANGE_TARGET)
    {
        project.mainLow = low;
        project.mainHigh = high;
    }
    else if (ValidSlot(target))
    {
        CompressedRange& range = project.ranges[target];
        CopyText(range.name, sizeof range.name, name);
        range.low = low;
        range.high = high;
        range.inUse = 1;
    }
    else
    {
        return;
    }
    project.modified = true;
}

void DeleteRange(int k)
{
    if (!ValidSlot(k))
        return;
    std::memmove(&project.ranges[k], &project.ranges[k + 1],
                 (RANGE_SLOTS - 1 - k) * sizeof(CompressedRange));
    std::memset(&project.ranges[RANGE_SLOTS - 1], 0, sizeof(CompressedRange));
}

bool LocalOutOfRange()
{
    return project.localValue < project.mainLow || project.localValue > project.mainHigh;
}

bool RangeOutsideMain(int k)
{
    if (!ValidSlot(k))
        return false;
    return project.mainLow > project.ranges[k].low || project.mainHigh < project.ranges[k].high;
}

bool BoundOutsideMain(double v)
{
    return v < project.mainLow || v > project.mainHigh;
}
