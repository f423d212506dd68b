// The installer package of this build tree, installed, used, upgraded and
// removed the way a user does it, through the real msiexec, the real
// shortcuts and the real Uninstall.exe. Each test changes the Wine prefix it
// runs in, so fresh-prefix.sh gives every one a new prefix of its own.
//
// The build tree (this program's bin\..) holds values-<version>.msi, and
// installer-tests\ holds values-<next version>.msi and, in next\, the
// programs that package carries.
#include "ProgramFixture.h"
#include "StateCodec.h"

#include <windows.h>
#include <msi.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

const char PRODUCT_CODE[] = VALUES_PRODUCT_CODE;
const char* const PROGRAM_FILES[] = {"values.exe", "Vantrel.dll", "edit.ico", "delete.ico",
                                     "Uninstall.exe"};
// Wine installs this small package in a second or two; these are backstops
// that turn a hang into a failure.
const DWORD INSTALL_PATIENCE_MS = 90000;
const DWORD DIALOG_PATIENCE_MS = 30000;

std::string KnownFolder(int csidl)
{
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::string BuildTree()
{
    return ProgramFolder() + "..\\";
}

std::string InstallFolder()
{
    return KnownFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\values";
}

std::string WorkingFolder()
{
    return KnownFolder(CSIDL_LOCAL_APPDATA) + "\\values";
}

std::string MenuFolder()
{
    return KnownFolder(CSIDL_PROGRAMS) + "\\values";
}

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

// What the Windows Installer knows of the product: "" when it has no such
// property (or no such product).
std::string ProductInfo(const char* property)
{
    char value[MAX_PATH] = {};
    DWORD size = sizeof value;
    if (MsiGetProductInfoA(PRODUCT_CODE, property, value, &size) != ERROR_SUCCESS)
        return std::string();
    return value;
}

int InstalledProducts()
{
    char code[39];
    int count = 0;
    while (MsiEnumProductsA(count, code) == ERROR_SUCCESS)
        ++count;
    return count;
}

// The Apps & features entry's value, from wherever this Windows keeps a
// per-user product's entry (Wine keeps it in HKLM), or "" without one.
std::string UninstallEntry(const char* name)
{
    const std::string key =
        std::string("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + PRODUCT_CODE;
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
    {
        char value[MAX_PATH] = {};
        DWORD size = sizeof value;
        if (RegGetValueA(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) ==
            ERROR_SUCCESS)
            return value;
    }
    return std::string();
}

bool KeyExists(HKEY root, const std::string& key)
{
    HKEY opened;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

// A text value of the user's registry, or "(none)" without it.
std::string UserValue(const std::string& key, const char* name)
{
    char value[1024] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return "(none)";
    return value;
}

const char PROGID_KEY[] = "Software\\Classes\\values.Project";
const char OPEN_WITH_KEY[] = "Software\\Classes\\.prj\\OpenWithProgids";

struct Shortcut
{
    std::string target;
    std::string workingFolder;
    std::string icon;
};

Shortcut ReadShortcut(const std::string& path)
{
    Shortcut shortcut;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
    {
        ADD_FAILURE() << "no shell link object";
        return shortcut;
    }
    IPersistFile* file = nullptr;
    wchar_t widePath[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH);
    char text[MAX_PATH] = {};
    int iconIndex = 0;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(widePath, STGM_READ)))
    {
        link->GetPath(text, MAX_PATH, nullptr, 0);
        shortcut.target = text;
        link->GetWorkingDirectory(text, MAX_PATH);
        shortcut.workingFolder = text;
        text[0] = '\0';
        link->GetIconLocation(text, MAX_PATH, &iconIndex);
        shortcut.icon = text;
    }
    else
    {
        ADD_FAILURE() << "cannot read the shortcut " << path;
    }
    if (file)
        file->Release();
    link->Release();
    return shortcut;
}

// Paths compared as Windows does: in any case, with or without a final
// backslash.
bool SamePath(std::string a, std::string b)
{
    for (std::string* path : {&a, &b})
        if (!path->empty() && path->back() == '\\')
            path->pop_back();
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// The titles of a process's visible top-level windows, or "" when it shows
// none.
std::string VisibleWindows(DWORD process)
{
    std::string titles;
    for (HWND window : ShownWindows(process))
    {
        char title[256] = {};
        GetWindowTextA(window, title, sizeof title);
        titles += std::string(" \"") + title + "\"";
    }
    return titles;
}

// Waits for an installer process to end, and returns its exit code. It fails
// the test, and ends the process, when it shows a window (nobody is there to
// answer it) or does not end in time.
DWORD WaitForInstaller(HANDLE process, DWORD processId)
{
    for (DWORD waited = 0; waited < INSTALL_PATIENCE_MS; waited += 100)
    {
        if (WaitForSingleObject(process, 100) == WAIT_OBJECT_0)
        {
            DWORD code = 0;
            GetExitCodeProcess(process, &code);
            return code;
        }
        const std::string shown = VisibleWindows(processId);
        if (!shown.empty())
        {
            ADD_FAILURE() << "the installer showed what nobody expected:" << shown;
            TerminateProcess(process, 99);
            return 99;
        }
    }
    ADD_FAILURE() << "the installer did not end";
    TerminateProcess(process, 99);
    return 99;
}

// Starts a program with its command line in a folder (the current one
// without), or fails the test.
PROCESS_INFORMATION Start(std::string commandLine, const std::string& folder = std::string())
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process))
        ADD_FAILURE() << "cannot start " << commandLine << ": error " << GetLastError();
    return process;
}

