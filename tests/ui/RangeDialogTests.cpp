// The range dialog and the main window's commands, driving the real dialog.
#include "MainWindowFixture.h"
#include "ModalDriver.h"

#include "ProjectState.h"
#include "StateCodec.h"
#include "MainWindow.h"
#include "WindowSettings.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{

constexpr COLORREF RED = RGB(255, 0, 0);

const char LOW_HIGH_ERROR[] = "Low Value must be lower than High Value";

// What the range dialog showed when it opened.
struct RangeDialogSeen
{
    std::string caption, help, name, low, high;
    bool nameEnabled = false;
};

void FillRange(HWND dialog, const char* name, const char* low, const char* high)
{
    if (name)
        SetDlgItemTextA(dialog, IDC_RANGE_NAME, name);
    SetDlgItemTextA(dialog, IDC_RANGE_LOW, low);
    SetDlgItemTextA(dialog, IDC_RANGE_HIGH, high);
}

// A step for the range dialog: record what it shows, optionally fill it,
// then press a button (IDOK, IDCANCEL) or, with 0, use the title bar's close
// button.
ModalStep UseRangeDialog(RangeDialogSeen* seen, const char* name, const char* low, const char* high,
                         int button)
{
    return [=](HWND dialog)
    {
        if (seen)
        {
            seen->caption = WindowText(dialog);
            seen->help = ItemText(dialog, IDC_RANGE_HELP);
            seen->name = ItemText(dialog, IDC_RANGE_NAME);
            seen->low = ItemText(dialog, IDC_RANGE_LOW);
            seen->high = ItemText(dialog, IDC_RANGE_HIGH);
            seen->nameEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_RANGE_NAME)) != FALSE;
        }
        if (low)
            FillRange(dialog, name, low, high);
        if (button)
            PressButton(dialog, button);
        else
            PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    };
}

class RangeCommands : public DrivenWindowTest
{
  protected:
    void SetUp() override
    {
        DrivenWindowTest::SetUp();
        project.mainHigh = 100;
        project.localValue = 50;
        PutRange(0, "A", 10, 20);
        PutRange(1, "Bee", 0, 1000);
        OpenDriven();
    }

    void ExpectMainWindowBack() const
    {
        EXPECT_TRUE(IsWindowEnabled(window)) << "the main window is enabled again";
        EXPECT_EQ(GetActiveWindow(), window) << "and active";
    }
};

TEST_F(RangeCommands, ANewRangeTakesTheNextFreeRow)
{
    RangeDialogSeen seen;
    ExpectModal(UseRangeDialog(&seen, "B", "0", "1", IDOK));
    Command(IDM_NEW_RANGE);

    EXPECT_EQ(seen.caption, "Compressed Value Range");
    EXPECT_EQ(seen.help, "Numbers entered should be between 0 and 100");
    EXPECT_EQ(seen.name, "");
    EXPECT_EQ(seen.low, "");
    EXPECT_EQ(seen.high, "");
    EXPECT_TRUE(seen.nameEnabled);

    EXPECT_EQ(Text(IDC_SLOT_NAME + 2), "B");
    EXPECT_EQ(Text(IDC_SLOT_VALUE + 2), "0.5");
    for (int id : {IDC_SLOT_NAME, IDC_SLOT_VALUE, IDC_SLOT_EDIT, IDC_SLOT_DELETE})
        EXPECT_TRUE(Enabled(id + 2));
    EXPECT_EQ(project.ranges[2].low, 0);
    EXPECT_EQ(project.ranges[2].high, 1);
    EXPECT_TRUE(project.modified);
    ExpectMainWindowBack();
}

TEST_F(RangeCommands, CancelLeavesTheRowEmpty)
{
    ExpectModal(UseRangeDialog(nullptr, "B", "0", "1", IDCANCEL));
    Command(IDM_NEW_RANGE);
    EXPECT_EQ(Text(IDC_SLOT_NAME + 2), "empty");
    EXPECT_FALSE(Enabled(IDC_SLOT_NAME + 2));
    EXPECT_FALSE(Enabled(IDC_SLOT_VALUE + 2));
    EXPECT_EQ(project.ranges[2].inUse, 0);
    EXPECT_FALSE(project.modified);
    ExpectMainWindowBack();
}

