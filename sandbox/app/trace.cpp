#include "sandbox/app/trace.h"

#include <stdarg.h>
#include <stdio.h>

static FILE* trace_file = nullptr;

void open_trace(const std::string& path)
{
    trace_file = fopen(path.c_str(), "wb");
}

void trace(const char* format, ...)
{
    if (!trace_file) return;
    va_list args;
    va_start(args, format);
    vfprintf(trace_file, format, args);
    va_end(args);
    fputc('\n', trace_file);
    fflush(trace_file);
}
