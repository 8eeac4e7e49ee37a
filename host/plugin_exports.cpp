// The entry points the debugger calls. Each is cdecl and hands over to the
// unit that owns the behaviour; the names the host looks up are given in
// korvantis.def. All of them run on the host's user-interface thread.
#include <windows.h>

#include "host/globals.h"
#include "host/lifecycle.h"
#include "host/menus.h"
#include "persistence/project_records.h"

// May also run on other threads as they start and end; then it does nothing.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) module_instance = instance;
    return 1;
}

extern "C" {

int ODBG_Plugindata(char* name_buffer)
{
    return plugin_data(name_buffer);
}

// Arguments after the main window are not used.
int ODBG_Plugininit(int host_version, HWND main_window, unsigned long*)
{
    return plugin_init(host_version, main_window);
}

void ODBG_Pluginreset(void)
{
    plugin_reset();
}

int ODBG_Pluginclose(void)
{
    return plugin_close();
}

void ODBG_Plugindestroy(void)
{
}

int ODBG_Pluginmenu(int origin, char* text_buffer, void* item)
{
    return plugin_menu(origin, text_buffer, item);
}

void ODBG_Pluginaction(int origin, int action, void* item)
{
    plugin_action(origin, action, item);
}

int ODBG_Pluginshortcut(int origin, int ctrl, int alt, int shift, int key, void*)
{
    return plugin_shortcut(origin, ctrl, alt, shift, key);
}

// The module is the host's descriptor of the module whose project is written.
void ODBG_Pluginsaveudd(void* module, int is_main_module)
{
    if (is_main_module) save_bookmark_records(module);
}

int ODBG_Pluginuddrecord(void* module, int is_main_module, unsigned long tag, unsigned long size,
                         void* data)
{
    return is_main_module ? load_bookmark_record(module, tag, size, data) : 0;
}

}  // extern "C"
