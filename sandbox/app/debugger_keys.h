// The keys the debugger's CPU window keeps for itself. The debugger runs its
// own command for them and never offers them to the plug-ins' shortcut
// callbacks, so a plug-in binding on one of them does not fire; every other
// key is offered to the plug-ins first.
#pragma once

// The debugger's command for the key (a Windows virtual-key code) with these
// modifiers (1 held, 0 not), or nullptr when the key is left to plug-ins.
const char* debugger_key_command(int key, int ctrl, int alt, int shift);
