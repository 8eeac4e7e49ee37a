#include "tests/wine/support/heap_watch.h"

#include <set>

#include "sandbox/import_patch.h"

namespace {

typedef void*(__cdecl* MallocFn)(size_t);
typedef void*(__cdecl* CallocFn)(size_t, size_t);
typedef void*(__cdecl* ReallocFn)(void*, size_t);
typedef void(__cdecl* FreeFn)(void*);

struct Watch {
    MallocFn real_malloc = nullptr;
    CallocFn real_calloc = nullptr;
    ReallocFn real_realloc = nullptr;
    FreeFn real_free = nullptr;
    HeapCounts counts;
    unsigned attempts = 0;
    std::function<bool(unsigned)> decide;
    // Blocks the module holds; the set's own memory comes from the host's heap.
    std::set<void*> blocks;
};

Watch watch;

bool refuse_this_attempt()
{
    const unsigned attempt = watch.attempts++;
    if (watch.decide && watch.decide(attempt)) {
        ++watch.counts.refused;
        return true;
    }
    return false;
}

void handed_out(void* block)
{
    if (!block) return;
    ++watch.counts.allocations;
    watch.blocks.insert(block);
}

// True when the block was handed out while watched (blocks of the module's
// start-up are given back unseen).
bool given_back(void* block)
{
    if (!block || !watch.blocks.erase(block)) return false;
    ++watch.counts.frees;
    return true;
}

void* __cdecl watched_malloc(size_t size)
{
    if (refuse_this_attempt()) return nullptr;
    void* block = watch.real_malloc(size);
    handed_out(block);
    return block;
}

void* __cdecl watched_calloc(size_t count, size_t size)
{
    if (refuse_this_attempt()) return nullptr;
    void* block = watch.real_calloc(count, size);
    handed_out(block);
    return block;
}

void* __cdecl watched_realloc(void* block, size_t size)
{
    if (refuse_this_attempt()) return nullptr;  // the old block stays the module's
    const bool ours = watch.blocks.count(block) != 0;
    void* moved = watch.real_realloc(block, size);
    if (!moved) return nullptr;
    if (ours) watch.blocks.erase(block);
    if (ours || !block) {
        if (!block) ++watch.counts.allocations;
        watch.blocks.insert(moved);
    }
    return moved;
}

void __cdecl watched_free(void* block)
{
    given_back(block);
    watch.real_free(block);
}

template <typename Fn>
bool repoint(HMODULE module, const char* name, Fn replacement, Fn* real)
{
    void* previous = repoint_import(module, "msvcrt.dll", name, reinterpret_cast<void*>(replacement));
    if (!previous) return false;
    *real = reinterpret_cast<Fn>(previous);
    return true;
}

}  // namespace

bool watch_heap(HMODULE module)
{
    watch = Watch();
    return repoint(module, "malloc", &watched_malloc, &watch.real_malloc) &&
           repoint(module, "calloc", &watched_calloc, &watch.real_calloc) &&
           repoint(module, "realloc", &watched_realloc, &watch.real_realloc) &&
           repoint(module, "free", &watched_free, &watch.real_free);
}

HeapCounts heap_counts()
{
    HeapCounts counts = watch.counts;
    counts.live = watch.blocks.size();
    return counts;
}

void set_allocation_failure(std::function<bool(unsigned)> decide)
{
    watch.decide = std::move(decide);
}

void fail_next_allocation()
{
    const unsigned failing = watch.attempts;
    watch.decide = [failing](unsigned attempt) { return attempt == failing; };
}
