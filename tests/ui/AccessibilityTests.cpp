// What a screen reader hears, the keyboard, the tooltips and the colours of
// both windows, read the way a user's tools read them: names through oleacc,
// real key and mouse events, and the pixels drawn.
#include "MainWindowFixture.h"
#include "ModalDriver.h"
#include "Reader.h"

#include "ProjectState.h"
#include "StateFile.h"
#include "LabelColours.h"
#include "MainWindow.h"
#include "resource.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <oleacc.h>
#include <servprov.h>

#include <cctype>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace
{

bool IsBold(HWND label)
{
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfWeight >= FW_BOLD;
}

// The description changes of the test's own windows, as a screen reader
// hears of them.
std::vector<HWND> describedAnew;
void CALLBACK DescriptionChanged(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                                 DWORD)
{
    if (object == OBJID_CLIENT && child == CHILDID_SELF)
        describedAnew.push_back(window);
}

class Accessibility : public InUseWindowTest
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        InUseWindowTest::SetUp();
    }

    void TearDown() override
    {
        InUseWindowTest::TearDown();
        CoUninitialize();
    }

    // The rows in use hold these names, in order; the rest are empty.
    void ExpectRowsHeard(const std::vector<std::string>& names) const
    {
        for (int k = 0; k < RANGE_SLOTS; k++)
        {
            SCOPED_TRACE("row " + std::to_string(k));
            const bool used = k < static_cast<int>(names.size());
            EXPECT_EQ(Heard(Item(IDC_SLOT_VALUE + k)), used ? names[k] : "empty");
            EXPECT_EQ(Heard(Item(IDC_SLOT_EDIT + k)), "Edit " + (used ? names[k] : "empty row"));
            EXPECT_EQ(Heard(Item(IDC_SLOT_DELETE + k)),
                      "Delete " + (used ? names[k] : "empty row"));
        }
    }

    // The tooltip of the row buttons, found as the user meets it: the mouse
    // rests on a button until a tip shows.
    HWND TooltipShownOver(HWND button) const
    {
        RECT rect;
        GetWindowRect(button, &rect);
        const int x = (rect.left + rect.right) / 2;
        const int y = (rect.top + rect.bottom) / 2;
        INPUT move = {};
        move.type = INPUT_MOUSE;
        move.mi.dx =
            (x * 65536 + GetSystemMetrics(SM_CXSCREEN) - 1) / GetSystemMetrics(SM_CXSCREEN);
        move.mi.dy =
            (y * 65536 + GetSystemMetrics(SM_CYSCREEN) - 1) / GetSystemMetrics(SM_CYSCREEN);
        move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &move, sizeof move);
        for (int i = 0; i < 100; i++, Sleep(50))
        {
            Pump();
            for (HWND top = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr); top;
                 top = FindWindowExA(nullptr, top, TOOLTIPS_CLASSA, nullptr))
            {
                if (GetWindowThreadProcessId(top, nullptr) == GetCurrentThreadId() &&
                    IsWindowVisible(top))
                    return top;
            }
        }
        return nullptr;
    }

    // A project file of ranges with these names.
    std::string SaveProject(const char* file, const std::vector<const char*>& names) const
    {
        const ProjectState mine = project;
        std::memset(&project, 0, sizeof project);
        project.mainHigh = 10;
        for (size_t k = 0; k < names.size(); k++)
            PutRange(static_cast<int>(k), names[k], 0, 1);
        const std::string path = Path(file);
        EXPECT_EQ(SaveState(path.c_str()), 1);
        project = mine;
        return path;
    }
};

TEST_F(Accessibility, EveryBoxAndButtonIsHeardByItsOwnName)
{
    EXPECT_EQ(Heard(Item(IDC_LOCAL_VALUE)), "Local Value");
    EXPECT_EQ(Heard(Item(IDC_KEEP_ON_TOP)), "Keep on Top");
    ExpectRowsHeard({"Alpha", "Beta"});

    ExpectModal(
        [](HWND dialog)
        {
            EXPECT_EQ(Heard(GetDlgItem(dialog, IDC_RANGE_NAME)), "Name of Range:");
            EXPECT_EQ(Heard(GetDlgItem(dialog, IDC_RANGE_LOW)), "Low Value:");
            EXPECT_EQ(Heard(GetDlgItem(dialog, IDC_RANGE_HIGH)), "High Value:");
            PressButton(dialog, IDCANCEL);
        });
    Command(IDM_NEW_RANGE);

    Command(IDC_SLOT_DELETE);
    {
        SCOPED_TRACE("after a delete");
        ExpectRowsHeard({"Beta"});
    }

    ExpectModal(ChooseFile(SaveProject("other.prj", {"Speed", "Depth", "Width"})));
    Command(IDM_OPEN_PROJECT);
    {
        SCOPED_TRACE("after an open");
        ExpectRowsHeard({"Speed", "Depth", "Width"});
    }
}

