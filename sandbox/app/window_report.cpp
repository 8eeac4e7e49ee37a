#include "sandbox/app/window_report.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "sandbox/app/cpu_pane.h"
#include "sandbox/app/trace.h"

namespace {

// One column's entry in a report line: its width and the text shown in it.
std::string column_entry(HWND list, int column, const char* text)
{
    const int width = int(SendMessageA(list, LVM_GETCOLUMNWIDTH, WPARAM(column), 0));
    return " " + std::to_string(width) + " \"" + text + "\"";
}

// A report list view's headings, and its visible rows as the list shows them: each row's place
// on the screen and its cells' texts, read through the list itself (an
// owner-data list asks its owner for them), for the gesture tests to click
// and read.
void report_list_rows(HWND list)
{
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    const int columns = header ? int(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    // The headings as drawn, a sort mark in one of them, with their widths.
    std::string headings;
    for (int column = 0; column < columns; ++column) {
        char text[64] = {};  // the headings are single words
        HDITEMA item = {};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(header, HDM_GETITEMA, WPARAM(column), LPARAM(&item));
        headings += column_entry(list, column, text);
    }
    trace("headings of %p%s", static_cast<void*>(list), headings.c_str());
    const int first = int(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
    const int shown = int(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0)) + 1;
    const int count = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = first; row < count && row < first + shown; ++row) {
        RECT rect = {LVIR_BOUNDS, 0, 0, 0};
        SendMessageA(list, LVM_GETITEMRECT, WPARAM(row), LPARAM(&rect));
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        std::string line;
        for (int column = 0; column < columns; ++column) {
            char cell[260] = {};  // a cell's text is cut at 259 characters
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = cell;
            item.cchTextMax = sizeof cell;
            SendMessageA(list, LVM_GETITEMTEXTA, WPARAM(row), LPARAM(&item));
            line += column_entry(list, column, cell);
        }
        trace("row %d of %p rect %ld %ld %ld %ld cells%s", row, static_cast<void*>(list), rect.left, rect.top,
              rect.right, rect.bottom, line.c_str());
    }
}

BOOL CALLBACK report_child(HWND child, LPARAM)
{
    RECT rect;
    GetWindowRect(child, &rect);
    char text[64] = {};  // the buttons' and labels' texts are short
    char class_name[64] = {};
    GetWindowTextA(child, text, sizeof text);
    GetClassNameA(child, class_name, sizeof class_name);
    trace("child %p parent %p id %d class %s \"%s\" rect %ld %ld %ld %ld", static_cast<void*>(child),
          static_cast<void*>(GetParent(child)), GetDlgCtrlID(child), class_name, text, rect.left, rect.top,
          rect.right, rect.bottom);
    if (lstrcmpA(class_name, WC_LISTVIEWA) == 0) report_list_rows(child);
    return TRUE;
}

BOOL CALLBACK report_top(HWND window, LPARAM)
{
    RECT rect, client;
    GetWindowRect(window, &rect);
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    char text[128] = {};  // captions here are short
    char class_name[64] = {};
    GetWindowTextA(window, text, sizeof text);
    GetClassNameA(window, class_name, sizeof class_name);
    // Where the close box is, found the way the system finds it: by hit-testing the caption.
    POINT close_box = {-1, -1};
    for (int y = rect.top; y < origin.y && close_box.x < 0; y += 2) {
        for (int x = rect.right - 1; x > rect.right - 40 && x > rect.left; x -= 2) {
            if (SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
                close_box = {x - 4, y + 4};
                break;
            }
        }
    }
    trace("window %p class %s \"%s\" visible %d rect %ld %ld %ld %ld client %ld %ld %ld %ld close %ld %ld",
          static_cast<void*>(window), class_name, text, IsWindowVisible(window) ? 1 : 0, rect.left, rect.top,
          rect.right, rect.bottom, origin.x, origin.y, origin.x + client.right, origin.y + client.bottom, close_box.x,
          close_box.y);
    if (lstrcmpA(class_name, "#32770") == 0) EnumChildWindows(window, report_child, 0);
    return TRUE;
}

}  // namespace

void report_windows()
{
    report_cpu_pane();
    EnumThreadWindows(GetCurrentThreadId(), report_top, 0);
}
