// Open Project, Save Project and the question about unsaved changes, with the
// real file dialogs and message boxes answered by the modal driver.
#include "MainWindowFixture.h"
#include "ModalDriver.h"

#include "ProjectState.h"
#include "StateCodec.h"
#include "StateFile.h"
#include "KeepFiles.h"
#include "MainWindow.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

namespace
{

const char QUESTION[] = "Data has been modified. Do you want to save changes?";

class ProjectCommands : public InUseWindowTest
{
  protected:
    // A project file on disk holding a recognisable state.
    std::string SaveOtherProject(const char* name)
    {
        const ProjectState mine = project;
        std::memset(&project, 0, sizeof project);
        project.mainLow = -1;
        project.mainHigh = 1;
        project.localValue = 0.5;
        PutRange(0, "Other", 0, 10);
        const std::string path = Path(name);
        EXPECT_EQ(SaveState(path.c_str()), 1);
        project = mine;
        return path;
    }
};

TEST_F(ProjectCommands, SaveProjectWritesTheFileAndNamesTheProject)
{
    project.modified = true;
    std::string prefilled = "unset";
    ExpectModal(ChooseFile(Path("plan"), &prefilled));
    Command(IDM_SAVE_PROJECT);

    EXPECT_EQ(prefilled, "") << "no project yet: the name box starts empty";
    EXPECT_EQ(ReadBytes(Path("plan.prj")).size(), PROJECT_IMAGE_SIZE) << "the default extension";
    EXPECT_EQ(Text(IDC_PROJECT_NAME), "plan");
    EXPECT_STREQ(project.projectTitle, "plan.prj");
    EXPECT_EQ(std::string(project.projectDir), folder);
    EXPECT_FALSE(project.modified);
}

TEST_F(ProjectCommands, TheSaveDialogStartsFromTheCurrentProject)
{
    std::strcpy(project.projectTitle, "budget.prj");
    CopyText(project.projectDir, PATH_SIZE, folder.c_str());
    std::string name;
    std::string where;
    ExpectModal(ChooseFile(Path("budget2.prj"), &name, &where));
    Command(IDM_SAVE_PROJECT);
    EXPECT_EQ(name, "budget.prj");
    EXPECT_EQ(_stricmp(where.c_str(), folder.c_str()), 0) << where;
    EXPECT_TRUE(FileExists(Path("budget2.prj")));
}

TEST_F(ProjectCommands, SavingOverAnExistingFileAsksFirst)
{
    WriteBytes(Path("old.prj"), std::vector<unsigned char>(10, 0));
    ExpectModal(ChooseFile(Path("old.prj")));
    ExpectModal(
        [](HWND box)
        {
            EXPECT_TRUE(GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO)) << "a yes-or-no question";
            PressButton(box, IDNO);
            PressButton(GetWindow(box, GW_OWNER), IDCANCEL); // No returns to the file dialog
        });
    Command(IDM_SAVE_PROJECT);
    EXPECT_EQ(ReadBytes(Path("old.prj")).size(), 10u) << "not replaced after No";

    ExpectModal(ChooseFile(Path("old.prj")));
    ExpectModal(ConfirmReplace());
    Command(IDM_SAVE_PROJECT);
    EXPECT_EQ(ReadBytes(Path("old.prj")).size(), PROJECT_IMAGE_SIZE);
}

TEST_F(ProjectCommands, OpenProjectReadsTheFileBack)
{
    const std::string path = SaveOtherProject("other.prj");
    ExpectModal(ChooseFile(path));
    Command(IDM_OPEN_PROJECT);

    EXPECT_EQ(project.mainLow, -1);
    EXPECT_EQ(project.localValue, 0.5);
    EXPECT_STREQ(project.ranges[0].name, "Other");
    EXPECT_EQ(project.ranges[1].inUse, 0) << "free slots stay free";
    EXPECT_EQ(Text(IDC_SLOT_NAME + 1), "empty");
    EXPECT_EQ(Text(IDC_MAIN_RANGE), "-1 to 1");
    EXPECT_EQ(Text(IDC_PROJECT_NAME), "other");
    EXPECT_EQ(Text(IDC_SLOT_VALUE), "7.5") << "recomputed from the local value";
    EXPECT_EQ(std::string(project.projectDir), folder);
}

