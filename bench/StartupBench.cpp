// Start-up of values against two yardsticks, all started the same way from
// here, in turn, in the same run: a minimal dialog program (an empty
// template, the same message loop), and values' own window with nothing done
// in it (its template, menu and manifest, InitCommonControls, the same loop;
// nothing loaded, read or filled), which shows how much of the start is
// values' own work.
//
// A start is timed from just before CreateProcess until the program first
// waits for input with its window visible and filled: for values, the main
// range text, the local value box, and all five rows' names and compressed
// value boxes showing the state file's values. Each program fills its window
// before its message loop, so the first wait for input (WaitForInputIdle) is
// taken as the end, and the window is then checked; should it not be filled
// yet, it is watched until it is and that moment is the end instead (counted
// and reported as a late fill).
//
//   startup_bench [runs]     (default 20 of each, after 2 of each unmeasured)
#include "BenchSupport.h"
#include "MinimalDialog.h"

#include "NumberText.h"
#include "ProjectState.h"
#include "resource.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{

const int MAX_RUNS = 200;
const int WARM_UP_RUNS = 2;
const DWORD TIMEOUT_MS = 30000;

struct Program
{
    const char* file;
    const char* caption;
    bool isValues;
    char path[MAX_PATH];
    char folder[MAX_PATH];
    double samples[MAX_RUNS];
    int count;
    int lateFills;
};

struct FindArgs
{
    DWORD process;
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam)
{
    FindArgs* args = reinterpret_cast<FindArgs*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char caption[64] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (process == args->process && !std::strcmp(caption, args->caption))
    {
        args->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindProgramWindow(DWORD process, const char* caption)
{
    FindArgs args = {process, caption, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&args));
    return args.found;
}

// Reads a control of the other process; a program that does not answer
// within the timeout counts as not showing the text.
bool ItemShows(HWND window, int id, const char* expected)
{
    char text[TEXT_SIZE] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(GetDlgItem(window, id), WM_GETTEXT, sizeof text,
                             reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &copied))
        return false;
    return !std::strcmp(text, expected);
}

// The state file's values as values shows them (PutBenchState has filled the
// process-wide state of this program with them).
bool Filled(const Program& program, HWND window)
{
    if (!window || !IsWindowVisible(window))
        return false;
    if (!program.isValues)
        return true;
    char low[TEXT_SIZE];
    char high[TEXT_SIZE];
    char text[2 * TEXT_SIZE + 8];
    std::snprintf(text, sizeof text, "%s to %s", FormatValue(low, project.mainLow),
                  FormatValue(high, project.mainHigh));
    if (!ItemShows(window, IDC_MAIN_RANGE, text))
        return false;
    if (!ItemShows(window, IDC_LOCAL_VALUE, FormatValue(text, project.localValue)))
        return false;
    for (int k = 0; k < RANGE_SLOTS; k++)
    {
        if (!ItemShows(window, IDC_SLOT_NAME + k, project.ranges[k].name) ||
            !ItemShows(window, IDC_SLOT_VALUE + k, FormatValue(text, project.ranges[k].value)))
            return false;
    }
    return true;
}

// Every start of values reads the same state and no window settings.
bool PrepareFolder(const Program& program)
{
    if (!program.isValues)
        return true;
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%s\\Values.ini", program.folder);
    DeleteFileA(path);
    std::snprintf(path, sizeof path, "%s\\Values.dat", program.folder);
    return WriteBenchStateFile(path);
}

