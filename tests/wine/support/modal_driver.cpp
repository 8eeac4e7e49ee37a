#include "tests/wine/support/modal_driver.h"

namespace {

const UINT TICK_MS = 40;
const int TICKS_AFTER_LAST_STEP = 75;  // about 3 s for the window to close itself

struct Driver {
    const std::function<HWND()>* find;
    const std::vector<ModalStep>* steps;
    ModalRun run;
    int ticks = 0;
    bool busy = false;
};

Driver* active_driver = nullptr;

void CALLBACK on_tick(HWND, UINT, UINT_PTR, DWORD)
{
    Driver* driver = active_driver;
    if (!driver || driver->busy) return;
    driver->busy = true;
    ++driver->ticks;
    if (!driver->run.window) {
        driver->run.window = (*driver->find)();
        if (driver->run.window) driver->ticks = 0;
    } else if (driver->run.steps_run < driver->steps->size()) {
        if (IsWindow(driver->run.window)) {
            (*driver->steps)[driver->run.steps_run++](driver->run.window);
            driver->ticks = 0;
        }
    } else if (driver->ticks > TICKS_AFTER_LAST_STEP && IsWindow(driver->run.window) &&
               !driver->run.forced) {
        driver->run.forced = true;
        EndDialog(driver->run.window, 0);
    }
    driver->busy = false;
}

struct Search {
    HWND owner;
    const char* caption;
    HWND except;
    HWND found;
};

BOOL CALLBACK match_dialog(HWND window, LPARAM lparam)
{
    Search* search = reinterpret_cast<Search*>(lparam);
    char class_name[16] = {};
    GetClassNameA(window, class_name, sizeof class_name);
    if (window != search->except && GetWindow(window, GW_OWNER) == search->owner &&
        lstrcmpA(class_name, "#32770") == 0 && window_text(window) == search->caption) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

const char SPY_LIST[] = "CommandSpy.ids";
const char SPY_NEXT[] = "CommandSpy.next";

LRESULT CALLBACK command_spy(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    WNDPROC next = reinterpret_cast<WNDPROC>(GetPropA(window, SPY_NEXT));
    if (message == WM_COMMAND) {
        if (auto* ids = static_cast<std::vector<int>*>(GetPropA(window, SPY_LIST))) {
            ids->push_back(LOWORD(wparam));
        }
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(next));
        RemovePropA(window, SPY_LIST);
        RemovePropA(window, SPY_NEXT);
    }
    return CallWindowProcA(next, window, message, wparam, lparam);
}

}  // namespace

ModalRun drive_modal(const std::function<void()>& open, const std::function<HWND()>& find,
                     const std::vector<ModalStep>& steps)
{
    Driver driver;
    driver.find = &find;
    driver.steps = &steps;
    active_driver = &driver;
    const UINT_PTR timer = SetTimer(nullptr, 0, TICK_MS, on_tick);
    open();
    KillTimer(nullptr, timer);
    active_driver = nullptr;
    return driver.run;
}

HWND find_owned_dialog(HWND owner, const char* caption, HWND except)
{
    Search search = {owner, caption, except, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), match_dialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void spy_on_commands(HWND dialog, std::vector<int>* ids)
{
    SetPropA(dialog, SPY_LIST, ids);
    SetPropA(dialog, SPY_NEXT, reinterpret_cast<HANDLE>(GetWindowLongPtrA(dialog, GWLP_WNDPROC)));
    SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(command_spy));
}

std::string window_text(HWND window)
{
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}
