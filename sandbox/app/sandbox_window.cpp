#include "sandbox/app/sandbox_window.h"

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "host/host_api.h"
#include "sandbox/app/debugger_keys.h"
#include "sandbox/app/plugin_host.h"
#include "sandbox/app/sample_program.h"
#include "sandbox/app/trace.h"
#include "sandbox/disasm_view_record.h"
#include "sandbox/host_state.h"

namespace {

enum CommandId {
    ID_SAVE_PROJECT = 100,
    ID_RESTART_PROGRAM,
    ID_CLOSE_PROGRAM,
    ID_OPEN_PROGRAM,
    ID_EXIT,
    ID_REPORT_WINDOWS,
};

// Timer of the main window that raises its owned windows once, a moment
// after an activation, a click or a menu.
const UINT_PTR RAISE_TIMER = 1;
const UINT RAISE_DELAY_MS = 300;
const int NOTICE_HEIGHT = 22;
const int CPU_HEIGHT = 400;
const char CPU_CLASS[] = "SandboxCpuPane";
const char MAIN_CLASS[] = "SandboxMain";

HWND main_window = nullptr;
HWND cpu_pane = nullptr;
HWND log_pane = nullptr;
HWND notice_line = nullptr;
HFONT code_font = nullptr;
int row_height = 16;

std::vector<CodeLine> program;  // empty while no program is open
size_t selected = 0;
size_t top_row = 0;
// The pane's record as the plug-ins see it.
DisasmViewBuffer disasm_view;

size_t visible_rows()
{
    RECT client;
    GetClientRect(cpu_pane, &client);
    return size_t(client.bottom > row_height ? client.bottom / row_height : 1);
}

void select_row(size_t row, bool center)
{
    if (program.empty()) return;
    if (row >= program.size()) row = program.size() - 1;
    selected = row;
    const size_t rows = visible_rows();
    if (center && (row < top_row || row >= top_row + rows)) {
        top_row = row > rows / 2 ? row - rows / 2 : 0;
    } else if (row < top_row) {
        top_row = row;
    } else if (row >= top_row + rows) {
        top_row = row - rows + 1;
    }
    if (top_row + rows > program.size()) top_row = program.size() > rows ? program.size() - rows : 0;
    disasm_view.set_selected(program[row].address);
    SetScrollPos(cpu_pane, SB_VERT, int(top_row), TRUE);
    InvalidateRect(cpu_pane, nullptr, TRUE);
    trace("select %08X row %u top %u", program[row].address, unsigned(row), unsigned(top_row));
}

void goto_address(uint32_t address)
{
    uint32_t args[5] = {};
    if (!host_state.calls.empty() && host_state.calls.back().op == HostOp::GotoCode) {
        memcpy(args, host_state.calls.back().goto_args, sizeof args);
        host_state.calls.clear();  // the record is only needed for this line
    }
    trace("goto %08X (%X, %08X, %X, %X, %u)", address, args[0], args[1], args[2], args[3], args[4]);
    for (size_t row = 0; row < program.size(); ++row) {
        if (program[row].address == address) {
            select_row(row, true);
            return;
        }
    }
    host_message(1, "Go to %08X: no such line in the program", address);
}

void on_notice(const char* text)
{
    trace("notice %s", text);
    if (notice_line) SetWindowTextA(notice_line, text);
}

void on_log(uint32_t address, int emphasis, const char* line)
{
    trace("log %08X %d %s", address, emphasis, line);
    show_log_line(address, emphasis, line);
}

void close_program()
{
    if (program.empty()) return;
    save_project();
    reset_plugins();
    program.clear();
    disasm_view.set_selected(0);
    disasm_view.set_active(0);
    SetScrollRange(cpu_pane, SB_VERT, 0, 0, TRUE);
    InvalidateRect(cpu_pane, nullptr, TRUE);
    host_message(0, "Program closed");
}

BOOL CALLBACK raise_if_owned(HWND window, LPARAM owner)
{
    if (GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(owner) && IsWindowVisible(window)) {
        // Already first in the Windows order, a plain move to the top would
        // change nothing and Wine would leave the X window where it is; a step
        // through the topmost band is a real change that restacks it.
        const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, flags);
        SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    }
    return TRUE;
}