TEST_F(RangeCommands, TheCloseButtonActsAsCancel)
{
    ExpectModal(UseRangeDialog(nullptr, nullptr, "5", "6", 0));
    Command(IDC_SLOT_EDIT + 1);
    EXPECT_EQ(project.ranges[1].low, 0) << "typed bounds are not stored";
    EXPECT_EQ(project.ranges[1].high, 1000);
    EXPECT_FALSE(project.modified);
    ExpectMainWindowBack();
}

TEST_F(RangeCommands, NoSixthRange)
{
    for (int k = 2; k < RANGE_SLOTS; k++)
        PutRange(k, "X", 0, 1);
    RefreshWindow();
    std::string text;
    ExpectModal(
        [&text](HWND box)
        {
            EXPECT_EQ(WindowText(box), "Values");
            EXPECT_TRUE(MessageBoxHasIcon(box, IDI_EXCLAMATION));
            EXPECT_EQ(GetWindow(box, GW_OWNER), mainWindow);
            text = MessageBoxText(box);
            PressButton(box, IDOK);
        });
    Command(IDM_NEW_RANGE); // and no range dialog after the warning
    EXPECT_EQ(text, "You can't create more than 5 compressed ranges");
    EXPECT_FALSE(project.modified);
}

TEST_F(RangeCommands, LowMustBeBelowHigh)
{
    // Empty boxes (both 0), equal bounds, inverted bounds: each is refused
    // with the error, and the dialog stays open for the next try.
    const char* tries[][2] = {{"", ""}, {"5", "5"}, {"20", "10"}};
    HWND rangeDialog = nullptr;
    ExpectModal(
        [&](HWND dialog)
        {
            rangeDialog = dialog;
            FillRange(dialog, "B", tries[0][0], tries[0][1]);
            PressButton(dialog, IDOK);
        });
    for (int i = 0; i < 3; i++)
    {
        ExpectModal(
            [&, i](HWND box)
            {
                EXPECT_EQ(WindowText(box), "Error");
                EXPECT_EQ(MessageBoxText(box), LOW_HIGH_ERROR);
                EXPECT_EQ(GetWindow(box, GW_OWNER), rangeDialog) << "owned by the dialog";
                EXPECT_TRUE(MessageBoxHasIcon(box, IDI_EXCLAMATION));
                PressButton(box, IDOK);
                EXPECT_TRUE(IsWindow(rangeDialog)) << "the dialog stays open";
                if (i < 2)
                {
                    FillRange(rangeDialog, "B", tries[i + 1][0], tries[i + 1][1]);
                    PressButton(rangeDialog, IDOK);
                }
                else
                {
                    PressButton(rangeDialog, IDCANCEL);
                }
            });
    }
    Command(IDM_NEW_RANGE);
    EXPECT_EQ(project.ranges[2].inUse, 0) << "nothing stored";
    EXPECT_FALSE(project.modified);
    ExpectMainWindowBack();
}

TEST_F(RangeCommands, BoundLabelsTurnRedOutsideTheMainRange)
{
    COLORREF low150 = 0, low50 = 0, high500 = 0, nameTyped = 0;
    ExpectModal(
        [&](HWND dialog)
        {
            SetDlgItemTextA(dialog, IDC_RANGE_LOW, "150");
            low150 = StaticTextColour(dialog, IDC_LOW_LABEL);
            SetDlgItemTextA(dialog, IDC_RANGE_LOW, "50");
            low50 = StaticTextColour(dialog, IDC_LOW_LABEL);
            SetDlgItemTextA(dialog, IDC_RANGE_HIGH, "500");
            high500 = StaticTextColour(dialog, IDC_HIGH_LABEL);
            SetDlgItemTextA(dialog, IDC_RANGE_NAME, "1e9");
            nameTyped = StaticTextColour(dialog, IDC_LOW_LABEL);
            PressButton(dialog, IDCANCEL);
        });
    Command(IDM_NEW_RANGE);
    EXPECT_EQ(low150, RED);
    EXPECT_EQ(low50, RGB(0, 0, 0));
    EXPECT_EQ(high500, RED);
    EXPECT_EQ(nameTyped, RGB(0, 0, 0)) << "the name is no bound";
}

