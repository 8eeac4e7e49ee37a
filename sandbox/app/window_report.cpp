#include "sandbox/app/window_report.h"

#include <windows.h>

#include "sandbox/app/cpu_pane.h"
#include "sandbox/app/trace.h"

namespace {

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
