// The main window: what it shows, its colours, and typing into its boxes.
#include "MainWindowFixture.h"

#include "NumberText.h"
#include "ProjectState.h"
#include "MainWindow.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace
{

constexpr COLORREF RED = RGB(255, 0, 0);
constexpr COLORREF BLACK = RGB(0, 0, 0);

TEST_F(MainWindowTest, FirstRunShowsAnEmptyState)
{
    Open();
    EXPECT_EQ(Text(IDC_MAIN_RANGE), "0 to 0");
    EXPECT_EQ(Text(IDC_LOCAL_VALUE), "0");
    EXPECT_EQ(Text(IDC_PROJECT_NAME), "");
    for (int k = 0; k < RANGE_SLOTS; k++)
    {
        SCOPED_TRACE("slot " + std::to_string(k));
        EXPECT_EQ(Text(IDC_SLOT_NAME + k), "empty");
        EXPECT_EQ(Text(IDC_SLOT_VALUE + k), "");
        EXPECT_FALSE(Enabled(IDC_SLOT_NAME + k));
        EXPECT_FALSE(Enabled(IDC_SLOT_VALUE + k));
        EXPECT_FALSE(Enabled(IDC_SLOT_EDIT + k));
        EXPECT_FALSE(Enabled(IDC_SLOT_DELETE + k));
    }
    EXPECT_TRUE(Enabled(IDC_LOCAL_VALUE));
    EXPECT_EQ(IsDlgButtonChecked(window, IDC_KEEP_ON_TOP), BST_UNCHECKED);
}

TEST_F(MainWindowTest, TheLocalValueBoxHasTheFocusAfterTheStart)
{
    Open();
    EXPECT_EQ(GetFocus(), Item(IDC_LOCAL_VALUE));
}

TEST_F(MainWindowTest, AStoredValueIsReadBackRoundedAtTheFirstDisplay)
{
    // The first refresh writes the focused local value box, and the focus
    // rule reads the rounded text back as the new value.
    project.localValue = 3.14159;
    project.mainHigh = 10;
    PutRange(0, "A", 0, 100);
    WriteStateFile(Path("Values.dat"));
    std::memset(&project, 0, sizeof project);

    Open();
    EXPECT_EQ(Text(IDC_LOCAL_VALUE), "3.14");
    EXPECT_EQ(project.localValue, 3.14);
    EXPECT_EQ(Text(IDC_SLOT_VALUE), "31.4") << "the compressed boxes get their first text";
}

TEST_F(MainWindowTest, RowsShowTheRangesInUse)
{
    project.mainHigh = 100;
    PutRange(0, "Alpha", 10, 20);
    PutRange(2, "Gamma", 0, 1); // a gap, as a foreign file may hold
    Open();
    EXPECT_EQ(Text(IDC_SLOT_NAME), "Alpha");
    EXPECT_EQ(Text(IDC_SLOT_NAME + 1), "empty");
    EXPECT_EQ(Text(IDC_SLOT_NAME + 2), "Gamma");
    for (int id : {IDC_SLOT_NAME, IDC_SLOT_VALUE, IDC_SLOT_EDIT, IDC_SLOT_DELETE})
    {
        EXPECT_TRUE(Enabled(id));
        EXPECT_FALSE(Enabled(id + 1));
        EXPECT_TRUE(Enabled(id + 2));
    }
    EXPECT_EQ(Text(IDC_MAIN_RANGE), "0 to 100");
}

class Typing : public MainWindowTest
{
  protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        project.mainHigh = 100;
        PutRange(0, "A", 10, 20);
        PutRange(2, "C", 0, 1000);
        Open();
    }
};

