// The file layouts checked against bytes built by hand, not only against the
// codec's own output.
#include "StateCodec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{

// Little-endian images of a few doubles, written out byte by byte.
const unsigned char ONE[8] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};        // 1.0
const unsigned char TWO[8] = {0, 0, 0, 0, 0, 0, 0x00, 0x40};        // 2.0
const unsigned char HUNDRED[8] = {0, 0, 0, 0, 0, 0, 0x59, 0x40};    // 100.0
const unsigned char MINUS_HALF[8] = {0, 0, 0, 0, 0, 0, 0xE0, 0xBF}; // -0.5

void Put(std::vector<unsigned char>& image, std::size_t at, const unsigned char (&bytes)[8])
{
    std::memcpy(&image[at], bytes, 8);
}

void PutText(std::vector<unsigned char>& image, std::size_t at, const char* text)
{
    std::memcpy(&image[at], text, std::strlen(text) + 1);
}

ProjectState Blank()
{
    ProjectState state;
    std::memset(&state, 0, sizeof state);
    return state;
}

// A state image with the main range 1 to 100, local value 2, slot 2 "Bee"
// from -0.5 to 1 with value 2, and the two paths.
std::vector<unsigned char> HandBuiltStateImage()
{
    std::vector<unsigned char> image(STATE_IMAGE_SIZE, 0);
    Put(image, 0, TWO);     // localValue
    Put(image, 8, HUNDRED); // mainHigh, before the records
    Put(image, 816, ONE);   // mainLow, after them
    const std::size_t slot2 = 16 + 2 * 160;
    PutText(image, slot2, "Bee");
    image[slot2 + 128] = 1;
    std::memset(&image[slot2 + 129], 0xAA, 7); // reserved bytes mean nothing
    Put(image, slot2 + 136, MINUS_HALF);
    Put(image, slot2 + 144, ONE);
    Put(image, slot2 + 152, TWO);
    PutText(image, 824, "plan.prj");
    PutText(image, 1084, "C:\\work");
    return image;
}

TEST(StateLayout, FieldsComeFromTheirOffsets)
{
    const std::vector<unsigned char> image = HandBuiltStateImage();
    ProjectState state = Blank();
    ASSERT_EQ(DecodeState(image.data(), image.size(), true, state), 1);

    EXPECT_EQ(state.localValue, 2);
    EXPECT_EQ(state.mainLow, 1) << "byte 816 holds the low end";
    EXPECT_EQ(state.mainHigh, 100) << "byte 8 holds the high end";
    for (int k = 0; k < RANGE_SLOTS; k++)
        EXPECT_EQ(state.ranges[k].inUse != 0, k == 2) << "slot " << k;
    EXPECT_STREQ(state.ranges[2].name, "Bee");
    EXPECT_EQ(state.ranges[2].low, -0.5);
    EXPECT_EQ(state.ranges[2].high, 1);
    EXPECT_EQ(state.ranges[2].value, 2);
    EXPECT_STREQ(state.projectTitle, "plan.prj");
    EXPECT_STREQ(state.projectDir, "C:\\work");
}

