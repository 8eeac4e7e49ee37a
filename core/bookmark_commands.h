// What the user's gestures do to the bookmarks, with their feedback: notices,
// log lines, beeps, moves of the CPU window and the panel's title.
#pragma once

#include <stdint.h>

// The selected disassembler line's address, or 0 when there is none.
uint32_t selected_line_address();
void toggle_bookmark(uint32_t address, bool allow_remove);
void navigate_previous(uint32_t address);
void navigate_next(uint32_t address);
void clear_bookmarks();
