#include "host/globals.h"

HINSTANCE module_instance;
HWND host_main_window;
HWND panel_window;
