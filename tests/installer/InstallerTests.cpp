// The installer package of this build tree, installed, used, upgraded and
// removed the way a user does it, through the real msiexec, the real
// shortcuts and the real Uninstall.exe. Each test changes the Wine prefix it
// runs in, so every one runs alone in a copy of the template prefix
// (scripts/wine-alone).
//
// The build tree (this program's bin\..) holds values-<version>.msi and its
// setup program, and installer-tests\ holds values-<next version>.msi, its
// setup program and, in next\, the programs that package carries.
#include "ProgramFixture.h"
#include "SetupResource.h"
#include "StateCodec.h"
#include "resource.h"

#include <windows.h>
#include <msi.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>
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
// the test, and ends the process, when it shows a window it is not expected
// to show (nobody is there to answer it), or does not end in time.
DWORD WaitForInstaller(HANDLE process, DWORD processId,
                       const std::function<bool(HWND)>& expected = nullptr)
{
    for (DWORD waited = 0; waited < INSTALL_PATIENCE_MS; waited += 20)
    {
        if (WaitForSingleObject(process, 20) == WAIT_OBJECT_0)
        {
            DWORD code = 0;
            GetExitCodeProcess(process, &code);
            return code;
        }
        for (HWND window : ShownWindows(processId))
        {
            if (!expected || !expected(window))
            {
                ADD_FAILURE() << "the installer showed what nobody expected:"
                              << VisibleWindows(processId);
                TerminateProcess(process, 99);
                return 99;
            }
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

std::string ThisSetup()
{
    return BuildTree() + "values-" VALUES_VERSION "-setup.exe";
}

std::string NextSetup()
{
    return BuildTree() + "installer-tests\\values-" VALUES_NEXT_VERSION "-setup.exe";
}

// Where the setup programs keep the package they installed.
std::string PackageCache()
{
    return KnownFolder(CSIDL_LOCAL_APPDATA) + "\\Package Cache\\" + PRODUCT_CODE;
}

std::wstring Wide(const std::string& text)
{
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size())) -
        1);
    return wide;
}

// A setup program's own window asking nothing: no Update, Try Again or OK
// button (a message box has one).
bool AsksNothing(HWND window)
{
    char caption[64] = {};
    GetWindowTextA(window, caption, sizeof caption);
    return std::string(caption) == "values Setup" && !IsWindowVisible(GetDlgItem(window, IDOK));
}

struct SetupRun
{
    DWORD code;
    bool progressShown;
};

// Runs a setup program with these switches (wide: paths in any language)
// to its end. With /passive it may show its progress, and nothing else;
// otherwise nothing at all.
SetupRun RunSetup(const std::string& setup, const std::wstring& switches)
{
    std::wstring line = L"\"" + Wide(setup) + L"\" " + switches;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
    {
        ADD_FAILURE() << "cannot start " << setup << ": error " << GetLastError();
        return {99, false};
    }
    const bool passive = switches.find(L"/passive") != std::wstring::npos;
    SetupRun run = {0, false};
    run.code = WaitForInstaller(process.hProcess, process.dwProcessId,
                                [&run, passive](HWND window)
                                {
                                    run.progressShown =
                                        run.progressShown ||
                                        IsWindowVisible(GetDlgItem(window, IDC_SETUP_PROGRESS));
                                    return passive && AsksNothing(window);
                                });
    Release(process);
    return run;
}

// A setup program that shows one message and ends: the message, answered
// with OK, and its exit code.
struct SetupMessage
{
    std::string text;
    DWORD code;
};

SetupMessage RunTellingSetup(const std::string& setup, const std::string& switches = "")
{
    PROCESS_INFORMATION process = Start("\"" + setup + "\" " + switches);
    HWND box = WaitForWindow(process.dwProcessId, "values Setup");
    const std::string text = box ? ItemText(box, 0xFFFF) : "(no message)";
    Press(box, IDOK);
    const DWORD code = WaitForExitCode(process.hProcess);
    if (code == 0xDEADBEEF)
        TerminateProcess(process.hProcess, 99);
    Release(process);
    return {text, code};
}

