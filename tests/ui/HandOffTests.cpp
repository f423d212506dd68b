// Projects handed to the window (WM_COPYDATA), sent from inside the process:
// under Wine a message from another process with a null pointer arrives
// refused, but one from inside reaches the window with whatever it holds.
#include "MainWindowFixture.h"
#include "ModalDriver.h"

#include "HandedPath.h"
#include "ProjectState.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

class HandOff : public InUseWindowTest
{
  protected:
    // A project whose first range is "Other", and its path as handed.
    void SetUp() override
    {
        InUseWindowTest::SetUp();
        const ProjectState mine = project;
        PutRange(0, "Other", 0, 1);
        WriteStateFile(Path("other.prj"));
        project = mine;
        whole = Path("other.prj") + '\0';
    }

    LRESULT Hand(const char* data, std::size_t length, ULONG_PTR tag = HAND_PROJECT) const
    {
        COPYDATASTRUCT copied = {tag, static_cast<DWORD>(length), const_cast<char*>(data)};
        return SendMessageA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copied));
    }

    std::string whole;
};

// Nothing is opened, nothing crashes (the same path whole is taken below).
TEST_F(HandOff, DataThatIsNotAWholePathIsRefused)
{
    std::string inside = whole;
    inside[3] = '\0';
    std::string tooLong(HANDED_PATH_SIZE + 1, 'a');
    tooLong.back() = '\0';
    EXPECT_EQ(SendMessageA(window, WM_COPYDATA, 0, 0), FALSE) << "no COPYDATASTRUCT";
    EXPECT_EQ(Hand(nullptr, whole.size()), FALSE) << "a null pointer with a length";
    EXPECT_EQ(Hand(whole.data(), 0), FALSE) << "a length of 0";
    EXPECT_EQ(Hand(whole.data(), whole.size() - 1), FALSE) << "no terminator at the end";
    EXPECT_EQ(Hand(inside.data(), inside.size()), FALSE) << "a terminator before the end";
    EXPECT_EQ(Hand(whole.data(), whole.size(), HAND_PROJECT + 1), FALSE) << "another tag";
    EXPECT_EQ(Hand(tooLong.data(), tooLong.size()), FALSE) << "a length over the limit";
    Pump();
    EXPECT_STREQ(project.ranges[0].name, "Alpha");
}

// Taken while the window was free, but reached only inside the loop of a
// dialog that a command queued first opened: opened once that dialog has
// closed, question first. A close that comes first wins.
TEST_F(HandOff, AProjectTakenAsADialogOpensWaitsForIt)
{
    project.modified = true;
    ASSERT_EQ(Hand(whole.data(), whole.size()), TRUE);
    ExpectModal([](HWND dialog) { PressButton(dialog, IDCANCEL); });
    ExpectModal(AnswerMessageBox("Save Data", IDNO));
    Command(IDM_NEW_MAIN);
    Pump();
    EXPECT_STREQ(project.ranges[0].name, "Other");

    PutRange(0, "Mine", 0, 1);
    project.modified = true;
    ASSERT_EQ(Hand(whole.data(), whole.size()), TRUE);
    ExpectModal(AnswerMessageBox("Save Data", IDNO));
    SendMessageA(window, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_STREQ(project.ranges[0].name, "Mine");
}

} // namespace
