// The real values.exe, started as a process of its own in a fresh folder and
// driven from outside through its window.
#pragma once

#include "TestFolder.h"

#include <functional>
#include <string>
#include <vector>

// The folder of the running test program, where the build puts values.exe.
std::string ProgramFolder();

// The visible top-level windows of a process.
std::vector<HWND> ShownWindows(DWORD process);

// A visible top-level window of the process with this caption and owner,
// waited for up to the timeout.
HWND WaitForWindow(DWORD process, const char* caption, HWND owner = nullptr, DWORD timeout = 20000);

// Another process's controls answer WM_GETTEXT and WM_SETTEXT across the
// boundary.
std::string ItemText(HWND window, int id);
void SetItemText(HWND window, int id, const char* text);
void Press(HWND window, int id);

// New, Main Value Range in values' window: its dialog, once shown. OK in
// the range dialog with these bounds: true once the dialog has gone.
HWND OpenMainRangeDialog(DWORD process, HWND window);
bool EnterRange(HWND dialog, const char* low, const char* high);

// Handles the messages of the test's own windows, which activating a window
// of another process may wait on.
void HandleOwnMessages();
// Waits until done() holds, handling the test's own messages meanwhile;
// false when the timeout passed first.
bool WaitUntil(const std::function<bool()>& done, DWORD timeout = 5000);
// The exit code of a process, or 0xDEADBEEF when it has not ended in time.
DWORD WaitForExitCode(HANDLE process);
// A state file (with its paths) or a project file holding this local value
// and a main range of 0 to 10; its bytes.
std::vector<unsigned char> WriteState(const std::string& path, double localValue, bool withPaths);
// A top-level window of the test's own process, in front: for values, a
// window of another program. The test destroys it.
HWND ShowWindowElsewhere();

class Program : public InTestFolder
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the program with the test folder as its working directory and
    // waits for its main window.
    HWND Start(const std::string& program = ProgramFolder() + "values.exe");
    // The exit code, or 0xDEADBEEF when the program has not ended in time.
    DWORD WaitForExit();
    // Starts values.exe once more, in a working folder of the test's
    // choosing and with these arguments, without waiting for anything; ended
    // at the end of the test if it is still running.
    PROCESS_INFORMATION StartAnother(const std::string& in, const std::string& arguments = "");

    PROCESS_INFORMATION process = {};

  private:
    std::vector<PROCESS_INFORMATION> others;
};