// An ampersand in a range's name is part of the name: the row buttons say
// it, and it is no access key that would press one of them.
TEST_F(Accessibility, AnAmpersandInANameIsNoAccessKey)
{
    PutRange(0, "R&D", 0, 1);
    RefreshWindow();
    EXPECT_EQ(Heard(Item(IDC_SLOT_EDIT)), "Edit R&D");
    EXPECT_EQ(Heard(Item(IDC_SLOT_DELETE)), "Delete R&D");
    EXPECT_EQ(Text(IDC_SLOT_NAME), "R&D");
    // Alt+D presses neither button: no range dialog opens (the modal driver
    // would report it), and nothing is deleted. The dialog manager looks for
    // the letter from the focus on, so the buttons come before the label.
    Focus(IDC_SLOT_VALUE);
    PressKey('D', VK_MENU);
    Pump();
    EXPECT_STREQ(project.ranges[0].name, "R&D");
    EXPECT_TRUE(project.ranges[0].inUse);
}

// The letters a window's texts mark as access keys, menu titles included.
std::string AccessKeys(HWND window)
{
    std::vector<std::string> texts;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        texts.push_back(WindowText(child));
    HMENU menu = GetMenu(window);
    for (int i = 0; menu && i < GetMenuItemCount(menu); i++)
    {
        char title[64] = {};
        GetMenuStringA(menu, i, title, sizeof title, MF_BYPOSITION);
        texts.push_back(title);
    }
    std::string keys;
    for (const std::string& text : texts)
    {
        for (size_t i = 0; i + 1 < text.size(); i++)
        {
            if (text[i] == '&' && text[i + 1] == '&')
                i++;
            else if (text[i] == '&')
                keys += static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
        }
    }
    return keys;
}

// Where the focus went after each access key of the range dialog, pressed
// in turn by real key events from a timer, so that the dialog's own loop
// handles each key before the next is pressed.
const char* rangeKeysLeft;
std::vector<int> focusAfterKeys;

void CALLBACK PressNextRangeKey(HWND dialog, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(dialog, timer);
    focusAfterKeys.push_back(GetDlgCtrlID(GetFocus()));
    if (!*rangeKeysLeft)
    {
        PressButton(dialog, IDCANCEL);
        return;
    }
    PressKey(static_cast<WORD>(*rangeKeysLeft++), VK_MENU);
    SetTimer(dialog, timer, 100, PressNextRangeKey);
}

TEST_F(Accessibility, AccessKeysMoveTheFocusToTheirBoxes)
{
    EXPECT_EQ(AccessKeys(window), "LFN") << "Local Value, and the menus File and New";
    Focus(IDC_KEEP_ON_TOP);
    PressKey('L', VK_MENU);
    Pump();
    EXPECT_EQ(GetFocus(), Item(IDC_LOCAL_VALUE));

    ExpectModal(
        [](HWND dialog)
        {
            EXPECT_EQ(AccessKeys(dialog), "NLH");
            rangeKeysLeft = "LHN";
            focusAfterKeys.clear();
            SetForegroundWindow(dialog);
            SetTimer(dialog, 1, 0, PressNextRangeKey);
        });
    Command(IDM_NEW_RANGE);
    const std::vector<int> expected = {IDC_RANGE_NAME, IDC_RANGE_LOW, IDC_RANGE_HIGH,
                                       IDC_RANGE_NAME};
    EXPECT_EQ(focusAfterKeys, expected) << "the name box first, then after Alt+L, Alt+H, Alt+N";
}

// Space on a focused cross deletes its range by real key events. While the
// row still holds a range (the next one moved up) the focus stays; once the
// last range is gone, it moves on to the next tab stop, and Tab and Esc go
// on working.
TEST_F(Accessibility, TheFocusMovesOnWhenItsRowEmpties)
{
    project.modified = true;
    Focus(IDC_SLOT_DELETE);
    PressKey(VK_SPACE);
    Pump();
    EXPECT_STREQ(project.ranges[0].name, "Beta");
    EXPECT_EQ(GetFocus(), Item(IDC_SLOT_DELETE)) << "the row holds Beta now";

    PressKey(VK_SPACE);
    Pump();
    EXPECT_FALSE(project.ranges[0].inUse) << "the last range is deleted";
    EXPECT_FALSE(Enabled(IDC_SLOT_DELETE));
    EXPECT_EQ(GetFocus(), Item(IDC_KEEP_ON_TOP)) << "the next enabled tab stop";

    PressKey(VK_TAB);
    Pump();
    EXPECT_EQ(GetFocus(), Item(IDC_LOCAL_VALUE)) << "Tab goes round";

    ExpectModal(AnswerMessageBox("Save Data", IDNO));
    PressKey(VK_ESCAPE);
    Pump();
    EXPECT_FALSE(IsWindow(window)) << "Esc closed the window after its question";
}

