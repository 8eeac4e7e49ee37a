#include "ui/bookmarks_window.h"

#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

#include "core/bookmark_commands.h"
#include "core/bookmark_list.h"
#include "host/globals.h"
#include "host/host_api.h"
#include "persistence/settings_keys.h"
#include "resources/resource.h"
#include "ui/on_screen.h"

namespace {

// Posted when the list changed; one is on its way at a time.
const UINT MESSAGE_REFRESH = WM_APP + 1;

enum Column { COLUMN_ADDRESS, COLUMN_LABEL, COLUMN_COMMENT, COLUMN_COUNT };

struct ColumnHeading {
    const char* text;
    int width;  // pixels
};

const ColumnHeading COLUMNS[COLUMN_COUNT] = {{"Address", 80}, {"Label", 150}, {"Comment", 280}};
// The name type behind each column, 0 for the address.
const int COLUMN_NAME_TYPE[COLUMN_COUNT] = {0, NAME_LABEL, NAME_COMMENT};

// A cell shows at most this many characters of a name; a longer one is cut
// and ends in "..." so that the cut shows.
const int CELL_CHARACTERS = 259;

// Commands of the right-click menu, the same as the keys.
enum Command { COMMAND_GO_TO = 1, COMMAND_DELETE, COMMAND_COPY };

// The smallest place worth restoring: a stored size below it is taken as damaged.
const int MIN_WIDTH = 120, MIN_HEIGHT = 80;

HWND list_window;        // the Bookmarks window, once opened; null after it is destroyed
bool open_now;           // shown by the user and not hidden since
bool refresh_pending;    // a MESSAGE_REFRESH is posted and not yet handled

// The addresses the list view shows, ascending, one per row: a copy of the
// bookmark list taken at the last refresh, so that a row is found by index.
uint32_t* rows;
int row_count;

HWND list_view()
{
    return GetDlgItem(list_window, IDC_BOOKMARK_LIST);
}

LRESULT send_list(UINT message, WPARAM wparam, LPARAM lparam)
{
    return SendMessageA(list_view(), message, wparam, lparam);
}

// The next row after index (-1: from the start) with all the given state flags, or -1.
int next_row(int index, UINT flags)
{
    return int(send_list(LVM_GETNEXTITEM, WPARAM(index), MAKELPARAM(flags, 0)));
}

void set_row_state(int index, UINT state, UINT mask)
{
    LVITEMA item;
    item.stateMask = mask;
    item.state = state;
    send_list(LVM_SETITEMSTATE, WPARAM(index), LPARAM(&item));
}

// The row showing address, or -1.
int row_of(uint32_t address)
{
    int low = 0, high = row_count;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (rows[middle] < address) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low < row_count && rows[low] == address ? low : -1;
}

// One selected row and the bookmark it shows.
struct Selected {
    int row;
    uint32_t address;
};

// The selected rows, ascending, in a heap block the caller frees; null with
// count 0 when none is selected (or no memory is left).
Selected* selected_rows(int& count)
{
    count = 0;
    const int selected = int(send_list(LVM_GETSELECTEDCOUNT, 0, 0));
    if (selected <= 0) return nullptr;
    Selected* chosen = static_cast<Selected*>(malloc(size_t(selected) * sizeof(Selected)));
    if (!chosen) return nullptr;
    for (int index = next_row(-1, LVNI_SELECTED); index >= 0 && count < selected;
         index = next_row(index, LVNI_SELECTED)) {
        if (index < row_count) chosen[count++] = {index, rows[index]};
    }
    return chosen;
}

// Takes a fresh copy of the bookmark list; when no memory is left, no row
// is shown.
void copy_bookmarks()
{
    int count = 0;
    for (const BookmarkNode* node = bookmark_list.first(); node; node = node->next) ++count;
    free(rows);
    rows = count ? static_cast<uint32_t*>(malloc(size_t(count) * sizeof(uint32_t))) : nullptr;
    row_count = 0;
    if (!rows) return;
    for (const BookmarkNode* node = bookmark_list.first(); node; node = node->next) rows[row_count++] = node->address;
}

// Shows the list as it is now, keeping the selection and the focus on the
// same bookmarks wherever their rows moved. Only the rows whose state changes
// are touched: clearing a state on every row costs a call per row.
void refresh()
{
    refresh_pending = false;
    int selected_count = 0;
    Selected* selected = selected_rows(selected_count);
    const int focus = next_row(-1, LVNI_FOCUSED);
    const bool had_focus = focus >= 0 && focus < row_count;
    const uint32_t focused = had_focus ? rows[focus] : 0;

    copy_bookmarks();
    send_list(LVM_SETITEMCOUNT, WPARAM(row_count), LVSICF_NOSCROLL);
    for (int i = 0; i < selected_count; ++i) {
        if (selected[i].row < row_count) set_row_state(selected[i].row, 0, LVIS_SELECTED);
    }
    if (had_focus && focus < row_count) set_row_state(focus, 0, LVIS_FOCUSED);
    for (int i = 0; i < selected_count; ++i) {
        const int index = row_of(selected[i].address);
        if (index >= 0) set_row_state(index, LVIS_SELECTED, LVIS_SELECTED);
    }
    free(selected);
    if (had_focus) {
        const int index = row_of(focused);
        if (index >= 0) set_row_state(index, LVIS_FOCUSED, LVIS_FOCUSED);
    }

    // "Bookmarks (" + at most 10 digits + ")" and the zero.
    char title[24];
    wsprintfA(title, "Bookmarks (%d)", row_count);
    SetWindowTextA(list_window, title);
    InvalidateRect(list_view(), nullptr, FALSE);
}

// The name of the given type the debugger keeps for address, in a heap
// block the caller frees, or null when there is none. The host writes a name
// whole, with no size given, so its length is asked first and the block
// made to fit.
char* read_name(uint32_t address, int type, int& length)
{
    length = 0;
    const int needed = host_find_name(address, type, nullptr);
    if (needed <= 0) return nullptr;
    char* name = static_cast<char*>(malloc(size_t(needed) + 1));
    if (!name) return nullptr;
    name[0] = 0;
    const int written = host_find_name(address, type, name);
    name[needed] = 0;
    length = written < 0 ? 0 : written < needed ? written : needed;
    return name;
}

// Copies text into a cell of size bytes, cut to what fits (at most
// CELL_CHARACTERS) with "..." at the end of a cut text.
void put_cell(char* cell, int size, const char* text, int length)
{
    int room = size - 1;
    if (room > CELL_CHARACTERS) room = CELL_CHARACTERS;
    if (room < 0) return;
    if (length <= room) {
        memcpy(cell, text, size_t(length));
        cell[length] = 0;
        return;
    }
    const int kept = room >= 3 ? room - 3 : 0;
    memcpy(cell, text, size_t(kept));
    memcpy(cell + kept, "...", size_t(room - kept));
    cell[room] = 0;
}

void cell_text(int row, int column, char* cell, int size)
{
    if (size <= 0) return;
    cell[0] = 0;
    if (row < 0 || row >= row_count || column < 0 || column >= COLUMN_COUNT) return;
    const uint32_t address = rows[row];
    if (column == COLUMN_ADDRESS) {
        char digits[9];  // eight hexadecimal digits and the zero
        wsprintfA(digits, "%08X", address);
        put_cell(cell, size, digits, 8);
        return;
    }
    int length;
    char* name = read_name(address, COLUMN_NAME_TYPE[column], length);
    if (name) put_cell(cell, size, name, length);
    free(name);
}

// The row a go-to acts on: the focused one when it is selected, else the
// first selected one; -1 when none is selected.
int chosen_row()
{
    const int focus = next_row(-1, LVNI_FOCUSED | LVNI_SELECTED);
    return focus >= 0 ? focus : next_row(-1, LVNI_SELECTED);
}

void go_to_chosen()
{
    const int row = chosen_row();
    if (row < 0 || row >= row_count) {
        MessageBeep(0);
        return;
    }
    host_goto_code(0, rows[row], 0, 0, 13);
}

void delete_selected()
{
    int count;
    Selected* doomed = selected_rows(count);
    if (!count) MessageBeep(0);
    // Each removal gives its own notice, log line and panel title.
    for (int i = 0; i < count; ++i) toggle_bookmark(doomed[i].address, true);
    free(doomed);
}

// Text that grows on the heap; a failed growth marks it failed and stops it.
struct Text {
    char* bytes;
    size_t length, capacity;
    bool failed;
};

void append(Text& text, const char* more, size_t length)
{
    if (text.failed) return;
    if (text.length + length + 1 > text.capacity) {
        size_t capacity = text.capacity ? text.capacity : 256;
        while (text.length + length + 1 > capacity) capacity *= 2;
        char* grown = static_cast<char*>(realloc(text.bytes, capacity));
        if (!grown) {
            text.failed = true;
            return;
        }
        text.bytes = grown;
        text.capacity = capacity;
    }
    memcpy(text.bytes + text.length, more, length);
    text.length += length;
    text.bytes[text.length] = 0;
}

void append_name(Text& text, uint32_t address, int type)
{
    int length;
    char* name = read_name(address, type, length);
    if (name) append(text, name, size_t(length));
    free(name);
}

// One line per selected row: address, label and comment, tab-separated,
// each name whole.
bool put_on_clipboard(const Text& text)
{
    if (!OpenClipboard(list_window)) return false;
    bool stored = false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.length + 1);
    if (block) {
        if (void* bytes = GlobalLock(block)) {
            memcpy(bytes, text.bytes, text.length + 1);
            GlobalUnlock(block);
            stored = SetClipboardData(CF_TEXT, block) != nullptr;
        }
        if (!stored) GlobalFree(block);
    }
    CloseClipboard();
    return stored;
}

