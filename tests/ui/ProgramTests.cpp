// The real values.exe, started as a process of its own in a fresh folder and
// driven from outside through its window, the way a user would use it.
#include "ProgramFixture.h"
#include "ProjectState.h"
#include "Reader.h"
#include "StateCodec.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <set>

namespace
{

std::string ToHex(unsigned long number)
{
    char text[16];
    std::snprintf(text, sizeof text, "%lx", number);
    return text;
}

// The state the program wrote at its close.
ProjectState SavedState(const std::string& path)
{
    ProjectState state = {};
    const std::vector<unsigned char> image = ReadBytes(path);
    EXPECT_EQ(DecodeState(image.data(), image.size(), true, state), 1);
    return state;
}

// The state file as it is now, while values may still be writing it; all
// zero when there is none yet.
ProjectState KeptState(const std::string& path)
{
    ProjectState state = {};
    const std::vector<unsigned char> image = ReadBytes(path);
    DecodeState(image.data(), image.size(), true, state);
    return state;
}

TEST_F(Program, FirstRunInAnEmptyFolder)
{
    HWND window = Start();
    ASSERT_TRUE(window);
    EXPECT_EQ(ItemText(window, IDC_MAIN_RANGE), "0 to 0");
    EXPECT_EQ(ItemText(window, IDC_LOCAL_VALUE), "0");
    for (int k = 0; k < RANGE_SLOTS; k++)
    {
        EXPECT_EQ(ItemText(window, IDC_SLOT_NAME + k), "empty");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDC_SLOT_VALUE + k)));
    }
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 0) << "the template's position, the top-left corner";
    EXPECT_EQ(rect.top, 0);
    EXPECT_FALSE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(), 0u);
    EXPECT_EQ(ReadBytes(Path("Values.dat")).size(), STATE_IMAGE_SIZE);
    EXPECT_EQ(ReadBytes(Path("Values.ini")).size(), WINDOW_SETTINGS_SIZE);
}

TEST_F(Program, StartsWhereItStopped)
{
    HWND window = Start();
    ASSERT_TRUE(window);
    // The local value box has the focus after the start, so a text put into
    // it counts as typed.
    SetItemText(window, IDC_LOCAL_VALUE, "42");
    SetWindowPos(window, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForExit(), 0u);
    EXPECT_EQ(SavedState(Path("Values.dat")).localValue, 42);
    const std::vector<unsigned char> expected = {44, 1, 0, 0, 200, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(ReadBytes(Path("Values.ini")), expected);

    window = Start();
    ASSERT_TRUE(window);
    EXPECT_EQ(ItemText(window, IDC_LOCAL_VALUE), "42");
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 300);
    EXPECT_EQ(rect.top, 200);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(), 0u);
}

TEST_F(Program, ClosingWithUnsavedChangesAsksFirst)
{
    HWND window = Start();
    ASSERT_TRUE(window);
    HWND dialog = OpenMainRangeDialog(process.dwProcessId, window);
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(EnterRange(dialog, "1", "2"));
    EXPECT_EQ(ItemText(window, IDC_MAIN_RANGE), "1 to 2");
    // Kept while values runs, the unsaved changes marked.
    ASSERT_TRUE(WaitUntil([this] { return KeptState(Path("Values.dat")).mainLow == 1; }));
    EXPECT_TRUE(KeptState(Path("Values.dat")).modified);

    PostMessageA(window, WM_CLOSE, 0, 0);
    HWND question = WaitForWindow(process.dwProcessId, "Save Data", window);
    ASSERT_TRUE(question);
    EXPECT_EQ(ItemText(question, 0xFFFF), "Data has been modified. Do you want to save changes?");
    Press(question, IDCANCEL);
    ASSERT_TRUE(WaitUntil([question] { return !IsWindow(question); }));
    EXPECT_TRUE(IsWindow(window)) << "Cancel keeps the window open";
    EXPECT_TRUE(SavedState(Path("Values.dat")).modified) << "and writes nothing";
    EXPECT_FALSE(FileExists(Path("Values.ini")));

    PostMessageA(window, WM_CLOSE, 0, 0);
    question = WaitForWindow(process.dwProcessId, "Save Data", window);
    ASSERT_TRUE(question);
    Press(question, IDNO);
    ASSERT_EQ(WaitForExit(), 0u);
    EXPECT_EQ(SavedState(Path("Values.dat")).mainLow, 1);
    EXPECT_FALSE(SavedState(Path("Values.dat")).modified) << "the user has answered for them";

    window = Start();
    ASSERT_TRUE(window);
    EXPECT_EQ(ItemText(window, IDC_MAIN_RANGE), "1 to 2") << "the changes are back";
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(), 0u);
}

