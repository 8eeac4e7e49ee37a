#include "ui/list_place.h"

#include <commctrl.h>

#include "host/globals.h"
#include "host/host_api.h"
#include "persistence/settings_keys.h"
#include "ui/on_screen.h"

namespace {

const char* const WIDTH_KEYS[ROW_COLUMN_COUNT] = {KEY_LIST_WIDTH_ADDRESS, KEY_LIST_WIDTH_MODULE,
                                                  KEY_LIST_WIDTH_LABEL, KEY_LIST_WIDTH_COMMENT};
// A stored column width outside 0 to this is taken as damaged.
const int MAX_COLUMN_WIDTH = 4096;
// The smallest place worth restoring.
const int MIN_WIDTH = 120, MIN_HEIGHT = 80;

}  // namespace

void save_list_place(HWND window, HWND list, RowOrder order)
{
    RECT rect;
    if (!GetWindowRect(window, &rect)) return;
    host_write_int(module_instance, KEY_LIST_LEFT, rect.left);
    host_write_int(module_instance, KEY_LIST_TOP, rect.top);
    host_write_int(module_instance, KEY_LIST_WIDTH, rect.right - rect.left);
    host_write_int(module_instance, KEY_LIST_HEIGHT, rect.bottom - rect.top);
    for (int column = 0; column < ROW_COLUMN_COUNT; ++column) {
        host_write_int(module_instance, WIDTH_KEYS[column], int(SendMessageA(list, LVM_GETCOLUMNWIDTH, WPARAM(column), 0)));
    }
    host_write_int(module_instance, KEY_LIST_SORT, order_setting(order));
}

void restore_list_place(HWND window)
{
    RECT rect;
    if (!GetWindowRect(window, &rect)) return;
    const int left = host_read_int(module_instance, KEY_LIST_LEFT, rect.left);
    const int top = host_read_int(module_instance, KEY_LIST_TOP, rect.top);
    int width = host_read_int(module_instance, KEY_LIST_WIDTH, rect.right - rect.left);
    int height = host_read_int(module_instance, KEY_LIST_HEIGHT, rect.bottom - rect.top);
    if (width < MIN_WIDTH || height < MIN_HEIGHT) {
        width = rect.right - rect.left;
        height = rect.bottom - rect.top;
    }
    RECT place = {left, top, left + width, top + height};
    keep_title_bar_on_screen(place, title_bar_height(window));
    MoveWindow(window, place.left, place.top, width, height, 1);
}

void bring_list_back_on_screen(HWND window)
{
    RECT place;
    if (!GetWindowRect(window, &place)) return;
    const RECT before = place;
    keep_title_bar_on_screen(place, title_bar_height(window));
    if (place.left == before.left && place.top == before.top) return;
    MoveWindow(window, place.left, place.top, place.right - place.left, place.bottom - place.top, 1);
}

int stored_column_width(int column, int width)
{
    const int stored = host_read_int(module_instance, WIDTH_KEYS[column], width);
    return stored < 0 || stored > MAX_COLUMN_WIDTH ? width : stored;
}

RowOrder stored_order()
{
    return order_from_setting(host_read_int(module_instance, KEY_LIST_SORT, 0));
}
