#include "sandbox/app/owned_windows.h"

#include <vector>

namespace {

// Timer of the main window that raises its owned windows once, a moment
// after an activation, a click or a menu.
const UINT_PTR RAISE_TIMER = 1;
const UINT RAISE_DELAY_MS = 300;

struct OwnedSearch {
    HWND owner;
    std::vector<HWND> found;  // in the Windows order, the frontmost first
};

BOOL CALLBACK collect_if_owned(HWND window, LPARAM search)
{
    OwnedSearch* owned = reinterpret_cast<OwnedSearch*>(search);
    if (GetWindow(window, GW_OWNER) == owned->owner && IsWindowVisible(window)) owned->found.push_back(window);
    return TRUE;
}

}  // namespace

// Owned windows (the plug-ins' panels) stay in front of the main window, as a
// window manager keeps them. Wine without one raises the main window's X
// window when it is activated or clicked (its log, its menus), and does so
// when it handles the X focus events, after the messages of that gesture:
// the owned windows are raised again a moment later.
void raise_owned_windows_soon(HWND owner)
{
    SetTimer(owner, RAISE_TIMER, RAISE_DELAY_MS, nullptr);
}

bool raise_owned_windows_on_timer(HWND owner, WPARAM timer)
{
    if (timer != RAISE_TIMER) return false;
    KillTimer(owner, RAISE_TIMER);
    OwnedSearch owned = {owner, {}};
    EnumThreadWindows(GetCurrentThreadId(), collect_if_owned, reinterpret_cast<LPARAM>(&owned));
    // The rearmost first, so that each one raised lands above those before it
    // and they end in their own order. Raised frontmost first, a panel shown
    // again (Show/Hide) while the Bookmarks window was open stayed behind the
    // main window, out of reach of clicks. Already first in the Windows order, a plain move to the top
    // would change nothing and Wine would leave the X window where it is; a
    // step through the topmost band is a real change that restacks it.
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    for (size_t i = owned.found.size(); i-- > 0;) {
        SetWindowPos(owned.found[i], HWND_TOPMOST, 0, 0, 0, 0, flags);
        SetWindowPos(owned.found[i], HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    }
    return true;
}
