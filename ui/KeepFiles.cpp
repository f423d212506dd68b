// What values keeps while it runs. "Values.dat" and "Values.ini" are written
// again a moment after what they hold has changed, so that an end that asks
// nobody (a kill, a crash, a power cut, an empty battery) loses at most the
// last few seconds; the state file also marks unsaved project changes, so
// that the next start still asks before they are thrown away.
#include "Values.h"

#include "ProjectState.h"
#include "StartFolder.h"
#include "StateCodec.h"
#include "StateFile.h"
#include "WindowSettings.h"

#include <cstring>

// A write comes a second after the last change; while changes keep coming
// without such a pause, five seconds after the first change not yet written
// all the same. Timers, so that a write runs from the window's message loop
// between two messages, never in the middle of handling the user's.
constexpr UINT QUIET_MS = 1000;
constexpr UINT LATEST_MS = 5000;

// What each file holds as far as values knows (what it found at the start,
// or last wrote), and what it would hold at the last look. A failed write
// keeps the old bytes as kept, so that it is tried again.
static unsigned char keptState[STATE_IMAGE_SIZE];
static unsigned char seenState[STATE_IMAGE_SIZE];
static unsigned char keptSettings[WINDOW_SETTINGS_SIZE];
static unsigned char seenSettings[WINDOW_SETTINGS_SIZE];
static bool keeping;  // from the first fill of the window
static bool paused;   // while the close writes the files itself
static bool writeDue; // the latest timer runs

static void TakeImages(HWND window, unsigned char* state, unsigned char* settings)
{
    EncodeState(project, true, state);
    WindowSettingsImage(window, settings);
}

static bool SameAsSeen(const unsigned char* state, const unsigned char* settings)
{
    return std::memcmp(state, seenState, STATE_IMAGE_SIZE) == 0 &&
           std::memcmp(settings, seenSettings, WINDOW_SETTINGS_SIZE) == 0;
}

static void WriteSoon(HWND window)
{
    SetTimer(window, KEEP_QUIET_TIMER, QUIET_MS, nullptr); // a new change starts the second again
    if (!writeDue)
        SetTimer(window, KEEP_LATEST_TIMER, LATEST_MS, nullptr);
    writeDue = true;
}

void StartKeepingFiles(HWND window)
{
    TakeImages(window, keptState, keptSettings);
    std::memcpy(seenState, keptState, sizeof seenState);
    std::memcpy(seenSettings, keptSettings, sizeof seenSettings);
    keeping = true;
    paused = false;
    writeDue = false;
}

void FilesMayHaveChanged(HWND window)
{
    if (!keeping || paused)
        return;
    unsigned char state[STATE_IMAGE_SIZE];
    unsigned char settings[WINDOW_SETTINGS_SIZE];
    TakeImages(window, state, settings);
    if (SameAsSeen(state, settings))
        return;
    std::memcpy(seenState, state, sizeof seenState);
    std::memcpy(seenSettings, settings, sizeof seenSettings);
    WriteSoon(window);
}

void KeepFilesNow(HWND window)
{
    KillTimer(window, KEEP_QUIET_TIMER);
    KillTimer(window, KEEP_LATEST_TIMER);
    writeDue = false;
    if (!keeping || paused)
        return;
    unsigned char state[STATE_IMAGE_SIZE];
    unsigned char settings[WINDOW_SETTINGS_SIZE];
    TakeImages(window, state, settings);
    std::memcpy(seenState, state, sizeof seenState);
    std::memcpy(seenSettings, settings, sizeof seenSettings);
    // A state file values could not read at the start still holds what was
    // saved before; only the close replaces it, and only when the user agrees.
    bool failed = false;
    if (!StateFileUnread() && std::memcmp(state, keptState, sizeof keptState) != 0)
    {
        if (SaveStateImage(state))
            std::memcpy(keptState, state, sizeof keptState);
        else
            failed = true;
    }
    if (std::memcmp(settings, keptSettings, sizeof keptSettings) != 0)
    {
        if (SaveWindowSettings(window))
            std::memcpy(keptSettings, settings, sizeof keptSettings);
        else
            failed = true;
    }
    // A file held for a moment (a virus scanner looking at the last write)
    // is tried again a while later, even when nothing changes meanwhile. The
    // user hears of a file that stays unwritable only at the close.
    if (failed)
    {
        SetTimer(window, KEEP_LATEST_TIMER, LATEST_MS, nullptr);
        writeDue = true;
    }
}

void PauseKeepingFiles(HWND window, bool pause)
{
    paused = pause;
    if (pause)
    {
        KillTimer(window, KEEP_QUIET_TIMER);
        KillTimer(window, KEEP_LATEST_TIMER);
        writeDue = false;
        return;
    }
    // The close was called off: whatever is not written yet is written soon.
    unsigned char state[STATE_IMAGE_SIZE];
    unsigned char settings[WINDOW_SETTINGS_SIZE];
    TakeImages(window, state, settings);
    if (keeping && (std::memcmp(state, keptState, sizeof keptState) != 0 ||
                    std::memcmp(settings, keptSettings, sizeof keptSettings) != 0))
        WriteSoon(window);
}
