// A plug-in that the host has to deal with: built once per BAD_* variant.
//   BAD_NO_INIT        exports _ODBG_Plugindata but no _ODBG_Plugininit
//   BAD_OTHER_VERSION  answers interface version 109
//   BAD_REFUSES_INIT   answers 110 and refuses to start (-1)
//   BAD_BAD_MENU       starts, then offers a main-menu description without codes
#include <windows.h>
#include <string.h>

#define EXPORT extern "C" __declspec(dllexport)

EXPORT int _ODBG_Plugindata(char* name)
{
    strcpy(name, "BadPlugin");
#ifdef BAD_OTHER_VERSION
    return 109;
#else
    return 110;
#endif
}

#ifndef BAD_NO_INIT
EXPORT int _ODBG_Plugininit(int, HWND, unsigned long*)
{
#ifdef BAD_REFUSES_INIT
    return -1;
#else
    return 0;
#endif
}
#endif

#ifdef BAD_BAD_MENU
EXPORT int _ODBG_Pluginmenu(int origin, char* text, void*)
{
    if (origin != 0) return 0;
    strcpy(text, "Show | 1 Hide");
    return 1;
}
#endif
