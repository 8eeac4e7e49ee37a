// The rows of the Bookmarks window: the bookmarks whose address, module,
// label or comment holds the filter text, in the order of one column. The
// rows stay in their model, a copy of the bookmark list in ascending order;
// the view is a vector of the addresses it shows, so a row is known by its
// bookmark wherever it moves. Free of Win32: names and modules come from the
// host operations, and the native tests supply those.
#pragma once

#include <stdint.h>

enum RowColumn { ROW_ADDRESS, ROW_MODULE, ROW_LABEL, ROW_COMMENT, ROW_COLUMN_COUNT };

// The longest filter the field takes.
const int FILTER_CHARACTERS = 255;
// A cell shows at most this many characters of a name; a longer one is cut
// and ends in "..." so that the cut shows. Names sort by these characters too.
const int CELL_CHARACTERS = 259;

// The column the rows are sorted by and its direction. Ties, and rows with the
// same name, keep address order; rows without a name come last either way.
struct RowOrder {
    int column;  // a RowColumn
    bool descending;
};

// "list_sort" holds the order in one integer: the column times two, plus one
// when descending. 0 is ascending address, the default; 1 descending
// address; 2 and 3 the module; 4 and 5 the label; 6 and 7 the comment. Any
// other value gives the default.
int order_setting(RowOrder order);
RowOrder order_from_setting(int value);

struct BookmarkRows {
    uint32_t* all = nullptr;    // every bookmark, ascending: the model
    int all_count = 0;
    uint32_t* shown = nullptr;  // the bookmarks shown, in the view's order
    int shown_count = 0;
    int shown_capacity = 0;
    bool passed = false;  // shown was made by a whole pass since the rows were freed
    // The filter, upper-cased (case is ignored); empty shows every bookmark.
    char filter[FILTER_CHARACTERS + 1] = {};
    RowOrder order = {ROW_ADDRESS, false};
};

// Sets the filter; a whole pass is needed for it to show.
void set_filter(BookmarkRows& rows, const char* text);
// True when the rows depend on names or modules, which may change in the
// debugger at any time: a filter is set or the order is not by address.
bool names_matter(const BookmarkRows& rows);

// A whole pass: takes the bookmark list again, filters and sorts every row.
// False when memory ran out; then no row is shown.
bool filter_and_sort(BookmarkRows& rows);
// Takes the bookmark list again after a change: a few bookmarks added or
// removed are taken out or put in their place alone, more give a whole pass.
bool follow_bookmarks(BookmarkRows& rows);
// The names of the bookmark at address changed: its row is put in its place
// again, or taken out when it no longer passes the filter.
void place_again(BookmarkRows& rows, uint32_t address);
// Frees every block; the rows show nothing until the next pass.
void free_rows(BookmarkRows& rows);

// The row showing address, or -1.
int row_of(const BookmarkRows& rows, uint32_t address);
// For each of count addresses its row, or -1, in found: one walk of the rows
// however many addresses there are. False when memory ran out (found all -1).
bool rows_of(const BookmarkRows& rows, const uint32_t* addresses, int* found, int count);

// The text of one cell of the bookmark at address, cut to size bytes.
void cell_text(uint32_t address, int column, char* cell, int size);
// The name of the given type the debugger keeps for address, whole, and its
// length; empty when there is none or no memory is left. The text is good
// until the next read of a name or cell.
const char* read_name(uint32_t address, int type, int& length);
// Eight upper-case hexadecimal digits and the zero.
void address_digits(uint32_t address, char digits[9]);
