// The sandbox's record of what happened, one line per event, flushed at once:
// what the plug-ins asked of the host and what the host asked of them. The
// tour and the gesture tests read it; a person can follow it with tail -f.
#pragma once

#include <string>

void open_trace(const std::string& path);
void trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
