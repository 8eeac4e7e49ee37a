// The small dialog of the Bookmarks window that asks for a line's label or
// comment, as ':' and ';' do in the debugger's CPU window.
#pragma once

#include <windows.h>

#include <stdint.h>

// Asks for the name of the given type (NAME_LABEL, NAME_COMMENT) at address,
// the field holding the current one. OK gives the debugger the text (an empty
// one removes the name) and has it repaint its CPU window; Cancel changes
// nothing. True when a name was given.
bool edit_name(HWND owner, uint32_t address, int type);