// The file dialogs' library is loaded when a file dialog first opens. Under
// Wine a per-program override leaves it out, here for a copy of values.exe
// under a name of its own, so that no other start is touched: the program
// still starts, and each file command says it cannot show its dialog and
// changes nothing.
TEST_F(Program, WithoutTheFileDialogsLibraryFileCommandsSaySoAndChangeNothing)
{
    if (!GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version"))
        GTEST_SKIP() << "needs Wine's DLL overrides";
    const char* overrides = "Software\\Wine\\AppDefaults\\values-no-dialogs.exe\\DllOverrides";
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, overrides, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "comdlg32", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
    RegCloseKey(key);
    const std::string program = Path("values-no-dialogs.exe");
    ASSERT_TRUE(CopyFileA((ProgramFolder() + "values.exe").c_str(), program.c_str(), FALSE));
    ASSERT_TRUE(
        CopyFileA((ProgramFolder() + "Vantrel.dll").c_str(), Path("Vantrel.dll").c_str(), FALSE));
    // Wine reads the override when the library is loaded, so it stays until
    // the end; left behind by a failed run, it touches only this name.
    HWND window = Start(program);
    ASSERT_TRUE(window);
    SetItemText(window, IDC_LOCAL_VALUE, "42");

    for (int command : {IDM_OPEN_PROJECT, IDM_SAVE_PROJECT})
    {
        Press(window, command);
        HWND box = WaitForWindow(process.dwProcessId, "Values", window);
        ASSERT_TRUE(box) << "no message for command " << command;
        EXPECT_NE(ItemText(box, 0xFFFF).find("comdlg32.dll could not be loaded"),
                  std::string::npos);
        Press(box, IDOK);
        ASSERT_TRUE(WaitUntil([box] { return !IsWindow(box); }));
        EXPECT_EQ(ItemText(window, IDC_LOCAL_VALUE), "42");
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, overrides);

    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForExit(), 0u);
    EXPECT_EQ(SavedState(Path("Values.dat")).localValue, 42);
    for (const std::string& name : ListFolder(folder))
        EXPECT_EQ(name.find(".prj"), std::string::npos) << "a project was written: " << name;
}

// Under Wine, a Windows path's Unix path, or an empty text elsewhere.
std::string UnixPath(const std::string& path)
{
    using UnixFileName = char*(CDECL*)(const wchar_t*);
    const auto unixFileName = reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    const std::wstring wide(path.begin(), path.end());
    char* name = unixFileName ? unixFileName(wide.c_str()) : nullptr;
    const std::string unix = name ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return unix;
}

// Gives the folder the drive letter, or takes the letter away again (an
// empty folder): under Wine a link in the prefix's dosdevices, made by a
// Unix program, as Wine lets a Windows program start one; on Windows a
// SUBST drive. Wine does not wait for the Unix program, so a new drive is
// waited for until the folder's row icons are seen through it.
bool SetDrive(char letter, const std::string& folder)
{
    const std::string drive = {letter, ':'};
    const std::string c = UnixPath("C:\\"); // .../dosdevices/c:/
    if (c.size() <= 3)
        return folder.empty() ? DefineDosDeviceA(DDD_REMOVE_DEFINITION, drive.c_str(), nullptr)
                              : DefineDosDeviceA(0, drive.c_str(), folder.c_str());
    const std::string link = c.substr(0, c.size() - 3) + char(letter - 'A' + 'a') + ":";
    std::string command = folder.empty()
                              ? "/bin/rm -f \"" + link + "\""
                              : "/bin/ln -sfn \"" + UnixPath(folder) + "\" \"" + link + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started))
        return false;
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
    return folder.empty() || WaitUntil([&drive] { return FileExists(drive + "\\edit.ico"); });
}

// A folder has one window, whatever name it was reached by: a second drive
// letter, its own path in other letter case, its 8.3 form and, under Wine,
// its path through the Unix root (Z:). A second start shows the first
// window, restored and in front, and ends at once having written nothing.
TEST_F(Program, OneFolderByAnyNameHasOneWindow)
{
    char letter = 'Y';
    while (letter > 'D' && (GetLogicalDrives() & (1u << (letter - 'A'))))
        letter--;
    ASSERT_TRUE(SetDrive(letter, folder)) << "no second drive letter for " << folder;
    const PROCESS_INFORMATION first = StartAnother(std::string{letter, ':', '\\'});
    HWND window = WaitForWindow(first.dwProcessId, "Values");
    ASSERT_TRUE(window);
    SetItemText(window, IDC_LOCAL_VALUE, "6");
    std::string upper = folder;
    CharUpperA(&upper[0]);
    char shortName[MAX_PATH] = {};
    GetShortPathNameA(folder.c_str(), shortName, MAX_PATH);
    std::string throughRoot = UnixPath(folder);
    for (char& c : throughRoot)
        c = c == '/' ? '\\' : c;
    for (const std::string& same : {folder, upper, std::string(shortName), "Z:" + throughRoot})
    {
        if (same == "Z:")
            continue; // not under Wine
        SCOPED_TRACE(same);
        ShowWindow(window, SW_MINIMIZE);
        HWND elsewhere = ShowWindowElsewhere();
        PROCESS_INFORMATION second = StartAnother(same);
        EXPECT_EQ(WaitForExitCode(second.hProcess), 0u);
        EXPECT_TRUE(
            WaitUntil([window] { return !IsIconic(window) && GetForegroundWindow() == window; }))
            << "the first window is not restored and in front";
        DestroyWindow(elsewhere);
    }
    EXPECT_EQ(ShownWindows(first.dwProcessId).size(), 1u);
    EXPECT_EQ(ItemText(window, IDC_LOCAL_VALUE), "6");
    EXPECT_FALSE(FileExists(Path("Values.ini"))) << "a second start wrote its own";

    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForExitCode(first.hProcess), 0u);
    SetDrive(letter, "");
    EXPECT_EQ(SavedState(Path("Values.dat")).localValue, 6);
}

