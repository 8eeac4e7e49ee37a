#include "sandbox/app/debugger_keys.h"

namespace {

// Virtual-key codes, spelled out so this table builds without windows.h.
const int KEY_BACK = 0x08, KEY_TAB = 0x09, KEY_ENTER = 0x0D, KEY_ESCAPE = 0x1B, KEY_SPACE = 0x20,
          KEY_PAGE_UP = 0x21, KEY_PAGE_DOWN = 0x22, KEY_END = 0x23, KEY_HOME = 0x24, KEY_LEFT = 0x25, KEY_UP = 0x26,
          KEY_RIGHT = 0x27, KEY_DOWN = 0x28, KEY_F2 = 0x71, KEY_F3 = 0x72, KEY_F4 = 0x73, KEY_F5 = 0x74,
          KEY_F6 = 0x75, KEY_F7 = 0x76, KEY_F8 = 0x77, KEY_F9 = 0x78, KEY_F10 = 0x79, KEY_F11 = 0x7A,
          KEY_F12 = 0x7B, KEY_NUM_PLUS = 0x6B, KEY_NUM_MINUS = 0x6D, KEY_PLUS = 0xBB, KEY_MINUS = 0xBD,
          KEY_SEMICOLON = 0xBA;  // VK_OEM_1: ';' and, with Shift, ':' on a US keyboard
const int ANY = -1;  // a modifier that does not matter

struct DebuggerKey {
    int key, ctrl, alt, shift;
    const char* command;
};

// The debugger's Ctrl+letter commands ignore Shift (Ctrl+Shift+B is Ctrl+B),
// except Ctrl+A, whose Shift variant is offered. Alt held with Ctrl arrives
// as alt 0, so Ctrl+Alt+B is Ctrl+B and Ctrl+Alt+F11 is Ctrl+F11 (both
// measured as kept). The function keys keep exactly the variants listed; the
// editing keys are kept with or without Shift, the moving keys with any
// modifier. Where the command behind a key is not known, the key itself
// names it.
const DebuggerKey debugger_keys[] = {
    {'A', 1, 0, 0, "Analyse code"},
    {'B', 1, 0, ANY, "Binary search"},
    {'C', 1, 0, ANY, "Copy to clipboard"},
    {'E', 1, 0, ANY, "Edit code"},
    {'F', 1, 0, ANY, "Find command"},
    {'G', 1, 0, ANY, "Go to expression"},
    {'J', 1, 0, ANY, "Ctrl+J"},
    {'K', 1, 0, ANY, "Ctrl+K"},
    {'L', 1, 0, ANY, "Search again"},
    {'N', 1, 0, ANY, "Names in module"},
    {'O', 1, 0, ANY, "Scan object files"},
    {'P', 1, 0, ANY, "Ctrl+P"},
    {'R', 1, 0, ANY, "Find references"},
    {'S', 1, 0, ANY, "Find sequence of commands"},
    {'T', 1, 0, ANY, "Condition to pause run trace"},
    {KEY_F2, 0, 0, 0, "Toggle breakpoint"},
    {KEY_F2, 0, 0, 1, "Conditional breakpoint"},
    {KEY_F2, 1, 0, 0, "Restart program"},
    {KEY_F2, 0, 1, 0, "Close program"},
    {KEY_F3, 0, 0, 0, "Open program"},
    {KEY_F3, 0, 0, 1, "Shift+F3"},
    {KEY_F4, 0, 0, 0, "Run to selection"},
    {KEY_F4, 0, 0, 1, "Conditional log breakpoint"},
    {KEY_F5, 0, 0, 0, "F5"},
    {KEY_F5, 0, 0, 1, "Shift+F5"},
    {KEY_F5, 1, 0, 0, "Ctrl+F5"},
    {KEY_F5, 1, 0, 1, "Ctrl+Shift+F5"},
    {KEY_F6, 0, 0, 0, "F6"},
    {KEY_F6, 0, 0, 1, "Shift+F6"},
    {KEY_F6, 1, 0, 0, "Ctrl+F6"},
    {KEY_F6, 1, 0, 1, "Ctrl+Shift+F6"},
    {KEY_F7, 0, 0, 0, "Step into"},
    {KEY_F7, 0, 0, 1, "Step into, passing the exception"},
    {KEY_F7, 1, 0, 0, "Animate into"},
    {KEY_F8, 0, 0, 0, "Step over"},
    {KEY_F8, 0, 0, 1, "Step over, passing the exception"},
    {KEY_F8, 1, 0, 0, "Animate over"},
    {KEY_F9, 0, 0, 0, "Run"},
    {KEY_F9, 0, 0, 1, "Run, passing the exception"},
    {KEY_F9, 1, 0, 0, "Execute till return"},
    {KEY_F9, 0, 1, 0, "Execute till user code"},
    {KEY_F10, 0, 0, 0, "Menu bar"},
    {KEY_F10, 0, 0, 1, "Context menu"},
    {KEY_F10, 1, 0, 1, "Ctrl+Shift+F10"},
    {KEY_F11, 1, 0, 0, "Trace into"},
    {KEY_F11, 1, 0, 1, "Ctrl+Shift+F11"},
    {KEY_F12, 0, 0, 0, "Pause"},
    {KEY_F12, 0, 0, 1, "Shift+F12"},
    {KEY_F12, 1, 0, 1, "Ctrl+Shift+F12"},
    {KEY_SPACE, 0, 0, ANY, "Assemble"},
    {KEY_ENTER, 0, 0, ANY, "Follow"},
    {KEY_ESCAPE, 0, 0, ANY, "Escape"},
    {KEY_TAB, 0, 0, ANY, "Tab"},
    {KEY_BACK, 0, 0, ANY, "Undo selection"},
    {KEY_PLUS, 0, 0, ANY, "Next location"},
    {KEY_NUM_PLUS, 0, 0, ANY, "Next location"},
    {KEY_MINUS, 0, 0, ANY, "Previous location"},
    {KEY_NUM_MINUS, 0, 0, ANY, "Previous location"},
    // The user's names of a line: ':' a label, ';' a comment.
    {KEY_SEMICOLON, 0, 0, 1, "Label"},
    {KEY_SEMICOLON, 0, 0, 0, "Comment"},
    {KEY_UP, ANY, ANY, ANY, "Line up"},
    {KEY_DOWN, ANY, ANY, ANY, "Line down"},
    {KEY_LEFT, ANY, ANY, ANY, "Scroll left"},
    {KEY_RIGHT, ANY, ANY, ANY, "Scroll right"},
    {KEY_PAGE_UP, ANY, ANY, ANY, "Page up"},
    {KEY_PAGE_DOWN, ANY, ANY, ANY, "Page down"},
    {KEY_HOME, ANY, ANY, ANY, "First line"},
    {KEY_END, ANY, ANY, ANY, "Last line"},
};

bool same(int wanted, int given)
{
    return wanted == ANY || wanted == given;
}

}  // namespace

int host_alt_flag(int ctrl, bool alt_down)
{
    return alt_down && ctrl == 0 ? 1 : 0;
}

const char* debugger_key_command(int key, int ctrl, int alt, int shift)
{
    // Alt with a letter opens one of the debugger's windows or menus.
    if (alt == 1 && ctrl == 0 && key >= 'A' && key <= 'Z') return "Window or menu";
    for (const DebuggerKey& k : debugger_keys) {
        if (k.key == key && same(k.ctrl, ctrl) && same(k.alt, alt) && same(k.shift, shift)) return k.command;
    }
    return nullptr;
}
