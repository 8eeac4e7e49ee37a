#include "sandbox/app/loaded_program.h"

#include <windows.h>
#include <string.h>

#include <string>
#include <vector>

#include "sandbox/app/cpu_pane.h"
#include "sandbox/app/plugin_host.h"
#include "sandbox/app/plugin_stores.h"
#include "sandbox/app/sample_program.h"
#include "sandbox/app/trace.h"
#include "sandbox/host_state.h"

namespace {

// Where the program is loaded, or was last.
uint32_t loaded_base = SAMPLE_LINKED_BASE;

// The program's names while it is closed, as they were at loaded_base;
// before its first load it has the sample's own.
bool loaded_before = false;
NameTable kept_names;

// The file the sample would be: SAMPLE.EXE beside the sandbox.
std::string sample_path()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    char* slash = length < sizeof path ? strrchr(path, '\\') : nullptr;
    return slash ? std::string(path, size_t(slash - path) + 1) + "SAMPLE.EXE" : "SAMPLE.EXE";
}

// The program's module descriptor, as host_find_module answers it for an
// address inside the program and as the project callbacks get it; null
// while the program is closed.
void* sample_module()
{
    return host_state.modules.empty() ? nullptr : host_state.modules.front().bytes;
}

void load(uint32_t base, size_t top_row, size_t selected_row)
{
    // The first load starts from the sample's own names where it is linked.
    if (!loaded_before) {
        kept_names.clear();
        for (const LineName& name : sample_names()) kept_names[{name.address, name.type}] = name.text;
        loaded_base = SAMPLE_LINKED_BASE;
        loaded_before = true;
    }
    host_state.names = names_moved(kept_names, loaded_base, base, SAMPLE_IMAGE_SIZE);
    loaded_base = base;
    // The debugger's one module here: the program, named as the debugger
    // shortens a file name.
    host_state.modules.clear();
    add_module(base, SAMPLE_IMAGE_SIZE, "SAMPLE", sample_path());
    trace("module %08X size %X", base, SAMPLE_IMAGE_SIZE);
    const std::vector<CodeLine> lines = sample_program(base);
    show_program(lines, top_row, selected_row);
    host_message(0, "Program SAMPLE loaded at %08X: %u lines from %08X to %08X", base, unsigned(lines.size()),
                 lines.front().address, lines.back().address);
    open_project(sample_module());
}

// The pane emptied and the module gone; the names kept for the next load.
void empty_pane()
{
    kept_names = host_state.names;
    show_program({});
    host_state.names.clear();
    host_state.modules.clear();
}

}  // namespace

void open_program(uint32_t base)
{
    load(base, 0, 0);
}

void save_program_project()
{
    save_project(sample_module());
}

void close_program()
{
    if (!program_is_open()) return;
    save_project(sample_module());
    reset_plugins();
    empty_pane();
    host_message(0, "Program closed");
}

void close_program_at_exit()
{
    if (!program_is_open()) return;
    save_project(sample_module());
    empty_pane();
}

void restart_program(uint32_t base)
{
    size_t top_row = 0, selected_row = 0;
    if (program_is_open()) shown_rows(&top_row, &selected_row);
    trace("restart at %08X", base);
    close_program();
    load(base, top_row, selected_row);
}

uint32_t program_base()
{
    return loaded_base;
}
