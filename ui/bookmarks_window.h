// The Bookmarks window: every bookmark in a list, with the label and the
// comment the debugger keeps for its line. Created when first opened, owned
// by the debugger's main window; closing it only hides it.
#pragma once

#include <windows.h>

// Opens the window, or brings it to the front when it is open.
void open_bookmarks_window();
// The bookmark list changed: the window shows it as soon as the debugger's
// message loop runs again, once however many changes came before.
void bookmarks_changed();
// At host close, once the window has been opened: its place and size, and
// whether it was open.
void save_bookmarks_window_state();
// At start: opens the window when it was open at the last close.
void reopen_bookmarks_window();

INT_PTR CALLBACK bookmarks_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
