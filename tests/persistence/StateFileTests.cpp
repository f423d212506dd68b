// The state and project files through real files, each test in a fresh
// working folder.
#include "ImportSlot.h"
#include "ProjectState.h"
#include "SafeFile.h"
#include "StartFolder.h"
#include "StateCodec.h"
#include "StateFile.h"
#include "TestFolder.h"
#include "WindowSettings.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace
{

class StateFiles : public InTestFolder
{
  protected:
    void SetUp() override
    {
        InTestFolder::SetUp();
        TakeStartFolder();
        std::memset(&project, 0, sizeof project);
    }

    // A state the tests can recognise.
    static void FillProject()
    {
        project.localValue = 42.5;
        project.mainLow = -10;
        project.mainHigh = 90;
        AcceptRange(0, "First", 0, 1);
        AcceptRange(1, "Second", 5, 15);
        project.ranges[1].value = 7.25;
        std::strcpy(project.projectTitle, "plan.prj");
        std::strcpy(project.projectDir, "C:\\plans");
        project.modified = true;
    }

    static std::vector<unsigned char> Image(bool withPaths)
    {
        std::vector<unsigned char> image(StateImageSize(withPaths));
        EncodeState(project, withPaths, image.data());
        return image;
    }
};

TEST_F(StateFiles, StateFileRoundTripsWithItsPaths)
{
    FillProject();
    ASSERT_EQ(SaveState(nullptr), 1);
    EXPECT_EQ(ReadBytes(Path("Values.dat")).size(), STATE_IMAGE_SIZE);

    const ProjectState saved = project;
    std::memset(&project, 0, sizeof project);
    ASSERT_EQ(LoadState(nullptr), 1);
    EXPECT_EQ(project.localValue, 42.5);
    EXPECT_EQ(project.mainLow, -10);
    EXPECT_EQ(project.mainHigh, 90);
    EXPECT_STREQ(project.ranges[1].name, "Second");
    EXPECT_EQ(project.ranges[1].value, 7.25);
    EXPECT_EQ(project.ranges[2].inUse, 0);
    EXPECT_STREQ(project.projectTitle, saved.projectTitle);
    EXPECT_STREQ(project.projectDir, saved.projectDir);
}

TEST_F(StateFiles, ProjectFileHoldsNoPathsAndLeavesThemAlone)
{
    FillProject();
    ASSERT_EQ(SaveState(Path("two.prj").c_str()), 1);
    EXPECT_EQ(ReadBytes(Path("two.prj")), Image(false)) << "824 bytes, exactly the layout";

    std::memset(&project, 0, sizeof project);
    std::strcpy(project.projectTitle, "other.prj");
    project.modified = true;
    ASSERT_EQ(LoadState(Path("two.prj").c_str()), 1);
    EXPECT_EQ(project.localValue, 42.5);
    EXPECT_STREQ(project.ranges[0].name, "First");
    EXPECT_STREQ(project.projectTitle, "other.prj");
    EXPECT_TRUE(project.modified);
}

TEST_F(StateFiles, MissingShortOrUnreadableFilesChangeNothing)
{
    FillProject();
    const ProjectState before = project;

    EXPECT_EQ(LoadState(nullptr), 0) << "no Values.dat yet";
    EXPECT_EQ(LoadState(Path("none.prj").c_str()), 0);

    project.localValue = 1; // what the short files hold must not arrive
    std::vector<unsigned char> image = Image(true);
    project = before;
    image.resize(STATE_IMAGE_SIZE - 1);
    WriteBytes(Path("Values.dat"), image);
    EXPECT_EQ(LoadState(nullptr), 0);
    image.resize(PROJECT_IMAGE_SIZE - 1);
    WriteBytes(Path("short.prj"), image);
    EXPECT_EQ(LoadState(Path("short.prj").c_str()), 0);
    WriteBytes(Path("empty.prj"), {});
    EXPECT_EQ(LoadState(Path("empty.prj").c_str()), 0);

    // A file another program holds open without sharing cannot be read.
    WriteBytes(Path("held.prj"), Image(false));
    HANDLE held = CreateFileA(Path("held.prj").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(LoadState(Path("held.prj").c_str()), 0);
    CloseHandle(held);

    const std::string tooLong = folder + "\\" + std::string(300, 'a') + ".prj";
    EXPECT_EQ(LoadState(tooLong.c_str()), 0);
    EXPECT_EQ(std::memcmp(&project, &before, sizeof project), 0);
}

TEST_F(StateFiles, ALongerFileIsReadForItsLayoutOnly)
{
    FillProject();
    std::vector<unsigned char> image = Image(true);
    image.resize(4000, 0xEE);
    WriteBytes(Path("Values.dat"), image);
    WriteBytes(Path("state-as-project.prj"), image);
    std::memset(&project, 0, sizeof project);

    ASSERT_EQ(LoadState(nullptr), 1);
    EXPECT_STREQ(project.projectDir, "C:\\plans");
    std::strcpy(project.projectTitle, "mine.prj");
    project.localValue = 0;
    ASSERT_EQ(LoadState(Path("state-as-project.prj").c_str()), 1);
    EXPECT_EQ(project.localValue, 42.5);
    EXPECT_STREQ(project.projectTitle, "mine.prj");
}

TEST_F(StateFiles, UnterminatedNamesAreCutAtTheirField)
{
    std::vector<unsigned char> image(STATE_IMAGE_SIZE, 'N');
    WriteBytes(Path("Values.dat"), image);
    ASSERT_EQ(LoadState(nullptr), 1);
    EXPECT_EQ(std::strlen(project.ranges[4].name), TEXT_SIZE - 1);
    EXPECT_EQ(std::strlen(project.projectDir), PATH_SIZE - 1);
}

TEST_F(StateFiles, ASaveOntoAHeldFileFailsAndKeepsTheOldBytes)
{
    FillProject();
    const std::vector<unsigned char> old(PROJECT_IMAGE_SIZE, 0x5A);
    WriteBytes(Path("held.prj"), old);
    HANDLE held = CreateFileA(Path("held.prj").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    SetLastError(ERROR_FILENAME_EXCED_RANGE); // from before: never the answer
    const int saved = SaveState(Path("held.prj").c_str());
    const DWORD error = GetLastError();
    CloseHandle(held);

    EXPECT_EQ(saved, 0);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(ReadBytes(Path("held.prj")), old);
    EXPECT_EQ(ListFolder(folder), std::vector<std::string>{"held.prj"})
        << "no temporary file is left behind";
}

TEST_F(StateFiles, ASaveOntoAReadOnlyFileFailsAndKeepsIt)
{
    FillProject();
    const std::vector<unsigned char> old(PROJECT_IMAGE_SIZE, 0x33);
    WriteBytes(Path("locked.prj"), old);
    SetFileAttributesA(Path("locked.prj").c_str(), FILE_ATTRIBUTE_READONLY);

    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(SaveState(Path("locked.prj").c_str()), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    SetFileAttributesA(Path("locked.prj").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(Path("locked.prj")), old);
    EXPECT_EQ(ListFolder(folder).size(), 1u);
}

TEST_F(StateFiles, ASaveIntoAMissingFolderFails)
{
    FillProject();
    EXPECT_EQ(SaveState(Path("no-such-folder\\plan.prj").c_str()), 0);
    EXPECT_TRUE(ListFolder(folder).empty());
}

// A disk that fills up while a file is written: the test program's own
// import of WriteFile, through which the file routines write, is replaced
// for the length of the saves. Half of each write reaches the file; then the
// write reports the full disk as a short count, or as a failure.
decltype(&WriteFile) realWriteFile;
bool reportShortCount;
int writesTried;

BOOL WINAPI HalfWriteFile(HANDLE file, LPCVOID bytes, DWORD size, LPDWORD written,
                          LPOVERLAPPED overlapped)
{
    writesTried++;
    DWORD half = 0;
    realWriteFile(file, bytes, size / 2, &half, overlapped);
    if (written)
        *written = half;
    if (reportShortCount)
        return TRUE;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

// Saved whole or not at all: a save whose writes fail partway leaves the old
// state file, window settings and project byte for byte, and no temporary
// file. A save that wrote over its file in place would leave half a file.
// A kept file's failure names the file that failed: the temporary one here,
// the target when that refuses.
TEST_F(StateFiles, AWriteThatFailsPartwayLeavesEveryFileAsItWas)
{
    const std::vector<unsigned char> oldState(STATE_IMAGE_SIZE, 0x11);
    const std::vector<unsigned char> oldSettings(WINDOW_SETTINGS_SIZE, 0x22);
    const std::vector<unsigned char> oldProject(PROJECT_IMAGE_SIZE, 0x33);
    WriteBytes(Path("Values.dat"), oldState);
    WriteBytes(Path("Values.ini"), oldSettings);
    WriteBytes(Path("plan.prj"), oldProject);
    FillProject();

    void** slot = ImportSlot("kernel32.dll", "WriteFile");
    ASSERT_NE(slot, nullptr);
    realWriteFile = reinterpret_cast<decltype(&WriteFile)>(*slot);
    for (const bool shortCount : {true, false})
    {
        SCOPED_TRACE(shortCount ? "a short count" : "a failed write");
        reportShortCount = shortCount;
        writesTried = 0;
        PutInSlot(slot, reinterpret_cast<void*>(HalfWriteFile));
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        WriteFailure failure = {};
        const int state = SaveStateImage(Image(true).data(), &failure);
        const DWORD error = GetLastError();
        const int tried = writesTried;
        const int settings = SaveWindowSettings(GetDesktopWindow());
        const int saved = SaveState(Path("plan.prj").c_str());
        PutInSlot(slot, reinterpret_cast<void*>(realWriteFile));

        EXPECT_GT(tried, 0) << "the save got as far as writing";
        EXPECT_GE(writesTried, 3);
        EXPECT_EQ(state, 0);
        EXPECT_EQ(error, static_cast<DWORD>(ERROR_DISK_FULL));
        EXPECT_EQ(failure.error, static_cast<DWORD>(ERROR_DISK_FULL));
        EXPECT_EQ(std::string(failure.temporary).rfind(Path("Values.dat."), 0), 0u)
            << "the temporary file failed, not the target: " << failure.temporary;
        EXPECT_EQ(settings, 0);
        EXPECT_EQ(saved, 0);
        EXPECT_EQ(ReadBytes(Path("Values.dat")), oldState);
        EXPECT_EQ(ReadBytes(Path("Values.ini")), oldSettings);
        EXPECT_EQ(ReadBytes(Path("plan.prj")), oldProject);
        std::vector<std::string> names = ListFolder(folder);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"Values.dat", "Values.ini", "plan.prj"}))
            << "no temporary file is left";
    }
    // A target that refuses is named as the one that failed.
    SetFileAttributesA(Path("Values.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    WriteFailure failure = {0, "x"};
    EXPECT_EQ(SaveStateImage(Image(true).data(), &failure), 0);
    SetFileAttributesA(Path("Values.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(failure.error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_STREQ(failure.temporary, "");
}

// Windows fails a read of a byte range another program has locked with
// ERROR_LOCK_VIOLATION; Wine does not lock ranges against reads, so this
// program's ReadFile gives the first half of the file and then that error.
// The read fails as a busy file does (the start tries again, then asks),
// never as a short file, which would be taken for no state at all.
decltype(&ReadFile) realReadFile;

BOOL WINAPI ReadFileLockedPartway(HANDLE file, LPVOID bytes, DWORD size, LPDWORD got,
                                  LPOVERLAPPED overlapped)
{
    if (SetFilePointer(file, 0, nullptr, FILE_CURRENT) == 0)
        return realReadFile(file, bytes, size / 2, got, overlapped);
    SetLastError(ERROR_LOCK_VIOLATION);
    return FALSE;
}

TEST_F(StateFiles, AReadThatFailsPartwayIsABusyFileNeverAShortOne)
{
    FillProject();
    ASSERT_EQ(SaveState(nullptr), 1);
    std::memset(&project, 0, sizeof project);
    void** slot = ImportSlot("kernel32.dll", "ReadFile");
    ASSERT_NE(slot, nullptr);
    realReadFile = reinterpret_cast<decltype(&ReadFile)>(*slot);
    PutInSlot(slot, reinterpret_cast<void*>(ReadFileLockedPartway));
    const int loaded = LoadState(nullptr);
    const DWORD error = GetLastError();
    PutInSlot(slot, reinterpret_cast<void*>(realReadFile));

    EXPECT_EQ(loaded, 0);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_LOCK_VIOLATION));
    EXPECT_EQ(project.localValue, 0) << "nothing of the half read arrives";
}

std::wstring restartLine;
DWORD restartFlags;

HRESULT WINAPI RecordRestart(PCWSTR line, DWORD flags)
{
    restartLine = line;
    restartFlags = flags;
    return S_OK;
}

// values asks Windows to start it again after an update restart (not after a
// crash or a hang) in its start folder, whose name is converted from the
// ANSI code page: "\x80" is the euro sign in 1252. Wine's call does nothing,
// so the call is recorded on its way.
TEST_F(StateFiles, ValuesAsksToComeBackInItsFolderAfterAnUpdate)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "the folder's name is written in code page 1252";
    ASSERT_TRUE(CreateDirectoryA(Path("\x80").c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryA(Path("\x80").c_str()));
    TakeStartFolder();
    SetCurrentDirectoryA(folder.c_str());
    void** slot = ImportSlot("kernel32.dll", "RegisterApplicationRestart");
    ASSERT_NE(slot, nullptr);
    void* real = *slot;
    PutInSlot(slot, reinterpret_cast<void*>(RecordRestart));
    EXPECT_TRUE(RegisterForRestart());
    PutInSlot(slot, real);
    TakeStartFolder();
    EXPECT_EQ(restartFlags, static_cast<DWORD>(RESTART_NO_CRASH | RESTART_NO_HANG));
    const std::wstring widened(folder.begin(), folder.end()); // a folder of plain letters
    EXPECT_EQ(restartLine, L"/folder \"" + widened + L"\\\u20AC\"");
}

// What a killed run left of the kept files' temporary files goes at the
// next start, with the earlier versions' "Values.tmp"; names of any other
// pattern, a read-only file and one another program holds stay. (What
// stands in a write's way is the program tests' table.)
TEST_F(StateFiles, LeftoversOfAKilledRunGoAndNothingElse)
{
    WriteBytes(Path("Values.tmp"), {1});
    SetFileAttributesA(Path("Values.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
    FillProject();
    ASSERT_EQ(SaveState(nullptr), 1);
    const char* const leftovers[] = {"Values.dat.1a2b.tmp", "Values.ini.ffffffff-3.tmp",
                                     "Values.dat.7.tmp"};
    const char* const others[] = {"Values.dat.tmp",       "Values.dat.xyz.tmp", "Values.dat.1-.tmp",
                                  "Values.dat.1.tmp.bak", "Values.dat.2.tmp",   "Values.ini.3.tmp"};
    for (const char* name : leftovers)
        WriteBytes(Path(name), {3});
    for (const char* name : others)
        WriteBytes(Path(name), {4});
    SetFileAttributesA(Path("Values.dat.2.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE held = CreateFileA(Path("Values.ini.3.tmp").c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    RemoveLeftovers();
    CloseHandle(held);
    std::vector<std::string> names = ListFolder(folder);
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected(std::begin(others), std::end(others));
    expected.push_back("Values.dat");
    expected.push_back("Values.tmp"); // read-only: the user's
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    SetFileAttributesA(Path("Values.tmp").c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA(Path("Values.dat.2.tmp").c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveLeftovers();
    EXPECT_FALSE(FileExists(Path("Values.tmp"))) << "the earlier versions' leftover";
}

} // namespace
