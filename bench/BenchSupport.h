// What the Windows benchmark programs share: a clock, medians, a scratch
// working folder, and the state values starts from in every measurement.
#pragma once

#include <windows.h>

#include <cstddef>

// Seconds on the performance counter.
double Now();

// The median of count samples; sorts them in place.
double Median(double* samples, std::size_t count);

// The folder this program was started from, with its trailing backslash.
void ProgramFolder(char* folder, std::size_t size);

// Makes a new, empty folder under the temporary folder and fills folder with
// its path (no trailing backslash). Returns false when none could be made.
bool MakeScratchFolder(const char* prefix, char* folder, std::size_t size);

// Removes the files in folder (no subfolders are made there), then folder.
void RemoveScratchFolder(const char* folder);

// Copies the row icons from beside this program into folder, where values
// reads them at start.
void CopyRowIcons(const char* folder);

// The state every measurement starts from: main range 0 to 100, local value
// 42.42 and all five slots in use, each with its own bounds. Filled into the
// process-wide state, and written as a state file.
void PutBenchState();
bool WriteBenchStateFile(const char* path);
