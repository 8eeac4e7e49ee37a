// The Bookmarks window's rows against a plain model: whatever toggles and
// renames come, taken one change at a time (or a burst by a whole pass), the
// rows are those the test filters and sorts from scratch with the standard
// library, in every order and with filters that match addresses, the module
// and names.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/bookmark_list.h"
#include "host/host_api.h"
#include "ui/bookmark_rows.h"

namespace {

std::map<std::pair<uint32_t, int>, std::string> names;
// One module, holding 0x100 to 0x1FF: "kernel32" fills its eight bytes and a path follows.
uint8_t module_descriptor[0x60];

}  // namespace

extern "C" int host_find_name(uint32_t address, int type, char* buffer)
{
    auto found = names.find({address, type});
    if (found == names.end()) return 0;
    if (buffer) memcpy(buffer, found->second.c_str(), found->second.size() + 1);
    return int(found->second.size());
}

extern "C" const void* host_find_module(uint32_t address)
{
    return address >= 0x100 && address < 0x200 ? module_descriptor : nullptr;
}

namespace {

std::string upper(std::string text)
{
    for (char& c : text) c = char(toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string text_of(uint32_t address, int column)
{
    if (column == ROW_MODULE) return host_find_module(address) ? "KERNEL32" : "";
    auto found = names.find({address, column == ROW_LABEL ? NAME_LABEL : NAME_COMMENT});
    return found == names.end() ? "" : upper(found->second);
}

std::vector<uint32_t> expected_rows(const std::string& filter, RowOrder order)
{
    std::vector<std::pair<std::string, uint32_t>> rows;  // sort key and address
    for (const BookmarkNode* node = bookmark_list.first(); node; node = node->next) {
        char digits[9];
        snprintf(digits, sizeof digits, "%08X", node->address);
        bool kept = std::string(digits).find(upper(filter)) != std::string::npos;
        for (int column = ROW_MODULE; column <= ROW_COMMENT; ++column) {
            kept = kept || text_of(node->address, column).find(upper(filter)) != std::string::npos;
        }
        const std::string key = order.column == ROW_ADDRESS ? "" : text_of(node->address, order.column);
        if (kept) rows.push_back({key.substr(0, CELL_CHARACTERS), node->address});
    }
    std::stable_sort(rows.begin(), rows.end(), [order](const auto& a, const auto& b) {
        if (order.column == ROW_ADDRESS) return order.descending ? a.second > b.second : a.second < b.second;
        if (a.first.empty() || b.first.empty()) return !a.first.empty() && b.first.empty();
        return order.descending ? a.first > b.first : a.first < b.first;
    });
    std::vector<uint32_t> addresses;
    for (const auto& row : rows) addresses.push_back(row.second);
    return addresses;
}

std::vector<uint32_t> shown(const BookmarkRows& rows)
{
    return std::vector<uint32_t>(rows.shown, rows.shown + rows.shown_count);
}

void name_at_random(uint32_t address, std::mt19937& rng)
{
    // Names alike but for case or a cut, and none.
    static const std::string pool[] = {"", "check", "Check", "alpha", "ALPHA2", "b", std::string(300, 'z') + "a",
                                       std::string(300, 'z') + "b"};
    for (int type : {NAME_LABEL, NAME_COMMENT}) {
        const std::string& name = pool[rng() % 8];
        if (name.empty()) {
            names.erase({address, type});
        } else {
            names[{address, type}] = name;
        }
    }
}

TEST(BookmarkRows, ChangesTakenOneAtATimeGiveTheRowsOfAWholePassInEveryOrder)
{
    // KORVANTIS_MODEL_STEPS, set where every step is expensive (valgrind), shortens this run too.
    const int steps = getenv("KORVANTIS_MODEL_STEPS") ? 15 : 60;
    memcpy(module_descriptor + MODULE_SHORT_NAME, "kernel32", 8);
    memcpy(module_descriptor + MODULE_PATH, "C:\\k32", 7);
    std::mt19937 rng(20261210);
    for (int setting = 0; setting < 8; ++setting) {
        for (const char* filter : {"", "c", "0000015", "KERN", "zzza"}) {
            SCOPED_TRACE(::testing::Message() << "list_sort " << setting << ", filter \"" << filter << "\"");
            bookmark_list.clear();
            names.clear();
            std::set<uint32_t> named;
            BookmarkRows rows;
            rows.order = order_from_setting(setting);
            set_filter(rows, filter);
            ASSERT_TRUE(filter_and_sort(rows));
            for (int step = 0; step < steps; ++step) {
                // Mostly a toggle or two; now and then more than a few at once.
                const unsigned changes = rng() % 8 == 0 ? 1 + rng() % 30 : 1 + rng() % 2;
                for (unsigned i = 0; i < changes; ++i) {
                    const uint32_t address = 0xC0 + rng() % 0x100;
                    // Names change only where the window is told: a bookmark
                    // that comes and goes keeps them.
                    if (!named.count(address)) name_at_random(address, rng);
                    named.insert(address);
                    bookmark_list.toggle(address, true);
                }
                ASSERT_TRUE(follow_bookmarks(rows));
                ASSERT_EQ(shown(rows), expected_rows(filter, rows.order)) << "step " << step;
                ASSERT_EQ(rows.all_count, int(bookmark_list.count()));
                if (!rows.all_count) continue;
                const uint32_t renamed = rows.all[rng() % unsigned(rows.all_count)];
                name_at_random(renamed, rng);
                place_again(rows, renamed);
                ASSERT_EQ(shown(rows), expected_rows(filter, rows.order)) << "renamed at step " << step;

                std::vector<uint32_t> asked(rows.all, rows.all + rows.all_count);
                asked.push_back(0x7);  // no bookmark
                std::vector<int> found(asked.size());
                ASSERT_TRUE(rows_of(rows, asked.data(), found.data(), int(asked.size())));
                for (size_t i = 0; i < asked.size(); ++i) ASSERT_EQ(found[i], row_of(rows, asked[i])) << i;
            }
            free_rows(rows);
        }
    }
    bookmark_list.clear();
}

}  // namespace