// values' main windows, of every process: visible dialogs captioned
// "Values" without an owner.
BOOL CALLBACK AddValuesWindow(HWND window, LPARAM list)
{
    char text[16] = {};
    char name[16] = {};
    GetWindowTextA(window, text, sizeof text);
    GetClassNameA(window, name, sizeof name);
    if (IsWindowVisible(window) && !GetWindow(window, GW_OWNER) && std::string(text) == "Values" &&
        std::string(name) == "#32770")
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> ValuesWindows()
{
    std::vector<HWND> windows;
    EnumWindows(AddValuesWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// The process of a window, to wait for.
HANDLE ProcessOf(HWND window)
{
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
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

    // The next version's setup program, while another program holds a file
    // of values: it stops rather than leave the new files for the next start
    // of Windows. Then it updates.
    HMODULE held = LoadLibraryA((InstallFolder() + "\\Vantrel.dll").c_str());
    ASSERT_TRUE(held);
    EXPECT_EQ(RunSetup(NextSetup(), L"/quiet").code, static_cast<DWORD>(ERROR_INSTALL_FAILURE));
    EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), VALUES_VERSION);
    FreeLibrary(held);
    EXPECT_EQ(RunSetup(NextSetup(), L"/quiet").code, 0u);
    const std::string next = BuildTree() + "installer-tests\\";
    EXPECT_EQ(InstalledProducts(), 1);
    EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), VALUES_NEXT_VERSION);
    EXPECT_EQ(UninstallEntry("DisplayVersion"), VALUES_NEXT_VERSION);
    // Its values.exe differs from this version's, and replaces it.
    ExpectProgramFiles(next + "next\\");
    ExpectUserFilesKept({"delete.ico", "edit.ico"});
    EXPECT_EQ(UserValue(OPEN_WITH_KEY, "values.Project"), "");
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

// The setup program signed as a release is installs its signed package's
// signed programs, which run: values with Vantrel.dll, and Uninstall.exe,
// which removes it.
TEST_F(Installer, TheSignedPackageInstallsAndItsProgramsRun)
{
    const std::string folder = BuildTree() + "installer-tests\\signed\\";
    EXPECT_EQ(RunSetup(folder + "values-" VALUES_VERSION "-setup.exe", L"/quiet").code, 0u);
    ExpectProgramFiles(folder + "contents\\Programs\\values\\");
    RunValuesFromTheStartMenu();
    PROCESS_INFORMATION uninstall =
        Start("\"" + InstallFolder() + "\\Uninstall.exe\"", InstallFolder());
    Release(uninstall);
    EXPECT_EQ(AnswerDialog("&Remove"), 0u);
    EXPECT_EQ(MsiQueryProductStateA(PRODUCT_CODE), INSTALLSTATE_UNKNOWN);
}

