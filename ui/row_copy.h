// Bookmarks copied from the Bookmarks window to the clipboard as text.
#pragma once

#include <windows.h>

#include <stdint.h>

// Puts one line per bookmark on the clipboard, in the order given: the
// address, the label and the comment, tab-separated, each name whole. False
// when nothing was put there: none given, no memory left or the clipboard busy.
bool copy_rows(HWND owner, const uint32_t* addresses, int count);
