#include "ui/on_screen.h"

namespace {

// MonitorFromRect and GetMonitorInfoA came with Windows 98 and 2000; the
// debugger also runs on Windows 95 and NT 4, where importing them would keep
// the module from loading. They are looked up at run time instead, and
// without them the primary screen is the one screen there is.
typedef HMONITOR(WINAPI* MonitorFromRectFunction)(LPCRECT rect, DWORD flags);
typedef BOOL(WINAPI* GetMonitorInfoFunction)(HMONITOR monitor, LPMONITORINFO info);

FARPROC user32_function(const char* name)
{
    const HMODULE user32 = GetModuleHandleA("USER32.dll");
    return user32 ? GetProcAddress(user32, name) : nullptr;
}

// A FARPROC becomes the function's own type through the generic function
// pointer type, which casts to any other without a warning.
template <typename Function>
Function as_function(FARPROC address)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

bool overlaps(const RECT& a, const RECT& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Whether any part of area lies on a screen; when not, the work area of the
// monitor nearest to it.
bool on_a_screen(const RECT& area, RECT& nearest_work_area)
{
    const auto monitor_from_rect = as_function<MonitorFromRectFunction>(user32_function("MonitorFromRect"));
    const auto get_monitor_info = as_function<GetMonitorInfoFunction>(user32_function("GetMonitorInfoA"));
    if (monitor_from_rect && get_monitor_info) {
        if (monitor_from_rect(&area, MONITOR_DEFAULTTONULL)) return true;
        MONITORINFO info;
        info.cbSize = sizeof info;
        if (get_monitor_info(monitor_from_rect(&area, MONITOR_DEFAULTTONEAREST), &info)) {
            nearest_work_area = info.rcWork;
            return false;
        }
    }
    const RECT primary = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    nearest_work_area = primary;
    return overlaps(area, primary);
}

// Where a window of the given extent starts so that it lies inside [low, high),
// as near to start as it can; a window larger than the range starts at low.
LONG clamp_start(LONG start, LONG extent, LONG low, LONG high)
{
    if (start > high - extent) start = high - extent;
    return start < low ? low : start;
}

}  // namespace

void keep_title_bar_on_screen(RECT& rect, int height)
{
    const RECT title_bar = {rect.left, rect.top, rect.right, rect.top + (height > 0 ? height : 1)};
    RECT work;
    if (on_a_screen(title_bar, work)) return;
    const LONG width = rect.right - rect.left, full_height = rect.bottom - rect.top;
    rect.left = clamp_start(rect.left, width, work.left, work.right);
    rect.top = clamp_start(rect.top, full_height, work.top, work.bottom);
    rect.right = rect.left + width;
    rect.bottom = rect.top + full_height;
}

int title_bar_height(HWND window)
{
    RECT frame;
    POINT client = {0, 0};
    if (!GetWindowRect(window, &frame) || !ClientToScreen(window, &client)) return 0;
    return client.y - frame.top;
}