TEST_F(Typing, TheLocalValueMovesEveryCompressedBox)
{
    Focus(IDC_LOCAL_VALUE);
    Type(IDC_LOCAL_VALUE, "50");
    EXPECT_EQ(project.localValue, 50);
    EXPECT_EQ(Text(IDC_SLOT_VALUE), "15");
    EXPECT_EQ(Text(IDC_SLOT_VALUE + 2), "500");
    EXPECT_EQ(Text(IDC_SLOT_VALUE + 1), "") << "a free row stays empty";
    EXPECT_EQ(Text(IDC_LOCAL_VALUE), "50");
    EXPECT_FALSE(project.modified) << "typing never marks the project modified";
}

TEST_F(Typing, TheBoxBeingTypedInIsNeverRewritten)
{
    Focus(IDC_LOCAL_VALUE);
    Type(IDC_LOCAL_VALUE, "12.");
    EXPECT_EQ(Text(IDC_LOCAL_VALUE), "12.");
    EXPECT_EQ(Text(IDC_SLOT_VALUE), "11.2");
    Type(IDC_LOCAL_VALUE, "0.125");
    EXPECT_EQ(Text(IDC_LOCAL_VALUE), "0.125") << "not rounded while typed";
    EXPECT_EQ(project.localValue, 0.125);
}

TEST_F(Typing, ACompressedValueMovesTheLocalValueAndTheOtherSlots)
{
    Focus(IDC_SLOT_VALUE + 2);
    Type(IDC_SLOT_VALUE + 2, "250");
    EXPECT_EQ(project.localValue, 25);
    EXPECT_EQ(Text(IDC_LOCAL_VALUE), "25");
    EXPECT_EQ(Text(IDC_SLOT_VALUE), "12.5");
    EXPECT_EQ(Text(IDC_SLOT_VALUE + 2), "250");
    Type(IDC_SLOT_VALUE + 2, "1e3");
    EXPECT_EQ(Text(IDC_SLOT_VALUE + 2), "1e3");
    EXPECT_EQ(Text(IDC_LOCAL_VALUE), "100");
}

TEST_F(Typing, ABoxLeftBehindShowsItsValueInTheDisplayForm)
{
    Focus(IDC_LOCAL_VALUE);
    Type(IDC_LOCAL_VALUE, "1.234");
    Focus(IDC_SLOT_VALUE + 2);
    EXPECT_EQ(Text(IDC_LOCAL_VALUE), "1.23");
    EXPECT_EQ(project.localValue, 1.234) << "the rewritten text is not read back";
    Type(IDC_SLOT_VALUE + 2, "250.");
    Focus(IDC_LOCAL_VALUE);
    EXPECT_EQ(Text(IDC_SLOT_VALUE + 2), "250");
    EXPECT_EQ(Text(IDC_LOCAL_VALUE), "25");
}

TEST_F(MainWindowTest, ATypedValueTheRangesCannotTakeIsNotLeftShowing)
{
    // With no main range yet, a typed compressed value becomes NaN; once the
    // user leaves the box, it must not go on showing the number typed.
    PutRange(0, "A", 10, 20);
    Open();
    Focus(IDC_SLOT_VALUE);
    Type(IDC_SLOT_VALUE, "706");
    Focus(IDC_LOCAL_VALUE);
    // The span is 0: the local value becomes 0 + 696 x 0 / 10 = 0, and the
    // row 10 + 0 x 10 / 0, not a number, in the runtime's words for it.
    const std::string shown = Text(IDC_SLOT_VALUE);
    EXPECT_TRUE(shown == "nan" || shown == "-nan") << shown;
    EXPECT_EQ(Text(IDC_LOCAL_VALUE), "0");
}

TEST_F(Typing, ChangesToBoxesWithoutTheFocusAreIgnored)
{
    Focus(IDC_LOCAL_VALUE);
    Type(IDC_LOCAL_VALUE, "50");
    SetDlgItemTextA(window, IDC_SLOT_VALUE, "99");
    EXPECT_EQ(project.ranges[0].value, 15);
    EXPECT_EQ(project.localValue, 50);
    EXPECT_EQ(Text(IDC_SLOT_VALUE + 2), "500");
}

