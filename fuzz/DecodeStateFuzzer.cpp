// DecodeState on arbitrary bytes, read both as a state image and as a project
// image. Checked for each:
//  - an image shorter than its layout is refused and the state left as it was;
//  - a project image never touches the two paths nor modified; a state
//    image sets modified exactly when its first record's reserved bytes are
//    the mark of unsaved changes, and encodes the mark back from it;
//  - every text decoded ends within its field;
//  - the decoded state encodes to the same bytes, except what carries no
//    meaning: the reserved bytes of each record, whatever follows a text's
//    terminator, and an in-use byte other than 0 or 1 (written as 1).
#include "StateCodec.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace
{

constexpr std::size_t RANGES_AT = 16;
constexpr std::size_t IN_USE_AT = 128;
constexpr std::size_t RESERVED_AT = 129;
constexpr std::size_t RESERVED_SIZE = 7;
constexpr std::size_t TITLE_AT = 824;
constexpr std::size_t DIR_AT = 1084;
static_assert(RESERVED_AT == IN_USE_AT + 1, "the reserved bytes follow the in-use flag");

void Require(bool holds, const char* what, bool withPaths, std::size_t at)
{
    if (holds)
        return;
    std::fprintf(stderr, "DecodeState (%s image): %s, byte %zu\n", withPaths ? "state" : "project",
                 what, at);
    std::abort();
}

bool Terminated(const char* field, std::size_t size)
{
    return std::memchr(field, '\0', size) != nullptr;
}

// The text of a field as it came in, cut at the end of the field, must come
// out the same, with its terminator.
void CompareText(const unsigned char* in, const unsigned char* out, std::size_t at,
                 std::size_t size, bool withPaths)
{
    std::size_t length = 0;
    while (length < size - 1 && in[at + length])
        length++;
    Require(std::memcmp(in + at, out + at, length) == 0 && out[at + length] == 0, "a text changed",
            withPaths, at);
}

void CheckImage(const unsigned char* image, std::size_t size, bool withPaths)
{
    // A state full of a pattern that no decoder writes, so whatever is left
    // alone is seen to be left alone.
    ProjectState before;
    std::memset(&before, 0xA5, sizeof before);
    before.modified = true;
    ProjectState state = before;

    const std::size_t layout = StateImageSize(withPaths);
    const int accepted = DecodeState(image, size, withPaths, state);
    if (size < layout)
    {
        Require(accepted == 0, "a short image accepted", withPaths, size);
        Require(std::memcmp(&state, &before, sizeof state) == 0,
                "a refused image changed the state", withPaths, size);
        return;
    }
    Require(accepted == 1, "a whole image refused", withPaths, size);
    const bool marked =
        withPaths && std::memcmp(image + RANGES_AT + RESERVED_AT, UNSAVED_MARK, RESERVED_SIZE) == 0;
    Require(state.modified == (marked || !withPaths), "modified decoded wrongly", withPaths,
            RANGES_AT + RESERVED_AT);
    if (!withPaths)
    {
        Require(std::memcmp(state.projectTitle, before.projectTitle, PATH_SIZE) == 0 &&
                    std::memcmp(state.projectDir, before.projectDir, PATH_SIZE) == 0,
                "a project image changed the paths", withPaths, 0);
    }

    for (int k = 0; k < RANGE_SLOTS; k++)
    {
        Require(Terminated(state.ranges[k].name, TEXT_SIZE), "a name without its end", withPaths,
                RANGES_AT + k * RANGE_RECORD_SIZE);
    }
    if (withPaths)
    {
        Require(Terminated(state.projectTitle, PATH_SIZE), "a title without its end", withPaths,
                TITLE_AT);
        Require(Terminated(state.projectDir, PATH_SIZE), "a folder without its end", withPaths,
                DIR_AT);
    }

    std::unique_ptr<unsigned char[]> again(new unsigned char[layout]);
    EncodeState(state, withPaths, again.get());
    std::size_t at = 0;
    while (at < layout)
    {
        const std::size_t inRecords = at - RANGES_AT;
        if (at >= RANGES_AT && inRecords < RANGE_SLOTS * RANGE_RECORD_SIZE)
        {
            const std::size_t field = inRecords % RANGE_RECORD_SIZE;
            if (field == 0)
            {
                CompareText(image, again.get(), at, TEXT_SIZE, withPaths);
                at += TEXT_SIZE;
                continue;
            }
            if (field == IN_USE_AT)
            {
                Require(again[at] == (image[at] != 0), "an in-use flag changed", withPaths, at);
                // The reserved bytes carry no meaning, but for the mark.
                const bool mark = withPaths && at == RANGES_AT + IN_USE_AT;
                Require(!mark || (std::memcmp(again.get() + at + 1, UNSAVED_MARK, RESERVED_SIZE) ==
                                  0) == marked,
                        "the mark not written back", withPaths, at + 1);
                at += 1 + RESERVED_SIZE;
                continue;
            }
        }
        if (withPaths && (at == TITLE_AT || at == DIR_AT))
        {
            CompareText(image, again.get(), at, PATH_SIZE, withPaths);
            at += PATH_SIZE;
            continue;
        }
        Require(again[at] == image[at], "a number changed", withPaths, at);
        at++;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A copy of exactly the input's length, so ASan sees any read past it.
    std::unique_ptr<unsigned char[]> image(new unsigned char[size ? size : 1]);
    std::memcpy(image.get(), data, size);
    CheckImage(image.get(), size, true);
    CheckImage(image.get(), size, false);
    return 0;
}