// A second start while the folder's window does not answer (here its
// thread is stopped) says so, naming the folder, and ends with code 1.
TEST_F(Program, ASecondStartSaysSoWhenTheFirstDoesNotAnswer)
{
    HWND window = Start();
    ASSERT_TRUE(window);
    // Once its message loop answers, the window has been published for later
    // starts to find: stopped before that, a later start would find no window
    // at all and wait out its longer wait for one to show.
    SendMessageA(window, WM_NULL, 0, 0);
    ASSERT_NE(SuspendThread(process.hThread), static_cast<DWORD>(-1));
    const PROCESS_INFORMATION second = StartAnother(folder);
    HWND box = WaitForWindow(second.dwProcessId, "Values", nullptr, 30000);
    ResumeThread(process.hThread);
    ASSERT_TRUE(box) << "nothing shown";
    const std::string text = ItemText(box, 0xFFFF);
    EXPECT_NE(text.find("does not answer"), std::string::npos) << text;
    EXPECT_NE(text.find(folder), std::string::npos) << text;
    Press(box, IDOK);
    EXPECT_EQ(WaitForExitCode(second.hProcess), 1u);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(), 0u);
}

// Two starts at once, as a double click may give: one window, whichever
// start made it; the other waits for it to show, brings it forward and ends.
TEST_F(Program, TwoStartsAtOnceShowOneWindow)
{
    const PROCESS_INFORMATION starts[] = {StartAnother(folder), StartAnother(folder)};
    const HANDLE both[] = {starts[0].hProcess, starts[1].hProcess};
    const DWORD ended = WaitForMultipleObjects(2, both, FALSE, 20000);
    ASSERT_LT(ended, WAIT_OBJECT_0 + 2) << "neither start ended";
    const PROCESS_INFORMATION& shows = starts[ended == WAIT_OBJECT_0 ? 1 : 0];
    EXPECT_EQ(WaitForExitCode(both[ended - WAIT_OBJECT_0]), 0u);
    HWND window = WaitForWindow(shows.dwProcessId, "Values");
    ASSERT_TRUE(window);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExitCode(shows.hProcess), 0u);
}

TEST_F(Program, StartsInTwoFoldersBothRun)
{
    HWND window = Start();
    ASSERT_TRUE(window);
    const std::string other = Path("other");
    ASSERT_TRUE(CreateDirectoryA(other.c_str(), nullptr));
    PROCESS_INFORMATION second = StartAnother(other);
    HWND otherWindow = WaitForWindow(second.dwProcessId, "Values");
    ASSERT_TRUE(otherWindow);
    EXPECT_TRUE(IsWindowVisible(window));
    SetItemText(otherWindow, IDC_LOCAL_VALUE, "9");
    PostMessageA(otherWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExitCode(second.hProcess), 0u);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(), 0u);
    EXPECT_EQ(SavedState(other + "\\Values.dat").localValue, 9);
    EXPECT_EQ(SavedState(Path("Values.dat")).localValue, 0);
}

// The guard goes with the process, however it ends.
TEST_F(Program, AfterTheFirstIsKilledTheNextStartOpens)
{
    ASSERT_TRUE(Start());
    TerminateProcess(process.hProcess, 7);
    ASSERT_EQ(WaitForExit(), 7u);
    HWND window = Start();
    ASSERT_TRUE(window) << "the folder is still taken";
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(), 0u);
}

// What the first window has open in front of it comes forward with it: the
// range dialog, the question at the close.
TEST_F(Program, ASecondStartBringsForwardWhatTheFirstHasOpen)
{
    HWND window = Start();
    ASSERT_TRUE(window);
    HWND dialog = OpenMainRangeDialog(process.dwProcessId, window);
    ASSERT_TRUE(dialog);
    HWND elsewhere = ShowWindowElsewhere();
    EXPECT_EQ(WaitForExitCode(StartAnother(folder).hProcess), 0u);
    EXPECT_TRUE(WaitUntil([dialog] { return GetForegroundWindow() == dialog; }));

    ASSERT_TRUE(EnterRange(dialog, "1", "2"));
    PostMessageA(window, WM_CLOSE, 0, 0);
    HWND question = WaitForWindow(process.dwProcessId, "Save Data", window);
    ASSERT_TRUE(question);
    SetForegroundWindow(elsewhere);
    ASSERT_TRUE(WaitUntil([elsewhere] { return GetForegroundWindow() == elsewhere; }));
    EXPECT_EQ(WaitForExitCode(StartAnother(folder).hProcess), 0u);
    EXPECT_TRUE(WaitUntil([question] { return GetForegroundWindow() == question; }));
    DestroyWindow(elsewhere);

    Press(question, IDNO);
    EXPECT_EQ(WaitForExit(), 0u);
    EXPECT_EQ(SavedState(Path("Values.dat")).mainHigh, 2);
}

