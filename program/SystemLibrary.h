// Libraries loaded when first needed rather than linked.
#pragma once

#include <windows.h>

// A system library loaded when first needed, from the system folder (never
// from the folder values was started in); null when it cannot be loaded.
HMODULE LoadSystemLibrary(const char* name);

// Looks up a function of a library loaded at run time; the pointer's type,
// calling convention included, comes from the caller's declaration.
template <typename Function>
bool FindFunction(HMODULE library, const char* name, Function* function)
{
    *function =
        library ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)))
                : nullptr;
    return *function != nullptr;
}
