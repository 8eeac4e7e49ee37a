// The eleven services the debugger exports to its plug-ins, imported from
// OLLYDBG.EXE by ordinal (see host/ollydbg_imports.def). Everything is cdecl.
// This header is free of Win32 so the portable code and its native tests can
// include it; tests link their own recording definitions.
#pragma once

#include <stdint.h>

extern "C" {

// Ordinal 2: one line in the host's log; emphasis is -1, 0 or 1.
void host_log(uint32_t address, int emphasis, const char* format, ...);
// Ordinal 54: a one-line notice for the user.
void host_notice(const char* text);
// Ordinal 88: selector 53 gives the CPU disassembler's view record, or null.
void* host_get_value(int selector);
// Ordinal 89: the integer stored for this plug-in under key, or fallback.
int host_read_int(void* instance, const char* key, int fallback);
// Ordinal 91: stores one tagged record in the project file being written;
// non-zero when stored.
int host_save_record(uint32_t tag, uint32_t size, const void* data);
// Ordinal 92: stores an integer under key for later reads and later runs.
int host_write_int(void* instance, const char* key, int value);
// Ordinal 107: moves the CPU window; the plug-in always passes (0, address, 0, 0, 13).
void host_goto_code(uint32_t thread, uint32_t code_address, uint32_t dump_address,
                    uint32_t stack_address, int mode);
// Ordinal 46: the name of the given type the debugger keeps for address
// (NAME_LABEL, NAME_COMMENT), copied with its terminating zero into buffer;
// answers its length, 0 when there is none. The host takes no buffer size and
// keeps names of any length: ask with a null buffer first, which answers the
// length and writes nothing.
int host_find_name(uint32_t address, int type, char* buffer);
// Ordinal 45: the debugger's descriptor of the module holding address, null
// for an address in no module. Read through the MODULE_ offsets below; it
// belongs to the debugger and is only read at once, never kept.
const void* host_find_module(uint32_t address);
// Ordinal 79: gives address a name of the given type (NAME_LABEL,
// NAME_COMMENT), replacing the one it has; an empty text removes that one
// name and leaves the line's other name. Answers 0 whatever happened. The
// debugger keeps any length, but its CPU window breaks drawing a comment of a
// few thousand characters: callers pass at most NAME_CHARACTERS.
int host_insert_name(uint32_t address, int type, const char* text);
// Ordinal 102: repaints the CPU window's disassembler now; a name changed
// through host_insert_name shows there only after it.
void host_redraw_disassembler(void);

}  // extern "C"

// Selector of host_get_value that answers the CPU disassembler's view.
const int HOST_VALUE_CPU_DISASM = 53;

// Types of host_find_name: the user's label and the user's comment of a line.
const int NAME_LABEL = 0x31;
const int NAME_COMMENT = 0x36;

// The longest name the plug-in writes: the CPU window draws a comment of
// 2,000 characters safely and breaks on one of about 3,500.
const int NAME_CHARACTERS = 255;

// Fields of host_find_module's descriptor, as byte offsets: the module's base
// and size (32-bit each), its short name in 8 bytes, zero-terminated only when
// shorter ("kernel32" fills all 8), and its path.
const int MODULE_BASE = 0x00;
const int MODULE_SIZE = 0x04;
const int MODULE_SHORT_NAME = 0x48;
const int MODULE_SHORT_NAME_BYTES = 8;
const int MODULE_PATH = 0x50;
