#include "tests/bench/wine/window_profile.h"

#include <commctrl.h>

#include "sandbox/import_patch.h"

const char* const PLACE_NAMES[PLACE_COUNT] = {
    "elsewhere",
    "plug-in",
    "CreateDialogParamA",
    "ShowWindow",
    "MoveWindow",
    "BringWindowToTop",
    "InvalidateRect",
    "PostMessageA",
    "InitCommonControls",
    "SendMessageA LVM_SETITEMCOUNT",
    "SendMessageA LVM_SETITEMSTATE",
    "SendMessageA LVM_GETNEXTITEM",
    "SendMessageA LVM_GETSELECTEDCOUNT",
    "SendMessageA, other messages",
};

namespace {

// The place the thread is in is followed at every crossing; the clock is read
// only between start_profile and stop_profile.
int place = PLACE_ELSEWHERE;
bool running = false;
LONGLONG since = 0;
LONGLONG ticks[PLACE_COUNT];

LONGLONG now()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

// Moves to next, charging the time since the last crossing to the place left;
// returns that place.
int enter(int next)
{
    const int left = place;
    if (running) {
        const LONGLONG t = now();
        ticks[left] += t - since;
        since = t;
    }
    place = next;
    return left;
}

template <class Call>
auto timed(int at, Call call) -> decltype(call())
{
    const int outer = enter(at);
    auto result = call();
    enter(outer);
    return result;
}

int message_place(UINT message)
{
    switch (message) {
    case LVM_SETITEMCOUNT: return PLACE_SET_ITEM_COUNT;
    case LVM_SETITEMSTATE: return PLACE_SET_ITEM_STATE;
    case LVM_GETNEXTITEM: return PLACE_GET_NEXT_ITEM;
    case LVM_GETSELECTEDCOUNT: return PLACE_GET_SELECTED_COUNT;
    default: return PLACE_OTHER_MESSAGE;
    }
}

// The functions the imports pointed at before.
decltype(&CreateDialogParamA) real_create_dialog;
decltype(&ShowWindow) real_show_window;
decltype(&MoveWindow) real_move_window;
decltype(&BringWindowToTop) real_bring_to_top;
decltype(&InvalidateRect) real_invalidate;
decltype(&PostMessageA) real_post_message;
decltype(&InitCommonControls) real_init_common_controls;
decltype(&SendMessageA) real_send_message;

// The procedure of the window created through the wrapper: the bench has the
// plug-in create one window while the profile is installed.
DLGPROC plugin_procedure;

INT_PTR CALLBACK timed_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return timed(PLACE_PLUGIN, [&] { return plugin_procedure(window, message, wparam, lparam); });
}

HWND WINAPI timed_create_dialog(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC procedure, LPARAM param)
{
    plugin_procedure = procedure;
    return timed(PLACE_CREATE_DIALOG,
                 [&] { return real_create_dialog(instance, name, owner, timed_procedure, param); });
}

BOOL WINAPI timed_show_window(HWND window, int how)
{
    return timed(PLACE_SHOW_WINDOW, [&] { return real_show_window(window, how); });
}

BOOL WINAPI timed_move_window(HWND window, int x, int y, int width, int height, BOOL repaint)
{
    return timed(PLACE_MOVE_WINDOW, [&] { return real_move_window(window, x, y, width, height, repaint); });
}

BOOL WINAPI timed_bring_to_top(HWND window)
{
    return timed(PLACE_BRING_TO_TOP, [&] { return real_bring_to_top(window); });
}

BOOL WINAPI timed_invalidate(HWND window, const RECT* rect, BOOL erase)
{
    return timed(PLACE_INVALIDATE, [&] { return real_invalidate(window, rect, erase); });
}

BOOL WINAPI timed_post_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return timed(PLACE_POST_MESSAGE, [&] { return real_post_message(window, message, wparam, lparam); });
}

void WINAPI timed_init_common_controls()
{
    const int outer = enter(PLACE_INIT_COMMON_CONTROLS);
    real_init_common_controls();
    enter(outer);
}

LRESULT WINAPI timed_send_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return timed(message_place(message), [&] { return real_send_message(window, message, wparam, lparam); });
}

template <class Function>
bool hook(HMODULE plugin, const char* dll, const char* name, Function wrapper, Function& real)
{
    void* before = repoint_import(plugin, dll, name, reinterpret_cast<void*>(wrapper));
    // Installed twice, the import already holds the wrapper: keep the real one.
    if (before && before != reinterpret_cast<void*>(wrapper)) real = reinterpret_cast<Function>(before);
    return before != nullptr;
}

}  // namespace

bool install_window_profile(HMODULE plugin)
{
    const char* const user32 = "USER32.dll";
    bool all = hook(plugin, user32, "CreateDialogParamA", &timed_create_dialog, real_create_dialog);
    all &= hook(plugin, user32, "ShowWindow", &timed_show_window, real_show_window);
    all &= hook(plugin, user32, "MoveWindow", &timed_move_window, real_move_window);
    all &= hook(plugin, user32, "BringWindowToTop", &timed_bring_to_top, real_bring_to_top);
    all &= hook(plugin, user32, "InvalidateRect", &timed_invalidate, real_invalidate);
    all &= hook(plugin, user32, "PostMessageA", &timed_post_message, real_post_message);
    all &= hook(plugin, user32, "SendMessageA", &timed_send_message, real_send_message);
    all &= hook(plugin, "COMCTL32.DLL", "InitCommonControls", &timed_init_common_controls,
                real_init_common_controls);
    return all;
}

void start_profile()
{
    for (LONGLONG& t : ticks) t = 0;
    running = true;
    since = now();
}

void stop_profile(double spent[PLACE_COUNT])
{
    enter(place);  // charges the last stretch
    running = false;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    for (int p = 0; p < PLACE_COUNT; ++p) spent[p] = double(ticks[p]) * 1e6 / double(frequency.QuadPart);
}

PluginCall::PluginCall() : outer(enter(PLACE_PLUGIN)) {}

PluginCall::~PluginCall()
{
    enter(outer);
}
