#include "ui/panel.h"

#include "core/bookmark_commands.h"
#include "host/disasm_view.h"
#include "host/globals.h"
#include "host/host_api.h"
#include "persistence/settings_keys.h"
#include "resources/resource.h"
#include "ui/on_screen.h"

HWND create_panel(HWND owner)
{
    return CreateDialogParamA(module_instance, MAKEINTRESOURCEA(IDD_PANEL), owner,
                              panel_procedure, 0);
}

static void on_button(WORD id)
{
    // The view is fetched whichever control sent the command.
    const void* view = host_get_value(HOST_VALUE_CPU_DISASM);
    const uint32_t address = view ? disasm_view_selected_address(view) : 0;
    switch (id) {
    case IDC_PANEL_PREVIOUS:
        if (address) navigate_previous(address);
        break;
    case IDC_PANEL_NEXT:
        if (address) navigate_next(address);
        break;
    case IDC_PANEL_TOGGLE:
        if (address) {
            toggle_bookmark(address, true);
        } else {
            MessageBeep(0);
        }
        break;
    }
}

INT_PTR CALLBACK panel_procedure(HWND window, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowTextA(window, PLUGIN_NAME);
        return 1;
    case WM_CLOSE:
        save_panel_position();
        // For a modeless dialog this only hides it; Show/Hide brings it back.
        EndDialog(window, 0);
        return 1;
    case WM_NCACTIVATE:
        // Answering 1 on activation skips the default processing, so the
        // caption is not repainted in its active colours and keeps the look it
        // had; on deactivation the default processing paints it inactive.
        return wparam ? 1 : 0;
    case WM_COMMAND:
        on_button(LOWORD(wparam));
        return 1;
    }
    return 0;
}

void save_panel_position()
{
    RECT rect;
    if (!GetWindowRect(panel_window, &rect)) {
        // No panel: write back what is stored rather than an unset rectangle.
        rect.top = host_read_int(module_instance, KEY_TOP, 0);
        rect.left = host_read_int(module_instance, KEY_LEFT, 0);
    }
    host_write_int(module_instance, KEY_TOP, rect.top);
    host_write_int(module_instance, KEY_LEFT, rect.left);
}

void restore_panel_position()
{
    RECT rect = {0, 0, 0, 0};  // stays empty when there is no panel; MoveWindow then fails harmlessly
    GetWindowRect(panel_window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    rect.top = host_read_int(module_instance, KEY_TOP, 0);
    rect.left = host_read_int(module_instance, KEY_LEFT, 0);
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    // A place no screen shows any more gives way to one the user can reach;
    // the next save stores where the panel really is.
    keep_title_bar_on_screen(rect, title_bar_height(panel_window));
    MoveWindow(panel_window, rect.left, rect.top, width, height, 1);
}
