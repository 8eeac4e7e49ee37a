#include "test_support.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

#include "host/host_api.h"

std::vector<LoggedLine> logged_lines;
bool malloc_fails = false;
unsigned malloc_calls = 0;

extern "C" void host_log(uint32_t address, int emphasis, const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    logged_lines.push_back({address, emphasis, text});
}

// Linked with -Wl,--wrap=malloc: the code under test calls this instead.
extern "C" void* __real_malloc(size_t size);
extern "C" void* __wrap_malloc(size_t size)
{
    ++malloc_calls;
    return malloc_fails ? nullptr : __real_malloc(size);
}
