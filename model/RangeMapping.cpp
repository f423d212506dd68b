#include "RangeMapping.h"

#include "ProjectState.h"

void RecomputeValues(int source)
{
    const double low = project.mainLow;
    const double span = project.mainHigh - project.mainLow;

    if (source >= 0 && source < RANGE_SLOTS)
    {
        const CompressedRange& r = project.ranges[source];
        project.localValue = low + (r.value - r.low) * span / (r.high - r.low);
    }

    // The offset is multiplied by the range's width before the division by
    // span; that order is what makes the inverse step exact for the source.
    for (CompressedRange& r : project.ranges)
    {
        if (r.inUse)
            r.value = r.low + (project.localValue - low) * (r.high - r.low) / span;
    }
}
