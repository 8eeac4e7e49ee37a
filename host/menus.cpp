#include "host/menus.h"

#include "core/bookmark_commands.h"
#include "core/bookmark_list.h"
#include "host/disasm_view.h"
#include "host/globals.h"
#include "host/host_api.h"
#include "persistence/settings_keys.h"
#include "ui/bookmarks_window.h"
#include "ui/settings_dialog.h"

namespace {

enum MainMenuAction { ACTION_SHOW_HIDE, ACTION_CLEAR, ACTION_SETTINGS, ACTION_ABOUT, ACTION_BOOKMARK_LIST };
const int ACTION_TOGGLE_BOOKMARK = 0;  // the one entry of the disassembler's menu

// The main menu's description, the longest text handed to the host. The
// items are listed in the order shown; no item text may hold a comma, where
// the debugger would end it.
const char MAIN_MENU_DESCRIPTION[] = "0 Show/Hide | 4 Bookmark list | 1 Clear Bookmarks | 2 Settings | 3 " PLUGIN_NAME
                                     " v" PLUGIN_VERSION;
// The context-menu entry: "0 Toggle Bookmark \t", the sign, eight digits in
// brackets and the zero.
const int CONTEXT_ENTRY_SIZE = 31;

int setting(const char* key)
{
    return host_read_int(module_instance, key, 0);
}

void show_or_hide_panel()
{
    ShowWindow(panel_window, IsWindowVisible(panel_window) ? SW_HIDE : SW_SHOWNORMAL);
}

void show_about_box()
{
    // Four short lines: the name line, the credit, an empty line and the build
    // stamp come to well under 128 characters.
    char text[128];
    wsprintfA(text, "%s plugin v%s\n%s\n\nCompiled %s %s", PLUGIN_NAME, PLUGIN_VERSION,
              "By " PLUGIN_CREDIT, __DATE__, __TIME__);
    MessageBoxA(host_main_window, text, PLUGIN_NAME, MB_ICONINFORMATION);
}

// The debugger takes its alt flag from the key message, and a key pressed
// with Ctrl+Alt (AltGr too) comes as a plain key-down: it passes ctrl 1 and
// alt 0 while Alt is held. Only then is the thread's key state asked (a round
// trip to the system that a plain key does not need); a key without Ctrl
// comes with Alt as it is.
int alt_as_pressed(int alt, int ctrl)
{
    return alt == 0 && ctrl == 1 && GetKeyState(VK_MENU) < 0 ? 1 : alt;
}

// The first binding, in the order toggle, previous, next, list, whose key and
// modifiers all equal what was pressed, or HOTKEY_COUNT. Each stored value is
// read when it is compared, and a binding's reads stop at its first mismatch.
HotkeyId binding_for(int key, int alt, int shift, int ctrl)
{
    bool alt_known = false;
    for (int id = 0; id < HOTKEY_COUNT; ++id) {
        const HotkeyKeys& keys = HOTKEY_KEYS[id];
        if (key != setting(keys.key)) continue;
        if (!alt_known) {
            alt = alt_as_pressed(alt, ctrl);
            alt_known = true;
        }
        if (alt == setting(keys.alt) && shift == setting(keys.shift) && ctrl == setting(keys.ctrl)) {
            return HotkeyId(id);
        }
    }
    return HOTKEY_COUNT;
}

}  // namespace

int plugin_menu(int origin, char* text_buffer, const void* item)
{
    // Every description passes through this buffer, sized for the longest, so
    // that a longer text cannot overrun the stack.
    char text[sizeof MAIN_MENU_DESCRIPTION];
    static_assert(CONTEXT_ENTRY_SIZE <= sizeof text, "the context-menu entry outgrows the menu buffer");
    if (origin == ORIGIN_MAIN_MENU) {
        lstrcpyA(text, MAIN_MENU_DESCRIPTION);
    } else if (origin == ORIGIN_CPU_DISASM) {
        if (!host_read_int(module_instance, KEY_SHOW_TOGGLE_BOOKMARK, 1)) return 0;
        if (!item || !disasm_view_active(item)) return 0;
        const uint32_t address = disasm_view_selected_address(item);
        wsprintfA(text, "0 Toggle Bookmark \t%C[%08X]", bookmark_list.contains(address) ? '-' : '+',
                  address);
    } else {
        return 0;
    }
    lstrcpyA(text_buffer, text);
    return 1;
}

void plugin_action(int origin, int action, const void*)
{
    if (origin == ORIGIN_MAIN_MENU) {
        switch (action) {
        case ACTION_SHOW_HIDE: show_or_hide_panel(); break;
        case ACTION_CLEAR: clear_bookmarks(); break;
        case ACTION_SETTINGS: run_settings_dialog(); break;
        case ACTION_ABOUT: show_about_box(); break;
        case ACTION_BOOKMARK_LIST: open_bookmarks_window(); break;
        }
    } else if (origin == ORIGIN_CPU_DISASM && action == ACTION_TOGGLE_BOOKMARK) {
        // The item is not trusted for the address: the view is asked afresh.
        const uint32_t address = selected_line_address();
        if (address) {
            toggle_bookmark(address, true);
        } else {
            MessageBeep(0);
        }
    }
}

int plugin_shortcut(int origin, int ctrl, int alt, int shift, int key)
{
    if (origin != ORIGIN_CPU_DISASM) return 0;
    const void* view = host_get_value(HOST_VALUE_CPU_DISASM);  // before any key test
    const HotkeyId id = binding_for(key, alt, shift, ctrl);
    if (id == HOTKEY_COUNT) return 0;

    const uint32_t address = view ? disasm_view_selected_address(view) : 0;
    switch (id) {
    case HOTKEY_TOGGLE:
        if (address) {
            toggle_bookmark(address, true);
        } else {
            MessageBeep(0);
        }
        return 1;
    case HOTKEY_PREVIOUS:
        if (!address) return 0;
        navigate_previous(address);
        return 1;
    case HOTKEY_NEXT:
        if (!address) return 0;
        navigate_next(address);
        return 1;
    case HOTKEY_LIST:
        // Needs no selected line: the window lists every bookmark.
        open_bookmarks_window();
        return 1;
    case HOTKEY_COUNT:
        break;
    }
    return 0;
}
