// A long random mix of operations on one list, each answer compared with a
// std::set holding what the list should hold. The whole chain is compared with
// the set after every step; clears (one step in five hundred) keep it
// about two hundred entries long, so that this stays cheap.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <iterator>
#include <random>
#include <set>

#include "core/bookmark_list.h"
#include "test_support.h"

namespace {

const unsigned SEED = 20240611;

// KORVANTIS_MODEL_STEPS shortens the run where every step is expensive (valgrind).
int step_count()
{
    const char* steps = getenv("KORVANTIS_MODEL_STEPS");
    return steps ? atoi(steps) : 300000;
}

uint32_t model_next_after(const std::set<uint32_t>& model, uint32_t address)
{
    auto it = model.upper_bound(address);
    return it == model.end() ? 0 : *it;
}

uint32_t model_previous_before(const std::set<uint32_t>& model, uint32_t address)
{
    auto it = model.lower_bound(address);
    return it == model.begin() ? 0 : *std::prev(it);
}

// The chain walked against the set, without building copies of either.
bool same_entries(const BookmarkList& list, const std::set<uint32_t>& model)
{
    const BookmarkNode* node = list.first();
    for (uint32_t address : model) {
        if (!node || node->address != address) return false;
        node = node->next;
    }
    return !node;
}

TEST(BookmarkListModel, RandomOperationsAgreeWithAnOrderedSet)
{
    const int steps = step_count();
    SCOPED_TRACE(::testing::Message() << "seed " << SEED << ", " << steps << " steps");
    std::mt19937 rng(SEED);
    const uint32_t extremes[] = {0, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    BookmarkList list;
    std::set<uint32_t> model;
    // A small range plus the extremes; a quarter of the picks are a stored
    // address or one of its neighbours, so that hits and boundaries are common.
    auto pick_address = [&]() -> uint32_t {
        const unsigned kind = rng() % 16;
        if (kind == 0) return extremes[rng() % 4];
        if (kind < 5 && !model.empty()) {
            return *std::next(model.begin(), rng() % model.size()) + uint32_t(rng() % 3) - 1;
        }
        return rng() % 4096;
    };
    logged_lines.clear();
    malloc_fails = false;

    for (int step = 0; step < steps; ++step) {
        const uint32_t address = pick_address();
        const bool present = model.count(address) != 0;
        const unsigned roll = rng() % 1000;
        if (roll < 2) {  // clear: one line per entry, ascending
            logged_lines.clear();
            list.clear();
            ASSERT_EQ(model.size(), logged_lines.size()) << "step " << step;
            auto expected = model.begin();
            for (const LoggedLine& line : logged_lines) ASSERT_EQ(*expected++, line.address) << "step " << step;
            model.clear();
        } else if (roll < 20) {
            ASSERT_EQ(model.size(), list.count()) << "step " << step;
        } else if (roll < 500) {
            const bool allow_remove = rng() % 2 != 0;
            const ToggleOutcome expected =
                !present ? TOGGLE_ADDED : allow_remove ? TOGGLE_REMOVED : TOGGLE_ALREADY_PRESENT;
            ASSERT_EQ(expected, list.toggle(address, allow_remove)) << "step " << step;
            if (!present) model.insert(address);
            else if (allow_remove) model.erase(address);
        } else if (roll < 700) {
            ASSERT_EQ(model_next_after(model, address), list.next_after(address)) << "step " << step;
        } else if (roll < 900) {
            ASSERT_EQ(model_previous_before(model, address), list.previous_before(address)) << "step " << step;
        } else {
            ASSERT_EQ(present, list.contains(address)) << "step " << step;
        }
        ASSERT_TRUE(same_entries(list, model))
            << "step " << step << ": " << ::testing::PrintToString(entries_of(list));
    }
}

}  // namespace