// Owned windows (the plug-ins' panels) stay in front of the main window, as a
// window manager keeps them. Wine without one raises the main window's X
// window when it is activated or clicked (its log, its menus), and does so
// when it handles the X focus events, after the messages of that gesture:
// the owned windows are raised again a moment later.
void raise_owned_windows_soon()
{
    SetTimer(main_window, RAISE_TIMER, RAISE_DELAY_MS, nullptr);
}

void raise_owned_windows()
{
    KillTimer(main_window, RAISE_TIMER);
    EnumThreadWindows(GetCurrentThreadId(), raise_if_owned, reinterpret_cast<LPARAM>(main_window));
}

void paint_cpu(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    HGDIOBJ old_font = SelectObject(dc, code_font);
    const size_t rows = visible_rows() + 1;
    for (size_t i = 0; i < rows && top_row + i < program.size(); ++i) {
        const CodeLine& line = program[top_row + i];
        const bool is_selected = top_row + i == selected;
        RECT row = {0, int(i) * row_height, client.right, int(i + 1) * row_height};
        SetBkColor(dc, GetSysColor(is_selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        SetTextColor(dc, GetSysColor(is_selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        std::string hex;
        for (uint8_t octet : line.bytes) {
            char pair[4];  // two hex digits
            snprintf(pair, sizeof pair, "%02X", octet);
            hex += pair;
        }
        char text[256];  // address, 14 bytes of hex, the instruction and its comment
        snprintf(text, sizeof text, "%08X  %-16s %-44s %s%s", line.address, hex.c_str(), line.text.c_str(),
                 line.comment.empty() ? "" : "; ", line.comment.c_str());
        ExtTextOutA(dc, 4, row.top, ETO_OPAQUE, &row, text, UINT(strlen(text)), nullptr);
    }
    SelectObject(dc, old_font);
    EndPaint(window, &paint);
}

void cpu_key(HWND window, WPARAM key, bool system)
{
    if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) return;
    const int ctrl = GetKeyState(VK_CONTROL) < 0 ? 1 : 0;
    const int alt = GetKeyState(VK_MENU) < 0 ? 1 : 0;
    const int shift = GetKeyState(VK_SHIFT) < 0 ? 1 : 0;
    trace("key %u ctrl=%d alt=%d shift=%d", unsigned(key), ctrl, alt, shift);
    // As in the debugger, the CPU window keeps its own keys and offers every
    // other key to the plug-ins first.
    const char* command = debugger_key_command(int(key), ctrl, alt, shift);
    if (!command) {
        if (!program.empty() && offer_shortcut(ctrl, alt, shift, int(key), disasm_view.bytes)) return;
        if (system) DefWindowProcA(window, WM_SYSKEYDOWN, key, 0);
        return;
    }
    if (program.empty()) return;
    const size_t page = visible_rows() > 1 ? visible_rows() - 1 : 1;
    switch (key) {
    case VK_UP: select_row(selected > 0 ? selected - 1 : 0, false); break;
    case VK_DOWN: select_row(selected + 1, false); break;
    case VK_PRIOR:
        top_row = top_row > page ? top_row - page : 0;
        select_row(selected > page ? selected - page : 0, false);
        break;
    case VK_NEXT:
        top_row = top_row + page;
        select_row(selected + page, false);
        break;
    case VK_HOME: select_row(0, false); break;
    case VK_END: select_row(program.size() - 1, false); break;
    default:
        // There is no program to debug here: the command is only named.
        host_message(0, "Debugger key: %s (not offered to plug-ins)", command);
        break;
    }
}

void cpu_scroll(WPARAM wparam)
{
    const size_t rows = visible_rows();
    const size_t last_top = program.size() > rows ? program.size() - rows : 0;
    size_t top = top_row;
    switch (LOWORD(wparam)) {
    case SB_LINEUP: top = top > 0 ? top - 1 : 0; break;
    case SB_LINEDOWN: top = top + 1; break;
    case SB_PAGEUP: top = top > rows ? top - rows : 0; break;
    case SB_PAGEDOWN: top = top + rows; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: top = size_t(HIWORD(wparam)); break;
    default: return;
    }
    top_row = top > last_top ? last_top : top;
    SetScrollPos(cpu_pane, SB_VERT, int(top_row), TRUE);
    InvalidateRect(cpu_pane, nullptr, TRUE);
}

size_t row_at(LPARAM lparam)
{
    const int y = short(HIWORD(lparam));
    return top_row + size_t(y > 0 ? y / row_height : 0);
}

LRESULT CALLBACK cpu_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_PAINT: paint_cpu(window); return 0;
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wparam), &client, GetSysColorBrush(COLOR_WINDOW));
        return 1;
    }
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS;
    case WM_KEYDOWN: cpu_key(window, wparam, false); return 0;
    case WM_SYSKEYDOWN:
        if (wparam == VK_MENU || program.empty()) break;
        cpu_key(window, wparam, true);
        return 0;
    case WM_LBUTTONDOWN:
        raise_owned_windows_soon();
        SetFocus(window);
        if (row_at(lparam) < program.size()) select_row(row_at(lparam), false);
        return 0;
    case WM_RBUTTONDOWN:
        raise_owned_windows_soon();
        SetFocus(window);
        if (row_at(lparam) < program.size()) select_row(row_at(lparam), false);
        return 0;
    case WM_RBUTTONUP: {
        if (program.empty()) return 0;
        POINT point = {short(LOWORD(lparam)), short(HIWORD(lparam))};
        ClientToScreen(window, &point);
        run_context_menu(window, point, disasm_view.bytes);
        return 0;
    }
    case WM_MOUSEWHEEL:
        cpu_scroll(short(HIWORD(wparam)) > 0 ? SB_LINEUP : SB_LINEDOWN);
        cpu_scroll(short(HIWORD(wparam)) > 0 ? SB_LINEUP : SB_LINEDOWN);
        cpu_scroll(short(HIWORD(wparam)) > 0 ? SB_LINEUP : SB_LINEDOWN);
        return 0;
    case WM_VSCROLL: cpu_scroll(wparam); return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