TEST_F(Typing, AChangeInAFreeSlotsBoxIsIgnored)
{
    Focus(IDC_LOCAL_VALUE);
    Type(IDC_LOCAL_VALUE, "50");
    EnableWindow(Item(IDC_SLOT_VALUE + 1), TRUE); // only so that it can take the focus
    Focus(IDC_SLOT_VALUE + 1);
    Type(IDC_SLOT_VALUE + 1, "7");
    EXPECT_EQ(project.localValue, 50);
    EXPECT_EQ(project.ranges[1].value, 0);
    EXPECT_EQ(Text(IDC_LOCAL_VALUE), "50");
}

TEST_F(Typing, TheNumberBoxesRefuseLetters)
{
    Focus(IDC_LOCAL_VALUE);
    Type(IDC_LOCAL_VALUE, "4x2");
    EXPECT_EQ(Text(IDC_LOCAL_VALUE), "42");
    EXPECT_EQ(project.localValue, 42);
}

TEST_F(Typing, ARefreshWhileABoxHasTheFocusReadsItsTextBack)
{
    project.ranges[0].value = 12.345678; // not what the box shows
    Focus(IDC_SLOT_VALUE);
    RefreshWindow();
    RefreshValueBoxes(IDC_LOCAL_VALUE);
    EXPECT_EQ(Text(IDC_SLOT_VALUE), "12.35");
    EXPECT_DOUBLE_EQ(project.ranges[0].value, 12.35);
    EXPECT_DOUBLE_EQ(project.localValue, 23.5);
}

TEST_F(MainWindowTest, LabelColoursFollowTheRanges)
{
    project.mainLow = 10;
    project.mainHigh = 20;
    PutRange(0, "Sticks out", 5, 15);
    PutRange(1, "Inside", 10, 20);
    project.ranges[3].low = -1000; // a free slot's old bytes are never shown
    project.localValue = 15;
    Open();

    EXPECT_EQ(TextColour(IDC_LOCAL_LABEL), BLACK);
    EXPECT_EQ(TextColour(IDC_SLOT_NAME), RED);
    EXPECT_EQ(TextColour(IDC_SLOT_NAME + 1), BLACK);
    EXPECT_NE(TextColour(IDC_SLOT_NAME + 3), RED);
    EXPECT_EQ(TextColour(IDC_PROJECT_NAME), RGB(0, 0, 100));

    project.mainLow = 0;
    EXPECT_EQ(TextColour(IDC_SLOT_NAME), BLACK) << "inside once the main range widens";

    Focus(IDC_LOCAL_VALUE);
    Type(IDC_LOCAL_VALUE, "120");
    EXPECT_EQ(TextColour(IDC_LOCAL_LABEL), RED);
    EXPECT_EQ(Text(IDC_SLOT_VALUE + 1), "70") << "shown beyond its range, unclipped";
    Type(IDC_LOCAL_VALUE, "20");
    EXPECT_EQ(TextColour(IDC_LOCAL_LABEL), BLACK) << "the high end is inside";
    Type(IDC_LOCAL_VALUE, "0");
    EXPECT_EQ(TextColour(IDC_LOCAL_LABEL), BLACK) << "the low end is inside";
    Type(IDC_LOCAL_VALUE, "-0.01");
    EXPECT_EQ(TextColour(IDC_LOCAL_LABEL), RED);
}

TEST_F(MainWindowTest, EveryStaticPaintsOnTheButtonFace)
{
    Open();
    EXPECT_TRUE(buttonFaceBrush);
    for (int id : {IDC_PROJECT_NAME, IDC_LOCAL_LABEL, IDC_SLOT_NAME, IDC_MAIN_RANGE})
    {
        EXPECT_EQ(BackgroundColour(id), GetSysColor(COLOR_BTNFACE)) << id;
        EXPECT_EQ(Background(id), buttonFaceBrush) << id;
    }
}

