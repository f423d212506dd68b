// "Values.ini" against a real top-level window: what it saves of the window,
// and what it hands back.
#include "StartFolder.h"
#include "StateCodec.h"
#include "TestFolder.h"
#include "WindowSettings.h"

namespace
{

class WindowSettingsFile : public InTestFolder
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
    }

    void TearDown() override
    {
        DestroyWindow(window);
        InTestFolder::TearDown();
    }

    HWND window = nullptr;
};

// The file's three words come back as they are, flags the program does not
// use included; a file short of them is no file.
TEST_F(WindowSettingsFile, TheSavedCornerAndFlagsComeBackAsTheFileHoldsThem)
{
    WindowPosition saved = {1, 2, 3};
    EXPECT_EQ(LoadWindowSettings(&saved), 0) << "no file";
    WriteBytes(Path("Values.ini"), {100, 0, 0, 0, 60, 0, 0, 0, 1, 0, 0});
    EXPECT_EQ(LoadWindowSettings(&saved), 0) << "11 bytes";
    EXPECT_EQ(saved.left * 100 + saved.top * 10 + static_cast<int>(saved.flags), 123)
        << "left alone";

    WriteBytes(Path("Values.ini"), {0x9c, 0xff, 0xff, 0xff, 60, 0, 0, 0, 6, 0, 0, 0});
    ASSERT_EQ(LoadWindowSettings(&saved), 1);
    EXPECT_EQ(saved.left, -100);
    EXPECT_EQ(saved.top, 60);
    EXPECT_EQ(saved.flags, 6u);
}

TEST_F(WindowSettingsFile, SavingRecordsWhereTheWindowIs)
{
    SetWindowPos(window, nullptr, 210, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    windowSettings.flags = KEEP_ON_TOP;
    ASSERT_EQ(SaveWindowSettings(window), 1);
    const std::vector<unsigned char> expected = {210, 0, 0, 0, 150, 0, 0, 0, 1, 0, 0, 0};
    EXPECT_EQ(ReadBytes(Path("Values.ini")), expected);
    EXPECT_EQ(ListFolder(folder), std::vector<std::string>{"Values.ini"});
}

TEST_F(WindowSettingsFile, AMinimisedWindowSavesItsRestoredPlace)
{
    SetWindowPos(window, nullptr, 230, 170, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(window, SW_SHOWNORMAL);
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window));
    ASSERT_EQ(SaveWindowSettings(window), 1);
    const std::vector<unsigned char> image = ReadBytes(Path("Values.ini"));
    WindowPosition saved = {};
    ASSERT_EQ(DecodeWindowSettings(image.data(), image.size(), saved), 1);
    EXPECT_EQ(saved.left, 230);
    EXPECT_EQ(saved.top, 170);
}

} // namespace