TEST_F(Accessibility, OpenProjectMovesTheFocusOutOfARowItEmpties)
{
    Focus(IDC_SLOT_VALUE + 1);
    ExpectModal(ChooseFile(SaveProject("one.prj", {"Speed"})));
    Command(IDM_OPEN_PROJECT);
    EXPECT_FALSE(Enabled(IDC_SLOT_VALUE + 1));
    EXPECT_EQ(GetFocus(), Item(IDC_SLOT_EDIT)) << "the next enabled tab stop";
}

// A place on the screen away from every window the tests open.
void MoveMouseAway()
{
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
}

std::string TipText(HWND tips, HWND button)
{
    char text[300] = {};
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = GetParent(button);
    tool.uId = reinterpret_cast<UINT_PTR>(button);
    tool.lpszText = text;
    SendMessageA(tips, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    return text;
}

TEST_F(Accessibility, TooltipsShowTheButtonsNames)
{
    Focus(IDC_LOCAL_VALUE);
    HWND tips = TooltipShownOver(Item(IDC_SLOT_DELETE + 1));
    MoveMouseAway();
    ASSERT_TRUE(tips) << "no tip showed over Beta's cross";
    TOOLINFOA current = {};
    current.cbSize = sizeof current;
    ASSERT_TRUE(SendMessageA(tips, TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(&current)));
    EXPECT_EQ(current.uId, reinterpret_cast<UINT_PTR>(Item(IDC_SLOT_DELETE + 1)));
    EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 2 * RANGE_SLOTS) << "one per row button";

    // The tooltip window does not keep the main window from the top.
    SendMessageA(Item(IDC_KEEP_ON_TOP), BM_CLICK, 0, 0);
    EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) << "Keep on Top";

    const auto expectTips = [&](const std::vector<std::string>& names)
    {
        for (int k = 0; k < RANGE_SLOTS; k++)
        {
            const std::string range = k < static_cast<int>(names.size()) ? names[k] : "empty row";
            EXPECT_EQ(TipText(tips, Item(IDC_SLOT_EDIT + k)), "Edit " + range);
            EXPECT_EQ(TipText(tips, Item(IDC_SLOT_DELETE + k)), "Delete " + range);
        }
    };
    expectTips({"Alpha", "Beta"});

    ExpectModal(
        [](HWND dialog)
        {
            SetDlgItemTextA(dialog, IDC_RANGE_NAME, "Gamma");
            PressButton(dialog, IDOK);
        });
    Command(IDC_SLOT_EDIT + 1);
    {
        SCOPED_TRACE("after an edit");
        expectTips({"Alpha", "Gamma"});
    }
    Command(IDC_SLOT_DELETE);
    {
        SCOPED_TRACE("after a delete");
        expectTips({"Gamma"});
    }
}

// The pixels of a control as it is drawn on the screen now.
std::vector<COLORREF> Pixels(HWND control)
{
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT client;
    GetClientRect(control, &client);
    std::vector<COLORREF> pixels;
    HDC dc = GetDC(control);
    for (int y = 0; y < client.bottom; y++)
    {
        for (int x = 0; x < client.right; x++)
            pixels.push_back(GetPixel(dc, x, y));
    }
    ReleaseDC(control, dc);
    return pixels;
}

TEST_F(Accessibility, ARowButtonsNameIsNotDrawn)
{
    for (int id : {IDC_SLOT_EDIT, IDC_SLOT_DELETE + 1})
    {
        SCOPED_TRACE(id);
        const std::string name = Text(id);
        ASSERT_NE(name, "");
        const std::vector<COLORREF> named = Pixels(Item(id));
        SetDlgItemTextA(window, id, "");
        EXPECT_EQ(Pixels(Item(id)), named);
        SetDlgItemTextA(window, id, name.c_str());
    }
}

