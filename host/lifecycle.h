// The module's life in the host: identification, start, reset and close.
#pragma once

#include <windows.h>

const int PLUGIN_INTERFACE_VERSION = 110;  // declared, and the oldest host accepted

int plugin_data(char* name_buffer);
int plugin_init(int host_version, HWND main_window);
void plugin_reset();
int plugin_close();
