#include "sandbox/app/sandbox_window.h"

#include "sandbox/app/cpu_pane.h"
#include "sandbox/app/line_names.h"
#include "sandbox/app/loaded_program.h"
#include "sandbox/app/log_pane.h"
#include "sandbox/app/owned_windows.h"
#include "sandbox/app/plugin_host.h"
#include "sandbox/app/plugin_menus.h"
#include "sandbox/app/sample_program.h"
#include "sandbox/app/trace.h"
#include "sandbox/app/window_report.h"
#include "sandbox/host_state.h"

namespace {

enum CommandId {
    ID_SAVE_PROJECT = 100,
    ID_RESTART_PROGRAM,
    ID_RESTART_AT_OTHER_BASE,
    ID_CLOSE_PROGRAM,
    ID_OPEN_PROGRAM,
    ID_EXIT,
    ID_REPORT_WINDOWS,
};

const int NOTICE_HEIGHT = 22;
const int CPU_HEIGHT = 400;
const char MAIN_CLASS[] = "SandboxMain";

HWND cpu_pane = nullptr;
HWND log_pane = nullptr;
HWND notice_line = nullptr;

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

// The names a plug-in gave before asking for the repaint, then the repaint.
void on_redraw_disassembler()
{
    trace_names_given();
    trace("redraw disassembler");
    redraw_cpu_pane();
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
    HFONT code_font = CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New");
    int row_height = 16;
    HDC dc = GetDC(window);
    HGDIOBJ old_font = SelectObject(dc, code_font);
    TEXTMETRICA metrics;
    if (GetTextMetricsA(dc, &metrics)) row_height = int(metrics.tmHeight + metrics.tmExternalLeading) + 1;
    SelectObject(dc, old_font);
    ReleaseDC(window, dc);

    cpu_pane = create_cpu_pane(window, code_font, row_height);
    log_pane = create_log_pane(window, code_font, row_height);
    notice_line = CreateWindowExA(WS_EX_STATICEDGE, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 10,
                                  10, window, nullptr, GetModuleHandleA(nullptr), nullptr);
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
    AppendMenuA(file, MF_STRING, ID_RESTART_AT_OTHER_BASE, "Restart at &another base");
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
        if (!program_is_open()) open_program(program_base());
        break;
    case ID_SAVE_PROJECT:
        if (program_is_open()) save_program_project();
        break;
    case ID_RESTART_PROGRAM: restart_program(program_base()); break;
    // As Windows does for a program linked with a movable base: the same
    // program, its project and its names, at another address.
    case ID_RESTART_AT_OTHER_BASE: restart_program(other_load_address(program_base())); break;
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
        if (LOWORD(wparam) != WA_INACTIVE) raise_owned_windows_soon(window);
        break;
    case WM_PARENTNOTIFY:
        if (LOWORD(wparam) == WM_LBUTTONDOWN || LOWORD(wparam) == WM_RBUTTONDOWN) {
            raise_owned_windows_soon(window);
        }
        return 0;
    case WM_EXITMENULOOP: raise_owned_windows_soon(window); return 0;
    case WM_TIMER: raise_owned_windows_on_timer(window, wparam); return 0;
    case WM_DRAWITEM: draw_log_item(reinterpret_cast<const DRAWITEMSTRUCT*>(lparam)); return 1;
    case WM_COMMAND:
        if (!lparam) on_command(window, LOWORD(wparam));
        return 0;
    case WM_CLOSE:
        trace("closing");
        close_program_at_exit();
        if (!close_plugins()) return 0;
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        notice_line = nullptr;
        log_pane = nullptr;
        forget_log_pane();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

HWND create_sandbox_window(HINSTANCE instance)
{
    register_cpu_pane_class(instance);
    WNDCLASSA main_class = {};
    main_class.lpfnWndProc = main_procedure;
    main_class.hInstance = instance;
    main_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    main_class.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    main_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    main_class.lpszClassName = MAIN_CLASS;
    RegisterClassA(&main_class);

    // What the plug-ins' host operations show, and the host's own log lines.
    host_state.on_log = on_log;
    host_state.on_notice = on_notice;
    host_state.on_goto = go_to_code;
    host_state.on_redraw_disassembler = on_redraw_disassembler;
    host_state.keep_calls = 64;  // the go-to reads only the last one
    host_state.disasm_view = disasm_view_record();
    set_host_ui({show_log_line});

    return CreateWindowExA(0, MAIN_CLASS, "OllyDbg sandbox - Korvantis", WS_OVERLAPPEDWINDOW, MAIN_WINDOW_X,
                           MAIN_WINDOW_Y, MAIN_WINDOW_WIDTH, MAIN_WINDOW_HEIGHT, nullptr, create_menu_bar(), instance,
                           nullptr);
}

void build_plugins_menu(HWND window)
{
    HMENU plugins_menu = CreatePopupMenu();
    append_plugin_menus(plugins_menu);
    AppendMenuA(GetMenu(window), MF_POPUP, reinterpret_cast<UINT_PTR>(plugins_menu), "&Plugins");
    DrawMenuBar(window);
}
