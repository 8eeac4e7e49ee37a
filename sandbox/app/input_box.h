// A small modal box that asks for one line of text, as the debugger asks for
// a line's label or comment: a prompt, an edit field holding the current text
// (selected, so typing replaces it), OK and Cancel. Enter confirms, Esc and
// the close box cancel.
#pragma once

#include <windows.h>

#include <string>

// Shows the box centred over the window `over` (the owner or one of its
// panes), with title and prompt, and *text as the field's first content. True
// when confirmed, with the field's whole text (any length) in *text; false
// leaves *text as it was.
bool ask_text(HWND owner, HWND over, const char* title, const char* prompt, std::string* text);