TEST_F(ProjectCommands, CancelInTheQuestionKeepsEverything)
{
    project.modified = true;
    std::string text;
    ExpectModal(AnswerMessageBox("Save Data", IDCANCEL, &text));
    Command(IDM_OPEN_PROJECT);
    EXPECT_EQ(text, QUESTION);
    EXPECT_TRUE(project.modified);
    EXPECT_STREQ(project.ranges[0].name, "Alpha");
}

TEST_F(ProjectCommands, NoOpensWithoutSavingAndStaysModified)
{
    const std::string path = SaveOtherProject("other.prj");
    project.modified = true;
    ExpectModal(AnswerMessageBox("Save Data", IDNO));
    ExpectModal(ChooseFile(path));
    Command(IDM_OPEN_PROJECT);
    EXPECT_STREQ(project.ranges[0].name, "Other");
    EXPECT_TRUE(project.modified) << "the question comes again next time";
}

TEST_F(ProjectCommands, YesSavesBeforeOpening)
{
    const std::string path = SaveOtherProject("other.prj");
    project.modified = true;
    ExpectModal(AnswerMessageBox("Save Data", IDYES));
    ExpectModal(ChooseFile(Path("kept.prj")));
    ExpectModal(ChooseFile(path));
    Command(IDM_OPEN_PROJECT);

    EXPECT_STREQ(project.ranges[0].name, "Other");
    EXPECT_FALSE(project.modified);
    EXPECT_STREQ(project.projectTitle, "other.prj");
    const std::vector<unsigned char> kept = ReadBytes(Path("kept.prj"));
    ASSERT_EQ(kept.size(), PROJECT_IMAGE_SIZE);
    ProjectState saved = {};
    ASSERT_EQ(DecodeState(kept.data(), kept.size(), false, saved), 1);
    EXPECT_STREQ(saved.ranges[0].name, "Alpha") << "the changes were saved before the open";
}

TEST_F(ProjectCommands, YesThenCancellingTheSaveStopsTheOpen)
{
    SaveOtherProject("other.prj");
    project.modified = true;
    ExpectModal(AnswerMessageBox("Save Data", IDYES));
    ExpectModal(CancelFileDialog());
    Command(IDM_OPEN_PROJECT); // no open dialog may follow
    EXPECT_STREQ(project.ranges[0].name, "Alpha");
    EXPECT_TRUE(project.modified);
}