void copy_selected()
{
    int count;
    Selected* chosen = selected_rows(count);
    Text text = {nullptr, 0, 0, false};
    for (int i = 0; i < count; ++i) {
        char digits[9];  // eight hexadecimal digits and the zero
        wsprintfA(digits, "%08X", chosen[i].address);
        append(text, digits, 8);
        append(text, "\t", 1);
        append_name(text, chosen[i].address, NAME_LABEL);
        append(text, "\t", 1);
        append_name(text, chosen[i].address, NAME_COMMENT);
        append(text, "\r\n", 2);
    }
    free(chosen);
    if (!count || text.failed || !put_on_clipboard(text)) MessageBeep(0);
    free(text.bytes);
}

void select_all()
{
    set_row_state(-1, LVIS_SELECTED, LVIS_SELECTED);
}

void run_command(int command)
{
    switch (command) {
    case COMMAND_GO_TO: go_to_chosen(); break;
    case COMMAND_DELETE: delete_selected(); break;
    case COMMAND_COPY: copy_selected(); break;
    }
}

void show_row_menu()
{
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    // Item texts hold no comma: the debugger ends menu texts there.
    const UINT state = next_row(-1, LVNI_SELECTED) >= 0 ? MF_STRING : MF_STRING | MF_GRAYED;
    AppendMenuA(menu, state, COMMAND_GO_TO, "&Go to\tEnter");
    AppendMenuA(menu, state, COMMAND_DELETE, "&Delete\tDel");
    AppendMenuA(menu, state, COMMAND_COPY, "&Copy\tCtrl+C");
    POINT point;
    GetCursorPos(&point);
    const int command = int(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, 0,
                                           list_window, nullptr));
    DestroyMenu(menu);
    run_command(command);
}

