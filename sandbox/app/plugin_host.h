// The sandbox's plug-ins: loading them the way the debugger does, the keys
// offered to them, their resets and their ending (their menus are in
// plugin_menus). The host reaches the user interface only through HostUi.
#pragma once

#include <windows.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "sandbox/plugin_module.h"

struct HostedPlugin {
    PluginModule module;
    std::string name;  // as _ODBG_Plugindata gave it
};

// What the host needs of the user interface; the window fills it in at start.
struct HostUi {
    // A line in the log pane (address 0 for the host's own lines).
    void (*log_line)(uint32_t address, int emphasis, const char* text);
};
void set_host_ui(const HostUi& ui);

// Every DLL in folder, in name order.
std::vector<std::string> plugin_files_in(const std::string& folder);

// Loads and starts each file; refusals are logged and the DLL unloaded.
void load_plugins(const std::vector<std::string>& files, HWND main_window);
const std::vector<HostedPlugin>& hosted_plugins();

// Offers a key of the CPU pane as the debugger does: to every plug-in as a
// main-window key (origin 0), then as a disassembler key (origin 31, with the
// view); the first plug-in that answers 1 ends the search. True when one took it.
bool offer_shortcut(int ctrl, int alt, int shift, int key, void* view);

void reset_plugins();

// _ODBG_Pluginclose of each; false when one refuses to close.
bool close_plugins();
// _ODBG_Plugindestroy of each, then FreeLibrary.
void unload_plugins();

// A file as the host's own log lines name it: its path below the program's
// folder, or its bare name when it lies elsewhere, so that the log (and a
// screenshot of it) shows no folder of the machine it runs on. The trace
// keeps full paths.
std::string path_for_log(const std::string& path);

// A line of the host's own in its log (address 0).
void host_message(int emphasis, const char* format, ...) __attribute__((format(printf, 2, 3)));
