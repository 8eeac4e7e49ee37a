// Repoints one imported function of a loaded module at a replacement, by
// rewriting the module's import address table. The seam through which the
// host watches beeps, counts allocations and injects faults without changing
// the plug-in.
#pragma once

#include <windows.h>

// Returns the function that was imported before, or null when the module does
// not import function from dll (names compared case-insensitively for the DLL).
void* repoint_import(HMODULE module, const char* dll, const char* function, void* replacement);

// Repoints the module's MessageBeep at a recorder that adds a HostOp::Beep call.
bool install_beep_recorder(HMODULE module);
