// What every Wine test of the real DLL starts from: a fresh host record, a
// main window of the host's own, the plug-in loaded from dist/ with its beeps
// recorded, and helpers to drive and read it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sandbox/host_state.h"
#include "sandbox/disasm_view_record.h"
#include "sandbox/plugin_module.h"

// Creates the host's main window (a plain overlapped window, shown).
HWND create_host_main_window();

// Dialog windows (the panel, a settings dialog, a message box) of this thread.
int dialogs_of_this_thread();

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Loads the DLL (without init); false on failure, with the reason logged by gtest.
    bool load_plugin();
    // Loads and initialises with version 110; settings can be put in beforehand.
    void start_plugin(int version = 110);
    // _ODBG_Pluginclose, _ODBG_Plugindestroy, panel gone with the main window, FreeLibrary.
    void stop_plugin();

    void set_setting(const char* key, int value);
    bool has_setting(const char* key) const;
    int setting(const char* key) const;

    // Selects a line in the stand-in CPU view (0: a view with no selection).
    void select_line(uint32_t address);
    void no_view() { host_state.disasm_view = nullptr; }
    // Takes the selection away: a view with no selected line, or no view at all.
    void lose_selection(bool keep_view) { keep_view ? select_line(0) : no_view(); }

    // The panel the plug-in created, found as the main window's owned dialog.
    HWND panel() const;
    // The Bookmarks window, once opened: the owned dialog titled "Bookmarks...".
    HWND bookmarks_window() const;
    std::string panel_title() const;
    // Sends a button command to the panel, as a click does.
    void press_panel_button(int id);

    // Shortcut / menu / action / record helpers through the real exports.
    int shortcut(int key, int ctrl = 0, int alt = 0, int shift = 0);
    std::string menu(int origin, void* item, int* answer = nullptr);
    void action(int origin, int code, void* item = nullptr);
    // module: the host's descriptor of the main module (base, size), or null.
    int record(uint32_t tag, uint32_t size, const void* data, int is_main = 1, const void* module = nullptr);
    // Saves and answers the addresses of the own records stored, in order.
    std::vector<uint32_t> saved_addresses(const void* module = nullptr);

    void forget_calls() { host_state.calls.clear(); }
    std::vector<std::string> log_lines() const;
    std::vector<std::string> notices() const;
    int beeps() const;

    HWND main_window = nullptr;
    PluginModule plugin;
    DisasmViewBuffer view;
};

// A test that starts from the plug-in initialised, with the calls of its
// start forgotten.
class StartedPluginTest : public PluginTest {
protected:
    void SetUp() override;
    // Selects the line and presses the panel's toggle button.
    void toggle_at(uint32_t address);
    // Bookmarks put in through the plug-in's own project records, with no gesture.
    void add_bookmarks(std::initializer_list<uint32_t> addresses);
};
