#include "sandbox/plugin_module.h"

#include <stdlib.h>

template <typename Fn>
static void find(HMODULE module, const char* name, Fn* fn)
{
    *fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

bool PluginModule::load(const std::string& file, std::string* error)
{
    path = file;
    module = LoadLibraryA(file.c_str());
    if (!module) {
        if (error) *error = "cannot load " + file + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    find(module, "_ODBG_Plugindata", &data);
    find(module, "_ODBG_Plugininit", &init);
    find(module, "_ODBG_Pluginreset", &reset);
    find(module, "_ODBG_Pluginclose", &close);
    find(module, "_ODBG_Plugindestroy", &destroy);
    find(module, "_ODBG_Pluginmenu", &menu);
    find(module, "_ODBG_Pluginaction", &action);
    find(module, "_ODBG_Pluginshortcut", &shortcut);
    find(module, "_ODBG_Pluginsaveudd", &saveudd);
    find(module, "_ODBG_Pluginuddrecord", &uddrecord);
    if (!data || !init) {
        if (error) *error = file + " lacks _ODBG_Plugindata or _ODBG_Plugininit";
        unload();
        return false;
    }
    return true;
}

void PluginModule::unload()
{
    if (module) FreeLibrary(module);
    *this = PluginModule();
}

std::string default_plugin_path()
{
    const char* chosen = getenv("KORVANTIS_DLL");
    return chosen && *chosen ? chosen : KORVANTIS_DEFAULT_DLL;
}
