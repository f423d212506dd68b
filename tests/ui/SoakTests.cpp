// A long run of seeded random events through the real main window, its range
// dialog and the file dialogs: typing of every kind into the focused box,
// focus moves, ranges made, edited and deleted (OK, Cancel, the close button,
// refused bounds), Keep on Top, projects saved and opened, closes called off.
// After every event the window is checked against a model the test keeps
// from the events alone: which slots hold which ranges, the main range, the
// local value and so every compressed value, the project's name, Keep on Top
// and whether there are unsaved changes.
//
// A failure names its seed and the events that led to it. VALUES_SOAK_SEED=n
// runs that one seed; VALUES_SOAK_EVENTS=n sets the events per seed.
#include "MainWindowFixture.h"
#include "ModalDriver.h"

#include "NumberText.h"
#include "ProjectState.h"
#include "StateCodec.h"
#include "MainWindow.h"
#include "WindowSettings.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{

const unsigned DEFAULT_SEEDS[] = {1, 2, 3};
constexpr int DEFAULT_EVENTS = 700;

std::vector<unsigned> SoakSeeds()
{
    const char* seed = std::getenv("VALUES_SOAK_SEED");
    if (seed && *seed)
        return {static_cast<unsigned>(std::strtoul(seed, nullptr, 10))};
    return std::vector<unsigned>(std::begin(DEFAULT_SEEDS), std::end(DEFAULT_SEEDS));
}

int SoakEvents()
{
    const char* events = std::getenv("VALUES_SOAK_EVENTS");
    const int n = events ? std::atoi(events) : 0;
    return n > 0 ? n : DEFAULT_EVENTS;
}

const char LOW_HIGH_ERROR[] = "Low Value must be lower than High Value";
const char TOO_MANY_RANGES[] = "You can't create more than 5 compressed ranges";
// The file name box of the open and save dialogs (cmb13).
constexpr int FILE_NAME_BOX = 0x47C;

std::string Format(double x)
{
    char text[TEXT_SIZE];
    return FormatValue(text, x);
}

