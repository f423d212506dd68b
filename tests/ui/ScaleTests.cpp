// The windows at the display scale of the Wine prefix they run in: 96 dpi in
// the usual one, 144 dpi (150 %) in the prefix of ui_tests_at_144_dpi. The
// layout must stay clean, the row pictures must be loaded at the scaled
// size, and the window must grow with the scale.
#include "MainWindowFixture.h"
#include "ModalDriver.h"

#include "ProjectState.h"
#include "MainWindow.h"
#include "RangeDialog.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{

int ScreenDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

SIZE IconSize(HICON icon)
{
    SIZE size = {0, 0};
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info))
        return size;
    BITMAP bitmap = {};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    size.cx = bitmap.bmWidth;
    size.cy = info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2;
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return size;
}

RECT ChildRect(HWND dialog, HWND child)
{
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool IsGroupBox(HWND control)
{
    char name[32] = {};
    GetClassNameA(control, name, sizeof name);
    return _stricmp(name, "Button") == 0 &&
           (GetWindowLongPtrA(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// The room a control's text needs in the control's own font, wrapped as a
// static control wraps it.
SIZE TextExtent(HWND control, const std::string& text, int width)
{
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT rect = {0, 0, width, 0};
    DrawTextA(dc, text.c_str(), -1, &rect, DT_CALCRECT | DT_WORDBREAK);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return SIZE{rect.right, rect.bottom};
}

// Every control lies inside the window, no control overlaps another (a
// group box only frames the ones inside it; a pixel of rounding is let
// pass), and every text fits its control: labels as they wrap, buttons and
// the check box on one line. A picture button's text is its name for screen
// readers, and is not drawn.
void CheckLayout(HWND dialog)
{
    std::vector<HWND> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        controls.push_back(child);
    ASSERT_FALSE(controls.empty());
    RECT inside;
    GetClientRect(dialog, &inside);
    for (size_t i = 0; i < controls.size(); i++)
    {
        const int id = GetDlgCtrlID(controls[i]);
        SCOPED_TRACE("control " + std::to_string(id));
        const RECT own = ChildRect(dialog, controls[i]);
        RECT kept;
        IntersectRect(&kept, &own, &inside);
        EXPECT_TRUE(EqualRect(&kept, &own)) << "reaches out of the window";
        for (size_t j = i + 1; j < controls.size(); j++)
        {
            if (IsGroupBox(controls[i]) || IsGroupBox(controls[j]))
                continue;
            const RECT other = ChildRect(dialog, controls[j]);
            RECT both;
            if (IntersectRect(&both, &own, &other))
            {
                EXPECT_TRUE(both.right - both.left <= 1 || both.bottom - both.top <= 1)
                    << "overlaps control " << GetDlgCtrlID(controls[j]);
            }
        }

        char text[256] = {};
        GetWindowTextA(controls[i], text, sizeof text);
        char name[32] = {};
        GetClassNameA(controls[i], name, sizeof name);
        const LONG_PTR style = GetWindowLongPtrA(controls[i], GWL_STYLE);
        const bool isStatic = _stricmp(name, "Static") == 0;
        const bool picture = _stricmp(name, "Button") == 0 && (style & BS_ICON);
        if (!text[0] || _stricmp(name, "Edit") == 0 || IsGroupBox(controls[i]) || picture)
            continue;
        RECT client;
        GetClientRect(controls[i], &client);
        int room = client.right;
        if ((style & BS_TYPEMASK) == BS_AUTOCHECKBOX && !isStatic)
            room -= GetSystemMetrics(SM_CXMENUCHECK) + GetSystemMetrics(SM_CXEDGE);
        const SIZE needed = TextExtent(controls[i], text, isStatic ? room : 0x7FFF);
        EXPECT_LE(needed.cx, room) << "\"" << text << "\" is cut at the side";
        EXPECT_LE(needed.cy, client.bottom) << "\"" << text << "\" is cut at the bottom";
    }
}

// Its labels filled as in daily use, the project label included.
class Scale : public InUseWindowTest
{
  protected:
    void SetUp() override
    {
        InUseWindowTest::SetUp();
        std::strcpy(project.projectTitle, "budget.prj");
        RefreshWindow();
    }
};

TEST_F(Scale, BothTemplatesLayOutCleanly)
{
    SCOPED_TRACE("at " + std::to_string(ScreenDpi()) + " dpi");
    {
        SCOPED_TRACE("main window");
        CheckLayout(window);
    }
    for (int target : {0, MAIN_RANGE_TARGET})
    {
        ExpectModal(
            [](HWND dialog)
            {
                SCOPED_TRACE("range dialog");
                CheckLayout(dialog);
                PressButton(dialog, IDCANCEL);
            });
        OpenRangeDialog(window, target);
    }
}

// Bold, the weight of a warning, is wider: every label still fits while all
// of them warn, among them a name as long as fitted a name label in regular
// as the label was first made, 43 units wide.
TEST_F(Scale, BothTemplatesLayOutCleanlyWhileEveryLabelWarns)
{
    RECT first = {0, 0, 43, 8};
    MapDialogRect(window, &first);
    const std::string words = "Speed of the turbine shaft at full load";
    std::string name;
    for (std::size_t n = 1;
         n <= words.size() &&
         TextExtent(Item(IDC_SLOT_NAME), words.substr(0, n), 0x7FFF).cx <= first.right;
         n++)
        name = words.substr(0, n);
    PutRange(2, name.c_str(), -50, 150);
    project.mainLow = 30; // Alpha and Beta stick out now, as the new range does
    project.localValue = 150;
    RefreshWindow();
    Pump();
    ASSERT_TRUE(LocalOutOfRange() && RangeOutsideMain(0) && RangeOutsideMain(2));
    CheckLayout(window);
    ExpectModal(
        [](HWND dialog)
        {
            SetDlgItemTextA(dialog, IDC_RANGE_LOW, "-1000");
            SetDlgItemTextA(dialog, IDC_RANGE_HIGH, "1000");
            CheckLayout(dialog);
            PressButton(dialog, IDCANCEL);
        });
    OpenRangeDialog(window, 0);
}

// The row pictures in pixels: 11 x 12 at 100 %, 17 x 18 at 150 %.
SIZE RowIconPixels(int dpi)
{
    return dpi == 144 ? SIZE{17, 18} : dpi == 96 ? SIZE{11, 12} : SIZE{0, 0};
}

// The picture a row button shows, measured on the icon the button holds.
SIZE ButtonIconSize(HWND button)
{
    return IconSize(reinterpret_cast<HICON>(SendMessageA(button, BM_GETIMAGE, IMAGE_ICON, 0)));
}

TEST_F(Scale, RowIconsFollowTheScale)
{
    const int dpi = ScreenDpi();
    ASSERT_TRUE(dpi == 96 || dpi == 144) << "the prefix is at " << dpi << " dpi";
    for (int id : {IDC_SLOT_EDIT, IDC_SLOT_DELETE + 4})
    {
        const SIZE size = ButtonIconSize(Item(id));
        EXPECT_EQ(size.cx, RowIconPixels(dpi).cx) << "control " << id << " at " << dpi << " dpi";
        EXPECT_EQ(size.cy, RowIconPixels(dpi).cy) << "control " << id << " at " << dpi << " dpi";
    }

    // Moved to a monitor of another scale: the suggested rectangle is taken,
    // the icons are loaded again at the new size and the old ones freed.
    for (const UINT newDpi : {144u, 96u})
    {
        SCOPED_TRACE(newDpi);
        const HICON oldEdit =
            reinterpret_cast<HICON>(SendMessageA(Item(IDC_SLOT_EDIT), BM_GETIMAGE, IMAGE_ICON, 0));
        RECT suggested;
        GetWindowRect(window, &suggested);
        OffsetRect(&suggested, 40, 30);
        suggested.right = suggested.left + MulDiv(suggested.right - suggested.left, 11, 10);
        SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi),
                     reinterpret_cast<LPARAM>(&suggested));
        RECT now;
        GetWindowRect(window, &now);
        EXPECT_EQ(now.left, suggested.left);
        EXPECT_EQ(now.top, suggested.top);
        EXPECT_EQ(now.right, suggested.right);
        for (int k = 0; k < RANGE_SLOTS; k++)
        {
            for (int id : {IDC_SLOT_EDIT + k, IDC_SLOT_DELETE + k})
            {
                const SIZE size = ButtonIconSize(Item(id));
                EXPECT_EQ(size.cx, RowIconPixels(static_cast<int>(newDpi)).cx) << "control " << id;
                EXPECT_EQ(size.cy, RowIconPixels(static_cast<int>(newDpi)).cy) << "control " << id;
            }
        }
        ICONINFO gone = {};
        EXPECT_FALSE(GetIconInfo(oldEdit, &gone)) << "the old picture is destroyed";
    }
}

// The outer size of the window values.exe shows when started at 96 dpi: the
// prefix's scale is set to 96 for its start only.
SIZE WindowSizeAt96Dpi(const std::string& folder)
{
    SIZE size = {0, 0};
    HKEY desktop;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_SET_VALUE, &desktop))
        return size;
    DWORD dpi = 96;
    RegSetValueExA(desktop, "LogPixels", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dpi), sizeof dpi);
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::strcpy(std::strrchr(exe, '\\') + 1, "values.exe");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    char commandLine[] = "values.exe";
    if (CreateProcessA(exe, commandLine, nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                       &startup, &process))
    {
        HWND shown = nullptr;
        for (int i = 0; i < 200 && !shown; i++, Sleep(50))
        {
            for (HWND top = FindWindowA(nullptr, "Values"); top && !shown;
                 top = FindWindowExA(nullptr, top, nullptr, "Values"))
            {
                DWORD owner = 0;
                GetWindowThreadProcessId(top, &owner);
                if (owner == process.dwProcessId && IsWindowVisible(top))
                    shown = top;
            }
        }
        RECT rect = {};
        if (shown && GetWindowRect(shown, &rect))
            size = SIZE{rect.right - rect.left, rect.bottom - rect.top};
        PostMessageA(shown, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0)
            TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    dpi = static_cast<DWORD>(ScreenDpi());
    RegSetValueExA(desktop, "LogPixels", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dpi), sizeof dpi);
    RegCloseKey(desktop);
    return size;
}