TEST_F(RangeCommands, TheMainRangeModeNeverColoursTheLabels)
{
    RangeDialogSeen seen;
    COLORREF low = 0;
    ExpectModal(
        [&](HWND dialog)
        {
            seen.name = ItemText(dialog, IDC_RANGE_NAME);
            seen.nameEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_RANGE_NAME)) != FALSE;
            seen.help = ItemText(dialog, IDC_RANGE_HELP);
            seen.low = ItemText(dialog, IDC_RANGE_LOW);
            seen.high = ItemText(dialog, IDC_RANGE_HIGH);
            SetDlgItemTextA(dialog, IDC_RANGE_LOW, "-1e9");
            low = StaticTextColour(dialog, IDC_LOW_LABEL);
            FillRange(dialog, nullptr, "10", "20");
            PressButton(dialog, IDOK);
        });
    Command(IDM_NEW_MAIN);

    EXPECT_EQ(seen.name, "Main Range");
    EXPECT_FALSE(seen.nameEnabled);
    EXPECT_EQ(seen.help,
              "Set the main value range. The low value should be lower than the high value.");
    EXPECT_EQ(seen.low, "0");
    EXPECT_EQ(seen.high, "100");
    EXPECT_NE(low, RED);

    EXPECT_EQ(project.mainLow, 10);
    EXPECT_EQ(project.mainHigh, 20);
    EXPECT_EQ(Text(IDC_MAIN_RANGE), "10 to 20");
    EXPECT_TRUE(project.modified);
    EXPECT_STREQ(project.ranges[0].name, "A") << "the slots are left alone";
    ExpectMainWindowBack();
}

// A new main range with ranges in use: the local value stays where it is,
// and every row takes its place in the new main range: 50 in -100 to 300 is
// 150/400 of the way, 13.75 in A (10 to 20) and 375 in Bee (0 to 1000).
TEST_F(RangeCommands, ANewMainRangeKeepsTheLocalValueAndRecomputesEveryRow)
{
    ExpectModal(UseRangeDialog(nullptr, nullptr, "-100", "300", IDOK));
    Command(IDM_NEW_MAIN);
    EXPECT_EQ(Text(IDC_MAIN_RANGE), "-100 to 300");
    EXPECT_EQ(project.localValue, 50);
    EXPECT_EQ(Text(IDC_LOCAL_VALUE), "50");
    EXPECT_EQ(project.ranges[0].value, 13.75);
    EXPECT_EQ(Text(IDC_SLOT_VALUE), "13.75");
    EXPECT_EQ(project.ranges[1].value, 375);
    EXPECT_EQ(Text(IDC_SLOT_VALUE + 1), "375");
}

TEST_F(RangeCommands, OkStoresTheBoundsAsShown)
{
    PutRange(0, "A", 0.125, 10);
    RangeDialogSeen seen;
    ExpectModal(UseRangeDialog(&seen, nullptr, nullptr, nullptr, IDOK));
    Command(IDC_SLOT_EDIT);
    EXPECT_EQ(seen.name, "A");
    EXPECT_EQ(seen.low, "0.13");
    EXPECT_EQ(seen.high, "10");
    EXPECT_EQ(project.ranges[0].low, 0.13);
    EXPECT_TRUE(project.modified) << "OK marks the project modified even unchanged";
}

