// A whole session as a new user would try it: set a main range, add three
// ranges, type in each box, edit one, delete one, save a project, close,
// start again and open the project.
#include "MainWindowFixture.h"
#include "ModalDriver.h"

#include "ProjectState.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{

ModalStep EnterRange(const char* name, const char* low, const char* high)
{
    return [=](HWND dialog)
    {
        if (name)
            SetDlgItemTextA(dialog, IDC_RANGE_NAME, name);
        SetDlgItemTextA(dialog, IDC_RANGE_LOW, low);
        SetDlgItemTextA(dialog, IDC_RANGE_HIGH, high);
        PressButton(dialog, IDOK);
    };
}

using Session = DrivenWindowTest;

TEST_F(Session, FromFirstStartToReopeningTheProject)
{
    OpenDriven();

    ExpectModal(EnterRange(nullptr, "0", "100"));
    Command(IDM_NEW_MAIN);
    EXPECT_EQ(Text(IDC_MAIN_RANGE), "0 to 100");

    ExpectModal(EnterRange("Alpha", "0", "10"));
    Command(IDM_NEW_RANGE);
    ExpectModal(EnterRange("Beta", "10", "20"));
    Command(IDM_NEW_RANGE);
    ExpectModal(EnterRange("Gamma", "-50", "50"));
    Command(IDM_NEW_RANGE);
    EXPECT_EQ(Text(IDC_SLOT_NAME + 2), "Gamma");
    EXPECT_TRUE(project.modified);

    Focus(IDC_LOCAL_VALUE);
    Type(IDC_LOCAL_VALUE, "25");
    EXPECT_EQ(Text(IDC_SLOT_VALUE), "2.5");
    EXPECT_EQ(Text(IDC_SLOT_VALUE + 1), "12.5");
    EXPECT_EQ(Text(IDC_SLOT_VALUE + 2), "-25");

    Focus(IDC_SLOT_VALUE);
    Type(IDC_SLOT_VALUE, "5");
    EXPECT_EQ(Text(IDC_LOCAL_VALUE), "50");
    Focus(IDC_SLOT_VALUE + 1);
    Type(IDC_SLOT_VALUE + 1, "19");
    EXPECT_EQ(Text(IDC_LOCAL_VALUE), "90");
    Focus(IDC_SLOT_VALUE + 2);
    Type(IDC_SLOT_VALUE + 2, "60");
    EXPECT_EQ(Text(IDC_LOCAL_VALUE), "110");
    EXPECT_EQ(TextColour(IDC_LOCAL_LABEL), RGB(255, 0, 0)) << "beyond the main range";
    Type(IDC_SLOT_VALUE + 2, "0");
    EXPECT_EQ(Text(IDC_LOCAL_VALUE), "50");

    ExpectModal(EnterRange("Beta", "0", "200"));
    Command(IDC_SLOT_EDIT + 1);
    EXPECT_EQ(Text(IDC_SLOT_VALUE + 1), "100");
    EXPECT_EQ(TextColour(IDC_SLOT_NAME + 1), RGB(255, 0, 0)) << "Beta now sticks out";

    Command(IDC_SLOT_DELETE);
    EXPECT_EQ(Text(IDC_SLOT_NAME), "Beta");
    EXPECT_EQ(Text(IDC_SLOT_NAME + 1), "Gamma");
    EXPECT_EQ(Text(IDC_SLOT_NAME + 2), "empty");

    ExpectModal(ChooseFile(Path("session")));
    Command(IDM_SAVE_PROJECT);
    EXPECT_EQ(Text(IDC_PROJECT_NAME), "session");
    EXPECT_FALSE(project.modified);

    CloseForRestart(); // saved: no question

    // The next start: everything is back from "Values.dat".
    std::memset(&project, 0, sizeof project);
    Open();
    EXPECT_EQ(Text(IDC_PROJECT_NAME), "session");
    EXPECT_EQ(Text(IDC_MAIN_RANGE), "0 to 100");
    EXPECT_EQ(Text(IDC_LOCAL_VALUE), "50");
    EXPECT_EQ(Text(IDC_SLOT_NAME), "Beta");
    EXPECT_EQ(Text(IDC_SLOT_VALUE), "100");
    EXPECT_EQ(Text(IDC_SLOT_VALUE + 1), "0");

    // Values typed after the start are not saved in the project; opening it
    // brings the saved ones back.
    Focus(IDC_LOCAL_VALUE);
    Type(IDC_LOCAL_VALUE, "75");
    std::string folderShown;
    ExpectModal(ChooseFile(Path("session.prj"), nullptr, &folderShown));
    Command(IDM_OPEN_PROJECT);
    EXPECT_EQ(_stricmp(folderShown.c_str(), folder.c_str()), 0) << "starts in the project's folder";
    EXPECT_EQ(Text(IDC_LOCAL_VALUE), "50");
    EXPECT_EQ(Text(IDC_SLOT_NAME + 1), "Gamma");
    EXPECT_EQ(Text(IDC_SLOT_NAME + 2), "empty");
    EXPECT_FALSE(project.modified);
}

} // namespace
