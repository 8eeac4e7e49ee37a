// A line's names in the CPU pane: the row's text with the label and comment
// columns beside the code, and ':' / ';' asking for the selected line's label
// or comment. The names are the host's names table, which host_find_name
// answers from.
#pragma once

#include <windows.h>
#include <stdint.h>

#include <string>

#include "sandbox/app/sample_program.h"

// What a row shows with the given names: address, label, bytes,
// instruction, and the user's comment, or the analysis' own comment where the
// user has none.
std::string row_text(const CodeLine& line, const NameTable& names);

// Asks for the label or comment (type) of address in a small box over pane,
// the current one filled in. True with the text in *text when confirmed
// (empty: remove the name), false when left with Esc.
bool ask_name(HWND pane, uint32_t address, int type, std::string* text);
// Gives address the name, or takes it away for an empty text.
void store_name(uint32_t address, int type, const std::string& text);
// A trace line for each name a plug-in gave through the host since the last
// call, in the order given, so that the trace shows each beside what came
// before and after it (the repaint that shows it).
void trace_names_given();