// A fresh install by the setup program's /passive: its progress alone. The
// package stays in the package cache, where a repair finds it, until values
// is removed. The same version again changes nothing unasked, and neither
// does a switch it does not know.
TEST_F(Installer, TheSetupInstallsPassivelyAndKeepsItsPackageUntilValuesIsRemoved)
{
    const std::string log = KnownFolder(CSIDL_LOCAL_APPDATA) + "\\setup";
    const std::wstring logName = Wide(log) + L"\x30ed\x30b0.log";
    const SetupRun install = RunSetup(ThisSetup(), L"/passive /log \"" + logName + L"\"");
    EXPECT_EQ(install.code, 0u);
    EXPECT_TRUE(install.progressShown);
    EXPECT_NE(GetFileAttributesW(logName.c_str()), INVALID_FILE_ATTRIBUTES) << "no log";
    EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), VALUES_VERSION);
    ExpectProgramFiles(ProgramFolder());
    EXPECT_PRED2(SamePath, ProductInfo(INSTALLPROPERTY_INSTALLLOCATION), InstallFolder());
    EXPECT_PRED2(SamePath, ProductInfo(INSTALLPROPERTY_INSTALLSOURCE), PackageCache());
    EXPECT_EQ(ListFolder(PackageCache()),
              std::vector<std::string>{"values-" VALUES_VERSION ".msi"});
    EXPECT_EQ(ReadBytes(PackageCache() + "\\values-" VALUES_VERSION ".msi"), ReadBytes(Package()));

    // A repair would put back a file gone missing: nothing is repaired.
    ASSERT_TRUE(DeleteFileA((InstallFolder() + "\\edit.ico").c_str()));
    EXPECT_EQ(RunSetup(ThisSetup(), L"/quiet").code, 0u);
    EXPECT_EQ(RunSetup(ThisSetup(), L"/passive").code, 0u);
    EXPECT_EQ(RunSetup(ThisSetup(), L"/quiet /bogus").code,
              static_cast<DWORD>(ERROR_INVALID_COMMAND_LINE));
    EXPECT_FALSE(FileExists(InstallFolder() + "\\edit.ico"));
    // Opened, it asks as Uninstall.exe's installer does: Repair, Remove or Cancel.
    PROCESS_INFORMATION opened = Start("\"" + ThisSetup() + "\"");
    Release(opened);
    EXPECT_EQ(AnswerDialog("Cancel"), static_cast<DWORD>(ERROR_INSTALL_USEREXIT));
    // Without /quiet, the usage says which switch it does not know.
    const SetupMessage usage = RunTellingSetup(ThisSetup(), "/bogus");
    EXPECT_EQ(usage.text.find("values Setup does not know \"/bogus\"."), 0u) << usage.text;
    EXPECT_EQ(usage.code, static_cast<DWORD>(ERROR_INVALID_COMMAND_LINE));

    PROCESS_INFORMATION uninstall =
        Start("\"" + InstallFolder() + "\\Uninstall.exe\"", InstallFolder());
    Release(uninstall);
    EXPECT_EQ(AnswerDialog("&Remove"), 0u);
    EXPECT_FALSE(FileExists(KnownFolder(CSIDL_LOCAL_APPDATA) + "\\Package Cache"));
}