// A warning is seen without its colour and heard: while the Local Value
// label warns it is bold, the box after it is described, and each change is
// announced as the user types. The name labels and the range dialog's bound
// labels do the same with their own boxes.
TEST_F(Accessibility, AWarningIsBoldAndDescribedWhileItLasts)
{
    HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_DESCRIPTIONCHANGE, EVENT_OBJECT_DESCRIPTIONCHANGE, nullptr,
                        DescriptionChanged, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_TRUE(hook);
    describedAnew.clear();
    Focus(IDC_LOCAL_VALUE);
    const struct
    {
        const char* typed;
        bool warns;
    } steps[] = {{"50", false}, {"150", true}, {"60", false}};
    for (const auto& step : steps)
    {
        SCOPED_TRACE(step.typed);
        Type(IDC_LOCAL_VALUE, step.typed);
        Pump();
        EXPECT_EQ(IsBold(Item(IDC_LOCAL_LABEL)), step.warns);
        EXPECT_EQ(Described(Item(IDC_LOCAL_VALUE)), step.warns ? "Outside the main range" : "");
    }
    EXPECT_EQ(describedAnew, std::vector<HWND>(2, Item(IDC_LOCAL_VALUE))) << "warns, then not";
    UnhookWinEvent(hook);

    PutRange(1, "Beta", 0, 200);
    RefreshWindow();
    EXPECT_TRUE(IsBold(Item(IDC_SLOT_NAME + 1)));
    EXPECT_EQ(Described(Item(IDC_SLOT_VALUE + 1)), "Range reaches outside the main range");
    EXPECT_EQ(Described(Item(IDC_SLOT_VALUE)), "");
    ExpectModal(
        [](HWND dialog)
        {
            SetDlgItemTextA(dialog, IDC_RANGE_HIGH, "150");
            EXPECT_TRUE(IsBold(GetDlgItem(dialog, IDC_HIGH_LABEL)));
            EXPECT_FALSE(IsBold(GetDlgItem(dialog, IDC_LOW_LABEL)));
            EXPECT_EQ(Described(GetDlgItem(dialog, IDC_RANGE_HIGH)), "Outside the main range");
            EXPECT_EQ(Described(GetDlgItem(dialog, IDC_RANGE_LOW)), "");
            PressButton(dialog, IDCANCEL);
        });
    Command(IDC_SLOT_EDIT);
}

// The object a warning box hands a screen reader answers as the standard
// one does, with the box's window and its services, and as one object:
// whatever it hands out is itself, and gives no way past the description.
IUnknown* Identity(IUnknown* object)
{
    IUnknown* identity = nullptr;
    object->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&identity));
    if (identity)
        identity->Release();
    return identity;
}

TEST_F(Accessibility, AWarningBoxAnswersAsTheStandardObjectAndAsOneObject)
{
    // The service with which oleacc's standard objects answer as themselves.
    const GUID isOleaccProxy = {
        0x902697fa, 0x80e4, 0x4560, {0x80, 0x2a, 0xa1, 0x3f, 0x22, 0xa6, 0x47, 0x09}};
    IAccessible* box = nullptr;
    ASSERT_TRUE(SUCCEEDED(AccessibleObjectFromWindow(Item(IDC_LOCAL_VALUE), OBJID_CLIENT,
                                                     __uuidof(IAccessible),
                                                     reinterpret_cast<void**>(&box))));
    EXPECT_EQ(box->QueryInterface(__uuidof(IAccessible), nullptr), E_POINTER);
    IOleWindow* window = nullptr;
    IServiceProvider* services = nullptr;
    IUnknown* served = nullptr;
    ASSERT_EQ(box->QueryInterface(__uuidof(IOleWindow), reinterpret_cast<void**>(&window)), S_OK);
    ASSERT_EQ(box->QueryInterface(__uuidof(IServiceProvider), reinterpret_cast<void**>(&services)),
              S_OK);
    ASSERT_EQ(services->QueryService(isOleaccProxy, __uuidof(IUnknown),
                                     reinterpret_cast<void**>(&served)),
              S_OK);
    HWND shown = nullptr;
    EXPECT_EQ(window->GetWindow(&shown), S_OK);
    EXPECT_EQ(shown, Item(IDC_LOCAL_VALUE));
    for (IUnknown* handed :
         {static_cast<IUnknown*>(window), static_cast<IUnknown*>(services), served})
        EXPECT_EQ(Identity(handed), Identity(box));
    served->Release();
    services->Release();
    window->Release();
    box->Release();
}

// Seen without colour: each pixel of the label taken as ink or background,
// the warning still differs from the normal state.
TEST_F(Accessibility, AWarningDiffersWithoutItsColour)
{
    const auto ink = [this]
    {
        std::vector<bool> inked;
        for (COLORREF pixel : Pixels(Item(IDC_LOCAL_LABEL)))
            inked.push_back(pixel != GetSysColor(COLOR_BTNFACE));
        return inked;
    };
    const std::vector<bool> normal = ink();
    Focus(IDC_LOCAL_VALUE);
    Type(IDC_LOCAL_VALUE, "150");
    Pump();
    const std::vector<bool> warning = ink();
    EXPECT_NE(warning, normal);
    Type(IDC_LOCAL_VALUE, "50");
    Pump();
    EXPECT_EQ(ink(), normal);
}

