// The program in the CPU pane as the debugger holds its debuggee: the sample
// loaded at a base, its module descriptor (what Findmodule answers for its
// addresses and the plug-ins' project callbacks get), and its labels and comments, carried from one load to the next
// relative to the module as the debugger's project keeps them, so that they
// follow the code to another base. One project file serves every base.
#pragma once

#include <stdint.h>

// Loads the sample at base into the CPU pane with its names, logs where, and
// reads its project back into the plug-ins.
void open_program(uint32_t base);
// Writes the project through the plug-ins (File > Save project).
void save_program_project();
// Saves the project through the plug-ins, resets them and empties the pane.
void close_program();
// At exit: saves the project and empties the pane (the plug-ins are closed
// next, not reset).
void close_program_at_exit();
// Closes the program and loads it again at base (the same base or another),
// the same line selected and the same rows in view.
void restart_program(uint32_t base);
// Where the program is loaded, or was last.
uint32_t program_base();
