// What the setup program does for each installed version and switch, how
// it reads its command line, the progress records of the Windows Installer,
// and the start folder a running values answers with.
#include "SetupChoice.h"
#include "StartFolderQuestion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{

// This setup carries 1.0.10: compared as text, 1.0.9 would be newer.
TEST(Setup, ChoosesByTheInstalledVersionAndTheSwitches)
{
    struct Case
    {
        const wchar_t* installed;
        SetupUi ui;
        SetupAction action;
        SetupShows shows;
    };
    const Case cases[] = {
        {nullptr, FULL_UI, INSTALL_PACKAGE, SHOWS_PACKAGE_DIALOGS},
        {nullptr, PASSIVE_UI, INSTALL_PACKAGE, SHOWS_PROGRESS},
        {nullptr, QUIET_UI, INSTALL_PACKAGE, SHOWS_NOTHING},
        {L"1.0.9", FULL_UI, UPDATE_INSTALLED, SHOWS_QUESTION_THEN_PROGRESS},
        {L"1.0.9", PASSIVE_UI, UPDATE_INSTALLED, SHOWS_PROGRESS},
        {L"1.0.9", QUIET_UI, UPDATE_INSTALLED, SHOWS_NOTHING},
        {L"1.0.10.0", FULL_UI, OPEN_MAINTENANCE, SHOWS_PACKAGE_DIALOGS},
        {L"1.0.10", PASSIVE_UI, LEAVE_AS_IS, SHOWS_NOTHING},
        {L"1.0.10", QUIET_UI, LEAVE_AS_IS, SHOWS_NOTHING},
        {L"1.1", FULL_UI, REFUSE_DOWNGRADE, SHOWS_MESSAGE},
        {L"1.1", PASSIVE_UI, REFUSE_DOWNGRADE, SHOWS_NOTHING},
        {L"1.1", QUIET_UI, REFUSE_DOWNGRADE, SHOWS_NOTHING},
        // A version that cannot be read is never replaced.
        {L"", FULL_UI, REFUSE_DOWNGRADE, SHOWS_MESSAGE},
        {L"1.0.x", QUIET_UI, REFUSE_DOWNGRADE, SHOWS_NOTHING},
        {L"1.0.65536", PASSIVE_UI, REFUSE_DOWNGRADE, SHOWS_NOTHING},
        {L"1..10", QUIET_UI, REFUSE_DOWNGRADE, SHOWS_NOTHING},
        {L"1.0.10.0.0", QUIET_UI, REFUSE_DOWNGRADE, SHOWS_NOTHING},
    };
    for (const Case& c : cases)
    {
        const SetupChoice choice = ChooseSetup(c.installed, L"1.0.10", c.ui);
        EXPECT_EQ(choice.action, c.action)
            << (c.installed ? c.installed : L"none") << " ui " << c.ui;
        EXPECT_EQ(choice.shows, c.shows) << (c.installed ? c.installed : L"none") << " ui " << c.ui;
    }
}

TEST(Setup, ReadsItsSwitches)
{
    struct Case
    {
        const wchar_t* line;
        bool read;
        SetupUi ui;
        bool noRestart;
        bool help;
        const wchar_t* log;
        const wchar_t* wrong;
    };
    const Case cases[] = {
        {L"setup.exe", true, FULL_UI, false, false, L"", L""},
        {L"\"C:\\Down loads\\values-1.0.0-setup.exe\" /quiet", true, QUIET_UI, false, false, L"",
         L""},
        {L"setup.exe  -PASSIVE\t/NoRestart", true, PASSIVE_UI, true, false, L"", L""},
        {L"setup.exe /quiet /passive", true, QUIET_UI, false, false, L"", L""},
        {L"setup.exe /passive /quiet", true, QUIET_UI, false, false, L"", L""},
        {L"setup.exe /log \"C:\\\x65e5\x672c\\set up.log\" /passive", true, PASSIVE_UI, false,
         false, L"C:\\\x65e5\x672c\\set up.log", L""},
        {L"setup.exe /?", true, FULL_UI, false, true, L"", L""},
        {L"setup.exe /bogus /quiet", false, QUIET_UI, false, false, L"", L"/bogus"},
        {L"setup.exe /passive extra /log x.log", false, PASSIVE_UI, false, false, L"", L"extra"},
        {L"setup.exe \"/quiet\"", false, FULL_UI, false, false, L"", L"/quiet"},
        {L"setup.exe /log", false, FULL_UI, false, false, L"", L"/log"},
        {L"setup.exe /log \"\"", false, FULL_UI, false, false, L"", L"/log"},
    };
    for (const Case& c : cases)
    {
        SetupSwitches switches;
        EXPECT_EQ(ReadSwitches(c.line, &switches), c.read) << c.line;
        EXPECT_EQ(switches.ui, c.ui) << c.line;
        EXPECT_EQ(switches.noRestart, c.noRestart) << c.line;
        EXPECT_EQ(switches.help, c.help) << c.line;
        EXPECT_EQ(std::wstring(switches.log), c.log) << c.line;
        EXPECT_EQ(std::wstring(switches.wrong), c.wrong) << c.line;
    }
    // A word longer than the room for it is not cut into another meaning.
    std::wstring line = L"setup.exe /log " + std::wstring(SWITCH_WORD_SIZE, L'a');
    SetupSwitches switches;
    EXPECT_FALSE(ReadSwitches(line.c_str(), &switches));
    EXPECT_EQ(std::wstring(switches.log), L"");
}

