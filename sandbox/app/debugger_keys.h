// The keys the debugger's CPU window keeps for itself, as measured in the
// debugger: it runs its own command for them and never offers them to the
// plug-ins' shortcut callbacks, so a plug-in binding on one of them does not
// fire. Every other key is offered to the plug-ins first.
#pragma once

// The debugger's command for the key (a Windows virtual-key code) with these
// modifiers (1 held, 0 not), or the key itself spelled out where the command
// is not known; nullptr when the key is left to plug-ins.
const char* debugger_key_command(int key, int ctrl, int alt, int shift);
