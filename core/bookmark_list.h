// The ordered set of bookmarked code addresses: a singly linked chain in
// strictly ascending unsigned order, no duplicates, no size limit. Every
// operation walks the chain from its first node.
#pragma once

#include <stdint.h>

struct BookmarkNode {
    uint32_t address;
    BookmarkNode* next;
};

// What a toggle did to the list.
enum ToggleOutcome {
    TOGGLE_ADDED,
    TOGGLE_REMOVED,
    TOGGLE_ALREADY_PRESENT,
    TOGGLE_OUT_OF_MEMORY,  // the address was absent and no node could be had
};

class BookmarkList {
public:
    constexpr BookmarkList() : first_(nullptr) {}
    // Unloading the module clears the list, which logs one line per entry.
    ~BookmarkList() { clear(); }
    BookmarkList(const BookmarkList&) = delete;
    BookmarkList& operator=(const BookmarkList&) = delete;

    bool contains(uint32_t address) const;
    // Adds an absent address; removes a present one when allow_remove is set.
    ToggleOutcome toggle(uint32_t address, bool allow_remove);
    uint32_t next_after(uint32_t address) const;
    uint32_t previous_before(uint32_t address) const;
    // Removes every entry, logging "Korvantis: Deleting bookmark from line %X" for each.
    void clear();
    unsigned count() const;
    // In-order visit, ascending: for (const BookmarkNode* n = first(); n; n = n->next)
    const BookmarkNode* first() const { return first_; }

private:
    BookmarkNode* first_;
};

// The one list of the process.
extern BookmarkList bookmark_list;
