// The folder values started in, which keeps its files: "Values.dat",
// "Values.ini" and the two row icons. Their full paths are made once, at
// start. Opened by bare name they would follow the current folder, which the
// file dialogs move while they are open (and on Windows the Open dialog
// leaves moved), so a log-off during a dialog would write the state into
// whatever folder the dialog showed.
#pragma once

#include <windows.h>

// Room for the folder (a working folder has fewer than MAX_PATH characters)
// and a file name.
constexpr int START_PATH_SIZE = MAX_PATH + 16;

extern char startFolder[MAX_PATH];
extern char statePath[START_PATH_SIZE];
extern char settingsPath[START_PATH_SIZE];
extern char editIconPath[START_PATH_SIZE];
extern char deleteIconPath[START_PATH_SIZE];

// Takes the current folder as the start folder and makes the four paths.
// When the folder cannot be read, the start folder is "." and the paths are
// relative to the current folder, as bare names are; returns false then.
bool TakeStartFolder();

// Removes what a killed run left in the start folder: the temporary files
// of "Values.dat" and "Values.ini" (SafeFile.h), and "Values.tmp", through
// which earlier versions wrote both. Only plain files no program holds.
void RemoveLeftovers();

// Asks Windows to start values again, in the start folder, after a restart
// for updates (not after a crash or a hang). True when Windows took it.
bool RegisterForRestart();
