// Where the time of a gesture on the Bookmarks window goes: in the plug-in's
// own code (its exports, its window procedure and the host operations they
// call), in each Windows call it makes on its window, or elsewhere (Wine
// painting the list view and the header, the message loop). The Windows calls
// are timed through the DLL's imports of them, repointed at timed wrappers
// (the DLL file is unchanged); cheap look-ups (GetDlgItem, GetWindowRect,
// GetSystemMetrics, SetWindowLongA) are left to the plug-in's share.
#pragma once

#include <windows.h>

enum ProfilePlace {
    PLACE_ELSEWHERE,
    PLACE_PLUGIN,
    PLACE_CREATE_DIALOG,
    PLACE_SHOW_WINDOW,
    PLACE_MOVE_WINDOW,
    PLACE_BRING_TO_TOP,
    PLACE_INVALIDATE,
    PLACE_POST_MESSAGE,
    PLACE_INIT_COMMON_CONTROLS,
    PLACE_SET_ITEM_COUNT,
    PLACE_SET_ITEM_STATE,
    PLACE_GET_NEXT_ITEM,
    PLACE_GET_SELECTED_COUNT,
    PLACE_OTHER_MESSAGE,
    PLACE_COUNT
};

// How the bench's output names each place.
extern const char* const PLACE_NAMES[PLACE_COUNT];

// Repoints the plug-in's imports of the timed functions at their wrappers;
// false when one of them is not imported. A window the plug-in creates while
// they are in place keeps a timed wrapper around its procedure.
bool install_window_profile(HMODULE plugin);

// Starts the clock with every place at zero.
void start_profile();
// Stops the clock; spent[place] is the time since start_profile, in microseconds.
void stop_profile(double spent[PLACE_COUNT]);

// Scope of a call into the plug-in's exports: its time is the plug-in's,
// less the timed Windows calls it makes.
struct PluginCall {
    PluginCall();
    ~PluginCall();
    int outer;
};
