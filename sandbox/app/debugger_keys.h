// The keys the debugger's CPU window keeps for itself, as measured in the
// debugger: it runs its own command for them and never offers them to the
// plug-ins' shortcut callbacks, so a plug-in binding on one of them does not
// fire. Every other key is offered to the plug-ins first.
#pragma once

// The alt flag the debugger passes with a key, and decides its own keys by:
// measured, it is 0 whenever Ctrl is held, whatever Alt does (Ctrl+Alt+D
// arrives as Ctrl+D, and so does AltGr+D), and 1 for Alt without Ctrl.
// Windows posts a key pressed with Ctrl and Alt as a plain key down, not a
// system key, and the debugger most likely takes the flag from the message.
int host_alt_flag(int ctrl, bool alt_down);

// The debugger's command for the key (a Windows virtual-key code) with these
// modifiers as the debugger passes them (1 held, 0 not; alt from
// host_alt_flag), or the key itself spelled out where the command is not
// known; nullptr when the key is left to plug-ins.
const char* debugger_key_command(int key, int ctrl, int alt, int shift);
