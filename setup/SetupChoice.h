// What the setup program does, decided from what is installed, the version
// it carries and its switches; and the two texts it reads from the Windows
// Installer: versions and progress records. Portable: the Windows side hands
// in what the Windows Installer said.
#pragma once

#include <cstddef>

// How much the setup shows: nothing (/quiet), a progress bar (/passive), or
// whatever the case asks (no switch).
enum SetupUi
{
    FULL_UI,
    PASSIVE_UI,
    QUIET_UI
};

enum SetupAction
{
    INSTALL_PACKAGE,  // nothing installed
    UPDATE_INSTALLED, // an older version installed: the minor upgrade
    OPEN_MAINTENANCE, // this version installed: the package's Repair or Remove
    LEAVE_AS_IS,      // this version installed, and nobody to ask
    REFUSE_DOWNGRADE  // a newer version installed: nothing changes
};

enum SetupShows
{
    SHOWS_NOTHING,
    SHOWS_PROGRESS,
    SHOWS_QUESTION_THEN_PROGRESS, // the setup's own window
    SHOWS_PACKAGE_DIALOGS,        // the package's own Install or Repair, Remove question
    SHOWS_MESSAGE                 // one message, then the end
};

struct SetupChoice
{
    SetupAction action;
    SetupShows shows;
};

// installed is the installed version (null when nothing is installed),
// carried the one this setup holds. An installed version that cannot be
// read counts as newer: the setup never changes what it does not know.
SetupChoice ChooseSetup(const wchar_t* installed, const wchar_t* carried, SetupUi ui);

// Versions as the Windows Installer writes them: one to four numbers of at
// most 65535, separated by full stops. -1, 0 or 1 as a is older, the same or
// newer than b; -2 when either cannot be read.
int CompareVersions(const wchar_t* a, const wchar_t* b);

// The setup's command line, the program's name first:
// [/quiet | /passive] [/norestart] [/log FILE] [/?], switches also with '-',
// in any case. /quiet wins over /passive.
constexpr std::size_t SWITCH_WORD_SIZE = 1024;
struct SetupSwitches
{
    SetupUi ui;
    bool noRestart;
    bool help;
    wchar_t log[SWITCH_WORD_SIZE];   // empty without /log
    wchar_t wrong[SWITCH_WORD_SIZE]; // the word it does not know, cut to fit
};
// False at a word it does not know (in wrong), /log without a file, or a word
// longer than SWITCH_WORD_SIZE - 1; ui still tells whether /quiet was given.
bool ReadSwitches(const wchar_t* commandLine, SetupSwitches* switches);

// The progress bar of an installation, driven by the Windows Installer's
// progress records ("1: 0 2: 1200 3: 0 4: 1 ": a reset, with 1200 steps to
// come, forward) and its action data messages, each of which may move the
// bar a step.
constexpr int PROGRESS_SCALE = 1000;
struct InstallProgress
{
    long long total;
    long long done;
    bool backward;
    bool stepPerAction;
    long long step;
};
void TakeProgressRecord(InstallProgress* progress, const wchar_t* record);
void TakeActionData(InstallProgress* progress);
// How far the bar is, 0 to PROGRESS_SCALE.
int ProgressShown(const InstallProgress& progress);
