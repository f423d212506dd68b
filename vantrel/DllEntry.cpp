// The library's entry point. Vantrel uses no C runtime, so nothing needs
// setting up before the first call: this is the DLL's entry itself.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    // No per-thread state: spare every thread start and end a call here.
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    return TRUE;
}