// Ends the session as a log-off does. Under Wine, wineboot --end-session
// ends it as Windows does (both messages to every window, then whatever is
// left is ended); elsewhere the test sends the two messages itself. The
// test program has no window of its own by then, or wineboot would end it
// too.
void EndTheSession(HWND window)
{
    if (!GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version"))
    {
        EXPECT_TRUE(SendMessageA(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
        SendMessageA(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        return;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION wineboot = {};
    char commandLine[] = "wineboot.exe --end-session";
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &wineboot));
    EXPECT_EQ(WaitForExitCode(wineboot.hProcess), 0u);
    CloseHandle(wineboot.hProcess);
    CloseHandle(wineboot.hThread);
}

// At a log-off both files are written as at a close, without a question of
// any kind: not about the unsaved project changes, not about a file that
// cannot be written.
TEST_F(Program, ALogOffWritesTheFilesWithoutAsking)
{
    // Both files written; and with Values.ini read-only, Values.dat is still
    // written, the old Values.ini kept, and nothing asked.
    for (const bool settingsWritable : {true, false})
    {
        SCOPED_TRACE(settingsWritable ? "both writable" : "Values.ini read-only");
        const std::vector<unsigned char> oldSettings(WINDOW_SETTINGS_SIZE, 0);
        SetFileAttributesA(Path("Values.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
        WriteBytes(Path("Values.ini"), oldSettings);
        if (!settingsWritable)
            SetFileAttributesA(Path("Values.ini").c_str(), FILE_ATTRIBUTE_READONLY);
        DeleteFileA(Path("Values.dat").c_str());
        HWND window = Start();
        ASSERT_TRUE(window);
        HWND dialog = OpenMainRangeDialog(process.dwProcessId, window);
        ASSERT_TRUE(dialog);
        ASSERT_TRUE(EnterRange(dialog, "0", "10"));
        SetItemText(window, IDC_LOCAL_VALUE, "7");
        SetWindowPos(window, nullptr, 321, 123, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

        EndTheSession(window);
        EXPECT_EQ(WaitForExit(), 0u);
        const ProjectState saved = SavedState(Path("Values.dat"));
        EXPECT_EQ(saved.localValue, 7);
        EXPECT_EQ(saved.mainHigh, 10);
        const std::vector<unsigned char> settings = ReadBytes(Path("Values.ini"));
        if (settingsWritable)
        {
            WindowPosition written = {};
            ASSERT_EQ(DecodeWindowSettings(settings.data(), settings.size(), written), 1);
            EXPECT_EQ(written.left, 321);
            EXPECT_EQ(written.top, 123);
        }
        else
        {
            EXPECT_EQ(settings, oldSettings);
        }
    }
}

// A log-off while the Open dialog shows another folder writes both files
// in the folder values started in: the dialog moves the current folder
// while it is open, and the files do not follow it.
TEST_F(Program, ALogOffDuringTheOpenDialogWritesWhereValuesStarted)
{
    HWND window = Start();
    ASSERT_TRUE(window);
    SetItemText(window, IDC_LOCAL_VALUE, "7");
    const std::string other = Path("other");
    ASSERT_TRUE(CreateDirectoryA(other.c_str(), nullptr));
    Press(window, IDM_OPEN_PROJECT);
    HWND dialog = WaitForWindow(process.dwProcessId, "Open", window);
    ASSERT_TRUE(dialog);
    SetItemText(dialog, 1148, other.c_str()); // the name box: a folder goes into it
    Press(dialog, IDOK);
    // The folder list (cmb2) shows the folder the dialog is in.
    ASSERT_TRUE(WaitUntil([dialog] { return ItemText(dialog, 1137) == "other"; }))
        << ItemText(dialog, 1137);

    EndTheSession(window);
    EXPECT_EQ(WaitForExit(), 0u);
    EXPECT_EQ(SavedState(Path("Values.dat")).localValue, 7);
    EXPECT_EQ(ReadBytes(Path("Values.ini")).size(), WINDOW_SETTINGS_SIZE);
    EXPECT_TRUE(ListFolder(other).empty());
}

// Each way a run can end without asking anyone, a few seconds after the user
// of a saved project typed a value, accepted a range and moved the window: killed (Task
// Manager, a crash, a power cut), a log-off, an installer's request to close
// (the restart manager's ENDSESSION_CLOSEAPP). The next start shows all
// three, and asks about the unsaved range at Open Project and at the close.
TEST_F(Program, WhateverEndsARunTheNextStartsAsItWas)
{
    for (const int end : {0, 1, 2})
    {
        SCOPED_TRACE(end == 0 ? "killed" : end == 1 ? "a log-off" : "an installer's request");
        std::vector<unsigned char> saved = WriteState(Path("Values.dat"), 5, true);
        std::memcpy(&saved[824], "plan.prj", 9); // the project's name
        WriteBytes(Path("Values.dat"), saved);
        HWND window = Start();
        ASSERT_TRUE(window);
        SetItemText(window, IDC_LOCAL_VALUE, "7");
        EXPECT_EQ(KeptState(Path("Values.dat")).localValue, 5) << "written at the keystroke";
        ASSERT_TRUE(EnterRange(OpenMainRangeDialog(process.dwProcessId, window), "0", "200"));
        SetWindowPos(window, nullptr, 250, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        DWORD_PTR answer = 0;
        if (end == 0)
        {
            // Killed once both files hold the range and the window's place.
            ASSERT_TRUE(WaitUntil(
                [this]
                {
                    const std::vector<unsigned char> place = ReadBytes(Path("Values.ini"));
                    return KeptState(Path("Values.dat")).mainHigh == 200 &&
                           place.size() == WINDOW_SETTINGS_SIZE && place[0] == 250 &&
                           place[4] == 150;
                },
                20000));
            TerminateProcess(process.hProcess, 0);
        }
        else if (end == 1)
            EndTheSession(window);
        else if (SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP,
                                     SMTO_ABORTIFHUNG, 5000, &answer))
            SendMessageTimeoutA(window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG,
                                5000, &answer);
        ASSERT_EQ(WaitForExit(), 0u);

        window = Start();
        ASSERT_TRUE(window);
        EXPECT_EQ(ItemText(window, IDC_PROJECT_NAME), "plan");
        EXPECT_EQ(ItemText(window, IDC_LOCAL_VALUE), "7");
        EXPECT_EQ(ItemText(window, IDC_MAIN_RANGE), "0 to 200");
        RECT rect;
        GetWindowRect(window, &rect);
        EXPECT_EQ(rect.left * 1000 + rect.top, 250150) << "the window's place";
        for (const int command : {IDM_OPEN_PROJECT, IDM_EXIT})
        {
            Press(window, command);
            HWND question = WaitForWindow(process.dwProcessId, "Save Data", window);
            ASSERT_TRUE(question) << "not asked at command " << command;
            Press(question, command == IDM_EXIT ? IDNO : IDCANCEL);
            ASSERT_TRUE(WaitUntil([question] { return !IsWindow(question); }));
        }
        ASSERT_EQ(WaitForExit(), 0u);
    }
}

// Kills at random moments while values is typed into, most about when a
// write comes: "Values.dat" is always whole and holds a value that was typed,
// and no temporary file piles up. Typing that never pauses is written within
// five seconds all the same.
TEST_F(Program, KillsAtAnyMomentLeaveAWholeStateFile)
{
    WriteState(Path("Values.dat"), 0, true);
    std::set<double> typed = {0};
    HWND window = Start();
    std::mt19937 random(26);
    for (int round = 0; round < 13; round++)
    {
        ASSERT_TRUE(window);
        for (int key = 0; key < (round ? 1 : 32); key++) // at first 6.4 s of steady typing
        {
            typed.insert(round * 100 + key);
            SetItemText(window, IDC_LOCAL_VALUE, std::to_string(round * 100 + key).c_str());
            Sleep(round ? 900 + random() % 300 : 200);
        }
        EXPECT_TRUE(round || KeptState(Path("Values.dat")).localValue) << "never written";
        TerminateProcess(process.hProcess, 0);
        ASSERT_EQ(WaitForExit(), 0u);
        ASSERT_EQ(ReadBytes(Path("Values.dat")).size(), STATE_IMAGE_SIZE) << "round " << round;
        EXPECT_EQ(typed.count(KeptState(Path("Values.dat")).localValue), 1u) << "round " << round;
        EXPECT_LE(ListFolder(folder).size(), 4u) << "Values.dat, Values.tmp and the row icons";
        window = Start();
    }
}

// Whatever stands where values would make its temporary files, read-only,
// a folder or held by another program (at the earlier versions' one name,
// "Values.tmp", and at the names this run takes first), or what a killed run
// left: a value kept while values runs survives a kill, the next close says
// nothing, and no temporary file of values' own is left behind.
TEST_F(Program, NothingInTheFolderStopsTheFilesBeingKept)
{
    enum Obstacle
    {
        READ_ONLY,
        FOLDER,
        HELD,
        LEFTOVERS
    };
    for (const Obstacle obstacle : {READ_ONLY, FOLDER, HELD, LEFTOVERS})
    {
        SCOPED_TRACE(obstacle);
        std::vector<HANDLE> held;
        std::vector<std::string> expected = {"Values.dat", "Values.ini", "delete.ico", "edit.ico"};
        const auto Obstruct = [&](const std::string& name)
        {
            if (obstacle == FOLDER)
                CreateDirectoryA(Path(name.c_str()).c_str(), nullptr);
            else
                WriteBytes(Path(name.c_str()), {1});
            if (obstacle == READ_ONLY)
                SetFileAttributesA(Path(name.c_str()).c_str(), FILE_ATTRIBUTE_READONLY);
            if (obstacle == HELD)
                held.push_back(CreateFileA(Path(name.c_str()).c_str(), GENERIC_READ, 0, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
            expected.push_back(name);
        };
        if (obstacle == LEFTOVERS)
            for (const char* name : {"Values.tmp", "Values.dat.1a2b.tmp", "Values.ini.77-3.tmp"})
                WriteBytes(Path(name), {1});
        else
            Obstruct("Values.tmp");
        HWND window = Start();
        ASSERT_TRUE(window);
        for (const char* file : {"Values.dat", "Values.ini"})
            if (obstacle != LEFTOVERS)
                Obstruct(file + ("." + ToHex(process.dwProcessId)) + ".tmp");
        SetItemText(window, IDC_LOCAL_VALUE, "7");
        SetWindowPos(window, nullptr, 240, 160, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_TRUE(WaitUntil(
            [this] {
                return KeptState(Path("Values.dat")).localValue == 7 &&
                       FileExists(Path("Values.ini"));
            }))
            << "nothing was kept";
        TerminateProcess(process.hProcess, 0);
        ASSERT_EQ(WaitForExit(), 0u);

        window = Start();
        ASSERT_TRUE(window);
        EXPECT_EQ(ItemText(window, IDC_LOCAL_VALUE), "7");
        PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(WaitForExit(), 0u) << "the close did not end without a word";
        for (HANDLE file : held)
            CloseHandle(file);
        std::vector<std::string> names = ListFolder(folder);
        std::sort(names.begin(), names.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(names, expected);
        for (const std::string& name : names)
        {
            SetFileAttributesA(Path(name.c_str()).c_str(), FILE_ATTRIBUTE_NORMAL);
            if (name.find(".ico") == std::string::npos && !DeleteFileA(Path(name.c_str()).c_str()))
                RemoveDirectoryA(Path(name.c_str()).c_str());
        }
    }
}

// A log-off that is called off (WM_ENDSESSION with FALSE) changes nothing:
// values runs on, writes nothing, and closes as usual later.
TEST_F(Program, ACancelledLogOffLeavesValuesRunning)
{
    HWND window = Start();
    ASSERT_TRUE(window);
    SetItemText(window, IDC_LOCAL_VALUE, "7");
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                                    SMTO_ABORTIFHUNG, 5000, &answer));
    EXPECT_TRUE(answer);
    ASSERT_TRUE(SendMessageTimeoutA(window, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF,
                                    SMTO_ABORTIFHUNG, 5000, &answer));
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 500), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_FALSE(FileExists(Path("Values.ini"))) << "the files were written as for a log-off";
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForExit(), 0u);
    EXPECT_EQ(SavedState(Path("Values.dat")).localValue, 7);
}

// "Values.dat" held by another program while values starts (a virus
// scanner, a backup, an editor): read alongside a reader that shares it,
// read once a program that held it alone for a moment lets go, and when it
// stays held, never taken for missing: the user is asked.
TEST_F(Program, AHeldStateFileIsReadOrAskedAbout)
{
    const std::vector<unsigned char> image = WriteState(Path("Values.dat"), 5, true);
    const auto hold = [this](DWORD sharing)
    {
        return CreateFileA(Path("Values.dat").c_str(), GENERIC_READ, sharing, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    // The file is let go before the close, which replaces it.
    const auto closeShowing = [](const PROCESS_INFORMATION& started, HANDLE held)
    {
        HWND window = WaitForWindow(started.dwProcessId, "Values");
        CloseHandle(held);
        ASSERT_TRUE(window);
        EXPECT_EQ(ItemText(window, IDC_LOCAL_VALUE), "5");
        PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(WaitForExitCode(started.hProcess), 0u);
    };

    HANDLE held = hold(FILE_SHARE_READ | FILE_SHARE_WRITE);
    closeShowing(StartAnother(folder), held);

    held = hold(0);
    PROCESS_INFORMATION started = StartAnother(folder);
    Sleep(500);
    CloseHandle(held);
    closeShowing(started, nullptr);

    for (const int answer : {IDCANCEL, IDTRYAGAIN, IDCONTINUE})
    {
        SCOPED_TRACE(answer);
        DeleteFileA(Path("Values.ini").c_str());
        held = hold(0);
        started = StartAnother(folder);
        HWND question = WaitForWindow(started.dwProcessId, "Values");
        ASSERT_TRUE(question);
        const std::string text = ItemText(question, 0xFFFF);
        EXPECT_NE(text.find("cannot read \"Values.dat\""), std::string::npos) << text;
        EXPECT_NE(text.find(folder), std::string::npos) << text;
        CloseHandle(held);
        Press(question, answer);
        ASSERT_TRUE(WaitUntil([question] { return !IsWindow(question); }));
        if (answer == IDTRYAGAIN)
            closeShowing(started, nullptr);
        else if (answer == IDCANCEL)
            ASSERT_EQ(WaitForExitCode(started.hProcess), 1u) << "and nothing is written";
        else
        {
            // Empty values; the close asks before it replaces the file, and
            // No keeps it.
            HWND window = WaitForWindow(started.dwProcessId, "Values");
            ASSERT_TRUE(WaitUntil([window] { return ItemText(window, IDC_LOCAL_VALUE) == "0"; }));
            SetItemText(window, IDC_LOCAL_VALUE, "3"); // not kept over the unread file
            Sleep(1500);
            PostMessageA(window, WM_CLOSE, 0, 0);
            question = WaitForWindow(started.dwProcessId, "Values", window);
            ASSERT_TRUE(question);
            EXPECT_NE(ItemText(question, 0xFFFF).find("Replace it"), std::string::npos);
            Press(question, IDNO);
            EXPECT_EQ(WaitForExitCode(started.hProcess), 0u);
        }
        EXPECT_EQ(ReadBytes(Path("Values.dat")), image);
        EXPECT_EQ(FileExists(Path("Values.ini")), answer != IDCANCEL);
    }
}

// values.exe /folder FOLDER PROJECT, as the installed "Open with" command
// gives it (quoted, the folder with its closing backslash): FOLDER is the
// working folder, whose files and one window follow it; PROJECT, its path
// with spaces, opens once the window is there, and Values.dat keeps it. A
// switch values does not know shows how values is started, and ends it.
TEST_F(Program, TheCommandLineGivesTheFolderAndTheProject)
{
    const std::string home = Path("home");
    const std::string plans = Path("my plans");
    ASSERT_TRUE(CreateDirectoryA(home.c_str(), nullptr) &&
                CreateDirectoryA(plans.c_str(), nullptr));
    WriteState(plans + "\\plan.prj", 4, false);
    const PROCESS_INFORMATION first =
        StartAnother(folder, "/folder \"" + home + "\\\" \"" + plans + "\\plan.prj\"");
    HWND window = WaitForWindow(first.dwProcessId, "Values");
    ASSERT_TRUE(window);
    EXPECT_TRUE(WaitUntil([window] { return ItemText(window, IDC_PROJECT_NAME) == "plan"; }));
    EXPECT_EQ(ItemText(window, IDC_LOCAL_VALUE), "4");
    EXPECT_EQ(WaitForExitCode(StartAnother(home, "/FOLDER .").hProcess), 0u) << "came forward";
    EXPECT_EQ(ShownWindows(first.dwProcessId).size(), 1u);
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForExitCode(first.hProcess), 0u);
    const ProjectState saved = SavedState(home + "\\Values.dat");
    EXPECT_STREQ(saved.projectTitle, "plan.prj");
    EXPECT_EQ(saved.projectDir, plans);
    EXPECT_FALSE(FileExists(Path("Values.dat")));

    const PROCESS_INFORMATION wrong = StartAnother(folder, "/nonsense");
    HWND usage = WaitForWindow(wrong.dwProcessId, "Values");
    ASSERT_TRUE(usage);
    EXPECT_NE(ItemText(usage, 0xFFFF).find("\"/nonsense\".\n\nUsage: values.exe [/folder FOLDER]"),
              std::string::npos);
    Press(usage, IDOK);
    EXPECT_EQ(WaitForExitCode(wrong.hProcess), 1u);
}

// A second start with a project hands it to the folder's window, and ends
// with 0; that window asks about its unsaved changes first, as Open Project
// does: Cancel keeps everything, Yes saves them and then opens the project.
TEST_F(Program, ASecondStartWithAProjectHandsItToTheFolderWindow)
{
    WriteState(Path("other.prj"), 3, false);
    HWND window = Start();
    ASSERT_TRUE(window);
    HWND dialog = OpenMainRangeDialog(process.dwProcessId, window);
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(EnterRange(dialog, "0", "100"));
    for (const int answer : {IDCANCEL, IDYES})
    {
        SCOPED_TRACE(answer);
        const PROCESS_INFORMATION second = StartAnother(folder, "\"" + Path("other.prj") + "\"");
        EXPECT_EQ(WaitForExitCode(second.hProcess), 0u);
        HWND question = WaitForWindow(process.dwProcessId, "Save Data", window);
        ASSERT_TRUE(question);
        Press(question, answer);
        if (answer == IDCANCEL)
        {
            ASSERT_TRUE(WaitUntil([question] { return !IsWindow(question); }));
            EXPECT_EQ(ItemText(window, IDC_MAIN_RANGE), "0 to 100");
            continue;
        }
        HWND save = WaitForWindow(process.dwProcessId, "Save As", window);
        ASSERT_TRUE(save);
        SetItemText(save, 1148, Path("kept.prj").c_str());
        Press(save, IDOK);
        EXPECT_TRUE(WaitUntil([window] { return ItemText(window, IDC_PROJECT_NAME) == "other"; }));
        EXPECT_EQ(ItemText(window, IDC_MAIN_RANGE), "0 to 10");
        EXPECT_EQ(ReadBytes(Path("kept.prj")).size(), PROJECT_IMAGE_SIZE);
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(), 0u);
}

// A screen reader, a process of its own, hears why a box warns, and that it
// no longer does.
TEST_F(Program, AScreenReaderHearsWhyABoxWarns)
{
    WriteState(Path("Values.dat"), 15, true);
    HWND window = Start();
    ASSERT_TRUE(window);
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    EXPECT_EQ(Heard(GetDlgItem(window, IDC_LOCAL_VALUE)), "Local Value");
    EXPECT_EQ(Described(GetDlgItem(window, IDC_LOCAL_VALUE)), "Outside the main range");
    SetItemText(window, IDC_LOCAL_VALUE, "5");
    EXPECT_EQ(Described(GetDlgItem(window, IDC_LOCAL_VALUE)), "");
    CoUninitialize();
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(), 0u);
}

// A close that cannot write still lets the user go, when asked to.
TEST_F(Program, ContinueClosesWithoutTheFileThatCannotBeWritten)
{
    const std::vector<unsigned char> image = WriteState(Path("Values.dat"), 5, true);
    SetFileAttributesA(Path("Values.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    HWND window = Start();
    ASSERT_TRUE(window);
    SetItemText(window, IDC_LOCAL_VALUE, "8");
    Sleep(1500); // the write kept while values runs fails, and says nothing
    EXPECT_EQ(ShownWindows(process.dwProcessId), std::vector<HWND>{window});
    PostMessageA(window, WM_CLOSE, 0, 0);
    HWND question = WaitForWindow(process.dwProcessId, "Values", window);
    ASSERT_TRUE(question);
    EXPECT_NE(ItemText(question, 0xFFFF)
                  .find("Continue to close values without saving (the "
                        "values shown now are lost)"),
              std::string::npos)
        << ItemText(question, 0xFFFF);
    Press(question, IDCONTINUE);
    EXPECT_EQ(WaitForExit(), 0u);
    EXPECT_EQ(ReadBytes(Path("Values.dat")), image);
    EXPECT_EQ(ReadBytes(Path("Values.ini")).size(), WINDOW_SETTINGS_SIZE);
}

// Another program's window coming to the front leaves the box being typed in
// as it is, text and caret; the focus comes back to it so.
TEST_F(Program, TypingIsLeftAloneWhileTheWindowIsInactive)
{
    HWND window = Start();
    ASSERT_TRUE(window);
    HWND box = GetDlgItem(window, IDC_LOCAL_VALUE);
    SendMessageA(box, EM_SETSEL, 0, -1);
    for (char c : std::string("12."))
        PostMessageA(box, WM_CHAR, static_cast<unsigned char>(c), 0);
    ASSERT_TRUE(WaitUntil([window] { return ItemText(window, IDC_LOCAL_VALUE) == "12."; }));

    HWND elsewhere = ShowWindowElsewhere();
    Sleep(200);
    HandleOwnMessages();
    EXPECT_EQ(ItemText(window, IDC_LOCAL_VALUE), "12.");
    SetForegroundWindow(window);
    EXPECT_TRUE(WaitUntil([window] { return GetForegroundWindow() == window; }));
    DestroyWindow(elsewhere);
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    EXPECT_TRUE(WaitUntil(
        [&thread, window]
        {
            return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) &&
                   thread.hwndFocus == GetDlgItem(window, IDC_LOCAL_VALUE);
        }))
        << "the focus is not back in the box";
    EXPECT_EQ(ItemText(window, IDC_LOCAL_VALUE), "12.");
    const LRESULT selection = SendMessageA(box, EM_GETSEL, 0, 0);
    EXPECT_EQ(LOWORD(selection), 3) << "the caret moved";
    EXPECT_EQ(HIWORD(selection), 3);

    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForExit(), 0u);
    EXPECT_EQ(SavedState(Path("Values.dat")).localValue, 12);
}

TEST_F(Program, DoesNotStartWithoutItsNumberLibrary)
{
    const std::string alone = Path("values.exe");
    ASSERT_TRUE(CopyFileA((ProgramFolder() + "values.exe").c_str(), alone.c_str(), FALSE));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    char commandLine[] = "values.exe";
    ASSERT_TRUE(CreateProcessA(alone.c_str(), commandLine, nullptr, nullptr, FALSE, 0, nullptr,
                               folder.c_str(), &startup, &process));
    EXPECT_EQ(WaitForExit(), static_cast<DWORD>(0xC0000135)) << "STATUS_DLL_NOT_FOUND";
    EXPECT_FALSE(FileExists(Path("Values.dat")));
}

} // namespace
