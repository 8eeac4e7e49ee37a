// The CPU pane: the program's lines with their labels and comments and the
// selected one, scrolling, the context menu from the plug-ins' entries, the
// keys (the debugger's own, ':' and ';' among them, and the others offered to
// plug-ins), and the view record the plug-ins read.
#pragma once

#include <windows.h>
#include <stdint.h>

#include <vector>

#include "sandbox/app/sample_program.h"

void register_cpu_pane_class(HINSTANCE instance);
HWND create_cpu_pane(HWND parent, HFONT font, int row_height);

// Shows the program's lines, the row top first in view and the row selected
// chosen, with the labels and comments of the host's names table beside them;
// no lines: no program.
void show_program(const std::vector<CodeLine>& lines, size_t top = 0, size_t selected = 0);
// The row first in view and the selected row.
void shown_rows(size_t* top, size_t* selected);
bool program_is_open();
// The record the plug-ins get for the CPU disassembler.
void* disasm_view_record();
// A plug-in's go-to: selects the line at address, centred when out of view.
void go_to_code(uint32_t address);
// Draws the pane again with the names as they are now (its own moves do, and
// the host's Redrawdisassembler).
void redraw_cpu_pane();
// Where the pane and its rows are, and the rows in view as the pane shows
// them, for the window report.
void report_cpu_pane();