// The bar follows the installer's records: resets, steps, more steps to come,
// steps per action data message, going backwards; it never leaves its scale,
// whatever the records say.
TEST(Setup, MovesItsProgressBarAsTheInstallerSays)
{
    struct Step
    {
        const wchar_t* record; // null: an action data message
        int shown;
    };
    const Step steps[] = {
        {L"1: 0 2: 1000 3: 0 4: 1 ", 0},
        {L"1: 2 2: 250 ", 250},
        {L"1: 3 2: 1000 ", 125},
        {L"1: 1 2: 100 3: 1 ", 125},
        {nullptr, 175},
        {nullptr, 225},
        {L"1: 1 2: 100 3: 0 ", 225},
        {nullptr, 225},
        {L"1: 2 2: 5000 ", PROGRESS_SCALE},
        {L"1: 0 2: 400 3: 1 4: 1 ", PROGRESS_SCALE},
        {L"1: 2 2: 100 ", 750},
        {L"", 750},
        {L"2: 0 3: 0", 750},
        {L"1: 2 2: 1000 ", 0},
        {L"1: 0 2: 0 3: 0 ", 0},
        {L"1: 2 2: 10 ", 0},
        {L"1: 0 2: -5 3: 0 ", 0},
        {L"1: 0 2: 99999999999999999999 3: 0 ", 0},
        {L"1: 2 2: 99999999999999999999 ", PROGRESS_SCALE},
    };
    InstallProgress progress = {};
    for (const Step& step : steps)
    {
        if (step.record)
            TakeProgressRecord(&progress, step.record);
        else
            TakeActionData(&progress);
        EXPECT_EQ(ProgressShown(progress), step.shown) << (step.record ? step.record : L"data");
    }
}

// What another program sends back as values' start folder: only a whole
// folder, its one terminator last, in the room a working folder has.
TEST(Setup, TakesOnlyAWholeFolderAsAnswer)
{
    auto answer = [](const std::wstring& text, std::uintptr_t tag = START_FOLDER_ANSWER)
    {
        std::vector<wchar_t> data(text.begin(), text.end());
        return AnsweredFolder(tag, data.data(), data.size() * sizeof(wchar_t)) != nullptr;
    };
    const std::wstring longest = std::wstring(START_FOLDER_SIZE - 1, L'f') + L'\0';
    EXPECT_TRUE(answer(std::wstring(L"C:\\") + L'\0'));
    EXPECT_TRUE(answer(longest));
    EXPECT_FALSE(answer(L'f' + longest));
    EXPECT_FALSE(answer(std::wstring(L"C:\\") + L'\0', START_FOLDER_ANSWER + 1));
    EXPECT_FALSE(answer(std::wstring(1, L'\0')));
    EXPECT_FALSE(answer(L"C:\\"));
    EXPECT_FALSE(answer(std::wstring(L"C:\\") + L'\0' + L"x" + L'\0'));
    const wchar_t folder[] = L"C:\\";
    EXPECT_EQ(AnsweredFolder(START_FOLDER_ANSWER, folder, sizeof folder), folder);
    EXPECT_FALSE(AnsweredFolder(START_FOLDER_ANSWER, folder, sizeof folder - 1));
    EXPECT_FALSE(AnsweredFolder(START_FOLDER_ANSWER, nullptr, sizeof folder));
}

} // namespace