// Starts the program once and times it; closes it again as the title bar's
// close button would and checks it ended cleanly.
bool StartOnce(Program& program, bool keep)
{
    if (!PrepareFolder(program))
    {
        std::printf("cannot write the state file in %s\n", program.folder);
        return false;
    }
    char commandLine[MAX_PATH + 2];
    std::snprintf(commandLine, sizeof commandLine, "\"%s\"", program.path);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};

    const double start = Now();
    if (!CreateProcessA(program.path, commandLine, nullptr, nullptr, FALSE, 0, nullptr,
                        program.folder, &startup, &process))
    {
        std::printf("cannot start %s (error %lu)\n", program.path, GetLastError());
        return false;
    }
    const DWORD idle = WaitForInputIdle(process.hProcess, TIMEOUT_MS);
    double end = Now();

    bool ok = idle == 0;
    HWND window = nullptr;
    if (ok)
    {
        window = FindProgramWindow(process.dwProcessId, program.caption);
        if (!Filled(program, window))
        {
            program.lateFills++;
            do
            {
                Sleep(1);
                window = FindProgramWindow(process.dwProcessId, program.caption);
                end = Now();
                ok = end - start < TIMEOUT_MS / 1000.0;
            } while (ok && !Filled(program, window));
        }
    }
    if (!ok)
    {
        std::printf("%s: %s\n", program.file,
                    idle ? "never waited for input" : "its window was never visible and filled");
        TerminateProcess(process.hProcess, 2);
    }
    else
    {
        PostMessageA(window, WM_CLOSE, 0, 0);
    }

    DWORD exitCode = 1;
    if (WaitForSingleObject(process.hProcess, TIMEOUT_MS) != WAIT_OBJECT_0)
    {
        std::printf("%s did not end after its window was closed\n", program.file);
        TerminateProcess(process.hProcess, 2);
        ok = false;
    }
    else if (ok && (!GetExitCodeProcess(process.hProcess, &exitCode) || exitCode != 0))
    {
        std::printf("%s ended with code %lu\n", program.file, exitCode);
        ok = false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    if (ok && keep)
        program.samples[program.count++] = end - start;
    return ok;
}

void Report(Program& program, const char* what)
{
    const double median = Median(program.samples, program.count);
    std::printf("%s: median %.1f ms, fastest %.1f ms, slowest %.1f ms (%d starts, %d late fills)\n",
                what, median * 1000, program.samples[0] * 1000,
                program.samples[program.count - 1] * 1000, program.count, program.lateFills);
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
    if (runs < 1 || runs > MAX_RUNS)
    {
        std::printf("usage: startup_bench [runs, 1 to %d]\n", MAX_RUNS);
        return 2;
    }

    static Program values = {"values.exe", "Values", true, {}, {}, {}, 0, 0};
    static Program minimal = {"minimal_dialog.exe", MINIMAL_CAPTION, false, {}, {}, {}, 0, 0};
    static Program bare = {"bare_window.exe", "Values", false, {}, {}, {}, 0, 0};
    Program* programs[] = {&values, &minimal, &bare};
    const int PROGRAMS = 3;
    char programFolder[MAX_PATH];
    ProgramFolder(programFolder, sizeof programFolder);
    for (Program* program : programs)
    {
        std::snprintf(program->path, sizeof program->path, "%s%s", programFolder, program->file);
        if (!MakeScratchFolder("values-startup", program->folder, sizeof program->folder))
        {
            std::printf("cannot make a scratch folder\n");
            return 1;
        }
    }
    CopyRowIcons(values.folder);

    // A hidden window of this program keeps Wine's desktop process alive
    // between the starts, as a user's other windows would.
    HWND keeper = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);

    // In turn, each round in another order, so that a slow spell of the
    // machine falls on all programs alike.
    bool ok = true;
    for (int run = 0; ok && run < WARM_UP_RUNS + runs; run++)
    {
        const bool keep = run >= WARM_UP_RUNS;
        for (int i = 0; ok && i < PROGRAMS; i++)
        {
            const int turn = run / PROGRAMS % 2 ? PROGRAMS - 1 - i : i;
            ok = StartOnce(*programs[(turn + run) % PROGRAMS], keep);
        }
    }
    DestroyWindow(keeper);
    for (Program* program : programs)
        RemoveScratchFolder(program->folder);
    if (!ok)
        return 1;

    Report(values, "values.exe, five ranges");
    Report(minimal, "minimal dialog program");
    Report(bare, "values' window alone");
    const double valuesMedian = Median(values.samples, values.count);
    std::printf("against values' window alone: ratio %.2f\n",
                valuesMedian / Median(bare.samples, bare.count));
    std::printf("start-up ratio: %.2f\n", valuesMedian / Median(minimal.samples, minimal.count));
    return 0;
}
