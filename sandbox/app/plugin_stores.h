// Where the plug-ins' settings and project records are kept: their integers
// in ollydbg.ini, a section per plug-in, and the sample program's records in
// its project file.
#pragma once

#include <string>

// Where the stores are kept (set before loading).
void set_store_paths(const std::string& ini_path, const std::string& project_path);

// The project file: written through _ODBG_Pluginsaveudd, read back into
// _ODBG_Pluginuddrecord. module is what the callbacks' module argument points
// at, the main module's descriptor.
void save_project(void* module);
void open_project(void* module);
