#include "core/bookmark_list.h"

#include <stdlib.h>

#include "host/host_api.h"

BookmarkList bookmark_list;

bool BookmarkList::contains(uint32_t address) const
{
    // The chain is ascending, so the walk ends at the first address not below
    // the one sought instead of running to the end for an absent one.
    const BookmarkNode* node = first_;
    while (node && node->address < address) node = node->next;
    return node && node->address == address;
}

ToggleOutcome BookmarkList::toggle(uint32_t address, bool allow_remove)
{
    // One walk from the start serves as the search and finds the insertion
    // point: it stops at the link to the first node whose address is not below
    // the new one. That node holds the address when it is present; otherwise
    // the new node goes in front of it (or at the end).
    BookmarkNode** link = &first_;
    while (*link && (*link)->address < address) link = &(*link)->next;

    if (*link && (*link)->address == address) {
        if (!allow_remove) return TOGGLE_ALREADY_PRESENT;
        BookmarkNode* node = *link;
        *link = node->next;
        free(node);
        return TOGGLE_REMOVED;
    }

    // Plain malloc keeps the C++ runtime's exception machinery out of the DLL.
    BookmarkNode* fresh = static_cast<BookmarkNode*>(malloc(sizeof(BookmarkNode)));
    if (!fresh) return TOGGLE_OUT_OF_MEMORY;
    fresh->address = address;
    fresh->next = *link;
    *link = fresh;
    return TOGGLE_ADDED;
}

uint32_t BookmarkList::next_after(uint32_t address) const
{
    for (const BookmarkNode* node = first_; node; node = node->next) {
        if (node->address > address) return node->address;
    }
    return 0;
}

uint32_t BookmarkList::previous_before(uint32_t address) const
{
    const BookmarkNode* node = first_;
    if (!node || node->address >= address) return 0;
    while (node->next && node->next->address < address) node = node->next;
    return node->address;
}

void BookmarkList::clear()
{
    while (first_) {
        BookmarkNode* node = first_;
        host_log(node->address, -1, "Korvantis: Deleting bookmark from line %X", node->address);
        first_ = node->next;
        free(node);
    }
}

unsigned BookmarkList::count() const
{
    unsigned total = 0;
    for (const BookmarkNode* node = first_; node; node = node->next) ++total;
    return total;
}