TEST(StateLayout, EncodingGivesExactlyTheHandBuiltBytes)
{
    ProjectState state = Blank();
    state.localValue = 2;
    state.mainLow = 1;
    state.mainHigh = 100;
    CompressedRange& r = state.ranges[2];
    std::strcpy(r.name, "Bee");
    r.inUse = 0x80; // any non-zero byte is in use; written back as 1
    std::memset(r.reserved, 0x55, sizeof r.reserved);
    r.low = -0.5;
    r.high = 1;
    r.value = 2;
    std::strcpy(state.projectTitle, "plan.prj");
    std::strcpy(state.projectDir, "C:\\work");
    state.modified = true;

    std::vector<unsigned char> expected = HandBuiltStateImage();
    std::memset(&expected[16 + 2 * 160 + 129], 0, 7); // reserved bytes go out as zero
    std::vector<unsigned char> marked = expected;
    std::memcpy(&marked[16 + 129], "Unsaved", 7); // but for the first record's, in a state file

    std::vector<unsigned char> image(STATE_IMAGE_SIZE, 0xCC);
    EncodeState(state, true, image.data());
    for (std::size_t i = 0; i < STATE_IMAGE_SIZE; i++)
        ASSERT_EQ(image[i], marked[i]) << "byte " << i;

    std::vector<unsigned char> project(PROJECT_IMAGE_SIZE + 1, 0xCC);
    EncodeState(state, false, project.data());
    EXPECT_EQ(std::memcmp(project.data(), expected.data(), PROJECT_IMAGE_SIZE), 0)
        << "a project file never carries the mark";
    EXPECT_EQ(project[PROJECT_IMAGE_SIZE], 0xCC) << "a project image is 824 bytes";

    // The mark comes from modified alone: a record moved down by a delete
    // carries its reserved bytes along in memory, and they never reach a file.
    state.modified = false;
    std::memcpy(state.ranges[0].reserved, "Unsaved", 7);
    EncodeState(state, true, image.data());
    EXPECT_EQ(image, expected);
}

TEST(StateLayout, AllFiveRecordsAreWrittenWhateverTheyHold)
{
    ProjectState state = Blank();
    for (int k = 0; k < RANGE_SLOTS; k++)
    {
        state.ranges[k].low = k; // free slots keep and write their bytes
        std::strcpy(state.ranges[k].name, "old");
    }
    std::vector<unsigned char> image(PROJECT_IMAGE_SIZE);
    EncodeState(state, false, image.data());

    ProjectState back = Blank();
    ASSERT_EQ(DecodeState(image.data(), image.size(), false, back), 1);
    for (int k = 0; k < RANGE_SLOTS; k++)
    {
        EXPECT_EQ(back.ranges[k].low, k);
        EXPECT_STREQ(back.ranges[k].name, "old");
        EXPECT_EQ(back.ranges[k].inUse, 0);
    }
}

TEST(StateDecoding, AShortImageIsRefusedWhole)
{
    std::vector<unsigned char> image = HandBuiltStateImage();
    ProjectState state = Blank();
    state.localValue = 7;
    state.ranges[0].inUse = 1;
    std::strcpy(state.projectTitle, "kept.prj");
    const ProjectState before = state;

    EXPECT_EQ(DecodeState(image.data(), STATE_IMAGE_SIZE - 1, true, state), 0);
    EXPECT_EQ(DecodeState(image.data(), PROJECT_IMAGE_SIZE - 1, false, state), 0);
    EXPECT_EQ(DecodeState(image.data(), 0, false, state), 0);
    EXPECT_EQ(std::memcmp(&state, &before, sizeof state), 0);
}

TEST(StateDecoding, AProjectImageLeavesThePathsAndModifiedAlone)
{
    // A state file opened as a project: only its first 824 bytes count.
    std::vector<unsigned char> image = HandBuiltStateImage();
    image.resize(2000, 0xEE);
    ProjectState state = Blank();
    std::strcpy(state.projectTitle, "mine.prj");
    std::strcpy(state.projectDir, "D:\\mine");
    state.modified = true;

    ASSERT_EQ(DecodeState(image.data(), image.size(), false, state), 1);
    EXPECT_EQ(state.mainHigh, 100);
    EXPECT_STREQ(state.ranges[2].name, "Bee");
    EXPECT_STREQ(state.projectTitle, "mine.prj");
    EXPECT_STREQ(state.projectDir, "D:\\mine");
    EXPECT_TRUE(state.modified);
}