bool Same(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

// The characters a number box admits from the keyboard.
bool IsNumberChar(char c)
{
    return (c >= '0' && c <= '9') || (c && std::strchr("+-.eEdD", c));
}

// What a box holds after Type: the admitted characters replace the whole
// text; when none is admitted the selection stays and so does the old text.
std::string TypedResult(const std::string& typed, const std::string& before)
{
    if (typed.empty())
        return ""; // Backspace over the selection
    std::string kept;
    for (char c : typed)
    {
        if (IsNumberChar(c))
            kept += c;
    }
    return kept.empty() ? before : kept;
}

// The project label: the title without its extension, cut to the label's
// buffer first.
std::string ProjectLabel(const std::string& title)
{
    std::string name = title.substr(0, TEXT_SIZE - 1);
    const std::string::size_type dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

struct ModelRange
{
    std::string name;
    double low;
    double high;
};

// Counts the visible windows of the thread other than the main window.
struct OtherWindows
{
    HWND main;
    int count;
};

BOOL CALLBACK CountOtherWindows(HWND window, LPARAM lParam)
{
    OtherWindows* search = reinterpret_cast<OtherWindows*>(lParam);
    if (window != search->main && IsWindowVisible(window))
        search->count++;
    return TRUE;
}

// What the program must show and hold, kept by the test from the events.
struct Model
{
    double mainLow = 0;
    double mainHigh = 0;
    double local = 0;
    std::vector<ModelRange> ranges; // slots 0, 1, ... without gaps
    bool modified = false;
    bool keepOnTop = false;
    std::string title;
};

// A project file in the test folder, as the test expects it to read back.
struct ProjectFile
{
    bool readable; // a complete project image
    bool readOnly;
    double mainLow;
    double mainHigh;
    double local;
    std::vector<ModelRange> ranges;
};

// A number as a box shows it, read back.
double ReadBack(double x)
{
    return ParseValue(Format(x).c_str());
}

// The text of a box as the program reads it: at most 127 characters.
double BoxValue(const std::string& text)
{
    return ParseValue(text.substr(0, TEXT_SIZE - 1).c_str());
}

// One press of OK in the range dialog, after putting texts into its boxes
// or leaving them as they are.
struct RangeTry
{
    bool fill = false;
    std::string name, low, high;
    double lowValue = 0, highValue = 0; // the numbers the boxes hold
    bool Accepted() const
    {
        return lowValue < highValue;
    }
};

enum class RangeEnd
{
    OK,
    CANCEL,
    CLOSE_BUTTON
};

struct RangePlan
{
    int target;
    std::vector<RangeTry> refused; // each answered by the error message
    RangeEnd end;
    RangeTry last; // pressed with OK, or typed and then left
};

// What the save dialog is given and how its own questions are answered.
struct SavePlan
{
    bool cancel = true;
    std::string typed; // the name typed, with or without ".prj"
    std::string file;  // the file that name means
    bool exists = false;
    bool replace = false;
    bool readOnly = false;
    bool Saves() const
    {
        return !cancel && (!exists || replace) && !readOnly;
    }
};

class Soak : public MainWindowTest, public ::testing::WithParamInterface<unsigned>
{
  protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        random.seed(GetParam());
    }

    unsigned Below(unsigned n)
    {
        return static_cast<unsigned>(random() % n);
    }

    bool Chance(unsigned percent)
    {
        return Below(100) < percent;
    }

    // A bound of a range: a multiple of a quarter, so its display text reads
    // back as the same number.
    double RandomBound()
    {
        if (Chance(50))
            return static_cast<double>(static_cast<int>(Below(41)) - 20) / 4;
        return static_cast<double>(static_cast<int>(Below(800001)) - 400000) / 4;
    }

    // Several spellings of one bound that all read as that bound.
    std::string BoundText(double v)
    {
        char text[64];
        std::snprintf(text, sizeof text, "%.2f", v);
        switch (Below(5))
        {
        case 0:
            return std::string("  ") + text;
        case 1:
            return std::string(text) + "abc";
        case 2:
            return std::string(text) + (Chance(50) ? "e0" : "D0");
        case 3:
            return v >= 0 ? std::string("+") + text : text;
        default:
            return text;
        }
    }

    std::string RandomName()
    {
        unsigned length = Below(10) == 0 ? 0 : Below(5) == 0 ? 120 + Below(21) : 1 + Below(12);
        std::string name;
        for (unsigned i = 0; i < length; i++)
            name += static_cast<char>(' ' + Below(95));
        return name;
    }

    // Texts typed into a number box: numbers in many shapes, characters the
    // box refuses, nothing at all, and texts longer than a box is read.
    std::string RandomTyping(const char** kind)
    {
        static const char REFUSED[] = "abcfghijklmnopqrstuvwxyzABCFGHXYZ !?,;:/*()_=#";
        std::string text;
        char number[64];
        if (Below(100) == 0)
        {
            *kind = "long";
            const unsigned length = 128 + Below(40);
            if (Chance(30))
                text += '-';
            if (Chance(30))
                text += "0.";
            while (text.size() < length)
                text += static_cast<char>('0' + Below(10));
            if (Chance(30))
                text[length / 2] = 'e';
            return text;
        }
        switch (Below(10))
        {
        case 0:
            *kind = "empty";
            return "";
        case 1:
        case 2:
            *kind = "refused";
            for (unsigned n = 1 + Below(8); n > 0; n--)
                text += REFUSED[Below(sizeof REFUSED - 1)];
            return text;
        case 3:
            *kind = "number";
            std::snprintf(number, sizeof number, "%d", static_cast<int>(Below(2001)) - 1000);
            return number;
        case 4:
        {
            *kind = "mixed";
            std::snprintf(number, sizeof number, "%d.%u", static_cast<int>(Below(2001)) - 1000,
                          Below(1000));
            for (char c : std::string(number))
            {
                text += c;
                if (Chance(40))
                    text += REFUSED[Below(sizeof REFUSED - 1)];
            }
            return text;
        }
        case 5:
        {
            *kind = "partial";
            static const char* const PARTIAL[] = {"-",   ".",   "+",     "12.", "-.5",   "1e",
                                                  "1e-", "--1", "1.2.3", "e5",  "9e999", "-1e-400"};
            return PARTIAL[Below(std::size(PARTIAL))];
        }
        case 6:
            *kind = "exponent";
            std::snprintf(number, sizeof number, "%d.%u%c%s%u", static_cast<int>(Below(19)) - 9,
                          Below(100), "eEdD"[Below(4)], Chance(50) ? "-" : "", Below(320));
            return number;
        default:
            *kind = "number";
            std::snprintf(number, sizeof number, "%.*f", static_cast<int>(Below(5)),
                          (static_cast<double>(Below(4000001)) - 2000000) / 100);
            return number;
        }
    }

    // The boxes the user can type into: the local value box and the value
    // boxes of the slots in use.
    int RandomBox()
    {
        const unsigned n = static_cast<unsigned>(model.ranges.size());
        const unsigned pick = Below(n + 1);
        return pick == n ? IDC_LOCAL_VALUE : IDC_SLOT_VALUE + static_cast<int>(pick);
    }

    bool FocusIsOnANumberBox() const
    {
        const HWND focus = GetFocus();
        if (focus == Item(IDC_LOCAL_VALUE))
            return true;
        for (int k = 0; k < static_cast<int>(model.ranges.size()); k++)
        {
            if (focus == Item(IDC_SLOT_VALUE + k))
                return true;
        }
        return false;
    }

    // As Focus, without bringing the window to the front again when it is
    // there already: under Wine that is a round trip to the X server.
    void MoveFocus(int id)
    {
        if (GetForegroundWindow() != window)
            SetForegroundWindow(window);
        SetFocus(Item(id));
        ASSERT_EQ(GetFocus(), Item(id)) << "focus did not reach control " << id;
    }

    void Click(int id)
    {
        ASSERT_TRUE(Enabled(id)) << "control " << id << " should be enabled";
        SendMessageA(Item(id), BM_CLICK, 0, 0);
    }

    // ----- the local value and the compressed values -----

    // A range's value: the local value's place in the main range, taken to
    // the range (the offset times the range's width, then divided by the
    // main range's).
    double Forward(size_t k) const
    {
        const ModelRange& r = model.ranges[k];
        return r.low +
               (model.local - model.mainLow) * (r.high - r.low) / (model.mainHigh - model.mainLow);
    }

    // The local value a range's value gives: the exact inverse of Forward.
    double Inverse(size_t k, double value) const
    {
        const ModelRange& r = model.ranges[k];
        return model.mainLow +
               (value - r.low) * (model.mainHigh - model.mainLow) / (r.high - r.low);
    }

    // A command brings the window up to date; a box it writes while the box
    // has the focus reads the display form back as its new value. Some
    // commands write the local value box, some the compressed value boxes.
    void ApplyRefresh(bool writesLocalBox, bool writesRowBoxes)
    {
        const HWND focus = GetFocus();
        if (writesLocalBox && focus == Item(IDC_LOCAL_VALUE))
            model.local = ReadBack(model.local);
        for (size_t k = 0; k < model.ranges.size(); k++)
        {
            if (writesRowBoxes && focus == Item(IDC_SLOT_VALUE + static_cast<int>(k)))
                model.local = Inverse(k, ReadBack(Forward(k)));
        }
    }

    // What typing leaves in a box becomes its value; a slot's value moves the
    // local value.
    void ApplyTyping(int id, const std::string& text)
    {
        const double value = BoxValue(text);
        if (id == IDC_LOCAL_VALUE)
            model.local = value;
        else
            model.local = Inverse(static_cast<size_t>(id - IDC_SLOT_VALUE), value);
    }

    // ----- the range dialog -----

    RangeTry UntouchedTry(int target) const
    {
        RangeTry t;
        if (target == MAIN_RANGE_TARGET)
        {
            t.lowValue = model.mainLow;
            t.highValue = model.mainHigh;
        }
        else if (target < static_cast<int>(model.ranges.size()))
        {
            t.lowValue = model.ranges[target].low;
            t.highValue = model.ranges[target].high;
        }
        return t; // a new range starts with empty boxes: 0 and 0
    }

    RangeTry FilledTry(bool accepted)
    {
        RangeTry t;
        t.fill = true;
        t.name = RandomName();
        double low = RandomBound();
        double high = RandomBound();
        if (accepted)
        {
            if (low == high)
                high = low + 0.25;
            if (low > high)
                std::swap(low, high);
        }
        else
        {
            switch (Below(4))
            {
            case 0: // equal
                high = low;
                break;
            case 1: // the wrong way round
                if (low == high)
                    high = low - 0.25;
                if (low < high)
                    std::swap(low, high);
                break;
            case 2: // both empty: both read as 0
                t.lowValue = t.highValue = 0;
                return t;
            default: // letters read as 0
                t.low = "abc";
                t.high = BoundText(-0.25 - static_cast<double>(Below(40)) / 4);
                t.lowValue = 0;
                t.highValue = ParseValue(t.high.c_str());
                return t;
            }
        }
        t.low = BoundText(low);
        t.high = BoundText(high);
        t.lowValue = low;
        t.highValue = high;
        return t;
    }

    RangePlan PlanRangeDialog(int target, std::string* what)
    {
        RangePlan plan;
        plan.target = target;
        const RangeTry untouched = UntouchedTry(target);
        // Leaving the boxes as they came only means something before the
        // first try has typed over them.
        bool first = true;
        if (Chance(25))
        {
            for (unsigned n = 1 + Below(2); n > 0; n--)
            {
                const bool leave = first && !untouched.Accepted() && Chance(40);
                plan.refused.push_back(leave ? untouched : FilledTry(false));
                first = false;
            }
        }
        const unsigned end = Below(100);
        plan.end = end < 55 ? RangeEnd::OK : end < 80 ? RangeEnd::CANCEL : RangeEnd::CLOSE_BUTTON;
        if (plan.end == RangeEnd::OK)
            plan.last = first && untouched.Accepted() && Chance(30) ? untouched : FilledTry(true);
        else if (Chance(50))
            plan.last = FilledTry(Chance(50));

        *what += " [" + std::to_string(plan.refused.size()) + " refused, then " +
                 (plan.end == RangeEnd::OK       ? "OK"
                  : plan.end == RangeEnd::CANCEL ? "Cancel"
                                                 : "close button") +
                 (plan.last.fill ? " with \"" + plan.last.low + "\" to \"" + plan.last.high + "\""
                                 : " untouched") +
                 "]";
        return plan;
    }

    static void FillRangeDialog(HWND dialog, int target, const RangeTry& t)
    {
        if (!t.fill)
            return;
        if (target != MAIN_RANGE_TARGET)
            SetDlgItemTextA(dialog, IDC_RANGE_NAME, t.name.c_str());
        SetDlgItemTextA(dialog, IDC_RANGE_LOW, t.low.c_str());
        SetDlgItemTextA(dialog, IDC_RANGE_HIGH, t.high.c_str());
    }

    static void TakeRangeStep(HWND dialog, const RangePlan& plan, size_t i)
    {
        if (i < plan.refused.size())
        {
            FillRangeDialog(dialog, plan.target, plan.refused[i]);
            PressButton(dialog, IDOK);
            return;
        }
        FillRangeDialog(dialog, plan.target, plan.last);
        if (plan.end == RangeEnd::OK)
            PressButton(dialog, IDOK);
        else if (plan.end == RangeEnd::CANCEL)
            PressButton(dialog, IDCANCEL);
        else
            PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    }

    // What the dialog must show when it opens, from the model.
    static void CheckRangeDialog(HWND dialog, const Model& m, int target)
    {
        EXPECT_EQ(WindowText(dialog), "Compressed Value Range");
        std::string name, low, high;
        if (target == MAIN_RANGE_TARGET)
        {
            name = "Main Range";
            low = Format(m.mainLow);
            high = Format(m.mainHigh);
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_RANGE_NAME)));
        }
        else
        {
            EXPECT_EQ(ItemText(dialog, IDC_RANGE_HELP), "Numbers entered should be between " +
                                                            Format(m.mainLow) + " and " +
                                                            Format(m.mainHigh));
            if (target < static_cast<int>(m.ranges.size()))
            {
                name = m.ranges[target].name;
                low = Format(m.ranges[target].low);
                high = Format(m.ranges[target].high);
            }
        }
        EXPECT_EQ(ItemText(dialog, IDC_RANGE_NAME), name) << "target " << target;
        EXPECT_EQ(ItemText(dialog, IDC_RANGE_LOW), low) << "target " << target;
        EXPECT_EQ(ItemText(dialog, IDC_RANGE_HIGH), high) << "target " << target;
    }

    void ExpectRangeDialog(const RangePlan& plan)
    {
        auto dialog = std::make_shared<HWND>(nullptr);
        const Model m = model;
        ExpectModal(
            [dialog, m, plan](HWND opened)
            {
                *dialog = opened;
                CheckRangeDialog(opened, m, plan.target);
                TakeRangeStep(opened, plan, 0);
            });
        for (size_t i = 0; i < plan.refused.size(); i++)
        {
            ExpectModal(
                [dialog, plan, i](HWND box)
                {
                    EXPECT_EQ(WindowText(box), "Error");
                    EXPECT_EQ(MessageBoxText(box), LOW_HIGH_ERROR);
                    EXPECT_EQ(GetWindow(box, GW_OWNER), *dialog);
                    PressButton(box, IDOK);
                    TakeRangeStep(*dialog, plan, i + 1);
                });
        }
    }

    void ApplyRangeDialog(const RangePlan& plan)
    {
        if (plan.end != RangeEnd::OK)
            return;
        const RangeTry& t = plan.last;
        if (plan.target == MAIN_RANGE_TARGET)
        {
            model.mainLow = t.lowValue;
            model.mainHigh = t.highValue;
        }
        else
        {
            const size_t k = static_cast<size_t>(plan.target);
            const std::string name =
                t.fill ? t.name.substr(0, TEXT_SIZE - 1) : model.ranges[k].name;
            const ModelRange range = {name, t.lowValue, t.highValue};
            if (k == model.ranges.size())
                model.ranges.push_back(range);
            else
                model.ranges[k] = range;
        }
        model.modified = true; // even when nothing changed
    }

    // ----- project files -----

    // A complete project file the program did not write: main range -5 to 5
    // and one range.
    void PutProjectFile(const char* name, bool readOnly)
    {
        ProjectState saved = {};
        saved.mainLow = -5;
        saved.mainHigh = 5;
        saved.localValue = 2.5;
        std::strcpy(saved.ranges[0].name, "Locked");
        saved.ranges[0].inUse = 1;
        saved.ranges[0].low = -1;
        saved.ranges[0].high = 1;
        std::vector<unsigned char> image(PROJECT_IMAGE_SIZE);
        EncodeState(saved, false, image.data());
        WriteBytes(Path(name), image);
        if (readOnly)
            SetFileAttributesA(Path(name).c_str(), FILE_ATTRIBUTE_READONLY);
        files[name] = {true, readOnly, -5, 5, 2.5, {{"Locked", -1, 1}}};
    }

    SavePlan PlanSave(std::string* what)
    {
        static const char* const NAMES[] = {"alpha", "beta", "gamma", "broken", "locked"};
        SavePlan plan;
        plan.cancel = Chance(20);
        if (plan.cancel)
        {
            *what += " [save: Cancel]";
            return plan;
        }
        const std::string base = NAMES[Below(std::size(NAMES))];
        plan.file = base + ".prj";
        plan.typed = Chance(50) ? base : plan.file;
        const auto known = files.find(plan.file);
        plan.exists = known != files.end();
        plan.replace = plan.exists && Chance(80);
        plan.readOnly = plan.exists && known->second.readOnly;
        *what += " [save as " + plan.typed +
                 (plan.exists ? plan.replace ? ", replace" : ", keep" : "") + "]";
        return plan;
    }

    void ExpectSave(const SavePlan& plan)
    {
        const std::string title = model.title;
        if (plan.cancel)
        {
            ExpectModal(
                [title](HWND dialog)
                {
                    EXPECT_EQ(ItemText(dialog, FILE_NAME_BOX), title)
                        << "prefilled with the project";
                    PressButton(dialog, IDCANCEL);
                });
            return;
        }
        ExpectModal(ChooseFile(Path(plan.typed.c_str()), &seenName));
        expectedSeenName = title;
        if (!plan.exists)
            return;
        if (!plan.replace)
        {
            ExpectModal(
                [](HWND box)
                {
                    PressButton(box, IDNO);
                    PressButton(GetWindow(box, GW_OWNER),
                                IDCANCEL); // No returns to the file dialog
                });
            return;
        }
        ExpectModal(ConfirmReplace());
        if (plan.readOnly)
            ExpectModal(AnswerMessageBox("Values", IDOK));
    }

    void ApplySave(const SavePlan& plan)
    {
        if (!plan.Saves())
            return;
        files[plan.file] = {true, false, model.mainLow, model.mainHigh, model.local, model.ranges};
        model.title = plan.file;
        model.modified = false;
    }

    // The question before an open, and what follows it. Returns whether the
    // open goes ahead.
    bool PlanQuestion(std::string* what)
    {
        if (!model.modified)
            return true;
        const unsigned answer = Below(3);
        if (answer == 0)
        {
            *what += " [question: Cancel]";
            ExpectModal(AnswerMessageBox("Save Data", IDCANCEL));
            return false;
        }
        if (answer == 1)
        {
            *what += " [question: No]";
            ExpectModal(AnswerMessageBox("Save Data", IDNO));
            return true;
        }
        *what += " [question: Yes]";
        ExpectModal(AnswerMessageBox("Save Data", IDYES));
        const SavePlan save = PlanSave(what);
        ExpectSave(save);
        ApplySave(save);
        // A save that did not happen stops the open.
        return save.Saves();
    }

    // ----- events -----

    const char* TypeEvent(std::string* what)
    {
        if (!FocusIsOnANumberBox())
        {
            const int id = RandomBox();
            *what += "focus " + std::to_string(id) + ", ";
            MoveFocus(id);
        }
        const int id = GetDlgCtrlID(GetFocus());
        const char* kind = "";
        const std::string typed = RandomTyping(&kind);
        *what += std::string("type ") + kind + " \"" + typed + "\" into " + std::to_string(id);
        const std::string before = Text(id);
        const std::string expected = TypedResult(typed, before);
        Type(id, typed.c_str());
        EXPECT_EQ(Text(id), expected) << "the box holds the admitted characters";
        // Keys the box refuses change nothing; an admitted key, or Backspace
        // over a text, changes the text and so the value.
        const bool changed = typed.empty() ? !before.empty() : !TypedResult(typed, "").empty();
        if (changed)
            ApplyTyping(id, expected);
        return kind;
    }

    void FocusEvent(std::string* what)
    {
        if (Chance(50) && GetFocus())
        {
            *what += "Tab";
            PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
            Pump();
            return;
        }
        const int id = RandomBox();
        *what += "focus " + std::to_string(id);
        MoveFocus(id);
    }

    void NewRangeEvent(std::string* what)
    {
        *what += "New, Compressed Value Range";
        if (model.ranges.size() == RANGE_SLOTS)
        {
            *what += " (all taken)";
            ExpectModal(
                [](HWND box)
                {
                    EXPECT_EQ(WindowText(box), "Values");
                    EXPECT_EQ(MessageBoxText(box), TOO_MANY_RANGES);
                    PressButton(box, IDOK);
                });
            Command(IDM_NEW_RANGE);
            return;
        }
        const RangePlan plan = PlanRangeDialog(static_cast<int>(model.ranges.size()), what);
        ExpectRangeDialog(plan);
        Command(IDM_NEW_RANGE);
        ApplyRangeDialog(plan);
        ApplyRefresh(true, true);
    }

    void EditRangeEvent(std::string* what)
    {
        const int k = static_cast<int>(Below(static_cast<unsigned>(model.ranges.size())));
        *what += "edit button " + std::to_string(k);
        const RangePlan plan = PlanRangeDialog(k, what);
        ExpectRangeDialog(plan);
        Click(IDC_SLOT_EDIT + k);
        ApplyRangeDialog(plan);
        ApplyRefresh(false, true);
    }

    void DeleteRangeEvent(std::string* what)
    {
        const int k = static_cast<int>(Below(static_cast<unsigned>(model.ranges.size())));
        *what += "delete button " + std::to_string(k);
        Click(IDC_SLOT_DELETE + k);
        model.ranges.erase(model.ranges.begin() + k);
        ApplyRefresh(true, true);
    }

    void MainRangeEvent(std::string* what)
    {
        *what += "New, Main Value Range";
        const RangePlan plan = PlanRangeDialog(MAIN_RANGE_TARGET, what);
        ExpectRangeDialog(plan);
        Command(IDM_NEW_MAIN);
        ApplyRangeDialog(plan);
        ApplyRefresh(true, true);
    }

    void KeepOnTopEvent(std::string* what)
    {
        *what += "Keep on Top";
        Click(IDC_KEEP_ON_TOP);
        model.keepOnTop = !model.keepOnTop;
    }

    void SaveEvent(std::string* what)
    {
        *what += "Save Project";
        const SavePlan plan = PlanSave(what);
        ExpectSave(plan);
        Command(IDM_SAVE_PROJECT);
        ApplySave(plan);
        ApplyRefresh(true, false);
    }

    void OpenEvent(std::string* what)
    {
        *what += "Open Project";
        if (!PlanQuestion(what))
        {
            Command(IDM_OPEN_PROJECT);
            return;
        }
        const std::string title = model.title;
        if (Chance(20))
        {
            *what += " [open: Cancel]";
            ExpectModal(
                [title](HWND dialog)
                {
                    EXPECT_EQ(ItemText(dialog, FILE_NAME_BOX), title)
                        << "prefilled with the project";
                    PressButton(dialog, IDCANCEL);
                });
            Command(IDM_OPEN_PROJECT);
            ApplyRefresh(true, true);
            return;
        }
        auto chosen = files.begin();
        std::advance(chosen, Below(static_cast<unsigned>(files.size())));
        *what += " [open " + chosen->first + "]";
        ExpectModal(ChooseFile(Path(chosen->first.c_str()), &seenName));
        expectedSeenName = title;
        if (!chosen->second.readable)
            ExpectModal(AnswerMessageBox("Values", IDOK));
        Command(IDM_OPEN_PROJECT);
        if (chosen->second.readable)
        {
            model.mainLow = chosen->second.mainLow;
            model.mainHigh = chosen->second.mainHigh;
            model.local = chosen->second.local;
            model.ranges = chosen->second.ranges;
            model.title = chosen->first;
        }
        ApplyRefresh(true, true);
    }

    // A close the user calls off, with unsaved changes: the question is
    // answered Cancel, or Yes and then the save does not happen.
    void CloseEvent(std::string* what)
    {
        const unsigned how = Below(3);
        *what += how == 0 ? "close" : how == 1 ? "Esc" : "File, Exit";
        const unsigned answer = Below(3);
        if (answer == 0)
        {
            *what += " [question: Cancel]";
            ExpectModal(AnswerMessageBox("Save Data", IDCANCEL));
        }
        else
        {
            ExpectModal(AnswerMessageBox("Save Data", IDYES));
            SavePlan plan;
            if (answer == 2)
            {
                *what += " [question: Yes, save onto the read-only file]";
                plan = {false, "locked.prj", "locked.prj", true, true, true};
            }
            else
            {
                *what += " [question: Yes, save: Cancel]";
            }
            ExpectSave(plan);
        }
        if (how == 1 && GetFocus())
        {
            PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
            Pump();
        }
        else if (how == 2)
        {
            Command(IDM_EXIT);
        }
        else
        {
            SendMessageA(window, WM_CLOSE, 0, 0);
        }
    }

    // One event, chosen by weight among those that make sense now; returns
    // its kind. Dialogs cost Wine tens of milliseconds to make and file
    // dialogs over a hundred, keystrokes about one: the weights keep every
    // kind of event in each run while the run stays short.
    const char* RunRandomEvent(std::string* what)
    {
        unsigned pick = Below(1000);
        if (model.ranges.empty() && pick >= 907 && pick < 943)
            pick = 943; // nothing to edit or delete: a new range instead
        if (!model.modified && pick >= 996)
            pick = 990; // nothing to call off: an open instead
        if (pick < 540)
            return TypeEvent(what);
        if (pick < 887)
        {
            FocusEvent(what);
            return "focus";
        }
        if (pick < 907)
        {
            KeepOnTopEvent(what);
            return "keep on top";
        }
        if (pick < 927)
        {
            DeleteRangeEvent(what);
            return "delete range";
        }
        if (pick < 943)
        {
            EditRangeEvent(what);
            return "edit range";
        }
        if (pick < 967)
        {
            NewRangeEvent(what);
            return "new range";
        }
        if (pick < 977)
        {
            MainRangeEvent(what);
            return "main range";
        }
        if (pick < 986)
        {
            SaveEvent(what);
            return "save";
        }
        if (pick < 996)
        {
            OpenEvent(what);
            return "open";
        }
        CloseEvent(what);
        return "close called off";
    }

    // ----- the checks after every event -----

    static bool NoOtherWindowShown()
    {
        OtherWindows search = {mainWindow, 0};
        EnumThreadWindows(GetCurrentThreadId(), CountOtherWindows,
                          reinterpret_cast<LPARAM>(&search));
        return search.count == 0;
    }

    void CheckWindow()
    {
        ASSERT_TRUE(IsWindow(window)) << "the window is still open";
        EXPECT_TRUE(IsWindowEnabled(window)) << "the main window is enabled";
        EXPECT_TRUE(NoOtherWindowShown()) << "a modal window was left open";

        EXPECT_EQ(project.modified, model.modified);
        EXPECT_EQ(project.projectTitle, model.title);
        EXPECT_EQ(Text(IDC_PROJECT_NAME), ProjectLabel(model.title));
        if (!model.title.empty())
        {
            EXPECT_EQ(project.projectDir, folder);
        }

        EXPECT_EQ(project.mainLow, model.mainLow);
        EXPECT_EQ(project.mainHigh, model.mainHigh);
        EXPECT_EQ(Text(IDC_MAIN_RANGE), Format(model.mainLow) + " to " + Format(model.mainHigh));

        EXPECT_EQ(IsDlgButtonChecked(window, IDC_KEEP_ON_TOP) == BST_CHECKED, model.keepOnTop);
        EXPECT_EQ((GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, model.keepOnTop);
        EXPECT_EQ(windowSettings.flags, model.keepOnTop ? KEEP_ON_TOP : 0u);

        // The keyboard focus is never lost, nor left on a disabled control,
        // while the window is in front: Tab and Esc would do nothing.
        const HWND focus = GetFocus();
        if (GetActiveWindow() == window)
        {
            EXPECT_TRUE(focus && IsChild(window, focus) && IsWindowEnabled(focus))
                << "the keyboard focus is lost";
        }

        // A box with the focus shows either the display form of its value
        // (the focus has just come to it, or the program wrote it) or the
        // text its value was read from.
        EXPECT_TRUE(Same(project.localValue, model.local))
            << "the local value is " << project.localValue << ", not " << model.local;
        const std::string local = Text(IDC_LOCAL_VALUE);
        if (focus == Item(IDC_LOCAL_VALUE))
        {
            EXPECT_TRUE(local == Format(model.local) || Same(model.local, BoxValue(local)))
                << "the focused local value box shows \"" << local << "\" for " << model.local;
        }
        else
        {
            EXPECT_EQ(local, Format(model.local));
        }

        for (int k = 0; k < RANGE_SLOTS; k++)
        {
            SCOPED_TRACE("slot " + std::to_string(k));
            const CompressedRange& r = project.ranges[k];
            const bool used = k < static_cast<int>(model.ranges.size());
            EXPECT_EQ(r.inUse != 0, used) << "slots in use, without gaps";
            for (int id : {IDC_SLOT_NAME, IDC_SLOT_VALUE, IDC_SLOT_EDIT, IDC_SLOT_DELETE})
                EXPECT_EQ(Enabled(id + k), used) << "control " << id + k;
            const std::string shown = Text(IDC_SLOT_VALUE + k);
            if (!used)
            {
                EXPECT_EQ(Text(IDC_SLOT_NAME + k), "empty");
                EXPECT_EQ(shown, "");
                continue;
            }
            const ModelRange& m = model.ranges[k];
            EXPECT_EQ(r.name, m.name);
            EXPECT_EQ(Text(IDC_SLOT_NAME + k), m.name);
            EXPECT_EQ(r.low, m.low);
            EXPECT_EQ(r.high, m.high);
            // Every slot follows the local value, a typed one included.
            const double value = Forward(static_cast<size_t>(k));
            EXPECT_TRUE(Same(r.value, value)) << "value " << r.value << ", not " << value;
            if (focus == Item(IDC_SLOT_VALUE + k))
            {
                EXPECT_TRUE(shown == Format(value) ||
                            Same(model.local, Inverse(static_cast<size_t>(k), BoxValue(shown))))
                    << "the focused box shows \"" << shown << "\"; the local value is "
                    << model.local;
            }
            else
            {
                EXPECT_EQ(shown, Format(value));
            }
        }
    }

    // A state file to start from, half the time, so some runs begin with a
    // main range and ranges and others with the empty first run.
    void StartingState()
    {
        if (Chance(50))
            return;
        model.mainLow = RandomBound();
        model.mainHigh = model.mainLow + 0.25 + Below(400) / 4.0;
        for (unsigned n = Below(4); n > 0; n--)
        {
            ModelRange r = {RandomName().substr(0, TEXT_SIZE - 1), RandomBound(), 0};
            r.high = r.low + 0.25 + Below(100);
            model.ranges.push_back(r);
        }
        project.mainLow = model.mainLow;
        project.mainHigh = model.mainHigh;
        model.local = model.mainLow;
        project.localValue = model.local;
        for (size_t k = 0; k < model.ranges.size(); k++)
            PutRange(static_cast<int>(k), model.ranges[k].name.c_str(), model.ranges[k].low,
                     model.ranges[k].high);
        WriteStateFile(Path("Values.dat"));
        std::memset(&project, 0, sizeof project);
    }

    std::mt19937 random;
    Model model;
    std::map<std::string, ProjectFile> files;
    std::string seenName;         // what the last file dialog was prefilled with
    std::string expectedSeenName; // and what it should have been
};

