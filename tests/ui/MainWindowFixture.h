// Each test opens the real main window, from its real template, in a fresh
// working folder, the way the entry point does, and drives it through its
// controls.
#pragma once

#include "TestFolder.h"

#include <functional>
#include <string>
#include <vector>

class MainWindowTest : public InTestFolder
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the window as the entry point does: whatever "Values.dat" and
    // "Values.ini" the test left in the folder are read.
    void Open();
    // Closes the window as the title bar's button does, expecting no question,
    // and ends the run as the entry point does after its loop, so that the
    // test can Open() again: a restart in the same folder.
    void CloseForRestart();
    // Handles the messages waiting in the queue (painting, posted commands).
    static void Pump();
    // Handles messages as they come until done() holds; false when the
    // backstop passed first.
    static bool PumpUntil(const std::function<bool()>& done, DWORD backstop = 10000);

    HWND Item(int id) const;
    std::string Text(int id) const;
    bool Enabled(int id) const;
    void Focus(int id) const;
    // Types text into the box with the focus, one key at a time, replacing
    // what the box holds.
    void Type(int id, const char* text) const;
    // A click on a button or a menu choice.
    void Command(int id) const;

    // What the window's colour query answers for a static control, asked on
    // a real device context of that control.
    COLORREF TextColour(int id) const;
    COLORREF BackgroundColour(int id) const;
    HBRUSH Background(int id) const;

    HWND window = nullptr;
};

// The text colour a dialog's colour query gives one of its static controls.
COLORREF StaticTextColour(HWND dialog, int id);

// A main window with the modal driver answering its dialogs; at the end,
// every expected dialog must have come and no other.
class DrivenWindowTest : public MainWindowTest
{
  protected:
    void OpenDriven();
    void TearDown() override;
};

// The driven window with a state as in daily use: main range 0 to 100, local
// value 50, "Alpha" 10 to 20 in slot 0 and "Beta" 0 to 1 in slot 1.
class InUseWindowTest : public DrivenWindowTest
{
  protected:
    void SetUp() override;
};

// The File menu's items, as it shows them when it opens; "-" for a line.
std::vector<std::string> FileMenu(HWND window);

// A range as the range dialog would store it, straight into the state.
void PutRange(int k, const char* name, double low, double high);
// The state file the next start reads, from the state as it is now.
void WriteStateFile(const std::string& path);
