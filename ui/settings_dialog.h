// The modal settings dialog: three option check boxes and four shortcut
// fields, written to the settings store on "OK" only.
#pragma once

#include <windows.h>

INT_PTR CALLBACK settings_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Runs the dialog owned by the host's main window; its result is not used.
void run_settings_dialog();
