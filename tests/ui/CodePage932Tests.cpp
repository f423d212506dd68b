// Paths in the Japanese code page (932), where the second byte of many
// characters is 0x5C, the backslash: 表 is 95 5C, 予 97 5C, ソ 83 5C and
// 能 94 5C. The program runs in a Japanese locale (under Wine, LC_ALL), so
// that the ANSI code page is 932; in any other it fails rather than passes
// for nothing.
#include "MainWindowFixture.h"
#include "ModalDriver.h"

#include "ProjectState.h"
#include "SafeFile.h"
#include "StateCodec.h"
#include "CommandLine.h"
#include "FileNames.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// The names as code page 932 bytes: ソ能, a folder, and 予算表 (算 is 8E 5A).
#define SO_NOU    "\x83\x5C\x94\x5C"
#define YOSANHYOU "\x97\x5C\x8E\x5A\x95\x5C"

void ExpectJapaneseCodePage()
{
    ASSERT_EQ(GetACP(), 932u) << "not run in a Japanese locale (LC_ALL=ja_JP.UTF-8 under Wine)";
}

class Paths932 : public InTestFolder
{
  protected:
    void SetUp() override
    {
        InTestFolder::SetUp();
        ExpectJapaneseCodePage();
    }
};

TEST_F(Paths932, TheFileNameIsFoundByCharactersNotBytes)
{
    EXPECT_EQ(FileNameOffset("C:\\" SO_NOU "\\" YOSANHYOU ".prj"), 8u);
    EXPECT_EQ(FileNameOffset("C:\\" SO_NOU), 3u);
    EXPECT_EQ(FileNameOffset("C:/" SO_NOU "/" YOSANHYOU), 8u);
    EXPECT_EQ(FileNameOffset(YOSANHYOU ".prj"), 0u);
}

// The temporary file goes in the file's own folder, which must be found
// whole: cut inside a character, it names no folder and every save fails.
TEST_F(Paths932, WholeFilesAreWrittenWhereTheNamesEndIn0x5C)
{
    const std::vector<unsigned char> bytes = {1, 2, 3};
    ASSERT_TRUE(CreateDirectoryA(Path(SO_NOU).c_str(), nullptr));
    const std::string inFolder = Path(SO_NOU "\\" YOSANHYOU ".prj");
    EXPECT_EQ(WriteWholeFile(inFolder.c_str(), bytes.data(), bytes.size()), 1);
    EXPECT_EQ(ReadBytes(inFolder), bytes);
    EXPECT_EQ(ListFolder(Path(SO_NOU)), std::vector<std::string>{YOSANHYOU ".prj"});

    EXPECT_EQ(WriteWholeFile(YOSANHYOU, bytes.data(), bytes.size()), 1) << "in the working folder";
    EXPECT_EQ(ReadBytes(Path(YOSANHYOU)), bytes);
}

// The command line's paths are taken whole, quotes and all, although 表
// and 能 end in the backslash's byte just before the closing quote.
TEST_F(Paths932, TheCommandLineTakesDoubleBytePaths)
{
    const std::string projectFolder = Path(SO_NOU);
    ASSERT_TRUE(CreateDirectoryA(projectFolder.c_str(), nullptr));
    const std::string project = Path(YOSANHYOU);
    char given[LONG_PATH_SIZE];
    ASSERT_TRUE(ReadCommandLine(("/folder \"" + projectFolder + "\" \"" + project + "\"").c_str(),
                                given, sizeof given));
    EXPECT_EQ(std::string(given), project);
    char now[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, now);
    EXPECT_EQ(std::string(now), projectFolder);
}

class Project932 : public DrivenWindowTest
{
  protected:
    void SetUp() override
    {
        DrivenWindowTest::SetUp();
        ExpectJapaneseCodePage();
    }
};

// Through the real file dialogs, the name typed as code page 932 bytes.
TEST_F(Project932, AJapaneseProjectNameIsSavedAndOpenedAgain)
{
    project.mainHigh = 100;
    project.localValue = 30;
    PutRange(0, "A", 0, 10);
    OpenDriven();
    const std::string projectFolder = Path(SO_NOU);
    ASSERT_TRUE(CreateDirectoryA(projectFolder.c_str(), nullptr));

    ExpectModal(ChooseFile(projectFolder + "\\" YOSANHYOU));
    Command(IDM_SAVE_PROJECT);
    EXPECT_STREQ(project.projectTitle, YOSANHYOU ".prj");
    EXPECT_EQ(project.projectDir, projectFolder);
    EXPECT_EQ(Text(IDC_PROJECT_NAME), YOSANHYOU);
    EXPECT_EQ(ReadBytes(projectFolder + "\\" YOSANHYOU ".prj").size(), PROJECT_IMAGE_SIZE);

    Focus(IDC_LOCAL_VALUE);
    Type(IDC_LOCAL_VALUE, "70");
    // The name alone: the dialog starts in the project's folder.
    std::string seenName;
    std::string seenFolder;
    ExpectModal(ChooseFile(YOSANHYOU ".prj", &seenName, &seenFolder));
    Command(IDM_OPEN_PROJECT);
    EXPECT_EQ(seenName, YOSANHYOU ".prj");
    EXPECT_EQ(seenFolder, projectFolder);
    EXPECT_EQ(Text(IDC_LOCAL_VALUE), "30");
    EXPECT_EQ(project.projectDir, projectFolder);
}

// A path too long for values is named to the user, with the path, in Save,
// in Open and in the question at a close: never silence, never "read-only
// or in use". Too long is 260 bytes or more, which a path of double-byte
// characters is while the file dialog still takes it; or a folder that
// leaves no room for the name of the temporary file a save writes first.
TEST_F(Project932, PathsTooLongAreNamed)
{
    PutRange(0, "A", 0, 10);
    OpenDriven();
    std::string name;
    for (int i = 0; i < 25; i++)
        name += YOSANHYOU;
    const std::string longFolder = Path(name.c_str());
    ASSERT_TRUE(CreateDirectoryA(longFolder.c_str(), nullptr));
    const std::string tooLong = longFolder + "\\" + name.substr(0, 120) + ".prj";
    const std::string newTooLong = longFolder + "\\" + name.substr(0, 120) + "2.prj";
    WriteBytes(tooLong, {}); // to open: fewer characters than MAX_PATH, more bytes
    const std::string deep = folder + "\\" + std::string(246 - folder.size(), 'd');
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));

    const struct
    {
        const char* way;
        int command;
        std::string path;
    } cases[] = {
        {"Save, 260 bytes or more", IDM_SAVE_PROJECT, newTooLong},
        {"Save, no room for the temporary file", IDM_SAVE_PROJECT, deep + "\\a.prj"},
        {"Open", IDM_OPEN_PROJECT, tooLong},
        {"Yes in the question at a close", WM_CLOSE, newTooLong},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.way);
        project.modified = c.command == WM_CLOSE;
        if (c.command == WM_CLOSE)
            ExpectModal(AnswerMessageBox("Save Data", IDYES));
        ExpectModal(ChooseFile(c.path));
        std::string error;
        ExpectModal(AnswerMessageBox("Values", IDOK, &error));
        if (c.command == WM_CLOSE)
            SendMessageA(window, WM_CLOSE, 0, 0);
        else
            Command(c.command);
        EXPECT_NE(error.find("too long"), std::string::npos) << error;
        EXPECT_NE(error.find(c.path), std::string::npos) << error;
        EXPECT_TRUE(IsWindow(window));
        EXPECT_EQ(project.projectTitle[0], '\0');
    }
    EXPECT_EQ(ListFolder(deep).size(), 0u);
}

} // namespace
