#include "sandbox/app/cpu_pane.h"

#include <string.h>

#include <string>

#include "host/host_api.h"
#include "sandbox/app/debugger_keys.h"
#include "sandbox/app/line_names.h"
#include "sandbox/app/owned_windows.h"
#include "sandbox/app/plugin_host.h"
#include "sandbox/app/plugin_menus.h"
#include "sandbox/app/trace.h"
#include "sandbox/disasm_view_record.h"
#include "sandbox/host_state.h"

namespace {

const char CPU_CLASS[] = "SandboxCpuPane";

HWND cpu_pane = nullptr;
HFONT code_font = nullptr;
int row_height = 16;

std::vector<CodeLine> program;  // empty while no program is open
// The names as the pane read them when it last repainted on its own: like
// the debugger's CPU window it shows a name given through the host only once
// something repaints it (the host's Redrawdisassembler, a move, a scroll).
NameTable shown_names;
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
    redraw_cpu_pane();
    trace("select %08X row %u top %u", program[row].address, unsigned(row), unsigned(top_row));
}

void paint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    HGDIOBJ old_font = SelectObject(dc, code_font);
    const size_t rows = visible_rows() + 1;
    for (size_t i = 0; i < rows && top_row + i < program.size(); ++i) {
        const bool is_selected = top_row + i == selected;
        RECT row = {0, int(i) * row_height, client.right, int(i + 1) * row_height};
        SetBkColor(dc, GetSysColor(is_selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        SetTextColor(dc, GetSysColor(is_selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        const std::string text = row_text(program[top_row + i], shown_names);
        ExtTextOutA(dc, 4, row.top, ETO_OPAQUE, &row, text.c_str(), UINT(text.size()), nullptr);
    }
    SelectObject(dc, old_font);
    EndPaint(window, &paint);
}

// ':' and ';': the selected line's label or comment, asked for in a small box.
void edit_name(int type)
{
    const uint32_t address = program[selected].address;
    std::string text;
    if (!ask_name(cpu_pane, address, type, &text) || program.empty()) return;
    store_name(address, type, text);
    redraw_cpu_pane();
}

// The moving keys move the selection, ':' and ';' edit the line's names; the
// debugger's other commands are only named, as there is no program to debug
// here.
void run_debugger_key(WPARAM key, int shift, const char* command)
{
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
    case VK_OEM_1:
        host_message(0, "Debugger key: %s (not offered to plug-ins)", command);
        edit_name(shift ? NAME_LABEL : NAME_COMMENT);
        break;
    default: host_message(0, "Debugger key: %s (not offered to plug-ins)", command); break;
    }
}

void on_key(HWND window, WPARAM key, LPARAM key_data, bool system)
{
    if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) return;
    const int ctrl = GetKeyState(VK_CONTROL) < 0 ? 1 : 0;
    const bool alt_down = GetKeyState(VK_MENU) < 0;
    const int shift = GetKeyState(VK_SHIFT) < 0 ? 1 : 0;
    // The modifiers as the debugger reports them: Alt held with Ctrl is
    // passed as alt 0 (AltGr too), and the debugger's own keys are decided on
    // the same flags. The trace says when Alt was held but not reported.
    const int alt = host_alt_flag(ctrl, alt_down);
    trace("key %u ctrl=%d alt=%d shift=%d%s", unsigned(key), ctrl, alt, shift,
          alt_down && !alt ? " (Alt held)" : "");
    // As in the debugger, the CPU window keeps its own keys and offers every
    // other key to the plug-ins first.
    const char* command = debugger_key_command(int(key), ctrl, alt, shift);
    if (!command) {
        if (!program.empty() && offer_shortcut(ctrl, alt, shift, int(key), disasm_view.bytes)) return;
        // The key's own data goes along: its Alt bit tells Windows that Alt
        // was used with a key, so releasing Alt does not open the menu bar.
        if (system) DefWindowProcA(window, WM_SYSKEYDOWN, key, key_data);
        return;
    }
    if (system && key >= 'A' && key <= 'Z') {
        // Alt with a letter: the debugger's windows and menus. The sandbox has
        // none of those windows; its own menu bar answers its mnemonics.
        DefWindowProcA(window, WM_SYSKEYDOWN, key, key_data);
        return;
    }
    if (!program.empty()) run_debugger_key(key, shift, command);
}

void scroll(WPARAM wparam)
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
    redraw_cpu_pane();
}