void save_place()
{
    RECT rect;
    if (!GetWindowRect(list_window, &rect)) return;
    host_write_int(module_instance, KEY_LIST_LEFT, rect.left);
    host_write_int(module_instance, KEY_LIST_TOP, rect.top);
    host_write_int(module_instance, KEY_LIST_WIDTH, rect.right - rect.left);
    host_write_int(module_instance, KEY_LIST_HEIGHT, rect.bottom - rect.top);
}

// Puts the new window where it was last, or leaves it where the template
// places it when nothing is stored; a place no screen shows gives way.
void restore_place()
{
    RECT rect;
    if (!GetWindowRect(list_window, &rect)) return;
    const int left = host_read_int(module_instance, KEY_LIST_LEFT, rect.left);
    const int top = host_read_int(module_instance, KEY_LIST_TOP, rect.top);
    int width = host_read_int(module_instance, KEY_LIST_WIDTH, rect.right - rect.left);
    int height = host_read_int(module_instance, KEY_LIST_HEIGHT, rect.bottom - rect.top);
    if (width < MIN_WIDTH || height < MIN_HEIGHT) {
        width = rect.right - rect.left;
        height = rect.bottom - rect.top;
    }
    RECT place = {left, top, left + width, top + height};
    keep_title_bar_on_screen(place, title_bar_height(list_window));
    MoveWindow(list_window, place.left, place.top, width, height, 1);
}

// A hidden window is checked again when it comes back: a screen may have
// gone or changed while it was away.
void bring_back_on_screen()
{
    RECT place;
    if (!GetWindowRect(list_window, &place)) return;
    const RECT before = place;
    keep_title_bar_on_screen(place, title_bar_height(list_window));
    if (place.left == before.left && place.top == before.top) return;
    MoveWindow(list_window, place.left, place.top, place.right - place.left, place.bottom - place.top, 1);
}

