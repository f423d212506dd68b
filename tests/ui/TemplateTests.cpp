// The templates and the menu as built into the program, against the table
// of controls the windows are designed with.
#include "DialogTemplate.h"
#include "MainWindowFixture.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace
{

// What the program must show of each control: its id, class, text and the
// style bits that matter, in template order, which is the tab order. Where
// the controls are is left to the layout checks (no clipped text, no
// overlap), which hold at every scale.
struct Expected
{
    int id;
    const char* windowClass;
    const char* text;
    DWORD style; // bits that must be set
};

constexpr DWORD EDIT = WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP;
constexpr DWORD SLOT_BOX = EDIT | WS_DISABLED;
// A range's name is shown as typed: an ampersand in it is no access key.
constexpr DWORD SLOT_NAME = SS_RIGHT | SS_NOPREFIX | WS_DISABLED;
constexpr DWORD ICON_BUTTON = BS_ICON | WS_TABSTOP;

const Expected MAIN_CONTROLS[] = {
    {-1, "Static", "Project:", 0},
    {1026, "Static", "&Local Value", 0},
    {1005, "Edit", "", EDIT},
    {1006, "Static", "empty", SLOT_NAME},
    {1011, "Edit", "", SLOT_BOX},
    {-1, "Static", "Value Range:", 0},
    {1007, "Static", "empty", SLOT_NAME},
    {1012, "Edit", "", SLOT_BOX},
    {1008, "Static", "empty", SLOT_NAME},
    {1013, "Edit", "", SLOT_BOX},
    {1009, "Static", "empty", SLOT_NAME},
    {1014, "Edit", "", SLOT_BOX},
    {1010, "Static", "empty", SLOT_NAME},
    {1015, "Edit", "", SLOT_BOX},
    // The row buttons are a group of their own for the arrow keys.
    {1016, "Button", "", ICON_BUTTON | WS_GROUP},
    {1017, "Button", "", ICON_BUTTON},
    {1018, "Button", "", ICON_BUTTON},
    {1019, "Button", "", ICON_BUTTON},
    {1020, "Button", "", ICON_BUTTON},
    {1021, "Button", "", ICON_BUTTON},
    {1022, "Button", "", ICON_BUTTON},
    {1023, "Button", "", ICON_BUTTON},
    {1024, "Button", "", ICON_BUTTON},
    {1025, "Button", "", ICON_BUTTON},
    {1029, "Static", "", SS_NOPREFIX},
    {-1, "Button", "", BS_GROUPBOX},
    {1030, "Button", "Keep on Top", BS_AUTOCHECKBOX | WS_TABSTOP},
    {1031, "Static", "Static", 0},
};

const Expected RANGE_CONTROLS[] = {
    {-1, "Static", "&Name of Range:", 0},
    {1002, "Edit", "", EDIT},
    {1027, "Static", "&Low Value:", 0},
    {1003, "Edit", "", EDIT},
    {1028, "Static", "&High Value:", 0},
    {1004, "Edit", "", EDIT},
    {1, "Button", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP},
    {2, "Button", "Cancel", WS_TABSTOP},
    {1017, "Static",
     "Set a value range within the main value range. Values will be compressed into this range.",
     0},
};

template <std::size_t N>
void CheckControls(const DialogTemplate& dialog, const Expected (&expected)[N])
{
    ASSERT_EQ(dialog.items.size(), N);
    for (std::size_t i = 0; i < N; i++)
    {
        const TemplateItem& item = dialog.items[i];
        const Expected& want = expected[i];
        SCOPED_TRACE("control " + std::to_string(i) + " (id " + std::to_string(want.id) + ")");
        EXPECT_EQ(item.id, want.id);
        EXPECT_EQ(item.windowClass, want.windowClass);
        EXPECT_EQ(item.text, want.text);
        EXPECT_EQ(item.style & want.style, want.style);
        EXPECT_TRUE(item.style & WS_VISIBLE);
        if (!(want.style & WS_DISABLED))
        {
            EXPECT_FALSE(item.style & WS_DISABLED);
        }
        if (!(want.style & WS_TABSTOP))
        {
            EXPECT_FALSE(item.style & WS_TABSTOP) << "only the listed controls are tab stops";
        }
    }
}

// Each box and its label: a screen reader names a box after the static text
// just before it in the template, and an access key on a label moves the
// focus to the tab stop after it. So each box comes straight after its own
// label.
struct Labelled
{
    int box;
    int label;
    const char* text;
};

const Labelled MAIN_LABELS[] = {
    {1005, 1026, "&Local Value"}, {1011, 1006, "empty"}, {1012, 1007, "empty"},
    {1013, 1008, "empty"},        {1014, 1009, "empty"}, {1015, 1010, "empty"},
};

const Labelled RANGE_LABELS[] = {
    {1002, -1, "&Name of Range:"},
    {1003, 1027, "&Low Value:"},
    {1004, 1028, "&High Value:"},
};

template <std::size_t N>
void CheckBoxesFollowTheirLabels(const DialogTemplate& dialog, const Labelled (&labels)[N])
{
    std::size_t boxes = 0;
    for (std::size_t i = 0; i < dialog.items.size(); i++)
    {
        if (dialog.items[i].windowClass != "Edit")
            continue;
        boxes++;
        const int id = dialog.items[i].id;
        SCOPED_TRACE("box " + std::to_string(id));
        const Labelled* want = std::find_if(std::begin(labels), std::end(labels),
                                            [id](const Labelled& l) { return l.box == id; });
        ASSERT_NE(want, std::end(labels)) << "a box without a label";
        ASSERT_GT(i, 0u);
        const TemplateItem& label = dialog.items[i - 1];
        EXPECT_EQ(label.windowClass, "Static") << "the control before the box is no label";
        EXPECT_EQ(label.id, want->label) << "the control before the box is not its label";
        EXPECT_EQ(label.text, want->text);
    }
    EXPECT_EQ(boxes, N);
}

TEST(Templates, MainWindowTemplate)
{
    const DialogTemplate dialog = ReadDialogTemplate(IDD_MAIN);
    ASSERT_TRUE(dialog.found);
    EXPECT_EQ(dialog.title, "Values");
    EXPECT_EQ(dialog.font, "MS Shell Dlg");
    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_EQ(dialog.cx, 125);
    EXPECT_EQ(dialog.cy, 153);
    EXPECT_EQ(dialog.x, 0);
    EXPECT_EQ(dialog.y, 0);
    EXPECT_EQ(dialog.menu, IDM_MAIN);
    const DWORD wanted = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    EXPECT_EQ(dialog.style & wanted, wanted);
    EXPECT_FALSE(dialog.style & (WS_THICKFRAME | WS_MAXIMIZEBOX)) << "no resizing";
    EXPECT_TRUE(dialog.exStyle & WS_EX_APPWINDOW) << "shown on the taskbar";
    CheckControls(dialog, MAIN_CONTROLS);
    CheckBoxesFollowTheirLabels(dialog, MAIN_LABELS);
}

TEST(Templates, RangeDialogTemplate)
{
    const DialogTemplate dialog = ReadDialogTemplate(IDD_RANGE);
    ASSERT_TRUE(dialog.found);
    EXPECT_EQ(dialog.title, "Compressed Value Range");
    EXPECT_EQ(dialog.font, "MS Shell Dlg");
    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_EQ(dialog.cx, 181);
    EXPECT_EQ(dialog.cy, 74);
    EXPECT_EQ(dialog.menu, 0);
    const DWORD wanted = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    EXPECT_EQ(dialog.style & wanted, wanted);
    EXPECT_FALSE(dialog.style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    CheckControls(dialog, RANGE_CONTROLS);
    CheckBoxesFollowTheirLabels(dialog, RANGE_LABELS);
}

using LiveWindow = MainWindowTest;

TEST_F(LiveWindow, ControlsAreCreatedInTemplateOrder)
{
    Open();
    HWND child = GetWindow(window, GW_CHILD);
    for (const Expected& want : MAIN_CONTROLS)
    {
        ASSERT_TRUE(child);
        char name[64] = {};
        GetClassNameA(child, name, sizeof name);
        EXPECT_EQ(_stricmp(name, want.windowClass), 0) << name << " for id " << want.id;
        if (want.id != -1)
        {
            EXPECT_EQ(GetDlgCtrlID(child), want.id);
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_FALSE(child) << "no controls beyond the template";
    EXPECT_FALSE(GetWindowLongPtrA(window, GWL_STYLE) & WS_THICKFRAME);
}

TEST_F(LiveWindow, MenuItemsAndCommands)
{
    Open();
    HMENU menu = GetMenu(window);
    ASSERT_TRUE(menu);
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    struct Item
    {
        const char* text;
        UINT id;
    };
    const Item file[] = {
        {"&Open Project\tCtrl+O", 40007}, {"&Save Project\tCtrl+S", 40008}, {"&Exit", 40010}};
    const Item create[] = {{"&Main Value Range", 40013}, {"&Compressed Value Range", 40003}};
    const struct
    {
        const char* title;
        const Item* items;
        int count;
    } popups[] = {{"&File", file, 3}, {"&New", create, 2}};
    for (int p = 0; p < 2; p++)
    {
        char text[64] = {};
        GetMenuStringA(menu, p, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, popups[p].title);
        HMENU popup = GetSubMenu(menu, p);
        ASSERT_EQ(GetMenuItemCount(popup), popups[p].count);
        for (int i = 0; i < popups[p].count; i++)
        {
            GetMenuStringA(popup, i, text, sizeof text, MF_BYPOSITION);
            EXPECT_STREQ(text, popups[p].items[i].text);
            EXPECT_EQ(GetMenuItemID(popup, i), popups[p].items[i].id);
        }
    }
}

} // namespace