size_t row_at(LPARAM lparam)
{
    const int y = short(HIWORD(lparam));
    return top_row + size_t(y > 0 ? y / row_height : 0);
}

void on_button_down(HWND window, LPARAM lparam)
{
    raise_owned_windows_soon(GetAncestor(window, GA_ROOT));
    SetFocus(window);
    if (row_at(lparam) < program.size()) select_row(row_at(lparam), false);
}

LRESULT CALLBACK cpu_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_PAINT: paint(window); return 0;
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wparam), &client, GetSysColorBrush(COLOR_WINDOW));
        return 1;
    }
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS;
    case WM_KEYDOWN: on_key(window, wparam, lparam, false); return 0;
    case WM_SYSKEYDOWN:
        if (wparam == VK_MENU || program.empty()) break;
        on_key(window, wparam, lparam, true);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: on_button_down(window, lparam); return 0;
    case WM_RBUTTONUP: {
        if (program.empty()) return 0;
        POINT point = {short(LOWORD(lparam)), short(HIWORD(lparam))};
        ClientToScreen(window, &point);
        run_context_menu(window, point, disasm_view.bytes);
        return 0;
    }
    case WM_MOUSEWHEEL:
        for (int i = 0; i < 3; ++i) scroll(short(HIWORD(wparam)) > 0 ? SB_LINEUP : SB_LINEDOWN);
        return 0;
    case WM_VSCROLL: scroll(wparam); return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

void redraw_cpu_pane()
{
    shown_names = host_state.names;
    InvalidateRect(cpu_pane, nullptr, TRUE);
}

void register_cpu_pane_class(HINSTANCE instance)
{
    WNDCLASSA cpu_class = {};
    cpu_class.lpfnWndProc = cpu_procedure;
    cpu_class.hInstance = instance;
    cpu_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    cpu_class.lpszClassName = CPU_CLASS;
    RegisterClassA(&cpu_class);
}

HWND create_cpu_pane(HWND parent, HFONT font, int height_of_row)
{
    code_font = font;
    row_height = height_of_row;
    cpu_pane = CreateWindowExA(WS_EX_CLIENTEDGE, CPU_CLASS, "CPU", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP,
                               0, 0, 10, 10, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    return cpu_pane;
}

void show_program(const std::vector<CodeLine>& lines, size_t top, size_t selected_line)
{
    program = lines;
    top_row = top;
    if (program.empty()) {
        disasm_view.set_selected(0);
        disasm_view.set_active(0);
        SetScrollRange(cpu_pane, SB_VERT, 0, 0, TRUE);
        redraw_cpu_pane();
        return;
    }
    disasm_view.set_active(1);
    SetScrollRange(cpu_pane, SB_VERT, 0, int(program.size()) - 1, FALSE);
    select_row(selected_line, false);
}

void shown_rows(size_t* top, size_t* selected_line)
{
    *top = top_row;
    *selected_line = selected;
}

bool program_is_open()
{
    return !program.empty();
}

void* disasm_view_record()
{
    return disasm_view.bytes;
}

void go_to_code(uint32_t address)
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

void report_cpu_pane()
{
    POINT origin = {0, 0};
    ClientToScreen(cpu_pane, &origin);
    trace("cpu pane %ld %ld row %d top %u", origin.x, origin.y, row_height, unsigned(top_row));
    for (size_t i = 0; i < visible_rows() && top_row + i < program.size(); ++i) {
        trace("cpu row %u %s", unsigned(i), row_text(program[top_row + i], shown_names).c_str());
    }
}
