// The two files values keeps in the folder it started in: "Values.dat" read
// at start, and both written at the close and at a log-off (and while values
// runs, KeepFiles.cpp). Nothing the user saved there is replaced unless
// values has read it, or the user agreed.
#include "FolderFiles.h"

#include "FileErrors.h"
#include "KeepFiles.h"

#include "ProjectState.h"
#include "SafeFile.h"
#include "StartFolder.h"
#include "StateCodec.h"
#include "StateFile.h"
#include "WindowSettings.h"

#include <cstdio>

// "Values.dat" was there but could not be read, and the user chose to go on
// with empty values: the file still holds what was saved, so the close asks
// before it replaces it, and a log-off, which cannot ask, keeps it.
static bool stateUnread;

bool StateFileUnread()
{
    return stateUnread;
}

// How long a state file that is there but cannot be read is tried again: a
// virus scanner or a backup usually lets go of a file within a second.
constexpr DWORD RETRY_READ_MS = 2000;
constexpr DWORD RETRY_PAUSE_MS = 100;

// Whether a failed read means there is nothing to read, or something there
// that values could not read: a missing file is the first run, and a short
// one is taken as today (the starting state), but a file held by another
// program, or one values may not read, still holds the user's values.
static bool NothingToRead(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_INVALID_DATA;
}

static const char* ReadFailure(DWORD error)
{
    switch (error)
    {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return "Another program is using it.";
    case ERROR_ACCESS_DENIED:
        return "values is not allowed to read it.";
    case ERROR_FILENAME_EXCED_RANGE:
        return "Its path is too long.";
    default:
        return "It cannot be read.";
    }
}

// Reads the state file, trying again for a while when it is there but
// cannot be read. ERROR_SUCCESS, or why it was not read.
static DWORD TryReadState()
{
    const DWORD start = GetTickCount();
    for (;;)
    {
        if (LoadState(nullptr))
            return ERROR_SUCCESS;
        const DWORD error = GetLastError();
        if (NothingToRead(error) || GetTickCount() - start >= RETRY_READ_MS)
            return error;
        Sleep(RETRY_PAUSE_MS);
    }
}

bool ReadStateAtStart()
{
    for (;;)
    {
        const DWORD error = TryReadState();
        if (error == ERROR_SUCCESS || NothingToRead(error))
            return true;

        char text[MAX_PATH + 600];
        std::snprintf(text, sizeof text,
                      "values cannot read \"" STATE_FILE_NAME "\" in the folder\n%s\n\n%s It holds "
                      "the values saved at the last close.\n\nChoose Try Again to read it again, "
                      "Continue to start with empty values (values will ask before it replaces "
                      "the file), or Cancel to end values without changing anything.",
                      startFolder, ReadFailure(error));
        switch (MessageBoxA(nullptr, text, "Values",
                            MB_CANCELTRYCONTINUE | MB_ICONWARNING | MB_SETFOREGROUND))
        {
        case IDTRYAGAIN:
            break;
        case IDCONTINUE:
            stateUnread = true;
            return true;
        default:
            return false;
        }
    }
}

// After a start that could not read "Values.dat": Yes replaces it, No keeps
// it (the window settings are still written), Cancel keeps values open.
// IDYES, IDNO or IDCANCEL.
static int AskToReplaceUnreadState(HWND window)
{
    char text[MAX_PATH + 400];
    std::snprintf(text, sizeof text,
                  "When values started, it could not read \"" STATE_FILE_NAME "\" in the folder\n"
                  "%s\nand it started with empty values. The file still holds the values saved "
                  "before.\n\nReplace it with the values shown now?",
                  startFolder);
    return MessageBoxA(window, text, "Values", MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2);
}

// The close has asked about unsaved changes, and the user answered: the
// next start begins without any, as if the file were written before values
// marked them.
static int SaveAnsweredState(WriteFailure* failure)
{
    ProjectState answered = project;
    answered.modified = false;
    unsigned char image[STATE_IMAGE_SIZE];
    EncodeState(answered, true, image);
    return KeepStateNow(image, failure);
}

