#include "StateCodec.h"

#include <cstring>

namespace
{

constexpr std::size_t LOCAL_VALUE_AT = 0;
constexpr std::size_t MAIN_HIGH_AT = 8; // the high end comes before the range records
constexpr std::size_t RANGES_AT = 16;
constexpr std::size_t MAIN_LOW_AT = 816; // and the low end after them
constexpr std::size_t TITLE_AT = 824;
constexpr std::size_t DIR_AT = 1084;

// Offsets inside one range record.
constexpr std::size_t NAME_AT = 0;
constexpr std::size_t IN_USE_AT = 128;
constexpr std::size_t RESERVED_AT = 129;
constexpr std::size_t LOW_AT = 136;
constexpr std::size_t HIGH_AT = 144;
constexpr std::size_t VALUE_AT = 152;

static_assert(RESERVED_AT + sizeof UNSAVED_MARK == LOW_AT, "the mark fills the reserved bytes");
static_assert(RANGES_AT + RANGE_SLOTS * RANGE_RECORD_SIZE == MAIN_LOW_AT, "records end at mainLow");
static_assert(MAIN_LOW_AT + 8 == PROJECT_IMAGE_SIZE, "a project image ends after mainLow");
static_assert(TITLE_AT + PATH_SIZE == DIR_AT, "the folder follows the title");
static_assert(DIR_AT + PATH_SIZE == STATE_IMAGE_SIZE, "a state image ends after the folder");

// Numbers are stored little-endian whatever the machine's own order.
void PutWord(unsigned char* at, std::uint64_t bits, int bytes)
{
    for (int i = 0; i < bytes; i++)
        at[i] = static_cast<unsigned char>(bits >> (8 * i));
}

std::uint64_t GetWord(const unsigned char* at, int bytes)
{
    std::uint64_t bits = 0;
    for (int i = 0; i < bytes; i++)
        bits |= static_cast<std::uint64_t>(at[i]) << (8 * i);
    return bits;
}

void PutDouble(unsigned char* at, double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    PutWord(at, bits, 8);
}

double GetDouble(const unsigned char* at)
{
    const std::uint64_t bits = GetWord(at, 8);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// A text field is taken whole; its last byte always ends it, so a field that
// arrived without a terminator is cut at the end of the field.
void GetText(char* field, std::size_t size, const unsigned char* at)
{
    std::memcpy(field, at, size);
    field[size - 1] = '\0';
}

} // namespace

void EncodeState(const ProjectState& state, bool withPaths, unsigned char* image)
{
    std::memset(image, 0, StateImageSize(withPaths));
    PutDouble(image + LOCAL_VALUE_AT, state.localValue);
    PutDouble(image + MAIN_HIGH_AT, state.mainHigh);
    for (int k = 0; k < RANGE_SLOTS; k++)
    {
        const CompressedRange& r = state.ranges[k];
        unsigned char* record = image + RANGES_AT + k * RANGE_RECORD_SIZE;
        std::memcpy(record + NAME_AT, r.name, sizeof r.name);
        record[IN_USE_AT] = r.inUse ? 1 : 0;
        PutDouble(record + LOW_AT, r.low);
        PutDouble(record + HIGH_AT, r.high);
        PutDouble(record + VALUE_AT, r.value);
    }
    PutDouble(image + MAIN_LOW_AT, state.mainLow);
    if (withPaths)
    {
        if (state.modified)
            std::memcpy(image + RANGES_AT + RESERVED_AT, UNSAVED_MARK, sizeof UNSAVED_MARK);
        std::memcpy(image + TITLE_AT, state.projectTitle, PATH_SIZE);
        std::memcpy(image + DIR_AT, state.projectDir, PATH_SIZE);
    }
}

int DecodeState(const unsigned char* image, std::size_t size, bool withPaths, ProjectState& state)
{
    if (size < StateImageSize(withPaths))
        return 0;

    // Decoded into a copy first, so the state is either all old or all new.
    ProjectState next = state;
    next.localValue = GetDouble(image + LOCAL_VALUE_AT);
    next.mainHigh = GetDouble(image + MAIN_HIGH_AT);
    for (int k = 0; k < RANGE_SLOTS; k++)
    {
        CompressedRange& r = next.ranges[k];
        const unsigned char* record = image + RANGES_AT + k * RANGE_RECORD_SIZE;
        GetText(r.name, sizeof r.name, record + NAME_AT);
        r.inUse = record[IN_USE_AT];
        std::memset(r.reserved, 0, sizeof r.reserved);
        r.low = GetDouble(record + LOW_AT);
        r.high = GetDouble(record + HIGH_AT);
        r.value = GetDouble(record + VALUE_AT);
    }
    next.mainLow = GetDouble(image + MAIN_LOW_AT);
    if (withPaths)
    {
        next.modified =
            std::memcmp(image + RANGES_AT + RESERVED_AT, UNSAVED_MARK, sizeof UNSAVED_MARK) == 0;
        GetText(next.projectTitle, PATH_SIZE, image + TITLE_AT);
        GetText(next.projectDir, PATH_SIZE, image + DIR_AT);
    }
    state = next;
    return 1;
}

void EncodeWindowSettings(const WindowPosition& position, unsigned char* image)
{
    PutWord(image, static_cast<std::uint32_t>(position.left), 4);
    PutWord(image + 4, static_cast<std::uint32_t>(position.top), 4);
    PutWord(image + 8, position.flags, 4);
}

int DecodeWindowSettings(const unsigned char* image, std::size_t size, WindowPosition& position)
{
    if (size < WINDOW_SETTINGS_SIZE)
        return 0;
    position.left = static_cast<std::int32_t>(static_cast<std::uint32_t>(GetWord(image, 4)));
    position.top = static_cast<std::int32_t>(static_cast<std::uint32_t>(GetWord(image + 4, 4)));
    position.flags = static_cast<std::uint32_t>(GetWord(image + 8, 4));
    return 1;
}
