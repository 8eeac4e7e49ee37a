// The log pane: one owner-drawn line per log entry, with the entry's address
// and its emphasis as the debugger shows them.
#pragma once

#include <windows.h>
#include <stdint.h>

HWND create_log_pane(HWND parent, HFONT font, int row_height);
// One line at the end of the log, scrolled into view.
void show_log_line(uint32_t address, int emphasis, const char* text);
// The parent's WM_DRAWITEM for the pane.
void draw_log_item(const DRAWITEMSTRUCT* item);
// The pane is gone (the main window is being destroyed): lines are dropped.
void forget_log_pane();
