// The templates and the menu as built into the program, against the table
// of controls the window is designed with.
#include "DialogTemplate.h"
#include "MainWindowFixture.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{

struct Expected
{
    int id;
    const char* windowClass;
    const char* text;
    short x, y, cx, cy;
    DWORD style; // bits that must be set
};

constexpr DWORD EDIT = WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP;
constexpr DWORD SLOT_BOX = EDIT | WS_DISABLED;
constexpr DWORD SLOT_NAME = SS_RIGHT | WS_DISABLED;
constexpr DWORD ICON_BUTTON = BS_ICON | WS_TABSTOP;

const Expected MAIN_CONTROLS[] = {
    {-1, "Static", "Project:", 11, 7, 26, 8, 0},
    {1005, "Edit", "", 56, 38, 29, 14, EDIT},
    {1011, "Edit", "", 56, 56, 29, 14, SLOT_BOX},
    {-1, "Static", "Value Range:", 11, 18, 44, 8, 0},
    {1026, "Static", "Local Value", 15, 41, 38, 10, 0},
    {1006, "Static", "empty", 7, 59, 43, 8, SLOT_NAME},
    {1012, "Edit", "", 56, 72, 29, 14, SLOT_BOX},
    {1007, "Static", "empty", 7, 75, 43, 8, SLOT_NAME},
    {1013, "Edit", "", 56, 88, 29, 14, SLOT_BOX},
    {1008, "Static", "empty", 7, 91, 43, 8, SLOT_NAME},
    {1014, "Edit", "", 56, 104, 29, 14, SLOT_BOX},
    {1009, "Static", "empty", 7, 107, 43, 8, SLOT_NAME},
    {1015, "Edit", "", 56, 120, 29, 14, SLOT_BOX},
    {1010, "Static", "empty", 7, 123, 43, 8, SLOT_NAME},
    {1016, "Button", "", 87, 58, 12, 11, ICON_BUTTON},
    {1017, "Button", "", 87, 74, 12, 11, ICON_BUTTON},
    {1018, "Button", "", 87, 90, 12, 11, ICON_BUTTON},
    {1019, "Button", "", 87, 106, 12, 11, ICON_BUTTON},
    {1020, "Button", "", 87, 122, 12, 11, ICON_BUTTON},
    {1021, "Button", "", 100, 58, 12, 11, ICON_BUTTON},
    {1022, "Button", "", 100, 74, 12, 11, ICON_BUTTON},
    {1023, "Button", "", 100, 90, 12, 11, ICON_BUTTON},
    {1024, "Button", "", 100, 106, 12, 11, ICON_BUTTON},
    {1025, "Button", "", 100, 122, 12, 11, ICON_BUTTON},
    {1029, "Static", "", 42, 7, 76, 8, 0},
    {-1, "Button", "", 7, 0, 111, 31, BS_GROUPBOX},
    {1030, "Button", "Keep on Top", 10, 136, 56, 10, BS_AUTOCHECKBOX | WS_TABSTOP},
    {1031, "Static", "Static", 59, 18, 59, 8, 0},
};

const Expected RANGE_CONTROLS[] = {
    {1002, "Edit", "", 7, 52, 58, 14, EDIT},
    {1003, "Edit", "", 70, 53, 40, 14, EDIT},
    {1004, "Edit", "", 117, 53, 40, 14, EDIT},
    {1, "Button", "OK", 124, 7, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
    {2, "Button", "Cancel", 124, 21, 50, 14, WS_TABSTOP},
    {1017, "Static",
     "Set a value range within the main value range. Values will be compressed into this range.", 7,
     7, 108, 26, 0},
    {-1, "Static", "Name of Range:", 7, 44, 53, 8, 0},
    {1027, "Static", "Low Value:", 71, 44, 36, 8, 0},
    {1028, "Static", "High Value:", 117, 45, 37, 8, 0},
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
        EXPECT_EQ(item.x, want.x);
        EXPECT_EQ(item.y, want.y);
        EXPECT_EQ(item.cx, want.cx);
        EXPECT_EQ(item.cy, want.cy);
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