TEST_P(Soak, RandomEventsKeepTheWindowConsistent)
{
    const unsigned seed = GetParam();
    const int events = SoakEvents();
    StartingState();
    PutProjectFile("locked.prj", true);
    WriteBytes(Path("broken.prj"), std::vector<unsigned char>(100, 0x42));
    files["broken.prj"] = {false, false, 0, 0, 0, {}};
    Open();
    // The first fill writes the focused local value box, which reads it back.
    ApplyRefresh(true, false);
    CheckWindow();
    ASSERT_FALSE(HasFailure()) << "seed " << seed << ": the window does not start as expected";

    std::deque<std::string> recent; // the events that led to a failure
    std::map<std::string, int> counts;
    const DWORD start = GetTickCount();
    for (int n = 0; n < events; n++)
    {
        std::string what;
        StartModalDriver();
        seenName = expectedSeenName = "";
        counts[RunRandomEvent(&what)]++;
        Pump();
        EXPECT_EQ(StopModalDriver(), 0) << "a modal window nobody expected";
        EXPECT_EQ(StepsLeft(), 0) << "an expected modal window never came";
        EXPECT_EQ(seenName, expectedSeenName) << "the file dialog's prefilled name";

        recent.push_back("#" + std::to_string(n) + " " + what);
        if (recent.size() > 12)
            recent.pop_front();
        CheckWindow();
        if (HasFailure())
        {
            std::string history;
            for (const std::string& line : recent)
                history += "\n  " + line;
            FAIL() << "soak seed " << seed << " failed at event " << n
                   << " (rerun with VALUES_SOAK_SEED=" << seed << "); the last events:" << history;
        }
    }

    // The real close: the state file holds what the model holds.
    StartModalDriver();
    if (model.modified)
        ExpectModal(AnswerMessageBox("Save Data", IDNO));
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(StopModalDriver(), 0);
    EXPECT_FALSE(IsWindow(window));
    const std::vector<unsigned char> image = ReadBytes(Path("Values.dat"));
    ProjectState saved = {};
    ASSERT_EQ(DecodeState(image.data(), image.size(), true, saved), 1) << "seed " << seed;
    EXPECT_EQ(saved.mainLow, model.mainLow);
    EXPECT_EQ(saved.mainHigh, model.mainHigh);
    EXPECT_TRUE(Same(saved.localValue, model.local)) << "seed " << seed;
    for (int k = 0; k < RANGE_SLOTS; k++)
    {
        const bool used = k < static_cast<int>(model.ranges.size());
        EXPECT_EQ(saved.ranges[k].inUse, used ? 1 : 0) << "seed " << seed << ", slot " << k;
        if (used)
        {
            EXPECT_EQ(saved.ranges[k].name, model.ranges[k].name) << "seed " << seed;
        }
    }
    const std::vector<unsigned char> settings = ReadBytes(Path("Values.ini"));
    ASSERT_EQ(settings.size(), WINDOW_SETTINGS_SIZE);
    EXPECT_EQ(settings[8], model.keepOnTop ? 1 : 0) << "seed " << seed;

    std::string tally;
    for (const auto& count : counts)
        tally += " " + count.first + " " + std::to_string(count.second) + ",";
    std::printf("soak seed %u: %d events in %lu ms:%s\n", seed, events,
                static_cast<unsigned long>(GetTickCount() - start), tally.c_str());
}

INSTANTIATE_TEST_SUITE_P(Seeds, Soak, ::testing::ValuesIn(SoakSeeds()));

} // namespace
