#include "ui/bookmarks_window.h"

#include <commctrl.h>
#include <stdlib.h>

#include "core/bookmark_commands.h"
#include "host/globals.h"
#include "host/host_api.h"
#include "persistence/settings_keys.h"
#include "resources/resource.h"
#include "ui/bookmark_rows.h"
#include "ui/list_place.h"
#include "ui/name_dialog.h"
#include "ui/row_copy.h"

namespace {

// Posted when the list changed; one is on its way at a time.
const UINT MESSAGE_REFRESH = WM_APP + 1;
// Posted when the filter's text changed; one is on its way at a time, so
// however many changes come before it arrives, one filtering pass follows.
const UINT MESSAGE_FILTER = WM_APP + 2;

struct ColumnHeading {
    const char* text;
    int width;  // pixels, when none is stored
};

const ColumnHeading COLUMNS[ROW_COLUMN_COUNT] = {{"Address", 80}, {"Module", 70}, {"Label", 150}, {"Comment", 280}};

// Commands of the right-click menu, the same as the keys.
enum Command { COMMAND_GO_TO = 1, COMMAND_DELETE, COMMAND_COPY, COMMAND_EDIT_LABEL, COMMAND_EDIT_COMMENT };

// How the rows are taken again: after a change of the bookmark list, by a
// whole pass, or for the one bookmark given a new name.
enum Retake { RETAKE_CHANGES, RETAKE_ALL, RETAKE_ONE };

HWND list_window;       // the Bookmarks window, once opened; null after it is destroyed
HWND list_view;         // its list and its filter field
HWND filter_field;
bool open_now;          // shown by the user and not hidden since
bool refresh_pending;   // a MESSAGE_REFRESH is posted and not yet handled
bool filter_pending;    // a MESSAGE_FILTER is posted and not yet handled
bool quiet_activation;  // the window is activated by a gesture that takes the rows itself
WNDPROC field_procedure;  // the filter field's own window procedure
BookmarkRows rows;

LRESULT send_list(UINT message, WPARAM wparam, LPARAM lparam)
{
    return SendMessageA(list_view, message, wparam, lparam);
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

// The selected rows, ascending, and the bookmarks they show, in one heap
// block (rows) the caller frees, with room for the rows they move to.
struct Selection {
    int count;
    int* rows;
    int* places;
    uint32_t* addresses;
};

// None when nothing is selected or no memory is left.
Selection selection()
{
    Selection chosen = {0, nullptr, nullptr, nullptr};
    const int selected = int(send_list(LVM_GETSELECTEDCOUNT, 0, 0));
    if (selected <= 0) return chosen;
    chosen.rows = static_cast<int*>(malloc(size_t(selected) * (2 * sizeof(int) + sizeof(uint32_t))));
    if (!chosen.rows) return chosen;
    chosen.places = chosen.rows + selected;
    chosen.addresses = reinterpret_cast<uint32_t*>(chosen.places + selected);
    for (int index = next_row(-1, LVNI_SELECTED); index >= 0 && chosen.count < selected;
         index = next_row(index, LVNI_SELECTED)) {
        if (index >= rows.shown_count) continue;
        chosen.rows[chosen.count] = index;
        chosen.addresses[chosen.count++] = rows.shown[index];
    }
    return chosen;
}

void retitle()
{
    // "Bookmarks (" + two numbers of at most 10 digits + " of " + ")" and the zero.
    char title[40];
    if (rows.filter[0]) {
        wsprintfA(title, "Bookmarks (%d of %d)", rows.shown_count, rows.all_count);
    } else {
        wsprintfA(title, "Bookmarks (%d)", rows.all_count);
    }
    SetWindowTextA(list_window, title);
}

// Shows the rows taken again, keeping the selection and the focus on the
// same bookmarks wherever their rows moved. Only the rows whose state changes
// are touched: clearing a state on every row costs a call per row.
void show_rows(Retake retake, uint32_t renamed = 0)
{
    if (retake != RETAKE_ONE) refresh_pending = false;
    Selection selected = selection();
    const int focus = next_row(-1, LVNI_FOCUSED);
    const bool had_focus = focus >= 0 && focus < rows.shown_count;
    const uint32_t focused = had_focus ? rows.shown[focus] : 0;

    if (retake == RETAKE_ALL) {
        filter_and_sort(rows);
    } else if (retake == RETAKE_ONE) {
        place_again(rows, renamed);
    } else {
        follow_bookmarks(rows);
    }
    send_list(LVM_SETITEMCOUNT, WPARAM(rows.shown_count), LVSICF_NOSCROLL);
    for (int i = 0; i < selected.count; ++i) {
        if (selected.rows[i] < rows.shown_count) set_row_state(selected.rows[i], 0, LVIS_SELECTED);
    }
    if (had_focus && focus < rows.shown_count) set_row_state(focus, 0, LVIS_FOCUSED);
    if (rows_of(rows, selected.addresses, selected.places, selected.count)) {
        for (int i = 0; i < selected.count; ++i) {
            if (selected.places[i] >= 0) set_row_state(selected.places[i], LVIS_SELECTED, LVIS_SELECTED);
        }
    }
    free(selected.rows);
    const int focus_place = had_focus ? row_of(rows, focused) : -1;
    if (focus_place >= 0) set_row_state(focus_place, LVIS_FOCUSED, LVIS_FOCUSED);
    retitle();
    InvalidateRect(list_view, nullptr, FALSE);
}

// The row a gesture on one row acts on: the focused one when it is selected,
// else the first selected one; -1 (after a beep) when none is selected.
int chosen_row()
{
    int row = next_row(-1, LVNI_FOCUSED | LVNI_SELECTED);
    if (row < 0) row = next_row(-1, LVNI_SELECTED);
    if (row >= 0 && row < rows.shown_count) return row;
    MessageBeep(0);
    return -1;
}

void go_to_chosen()
{
    const int row = chosen_row();
    if (row >= 0) host_goto_code(0, rows.shown[row], 0, 0, 13);
}

void edit_chosen(int type)
{
    const int row = chosen_row();
    if (row < 0) return;
    const uint32_t address = rows.shown[row];
    // The activation when the dialog closes comes before the name is given.
    quiet_activation = true;
    const bool named = edit_name(list_window, address, type);
    quiet_activation = false;
    // The row shows the new name at once, in the place it now takes.
    if (named) show_rows(RETAKE_ONE, address);
}

void delete_selected()
{
    Selection doomed = selection();
    if (!doomed.count) MessageBeep(0);
    // Each removal gives its own notice, log line and panel title.
    for (int i = 0; i < doomed.count; ++i) toggle_bookmark(doomed.addresses[i], true);
    const int first = doomed.count ? doomed.rows[0] : -1;
    free(doomed.rows);
    if (first < 0) return;
    // The row that takes the first deleted row's place is chosen, so that
    // Delete can be pressed again.
    show_rows(RETAKE_CHANGES);
    const int row = first < rows.shown_count ? first : rows.shown_count - 1;
    if (row < 0) return;
    set_row_state(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    send_list(LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
}

void copy_selected()
{
    Selection chosen = selection();
    if (!copy_rows(list_window, chosen.addresses, chosen.count)) MessageBeep(0);
    free(chosen.rows);
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
    case COMMAND_EDIT_LABEL: edit_chosen(NAME_LABEL); break;
    case COMMAND_EDIT_COMMENT: edit_chosen(NAME_COMMENT); break;
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
    AppendMenuA(menu, state, COMMAND_EDIT_LABEL, "Edit &label\t:");
    AppendMenuA(menu, state, COMMAND_EDIT_COMMENT, "Edit co&mment\t;");
    POINT point;
    GetCursorPos(&point);
    const int command = int(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, 0,
                                           list_window, nullptr));
    DestroyMenu(menu);
    run_command(command);
}

// Each heading with a mark on the column the rows are sorted by: "^" when
// ascending, "v" when descending (the debugger's common controls draw no
// sort arrows).
void mark_headings()
{
    for (int column = 0; column < ROW_COLUMN_COUNT; ++column) {
        // The longest heading, " v" and the zero.
        char text[12];
        const char* mark = column != rows.order.column ? "" : rows.order.descending ? " v" : " ^";
        wsprintfA(text, "%s%s", COLUMNS[column].text, mark);
        LVCOLUMNA heading;
        heading.mask = LVCF_TEXT;
        heading.pszText = text;
        send_list(LVM_SETCOLUMNA, WPARAM(column), LPARAM(&heading));
    }
}

// A first click on a heading sorts by its column, ascending; a second one reverses it.
void sort_by(int column)
{
    if (column < 0 || column >= ROW_COLUMN_COUNT) return;
    rows.order.descending = column == rows.order.column && !rows.order.descending;
    rows.order.column = column;
    mark_headings();
    show_rows(RETAKE_ALL);
    const int focus = next_row(-1, LVNI_FOCUSED);
    if (focus >= 0) send_list(LVM_ENSUREVISIBLE, WPARAM(focus), FALSE);
}

void hide()
{
    open_now = false;
    save_list_place(list_window, list_view, rows.order);
    ShowWindow(list_window, SW_HIDE);
}

void focus_on(HWND control)
{
    SendMessageA(list_window, WM_NEXTDLGCTL, WPARAM(control), TRUE);
}

// Esc in the filter field clears it, or hides the window when it is empty;
// Down moves to the list. The field sees Esc even where a dialog manager
// would make it IDCANCEL.
LRESULT CALLBACK filter_keys(HWND field, UINT message, WPARAM wparam, LPARAM lparam)
{
    const MSG* asked = reinterpret_cast<const MSG*>(lparam);
    if (message == WM_GETDLGCODE && asked && asked->message == WM_KEYDOWN && asked->wParam == VK_ESCAPE) {
        return CallWindowProcA(field_procedure, field, message, wparam, lparam) | DLGC_WANTMESSAGE;
    }
    if (message == WM_KEYDOWN && wparam == VK_ESCAPE) {
        if (SendMessageA(field, WM_GETTEXTLENGTH, 0, 0)) {
            SendMessageA(field, WM_SETTEXT, 0, LPARAM(""));
        } else {
            hide();
        }
        return 0;
    }
    if (message == WM_CHAR && wparam == VK_ESCAPE) return 0;
    if (message == WM_KEYDOWN && wparam == VK_DOWN) {
        focus_on(list_view);
        if (rows.shown_count && next_row(-1, LVNI_FOCUSED) < 0) {
            set_row_state(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        }
        return 0;
    }
    return CallWindowProcA(field_procedure, field, message, wparam, lparam);
}

void set_up(HWND window)
{
    list_window = window;
    list_view = GetDlgItem(window, IDC_BOOKMARK_LIST);
    filter_field = GetDlgItem(window, IDC_BOOKMARK_FILTER);
    SendMessageA(filter_field, EM_LIMITTEXT, FILTER_CHARACTERS, 0);
    field_procedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(filter_field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(filter_keys)));
    send_list(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int column = 0; column < ROW_COLUMN_COUNT; ++column) {
        LVCOLUMNA heading;
        heading.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        heading.pszText = const_cast<char*>(COLUMNS[column].text);
        heading.cx = stored_column_width(column, COLUMNS[column].width);
        heading.iSubItem = column;
        send_list(LVM_INSERTCOLUMNA, WPARAM(column), LPARAM(&heading));
    }
    rows.order = stored_order();
    mark_headings();
}

// The filter field keeps its height and spans the width; the list takes
// what is left below it.
void lay_out(HWND window, int width, int height)
{
    HWND field = GetDlgItem(window, IDC_BOOKMARK_FILTER);
    HWND list = GetDlgItem(window, IDC_BOOKMARK_LIST);
    RECT box;
    POINT origin = {0, 0};
    if (!field || !list || !GetWindowRect(field, &box) || !ClientToScreen(window, &origin)) return;
    const int left = box.left - origin.x, top = box.top - origin.y, below = box.bottom - origin.y + top;
    MoveWindow(field, left, top, width - left - top, box.bottom - box.top, 1);
    MoveWindow(list, 0, below, width, height - below, 1);
    // The header keeps what it drew where it stays: drawn again whole, it
    // shows no part of an earlier width.
    InvalidateRect(reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0)), nullptr, TRUE);
}

// Keys reach the list itself: the debugger passes them on without a dialog
// manager, so Esc, Delete, ':' and ';' are the window's own to handle.
void on_key(WORD key)
{
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    if (key == VK_ESCAPE) {
        hide();
    } else if (key == VK_DELETE) {
        delete_selected();
    } else if (key == VK_OEM_1 && !ctrl) {
        // ':' is this key with Shift held.
        edit_chosen(GetKeyState(VK_SHIFT) < 0 ? NAME_LABEL : NAME_COMMENT);
    } else if (ctrl && key == 'C') {
        copy_selected();
    } else if (ctrl && key == 'A') {
        select_all();
    } else if (ctrl && key == 'F') {
        focus_on(filter_field);
    }
}

INT_PTR on_notify(const NMHDR* header)
{
    if (header->idFrom != IDC_BOOKMARK_LIST) return 0;
    switch (header->code) {
    case LVN_GETDISPINFOA: {
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header))->item;
        if (!(item.mask & LVIF_TEXT) || item.cchTextMax <= 0) return 0;
        item.pszText[0] = 0;
        if (item.iItem >= 0 && item.iItem < rows.shown_count) {
            cell_text(rows.shown[item.iItem], item.iSubItem, item.pszText, item.cchTextMax);
        }
        return 0;
    }
    case LVN_ODFINDITEMA:
    case LVN_ODFINDITEMW:
        // A letter typed in the list finds no row: the keys of the window are
        // its gestures, and ':' and ';' must not move the selection.
        return -1;
    case LVN_COLUMNCLICK:
        sort_by(reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
        return 0;
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

void on_command(WORD id, WORD code)
{
    if (id == IDC_BOOKMARK_FILTER && code == EN_CHANGE && !filter_pending) {
        filter_pending = PostMessageA(list_window, MESSAGE_FILTER, 0, 0) != 0;
    }
    // A host that runs the dialog manager turns Enter and Esc into these.
    if (id == IDOK) go_to_chosen();
    if (id == IDCANCEL) hide();
}

void filter_now()
{
    filter_pending = false;
    char text[FILTER_CHARACTERS + 1];
    text[0] = 0;
    SendMessageA(filter_field, WM_GETTEXT, sizeof text, LPARAM(text));
    set_filter(rows, text);
    show_rows(RETAKE_ALL);
}

}  // namespace

INT_PTR CALLBACK bookmarks_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG:
        set_up(window);
        return 1;
    case WM_SIZE:
        lay_out(window, LOWORD(lparam), HIWORD(lparam));
        return 1;
    case WM_ACTIVATE:
        // Labels, comments and modules may have changed in the debugger meanwhile.
        if (LOWORD(wparam) == WA_INACTIVE || !list_window) return 0;
        if (names_matter(rows) && !quiet_activation) {
            show_rows(RETAKE_ALL);
        } else {
            InvalidateRect(list_view, nullptr, FALSE);
        }
        return 0;
    case WM_NOTIFY:
        SetWindowLongPtrA(window, DWLP_MSGRESULT, on_notify(reinterpret_cast<const NMHDR*>(lparam)));
        return 1;
    case WM_COMMAND:
        on_command(LOWORD(wparam), HIWORD(wparam));
        return 1;
    case WM_CLOSE:
        hide();
        return 1;
    case MESSAGE_REFRESH:
        if (refresh_pending) show_rows(RETAKE_CHANGES);
        return 1;
    case MESSAGE_FILTER:
        if (filter_pending) filter_now();
        return 1;
    case WM_DESTROY:
        // Destroyed with the debugger's main window.
        list_window = nullptr;
        open_now = false;
        free_rows(rows);
        set_filter(rows, "");
        return 0;
    }
    return 0;
}

void open_bookmarks_window()
{
    if (!list_window) {
        InitCommonControls();
        if (!CreateDialogParamA(module_instance, MAKEINTRESOURCEA(IDD_BOOKMARKS), host_main_window,
                                bookmarks_procedure, 0)) {
            list_window = nullptr;
            MessageBeep(0);
            return;
        }
        restore_list_place(list_window);
    } else if (!IsWindowVisible(list_window)) {
        bring_list_back_on_screen(list_window);
    }
    // Names may have changed while it was hidden; the activation that follows
    // need not take the rows again.
    show_rows(names_matter(rows) ? RETAKE_ALL : RETAKE_CHANGES);
    open_now = true;
    quiet_activation = true;
    ShowWindow(list_window, SW_SHOWNORMAL);
    BringWindowToTop(list_window);
    quiet_activation = false;
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
    save_list_place(list_window, list_view, rows.order);
    host_write_int(module_instance, KEY_LIST_SHOWN, open_now ? 1 : 0);
}

void reopen_bookmarks_window()
{
    if (host_read_int(module_instance, KEY_LIST_SHOWN, 0)) open_bookmarks_window();
}