// Why one file was not saved: what Windows said of the file itself, or of
// the new file it is written through first (SafeFile.h), named, for that one
// failed and the file itself was never touched.
static void WhyFileNotSaved(const WriteFailure& failure, char* text, std::size_t size)
{
    if (!failure.temporary[0])
    {
        std::snprintf(text, size, "%s", WhyNotSaved(failure.error));
        return;
    }
    std::snprintf(text, size,
                  "values writes it to a new file first, \"%s\", and could not write that one. %s",
                  failure.temporary + FileNameOffset(failure.temporary),
                  WhyNotSaved(failure.error));
}

// Names the file that failed, or both files each with its own reason.
static void WhyNotSavedOnClose(bool stateSaved, const WriteFailure& stateFailure,
                               bool settingsSaved, const WriteFailure& settingsFailure, char* text,
                               std::size_t size)
{
    char state[MAX_PATH + 300];
    char settings[MAX_PATH + 300];
    if (!stateSaved)
        WhyFileNotSaved(stateFailure, state, sizeof state);
    if (!settingsSaved)
        WhyFileNotSaved(settingsFailure, settings, sizeof settings);
    if (!stateSaved && !settingsSaved)
        std::snprintf(text, size,
                      "\"" STATE_FILE_NAME "\": %s\n\"" WINDOW_SETTINGS_FILE_NAME "\": %s", state,
                      settings);
    else
        std::snprintf(text, size, "%s", !stateSaved ? state : settings);
}

static bool SaveBothOnClose(HWND window)
{
    bool writeState = true;
    if (stateUnread)
    {
        const int answer = AskToReplaceUnreadState(window);
        if (answer == IDCANCEL)
            return false;
        writeState = answer == IDYES;
    }
    for (;;)
    {
        unsigned char settingsImage[WINDOW_SETTINGS_SIZE];
        WindowSettingsImage(window, settingsImage);
        WriteFailure settingsFailure = {};
        WriteFailure stateFailure = {};
        const bool settingsSaved = KeepSettingsNow(settingsImage, &settingsFailure) != 0;
        const bool stateSaved = !writeState || SaveAnsweredState(&stateFailure) != 0;
        if (settingsSaved && stateSaved)
            return true;

        const char* files = !stateSaved && !settingsSaved
                                ? "\"" STATE_FILE_NAME "\" and \"" WINDOW_SETTINGS_FILE_NAME "\""
                            : !stateSaved ? "\"" STATE_FILE_NAME "\""
                                          : "\"" WINDOW_SETTINGS_FILE_NAME "\"";
        const char* lost = !stateSaved && !settingsSaved
                               ? "the values shown now, the window's place and Keep on Top are lost"
                           : !stateSaved ? "the values shown now are lost"
                                         : "the window's place and Keep on Top are not kept";
        char why[3 * MAX_PATH + 700];
        WhyNotSavedOnClose(stateSaved, stateFailure, settingsSaved, settingsFailure, why,
                           sizeof why);
        char text[5 * MAX_PATH + 1000];
        std::snprintf(
            text, sizeof text,
            "values could not save %s in the folder\n%s\n\n%s\n\nChoose Try Again to save "
            "again, Continue to close values without saving (%s), or Cancel to keep "
            "values open.",
            files, startFolder, why, lost);
        switch (MessageBoxA(window, text, "Values", MB_CANCELTRYCONTINUE | MB_ICONWARNING))
        {
        case IDTRYAGAIN:
            break;
        case IDCONTINUE:
            return true;
        default:
            return false;
        }
    }
}

// While the close writes the files and asks about them, the files are not
// kept on the side: a write on a timer meanwhile would put back the mark of
// unsaved changes the user has just answered for.
bool SaveOnClose(HWND window)
{
    PauseKeepingFiles(window, true);
    if (SaveBothOnClose(window))
        return true;
    PauseKeepingFiles(window, false);
    return false;
}

// Nobody may be there to answer: both files are written after the write
// under way, the unsaved mark as it is.
void SaveOnLogOff(HWND window)
{
    PauseKeepingFiles(window, true);
    unsigned char settings[WINDOW_SETTINGS_SIZE];
    WindowSettingsImage(window, settings);
    KeepSettingsNow(settings);
    if (stateUnread)
        return;
    unsigned char state[STATE_IMAGE_SIZE];
    EncodeState(project, true, state);
    KeepStateNow(state);
}
