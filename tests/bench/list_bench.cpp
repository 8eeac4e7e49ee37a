// The bookmark chain against the best ordinary container for the job, a
// std::set<uint32_t>, operation by operation and size by size, in one run.
// Names are "<operation>/<container>/<N>" so scripts/bench can pair them.
//
// The lists are built the way a project load builds them (ascending, one
// toggle per record), so the chain's nodes lie in address order in the
// heap, as they do in the debugger after a load.
#include <benchmark/benchmark.h>

#include <stdint.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/bookmark_list.h"
#include "host/host_api.h"

// clear() logs one line per entry through the host; here the host does nothing.
extern "C" void host_log(uint32_t, int, const char*, ...)
{
}

namespace {

// Stored addresses are kSpacing apart from kBase, so every gap holds fresh ones.
const uint32_t kBase = 0x00401000;
const uint32_t kSpacing = 16;
uint32_t stored(size_t index)
{
    return kBase + uint32_t(index) * kSpacing;
}

struct Chain {
    BookmarkList list;
    const char* name() const { return "chain"; }
    bool toggle(uint32_t a, bool allow_remove) { return list.toggle(a, allow_remove) == TOGGLE_ADDED; }
    bool contains(uint32_t a) const { return list.contains(a); }
    uint32_t next_after(uint32_t a) const { return list.next_after(a); }
    uint32_t previous_before(uint32_t a) const { return list.previous_before(a); }
    unsigned count() const { return list.count(); }
    uint32_t walk() const
    {
        uint32_t sum = 0;
        for (const BookmarkNode* n = list.first(); n; n = n->next) sum += n->address;
        return sum;
    }
    void clear() { list.clear(); }
};

// The same contract on a balanced tree: 0 for "none" in the searches, and a
// log call per entry when clearing, as the plug-in's clear must make.
struct Tree {
    std::set<uint32_t> set;
    const char* name() const { return "set"; }
    bool toggle(uint32_t a, bool allow_remove)
    {
        auto found = set.find(a);
        if (found == set.end()) {
            set.insert(a);
            return true;
        }
        if (allow_remove) set.erase(found);
        return false;
    }
    bool contains(uint32_t a) const { return set.count(a) != 0; }
    uint32_t next_after(uint32_t a) const
    {
        auto it = set.upper_bound(a);
        return it == set.end() ? 0 : *it;
    }
    uint32_t previous_before(uint32_t a) const
    {
        auto it = set.lower_bound(a);
        return it == set.begin() ? 0 : *--it;
    }
    unsigned count() const { return unsigned(set.size()); }
    uint32_t walk() const
    {
        uint32_t sum = 0;
        for (uint32_t a : set) sum += a;
        return sum;
    }
    void clear()
    {
        for (uint32_t a : set) host_log(a, -1, "Korvantis: Deleting bookmark from line %X", a);
        set.clear();
    }
};

template <class C>
void fill_ascending(C& c, size_t n)
{
    for (size_t i = 0; i < n; ++i) c.toggle(stored(i), false);
}

// Filling the chain costs N*N/2 steps or more (a second at N = 10,000), so the
// benchmarks that leave the list as they found it share one list per size.
template <class C>
C& shared_list(size_t n)
{
    static std::map<size_t, C*> lists;
    C*& list = lists[n];
    if (!list) {
        list = new C;
        fill_ascending(*list, n);
    }
    return *list;
}

// Addresses spread over the stored range and a little beyond both ends.
std::vector<uint32_t> random_points(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<uint32_t> pick(kBase - kSpacing, stored(n - 1) + kSpacing);
    std::vector<uint32_t> points(1024);
    for (uint32_t& p : points) p = pick(rng);
    return points;
}

enum Where { FRONT, MIDDLE, END };
const char* where_name(Where w)
{
    return w == FRONT ? "front" : w == MIDDLE ? "middle" : "end";
}

// Toggles are timed in batches of kBatch distinct addresses at one place and
// undone outside the timed part, so the list keeps its size and the clock's
// own cost is spread over several operations.
const int kBatch = 4;

// Times one toggle of each address of the batch per call, then toggles them
// back outside the timing, so the list keeps its size.
template <class C>
void time_toggles(benchmark::State& state, C& c, const uint32_t (&batch)[kBatch])
{
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (int k = 0; k < kBatch; ++k) benchmark::DoNotOptimize(c.toggle(batch[k], true));
        const auto stop = std::chrono::steady_clock::now();
        for (int k = 0; k < kBatch; ++k) c.toggle(batch[k], true);
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count() / kBatch);
    }
}

template <class C>
void toggle_new(benchmark::State& state, Where where)
{
    const size_t n = size_t(state.range(0));
    C& c = shared_list<C>(n);
    uint32_t batch[kBatch];
    for (int k = 0; k < kBatch; ++k) {
        // Fresh addresses: below the first, inside the middle gap, above the last.
        batch[k] = where == FRONT    ? kBase - 1 - uint32_t(k)
                   : where == MIDDLE ? stored(n / 2) + 1 + uint32_t(k)
                                     : stored(n - 1) + 1 + uint32_t(k);
    }
    time_toggles(state, c, batch);
}

