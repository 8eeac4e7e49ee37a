#include "sandbox/app/plugin_host.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "sandbox/app/trace.h"
#include "sandbox/host_state.h"
#include "sandbox/import_patch.h"

namespace {

const int HOST_VERSION = 110;
// _ODBG_Plugindata writes at most 32 characters in the debugger; the rest of
// the buffer catches a plug-in that writes more.
const size_t NAME_LIMIT = 32;
HostUi ui;
std::vector<HostedPlugin> plugins;

typedef BOOL(WINAPI* BeepFn)(UINT);
BeepFn real_message_beep = nullptr;

BOOL WINAPI traced_message_beep(UINT type)
{
    record_beep(type);
    trace("beep %u", type);
    return real_message_beep ? real_message_beep(type) : TRUE;
}

// The file version of a loaded module's version block ("1.3.0.0"), or "" when
// it has none: found by the fixed part's signature, as the debugger's users
// see it in the file's properties.
std::string file_version_of(HMODULE module)
{
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));  // RT_VERSION
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const uint8_t* block = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    const DWORD size = found ? SizeofResource(module, found) : 0;
    const DWORD SIGNATURE = 0xFEEF04BD;
    for (DWORD at = 0; block && at + sizeof(VS_FIXEDFILEINFO) <= size; at += 4) {
        VS_FIXEDFILEINFO fixed;
        memcpy(&fixed, block + at, sizeof fixed);
        if (fixed.dwSignature != SIGNATURE) continue;
        char text[48];  // four 16-bit numbers and three dots
        snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", fixed.dwFileVersionMS >> 16, fixed.dwFileVersionMS & 0xFFFF,
                 fixed.dwFileVersionLS >> 16, fixed.dwFileVersionLS & 0xFFFF);
        return text;
    }
    return "";
}

void refuse(HostedPlugin& plugin, const char* file, const char* why)
{
    host_message(1, "Plug-in %s: %s; unloaded", path_for_log(file).c_str(), why);
    trace("plugin refused %s: %s", file, why);
    plugin.module.unload();
}

}  // namespace

std::string path_for_log(const std::string& path)
{
    char program[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    char* folder_end = strrchr(program, '\\');
    if (length && length < sizeof program && folder_end) {
        const size_t folder_length = size_t(folder_end - program) + 1;  // with its backslash
        if (path.size() > folder_length && _strnicmp(path.c_str(), program, folder_length) == 0) {
            return path.substr(folder_length);
        }
    }
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void host_message(int emphasis, const char* format, ...)
{
    char line[1024];  // the host's own lines name a file and a reason
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    trace("host %d %s", emphasis, line);
    if (ui.log_line) ui.log_line(0, emphasis, line);
}

void set_host_ui(const HostUi& user_interface)
{
    ui = user_interface;
}

std::vector<std::string> plugin_files_in(const std::string& folder)
{
    std::vector<std::string> files;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.dll").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(folder + "\\" + found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(files.begin(), files.end());
    return files;
}

void load_plugins(const std::vector<std::string>& files, HWND main_window)
{
    plugins.reserve(files.size());
    for (const std::string& file : files) {
        HostedPlugin plugin;
        std::string error;
        trace("plugin load %s", file.c_str());
        if (!plugin.module.load(file, &error)) {
            // The loader's reason names the file by its full path; the log names it as everywhere else.
            const size_t at = error.find(file);
            if (at != std::string::npos) error.replace(at, file.size(), path_for_log(file));
            host_message(1, "Plug-in %s not loaded: %s", path_for_log(file).c_str(), error.c_str());
            trace("plugin refused %s: %s", file.c_str(), error.c_str());
            continue;
        }
        void* previous = repoint_import(plugin.module.module, "USER32.dll", "MessageBeep",
                                        reinterpret_cast<void*>(&traced_message_beep));
        if (previous && !real_message_beep) real_message_beep = reinterpret_cast<BeepFn>(previous);

        char name[NAME_LIMIT * 8] = {};
        const int version = plugin.module.data(name);
        name[NAME_LIMIT - 1] = 0;
        plugin.name = name;
        trace("plugin data %s -> %d \"%s\"", file.c_str(), version, name);
        if (version != HOST_VERSION) {
            char why[96];  // the sentence below with two numbers
            snprintf(why, sizeof why, "declares plug-in interface %d, this host speaks %d", version, HOST_VERSION);
            refuse(plugin, file.c_str(), why);
            continue;
        }
        if (plugin.name.empty()) {
            refuse(plugin, file.c_str(), "gives no name");
            continue;
        }
        // Known by name before init, so that its settings land in its own section.
        plugins.push_back(plugin);
        unsigned long features[16] = {};
        const int answer = plugins.back().module.init(HOST_VERSION, main_window, features);
        trace("plugin init %s -> %d", plugin.name.c_str(), answer);
        if (answer != 0) {
            char why[64];  // the sentence below with one number
            snprintf(why, sizeof why, "refused to start (answer %d)", answer);
            refuse(plugins.back(), file.c_str(), why);
            plugins.pop_back();
            continue;
        }
        const std::string file_version = file_version_of(plugins.back().module.module);
        host_message(0, "Plug-in %s loaded from %s%s%s", plugin.name.c_str(), path_for_log(file).c_str(),
                     file_version.empty() ? "" : ", file version ", file_version.c_str());
    }
}

const std::vector<HostedPlugin>& hosted_plugins()
{
    return plugins;
}

bool offer_shortcut(int ctrl, int alt, int shift, int key, void* view)
{
    const struct {
        int origin;
        void* item;
    } offers[] = {{0, nullptr}, {31, view}};
    for (const auto& offer : offers) {
        for (HostedPlugin& plugin : plugins) {
            if (!plugin.module.shortcut) continue;
            const int answer = plugin.module.shortcut(offer.origin, ctrl, alt, shift, key, offer.item);
            trace("shortcut %s %d ctrl=%d alt=%d shift=%d key=%d -> %d", plugin.name.c_str(), offer.origin, ctrl, alt,
                  shift, key, answer);
            if (answer) return true;
        }
    }
    return false;
}

void reset_plugins()
{
    for (HostedPlugin& plugin : plugins) {
        trace("reset %s", plugin.name.c_str());
        if (plugin.module.reset) plugin.module.reset();
    }
}

bool close_plugins()
{
    for (HostedPlugin& plugin : plugins) {
        if (!plugin.module.close) continue;
        const int answer = plugin.module.close();
        trace("close %s -> %d", plugin.name.c_str(), answer);
        if (answer != 0) {
            host_message(1, "Plug-in %s does not want the host to close", plugin.name.c_str());
            return false;
        }
    }
    return true;
}

void unload_plugins()
{
    for (HostedPlugin& plugin : plugins) {
        trace("destroy %s", plugin.name.c_str());
        if (plugin.module.destroy) plugin.module.destroy();
    }
    for (HostedPlugin& plugin : plugins) {
        trace("unload %s", plugin.name.c_str());
        plugin.module.unload();
        trace("unloaded %s", plugin.name.c_str());
    }
    plugins.clear();
}
