// The real values.exe started on damaged and odd "Values.dat" and
// "Values.ini" files: truncated, overlong, all 0xFF, all zero, names without
// a terminator, NaN and infinite numbers, in-use flags of 0x80, positions
// far off the screen. The bytes are built here field by field, so each case
// says what it holds. Every start must show the window on the screen with a
// sane display, close cleanly with exit code 0 and write both files back
// whole.
#include "ProgramFixture.h"

#include "NumberText.h"
#include "ProjectState.h"
#include "StateCodec.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace
{

using Bytes = std::vector<unsigned char>;

// The state file's layout, spelled out here rather than taken from the
// program's codec.
constexpr size_t STATE_SIZE = 1344;
constexpr size_t LOCAL_AT = 0;
constexpr size_t MAIN_HIGH_AT = 8;
constexpr size_t MAIN_LOW_AT = 816;
constexpr size_t TITLE_AT = 824;
constexpr size_t DIR_AT = 1084;
constexpr size_t PATH_FIELD = 260;

size_t RecordAt(int k)
{
    return 16 + 160 * static_cast<size_t>(k);
}
constexpr size_t NAME_FIELD = 128;
constexpr size_t IN_USE = 128;
constexpr size_t LOW = 136;
constexpr size_t HIGH = 144;
constexpr size_t VALUE = 152;

const double INF = std::numeric_limits<double>::infinity();
const double NAN_ = std::numeric_limits<double>::quiet_NaN();

void PutWord(Bytes& bytes, size_t at, std::uint64_t word, int size)
{
    for (int i = 0; i < size; i++)
        bytes[at + i] = static_cast<unsigned char>(word >> (8 * i));
}

void PutDouble(Bytes& bytes, size_t at, double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    PutWord(bytes, at, bits, 8);
}

void PutText(Bytes& bytes, size_t at, const char* text)
{
    std::memcpy(&bytes[at], text, std::strlen(text) + 1);
}

void PutRange(Bytes& bytes, int k, const char* name, unsigned char inUse, double low, double high,
              double value)
{
    PutText(bytes, RecordAt(k), name);
    bytes[RecordAt(k) + IN_USE] = inUse;
    PutDouble(bytes, RecordAt(k) + LOW, low);
    PutDouble(bytes, RecordAt(k) + HIGH, high);
    PutDouble(bytes, RecordAt(k) + VALUE, value);
}

// A sound state: local value 5 in 0 to 10, one range "Alpha" 0 to 1, the
// project plan.prj.
Bytes SoundState()
{
    Bytes bytes(STATE_SIZE, 0);
    PutDouble(bytes, LOCAL_AT, 5);
    PutDouble(bytes, MAIN_HIGH_AT, 10);
    PutDouble(bytes, MAIN_LOW_AT, 0);
    PutRange(bytes, 0, "Alpha", 1, 0, 1, 0.5);
    PutText(bytes, TITLE_AT, "plan.prj");
    PutText(bytes, DIR_AT, "C:\\plans");
    return bytes;
}

Bytes Settings(std::int32_t left, std::int32_t top, std::uint32_t flags)
{
    Bytes bytes(12);
    PutWord(bytes, 0, static_cast<std::uint32_t>(left), 4);
    PutWord(bytes, 4, static_cast<std::uint32_t>(top), 4);
    PutWord(bytes, 8, flags, 4);
    return bytes;
}

Bytes Cut(Bytes bytes, size_t size)
{
    bytes.resize(size);
    return bytes;
}

// One start: the files put in the folder (none when absent) and what the
// window must then show.
struct Case
{
    const char* name;
    bool hasState;
    Bytes state;
    bool hasSettings;
    Bytes settings;
    // Expected display: the main range, the local value, the rows in use
    // (bit k for slot k), the name of every row in use (empty: not checked),
    // the project label.
    double mainLow, mainHigh, local;
    unsigned rows;
    std::string rowName;
    std::string projectLabel;
    bool keepOnTop;
    bool placed; // the window must be exactly at the saved corner
    std::int32_t left, top;
};

// The display of the state a start without a usable state file has.
Case Empty(const char* name)
{
    Case c = {};
    c.name = name;
    return c;
}

Case WithState(const char* name, const Bytes& state)
{
    Case c = Empty(name);
    c.hasState = true;
    c.state = state;
    return c;
}

// A sound state file read as it is: 0 to 10, local 5, "Alpha" in slot 0.
Case Sound(Case c)
{
    c.mainHigh = 10;
    c.local = 5;
    c.rows = 1;
    c.rowName = "Alpha";
    c.projectLabel = "plan";
    return c;
}

Case WithSettings(const char* name, const Bytes& settings)
{
    Case c = Empty(name);
    c.hasSettings = true;
    c.settings = settings;
    return c;
}

Case PlacedAt(Case c, std::int32_t left, std::int32_t top)
{
    c.placed = true;
    c.left = left;
    c.top = top;
    return c;
}

// Every double a NaN, every slot in use, every text without an end.
Case AllFF(const char* name)
{
    Case c = WithState(name, Bytes(STATE_SIZE, 0xFF));
    const std::uint64_t bits = ~std::uint64_t{0};
    std::memcpy(&c.mainLow, &bits, sizeof bits);
    c.mainHigh = c.local = c.mainLow;
    c.rows = 0x1F;
    c.rowName = std::string(127, '\xFF');
    c.projectLabel = std::string(127, '\xFF');
    return c;
}

std::vector<Case> StateCases()
{
    std::vector<Case> cases;
    cases.push_back(WithState("StateEmpty", {}));
    cases.push_back(WithState("StateOneByte", {0x42}));
    cases.push_back(WithState("StateCutInTheRanges", Cut(SoundState(), 100)));
    cases.push_back(WithState("StateAProjectFilesLength", Cut(SoundState(), 824)));
    cases.push_back(WithState("StateOneByteShort", Cut(SoundState(), STATE_SIZE - 1)));

    Bytes overlong = SoundState();
    overlong.resize(STATE_SIZE + 1000, 0xEE);
    cases.push_back(Sound(WithState("StateOverlong", overlong)));

    cases.push_back(AllFF("StateAllFF"));
    cases.push_back(WithState("StateAllZero", Bytes(STATE_SIZE, 0)));

    Bytes unterminated = SoundState();
    for (int k = 0; k < RANGE_SLOTS; k++)
    {
        PutRange(unterminated, k, "", 1, 0, 1, 0);
        std::memset(&unterminated[RecordAt(k)], 'N', NAME_FIELD);
    }
    std::memset(&unterminated[TITLE_AT], 'T', PATH_FIELD);
    std::memset(&unterminated[DIR_AT], 'D', PATH_FIELD);
    Case names = Sound(WithState("StateUnterminatedNames", unterminated));
    names.rows = 0x1F;
    names.rowName = std::string(127, 'N');
    names.projectLabel = std::string(127, 'T');
    cases.push_back(names);

    Bytes odd = SoundState();
    PutDouble(odd, LOCAL_AT, INF);
    PutDouble(odd, MAIN_LOW_AT, -INF);
    PutDouble(odd, MAIN_HIGH_AT, NAN_);
    PutRange(odd, 0, "Alpha", 1, NAN_, INF, -INF);
    PutRange(odd, 1, "Beta", 1, -INF, INF, NAN_);
    Case nan = Sound(WithState("StateNaNAndInfinities", odd));
    nan.mainLow = -INF;
    nan.mainHigh = NAN_;
    nan.local = INF;
    nan.rows = 3;
    nan.rowName = "";
    cases.push_back(nan);

    Bytes signalling = SoundState();
    PutWord(signalling, LOCAL_AT, 0x7FF0000000000001, 8); // a signalling NaN
    PutDouble(signalling, MAIN_HIGH_AT, 1e308);
    PutDouble(signalling, MAIN_LOW_AT, -1e308); // the span overflows
    Case huge = Sound(WithState("StateSignallingNaNAndHugeRange", signalling));
    std::memcpy(&huge.local, &signalling[LOCAL_AT], 8);
    huge.mainLow = -1e308;
    huge.mainHigh = 1e308;
    cases.push_back(huge);

    // In-use flags the program never writes, with free slots between.
    Bytes flags = SoundState();
    PutRange(flags, 0, "Alpha", 0x80, 0, 1, 0);
    PutRange(flags, 2, "Gamma", 0x80, 2, 3, 0);
    PutRange(flags, 4, "Epsilon", 0x80, 4, 5, 0);
    Case gaps = Sound(WithState("StateInUse0x80WithGaps", flags));
    gaps.rows = 0x15;
    gaps.rowName = "";
    cases.push_back(gaps);
    return cases;
}

std::vector<Case> SettingsCases()
{
    std::vector<Case> cases;
    cases.push_back(WithSettings("SettingsEmpty", {}));
    cases.push_back(WithSettings("SettingsLeftOnly", Cut(Settings(300, 200, 1), 4)));
    cases.push_back(WithSettings("SettingsOneByteShort", Cut(Settings(300, 200, 1), 11)));

    Bytes overlong = Settings(300, 200, 0);
    overlong.resize(100, 0xEE);
    cases.push_back(PlacedAt(WithSettings("SettingsOverlong", overlong), 300, 200));

    Case ff = PlacedAt(WithSettings("SettingsAllFF", Bytes(12, 0xFF)), -1, -1);
    ff.keepOnTop = true;
    cases.push_back(ff);

    cases.push_back(PlacedAt(WithSettings("SettingsAllZero", Bytes(12, 0)), 0, 0));
    cases.push_back(WithSettings("SettingsFarOffRight", Settings(5000, 100, 0)));
    cases.push_back(WithSettings("SettingsFarOffBelowRight", Settings(100000, 100000, 0)));
    cases.push_back(WithSettings("SettingsFarOffAboveLeft", Settings(-100000, -100000, 0)));
    cases.push_back(WithSettings("SettingsLargestCorner", Settings(INT_MAX, INT_MAX, 0)));
    cases.push_back(WithSettings("SettingsSmallestCorner", Settings(INT_MIN, INT_MIN, 0)));
    cases.push_back(WithSettings("SettingsLargestLeftSmallestTop", Settings(INT_MAX, INT_MIN, 0)));
    return cases;
}

std::vector<Case> BothCases()
{
    std::vector<Case> cases;
    Case ff = AllFF("BothAllFF");
    ff.hasSettings = true;
    ff.settings = Bytes(12, 0xFF);
    ff.keepOnTop = true;
    cases.push_back(PlacedAt(ff, -1, -1));

    Case zero = WithState("BothAllZero", Bytes(STATE_SIZE, 0));
    zero.hasSettings = true;
    zero.settings = Bytes(12, 0);
    cases.push_back(PlacedAt(zero, 0, 0));

    Case cut = WithState("BothTruncated", Cut(SoundState(), 1000));
    cut.hasSettings = true;
    cut.settings = Cut(Settings(300, 200, 1), 8);
    cases.push_back(cut);
    return cases;
}

std::string Format(double x)
{
    char text[TEXT_SIZE];
    return FormatValue(text, x);
}

bool Same(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

double GetDouble(const Bytes& bytes, size_t at)
{
    double value;
    std::memcpy(&value, &bytes[at], sizeof value);
    return value;
}

// What the box of a row in use shows, from the file's own bytes: the first
// fill reads the local value back from its display form, and each row then
// takes the same place in its range as that local value in the main range.
std::string ExpectedRowValue(const Case& c, int k)
{
    const double local = ParseValue(Format(c.local).c_str());
    const double low = GetDouble(c.state, RecordAt(k) + LOW);
    const double high = GetDouble(c.state, RecordAt(k) + HIGH);
    return Format(low + (local - c.mainLow) * (high - low) / (c.mainHigh - c.mainLow));
}

// Counts the visible top-level windows of a process other than its main
// window.
struct OtherWindows
{
    DWORD process;
    HWND main;
    int count;
};

BOOL CALLBACK CountOtherWindows(HWND window, LPARAM lParam)
{
    OtherWindows* search = reinterpret_cast<OtherWindows*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->process && window != search->main && IsWindowVisible(window))
        search->count++;
    return TRUE;
}

// No window of the process is shown but the main window: nothing was
// reported at the start.
bool OnlyTheMainWindowShown(DWORD process, HWND main)
{
    OtherWindows search = {process, main, 0};
    EnumWindows(CountOtherWindows, reinterpret_cast<LPARAM>(&search));
    return search.count == 0;
}

class CorruptFiles : public Program, public ::testing::WithParamInterface<Case>
{
};

TEST_P(CorruptFiles, StartShowCloseAndWriteBackWhole)
{
    const Case& c = GetParam();
    if (c.hasState)
        WriteBytes(Path("Values.dat"), c.state);
    if (c.hasSettings)
        WriteBytes(Path("Values.ini"), c.settings);

    HWND window = Start();
    ASSERT_TRUE(window) << "the window is shown";
    EXPECT_TRUE(OnlyTheMainWindowShown(process.dwProcessId, window)) << "nothing is reported";

    // On the screen, with its title bar where the mouse can take it.
    RECT rect;
    GetWindowRect(window, &rect);
    const RECT screen = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                         GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                         GetSystemMetrics(SM_YVIRTUALSCREEN) +
                             GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const POINT titleBar = {rect.left + (rect.right - rect.left) / 2, rect.top + 8};
    EXPECT_TRUE(PtInRect(&screen, titleBar)) << "window at " << rect.left << ", " << rect.top
                                             << " to " << rect.right << ", " << rect.bottom;
    if (c.placed)
    {
        EXPECT_EQ(rect.left, c.left);
        EXPECT_EQ(rect.top, c.top);
    }
    EXPECT_EQ((GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, c.keepOnTop);
    EXPECT_EQ(SendDlgItemMessageA(window, IDC_KEEP_ON_TOP, BM_GETCHECK, 0, 0) == BST_CHECKED,
              c.keepOnTop);

    // The display: numbers in their display form, NaN and infinities in the
    // runtime's words, rows as the in-use flags say.
    EXPECT_EQ(ItemText(window, IDC_MAIN_RANGE), Format(c.mainLow) + " to " + Format(c.mainHigh));
    EXPECT_EQ(ItemText(window, IDC_LOCAL_VALUE), Format(c.local));
    EXPECT_EQ(ItemText(window, IDC_PROJECT_NAME), c.projectLabel);
    std::string boxes[RANGE_SLOTS];
    for (int k = 0; k < RANGE_SLOTS; k++)
    {
        SCOPED_TRACE("slot " + std::to_string(k));
        const bool used = (c.rows >> k) & 1;
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(window, IDC_SLOT_VALUE + k)) != FALSE, used);
        boxes[k] = ItemText(window, IDC_SLOT_VALUE + k);
        if (!used)
        {
            EXPECT_EQ(ItemText(window, IDC_SLOT_NAME + k), "empty");
            EXPECT_EQ(boxes[k], "");
        }
        else
        {
            EXPECT_EQ(boxes[k], ExpectedRowValue(c, k));
            if (!c.rowName.empty())
            {
                EXPECT_EQ(ItemText(window, IDC_SLOT_NAME + k), c.rowName);
            }
        }
    }

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(), 0u) << "closed cleanly";

    // Both files written back whole; the state file in the program's own
    // form: flags 0 or 1, every text ended inside its field.
    const Bytes state = ReadBytes(Path("Values.dat"));
    ASSERT_EQ(state.size(), STATE_SIZE);
    for (int k = 0; k < RANGE_SLOTS; k++)
    {
        const unsigned char* record = &state[RecordAt(k)];
        EXPECT_EQ(record[IN_USE], (c.rows >> k) & 1) << "slot " << k;
        EXPECT_TRUE(std::memchr(record, 0, NAME_FIELD)) << "slot " << k << "'s name ends";
    }
    EXPECT_TRUE(std::memchr(&state[TITLE_AT], 0, PATH_FIELD));
    EXPECT_TRUE(std::memchr(&state[DIR_AT], 0, PATH_FIELD));
    ProjectState saved = {};
    ASSERT_EQ(DecodeState(state.data(), state.size(), true, saved), 1);
    EXPECT_TRUE(Same(saved.mainLow, c.mainLow)) << saved.mainLow;
    EXPECT_TRUE(Same(saved.mainHigh, c.mainHigh)) << saved.mainHigh;
    for (int k = 0; k < RANGE_SLOTS; k++)
    {
        if ((c.rows >> k) & 1)
        {
            EXPECT_EQ(Format(saved.ranges[k].value), boxes[k])
                << "slot " << k << " saved what it showed";
        }
    }

    const Bytes settings = ReadBytes(Path("Values.ini"));
    ASSERT_EQ(settings.size(), 12u);
    WindowPosition written = {};
    ASSERT_EQ(DecodeWindowSettings(settings.data(), settings.size(), written), 1);
    EXPECT_EQ(written.left, rect.left) << "where the window was";
    EXPECT_EQ(written.top, rect.top);
    // The flags word comes back as it was read: the box was not used.
    WindowPosition read = {};
    const bool complete =
        c.hasSettings && DecodeWindowSettings(c.settings.data(), c.settings.size(), read);
    EXPECT_EQ(written.flags, complete ? read.flags : 0u);
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(State, CorruptFiles, ::testing::ValuesIn(StateCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Settings, CorruptFiles, ::testing::ValuesIn(SettingsCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Both, CorruptFiles, ::testing::ValuesIn(BothCases()), CaseName);

} // namespace
