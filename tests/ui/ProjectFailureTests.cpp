// The File menu's recent projects: one that fails to open is said why, from
// the error Windows gave, and is kept until it is gone; only projects are
// listed, each once as the file system tells names apart.
#include "MainWindowFixture.h"
#include "ModalDriver.h"

#include "RecentProjects.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

namespace
{

const char RECENT_KEY[] = "Software\\The values developers\\values\\Recent Projects";

class RecentList : public InUseWindowTest
{
  protected:
    void SetUp() override
    {
        RegDeleteKeyA(HKEY_CURRENT_USER, RECENT_KEY);
        InUseWindowTest::SetUp();
    }
    void TearDown() override
    {
        InUseWindowTest::TearDown();
        RegDeleteKeyA(HKEY_CURRENT_USER, RECENT_KEY);
    }

    // The list as kept, newest first, as an earlier version may have left it.
    static void Keep(const std::vector<std::string>& paths)
    {
        HKEY key;
        RegCreateKeyExA(HKEY_CURRENT_USER, RECENT_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr);
        for (std::size_t i = 0; i < paths.size(); i++)
            RegSetValueExA(key, std::to_string(i + 1).c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(paths[i].c_str()),
                           static_cast<DWORD>(paths[i].size() + 1));
        RegCloseKey(key);
    }

    // The file names the File menu lists.
    std::vector<std::string> Listed() const
    {
        std::vector<std::string> listed;
        for (const std::string& item : FileMenu(window))
        {
            if (item.size() > 3 && item[0] == '&' && item[2] == ' ')
                listed.push_back(item.substr(item.rfind('\\') + 1));
        }
        return listed;
    }
};

// A drive letter that is not there.
std::string MissingDrive()
{
    char letter = 'Q';
    while (GetLogicalDrives() & (1u << (letter - 'A')))
        letter++;
    return {letter, ':', '\\'};
}

// Held by another program, or on a drive not there now: said so, and kept.
// Not there while its drive answers, or not a project: said so, and gone.
TEST_F(RecentList, AProjectLeavesTheListOnlyWhenItIsGone)
{
    const std::string held = Path("held.prj");
    WriteStateFile(held);
    WriteBytes(Path("short.prj"), {1, 2, 3});
    Keep({held, MissingDrive() + "away.prj", Path("gone.prj"), Path("short.prj")});
    HANDLE holding = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    const struct
    {
        int index;
        const char* why;
        const char* list;
        std::size_t left;
    } chosen[] = {
        {0, "Another program is using it.", "stays", 4},
        {1, "Its drive or network share is not there now.", "stays", 4},
        {2, "It is not there", "taken off", 3},
        {2, "It is not a project file", "taken off", 2},
    };
    for (const auto& choice : chosen)
    {
        std::string said;
        ExpectModal(AnswerMessageBox("Values", IDOK, &said));
        Command(IDM_RECENT_PROJECT + choice.index);
        EXPECT_NE(said.find(choice.why), std::string::npos) << said;
        EXPECT_NE(said.find(choice.list), std::string::npos) << said;
        EXPECT_EQ(Listed().size(), choice.left);
    }
    EXPECT_EQ(Listed(), (std::vector<std::string>{"held.prj", "away.prj"}));
    CloseHandle(holding);
}

// A project saved under another extension is not listed, nor handed to the
// shell's recent documents; a name an earlier version listed is dropped.
TEST_F(RecentList, OnlyProjectsEnterTheRecentLists)
{
    Keep({"C:\\old\\notes.txt", Path("plan.prj")});
    char recent[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_RECENT, nullptr, SHGFP_TYPE_CURRENT, recent);
    const std::string link = std::string(recent) + "\\plan.bak.lnk";
    DeleteFileA(link.c_str());
    ExpectModal(ChooseFile(Path("plan.bak")));
    Command(IDM_SAVE_PROJECT);
    ASSERT_TRUE(FileExists(Path("plan.bak")));
    EXPECT_EQ(Listed(), std::vector<std::string>{"plan.prj"});
    EXPECT_FALSE(FileExists(link));
}

// Letter case aside, character by character: "ß" is not "ss", as a
// language would have it.
TEST_F(RecentList, NamesAreComparedAsTheFileSystemComparesThem)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "the names are written in code page 1252";
    for (const char* name : {"Stra\xDF"
                             "e.prj",
                             "Strasse.prj", "STRASSE.PRJ"})
        AddRecentProject(Path(name).c_str());
    EXPECT_EQ(Listed(), (std::vector<std::string>{"STRASSE.PRJ", "Stra\xDF"
                                                                 "e.prj"}));
}

} // namespace
