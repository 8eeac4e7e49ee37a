#include "sandbox/app/log_pane.h"

#include <stdio.h>
#include <string.h>

namespace {

HWND log_pane = nullptr;
HFONT log_font = nullptr;

}  // namespace

HWND create_log_pane(HWND parent, HFONT font, int row_height)
{
    log_font = font;
    log_pane = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "Log",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED |
                                   LBS_HASSTRINGS | LBS_NOSEL,
                               0, 0, 10, 10, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(log_pane, LB_SETITEMHEIGHT, 0, row_height);
    return log_pane;
}

void forget_log_pane()
{
    log_pane = nullptr;
}

void show_log_line(uint32_t address, int emphasis, const char* text)
{
    if (!log_pane) return;
    char line[1100];  // an address column and the longest host log line (1024)
    if (address) {
        snprintf(line, sizeof line, "%08X  %s", address, text);
    } else {
        snprintf(line, sizeof line, "          %s", text);
    }
    const LRESULT index = SendMessageA(log_pane, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    if (index >= 0) {
        SendMessageA(log_pane, LB_SETITEMDATA, WPARAM(index), LPARAM(emphasis));
        SendMessageA(log_pane, LB_SETTOPINDEX, WPARAM(index), 0);
    }
}

void draw_log_item(const DRAWITEMSTRUCT* item)
{
    if (item->itemID == UINT(-1)) return;
    char text[1100];  // an address column and the longest host log line (1024)
    text[0] = 0;
    if (SendMessageA(log_pane, LB_GETTEXTLEN, item->itemID, 0) < LRESULT(sizeof text)) {
        SendMessageA(log_pane, LB_GETTEXT, item->itemID, reinterpret_cast<LPARAM>(text));
    }
    // Emphasis as the debugger shows it: 1 highlighted (red), -1 lowlighted (grey).
    const int emphasis = int(item->itemData);
    const COLORREF color = emphasis > 0 ? RGB(200, 0, 0) : emphasis < 0 ? RGB(110, 110, 110) : RGB(0, 0, 0);
    SetBkColor(item->hDC, GetSysColor(COLOR_WINDOW));
    SetTextColor(item->hDC, color);
    HGDIOBJ old_font = SelectObject(item->hDC, log_font);
    ExtTextOutA(item->hDC, item->rcItem.left + 4, item->rcItem.top, ETO_OPAQUE, &item->rcItem, text,
                UINT(strlen(text)), nullptr);
    SelectObject(item->hDC, old_font);
}
