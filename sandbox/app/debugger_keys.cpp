#include "sandbox/app/debugger_keys.h"

namespace {

// Virtual-key codes, spelled out so this table builds without windows.h.
const int KEY_ENTER = 0x0D, KEY_SPACE = 0x20, KEY_PAGE_UP = 0x21, KEY_PAGE_DOWN = 0x22, KEY_END = 0x23,
          KEY_HOME = 0x24, KEY_UP = 0x26, KEY_DOWN = 0x28, KEY_G = 0x47, KEY_F2 = 0x71, KEY_F4 = 0x73,
          KEY_F7 = 0x76, KEY_F8 = 0x77, KEY_F9 = 0x78;
const int ANY = -1;  // a modifier that does not matter

struct DebuggerKey {
    int key, ctrl, alt, shift;
    const char* command;
};

// The CPU window's keys as the debugger's help lists them; the moving keys
// are the debugger's with any modifier.
const DebuggerKey debugger_keys[] = {
    {KEY_F2, 0, 0, 0, "Toggle breakpoint"},
    {KEY_F2, 0, 0, 1, "Conditional breakpoint"},
    {KEY_F2, 1, 0, 0, "Restart program"},
    {KEY_F2, 0, 1, 0, "Close program"},
    {KEY_F4, 0, 0, 0, "Run to selection"},
    {KEY_F4, 0, 0, 1, "Conditional log breakpoint"},
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
    {KEY_G, 1, 0, 0, "Go to expression"},
    {KEY_SPACE, 0, 0, 0, "Assemble"},
    {KEY_ENTER, 0, 0, 0, "Follow"},
    {KEY_UP, ANY, ANY, ANY, "Line up"},
    {KEY_DOWN, ANY, ANY, ANY, "Line down"},
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

const char* debugger_key_command(int key, int ctrl, int alt, int shift)
{
    for (const DebuggerKey& k : debugger_keys) {
        if (k.key == key && same(k.ctrl, ctrl) && same(k.alt, alt) && same(k.shift, shift)) return k.command;
    }
    return nullptr;
}
