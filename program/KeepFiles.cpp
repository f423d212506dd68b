// What values keeps while it runs. "Values.dat" and "Values.ini" are written
// again a moment after what they hold has changed, so that an end that asks
// nobody (a kill, a crash, a power cut, an empty battery) loses at most the
// last few seconds; the state file also marks unsaved project changes, so
// that the next start still asks before they are thrown away.
//
// The writes run on a thread of their own, with a copy of the bytes: a
// folder on a slow or vanished share, or a disk spinning up, holds up that
// thread for the network's time-out, never the window. The close and a
// log-off wait for the write under way, then write on the window's thread.
#include "KeepFiles.h"

#include "FolderFiles.h"
#include "MainWindow.h"

#include "ProjectState.h"
#include "SafeFile.h"
#include "StateCodec.h"
#include "StateFile.h"
#include "WindowSettings.h"

#include <cstring>

// A write comes a second after the last change; while changes keep coming
// without such a pause, five seconds after the first change not yet written
// all the same. Timers, so that a write starts from the window's message
// loop between two messages, never in the middle of handling the user's.
constexpr UINT QUIET_MS = 1000;
constexpr UINT LATEST_MS = 5000;
// A write that failed is tried again five seconds later (a virus scanner
// usually lets go of a file it looked at by then), and after each further
// failure twice as long after, up to a minute: a share that is gone is not
// asked every five seconds for as long as values runs.
constexpr UINT LONGEST_RETRY_MS = 60000;

// What each file holds on disk as far as values knows: what it found at the
// start, or what any write of this process (kept, the close's, a log-off's)
// last put there. What each would hold at the last look.
static unsigned char keptState[STATE_IMAGE_SIZE];
static unsigned char seenState[STATE_IMAGE_SIZE];
static unsigned char keptSettings[WINDOW_SETTINGS_SIZE];
static unsigned char seenSettings[WINDOW_SETTINGS_SIZE];
static bool keeping;     // from the first fill of the window
static bool paused;      // while the close writes the files itself
static bool writeDue;    // the latest timer runs
static int failedWrites; // in a row, for the back-off

// The write on the writer thread: which files, their bytes, and what came of
// it. The window's thread fills it before the thread starts and reads it
// only once the thread has ended.
struct KeptWrite
{
    HWND window;
    bool state;
    bool settings;
    bool stateSaved;
    bool settingsSaved;
    unsigned char stateImage[STATE_IMAGE_SIZE];
    unsigned char settingsImage[WINDOW_SETTINGS_SIZE];
};
static KeptWrite write;
static HANDLE writer;   // the thread, while a write is under way
static bool writeAgain; // a write came due while one was under way

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

// While writes fail, a change does not bring the next try forward: the
// retry, when it comes, writes whatever there is then.
static void WriteSoon(HWND window)
{
    if (failedWrites > 0 && writeDue)
        return;
    SetTimer(window, KEEP_QUIET_TIMER, QUIET_MS, nullptr); // a new change starts the second again
    if (!writeDue)
        SetTimer(window, KEEP_LATEST_TIMER, LATEST_MS, nullptr);
    writeDue = true;
}

static UINT RetryInterval(int failures)
{
    UINT interval = LATEST_MS;
    for (int i = 1; i < failures && interval < LONGEST_RETRY_MS; i++)
        interval *= 2;
    return interval < LONGEST_RETRY_MS ? interval : LONGEST_RETRY_MS;
}

static void WriteKept()
{
    if (write.state)
        write.stateSaved = SaveStateImage(write.stateImage) != 0;
    if (write.settings)
        write.settingsSaved = SaveSettingsImage(write.settingsImage) != 0;
}

static DWORD WINAPI WriterThread(void*)
{
    WriteKept();
    PostMessageA(write.window, WM_FILES_KEPT, 0, 0);
    return 0;
}

// Once the write has ended: what it wrote is what the files hold. A file it
// could not write still holds its old bytes, so it is written again later,
// even when nothing changes meanwhile; the user hears of a file that stays
// unwritable only at the close.
static void TakeWrite(HWND window)
{
    if (write.state && write.stateSaved)
        std::memcpy(keptState, write.stateImage, sizeof keptState);
    if (write.settings && write.settingsSaved)
        std::memcpy(keptSettings, write.settingsImage, sizeof keptSettings);
    const bool failed =
        (write.state && !write.stateSaved) || (write.settings && !write.settingsSaved);
    write.state = write.settings = false;
    if (!failed)
    {
        failedWrites = 0;
        return;
    }
    failedWrites++;
    if (!paused)
    {
        KillTimer(window, KEEP_QUIET_TIMER);
        SetTimer(window, KEEP_LATEST_TIMER, RetryInterval(failedWrites), nullptr);
        writeDue = true;
    }
}

static void WaitForWriter()
{
    if (!writer)
        return;
    WaitForSingleObject(writer, INFINITE);
    CloseHandle(writer);
    writer = nullptr;
}

void StartKeepingFiles(HWND window)
{
    TakeImages(window, keptState, keptSettings);
    std::memcpy(seenState, keptState, sizeof seenState);
    std::memcpy(seenSettings, keptSettings, sizeof seenSettings);
    keeping = true;
    paused = false;
    writeDue = false;
    failedWrites = 0;
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
    if (writer)
    {
        writeAgain = true; // once this one is done
        return;
    }
    TakeImages(window, write.stateImage, write.settingsImage);
    std::memcpy(seenState, write.stateImage, sizeof seenState);
    std::memcpy(seenSettings, write.settingsImage, sizeof seenSettings);
    // A state file values could not read at the start still holds what was
    // saved before; only the close replaces it, and only when the user agrees.
    write.state =
        !StateFileUnread() && std::memcmp(write.stateImage, keptState, sizeof keptState) != 0;
    write.settings = std::memcmp(write.settingsImage, keptSettings, sizeof keptSettings) != 0;
    if (!write.state && !write.settings)
        return;
    write.window = window;
    writer = CreateThread(nullptr, 0, WriterThread, nullptr, 0, nullptr);
    if (!writer)
    {
        // No thread to be had: the write is not put off for it.
        WriteKept();
        TakeWrite(window);
    }
}

void FilesKept(HWND window)
{
    if (!writer)
        return; // the close or a log-off has taken this write already
    WaitForWriter();
    TakeWrite(window);
    if (writeAgain && !paused)
    {
        writeAgain = false;
        KeepFilesNow(window);
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
        writeAgain = false;
        // The close waits for the write under way: its own must come after.
        if (writer)
        {
            WaitForWriter();
            TakeWrite(window);
        }
        return;
    }
    // The close was called off: whatever the files do not hold yet, among it
    // the unsaved mark the close's own write left out, is written soon.
    unsigned char state[STATE_IMAGE_SIZE];
    unsigned char settings[WINDOW_SETTINGS_SIZE];
    TakeImages(window, state, settings);
    if (keeping && ((!StateFileUnread() && std::memcmp(state, keptState, sizeof keptState) != 0) ||
                    std::memcmp(settings, keptSettings, sizeof keptSettings) != 0))
        WriteSoon(window);
}

int KeepStateNow(const unsigned char* image, WriteFailure* failure)
{
    if (!SaveStateImage(image, failure))
        return 0;
    std::memcpy(keptState, image, sizeof keptState);
    return 1;
}

int KeepSettingsNow(const unsigned char* image, WriteFailure* failure)
{
    if (!SaveSettingsImage(image, failure))
        return 0;
    std::memcpy(keptSettings, image, sizeof keptSettings);
    return 1;
}