template <class C>
void toggle_present(benchmark::State& state, Where where)
{
    const size_t n = size_t(state.range(0));
    C& c = shared_list<C>(n);
    const size_t first = where == FRONT ? 0 : where == MIDDLE ? n / 2 - kBatch / 2 : n - kBatch;
    uint32_t batch[kBatch];
    for (int k = 0; k < kBatch; ++k) batch[k] = stored(first + size_t(k));
    time_toggles(state, c, batch);
}

template <class C, class Op>
void from_random_points(benchmark::State& state, Op op)
{
    const size_t n = size_t(state.range(0));
    C& c = shared_list<C>(n);
    const std::vector<uint32_t> points = random_points(n, 8);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(op(c, points[i]));
        i = (i + 1) & (points.size() - 1);
    }
}

template <class C>
void count(benchmark::State& state)
{
    const C& c = shared_list<C>(size_t(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(c.count());
}

template <class C>
void walk(benchmark::State& state)
{
    const C& c = shared_list<C>(size_t(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(c.walk());
}

enum Order { ASCENDING, DESCENDING, RANDOM };
const char* order_name(Order o)
{
    return o == ASCENDING ? "ascending" : o == DESCENDING ? "descending" : "random";
}

std::vector<uint32_t> in_order(size_t n, Order order)
{
    std::vector<uint32_t> addresses(n);
    for (size_t i = 0; i < n; ++i) addresses[i] = stored(i);
    if (order == DESCENDING) std::reverse(addresses.begin(), addresses.end());
    if (order == RANDOM) std::shuffle(addresses.begin(), addresses.end(), std::mt19937(8));
    return addresses;
}

// One iteration builds the whole list of N from empty; the time is per list.
template <class C>
void build(benchmark::State& state, Order order)
{
    const std::vector<uint32_t> addresses = in_order(size_t(state.range(0)), order);
    for (auto _ : state) {
        C c;
        for (uint32_t a : addresses) c.toggle(a, false);
        benchmark::DoNotOptimize(c.count());
        state.PauseTiming();
        c.clear();
        state.ResumeTiming();
    }
}

// Clearing N entries; the filling (descending, the chain's cheapest order) is
// not timed.
template <class C>
void clear(benchmark::State& state)
{
    const std::vector<uint32_t> addresses = in_order(size_t(state.range(0)), DESCENDING);
    for (auto _ : state) {
        state.PauseTiming();
        C c;
        for (uint32_t a : addresses) c.toggle(a, false);
        state.ResumeTiming();
        c.clear();
    }
}

const int64_t kSizes[] = {10, 100, 1000, 10000, 100000};

template <class Fn>
void add(const std::string& op, const char* container, Fn fn, bool manual_time = false,
         bool quadratic = false)
{
    for (int64_t n : kSizes) {
        // Registered as op/container; the argument adds "/N".
        const std::string name = op + "/" + container;
        benchmark::internal::Benchmark* b = benchmark::RegisterBenchmark(name.c_str(), fn);
        b->Arg(n)->Unit(benchmark::kMicrosecond);
        if (manual_time) b->UseManualTime();
        // The chain's builds and untimed refills are quadratic: seconds each at
        // N = 100,000. Fixed counts keep the run to a few minutes.
        if (quadratic && n >= 100000) b->Iterations(1)->Repetitions(1);
        else if (quadratic && n >= 10000) b->Iterations(3);
        else if (quadratic && n >= 1000) b->Iterations(50);
    }
}

template <class C>
void register_all(bool chain)
{
    const char* name = C().name();
    for (Where w : {FRONT, MIDDLE, END}) {
        add(std::string("toggle_new_") + where_name(w), name,
            [w](benchmark::State& s) { toggle_new<C>(s, w); }, true);
        add(std::string("toggle_present_") + where_name(w), name,
            [w](benchmark::State& s) { toggle_present<C>(s, w); }, true);
    }
    add("contains", name, [](benchmark::State& s) {
        from_random_points<C>(s, [](const C& c, uint32_t a) { return c.contains(a); });
    });
    add("next_after", name, [](benchmark::State& s) {
        from_random_points<C>(s, [](const C& c, uint32_t a) { return c.next_after(a); });
    });
    add("previous_before", name, [](benchmark::State& s) {
        from_random_points<C>(s, [](const C& c, uint32_t a) { return c.previous_before(a); });
    });
    add("count", name, count<C>);
    add("walk", name, walk<C>);
    for (Order o : {ASCENDING, DESCENDING, RANDOM}) {
        add(std::string("build_") + order_name(o), name,
            [o](benchmark::State& s) { build<C>(s, o); }, false, chain);
    }
    add("clear", name, clear<C>, false, chain);
}

}  // namespace

int main(int argc, char** argv)
{
    register_all<Chain>(true);
    register_all<Tree>(false);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
