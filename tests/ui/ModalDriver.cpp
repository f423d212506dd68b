#include "ModalDriver.h"

#include <commdlg.h>
#include <gtest/gtest.h>

#include <deque>
#include <set>
#include <vector>

namespace
{

HHOOK hook;
std::deque<ModalStep> steps;
std::vector<HWND> arrived;
std::set<HWND> seen;
int unexpected;

void CALLBACK RunNextStep(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    if (arrived.empty())
        return;
    HWND dialog = arrived.front();
    // A dialog may be activated before it is shown, which its loop does once
    // it first finds nothing to do: a step that reads its pixels waits.
    if (IsWindow(dialog) && !IsWindowVisible(dialog))
    {
        SetTimer(nullptr, 0, 10, RunNextStep);
        return;
    }
    arrived.erase(arrived.begin());
    if (!IsWindow(dialog))
        return;
    if (steps.empty())
    {
        unexpected++;
        ADD_FAILURE() << "unexpected modal window \"" << WindowText(dialog) << "\"";
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    ModalStep step = steps.front();
    steps.pop_front();
    step(dialog);
}

// A modal window still open this long means a step never came or did not
// end its window: it is cancelled, so the test fails instead of hanging.
constexpr UINT WATCHDOG_MS = 15000;
UINT_PTR watchdog;

void CALLBACK CancelLeftovers(HWND, UINT, UINT_PTR, DWORD)
{
    for (HWND window : seen)
    {
        if (IsWindow(window))
        {
            ADD_FAILURE() << "modal window \"" << WindowText(window) << "\" left open";
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        }
    }
}

bool IsDialogClass(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return std::string(name) == "#32770";
}

LRESULT CALLBACK WatchActivation(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE)
    {
        HWND window = reinterpret_cast<HWND>(wParam);
        // Owned dialogs only: the main window itself has no owner.
        if (IsDialogClass(window) && GetWindow(window, GW_OWNER) && seen.insert(window).second)
        {
            arrived.push_back(window);
            SetTimer(nullptr, 0, 0, RunNextStep);
        }
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

} // namespace

void StartModalDriver()
{
    steps.clear();
    arrived.clear();
    seen.clear();
    unexpected = 0;
    hook = SetWindowsHookExA(WH_CBT, WatchActivation, nullptr, GetCurrentThreadId());
    watchdog = SetTimer(nullptr, 0, WATCHDOG_MS, CancelLeftovers);
    ASSERT_TRUE(hook);
}

int StopModalDriver()
{
    UnhookWindowsHookEx(hook);
    KillTimer(nullptr, watchdog);
    hook = nullptr;
    return unexpected;
}

void ExpectModal(ModalStep step)
{
    steps.push_back(step);
}

int StepsLeft()
{
    return static_cast<int>(steps.size());
}

std::string WindowText(HWND window)
{
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ItemText(HWND dialog, int id)
{
    char text[1024] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void PressButton(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The timer's id carries the button. A named CALLBACK function, not a
// lambda: on 32-bit x86 only the former has the timer's calling convention.
static void CALLBACK PressTimedButton(HWND window, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(window, timer);
    PressButton(window, static_cast<int>(timer));
}

void PressButtonLater(HWND dialog, int id)
{
    // The timer message comes after the input that is already waiting.
    SetTimer(dialog, static_cast<UINT_PTR>(id), 300, PressTimedButton);
}

void PressKey(WORD key, WORD modifier)
{
    INPUT keys[4] = {};
    const WORD codes[4] = {modifier, key, key, modifier};
    UINT count = 0;
    for (int i = 0; i < 4; i++)
    {
        if (!codes[i])
            continue;
        keys[count].type = INPUT_KEYBOARD;
        keys[count].ki.wVk = codes[i];
        keys[count].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
        count++;
    }
    ASSERT_EQ(SendInput(count, keys, sizeof keys[0]), count);
}

void PressShortcut(char key)
{
    PressKey(static_cast<WORD>(key), VK_CONTROL);
}

std::string MessageBoxText(HWND box)
{
    return ItemText(box, 0xFFFF); // the message box's text control
}

bool MessageBoxHasIcon(HWND box, LPCSTR systemIcon)
{
    // The box shows the shared system icon in a static control of its own.
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    {
        if ((GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
            continue;
        const LRESULT shown = SendMessageA(child, STM_GETICON, 0, 0);
        if (shown && reinterpret_cast<HICON>(shown) == LoadIconA(nullptr, systemIcon))
            return true;
    }
    return false;
}

ModalStep AnswerMessageBox(const char* caption, int button, std::string* text)
{
    const std::string expected = caption;
    return [expected, button, text](HWND box)
    {
        EXPECT_EQ(WindowText(box), expected);
        if (text)
            *text = MessageBoxText(box);
        PressButton(box, button);
    };
}

ModalStep ConfirmReplace()
{
    return [](HWND box) { PressButton(box, IDYES); };
}

// The file name box: a combo box in the dialogs that take the full-size
// record without a hook.
constexpr int FILE_NAME_COMBO = 0x47C;
constexpr int FILE_NAME_EDIT = 0x480;

static int FileNameControl(HWND dialog)
{
    return GetDlgItem(dialog, FILE_NAME_COMBO) ? FILE_NAME_COMBO : FILE_NAME_EDIT;
}

ModalStep ChooseFile(const std::string& name, std::string* seenName, std::string* seenFolder)
{
    return [name, seenName, seenFolder](HWND dialog)
    {
        if (seenName)
            *seenName = ItemText(dialog, FileNameControl(dialog));
        if (seenFolder)
        {
            char folder[MAX_PATH] = {};
            SendMessageA(dialog, CDM_GETFOLDERPATH, sizeof folder,
                         reinterpret_cast<LPARAM>(folder));
            *seenFolder = folder;
        }
        SetDlgItemTextA(dialog, FileNameControl(dialog), name.c_str());
        PressButton(dialog, IDOK);
    };
}

ModalStep CancelFileDialog()
{
    return [](HWND dialog) { PressButton(dialog, IDCANCEL); };
}