TEST_F(Scale, TheWindowGrowsWithTheScale)
{
    const int dpi = ScreenDpi();
    if (dpi == BASE_DPI)
        GTEST_SKIP() << "at 96 dpi the window has its 96-dpi size by definition";
    const SIZE base = WindowSizeAt96Dpi(folder);
    ASSERT_GT(base.cx, 0) << "values.exe at 96 dpi showed no window";
    RECT rect;
    GetWindowRect(window, &rect);
    const double wanted = dpi / 96.0;
    EXPECT_NEAR((rect.right - rect.left) / static_cast<double>(base.cx), wanted, 0.12)
        << base.cx << " pixels wide at 96 dpi";
    EXPECT_NEAR((rect.bottom - rect.top) / static_cast<double>(base.cy), wanted, 0.12)
        << base.cy << " pixels high at 96 dpi";
}

// A run asked to be at another scale must be at it: its tests would
// otherwise pass as a run at 96 dpi.
TEST(ScaleOfTheRun, IsTheOneAskedFor)
{
    const char* asked = std::getenv("VALUES_TEST_DPI");
    if (!asked)
        GTEST_SKIP() << "no scale asked for";
    EXPECT_EQ(ScreenDpi(), std::atoi(asked));
}

// Windows scales the window only for a program that says it draws at any
// scale; Wine scales every program, so this is read from the manifest.
TEST(Manifest, DeclaresPerMonitorAwarenessWithTheSystemScaleAsFallback)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)); // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(module, found))),
                               SizeofResource(module, found));
    EXPECT_NE(manifest.find(">PerMonitorV2, System</dpiAwareness>"), std::string::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
}

} // namespace