TEST_F(ProjectCommands, AFailedSaveIsReportedAndChangesNothing)
{
    std::strcpy(project.projectTitle, "before.prj");
    std::strcpy(project.projectDir, "C:\\before");
    project.modified = true;
    const std::vector<unsigned char> old(PROJECT_IMAGE_SIZE, 0x42);
    WriteBytes(Path("locked.prj"), old);
    SetFileAttributesA(Path("locked.prj").c_str(), FILE_ATTRIBUTE_READONLY);

    std::string error;
    ExpectModal(ChooseFile(Path("locked.prj")));
    ExpectModal(ConfirmReplace());
    ExpectModal(
        [&error](HWND box)
        {
            error = MessageBoxText(box);
            EXPECT_EQ(GetWindow(box, GW_OWNER), mainWindow);
            EXPECT_TRUE(MessageBoxHasIcon(box, IDI_HAND));
            PressButton(box, IDOK);
        });
    Command(IDM_SAVE_PROJECT);
    SetFileAttributesA(Path("locked.prj").c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_NE(error.find(Path("locked.prj")), std::string::npos) << error;
    EXPECT_TRUE(project.modified);
    EXPECT_STREQ(project.projectTitle, "before.prj");
    EXPECT_STREQ(project.projectDir, "C:\\before");
    EXPECT_EQ(ReadBytes(Path("locked.prj")), old);
}

TEST_F(ProjectCommands, YesThenAFailedSaveStopsTheOpen)
{
    const std::string path = SaveOtherProject("other.prj");
    project.modified = true;
    HANDLE held = CreateFileA(Path("held.prj").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ExpectModal(AnswerMessageBox("Save Data", IDYES));
    ExpectModal(ChooseFile(Path("held.prj")));
    ExpectModal(ConfirmReplace());
    ExpectModal(AnswerMessageBox("Values", IDOK));
    Command(IDM_OPEN_PROJECT);
    CloseHandle(held);
    EXPECT_STREQ(project.ranges[0].name, "Alpha");
    EXPECT_TRUE(project.modified);
}

TEST_F(ProjectCommands, AnUnreadableProjectIsReportedAndChangesNothing)
{
    WriteBytes(Path("short.prj"), std::vector<unsigned char>(PROJECT_IMAGE_SIZE - 1, 0));
    std::strcpy(project.projectTitle, "mine.prj");
    const ProjectState before = project;

    std::string error;
    ExpectModal(ChooseFile(Path("short.prj")));
    ExpectModal(AnswerMessageBox("Values", IDOK, &error));
    Command(IDM_OPEN_PROJECT);

    EXPECT_NE(error.find(Path("short.prj")), std::string::npos) << error;
    EXPECT_EQ(std::memcmp(&project, &before, sizeof project), 0);
    EXPECT_EQ(Text(IDC_PROJECT_NAME), "mine");
}

TEST_F(ProjectCommands, CancellingTheOpenDialogChangesNothing)
{
    const ProjectState before = project;
    ExpectModal(CancelFileDialog());
    Command(IDM_OPEN_PROJECT);
    EXPECT_EQ(std::memcmp(&project, &before, sizeof project), 0);
}

// Ctrl+O and Ctrl+S by real key events: the same commands as the menu's,
// wherever the focus is in the main window.
TEST_F(ProjectCommands, ShortcutsOpenAndSaveWhereverTheFocusIs)
{
    for (int id : {IDC_LOCAL_VALUE, IDC_SLOT_VALUE + 1, IDC_SLOT_EDIT, IDC_KEEP_ON_TOP})
    {
        SCOPED_TRACE("focus on control " + std::to_string(id));
        Focus(id);
        ExpectModal(CancelFileDialog());
        PressShortcut('O');
        Pump();
        EXPECT_EQ(StepsLeft(), 0) << "Ctrl+O showed no dialog";
    }

    project.modified = true;
    ExpectModal(ChooseFile("plan"));
    PressShortcut('S');
    Pump();
    EXPECT_EQ(StepsLeft(), 0) << "Ctrl+S showed no dialog";
    EXPECT_EQ(ReadBytes(Path("plan.prj")).size(), PROJECT_IMAGE_SIZE);
    EXPECT_FALSE(project.modified);
    EXPECT_EQ(Text(IDC_PROJECT_NAME), "plan");

    // The question about unsaved changes comes first, as from the menu.
    const std::string other = SaveOtherProject("other.prj");
    project.modified = true;
    Focus(IDC_LOCAL_VALUE);
    ExpectModal(AnswerMessageBox("Save Data", IDNO));
    ExpectModal(ChooseFile(other));
    PressShortcut('O');
    Pump();
    EXPECT_EQ(StepsLeft(), 0);
    EXPECT_STREQ(project.ranges[0].name, "Other");
}

// While the range dialog or a message box is open, the keys go to it, and
// the shortcuts do nothing: no file dialog may follow, then or later.
TEST_F(ProjectCommands, ShortcutsDoNothingWhileADialogIsOpen)
{
    const ModalStep pressShortcutsThenCancel = [](HWND dialog)
    {
        PressShortcut('O');
        PressShortcut('S');
        PressButtonLater(dialog, IDCANCEL);
    };
    ExpectModal(pressShortcutsThenCancel);
    Command(IDM_NEW_MAIN);
    project.modified = true;
    ExpectModal(pressShortcutsThenCancel);
    Command(IDM_OPEN_PROJECT);
    Pump();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_STREQ(project.ranges[0].name, "Alpha");
}

// A drop of these files, as the shell hands it to a window.
HDROP DropOf(const std::vector<std::string>& paths)
{
    std::size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& path : paths)
        size += path.size() + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    DROPFILES* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    char* name = reinterpret_cast<char*>(drop + 1);
    for (const std::string& path : paths)
        name = std::strcpy(name, path.c_str()) + path.size() + 1;
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// One project dropped on the window opens as Open Project opens one,
// question first. Several files, a file of another kind, or any drop while
// the window is disabled by a dialog or question, change nothing.
TEST_F(ProjectCommands, ADroppedProjectOpens)
{
    const std::string other = SaveOtherProject("other.prj");
    WriteBytes(Path("notes.txt"), {1});
    const struct
    {
        std::vector<std::string> files;
        std::string said;
    } refused[] = {
        {{other, other}, "Drop one project file"},
        {{Path("notes.txt")}, Path("notes.txt")},
    };
    for (const auto& drop : refused)
    {
        std::string text;
        ExpectModal(AnswerMessageBox("Values", IDOK, &text));
        SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf(drop.files)), 0);
        EXPECT_NE(text.find(drop.said), std::string::npos) << text;
    }
    EnableWindow(window, FALSE);
    SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({other})), 0);
    EnableWindow(window, TRUE);
    EXPECT_STREQ(project.ranges[0].name, "Alpha");

    // Opened, and handed to the shell's recent documents: the file dialogs
    // do that themselves, a drop has no dialog.
    char recent[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_RECENT, nullptr, SHGFP_TYPE_CURRENT, recent);
    const std::string link = std::string(recent) + "\\other.prj.lnk";
    DeleteFileA(link.c_str());
    project.modified = true;
    ExpectModal(AnswerMessageBox("Save Data", IDNO));
    SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({other})), 0);
    EXPECT_STREQ(project.ranges[0].name, "Other");
    EXPECT_EQ(Text(IDC_PROJECT_NAME), "other");
    EXPECT_TRUE(FileExists(link)) << link;
}

