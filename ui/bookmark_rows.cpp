#include "ui/bookmark_rows.h"

#include <stdlib.h>
#include <string.h>

#include "core/bookmark_list.h"
#include "host/host_api.h"

namespace {

// More changes than this at once (a project load, Clear Bookmarks) give a
// whole pass instead of one placing per bookmark.
const int FEW_CHANGES = 16;

// A sort key: a name cut to what a cell shows, or a module's short name, and the zero.
const int KEY_BYTES = CELL_CHARACTERS + 1;

// A block that grows on the heap and keeps what it holds when it grows.
struct Block {
    char* bytes;
    size_t used, capacity;
};

// Where names are read whole: the host writes a name with no size given, so
// the block is made to fit the length it answers first. Kept between reads.
Block scratch;

bool make_room(Block& block, size_t size)
{
    if (size <= block.capacity) return true;
    const size_t capacity = size > 2 * block.capacity ? size : 2 * block.capacity;
    char* grown = static_cast<char*>(realloc(block.bytes, capacity));
    if (!grown) return false;
    block.bytes = grown;
    block.capacity = capacity;
    return true;
}

// Reads a name whole into the scratch block; its length, 0 when there is
// none or no memory is left.
int read_into_scratch(uint32_t address, int type)
{
    const int needed = host_find_name(address, type, nullptr);
    if (needed <= 0 || !make_room(scratch, size_t(needed) + 1)) return 0;
    scratch.bytes[0] = 0;
    const int written = host_find_name(address, type, scratch.bytes);
    scratch.bytes[needed] = 0;
    return written < 0 ? 0 : written < needed ? written : needed;
}

int name_type(int column)
{
    return column == ROW_LABEL ? NAME_LABEL : NAME_COMMENT;
}

// Case is ignored for the letters A to Z; other characters compare as they are.
char fold(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// Whether text holds the upper-cased filter of the given length, ignoring case.
bool holds(const char* text, int length, const char* filter, int filter_length)
{
    for (int start = 0; start + filter_length <= length; ++start) {
        int matched = 0;
        while (matched < filter_length && fold(text[start + matched]) == filter[matched]) ++matched;
        if (matched == filter_length) return true;
    }
    return false;
}

// The short name of the module holding address, empty when none does.
void module_name(uint32_t address, char name[MODULE_SHORT_NAME_BYTES + 1])
{
    const uint8_t* module = static_cast<const uint8_t*>(host_find_module(address));
    name[0] = 0;
    if (!module) return;
    memcpy(name, module + MODULE_SHORT_NAME, MODULE_SHORT_NAME_BYTES);
    name[MODULE_SHORT_NAME_BYTES] = 0;
}

bool passes(const BookmarkRows& rows, uint32_t address)
{
    const int length = int(strlen(rows.filter));
    if (!length) return true;
    char digits[9], module[MODULE_SHORT_NAME_BYTES + 1];
    address_digits(address, digits);
    module_name(address, module);
    if (holds(digits, 8, rows.filter, length) || holds(module, int(strlen(module)), rows.filter, length)) {
        return true;
    }
    for (int column = ROW_LABEL; column <= ROW_COMMENT; ++column) {
        const int name_length = read_into_scratch(address, name_type(column));
        if (name_length && holds(scratch.bytes, name_length, rows.filter, length)) return true;
    }
    return false;
}

// What the row of address sorts by in a module or name column, cut to what a
// cell shows and upper-cased, so that keys compare byte by byte; answers its
// length, 0 for none.
int sort_key(uint32_t address, int column, char key[KEY_BYTES])
{
    int kept;
    if (column == ROW_MODULE) {
        module_name(address, key);
        kept = int(strlen(key));
    } else {
        const int length = read_into_scratch(address, name_type(column));
        kept = length < CELL_CHARACTERS ? length : CELL_CHARACTERS;
        if (kept) memcpy(key, scratch.bytes, size_t(kept));
        key[kept] = 0;
    }
    for (int i = 0; i < kept; ++i) key[i] = fold(key[i]);
    return kept;
}

// Below zero when key a comes first. Empty keys come after all others in
// either direction; two empty keys are a tie.
int compare_keys(const char* a, const char* b, bool descending)
{
    if (!*a || !*b) return int(!*a) - int(!*b);
    for (;; ++a, ++b) {
        const unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
        if (x != y || !x) return descending ? int(y) - int(x) : int(x) - int(y);
    }
}

// The row where the bookmark at address belongs in the rows as they are
// sorted, found by halving with the keys read afresh.
int place_of(const BookmarkRows& rows, uint32_t address)
{
    const int column = rows.order.column;
    const bool by_key = column != ROW_ADDRESS;
    char key[KEY_BYTES], other_key[KEY_BYTES];
    if (by_key) sort_key(address, column, key);
    int low = 0, high = rows.shown_count;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        const uint32_t other = rows.shown[middle];
        int order = 0;
        if (by_key) {
            sort_key(other, column, other_key);
            order = compare_keys(other_key, key, rows.order.descending);
        }
        // Ties keep address order; the address column itself may run down.
        if (!order) order = (rows.order.descending && !by_key) == (other > address) ? -1 : 1;
        if (order < 0) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

bool make_shown_room(BookmarkRows& rows, int count)
{
    if (count <= rows.shown_capacity) return true;
    const int capacity = count > 2 * rows.shown_capacity ? count : 2 * rows.shown_capacity;
    uint32_t* grown = static_cast<uint32_t*>(realloc(rows.shown, size_t(capacity) * sizeof(uint32_t)));
    if (!grown) return false;
    rows.shown = grown;
    rows.shown_capacity = capacity;
    return true;
}

void take_out(BookmarkRows& rows, uint32_t address)
{
    const int row = row_of(rows, address);
    if (row < 0) return;
    memmove(rows.shown + row, rows.shown + row + 1, size_t(rows.shown_count - row - 1) * sizeof(uint32_t));
    --rows.shown_count;
}

// Shows the bookmark at address in its place when it passes the filter.
void put_in(BookmarkRows& rows, uint32_t address)
{
    if (!passes(rows, address) || !make_shown_room(rows, rows.shown_count + 1)) return;
    const int row = place_of(rows, address);
    memmove(rows.shown + row + 1, rows.shown + row, size_t(rows.shown_count - row) * sizeof(uint32_t));
    rows.shown[row] = address;
    ++rows.shown_count;
}

// One entry to sort: an address and what it sorts by (an offset among the
// keys, or a position).
struct SortEntry {
    uint32_t address;
    uint32_t key;
};

int by_address(const void* a, const void* b)
{
    const uint32_t x = static_cast<const SortEntry*>(a)->address, y = static_cast<const SortEntry*>(b)->address;
    return x < y ? -1 : x > y ? 1 : 0;
}

// What by_key compares: the keys of the sort under way (one at a time) and its direction.
const char* sort_keys;
bool sort_descending;

// Ties keep address order, so that the order is the same whatever qsort does with equal entries.
int by_key(const void* a, const void* b)
{
    const SortEntry* x = static_cast<const SortEntry*>(a);
    const SortEntry* y = static_cast<const SortEntry*>(b);
    const int order = compare_keys(sort_keys + x->key, sort_keys + y->key, sort_descending);
    return order ? order : by_address(a, b);
}

// Sorts the shown rows, which come in address order. Each key is read once;
// the rows without one keep that order after the others, so only the rows
// with a key are sorted. When no memory is left for the keys the rows stay
// in address order.
void sort_shown(BookmarkRows& rows)
{
    const int count = rows.shown_count;
    if (rows.order.column == ROW_ADDRESS) {
        if (!rows.order.descending) return;
        for (int i = 0, j = count - 1; i < j; ++i, --j) {
            const uint32_t swap = rows.shown[i];
            rows.shown[i] = rows.shown[j];
            rows.shown[j] = swap;
        }
        return;
    }
    if (count < 2) return;
    // The rows with a key from the front of entries, those without from the back.
    SortEntry* entries = static_cast<SortEntry*>(malloc(size_t(count) * sizeof(SortEntry)));
    Block keys = {nullptr, 0, 0};
    bool whole = entries != nullptr;
    int keyed = 0;
    char key[KEY_BYTES];
    for (int i = 0; whole && i < count; ++i) {
        const size_t length = size_t(sort_key(rows.shown[i], rows.order.column, key)) + 1;
        if (length == 1) {
            entries[count - 1 - (i - keyed)] = {rows.shown[i], 0};
            continue;
        }
        whole = make_room(keys, keys.used + length);
        if (!whole) break;
        memcpy(keys.bytes + keys.used, key, length);
        entries[keyed++] = {rows.shown[i], uint32_t(keys.used)};
        keys.used += length;
    }
    if (whole) {
        sort_keys = keys.bytes;
        sort_descending = rows.order.descending;
        qsort(entries, size_t(keyed), sizeof(SortEntry), by_key);
        for (int i = 0; i < keyed; ++i) rows.shown[i] = entries[i].address;
        for (int i = keyed; i < count; ++i) rows.shown[i] = entries[count - 1 - (i - keyed)].address;
    }
    free(entries);
    free(keys.bytes);
}

// Filters and sorts the rows of the model as it is.
bool pass(BookmarkRows& rows)
{
    rows.shown_count = 0;
    rows.passed = make_shown_room(rows, rows.all_count);
    if (!rows.passed) return false;
    for (int i = 0; i < rows.all_count; ++i) {
        if (passes(rows, rows.all[i])) rows.shown[rows.shown_count++] = rows.all[i];
    }
    sort_shown(rows);
    return true;
}

// Replaces the model with a fresh copy of the bookmark list; false, with an
// empty model, when no memory is left.
bool take_bookmarks(BookmarkRows& rows)
{
    const int count = int(bookmark_list.count());
    free(rows.all);
    rows.all = count ? static_cast<uint32_t*>(malloc(size_t(count) * sizeof(uint32_t))) : nullptr;
    rows.all_count = 0;
    if (count && !rows.all) return false;
    for (const BookmarkNode* node = bookmark_list.first(); node; node = node->next) {
        rows.all[rows.all_count++] = node->address;
    }
    return true;
}

bool bookmarked(const BookmarkRows& rows, uint32_t address)
{
    int low = 0, high = rows.all_count;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (rows.all[middle] < address) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low < rows.all_count && rows.all[low] == address;
}

}  // namespace

int order_setting(RowOrder order)
{
    return order.column * 2 + (order.descending ? 1 : 0);
}

RowOrder order_from_setting(int value)
{
    if (value < 0 || value >= ROW_COLUMN_COUNT * 2) return {ROW_ADDRESS, false};
    return {value / 2, (value & 1) != 0};
}

void set_filter(BookmarkRows& rows, const char* text)
{
    int length = 0;
    for (; text[length] && length < FILTER_CHARACTERS; ++length) rows.filter[length] = fold(text[length]);
    rows.filter[length] = 0;
}

bool names_matter(const BookmarkRows& rows)
{
    return rows.filter[0] || rows.order.column != ROW_ADDRESS;
}

bool filter_and_sort(BookmarkRows& rows)
{
    if (take_bookmarks(rows)) return pass(rows);
    rows.shown_count = 0;
    rows.passed = false;
    return false;
}

bool follow_bookmarks(BookmarkRows& rows)
{
    if (!rows.passed) return filter_and_sort(rows);
    uint32_t* old = rows.all;
    const int old_count = rows.all_count;
    rows.all = nullptr;
    const bool taken = take_bookmarks(rows);
    // The bookmarks added and removed, by one walk of the old and new copies.
    struct Change {
        uint32_t address;
        bool added;
    } changes[FEW_CHANGES];
    int change_count = 0;
    for (int i = 0, j = 0; taken && change_count <= FEW_CHANGES && (i < old_count || j < rows.all_count);) {
        Change change;
        if (j < rows.all_count && (i == old_count || rows.all[j] < old[i])) {
            change = {rows.all[j++], true};
        } else if (i < old_count && (j == rows.all_count || old[i] < rows.all[j])) {
            change = {old[i++], false};
        } else {
            ++i;
            ++j;
            continue;
        }
        if (change_count < FEW_CHANGES) changes[change_count] = change;
        ++change_count;
    }
    free(old);
    if (!taken) {
        rows.shown_count = 0;
        rows.passed = false;
        return false;
    }
    if (change_count > FEW_CHANGES) return pass(rows);
    for (int i = 0; i < change_count; ++i) {
        if (changes[i].added) {
            put_in(rows, changes[i].address);
        } else {
            take_out(rows, changes[i].address);
        }
    }
    return true;
}

void place_again(BookmarkRows& rows, uint32_t address)
{
    take_out(rows, address);
    if (bookmarked(rows, address)) put_in(rows, address);
}

void free_rows(BookmarkRows& rows)
{
    free(rows.all);
    free(rows.shown);
    free(scratch.bytes);
    scratch = {nullptr, 0, 0};
    rows.all = rows.shown = nullptr;
    rows.all_count = rows.shown_count = rows.shown_capacity = 0;
    rows.passed = false;
}

int row_of(const BookmarkRows& rows, uint32_t address)
{
    for (int row = 0; row < rows.shown_count; ++row) {
        if (rows.shown[row] == address) return row;
    }
    return -1;
}

bool rows_of(const BookmarkRows& rows, const uint32_t* addresses, int* found, int count)
{
    for (int i = 0; i < count; ++i) found[i] = -1;
    if (count <= 0) return true;
    SortEntry* sorted = static_cast<SortEntry*>(malloc(size_t(count) * sizeof(SortEntry)));
    if (!sorted) return false;
    for (int i = 0; i < count; ++i) sorted[i] = {addresses[i], uint32_t(i)};
    qsort(sorted, size_t(count), sizeof(SortEntry), by_address);
    for (int row = 0; row < rows.shown_count; ++row) {
        int low = 0, high = count;
        while (low < high) {
            const int middle = low + (high - low) / 2;
            if (sorted[middle].address < rows.shown[row]) {
                low = middle + 1;
            } else {
                high = middle;
            }
        }
        if (low < count && sorted[low].address == rows.shown[row]) found[sorted[low].key] = row;
    }
    free(sorted);
    return true;
}

// Copies text into a cell of size bytes, cut to what fits (at most
// CELL_CHARACTERS) with "..." at the end of a cut text.
static void put_cell(char* cell, int size, const char* text, int length)
{
    int room = size - 1;
    if (room > CELL_CHARACTERS) room = CELL_CHARACTERS;
    if (room < 0) return;
    if (length <= room) {
        memcpy(cell, text, size_t(length));
        cell[length] = 0;
        return;
    }
    const int kept = room >= 3 ? room - 3 : 0;
    memcpy(cell, text, size_t(kept));
    memcpy(cell + kept, "...", size_t(room - kept));
    cell[room] = 0;
}

void cell_text(uint32_t address, int column, char* cell, int size)
{
    if (size <= 0) return;
    cell[0] = 0;
    if (column == ROW_ADDRESS) {
        char digits[9];
        address_digits(address, digits);
        put_cell(cell, size, digits, 8);
    } else if (column == ROW_MODULE) {
        char module[MODULE_SHORT_NAME_BYTES + 1];
        module_name(address, module);
        put_cell(cell, size, module, int(strlen(module)));
    } else if (column == ROW_LABEL || column == ROW_COMMENT) {
        const int length = read_into_scratch(address, name_type(column));
        if (length) put_cell(cell, size, scratch.bytes, length);
    }
}

const char* read_name(uint32_t address, int type, int& length)
{
    length = read_into_scratch(address, type);
    return length ? scratch.bytes : "";
}

void address_digits(uint32_t address, char digits[9])
{
    for (int i = 7; i >= 0; --i) {
        digits[i] = "0123456789ABCDEF"[address & 15];
        address >>= 4;
    }
    digits[8] = 0;
}
