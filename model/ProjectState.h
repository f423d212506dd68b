// The one record that holds everything the user edits, and the slot rules
// over it. Portable: no Windows headers, so it builds and is tested anywhere.
#pragma once

#include <cstddef>

constexpr int RANGE_SLOTS = 5;
constexpr int MAIN_RANGE_TARGET = -1; // target index meaning the main range
constexpr int ALL_SLOTS_TAKEN = -1;   // FindFreeSlot's answer when no slot is free

constexpr std::size_t TEXT_SIZE = 128; // every text read from or written to a control
constexpr std::size_t PATH_SIZE = 260; // paths and file names

// One slot. Field order and widths are those of the 160-byte range record in
// the state and project files, so the reserved bytes are spelled out rather
// than left to the compiler.
struct CompressedRange
{
    char name[TEXT_SIZE];
    unsigned char inUse; // 0 = free; anything else = holds a range
    unsigned char reserved[7];
    double low;
    double high;
    double value;
};

static_assert(sizeof(CompressedRange) == 160, "a range record is 160 bytes");
static_assert(offsetof(CompressedRange, inUse) == 128, "inUse follows the name");
static_assert(offsetof(CompressedRange, low) == 136, "low at 136");
static_assert(offsetof(CompressedRange, high) == 144, "high at 144");
static_assert(offsetof(CompressedRange, value) == 152, "value at 152");

struct ProjectState
{
    double localValue;
    double mainLow;
    double mainHigh;
    CompressedRange ranges[RANGE_SLOTS];
    char projectTitle[PATH_SIZE]; // file name of the project, no folder
    char projectDir[PATH_SIZE];   // its folder, without the last backslash
    bool modified;                // changes not yet saved to a project file
};

// Zero-filled at start; lives until the process ends.
extern ProjectState project;

// Lowest free slot, or ALL_SLOTS_TAKEN. Ranges the program makes have no
// gaps, so a used slot 4 means every slot is taken.
int FindFreeSlot();

// Stores what the range dialog accepted into slot target (0 to 4) or, for
// MAIN_RANGE_TARGET, into the main range; name is ignored for the main range.
// The caller guarantees low < high. Always marks the project modified.
void AcceptRange(int target, const char* name, double low, double high);

// Removes slot k: every later slot moves one down, whole, and slot 4 is
// cleared. With gaps (only a foreign file makes them) the free slots move
// too, so no other range is lost. Leaves modified alone.
void DeleteRange(int k);

// Plain IEEE comparisons: a NaN on either side counts as inside.
bool LocalOutOfRange();
bool RangeOutsideMain(int k);
bool BoundOutsideMain(double v);

// Copies text into a fixed field, cutting it so the last byte is always the
// terminator.
void CopyText(char* field, std::size_t size, const char* text);
