#include "sandbox/app/plugin_stores.h"

#include <stdio.h>
#include <stdlib.h>

#include "sandbox/app/plugin_host.h"
#include "sandbox/app/project_file.h"
#include "sandbox/app/trace.h"
#include "sandbox/host_state.h"

namespace {

std::string ini_file;
std::string project_file;

std::string plugin_name_of(void* instance)
{
    for (const HostedPlugin& plugin : hosted_plugins()) {
        if (plugin.module.module == instance && !plugin.name.empty()) return plugin.name;
    }
    char name[32];  // "module_" and eight hex digits
    snprintf(name, sizeof name, "module_%08lX", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(instance)));
    return name;
}

// The debugger keeps each plug-in's integers in ollydbg.ini in a section
// "Plugin " and the plug-in's name, written as decimal numbers.
std::string section_of(void* instance)
{
    return "Plugin " + plugin_name_of(instance);
}

bool read_ini_setting(void* instance, const char* key, int* value)
{
    char text[32] = {};  // a 32-bit decimal with its sign
    GetPrivateProfileStringA(section_of(instance).c_str(), key, "", text, sizeof text, ini_file.c_str());
    if (!text[0]) return false;
    *value = int(strtol(text, nullptr, 10));
    return true;
}

void write_ini_setting(void* instance, const char* key, int value)
{
    char text[16];  // a 32-bit decimal with its sign
    snprintf(text, sizeof text, "%d", value);
    WritePrivateProfileStringA(section_of(instance).c_str(), key, text, ini_file.c_str());
    trace("setting %s %s=%d", plugin_name_of(instance).c_str(), key, value);
}

}  // namespace

void set_store_paths(const std::string& ini_path, const std::string& project_path)
{
    ini_file = ini_path;
    project_file = project_path;
    host_state.read_setting = read_ini_setting;
    host_state.write_setting = write_ini_setting;
}

void save_project(void* module)
{
    host_state.saved_records.clear();
    for (const HostedPlugin& plugin : hosted_plugins()) {
        if (plugin.module.saveudd) plugin.module.saveudd(module, 1);
    }
    std::vector<ProjectRecord> records;
    for (const auto& saved : host_state.saved_records) {
        std::string hex;
        for (uint8_t octet : saved.second) {
            char pair[4];  // two hex digits
            snprintf(pair, sizeof pair, "%02X", octet);
            hex += pair;
        }
        trace("record save %08X %u %s", saved.first, unsigned(saved.second.size()), hex.c_str());
        records.push_back({saved.first, saved.second});
    }
    const std::vector<uint8_t> bytes = encode_project(records);
    FILE* file = fopen(project_file.c_str(), "wb");
    const bool written = file && fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = file && fclose(file) == 0;  // a full disk may show only here
    if (!written || !closed) {
        host_message(1, "Project file %s could not be written", path_for_log(project_file).c_str());
        return;
    }
    host_message(0, "Project saved: %u records in %s", unsigned(records.size()), path_for_log(project_file).c_str());
}

void open_project(void* module)
{
    FILE* file = fopen(project_file.c_str(), "rb");
    if (!file) {
        host_message(0, "No project file %s yet", path_for_log(project_file).c_str());
        return;
    }
    std::vector<uint8_t> bytes;
    uint8_t chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    fclose(file);

    std::vector<ProjectRecord> records;
    std::string damage;
    if (!decode_project(bytes, &records, &damage)) {
        host_message(1, "Project file %s is damaged: %s; %u records before it are used", path_for_log(project_file).c_str(),
                     damage.c_str(), unsigned(records.size()));
    }
    unsigned taken = 0;
    for (ProjectRecord& record : records) {
        bool took = false;
        for (const HostedPlugin& plugin : hosted_plugins()) {
            if (!plugin.module.uddrecord) continue;
            const int answer = plugin.module.uddrecord(module, 1, record.tag, record.bytes.size(),
                                                      record.bytes.data());
            trace("record load %s %08X %u -> %d", plugin.name.c_str(), record.tag, unsigned(record.bytes.size()),
                  answer);
            if (answer) {
                took = true;
                break;
            }
        }
        if (took) ++taken;
    }
    host_message(0, "Project read: %u records from %s, %u taken", unsigned(records.size()), path_for_log(project_file).c_str(),
                 taken);
}
