// What the Bookmarks window remembers in the host's settings: its place and
// size, its columns' widths and the order of its rows.
#pragma once

#include <windows.h>

#include "ui/bookmark_rows.h"

// Writes the window's place and size, the widths of the list's columns and the order.
void save_list_place(HWND window, HWND list, RowOrder order);
// Puts the new window where it was last, or leaves it where the template
// places it when nothing is stored; a place no screen shows gives way, and a
// size below 120 by 80 is taken as damaged.
void restore_list_place(HWND window);
// A hidden window is checked again when it comes back: a screen may have
// gone or changed while it was away.
void bring_list_back_on_screen(HWND window);
// The stored width of a column, or the given one when none or a damaged one is stored.
int stored_column_width(int column, int width);
// The stored order; ascending address when none or a damaged one is stored.
RowOrder stored_order();
