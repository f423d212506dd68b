// The command line: values.exe [/folder FOLDER] [PROJECT].
//
// /folder makes FOLDER the working folder before anything else happens, as
// if values had been started there: its files, its row icons and its one
// window all follow it. The installed "Open with" command uses it, so that a
// project opened from Explorer keeps the values of the Start menu's window.
// PROJECT is opened once the window is there, as Open Project opens a file.
#include "CommandLine.h"

#include "FileNames.h"

#include "CommandLineWords.h"
#include "ProjectState.h"

#include <windows.h>

#include <cstdio>

static const char USAGE[] =
    "Usage: values.exe [/folder FOLDER] [PROJECT]\n\n"
    "/folder FOLDER\tstarts values as if in FOLDER: it keeps its files there, and one "
    "window serves the folder.\n"
    "PROJECT\ta project file (.prj) to open.\n\n"
    "A path with spaces is written in double quotes.";

// What is wrong (format, filled with what), and how values is started.
static void Refuse(const char* format, const char* what)
{
    char text[LONG_PATH_SIZE + sizeof USAGE + 200];
    const int n = std::snprintf(text, sizeof text, format, what);
    std::snprintf(text + n, sizeof text - n, "\n\n%s", USAGE);
    MessageBoxA(nullptr, text, "Values", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

// The words are split by character in the ANSI code page, whose double-byte
// characters may end in the byte of the backslash (SplitCommandLine).
bool ReadCommandLine(const char* commandLine, char* project, int size)
{
    static char folder[LONG_PATH_SIZE];
    static char given[LONG_PATH_SIZE];
    static char wrong[LONG_PATH_SIZE];
    static LeadBytes code;
    for (int b = 0; b < 256; b++)
        code.leadByte[b] = IsDBCSLeadByte(static_cast<BYTE>(b)) != FALSE;
    project[0] = '\0';
    switch (
        SplitCommandLine(commandLine ? commandLine : "", code, folder, given, wrong, sizeof folder))
    {
    case FOLDER_MISSING:
        Refuse("%s needs a folder after it.", wrong);
        return false;
    case UNKNOWN_WORD:
        Refuse("values does not know \"%s\".", wrong);
        return false;
    case WORD_TOO_LONG:
        Refuse("This path is too long for Windows:\n%s", wrong);
        return false;
    case COMMAND_LINE_READ:
        break;
    }
    // A project named from another folder's command prompt is found there,
    // before /folder moves elsewhere.
    if (given[0])
    {
        const DWORD length = GetFullPathNameA(given, static_cast<DWORD>(size), project, nullptr);
        if (length == 0 || length >= static_cast<DWORD>(size))
            CopyText(project, static_cast<std::size_t>(size), given);
    }
    if (folder[0] && !SetCurrentDirectoryA(folder))
    {
        Refuse("values cannot start in the folder\n%s\n\nIt does not exist, or values may not "
               "use it.",
               folder);
        return false;
    }
    return true;
}
