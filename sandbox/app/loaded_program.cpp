#include "sandbox/app/loaded_program.h"

#include <vector>

#include "sandbox/app/cpu_pane.h"
#include "sandbox/app/plugin_host.h"
#include "sandbox/app/plugin_stores.h"
#include "sandbox/app/sample_program.h"
#include "sandbox/app/trace.h"
#include "sandbox/host_state.h"

namespace {

// What the module argument of the project callbacks points at. The
// debugger's module descriptor begins with the module's base and size, two
// 32-bit values, which is all a plug-in reads of it.
struct ModuleDescriptor {
    uint32_t base;
    uint32_t size;
};
ModuleDescriptor sample_module = {SAMPLE_LINKED_BASE, SAMPLE_IMAGE_SIZE};

// The program's names while it is closed, as they were at sample_module.base;
// before its first load it has the sample's own.
bool loaded_before = false;
NameTable kept_names;

void load(uint32_t base, size_t top_row, size_t selected_row)
{
    if (loaded_before) {
        host_state.names = names_moved(kept_names, sample_module.base, base, sample_module.size);
    } else {
        host_state.names.clear();
        for (const LineName& name : sample_names(base)) host_state.names[{name.address, name.type}] = name.text;
        loaded_before = true;
    }
    sample_module.base = base;
    trace("module %08X size %X", sample_module.base, sample_module.size);
    const std::vector<CodeLine> lines = sample_program(base);
    show_program(lines, top_row, selected_row);
    host_message(0, "Program SAMPLE loaded at %08X: %u lines from %08X to %08X", base, unsigned(lines.size()),
                 lines.front().address, lines.back().address);
    open_project(&sample_module);
}

// The pane emptied; the names kept for the next load.
void empty_pane()
{
    kept_names = host_state.names;
    show_program({});
    host_state.names.clear();
}

}  // namespace

void open_program(uint32_t base)
{
    load(base, 0, 0);
}

void save_program_project()
{
    save_project(&sample_module);
}

void close_program()
{
    if (!program_is_open()) return;
    save_project(&sample_module);
    reset_plugins();
    empty_pane();
    host_message(0, "Program closed");
}

void close_program_at_exit()
{
    if (!program_is_open()) return;
    save_project(&sample_module);
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
    return sample_module.base;
}