void draw_log_item(const DRAWITEMSTRUCT* item)
{
    if (item->itemID == UINT(-1)) return;
    char text[1100];  // an address column and the longest host log line (1024)
    text[0] = 0;
    if (SendMessageA(log_pane, LB_GETTEXTLEN, item->itemID, 0) < LRESULT(sizeof text)) {
        SendMessageA(log_pane, LB_GETTEXT, item->itemID, reinterpret_cast<LPARAM>(text));
    }
    // Emphasis as the debugger shows it: 1 highlighted (red), -1 lowlighted (grey).
    const int emphasis = int(item->itemData);
    const COLORREF color = emphasis > 0 ? RGB(200, 0, 0) : emphasis < 0 ? RGB(110, 110, 110) : RGB(0, 0, 0);
    SetBkColor(item->hDC, GetSysColor(COLOR_WINDOW));
    SetTextColor(item->hDC, color);
    HGDIOBJ old_font = SelectObject(item->hDC, code_font);
    ExtTextOutA(item->hDC, item->rcItem.left + 4, item->rcItem.top, ETO_OPAQUE, &item->rcItem, text,
                UINT(strlen(text)), nullptr);
    SelectObject(item->hDC, old_font);
}

void layout(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    MoveWindow(cpu_pane, 0, 0, client.right, CPU_HEIGHT, TRUE);
    MoveWindow(log_pane, 0, CPU_HEIGHT, client.right, client.bottom - CPU_HEIGHT - NOTICE_HEIGHT, TRUE);
    MoveWindow(notice_line, 0, client.bottom - NOTICE_HEIGHT, client.right, NOTICE_HEIGHT, TRUE);
}

