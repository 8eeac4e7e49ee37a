// One plug-in DLL loaded the way the debugger loads it, with its callbacks
// looked up by their exported names.
#pragma once

#include <windows.h>

#include <string>

struct PluginModule {
    typedef int(__cdecl* DataFn)(char*);
    typedef int(__cdecl* InitFn)(int, HWND, unsigned long*);
    typedef void(__cdecl* VoidFn)(void);
    typedef int(__cdecl* CloseFn)(void);
    typedef int(__cdecl* MenuFn)(int, char*, void*);
    typedef void(__cdecl* ActionFn)(int, int, void*);
    typedef int(__cdecl* ShortcutFn)(int, int, int, int, int, void*);
    typedef void(__cdecl* SaveUddFn)(void*, int);
    typedef int(__cdecl* UddRecordFn)(void*, int, unsigned long, unsigned long, void*);

    HMODULE module = nullptr;
    std::string path;
    DataFn data = nullptr;
    InitFn init = nullptr;
    VoidFn reset = nullptr;
    CloseFn close = nullptr;
    VoidFn destroy = nullptr;
    MenuFn menu = nullptr;
    ActionFn action = nullptr;
    ShortcutFn shortcut = nullptr;
    SaveUddFn saveudd = nullptr;
    UddRecordFn uddrecord = nullptr;

    // LoadLibrary and look-up of every callback; false (with the reason in
    // error) when the file does not load or lacks _ODBG_Plugindata or _ODBG_Plugininit.
    bool load(const std::string& file, std::string* error);
    // FreeLibrary; the callbacks are forgotten.
    void unload();
};

// The plug-in the tests load: $KORVANTIS_DLL, or the freshly built dist/Korvantis.dll.
std::string default_plugin_path();