// The button face, the text on it, and the highlight pair of a theme. The
// system's own are put back after each test.
class SystemColours : public InUseWindowTest
{
  protected:
    static constexpr int CHANGED[4] = {COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_HIGHLIGHT,
                                       COLOR_HIGHLIGHTTEXT};

    void SetUp() override
    {
        InUseWindowTest::SetUp();
        for (int i = 0; i < 4; i++)
            saved[i] = GetSysColor(CHANGED[i]);
    }

    void TearDown() override
    {
        SetSysColors(4, CHANGED, saved);
        InUseWindowTest::TearDown();
    }

    // The window learns of the change as from the system. Wine does not keep
    // the high-contrast setting (SPI_SETHIGHCONTRAST fails there), so with
    // highContrast the colour choice is told that it is on.
    void UseColours(COLORREF face, COLORREF text, COLORREF highlight, COLORREF highlightText,
                    bool highContrast)
    {
        const COLORREF colours[4] = {face, text, highlight, highlightText};
        ASSERT_TRUE(SetSysColors(4, CHANGED, colours));
        if (highContrast)
            ChooseLabelColours(true);
        Pump();
    }

    COLORREF saved[4];
};

// How many of a control's pixels have the ink colour, and whether the rest
// is the background; a text drawn in its background's colour has no ink.
void ExpectDrawn(HWND control, COLORREF ink, COLORREF background)
{
    std::map<COLORREF, int> count;
    const std::vector<COLORREF> pixels = Pixels(control);
    for (COLORREF pixel : pixels)
        count[pixel]++;
    EXPECT_GE(count[ink], 5) << "text in " << std::hex << ink << " on " << background;
    EXPECT_GE(count[background] * 2, static_cast<int>(pixels.size()))
        << "background " << std::hex << background;
}

constexpr COLORREF BLACK = RGB(0, 0, 0);
constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF RED = RGB(255, 0, 0);
constexpr COLORREF CYAN = RGB(26, 235, 255);
constexpr COLORREF PURPLE = RGB(55, 0, 110);

TEST_F(SystemColours, LabelsAreDrawnInTheSystemsColours)
{
    std::strcpy(project.projectTitle, "budget.prj");
    PutRange(2, "Wide", -10, 10); // sticks out of the main range: its name warns
    RefreshWindow();

    // A dark theme: light text on a black button face, and a new brush.
    UseColours(BLACK, WHITE, CYAN, BLACK, false);
    LOGBRUSH brush = {};
    GetObjectA(Background(IDC_SLOT_NAME), sizeof brush, &brush);
    EXPECT_EQ(brush.lbColor, BLACK);
    ExpectDrawn(Item(IDC_LOCAL_LABEL), WHITE, BLACK);
    ExpectDrawn(Item(IDC_SLOT_NAME), WHITE, BLACK);
    ExpectDrawn(Item(IDC_MAIN_RANGE), WHITE, BLACK);
    ExpectDrawn(Item(IDC_SLOT_NAME + 2), RED, BLACK);
    ExpectModal(
        [](HWND dialog)
        {
            ExpectDrawn(GetDlgItem(dialog, IDC_LOW_LABEL), WHITE, BLACK);
            ExpectDrawn(GetDlgItem(dialog, IDC_RANGE_HELP), WHITE, BLACK);
            PressButton(dialog, IDCANCEL);
        });
    Command(IDM_NEW_RANGE);

    // High contrast on black: the project name takes the theme's text
    // colour; red can be read on black, and stays.
    UseColours(BLACK, WHITE, CYAN, BLACK, true);
    ExpectDrawn(Item(IDC_PROJECT_NAME), WHITE, BLACK);
    ExpectDrawn(Item(IDC_SLOT_NAME + 2), RED, BLACK);

    // High contrast on white: red is too faint there, and the warning is
    // shown as the theme shows a selection.
    UseColours(WHITE, BLACK, PURPLE, WHITE, true);
    ExpectDrawn(Item(IDC_SLOT_NAME + 2), WHITE, PURPLE);
    ExpectDrawn(Item(IDC_SLOT_NAME), BLACK, WHITE);
    ExpectDrawn(Item(IDC_PROJECT_NAME), BLACK, WHITE);
}

} // namespace
