// The place and Keep on Top that "Values.ini" kept, taken back by a real
// top-level window with a Keep on Top box.
#include "StartFolder.h"
#include "WindowPlace.h"
#include "StateCodec.h"
#include "TestFolder.h"
#include "WindowSettings.h"
#include "resource.h"

#include <climits>

namespace
{

class WindowPlace : public InTestFolder
{
  protected:
    void SetUp() override
    {
        InTestFolder::SetUp();
        TakeStartFolder();
        windowSettings.flags = 0;
        window = CreateWindowExA(0, "STATIC", "Values", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0,
                                 250, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(window);
        CreateWindowExA(0, "BUTTON", "Keep on Top", WS_CHILD | BS_AUTOCHECKBOX, 10, 250, 100, 20,
                        window, reinterpret_cast<HMENU>(IDC_KEEP_ON_TOP), nullptr, nullptr);
    }

    void TearDown() override
    {
        DestroyWindow(window);
        InTestFolder::TearDown();
    }

    void WriteSettings(LONG left, LONG top, DWORD flags)
    {
        std::vector<unsigned char> image(WINDOW_SETTINGS_SIZE);
        EncodeWindowSettings({left, top, flags}, image.data());
        WriteBytes(Path("Values.ini"), image);
    }

    POINT Corner() const
    {
        RECT rect;
        GetWindowRect(window, &rect);
        return {rect.left, rect.top};
    }

    bool Topmost() const
    {
        return (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    }

    bool Ticked() const
    {
        return IsDlgButtonChecked(window, IDC_KEEP_ON_TOP) == BST_CHECKED;
    }

    HWND window = nullptr;
};

TEST_F(WindowPlace, WithoutAFileTheWindowKeepsItsPlace)
{
    EXPECT_FALSE(RestoreWindowSettings(window));
    EXPECT_EQ(Corner().x, 0);
    EXPECT_EQ(Corner().y, 0);
    EXPECT_FALSE(Topmost());
    EXPECT_FALSE(Ticked());
    EXPECT_EQ(windowSettings.flags, 0u);
}

TEST_F(WindowPlace, KeepOnTopMakesTheWindowTopmostAndTicksTheBox)
{
    WriteSettings(120, 80, KEEP_ON_TOP);
    ASSERT_TRUE(RestoreWindowSettings(window));
    EXPECT_EQ(Corner().x, 120);
    EXPECT_EQ(Corner().y, 80);
    EXPECT_TRUE(Topmost());
    EXPECT_TRUE(Ticked());
    EXPECT_EQ(windowSettings.flags, KEEP_ON_TOP);
}

TEST_F(WindowPlace, OtherBitsAreKeptButMeanNothing)
{
    WriteSettings(100, 60, 6);
    ASSERT_TRUE(RestoreWindowSettings(window));
    EXPECT_FALSE(Topmost());
    EXPECT_FALSE(Ticked());
    EXPECT_EQ(windowSettings.flags, 6u);

    ASSERT_EQ(SaveWindowSettings(window), 1);
    const std::vector<unsigned char> expected = {100, 0, 0, 0, 60, 0, 0, 0, 6, 0, 0, 0};
    EXPECT_EQ(ReadBytes(Path("Values.ini")), expected);
}

TEST_F(WindowPlace, AShortFileIsIgnored)
{
    WriteBytes(Path("Values.ini"), {100, 0, 0, 0, 60, 0, 0, 0, 1, 0, 0});
    EXPECT_FALSE(RestoreWindowSettings(window));
    EXPECT_EQ(Corner().x, 0);
    EXPECT_EQ(Corner().y, 0);
    EXPECT_FALSE(Topmost());
    EXPECT_EQ(windowSettings.flags, 0u);
}

TEST_F(WindowPlace, ASpotOnNoMonitorIsBroughtBackOntoOne)
{
    const RECT screen = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                         GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                         GetSystemMetrics(SM_YVIRTUALSCREEN) +
                             GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const LONG offScreen[][2] = {{30000, 30000}, {-30000, 200}, {200, -30000}};
    for (const auto& spot : offScreen)
    {
        WriteSettings(spot[0], spot[1], 0);
        ASSERT_TRUE(RestoreWindowSettings(window));
        RECT rect;
        GetWindowRect(window, &rect);
        EXPECT_GE(rect.left, screen.left) << spot[0] << "," << spot[1];
        EXPECT_GE(rect.top, screen.top) << spot[0] << "," << spot[1];
        EXPECT_LE(rect.right, screen.right) << spot[0] << "," << spot[1];
        EXPECT_LE(rect.bottom, screen.bottom) << spot[0] << "," << spot[1];
    }
    // Partly on screen still counts as on a monitor and is kept as saved.
    WriteSettings(-100, 10, 0);
    ASSERT_TRUE(RestoreWindowSettings(window));
    EXPECT_EQ(Corner().x, -100);
    EXPECT_EQ(Corner().y, 10);
}

TEST_F(WindowPlace, TheFarthestCornersAreBroughtBackToo)
{
    // The largest corners leave no room to add the window's size.
    const RECT screen = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                         GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                         GetSystemMetrics(SM_YVIRTUALSCREEN) +
                             GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const LONG farthest[][2] = {{LONG_MAX, LONG_MAX},
                                {LONG_MAX, 100},
                                {100, LONG_MAX},
                                {LONG_MIN, LONG_MIN},
                                {LONG_MAX, LONG_MIN}};
    for (const auto& spot : farthest)
    {
        WriteSettings(spot[0], spot[1], 0);
        ASSERT_TRUE(RestoreWindowSettings(window));
        RECT rect;
        GetWindowRect(window, &rect);
        RECT seen;
        EXPECT_TRUE(IntersectRect(&seen, &rect, &screen)) << spot[0] << "," << spot[1];
        EXPECT_TRUE(EqualRect(&seen, &rect))
            << "wholly on the screen: " << rect.left << "," << rect.top;
    }
}

} // namespace
