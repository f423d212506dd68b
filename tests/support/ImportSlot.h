// A seam through the test program's own import address table: the code
// under test, linked into the test program, calls a system function through
// the slot the loader filled, and a test can put a stand-in there for a
// while.
#pragma once

// The slot of this program's imports that holds the function of this name
// from this DLL ("kernel32.dll", "user32.dll"), or null.
void** ImportSlot(const char* dll, const char* function);
void PutInSlot(void** slot, void* function);
