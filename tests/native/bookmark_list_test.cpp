#include <gtest/gtest.h>

#include <initializer_list>

#include "core/bookmark_list.h"
#include "test_support.h"

namespace {

using Entries = std::vector<uint32_t>;

class BookmarkListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        logged_lines.clear();
        malloc_fails = false;
        malloc_calls = 0;
    }

    void fill(std::initializer_list<uint32_t> addresses)
    {
        for (uint32_t address : addresses) ASSERT_EQ(list.toggle(address, false), TOGGLE_ADDED);
    }

    BookmarkList list;
};

TEST_F(BookmarkListTest, EmptyListFindsNothingCountsZeroAndClearsSilently)
{
    for (uint32_t address : {0u, 1u, 0x401000u, 0xFFFFFFFFu}) {
        EXPECT_EQ(0u, list.next_after(address)) << std::hex << address;
        EXPECT_EQ(0u, list.previous_before(address)) << std::hex << address;
        EXPECT_FALSE(list.contains(address)) << std::hex << address;
    }
    EXPECT_EQ(0u, list.count());
    list.clear();
    EXPECT_TRUE(logged_lines.empty());
    EXPECT_EQ(nullptr, list.first());
}

TEST_F(BookmarkListTest, AddsKeepUnsignedAscendingOrderWhateverTheInsertionOrder)
{
    const struct {
        Entries added;
        Entries expected;
    } cases[] = {
        {{0x401000, 0x400000, 0x402000}, {0x400000, 0x401000, 0x402000}},
        {{0x402000, 0x401000, 0x400000}, {0x400000, 0x401000, 0x402000}},
        {{0x80000000, 0x7FFFFFFF}, {0x7FFFFFFF, 0x80000000}},
        {{0xFFFFFFFF, 0x80000000, 0, 0x7FFFFFFF}, {0, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF}},
    };
    for (const auto& c : cases) {
        BookmarkList fresh;
        for (uint32_t address : c.added) EXPECT_EQ(fresh.toggle(address, false), TOGGLE_ADDED);
        EXPECT_EQ(c.expected, entries_of(fresh));
        EXPECT_EQ(c.expected.size(), fresh.count());
        for (uint32_t address : c.added) EXPECT_TRUE(fresh.contains(address));
    }
}

TEST_F(BookmarkListTest, PresentAddressIsKeptWithoutRemovalAndRemovedWithIt)
{
    // The first, a middle and the last node: removal relinks differently.
    const struct {
        uint32_t address;
        Entries remaining;
    } cases[] = {
        {0x400000, {0x401000, 0x402000}},
        {0x401000, {0x400000, 0x402000}},
        {0x402000, {0x400000, 0x401000}},
    };
    const Entries all = {0x400000, 0x401000, 0x402000};
    for (const auto& c : cases) {
        BookmarkList fresh;
        for (uint32_t address : all) fresh.toggle(address, false);

        EXPECT_NE(fresh.toggle(c.address, false), TOGGLE_ADDED);
        EXPECT_EQ(TOGGLE_ALREADY_PRESENT, fresh.toggle(c.address, false));
        EXPECT_EQ(all, entries_of(fresh));

        EXPECT_NE(fresh.toggle(c.address, true), TOGGLE_ADDED);
        EXPECT_EQ(c.remaining, entries_of(fresh));
        EXPECT_FALSE(fresh.contains(c.address));

        EXPECT_EQ(TOGGLE_ADDED, fresh.toggle(c.address, true));
        EXPECT_EQ(TOGGLE_REMOVED, fresh.toggle(c.address, true));
        EXPECT_EQ(c.remaining, entries_of(fresh));
    }
}

TEST_F(BookmarkListTest, NextAndPreviousAreStrictAndAnswerZeroPastTheEnds)
{
    fill({0x400000, 0x402000});
    const struct {
        uint32_t from, next, previous;
    } cases[] = {
        {0x400000, 0x402000, 0},
        {0x402000, 0, 0x400000},
        {0x401000, 0x402000, 0x400000},
        {0x3FFFFF, 0x400000, 0},
        {0x400001, 0x402000, 0x400000},
        {0x402001, 0, 0x402000},
        {0, 0x400000, 0},
        {0xFFFFFFFF, 0, 0x402000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.next, list.next_after(c.from)) << std::hex << c.from;
        EXPECT_EQ(c.previous, list.previous_before(c.from)) << std::hex << c.from;
    }
}

TEST_F(BookmarkListTest, SearchesCompareUnsigned)
{
    fill({0x7FFFFFFF, 0x80000000});
    EXPECT_EQ(0x80000000u, list.next_after(0x7FFFFFFF));
    EXPECT_EQ(0x7FFFFFFFu, list.next_after(0));
    EXPECT_EQ(0x7FFFFFFFu, list.previous_before(0x80000000));
    EXPECT_EQ(0x80000000u, list.previous_before(0xFFFFFFFF));
}

