#include "core/bookmark_commands.h"

#include "core/bookmark_list.h"
#include "host/disasm_view.h"
#include "host/globals.h"
#include "host/host_api.h"
#include "ui/bookmarks_window.h"

uint32_t selected_line_address()
{
    const void* view = host_get_value(HOST_VALUE_CPU_DISASM);
    return view ? disasm_view_selected_address(view) : 0;
}

// Retitles the panel with the count; SetWindowTextA on a null window does nothing.
static void show_count_in_title()
{
    // "Korvan... (" + at most 10 digits + ")" + the terminating zero.
    char title[24];
    wsprintfA(title, "Korvan... (%02d)", int(bookmark_list.count()));
    SetWindowTextA(panel_window, title);
}

void toggle_bookmark(uint32_t address, bool allow_remove)
{
    switch (bookmark_list.toggle(address, allow_remove)) {
    case TOGGLE_ADDED:
        host_notice("Bookmark added Successfully");
        host_log(address, -1, "Korvantis: Bookmark added to line %X", address);
        bookmarks_changed();
        break;
    case TOGGLE_REMOVED:
        host_notice("Bookmark deleted!");
        host_log(address, -1, "Korvantis: Bookmark deleted from line %X", address);
        bookmarks_changed();
        break;
    case TOGGLE_ALREADY_PRESENT:
        break;
    case TOGGLE_OUT_OF_MEMORY:
        // Nothing was stored, so nothing may read as added.
        host_log(address, 1, "Korvantis: Out of memory, bookmark not added to line %X", address);
        MessageBeep(0);
        break;
    }
    show_count_in_title();
}

static void go_to_or_complain(uint32_t target, const char* complaint)
{
    if (target) {
        host_goto_code(0, target, 0, 0, 13);
    } else {
        host_notice(complaint);
        MessageBeep(0);
    }
}

void navigate_previous(uint32_t address)
{
    go_to_or_complain(bookmark_list.previous_before(address),
                      "No bookmarks!, try to search forward, >.");
}

void navigate_next(uint32_t address)
{
    go_to_or_complain(bookmark_list.next_after(address),
                      "No bookmarks!, try to search backward, <.");
}

void clear_bookmarks()
{
    bookmark_list.clear();
    SetWindowTextA(panel_window, PLUGIN_NAME);
    bookmarks_changed();
}
