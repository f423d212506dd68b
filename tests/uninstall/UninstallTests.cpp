// Uninstall.exe run from a test folder of its own, beside a stand-in
// msiexec.exe that records what it was started with.
//
// Where the stand-in has to be: under Wine, ShellExecuteW looks for a bare
// "msiexec" first in the calling program's own folder, then in the working
// folder, then in the system folder, and only then along PATH (measured with
// wine64 8.0). A file placed in the system folder does not help, because
// Wine runs its own built-in msiexec for that path whatever the file holds.
// So the stand-in goes beside Uninstall.exe, and Uninstall.exe is started in
// another, empty working folder: were the program's own folder not searched,
// Wine's msiexec would run instead and nothing would be recorded.
#include "TestFolder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

const char EXPECTED_PARAMETERS[] = "/i {ECEBC99A-67B2-4A0E-B576-741B23A014B7}";
// Wine starts a process in well under a second; this is only a backstop.
const DWORD PATIENCE_MS = 20000;

std::string BesideThisProgram(const char* name)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

struct Outcome
{
    bool finished;
    DWORD exitCode;
};

class UninstallLauncher : public InTestFolder
{
  protected:
    void SetUp() override
    {
        InTestFolder::SetUp();
        ASSERT_TRUE(CopyFileA(BesideThisProgram("Uninstall.exe").c_str(),
                              Path("Uninstall.exe").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(BesideThisProgram("StandInMsiexec.exe").c_str(),
                              Path("msiexec.exe").c_str(), FALSE));
        ASSERT_TRUE(CreateDirectoryA(Path("elsewhere").c_str(), nullptr));
    }

    void TearDown() override
    {
        // A stand-in still held by a failed test is let go, so that the
        // folder can be removed.
        DeleteFileA(Path("hold").c_str());
        if (standIn != nullptr)
        {
            WaitForSingleObject(standIn, PATIENCE_MS);
            CloseHandle(standIn);
        }
        InTestFolder::TearDown();
    }

    // Starts the copied Uninstall.exe with the given arguments in the empty
    // folder "elsewhere", and waits for it to end.
    Outcome RunUninstall(const std::string& arguments)
    {
        std::string commandLine = "\"" + Path("Uninstall.exe") + "\"";
        if (!arguments.empty())
            commandLine += " " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        Outcome run = {false, 0};
        if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                            Path("elsewhere").c_str(), &startup, &process))
        {
            ADD_FAILURE() << "cannot start " << commandLine << ": error " << GetLastError();
            return run;
        }
        run.finished = WaitForSingleObject(process.hProcess, PATIENCE_MS) == WAIT_OBJECT_0;
        if (!run.finished)
            TerminateProcess(process.hProcess, 1);
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return run;
    }

    // What the stand-in recorded, once it has: its process id is kept in
    // standInId, and its arguments are returned.
    std::string WaitForStandIn()
    {
        const std::string received = Path("received.txt");
        for (DWORD waited = 0; !FileExists(received) && waited < PATIENCE_MS; waited += 50)
            Sleep(50);
        std::vector<unsigned char> bytes = ReadBytes(received);
        std::string text(bytes.begin(), bytes.end());
        size_t newline = text.find('\n');
        if (newline == std::string::npos)
        {
            ADD_FAILURE() << "the stand-in msiexec recorded nothing";
            return std::string();
        }
        standInId = std::stoul(text.substr(0, newline));
        DeleteFileA(received.c_str());
        return text.substr(newline + 1);
    }

    unsigned long standInId = 0;
    HANDLE standIn = nullptr;
};

TEST_F(UninstallLauncher, StartsTheInstallerOnTheProductCodeWhateverItsCommandLine)
{
    const char* commandLines[] = {
        "",
        "/x",
        "/quiet /norestart \"C:\\Program Files\\values\\values.exe\"",
        "/i {00000000-0000-0000-0000-000000000000}",
    };
    for (const char* arguments : commandLines)
    {
        SCOPED_TRACE(arguments);
        Outcome run = RunUninstall(arguments);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(WaitForStandIn(), EXPECTED_PARAMETERS);
    }
}

TEST_F(UninstallLauncher, EndsWhileTheInstallerStillRuns)
{
    // The stand-in keeps running for as long as "hold" exists (a minute at
    // most), far longer than Uninstall.exe is given to end.
    WriteBytes(Path("hold"), {});
    Outcome run = RunUninstall("");
    ASSERT_TRUE(run.finished) << "Uninstall.exe waited for the installer";
    EXPECT_EQ(run.exitCode, 0u);

    EXPECT_EQ(WaitForStandIn(), EXPECTED_PARAMETERS);
    standIn = OpenProcess(SYNCHRONIZE, FALSE, standInId);
    ASSERT_NE(standIn, nullptr) << "the stand-in msiexec had already ended";
    EXPECT_EQ(WaitForSingleObject(standIn, 0), static_cast<DWORD>(WAIT_TIMEOUT));

    DeleteFileA(Path("hold").c_str());
    EXPECT_EQ(WaitForSingleObject(standIn, PATIENCE_MS), WAIT_OBJECT_0);
}

TEST(UninstallResources, CarriesItsIconAndAManifestThatNamesNoRuntime)
{
    HMODULE program = LoadLibraryExA(BesideThisProgram("Uninstall.exe").c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr);

    for (int size : {16, 32})
    {
        HICON icon = static_cast<HICON>(
            LoadImageA(program, MAKEINTRESOURCEA(102), IMAGE_ICON, size, size, 0));
        EXPECT_NE(icon, nullptr) << size << " px";
        ICONINFO info = {};
        if (icon != nullptr && GetIconInfo(icon, &info))
        {
            BITMAP colour = {};
            GetObjectA(info.hbmColor, sizeof colour, &colour);
            EXPECT_EQ(colour.bmWidth, size);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
        }
        DestroyIcon(icon);
    }

    HRSRC found = FindResourceA(program, CREATEPROCESS_MANIFEST_RESOURCE_ID,
                                MAKEINTRESOURCEA(24)); // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const char* text = static_cast<const char*>(LockResource(LoadResource(program, found)));
    std::string manifest(text, SizeofResource(program, found));
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    // A dependency on a side-by-side runtime that is not installed would stop
    // the program from starting; it needs none.
    EXPECT_EQ(manifest.find("<dependency"), std::string::npos);
    EXPECT_EQ(manifest.find("Microsoft.VC"), std::string::npos);

    FreeLibrary(program);
}

} // namespace
