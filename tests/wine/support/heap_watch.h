// Watches one module's heap through its msvcrt imports: malloc, calloc,
// realloc and free are repointed at counters that keep the set of blocks the
// module holds, and an allocation can be made to fail on demand. Until the
// Bookmarks window is opened, the plug-in's only heap use is its bookmark
// nodes, so the blocks it holds are its nodes.
#pragma once

#include <windows.h>

#include <stddef.h>

#include <functional>

struct HeapCounts {
    unsigned allocations = 0;  // blocks handed out (malloc, calloc, realloc of null)
    unsigned frees = 0;        // blocks given back that were handed out while watched
    unsigned refused = 0;      // allocation attempts answered with null on purpose
    size_t live = 0;           // blocks handed out and not yet given back
};

// Repoints the module's heap imports and starts counting afresh; false when
// the module does not import them.
bool watch_heap(HMODULE module);
HeapCounts heap_counts();

// Decides each allocation attempt by its number (0 the first since
// watch_heap): true makes it fail. Empty (the default) lets every one succeed.
void set_allocation_failure(std::function<bool(unsigned attempt)> decide);
// Shorthand: the next attempt fails, later ones succeed.
void fail_next_allocation();