TEST_F(MainWindowTest, TheColourQueryNeverAnswersAnInvalidBrush)
{
    // Before the entry point has made its brush (the window paints as soon
    // as it is shown), the system's button-face brush stands in.
    Open();
    DeleteObject(buttonFaceBrush);
    buttonFaceBrush = nullptr;
    HBRUSH brush = Background(IDC_LOCAL_LABEL);
    EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(brush, GetSysColorBrush(COLOR_BTNFACE));
}

TEST_F(MainWindowTest, TheProjectLabelDropsTheExtension)
{
    Open();
    const struct
    {
        const char* title;
        const char* shown;
    } cases[] = {
        {"budget.prj", "budget"}, {"my.data.prj", "my.data"}, {"noextension", "noextension"}};
    for (const auto& c : cases)
    {
        std::strcpy(project.projectTitle, c.title);
        RefreshWindow();
        EXPECT_EQ(Text(IDC_PROJECT_NAME), c.shown);
    }
    project.projectTitle[0] = '\0';
    RefreshWindow();
    EXPECT_EQ(Text(IDC_PROJECT_NAME), "noextension") << "no project: the label keeps its text";
}

TEST_F(MainWindowTest, AVeryLongProjectTitleIsCutToTheLabel)
{
    Open();
    // 200 characters: cut to 127 first, then at its last full stop.
    std::string title = "a.b" + std::string(190, 'x') + ".prj";
    CopyText(project.projectTitle, PATH_SIZE, title.c_str());
    RefreshWindow();
    EXPECT_EQ(Text(IDC_PROJECT_NAME), "a");

    title = std::string(200, 'y') + ".prj";
    CopyText(project.projectTitle, PATH_SIZE, title.c_str());
    RefreshWindow();
    EXPECT_EQ(Text(IDC_PROJECT_NAME), std::string(127, 'y'));
}

TEST_F(MainWindowTest, RowButtonsCarryTheRowIcons)
{
    Open();
    ASSERT_TRUE(editIcon) << "edit.ico beside the program";
    ASSERT_TRUE(deleteIcon) << "delete.ico beside the program";
    for (int k = 0; k < RANGE_SLOTS; k++)
    {
        EXPECT_EQ(SendMessageA(Item(IDC_SLOT_EDIT + k), BM_GETIMAGE, IMAGE_ICON, 0),
                  reinterpret_cast<LRESULT>(editIcon));
        EXPECT_EQ(SendMessageA(Item(IDC_SLOT_DELETE + k), BM_GETIMAGE, IMAGE_ICON, 0),
                  reinterpret_cast<LRESULT>(deleteIcon));
    }
}

// A folder without the icon files (a start by "Open with" in another
// folder, a copy of the program alone): the buttons show the same pictures,
// built into the program, at the size the files would give.
TEST_F(MainWindowTest, WithoutTheIconFilesTheButtonsShowTheBuiltInPictures)
{
    for (const char* icon : {"edit.ico", "delete.ico"})
        DeleteFileA(Path(icon).c_str());
    Open();
    ASSERT_TRUE(editIcon && deleteIcon);
    EXPECT_EQ(SendMessageA(Item(IDC_SLOT_EDIT), BM_GETIMAGE, IMAGE_ICON, 0),
              reinterpret_cast<LRESULT>(editIcon));
    EXPECT_EQ(SendMessageA(Item(IDC_SLOT_DELETE + 4), BM_GETIMAGE, IMAGE_ICON, 0),
              reinterpret_cast<LRESULT>(deleteIcon));
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    for (HICON icon : {editIcon, deleteIcon})
    {
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap = {};
        GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, MulDiv(ROW_ICON_WIDTH, dpi, BASE_DPI));
        EXPECT_EQ(bitmap.bmHeight, MulDiv(ROW_ICON_HEIGHT, dpi, BASE_DPI));
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
}

} // namespace