void Release(PROCESS_INFORMATION& process)
{
    if (process.hProcess)
    {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    process = {};
}

// Runs msiexec with these arguments and returns its exit code.
DWORD Msiexec(const std::string& arguments)
{
    PROCESS_INFORMATION process = Start("msiexec.exe " + arguments);
    if (!process.hProcess)
        return 99;
    const DWORD code = WaitForInstaller(process.hProcess, process.dwProcessId);
    Release(process);
    return code;
}

std::string Package()
{
    return BuildTree() + "values-" VALUES_VERSION ".msi";
}

// The installer's dialog (Install or Repair, Remove), shown by whichever
// process asked for it: one of its buttons is pressed, and the installer's
// exit code returned.
DWORD AnswerDialog(const char* button)
{
    HWND dialog = nullptr;
    for (DWORD waited = 0; !dialog && waited < DIALOG_PATIENCE_MS; waited += 100)
    {
        dialog = FindWindowA("MsiDialogCloseClass", "values Setup");
        if (!dialog || !IsWindowVisible(dialog))
        {
            dialog = nullptr;
            Sleep(100);
        }
    }
    if (!dialog)
    {
        ADD_FAILURE() << "no installer dialog appeared";
        return 99;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(dialog, &processId);
    HANDLE process =
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, processId);
    HWND pressed = FindWindowExA(dialog, nullptr, "Button", button);
    EXPECT_NE(pressed, nullptr) << "the dialog has no " << button << " button";
    if (!process || !pressed)
    {
        if (process)
            CloseHandle(process);
        return 99;
    }
    PostMessageA(pressed, BM_CLICK, 0, 0);
    for (DWORD waited = 0; IsWindowVisible(dialog) && waited < DIALOG_PATIENCE_MS; waited += 50)
        Sleep(50);
    EXPECT_FALSE(IsWindowVisible(dialog)) << "the dialog stayed after " << button;
    const DWORD code = WaitForInstaller(process, processId);
    CloseHandle(process);
    return code;
}

// The user's own files in the working folder: the state, the window
// settings and a project.
const std::vector<unsigned char> USER_STATE(STATE_IMAGE_SIZE, 7);
const std::vector<unsigned char> USER_SETTINGS(WINDOW_SETTINGS_SIZE, 8);
const std::vector<unsigned char> USER_PROJECT = {1, 2, 3};

void WriteUserFiles()
{
    WriteBytes(WorkingFolder() + "\\Values.dat", USER_STATE);
    WriteBytes(WorkingFolder() + "\\Values.ini", USER_SETTINGS);
    WriteBytes(WorkingFolder() + "\\Budget.prj", USER_PROJECT);
}

// The user's files are there, unchanged, and beside them only these.
void ExpectUserFilesKept(std::vector<std::string> besides)
{
    for (const char* name : {"Budget.prj", "Values.dat", "Values.ini"})
        besides.push_back(name);
    EXPECT_EQ(Sorted(ListFolder(WorkingFolder())), Sorted(besides));
    EXPECT_EQ(ReadBytes(WorkingFolder() + "\\Values.dat"), USER_STATE);
    EXPECT_EQ(ReadBytes(WorkingFolder() + "\\Values.ini"), USER_SETTINGS);
    EXPECT_EQ(ReadBytes(WorkingFolder() + "\\Budget.prj"), USER_PROJECT);
}

class Installer : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        ASSERT_TRUE(FileExists(Package())) << Package();
        ASSERT_EQ(MsiQueryProductStateA(PRODUCT_CODE), INSTALLSTATE_UNKNOWN)
            << "the prefix is not fresh";
    }

    void TearDown() override
    {
        CoUninitialize();
    }

    // Installs without the installer's user interface, and so without a
    // question.
    void InstallQuietly(const std::string& package = Package())
    {
        ASSERT_EQ(Msiexec("/i \"" + package + "\" /qn"), 0u);
    }

    // values started as its Start menu entry starts it, and closed: it shows
    // its window and writes its two files.
    void RunValuesFromTheStartMenu()
    {
        const Shortcut values = ReadShortcut(MenuFolder() + "\\values.lnk");
        PROCESS_INFORMATION process = Start("\"" + values.target + "\"", values.workingFolder);
        ASSERT_NE(process.hProcess, nullptr);
        HWND window = WaitForWindow(process.dwProcessId, "Values");
        EXPECT_NE(window, nullptr) << "values showed no window";
        PostMessageA(window, WM_CLOSE, 0, 0);
        const DWORD code = WaitForExitCode(process.hProcess);
        if (code == 0xDEADBEEF)
            TerminateProcess(process.hProcess, 99);
        Release(process);
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(ReadBytes(WorkingFolder() + "\\Values.dat").size(), STATE_IMAGE_SIZE);
        EXPECT_EQ(ReadBytes(WorkingFolder() + "\\Values.ini").size(), WINDOW_SETTINGS_SIZE);
    }

    // Every installed file is the one in the package's source folder.
    void ExpectProgramFiles(const std::string& source)
    {
        for (const char* name : PROGRAM_FILES)
        {
            const std::vector<unsigned char> installed = ReadBytes(InstallFolder() + "\\" + name);
            EXPECT_FALSE(installed.empty()) << name << " is not installed";
            EXPECT_TRUE(installed == ReadBytes(source + name)) << name << " is not " << source;
        }
        EXPECT_EQ(ListFolder(InstallFolder()).size(), 5u);
    }
};