// The next version's setup program while values runs in two folders, one
// hung for a while. A hung values is never ended: /passive gives up, and
// starts again the one it closed; opened, it says so and offers Try Again.
// Once it answers, both close, the update runs, and both come back, of the
// new version, as they were, the unsaved change still unsaved.
TEST_F(Installer, TheNextSetupUpdatesWhileValuesRunsAndStartsItAgainAsItWas)
{
    EXPECT_EQ(RunSetup(ThisSetup(), L"/quiet").code, 0u);
    const Shortcut shortcut = ReadShortcut(MenuFolder() + "\\values.lnk");
    PROCESS_INFORMATION menu = Start("\"" + shortcut.target + "\"", shortcut.workingFolder);
    HWND window = WaitForWindow(menu.dwProcessId, "Values");
    ASSERT_TRUE(window);
    SetItemText(window, IDC_LOCAL_VALUE, "7");
    ASSERT_TRUE(EnterRange(OpenMainRangeDialog(menu.dwProcessId, window), "0", "200"));
    const std::string sums = KnownFolder(CSIDL_LOCAL_APPDATA) + "\\Sums";
    ASSERT_TRUE(CreateDirectoryA(sums.c_str(), nullptr));
    PROCESS_INFORMATION other = Start("\"" + shortcut.target + "\" /folder \"" + sums + "\"", sums);
    HWND otherWindow = WaitForWindow(other.dwProcessId, "Values");
    ASSERT_TRUE(otherWindow);
    SetItemText(otherWindow, IDC_LOCAL_VALUE, "3");

    ASSERT_NE(SuspendThread(menu.hThread), static_cast<DWORD>(-1));
    EXPECT_EQ(RunSetup(NextSetup(), L"/passive").code, static_cast<DWORD>(ERROR_INSTALL_FAILURE));
    EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), VALUES_VERSION);
    EXPECT_EQ(WaitForSingleObject(menu.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    // The other one it closed meanwhile is back, a process of its own.
    EXPECT_TRUE(WaitUntil(
        [&other]
        {
            const std::vector<HWND> shown = ValuesWindows();
            return shown.size() == 2 && std::none_of(shown.begin(), shown.end(),
                                                     [&other](HWND window)
                                                     {
                                                         DWORD id = 0;
                                                         GetWindowThreadProcessId(window, &id);
                                                         return id == other.dwProcessId;
                                                     });
        },
        DIALOG_PATIENCE_MS));

    PROCESS_INFORMATION setup = Start("\"" + NextSetup() + "\"");
    HWND question = WaitForWindow(setup.dwProcessId, "values Setup");
    ASSERT_TRUE(question);
    EXPECT_EQ(ItemText(question, IDC_SETUP_TEXT)
                  .find("values " VALUES_VERSION
                        " is installed. This setup holds values " VALUES_NEXT_VERSION "."),
              0u)
        << ItemText(question, IDC_SETUP_TEXT);
    Press(question, IDOK);
    ASSERT_TRUE(WaitUntil([question] { return ItemText(question, IDOK) == "&Try Again"; },
                          DIALOG_PATIENCE_MS));
    EXPECT_NE(ItemText(question, IDC_SETUP_TEXT).find("does not close"), std::string::npos);
    EXPECT_EQ(WaitForSingleObject(menu.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    ResumeThread(menu.hThread);
    const DWORD start = GetTickCount();
    Press(question, IDOK);
    ASSERT_TRUE(WaitUntil(
        [question] {
            return ItemText(question, IDC_SETUP_TEXT) == "values is updated to " VALUES_NEXT_VERSION
                                                         ".";
        },
        INSTALL_PATIENCE_MS))
        << ItemText(question, IDC_SETUP_TEXT);
    std::cout << "The update, two values closed and started again: " << GetTickCount() - start
              << " ms\n";
    Press(question, IDCANCEL);
    EXPECT_EQ(WaitForExitCode(setup.hProcess), 0u);
    Release(setup);
    EXPECT_EQ(WaitForExitCode(menu.hProcess), 0u);
    Release(menu);
    Release(other);
    EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), VALUES_NEXT_VERSION);
    ExpectProgramFiles(BuildTree() + "installer-tests\\next\\");
    EXPECT_EQ(ListFolder(PackageCache()),
              std::vector<std::string>{"values-" VALUES_NEXT_VERSION ".msi"});

    ASSERT_TRUE(WaitUntil([] { return ValuesWindows().size() == 2; }, DIALOG_PATIENCE_MS));
    for (HWND back : ValuesWindows())
    {
        HANDLE process = ProcessOf(back);
        char image[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        QueryFullProcessImageNameA(process, 0, image, &size);
        EXPECT_PRED2(SamePath, image, InstallFolder() + "\\values.exe");
        const bool unsaved = ItemText(back, IDC_LOCAL_VALUE) == "7";
        EXPECT_EQ(ItemText(back, IDC_LOCAL_VALUE), unsaved ? "7" : "3");
        EXPECT_EQ(ItemText(back, IDC_MAIN_RANGE), unsaved ? "0 to 200" : "0 to 0");
        Press(back, IDM_EXIT);
        if (unsaved)
        {
            DWORD id = 0;
            GetWindowThreadProcessId(back, &id);
            HWND ask = WaitForWindow(id, "Save Data", back);
            ASSERT_TRUE(ask) << "the unsaved change was lost";
            Press(ask, IDNO);
        }
        EXPECT_EQ(WaitForExitCode(process), 0u);
        CloseHandle(process);
    }
}

// The setup program of this version over the next one: it says which version
// is installed, and changes nothing, whatever its switches.
TEST_F(Installer, AnOlderSetupRefusesAndChangesNothing)
{
    EXPECT_EQ(RunSetup(NextSetup(), L"/quiet").code, 0u);
    const SetupMessage told = RunTellingSetup(ThisSetup());
    EXPECT_EQ(told.text, "values " VALUES_NEXT_VERSION
                         " is installed, which is newer than values " VALUES_VERSION
                         " that this setup holds.\n\nNothing was changed.");
    EXPECT_EQ(told.code, static_cast<DWORD>(ERROR_PRODUCT_VERSION));
    for (const wchar_t* switches : {L"/quiet", L"/passive /norestart"})
        EXPECT_EQ(RunSetup(ThisSetup(), switches).code, static_cast<DWORD>(ERROR_PRODUCT_VERSION));
    EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), VALUES_NEXT_VERSION);
    ExpectProgramFiles(BuildTree() + "installer-tests\\next\\");
    EXPECT_EQ(ListFolder(PackageCache()),
              std::vector<std::string>{"values-" VALUES_NEXT_VERSION ".msi"});
}

} // namespace
