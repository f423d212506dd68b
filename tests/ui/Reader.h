// What a screen reader (Narrator, NVDA) reads of a control, through oleacc
// as it does: from the test's own process or from another one. The caller
// has initialised COM.
#pragma once

#include <windows.h>

#include <string>

// The name spoken for a control.
std::string Heard(HWND control);
// The description read with it, "" without one.
std::string Described(HWND control);