// The last projects opened or saved, newest first, each once whatever its
// letter case, with a long folder shortened; one that no longer opens is
// reported and taken off; with none the menu is as it always was.
TEST_F(ProjectCommands, TheFileMenuListsTheLastProjects)
{
    const char* recentKey = "Software\\The values developers\\values\\Recent Projects";
    RegDeleteKeyA(HKEY_CURRENT_USER, recentKey);
    const std::vector<std::string> plain = {"&Open Project\tCtrl+O", "&Save Project\tCtrl+S",
                                            "&Exit"};
    EXPECT_EQ(FileMenu(window), plain);
    const std::string deep = Path(std::string(60, 'd').c_str());
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    const std::string a = SaveOtherProject("a.prj");
    std::string upperA = a;
    CharUpperA(&upperA[0]);
    const struct
    {
        std::string path;
        int command;
    } used[] = {
        {a, IDM_OPEN_PROJECT}, {deep + "\\b.prj", IDM_SAVE_PROJECT}, {upperA, IDM_OPEN_PROJECT}};
    for (const auto& use : used)
    {
        ExpectModal(ChooseFile(use.path));
        Command(use.command);
    }
    std::vector<std::string> menu = FileMenu(window);
    ASSERT_EQ(menu.size(), 6u);
    EXPECT_EQ(menu[2], "&1 " + upperA);
    EXPECT_EQ(menu[3].substr(0, 6), "&2 C:\\") << menu[3];
    EXPECT_NE(menu[3].find("...\\"), std::string::npos) << menu[3];
    EXPECT_EQ(menu[3].substr(menu[3].size() - 6), "\\b.prj") << menu[3];
    EXPECT_EQ(menu[4], "-");

    DeleteFileA((deep + "\\b.prj").c_str());
    std::string error;
    ExpectModal(AnswerMessageBox("Values", IDOK, &error));
    Command(IDM_RECENT_PROJECT + 1);
    EXPECT_NE(error.find("b.prj"), std::string::npos) << error;
    EXPECT_EQ(FileMenu(window).size(), 5u) << "taken off the list";

    project.mainLow = 5;
    Command(IDM_RECENT_PROJECT);
    EXPECT_EQ(project.mainLow, -1) << "the first one opened again";
    RegDeleteKeyA(HKEY_CURRENT_USER, recentKey);
}

class Closing : public ProjectCommands
{
};

TEST_F(Closing, CancelKeepsTheWindowOpenAndWritesNothing)
{
    project.modified = true;
    ExpectModal(AnswerMessageBox("Save Data", IDCANCEL));
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(editIcon) << "the icons are kept while the window stays";
    EXPECT_FALSE(FileExists(Path("Values.dat")));
    EXPECT_FALSE(FileExists(Path("Values.ini")));
}

TEST_F(Closing, NoClosesAndWritesBothFiles)
{
    project.modified = true;
    ExpectModal(AnswerMessageBox("Save Data", IDNO));
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(editIcon);
    const std::vector<unsigned char> state = ReadBytes(Path("Values.dat"));
    ASSERT_EQ(state.size(), STATE_IMAGE_SIZE);
    ProjectState saved = {};
    ASSERT_EQ(DecodeState(state.data(), state.size(), true, saved), 1);
    EXPECT_EQ(saved.localValue, 50);
    EXPECT_STREQ(saved.ranges[1].name, "Beta");
    EXPECT_EQ(ReadBytes(Path("Values.ini")).size(), WINDOW_SETTINGS_SIZE);
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        << "the loop is told to end";
    EXPECT_EQ(quit.wParam, 0u);
}