// The reader of the state file as released before it marked unsaved
// changes, kept as it was. (The test machines are little-endian, as the
// files are.)
void DecodeAsBefore(const unsigned char* image, ProjectState& state)
{
    const auto number = [](const unsigned char* at, double& value)
    { std::memcpy(&value, at, sizeof value); };
    const auto text = [](const unsigned char* at, char* field, std::size_t size)
    {
        std::memcpy(field, at, size);
        field[size - 1] = '\0';
    };
    number(image, state.localValue);
    number(image + 8, state.mainHigh);
    for (int k = 0; k < RANGE_SLOTS; k++)
    {
        CompressedRange& r = state.ranges[k];
        const unsigned char* record = image + 16 + k * 160;
        text(record, r.name, sizeof r.name);
        r.inUse = record[128];
        std::memset(r.reserved, 0, sizeof r.reserved);
        number(record + 136, r.low);
        number(record + 144, r.high);
        number(record + 152, r.value);
    }
    number(image + 816, state.mainLow);
    text(image + 824, state.projectTitle, PATH_SIZE);
    text(image + 1084, state.projectDir, PATH_SIZE);
}

// Unsaved changes are marked by exactly the seven bytes the encoder writes;
// whatever else is there (zeros from an earlier version, another program's
// bytes, a mark cut short) means none, and read as a project nothing does.
// The earlier reader reads every file field for field as this one does.
TEST(StateDecoding, OnlyTheWholeMarkMeansUnsavedChangesAndEarlierReadersReadOn)
{
    for (const char* reserved :
         {"Unsaved", "\0\0\0\0\0\0\0", "unsaved", "Unsave\0", "\xAA\xAA\xAA\xAA\xAA\xAA\xAA"})
    {
        std::vector<unsigned char> image = HandBuiltStateImage();
        std::memcpy(&image[16 + 129], reserved, 7);
        const bool mark = reserved == std::string("Unsaved");
        ProjectState now = Blank();
        ProjectState before = Blank();
        now.modified = !mark;
        ASSERT_EQ(DecodeState(image.data(), image.size(), true, now), 1);
        EXPECT_EQ(now.modified, mark) << reserved;
        DecodeAsBefore(image.data(), before);
        before.modified = now.modified; // which the earlier reader never knew
        EXPECT_EQ(std::memcmp(&now, &before, sizeof now), 0) << "a field reads differently";
        now.modified = !mark;
        ASSERT_EQ(DecodeState(image.data(), image.size(), false, now), 1);
        EXPECT_EQ(now.modified, !mark) << "read as a project";
    }
}

TEST(StateDecoding, TextsWithoutATerminatorAreCutAtTheirField)
{
    std::vector<unsigned char> image(STATE_IMAGE_SIZE, 'x');
    ProjectState state = Blank();
    ASSERT_EQ(DecodeState(image.data(), image.size(), true, state), 1);
    for (const CompressedRange& r : state.ranges)
        EXPECT_EQ(std::strlen(r.name), TEXT_SIZE - 1);
    EXPECT_EQ(std::strlen(state.projectTitle), PATH_SIZE - 1);
    EXPECT_EQ(std::strlen(state.projectDir), PATH_SIZE - 1);
}

TEST(WindowSettingsLayout, ThreeLittleEndianWords)
{
    const unsigned char image[12] = {0xFB, 0xFF, 0xFF, 0xFF, 100, 0, 0, 0, 6, 0, 0, 0};
    WindowPosition position = {1, 2, 3};
    ASSERT_EQ(DecodeWindowSettings(image, sizeof image, position), 1);
    EXPECT_EQ(position.left, -5);
    EXPECT_EQ(position.top, 100);
    EXPECT_EQ(position.flags, 6u);

    unsigned char encoded[12];
    EncodeWindowSettings(position, encoded);
    EXPECT_EQ(std::memcmp(encoded, image, sizeof image), 0);

    const WindowPosition before = position;
    EXPECT_EQ(DecodeWindowSettings(image, 11, position), 0);
    EXPECT_EQ(position.left, before.left);
    EXPECT_EQ(position.flags, before.flags);
}

} // namespace