TEST_F(BookmarkListTest, AddressZeroIsStoredAndCountedButFoundAsNone)
{
    fill({0x400000, 0});
    EXPECT_EQ((Entries{0, 0x400000}), entries_of(list));
    EXPECT_EQ(2u, list.count());
    EXPECT_TRUE(list.contains(0));
    EXPECT_EQ(0u, list.previous_before(0x400000));  // finds the stored 0
    EXPECT_EQ(0u, list.previous_before(0));
    EXPECT_EQ(0x400000u, list.next_after(0));
    EXPECT_NE(list.toggle(0, true), TOGGLE_ADDED);
    EXPECT_EQ((Entries{0x400000}), entries_of(list));
}

TEST_F(BookmarkListTest, ClearLogsOneLineForEachEntryInAscendingOrder)
{
    fill({0x402000, 0xFFFFFFFF, 0, 0x401000});
    list.clear();
    const std::vector<LoggedLine> expected = {
        {0, -1, "Korvantis: Deleting bookmark from line 0"},
        {0x401000, -1, "Korvantis: Deleting bookmark from line 401000"},
        {0x402000, -1, "Korvantis: Deleting bookmark from line 402000"},
        {0xFFFFFFFF, -1, "Korvantis: Deleting bookmark from line FFFFFFFF"},
    };
    EXPECT_EQ(expected, logged_lines);
    EXPECT_EQ(nullptr, list.first());
    EXPECT_EQ(0u, list.count());

    logged_lines.clear();
    list.clear();
    EXPECT_TRUE(logged_lines.empty());
    EXPECT_EQ(list.toggle(0x401000, false), TOGGLE_ADDED);
    EXPECT_EQ((Entries{0x401000}), entries_of(list));
}

TEST_F(BookmarkListTest, DestroyingAListClearsItWithItsLogLines)
{
    {
        BookmarkList doomed;
        doomed.toggle(0x402000, false);
        doomed.toggle(0x401000, false);
    }
    ASSERT_EQ(2u, logged_lines.size());
    EXPECT_EQ("Korvantis: Deleting bookmark from line 401000", logged_lines[0].text);
    EXPECT_EQ("Korvantis: Deleting bookmark from line 402000", logged_lines[1].text);
}

TEST_F(BookmarkListTest, FailedNodeAllocationLeavesTheListAsItWas)
{
    // Into an empty list, then before, between and after two entries.
    const struct {
        Entries before;
        uint32_t address;
        Entries after;
    } cases[] = {
        {{}, 0x401000, {0x401000}},
        {{0x400000, 0x402000}, 0x3FF000, {0x3FF000, 0x400000, 0x402000}},
        {{0x400000, 0x402000}, 0x401000, {0x400000, 0x401000, 0x402000}},
        {{0x400000, 0x402000}, 0x403000, {0x400000, 0x402000, 0x403000}},
    };
    for (const auto& c : cases) {
        BookmarkList fresh;
        for (uint32_t address : c.before) fresh.toggle(address, false);

        malloc_fails = true;
        const ToggleOutcome outcome = fresh.toggle(c.address, true);
        const bool added = fresh.toggle(c.address, false) == TOGGLE_ADDED;
        malloc_fails = false;
        EXPECT_EQ(TOGGLE_OUT_OF_MEMORY, outcome);
        EXPECT_FALSE(added);
        EXPECT_EQ(c.before, entries_of(fresh));
        EXPECT_EQ(c.before.size(), fresh.count());
        EXPECT_FALSE(fresh.contains(c.address));

        malloc_calls = 0;
        EXPECT_EQ(TOGGLE_ADDED, fresh.toggle(c.address, false));
        EXPECT_EQ(1u, malloc_calls);
        EXPECT_EQ(c.after, entries_of(fresh));
    }
}

TEST_F(BookmarkListTest, PresentAddressNeedsNoAllocation)
{
    fill({0x400000, 0x402000});
    malloc_fails = true;
    malloc_calls = 0;
    const ToggleOutcome kept = list.toggle(0x400000, false);
    const ToggleOutcome removed = list.toggle(0x400000, true);
    malloc_fails = false;
    EXPECT_EQ(TOGGLE_ALREADY_PRESENT, kept);
    EXPECT_EQ(TOGGLE_REMOVED, removed);
    EXPECT_EQ(0u, malloc_calls);
    EXPECT_EQ((Entries{0x402000}), entries_of(list));
}

}  // namespace