TEST_F(RangeCommands, EditingARangeRenamesItsRow)
{
    ExpectModal(UseRangeDialog(nullptr, "Renamed", "0", "200", IDOK));
    Command(IDC_SLOT_EDIT + 1);
    EXPECT_EQ(Text(IDC_SLOT_NAME + 1), "Renamed");
    EXPECT_EQ(Text(IDC_SLOT_VALUE + 1), "100") << "recomputed for the new bounds";
    EXPECT_EQ(Text(IDC_LOCAL_VALUE), "50");
}

TEST_F(RangeCommands, DeletingTheFirstOfThreeMovesTheOthersUp)
{
    PutRange(2, "Cee", -1, 1);
    RefreshWindow();
    Command(IDC_SLOT_DELETE);

    EXPECT_EQ(Text(IDC_SLOT_NAME), "Bee");
    EXPECT_EQ(Text(IDC_SLOT_NAME + 1), "Cee");
    for (int k = 2; k < RANGE_SLOTS; k++)
    {
        EXPECT_EQ(Text(IDC_SLOT_NAME + k), "empty");
        EXPECT_FALSE(Enabled(IDC_SLOT_DELETE + k));
    }
    EXPECT_EQ(project.localValue, 50);
    EXPECT_EQ(Text(IDC_SLOT_VALUE), "500");
    EXPECT_EQ(Text(IDC_SLOT_VALUE + 1), "0");
    EXPECT_FALSE(project.modified) << "deleting is not a change to save";
}

TEST_F(RangeCommands, KeepOnTopSetsAndClearsTheFlags)
{
    windowSettings.flags = 6;
    RECT before;
    GetWindowRect(window, &before);

    CheckDlgButton(window, IDC_KEEP_ON_TOP, BST_CHECKED); // as the click has already done
    Command(IDC_KEEP_ON_TOP);
    EXPECT_EQ(windowSettings.flags, 7u);
    EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);

    CheckDlgButton(window, IDC_KEEP_ON_TOP, BST_UNCHECKED);
    Command(IDC_KEEP_ON_TOP);
    EXPECT_EQ(windowSettings.flags, 0u) << "clearing clears the whole word";
    EXPECT_FALSE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);

    RECT after;
    GetWindowRect(window, &after);
    EXPECT_TRUE(EqualRect(&before, &after)) << "neither moved nor resized";
    EXPECT_FALSE(project.modified);
}

TEST_F(RangeCommands, KeepOnTopSurvivesARestart)
{
    CheckDlgButton(window, IDC_KEEP_ON_TOP, BST_CHECKED);
    Command(IDC_KEEP_ON_TOP);
    CloseForRestart();

    windowSettings.flags = 0;
    Open();
    EXPECT_EQ(IsDlgButtonChecked(window, IDC_KEEP_ON_TOP), BST_CHECKED);
    EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_STREQ(project.ranges[1].name, "Bee") << "and the state came back from Values.dat";
}

TEST_F(RangeCommands, EscAndExitAskAboutUnsavedChanges)
{
    project.modified = true;
    ExpectModal(AnswerMessageBox("Save Data", IDCANCEL));
    Focus(IDC_LOCAL_VALUE);
    PostMessageA(Item(IDC_LOCAL_VALUE), WM_KEYDOWN, VK_ESCAPE,
                 0); // the real key, through the dialog manager
    Pump();
    EXPECT_TRUE(IsWindow(window));

    ExpectModal(AnswerMessageBox("Save Data", IDCANCEL));
    Command(IDM_EXIT);
    EXPECT_TRUE(IsWindow(window));

    ExpectModal(AnswerMessageBox("Save Data", IDNO));
    Command(IDM_EXIT);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(ReadBytes(Path("Values.dat")).size(), STATE_IMAGE_SIZE);
}

TEST_F(RangeCommands, EnterInAnEditBoxDoesNothing)
{
    project.modified = true;
    Focus(IDC_LOCAL_VALUE);
    PostMessageA(Item(IDC_LOCAL_VALUE), WM_KEYDOWN, VK_RETURN, 0);
    Pump();
    EXPECT_TRUE(IsWindow(window)); // no question, no dialog
    EXPECT_EQ(Text(IDC_LOCAL_VALUE), "50");
}

} // namespace