void create_children(HWND window)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    code_font = CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New");
    HDC dc = GetDC(window);
    HGDIOBJ old_font = SelectObject(dc, code_font);
    TEXTMETRICA metrics;
    if (GetTextMetricsA(dc, &metrics)) row_height = int(metrics.tmHeight + metrics.tmExternalLeading) + 1;
    SelectObject(dc, old_font);
    ReleaseDC(window, dc);

    cpu_pane = CreateWindowExA(WS_EX_CLIENTEDGE, CPU_CLASS, "CPU", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP,
                               0, 0, 10, 10, window, nullptr, instance, nullptr);
    log_pane = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "Log",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED |
                                   LBS_HASSTRINGS | LBS_NOSEL,
                               0, 0, 10, 10, window, nullptr, instance, nullptr);
    SendMessageA(log_pane, LB_SETITEMHEIGHT, 0, row_height);
    notice_line = CreateWindowExA(WS_EX_STATICEDGE, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 10,
                                  10, window, nullptr, instance, nullptr);
    SendMessageA(notice_line, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
    layout(window);
}

HMENU create_menu_bar()
{
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, ID_OPEN_PROGRAM, "&Open program");
    AppendMenuA(file, MF_STRING, ID_SAVE_PROJECT, "&Save project");
    AppendMenuA(file, MF_STRING, ID_RESTART_PROGRAM, "&Restart program");
    AppendMenuA(file, MF_STRING, ID_CLOSE_PROGRAM, "&Close program");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, ID_EXIT, "E&xit");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    HMENU view = CreatePopupMenu();
    AppendMenuA(view, MF_STRING, ID_REPORT_WINDOWS, "&Report windows to the log file");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), "&View");
    return bar;
}

void on_command(HWND window, int id)
{
    switch (id) {
    case ID_OPEN_PROGRAM:
        if (program.empty()) open_program();
        break;
    case ID_SAVE_PROJECT:
        if (!program.empty()) save_project();
        break;
    case ID_RESTART_PROGRAM:
        trace("restart");
        close_program();
        open_program();
        break;
    case ID_CLOSE_PROGRAM: close_program(); break;
    case ID_EXIT: PostMessageA(window, WM_CLOSE, 0, 0); break;
    case ID_REPORT_WINDOWS: report_windows(); break;
    default: run_main_menu_command(id); break;
    }
}

LRESULT CALLBACK main_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CREATE: create_children(window); return 0;
    case WM_SIZE: if (cpu_pane) layout(window); return 0;
    case WM_SETFOCUS: if (cpu_pane) SetFocus(cpu_pane); return 0;
    case WM_ACTIVATE:
        if (LOWORD(wparam) != WA_INACTIVE) raise_owned_windows_soon();
        break;
    case WM_PARENTNOTIFY:
        if (LOWORD(wparam) == WM_LBUTTONDOWN || LOWORD(wparam) == WM_RBUTTONDOWN) {
            raise_owned_windows_soon();
        }
        return 0;
    case WM_EXITMENULOOP: raise_owned_windows_soon(); return 0;
    case WM_TIMER:
        if (wparam == RAISE_TIMER) raise_owned_windows();
        return 0;
    case WM_DRAWITEM: draw_log_item(reinterpret_cast<const DRAWITEMSTRUCT*>(lparam)); return 1;
    case WM_COMMAND:
        if (!lparam) on_command(window, LOWORD(wparam));
        return 0;
    case WM_CLOSE:
        trace("closing");
        if (!program.empty()) {
            save_project();
            program.clear();
        }
        if (!close_plugins()) return 0;
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        notice_line = nullptr;
        log_pane = nullptr;
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

struct WindowReport {
    DWORD thread;
};

BOOL CALLBACK report_child(HWND child, LPARAM)
{
    RECT rect;
    GetWindowRect(child, &rect);
    char text[64] = {};  // the buttons' and labels' texts are short
    char class_name[64] = {};
    GetWindowTextA(child, text, sizeof text);
    GetClassNameA(child, class_name, sizeof class_name);
    trace("child %p parent %p id %d class %s \"%s\" rect %ld %ld %ld %ld", static_cast<void*>(child),
          static_cast<void*>(GetParent(child)), GetDlgCtrlID(child), class_name, text, rect.left, rect.top,
          rect.right, rect.bottom);
    return TRUE;
}