// A state file that cannot be written is never lost without a word: the
// close asks, naming the file and its folder; Cancel keeps values open with
// everything as it was; Try Again, once the file can be written, closes.
// (Continue, which closes without the file, is a test of the program.)
TEST_F(Closing, AStateFileThatCannotBeWrittenIsAskedAbout)
{
    const std::vector<unsigned char> old(STATE_IMAGE_SIZE, 0x42);
    WriteBytes(Path("Values.dat"), old);
    SetFileAttributesA(Path("Values.dat").c_str(), FILE_ATTRIBUTE_READONLY);

    std::string question;
    ExpectModal(
        [&question](HWND box)
        {
            question = MessageBoxText(box);
            EXPECT_EQ(WindowText(box), "Values");
            EXPECT_EQ(GetWindow(box, GW_OWNER), mainWindow);
            EXPECT_TRUE(GetDlgItem(box, IDTRYAGAIN) && GetDlgItem(box, IDCONTINUE) &&
                        GetDlgItem(box, IDCANCEL));
            PressButton(box, IDCANCEL);
        });
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_NE(question.find("\"Values.dat\""), std::string::npos) << question;
    EXPECT_EQ(question.find("Values.ini"), std::string::npos) << question;
    char here[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, here);
    EXPECT_NE(question.find(here), std::string::npos) << question;
    EXPECT_TRUE(IsWindow(window)) << "Cancel keeps values open";
    EXPECT_EQ(SendMessageA(Item(IDC_SLOT_EDIT), BM_GETIMAGE, IMAGE_ICON, 0),
              reinterpret_cast<LRESULT>(editIcon));
    EXPECT_TRUE(editIcon);
    EXPECT_EQ(Text(IDC_LOCAL_VALUE), "50");
    EXPECT_EQ(ReadBytes(Path("Values.dat")), old);

    ExpectModal(
        [this](HWND box)
        {
            SetFileAttributesA(Path("Values.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
            PressButton(box, IDTRYAGAIN);
        });
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    const std::vector<unsigned char> state = ReadBytes(Path("Values.dat"));
    ProjectState saved = {};
    ASSERT_EQ(DecodeState(state.data(), state.size(), true, saved), 1);
    EXPECT_EQ(saved.localValue, 50);
    EXPECT_EQ(ReadBytes(Path("Values.ini")).size(), WINDOW_SETTINGS_SIZE);
}

// The window settings file follows the same rule, in the same question,
// which blames it alone. Unsaved changes answered No, then Cancel: values
// runs on with them, and the state file, which the close wrote without the
// unsaved mark, is soon kept with it again.
TEST_F(Closing, ASettingsFileThatCannotBeWrittenIsAskedAboutToo)
{
    WriteBytes(Path("Values.ini"), std::vector<unsigned char>(WINDOW_SETTINGS_SIZE, 0));
    SetFileAttributesA(Path("Values.ini").c_str(), FILE_ATTRIBUTE_READONLY);
    project.modified = true;
    std::string question;
    ExpectModal(AnswerMessageBox("Save Data", IDNO));
    ExpectModal(AnswerMessageBox("Values", IDCANCEL, &question));
    SendMessageA(window, WM_CLOSE, 0, 0);
    SetFileAttributesA(Path("Values.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_NE(question.find("\"Values.ini\""), std::string::npos) << question;
    EXPECT_EQ(question.find("Values.dat"), std::string::npos) << question;
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(project.modified);

    const auto marked = [this]()
    {
        const std::vector<unsigned char> image = ReadBytes(Path("Values.dat"));
        ProjectState kept = {};
        return DecodeState(image.data(), image.size(), true, kept) && kept.modified;
    };
    EXPECT_FALSE(marked()) << "the close wrote the answered state";
    SendMessageA(window, WM_TIMER, KEEP_QUIET_TIMER, 0);
    EXPECT_TRUE(PumpUntil(marked)) << "the unsaved changes were never marked again";
}

TEST_F(Closing, WithoutChangesThereIsNoQuestion)
{
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(FileExists(Path("Values.dat")));
}

} // namespace