TEST_F(Installer, InstallsPerUserWithStartMenuEntriesAndValuesRunsInItsWorkingFolder)
{
    InstallQuietly();
    ExpectProgramFiles(ProgramFolder());
    // values reads its row icons from the folder it is started in.
    EXPECT_EQ(Sorted(ListFolder(WorkingFolder())), Sorted({"delete.ico", "edit.ico"}));

    EXPECT_EQ(MsiQueryProductStateA(PRODUCT_CODE), INSTALLSTATE_DEFAULT);
    EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), VALUES_VERSION);
    EXPECT_EQ(ProductInfo(INSTALLPROPERTY_INSTALLEDPRODUCTNAME), "values");
    EXPECT_EQ(ProductInfo(INSTALLPROPERTY_PUBLISHER), "The values developers");
    EXPECT_TRUE(FileExists(ProductInfo(INSTALLPROPERTY_PRODUCTICON)))
        << "no icon for Apps & features";
    EXPECT_EQ(UninstallEntry("DisplayName"), "values");
    EXPECT_EQ(UninstallEntry("DisplayVersion"), VALUES_VERSION);
    EXPECT_EQ(UninstallEntry("Publisher"), "The values developers");

    EXPECT_EQ(Sorted(ListFolder(MenuFolder())), Sorted({"Uninstall values.lnk", "values.lnk"}));
    const Shortcut values = ReadShortcut(MenuFolder() + "\\values.lnk");
    EXPECT_PRED2(SamePath, values.target, InstallFolder() + "\\values.exe");
    EXPECT_PRED2(SamePath, values.workingFolder, WorkingFolder());
    EXPECT_TRUE(FileExists(values.icon)) << "the icon " << values.icon;
    const Shortcut uninstall = ReadShortcut(MenuFolder() + "\\Uninstall values.lnk");
    EXPECT_PRED2(SamePath, uninstall.target, InstallFolder() + "\\Uninstall.exe");

    RunValuesFromTheStartMenu();

    // Offered in "Open with" for project files, not made their default.
    EXPECT_EQ(UserValue(PROGID_KEY, nullptr), "values project");
    EXPECT_EQ(UserValue(std::string(PROGID_KEY) + "\\DefaultIcon", nullptr),
              InstallFolder() + "\\values.exe,0");
    EXPECT_EQ(UserValue(OPEN_WITH_KEY, "values.Project"), "");
    EXPECT_EQ(UserValue("Software\\Classes\\.prj", nullptr), "(none)");
    // The command starts values in its working folder with the project (the
    // program tests run that form), the folders as Windows compares them.
    const std::string command =
        UserValue(std::string(PROGID_KEY) + "\\shell\\open\\command", nullptr);
    const std::string expected =
        "\"" + InstallFolder() + "\\values.exe\" /folder \"" + WorkingFolder() + "\\\" \"%1\"";
    EXPECT_EQ(lstrcmpiA(command.c_str(), expected.c_str()), 0) << command;
}

