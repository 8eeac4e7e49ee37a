// The host calls a user or a project file would see, as one line each, in
// order: log lines, notices, beeps, moves of the CPU window, records saved,
// settings written, names given and repaints of the CPU window. Reads (of
// settings, the CPU view, names and modules) are left out.
#pragma once

#include <string>
#include <vector>

#include "sandbox/host_state.h"

std::vector<std::string> feedback_trace(const std::vector<HostCall>& calls);

// The lines feedback_trace gives for each kind of call.
std::string log_entry(uint32_t address, int emphasis, const std::string& text);
std::string notice_entry(const std::string& text);
std::string beep_entry();
std::string goto_entry(uint32_t address);
std::string save_entry(uint32_t address, bool stored);
std::string write_entry(const std::string& key, int value);
std::string name_entry(uint32_t address, int type, const std::string& text);
std::string redraw_entry();
// "Korvantis: ... line %X" texts with the address filled in.
std::string hex(uint32_t value);
