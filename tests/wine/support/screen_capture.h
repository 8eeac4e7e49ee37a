// Pictures of real windows for the documentation: what the screen shows of an
// area, saved as a 24-bit BMP that scripts/screenshot-* turn into PNGs.
#pragma once

#include <windows.h>

// Runs the thread's messages for a while, so that windows get drawn.
void pump_messages_for(DWORD milliseconds);
// Saves the screen's pixels inside area; false when the file is not written.
bool save_screen_area(const RECT& area, const char* path);
// Saves the screen's pixels under a window, frame included.
bool save_window_image(HWND window, const char* path);
