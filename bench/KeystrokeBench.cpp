// One keystroke in values' main window against one bare SetDlgItemTextA of a
// box, in the same process, on the real window opened as the entry point
// opens it, with all five ranges in use.
//
// The keystroke is a change of the local value box while it has the focus:
// the box takes its new text and the window handles the change (parse,
// recompute, the five compressed value boxes written, the labels marked for
// repainting). It is timed as SetDlgItemTextA of that box, which the window
// handles exactly as typed; the bare write is SetDlgItemTextA of a compressed
// value box without the focus, whose change the window looks at and ignores.
// Both are timed again with the repaint they cause done at once.
//
// Then a user's steady typing: the longest a typed key waits, with the files
// values keeps written meanwhile.
//
// Before timing, real keystrokes (WM_CHAR) are typed into the local value box
// and into a compressed value box, counting the WM_SETTEXT every control of
// the window receives: each compressed value box must be written exactly once
// per keystroke, the typed box never, and nothing else at all. A miss fails
// the run.
#include "BenchSupport.h"

#include "NumberText.h"
#include "ProjectState.h"
#include "StartFolder.h"
#include "MainWindow.h"
#include "resource.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

namespace
{

const int BATCHES = 25; // of each kind, alternating
const int PER_BATCH = 40;
const int MAX_CONTROLS = 64;

struct CountedControl
{
    HWND control;
    WNDPROC previous;
    int writes;
};

CountedControl counted[MAX_CONTROLS];
int countedCount;

LRESULT CALLBACK CountingProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    for (int i = 0; i < countedCount; i++)
    {
        if (counted[i].control != control)
            continue;
        if (message == WM_SETTEXT)
            counted[i].writes++;
        return CallWindowProcA(counted[i].previous, control, message, wParam, lParam);
    }
    return DefWindowProcA(control, message, wParam, lParam);
}

BOOL CALLBACK CountControl(HWND control, LPARAM)
{
    if (countedCount == MAX_CONTROLS)
        return FALSE;
    CountedControl& c = counted[countedCount++];
    c.control = control;
    c.writes = 0;
    c.previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc)));
    return TRUE;
}

// Puts the previous procedures back, last subclassed first.
void StopCounting()
{
    while (countedCount > 0)
    {
        const CountedControl& c = counted[--countedCount];
        SetWindowLongPtrA(c.control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(c.previous));
    }
}

void Pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    {
        if (!TranslateMainWindowMessage(&message))
        {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

bool FocusBox(int id)
{
    HWND box = GetDlgItem(mainWindow, id);
    SetForegroundWindow(mainWindow);
    SetFocus(box);
    if (GetFocus() == box)
        return true;
    std::printf("the focus did not reach control %d\n", id);
    return false;
}

// Types text into the focused box one key at a time, after emptying it (one
// keystroke more), and checks the writes each keystroke caused.
bool TypeAndCountWrites(int typedId, const char* text, int* keystrokes)
{
    HWND box = GetDlgItem(mainWindow, typedId);
    SendMessageA(box, EM_SETSEL, 0, -1);
    const size_t length = std::strlen(text);
    for (size_t i = 0; i <= length; i++)
    {
        for (int c = 0; c < countedCount; c++)
            counted[c].writes = 0;
        const WPARAM key = i == 0 ? VK_BACK : static_cast<unsigned char>(text[i - 1]);
        SendMessageA(box, WM_CHAR, key, 0);
        ++*keystrokes;
        for (int c = 0; c < countedCount; c++)
        {
            const int id = GetDlgCtrlID(counted[c].control);
            const bool compressedBox = id >= IDC_SLOT_VALUE && id < IDC_SLOT_VALUE + RANGE_SLOTS;
            const bool valueBox = compressedBox || id == IDC_LOCAL_VALUE;
            const int expected = valueBox && id != typedId ? 1 : 0;
            if (counted[c].writes != expected)
            {
                std::printf("typing key %u into control %d wrote control %d %d times, not %d\n",
                            static_cast<unsigned>(key), typedId, id, counted[c].writes, expected);
                return false;
            }
        }
    }
    return true;
}

bool BoxShows(int id, double value)
{
    char text[TEXT_SIZE];
    char shown[TEXT_SIZE] = {};
    GetDlgItemTextA(mainWindow, id, shown, sizeof shown);
    return !std::strcmp(shown, FormatValue(text, value));
}

// The keystrokes do what they are measured for: the typed value is taken and
// every other box shows its new value.
bool CheckWrites()
{
    EnumChildWindows(mainWindow, CountControl, 0);
    int keystrokes = 0;
    bool ok = FocusBox(IDC_LOCAL_VALUE) && TypeAndCountWrites(IDC_LOCAL_VALUE, "25.5", &keystrokes);
    ok = ok && project.localValue == 25.5;
    for (int k = 0; ok && k < RANGE_SLOTS; k++)
        ok = BoxShows(IDC_SLOT_VALUE + k, project.ranges[k].value);
    ok = ok && FocusBox(IDC_SLOT_VALUE + 2) &&
         TypeAndCountWrites(IDC_SLOT_VALUE + 2, "60", &keystrokes);
    ok = ok && project.ranges[2].value == 60 && BoxShows(IDC_LOCAL_VALUE, project.localValue);
    StopCounting();
    if (!ok)
    {
        std::printf("the keystrokes did not write the boxes as they should\n");
        return false;
    }
    std::printf("writes per keystroke (%d keystrokes typed into the local value box and a "
                "compressed value box): each other value box once, the typed box never, "
                "no other control\n",
                keystrokes);
    return true;
}

// Per call, in seconds, over one batch.
double TimeBatch(int id, const char* const texts[2], bool repaint)
{
    const double start = Now();
    for (int i = 0; i < PER_BATCH; i++)
    {
        SetDlgItemTextA(mainWindow, id, texts[i % 2]);
        if (repaint)
            RedrawWindow(mainWindow, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    return (Now() - start) / PER_BATCH;
}

void Measure(bool repaint, double* keystroke, double* bare)
{
    static const char* const LOCAL_TEXTS[2] = {"25", "75"};
    static const char* const BOX_TEXTS[2] = {"15", "17.5"};
    double keystrokes[BATCHES];
    double writes[BATCHES];
    for (int b = 0; b < BATCHES; b++)
    {
        // Each pair in the other order than the one before.
        if (b % 2)
            writes[b] = TimeBatch(IDC_SLOT_VALUE, BOX_TEXTS, repaint);
        keystrokes[b] = TimeBatch(IDC_LOCAL_VALUE, LOCAL_TEXTS, repaint);
        if (!(b % 2))
            writes[b] = TimeBatch(IDC_SLOT_VALUE, BOX_TEXTS, repaint);
        Pump();
    }
    *keystroke = Median(keystrokes, BATCHES);
    *bare = Median(writes, BATCHES);
}

// Steady typing into the real window as a user types: a key every 100 ms
// for 15 s, each posted by another thread at its moment, as the system puts
// a typed key in the queue whatever the window is doing, and handled by a
// message loop like the entry point's, which also runs the window's timers
// (and with them the writes of the files kept while values runs). A key
// waits from its posting until its handling is done: in the queue behind
// whatever the thread is doing, then its own handling.
const int TYPED_KEYS = 150;
const DWORD KEY_EVERY_MS = 100;

double keyPosted[TYPED_KEYS];
double keyWaited[TYPED_KEYS];
int keysHandled;
WNDPROC boxProcedure;

LRESULT CALLBACK TimedBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallWindowProcA(boxProcedure, box, message, wParam, lParam);
    if (message == WM_CHAR && keysHandled < TYPED_KEYS)
    {
        keyWaited[keysHandled] = Now() - keyPosted[keysHandled];
        keysHandled++;
    }
    return result;
}

// A digit, then the backspace that takes it away: each key changes the value.
DWORD WINAPI TypeSteadily(LPVOID box)
{
    for (int i = 0; i < TYPED_KEYS; i++)
    {
        Sleep(KEY_EVERY_MS);
        keyPosted[i] = Now();
        const WPARAM key = i % 2 ? VK_BACK : static_cast<WPARAM>('1' + (i / 2) % 9);
        PostMessageA(static_cast<HWND>(box), WM_CHAR, key, 1);
    }
    return 0;
}

// The longest and the median wait of one typed key; false when the typing
// did not reach the window as it should.
bool MeasureWaits(double* longest, double* median, int* timers)
{
    HWND box = GetDlgItem(mainWindow, IDC_LOCAL_VALUE);
    SendMessageA(box, EM_SETSEL, 0, -1);
    SendMessageA(box, WM_CHAR, '5', 1);
    keysHandled = 0;
    *timers = 0;
    boxProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TimedBoxProc)));
    HANDLE typist = CreateThread(nullptr, 0, TypeSteadily, box, 0, nullptr);
    while (typist &&
           MsgWaitForMultipleObjects(1, &typist, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
    {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        {
            if (message.message == WM_TIMER && message.hwnd == mainWindow)
                ++*timers;
            if (!TranslateMainWindowMessage(&message))
            {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
    }
    Pump();
    if (typist)
        CloseHandle(typist);
    SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(boxProcedure));
    if (keysHandled != TYPED_KEYS || project.localValue != 5)
    {
        std::printf("the steady typing reached the window as %d of %d keys\n", keysHandled,
                    TYPED_KEYS);
        return false;
    }
    *longest = 0;
    for (double wait : keyWaited)
        *longest = wait > *longest ? wait : *longest;
    *median = Median(keyWaited, TYPED_KEYS);
    return true;
}

} // namespace

int main()
{
    char folder[MAX_PATH];
    if (!MakeScratchFolder("values-keystroke", folder, sizeof folder) ||
        !SetCurrentDirectoryA(folder) || !WriteBenchStateFile("Values.dat"))
    {
        std::printf("cannot prepare a working folder\n");
        return 1;
    }
    CopyRowIcons(folder);

    InitCommonControls();
    std::memset(&project, 0, sizeof project);
    TakeStartFolder();
    HWND window = OpenMainWindow(GetModuleHandleA(nullptr));
    bool ok = window != nullptr;
    Pump();
    for (int k = 0; ok && k < RANGE_SLOTS; k++)
        ok = project.ranges[k].inUse != 0;
    if (!ok)
        std::printf("the main window did not open with five ranges\n");

    ok = ok && CheckWrites() && FocusBox(IDC_LOCAL_VALUE);
    if (ok)
    {
        // The bare write must not be taken for a keystroke.
        SetDlgItemTextA(window, IDC_LOCAL_VALUE, "75");
        SetDlgItemTextA(window, IDC_SLOT_VALUE, "15");
        ok = project.localValue == 75;
        if (!ok)
            std::printf("a write into a box without the focus changed the local value\n");
    }
    if (ok)
    {
        double keystroke, bare, paintedKeystroke, paintedBare;
        Measure(false, &keystroke, &bare);
        Measure(true, &paintedKeystroke, &paintedBare);
        std::printf("keystroke, local value box, five ranges in use: median %.1f us\n",
                    keystroke * 1e6);
        std::printf("bare SetDlgItemTextA of a box: median %.1f us\n", bare * 1e6);
        std::printf("with the repaint done at once: keystroke %.1f us, bare write %.1f us, "
                    "ratio %.2f\n",
                    paintedKeystroke * 1e6, paintedBare * 1e6, paintedKeystroke / paintedBare);
        std::printf("keystroke ratio: %.2f\n", keystroke / bare);

        double longest, median;
        int timers;
        ok = FocusBox(IDC_LOCAL_VALUE) && MeasureWaits(&longest, &median, &timers);
        if (ok)
            std::printf("steady typing, %d keys in %.0f s, %d timer messages: longest wait of "
                        "a key %.1f ms, median %.1f ms; longest against the keystroke: %.1fx\n",
                        TYPED_KEYS, TYPED_KEYS * KEY_EVERY_MS / 1000.0, timers, longest * 1e3,
                        median * 1e3, longest / keystroke);
    }

    if (window)
        DestroyWindow(window);
    DestroyIcon(editIcon);
    DestroyIcon(deleteIcon);
    DeleteObject(buttonFaceBrush);
    Pump();
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    SetCurrentDirectoryA(temp);
    RemoveScratchFolder(folder);
    return ok ? 0 : 1;
}