TEST_F(Installer, InstallingAgainKeepsOneProductAndTheNextVersionUpdatesIt)
{
    // Opened as a download is opened: the installer asks first.
    PROCESS_INFORMATION first = Start("msiexec.exe /i \"" + Package() + "\"");
    Release(first);
    EXPECT_EQ(AnswerDialog("&Install"), 0u);
    EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), VALUES_VERSION);
    WriteUserFiles();
    InstallQuietly();
    EXPECT_EQ(InstalledProducts(), 1);
    EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), VALUES_VERSION);
    ExpectUserFilesKept({"delete.ico", "edit.ico"});

    // The update as the README gives it, with the installer's own interface:
    // it must not stop at the maintenance dialog.
    const std::string next = BuildTree() + "installer-tests\\";
    EXPECT_EQ(Msiexec("/i \"" + next +
                      "values-" VALUES_NEXT_VERSION ".msi\" REINSTALL=ALL REINSTALLMODE=vomus"),
              0u);
    EXPECT_EQ(InstalledProducts(), 1);
    EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), VALUES_NEXT_VERSION);
    EXPECT_EQ(UninstallEntry("DisplayVersion"), VALUES_NEXT_VERSION);
    // Its values.exe differs from this version's, and replaces it.
    ExpectProgramFiles(next + "next\\");
    ExpectUserFilesKept({"delete.ico", "edit.ico"});
}

TEST_F(Installer, UninstallExeRepairsOrRemovesAfterOneAnswerAndKeepsTheUsersFiles)
{
    const bool programsFolderExisted = FileExists(KnownFolder(CSIDL_LOCAL_APPDATA) + "\\Programs");
    InstallQuietly();
    WriteUserFiles();
    const std::string icon = ProductInfo(INSTALLPROPERTY_PRODUCTICON);

    // Repair, from the Start menu entry, puts back what went missing.
    DeleteFileA((InstallFolder() + "\\values.exe").c_str());
    DeleteFileA((MenuFolder() + "\\values.lnk").c_str());
    SHELLEXECUTEINFOA entry = {};
    entry.cbSize = sizeof entry;
    entry.lpVerb = "open";
    const std::string link = MenuFolder() + "\\Uninstall values.lnk";
    entry.lpFile = link.c_str();
    entry.nShow = SW_SHOWNORMAL;
    ASSERT_TRUE(ShellExecuteExA(&entry)) << "error " << GetLastError();
    EXPECT_EQ(AnswerDialog("&Repair"), 0u);
    ExpectProgramFiles(ProgramFolder());
    EXPECT_TRUE(FileExists(MenuFolder() + "\\values.lnk"));

    // The downloaded package opened again asks the same; Cancel changes
    // nothing.
    PROCESS_INFORMATION again = Start("msiexec.exe /i \"" + Package() + "\"");
    Release(again);
    EXPECT_EQ(AnswerDialog("Cancel"), static_cast<DWORD>(ERROR_INSTALL_USEREXIT));
    EXPECT_EQ(MsiQueryProductStateA(PRODUCT_CODE), INSTALLSTATE_DEFAULT);
    ExpectProgramFiles(ProgramFolder());

    // Remove, with Uninstall.exe started in the installed folder as Explorer
    // starts it (that folder its working folder), takes everything the
    // package put anywhere, and nothing else.
    PROCESS_INFORMATION uninstall =
        Start("\"" + InstallFolder() + "\\Uninstall.exe\"", InstallFolder());
    Release(uninstall);
    EXPECT_EQ(AnswerDialog("&Remove"), 0u);

    EXPECT_EQ(MsiQueryProductStateA(PRODUCT_CODE), INSTALLSTATE_UNKNOWN);
    EXPECT_EQ(InstalledProducts(), 0);
    EXPECT_EQ(UninstallEntry("DisplayName"), "");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\values"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, PROGID_KEY));
    EXPECT_EQ(UserValue(OPEN_WITH_KEY, "values.Project"), "(none)");
    EXPECT_FALSE(FileExists(InstallFolder()));
    EXPECT_EQ(FileExists(KnownFolder(CSIDL_LOCAL_APPDATA) + "\\Programs"), programsFolderExisted);
    EXPECT_FALSE(FileExists(MenuFolder()));
    EXPECT_FALSE(FileExists(icon)) << icon;
    // Only the user's own files are left in the working folder.
    ExpectUserFilesKept({});
}

// The package signed as a release is installs its signed programs, which run:
// values with Vantrel.dll, and Uninstall.exe, which removes it.
TEST_F(Installer, TheSignedPackageInstallsAndItsProgramsRun)
{
    const std::string folder = BuildTree() + "installer-tests\\signed\\";
    InstallQuietly(folder + "values-" VALUES_VERSION ".msi");
    ExpectProgramFiles(folder + "contents\\Programs\\values\\");
    RunValuesFromTheStartMenu();
    PROCESS_INFORMATION uninstall =
        Start("\"" + InstallFolder() + "\\Uninstall.exe\"", InstallFolder());
    Release(uninstall);
    EXPECT_EQ(AnswerDialog("&Remove"), 0u);
    EXPECT_EQ(MsiQueryProductStateA(PRODUCT_CODE), INSTALLSTATE_UNKNOWN);
}

} // namespace
