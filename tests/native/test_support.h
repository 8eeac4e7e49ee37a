// What the native tests put in place of the debugger (a recording host_log),
// a switch that makes malloc fail, and a walk of a list into a vector.
#pragma once

#include <stdint.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/bookmark_list.h"

struct LoggedLine {
    uint32_t address;
    int emphasis;
    std::string text;  // the format with its arguments filled in

    bool operator==(const LoggedLine& other) const
    {
        return address == other.address && emphasis == other.emphasis && text == other.text;
    }
};

inline std::ostream& operator<<(std::ostream& out, const LoggedLine& line)
{
    return out << "{" << std::hex << line.address << std::dec << ", " << line.emphasis << ", \"" << line.text << "\"}";
}

// Every host_log call since the last reset, in order.
extern std::vector<LoggedLine> logged_lines;

// While set, malloc returns null without allocating.
extern bool malloc_fails;
// malloc calls that reached the wrapper since the last reset.
extern unsigned malloc_calls;

// The list's addresses from its first node to its last.
inline std::vector<uint32_t> entries_of(const BookmarkList& list)
{
    std::vector<uint32_t> entries;
    for (const BookmarkNode* node = list.first(); node; node = node->next) entries.push_back(node->address);
    return entries;
}