void hide()
{
    open_now = false;
    save_place();
    ShowWindow(list_window, SW_HIDE);
}

void set_up_list(HWND window)
{
    HWND list = GetDlgItem(window, IDC_BOOKMARK_LIST);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int column = 0; column < COLUMN_COUNT; ++column) {
        LVCOLUMNA heading;
        heading.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        heading.pszText = const_cast<char*>(COLUMNS[column].text);
        heading.cx = COLUMNS[column].width;
        heading.iSubItem = column;
        SendMessageA(list, LVM_INSERTCOLUMNA, WPARAM(column), LPARAM(&heading));
    }
}

// Keys reach the list itself: the debugger passes them on without a dialog
// manager, so Esc, Delete and Ctrl+C are the window's own to handle.
void on_key(WORD key)
{
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    if (key == VK_ESCAPE) {
        hide();
    } else if (key == VK_DELETE) {
        delete_selected();
    } else if (ctrl && key == 'C') {
        copy_selected();
    } else if (ctrl && key == 'A') {
        select_all();
    }
}

INT_PTR on_notify(const NMHDR* header)
{
    if (header->idFrom != IDC_BOOKMARK_LIST) return 0;
    switch (header->code) {
    case LVN_GETDISPINFOA: {
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header))->item;
        if (item.mask & LVIF_TEXT) cell_text(item.iItem, item.iSubItem, item.pszText, item.cchTextMax);
        return 0;
    }
    case LVN_KEYDOWN:
        on_key(reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey);
        return 0;
    case NM_RETURN:
    case NM_DBLCLK:
        go_to_chosen();
        return 1;
    case NM_RCLICK:
        show_row_menu();
        return 1;
    }
    return 0;
}

}  // namespace

INT_PTR CALLBACK bookmarks_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG:
        set_up_list(window);
        return 1;
    case WM_SIZE:
        MoveWindow(GetDlgItem(window, IDC_BOOKMARK_LIST), 0, 0, LOWORD(lparam), HIWORD(lparam), 1);
        return 1;
    case WM_ACTIVATE:
        // Labels and comments may have changed in the debugger meanwhile.
        if (LOWORD(wparam) != WA_INACTIVE) InvalidateRect(GetDlgItem(window, IDC_BOOKMARK_LIST), nullptr, FALSE);
        return 0;
    case WM_NOTIFY:
        SetWindowLongPtrA(window, DWLP_MSGRESULT, on_notify(reinterpret_cast<const NMHDR*>(lparam)));
        return 1;
    case WM_COMMAND:
        // A host that runs the dialog manager turns Enter and Esc into these.
        if (LOWORD(wparam) == IDOK) go_to_chosen();
        if (LOWORD(wparam) == IDCANCEL) hide();
        return 1;
    case WM_CLOSE:
        hide();
        return 1;
    case MESSAGE_REFRESH:
        if (refresh_pending) refresh();
        return 1;
    case WM_DESTROY:
        // Destroyed with the debugger's main window.
        list_window = nullptr;
        open_now = false;
        free(rows);
        rows = nullptr;
        row_count = 0;
        return 0;
    }
    return 0;
}

void open_bookmarks_window()
{
    if (!list_window) {
        InitCommonControls();
        list_window = CreateDialogParamA(module_instance, MAKEINTRESOURCEA(IDD_BOOKMARKS), host_main_window,
                                         bookmarks_procedure, 0);
        if (!list_window) {
            MessageBeep(0);
            return;
        }
        restore_place();
    } else if (!IsWindowVisible(list_window)) {
        bring_back_on_screen();
    }
    refresh();
    open_now = true;
    ShowWindow(list_window, SW_SHOWNORMAL);
    BringWindowToTop(list_window);
}

void bookmarks_changed()
{
    // A hidden window catches up when it is opened again.
    if (!list_window || !open_now || refresh_pending) return;
    refresh_pending = PostMessageA(list_window, MESSAGE_REFRESH, 0, 0) != 0;
}

void save_bookmarks_window_state()
{
    if (!list_window) return;
    save_place();
    host_write_int(module_instance, KEY_LIST_SHOWN, open_now ? 1 : 0);
}

void reopen_bookmarks_window()
{
    if (host_read_int(module_instance, KEY_LIST_SHOWN, 0)) open_bookmarks_window();
}