BOOL CALLBACK report_top(HWND window, LPARAM)
{
    RECT rect, client;
    GetWindowRect(window, &rect);
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    char text[128] = {};  // captions here are short
    char class_name[64] = {};
    GetWindowTextA(window, text, sizeof text);
    GetClassNameA(window, class_name, sizeof class_name);
    // Where the close box is, found the way the system finds it: by hit-testing the caption.
    POINT close_box = {-1, -1};
    for (int y = rect.top; y < origin.y && close_box.x < 0; y += 2) {
        for (int x = rect.right - 1; x > rect.right - 40 && x > rect.left; x -= 2) {
            if (SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
                close_box = {x - 4, y + 4};
                break;
            }
        }
    }
    trace("window %p class %s \"%s\" visible %d rect %ld %ld %ld %ld client %ld %ld %ld %ld close %ld %ld",
          static_cast<void*>(window), class_name, text, IsWindowVisible(window) ? 1 : 0, rect.left, rect.top,
          rect.right, rect.bottom, origin.x, origin.y, origin.x + client.right, origin.y + client.bottom, close_box.x,
          close_box.y);
    if (lstrcmpA(class_name, "#32770") == 0) EnumChildWindows(window, report_child, 0);
    return TRUE;
}

}  // namespace

HWND create_sandbox_window(HINSTANCE instance)
{
    WNDCLASSA cpu_class = {};
    cpu_class.lpfnWndProc = cpu_procedure;
    cpu_class.hInstance = instance;
    cpu_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    cpu_class.lpszClassName = CPU_CLASS;
    RegisterClassA(&cpu_class);

    WNDCLASSA main_class = {};
    main_class.lpfnWndProc = main_procedure;
    main_class.hInstance = instance;
    main_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    main_class.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    main_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    main_class.lpszClassName = MAIN_CLASS;
    RegisterClassA(&main_class);

    host_state.on_log = on_log;
    host_state.on_notice = on_notice;
    host_state.on_goto = goto_address;
    host_state.disasm_view = disasm_view.bytes;

    main_window = CreateWindowExA(0, MAIN_CLASS, "OllyDbg sandbox - Korvantis", WS_OVERLAPPEDWINDOW, MAIN_WINDOW_X,
                                  MAIN_WINDOW_Y, MAIN_WINDOW_WIDTH, MAIN_WINDOW_HEIGHT, nullptr, create_menu_bar(),
                                  instance, nullptr);
    return main_window;
}

void build_plugins_menu(HWND window)
{
    HMENU plugins_menu = CreatePopupMenu();
    append_plugin_menus(plugins_menu);
    AppendMenuA(GetMenu(window), MF_POPUP, reinterpret_cast<UINT_PTR>(plugins_menu), "&Plugins");
    DrawMenuBar(window);
}

void show_log_line(uint32_t address, int emphasis, const char* text)
{
    if (!log_pane) return;
    char line[1100];  // an address column and the longest host log line (1024)
    if (address) {
        snprintf(line, sizeof line, "%08X  %s", address, text);
    } else {
        snprintf(line, sizeof line, "          %s", text);
    }
    const LRESULT index = SendMessageA(log_pane, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    if (index >= 0) {
        SendMessageA(log_pane, LB_SETITEMDATA, WPARAM(index), LPARAM(emphasis));
        SendMessageA(log_pane, LB_SETTOPINDEX, WPARAM(index), 0);
    }
}

void open_program()
{
    program = sample_program();
    disasm_view.set_active(1);
    SetScrollRange(cpu_pane, SB_VERT, 0, int(program.size()) - 1, FALSE);
    top_row = 0;
    select_row(0, false);
    host_message(0, "Program SAMPLE: %u lines from %08X to %08X", unsigned(program.size()), program.front().address,
                 program.back().address);
    open_project();
}

void report_windows()
{
    POINT origin = {0, 0};
    ClientToScreen(cpu_pane, &origin);
    trace("cpu pane %ld %ld row %d top %u", origin.x, origin.y, row_height, unsigned(top_row));
    EnumThreadWindows(GetCurrentThreadId(), report_top, 0);
}
