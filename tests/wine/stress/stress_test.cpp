// A long randomized session on the real DLL: tens of thousands of callbacks
// in random order with random arguments (menus of every origin, actions with
// any code, shortcuts with any key and modifier values, panel commands, views
// with and without a selected line, records of every tag and size, saves that
// the host refuses at random, resets, Show/Hide, the modal Settings and About
// windows, settings holding garbage, node allocations refused at random and
// unload/reload round trips). A model kept here predicts, for every call, the
// answer and each log line, notice, beep, move, record and setting written;
// the bookmarks themselves are read back through saves and the panel's title,
// its visibility, the DLL's heap blocks and the dialogs of the thread are
// compared throughout. The seed is fixed and printed with every failure;
// KORVANTIS_STRESS_SEED, KORVANTIS_STRESS_OPS and KORVANTIS_STRESS_SECONDS
// change the seed, the length and the time bound.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <set>

#include "host/menus.h"
#include "resources/resource.h"
#include "tests/wine/support/feedback_trace.h"
#include "tests/wine/support/heap_watch.h"
#include "tests/wine/support/modal_driver.h"
#include "tests/wine/support/plugin_fixture.h"

namespace {

const uint32_t OWN_TAG = 0x4C4D430A;
const uint32_t OLD_TAG = 0x236D420A;
const int CPU = ORIGIN_CPU_DISASM, MAIN = ORIGIN_MAIN_MENU;

struct Binding {
    const char *key, *alt, *shift, *ctrl;
};
// The three shortcuts of the CPU window's commands, then the Bookmark list's,
// which the session leaves unset (the dialog writes it back as it shows it).
const Binding BINDINGS[4] = {
    {"hotkey_toggle__key", "hotkey_toggle__alt", "hotkey_toggle__shift", "hotkey_toggle__ctrl"},
    {"hotkey_previous__key", "hotkey_previous__alt", "hotkey_previous__shift", "hotkey_previous__ctrl"},
    {"hotkey_next__key", "hotkey_next__alt", "hotkey_next__shift", "hotkey_next__ctrl"},
    {"hotkey_list__key", "hotkey_list__alt", "hotkey_list__shift", "hotkey_list__ctrl"},
};
const char* const OPTION_KEYS[3] = {"auto_show", "load_old_bookmarks", "show_toggle_bookmark"};
const int OPTION_BOXES[3] = {IDC_AUTO_SHOW, IDC_LOAD_OLD_BOOKMARKS, IDC_SHOW_TOGGLE_BOOKMARK};
const int HOTKEY_FIELDS[3] = {IDC_HOTKEY_TOGGLE, IDC_HOTKEY_PREVIOUS, IDC_HOTKEY_NEXT};

unsigned env_number(const char* name, unsigned fallback)
{
    const char* text = getenv(name);
    return text && *text ? unsigned(strtoul(text, nullptr, 0)) : fallback;
}

std::string counted_title(size_t count)
{
    char text[32];
    snprintf(text, sizeof text, "Korvan... (%02u)", unsigned(count));
    return text;
}

// Records the host refuses: decided by the session, remembered in order.
std::mt19937* save_rng = nullptr;
unsigned save_refusal_percent = 0;
std::vector<bool> save_answers;
int refuse_at_random(uint32_t, uint32_t, const void*)
{
    const bool stored = (*save_rng)() % 100 >= save_refusal_percent;
    save_answers.push_back(stored);
    return stored ? 1 : 0;
}

// A record's bytes at the very end of a readable page, followed by a page
// that may not be touched: a read past the record's end faults at once.
struct GuardedBuffer {
    unsigned char* page = nullptr;
    const size_t page_size = 4096;
    GuardedBuffer()
    {
        page = static_cast<unsigned char*>(VirtualAlloc(nullptr, 2 * page_size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        if (page) VirtualProtect(page + page_size, page_size, PAGE_NOACCESS, &old);
    }
    ~GuardedBuffer() { VirtualFree(page, 0, MEM_RELEASE); }
    unsigned char* tail(size_t size) { return page + page_size - size; }
};

struct Stats {
    unsigned operations = 0, callbacks = 0, allocation_faults = 0, save_refusals = 0, saves = 0,
             damaged_records = 0, records = 0, settings_garbage = 0, dialogs = 0, about_boxes = 0,
             reloads = 0, full_checks = 0, max_bookmarks = 0;
    std::map<std::string, unsigned> by_kind;
};

class StressTest : public PluginTest {
protected:
    std::mt19937 rng;
    unsigned seed = 0;
    std::set<uint32_t> marks;
    std::string title = "Korvantis";
    bool visible = true;
    HWND the_panel = nullptr;
    std::vector<std::string> expected;  // the trace the current operation should leave
    int expected_refusals = 0;          // allocations the current operation should see refused
    bool allocation_armed = false;
    unsigned refused_seen = 0;          // refusals counted so far by this module's heap watch
    std::deque<std::string> recent;     // the last operations, for a failure's report
    std::string operation;
    Stats stats;
    GuardedBuffer guarded;

    unsigned pick(unsigned n) { return unsigned(rng() % n); }
    bool chance(unsigned percent) { return pick(100) < percent; }

    uint32_t address()
    {
        static const uint32_t pool[] = {0, 1, 0x400000, 0x401000, 0x401001, 0x402000, 0x40FFFF,
                                        0x7FFFFFFF, 0x80000000, 0x80000001, 0xFFFFFFFE, 0xFFFFFFFF};
        switch (pick(3)) {
        case 0: return pool[pick(sizeof pool / sizeof pool[0])];
        case 1: return 0x401000 + 16 * pick(32);
        default: return uint32_t(rng());
        }
    }
    int get(const char* key, int fallback) const
    {
        auto found = host_state.settings.find({plugin.module, key});
        return found == host_state.settings.end() ? fallback : found->second;
    }

    // ---- the model's predictions -------------------------------------------------
    void expect_toggle(uint32_t a, bool allow_remove)
    {
        if (!marks.count(a)) {
            if (allocation_armed) {
                ++expected_refusals;
                allocation_armed = false;  // only the next attempt was to fail
                expected.push_back(log_entry(a, 1, "Korvantis: Out of memory, bookmark not added to line " + hex(a)));
                expected.push_back(beep_entry());
            } else {
                marks.insert(a);
                expected.push_back(notice_entry("Bookmark added Successfully"));
                expected.push_back(log_entry(a, -1, "Korvantis: Bookmark added to line " + hex(a)));
            }
        } else if (allow_remove) {
            marks.erase(a);
            expected.push_back(notice_entry("Bookmark deleted!"));
            expected.push_back(log_entry(a, -1, "Korvantis: Bookmark deleted from line " + hex(a)));
        }
        title = counted_title(marks.size());
    }
    void expect_navigation(uint32_t a, bool forward)
    {
        uint32_t target = 0;
        if (forward) {
            auto it = marks.upper_bound(a);
            if (it != marks.end()) target = *it;
        } else {
            auto it = marks.lower_bound(a);
            if (it != marks.begin()) target = *--it;
        }
        if (target) {
            expected.push_back(goto_entry(target));
        } else {
            expected.push_back(notice_entry(forward ? "No bookmarks!, try to search backward, <."
                                                    : "No bookmarks!, try to search forward, >."));
            expected.push_back(beep_entry());
        }
    }
    void expect_clear(bool bare_title = true)
    {
        for (uint32_t a : marks) expected.push_back(log_entry(a, -1, "Korvantis: Deleting bookmark from line " + hex(a)));
        marks.clear();
        if (bare_title) title = "Korvantis";
    }
    // The line the view answers host_get_value(53) with (0: none).
    uint32_t selected() const
    {
        const void* v = host_state.disasm_view;
        if (!v) return 0;
        uint32_t a;
        memcpy(&a, static_cast<const unsigned char*>(v) + 901, 4);
        return a;
    }

public:  // the session below takes their addresses
    // ---- operations ----------------------------------------------------------------
    void op_view()
    {
        switch (pick(4)) {
        case 0: no_view(); operation = "view: none"; break;
        case 1: select_line(0); operation = "view: no selected line"; break;
        default: {
            const uint32_t a = chance(50) && !marks.empty() ? *std::next(marks.begin(), pick(unsigned(marks.size()))) : address();
            select_line(a);
            view.set_active(chance(80) ? 1 : uint32_t(pick(3)) * 0x40000000u);
            operation = "view: line " + hex(a);
        }
        }
    }

    void op_menu()
    {
        const int origins[] = {MAIN, CPU, CPU, CPU, 1, -1, 30, 32, int(rng())};
        const int origin = origins[pick(9)];
        DisasmViewBuffer item;
        const bool has_item = !chance(20);
        const uint32_t active = chance(75) ? 1 : uint32_t(pick(2)) * 0x80000000u;
        const uint32_t a = address();
        item.set_active(active);
        item.set_selected(a);
        operation = "menu " + std::to_string(origin) + (has_item ? " item " + hex(a) + " active " + hex(active) : " no item");
        std::string text_expected;
        if (origin == MAIN) {
            text_expected = "0 Show/Hide | 4 Bookmark list | 1 Clear Bookmarks | 2 Settings | 3 Korvantis v1.6";
        } else if (origin == CPU && get("show_toggle_bookmark", 1) && has_item && active) {
            char text[64];
            snprintf(text, sizeof text, "0 Toggle Bookmark \t%c[%08X]", marks.count(a) ? '-' : '+', a);
            text_expected = text;
        }
        int answer = -1;
        const std::string text = menu(origin, has_item ? item.bytes : nullptr, &answer);
        ++stats.callbacks;
        EXPECT_EQ(answer, text_expected.empty() ? 0 : 1);
        EXPECT_EQ(text, text_expected);
    }

    void op_action()
    {
        const int origins[] = {MAIN, MAIN, CPU, CPU, 1, -1, int(rng())};
        const int origin = origins[pick(7)];
        // Code 4 opens the Bookmarks window, which has tests of its own.
        const int codes[] = {0, 0, 1, 6, -1, 5, 1000, int(rng())};
        int code = codes[pick(8)];
        if (origin == CPU && chance(60)) code = 0;
        DisasmViewBuffer item;  // never trusted: the view is asked afresh
        item.set_active(1);
        item.set_selected(address());
        operation = "action " + std::to_string(origin) + " " + std::to_string(code);
        if (origin == MAIN && code == 0) {
            visible = !visible;
        } else if (origin == MAIN && code == 1) {
            expect_clear();
        } else if (origin == CPU && code == 0) {
            if (const uint32_t a = selected()) expect_toggle(a, true); else expected.push_back(beep_entry());
        }
        action(origin, code, chance(50) ? item.bytes : nullptr);
        ++stats.callbacks;
    }

    int modifier(int stored)
    {
        const int odd[] = {2, -1, 5, 256, int(rng())};
        if (chance(70)) return stored;
        return chance(60) ? int(pick(2)) : odd[pick(5)];
    }

    void op_shortcut()
    {
        const int origin = chance(85) ? CPU : (chance(50) ? MAIN : int(rng()));
        int key;
        const int b = int(pick(3));
        if (chance(60)) {
            key = get(BINDINGS[b].key, 0);
        } else {
            const int odd[] = {0, 300, -1, 0x10071, 256, int(pick(256)), int(pick(256)), int(rng())};
            key = odd[pick(8)];
        }
        const int alt = modifier(get(BINDINGS[b].alt, 0)), shift = modifier(get(BINDINGS[b].shift, 0)),
                  ctrl = modifier(get(BINDINGS[b].ctrl, 0));
        operation = "shortcut " + std::to_string(origin) + " key " + std::to_string(key) + " alt " +
                    std::to_string(alt) + " shift " + std::to_string(shift) + " ctrl " + std::to_string(ctrl);
        int answer_expected = 0;
        if (origin == CPU) {
            int chosen = -1;
            for (int id = 0; id < 4 && chosen < 0; ++id) {
                if (key == get(BINDINGS[id].key, 0) && alt == get(BINDINGS[id].alt, 0) &&
                    shift == get(BINDINGS[id].shift, 0) && ctrl == get(BINDINGS[id].ctrl, 0))
                    chosen = id;
            }
            // The Bookmark list's shortcut (matched by key 0 while it is
            // unset, as every binding is) would open the window, whose own
            // blocks and stored place this session does not model: the window
            // and menus groups check it.
            if (chosen == 3) {
                operation += " (the list's, not sent)";
                return;
            }
            if (chosen >= 0) {
                const uint32_t a = selected();
                if (chosen == 0) {
                    if (a) expect_toggle(a, true); else expected.push_back(beep_entry());
                    answer_expected = 1;
                } else if (a) {
                    expect_navigation(a, chosen == 2);
                    answer_expected = 1;
                }
            }
        }
        DisasmViewBuffer item;
        const int answer = plugin.shortcut(origin, ctrl, alt, shift, key, chance(50) ? item.bytes : nullptr);
        ++stats.callbacks;
        EXPECT_EQ(answer, answer_expected);
    }

    void op_panel_command()
    {
        const int ids[] = {IDC_PANEL_PREVIOUS, IDC_PANEL_NEXT, IDC_PANEL_TOGGLE, IDC_PANEL_TOGGLE, 1, 2, 1001, 1005, int(pick(65536))};
        const int id = ids[pick(9)];
        const WORD notification = chance(80) ? WORD(BN_CLICKED) : WORD(rng());
        operation = "panel command " + std::to_string(id) + " code " + std::to_string(notification);
        const uint32_t a = selected();
        if (id == IDC_PANEL_PREVIOUS && a) expect_navigation(a, false);
        if (id == IDC_PANEL_NEXT && a) expect_navigation(a, true);
        if (id == IDC_PANEL_TOGGLE) {
            if (a) expect_toggle(a, true); else expected.push_back(beep_entry());
        }
        SendMessageA(the_panel, WM_COMMAND, MAKEWPARAM(id, notification), 0);
        ++stats.callbacks;
    }

    void op_record()
    {
        ++stats.records;
        const unsigned kind = pick(100);
        const uint32_t tag = kind < 45 ? OWN_TAG : kind < 80 ? OLD_TAG : (chance(50) ? uint32_t(rng()) : OWN_TAG ^ (1u << pick(32)));
        const uint32_t sizes[] = {0, 1, 2, 3, 4, 4, 4, 5, 7, 8, 8, 8, 9, 12, 16, 64};
        const uint32_t size = sizes[pick(16)];
        const bool null_data = chance(8);
        const int is_main = chance(85) ? 1 : (chance(50) ? 0 : int(rng() | 1));
        const uint32_t a = address();
        unsigned char* data = guarded.tail(size);
        for (uint32_t i = 0; i < size; ++i) data[i] = static_cast<unsigned char>(rng());
        const unsigned offset = tag == OLD_TAG ? 4 : 0;
        if (size >= offset + 4) memcpy(data + offset, &a, 4);
        operation = "record tag " + hex(tag) + " size " + std::to_string(size) + (null_data ? " null" : "") +
                    " main " + std::to_string(is_main) + " address " + hex(a);
        int answer_expected = 0;
        if (is_main) {
            const bool damaged_own = null_data || size < 4, damaged_old = null_data || size < 8;
            if (tag == OWN_TAG) {
                answer_expected = 1;
                if (damaged_own) {
                    ++stats.damaged_records;
                    expected.push_back(log_entry(0, 1, "Korvantis: Skipped a damaged bookmark record in the UDD file"));
                } else {
                    expect_toggle(a, false);
                }
            } else if (tag == OLD_TAG && get("load_old_bookmarks", 1)) {
                if (damaged_old) {
                    ++stats.damaged_records;
                    expected.push_back(log_entry(0, 1, "Korvantis: Skipped a damaged bookmarks.dll record in the UDD file"));
                } else {
                    expect_toggle(a, false);
                }
            }
        }
        const int answer = record(tag, size, null_data ? nullptr : data, is_main);
        ++stats.callbacks;
        EXPECT_EQ(answer, answer_expected);
    }

    // A project file read back: a burst of own and older records, some of
    // them for addresses already present.
    void op_project_load()
    {
        const unsigned count = 20 + pick(200);
        operation = "project load of " + std::to_string(count) + " records";
        for (unsigned i = 0; i < count; ++i) {
            const bool old = chance(30);
            uint32_t a = chance(80) ? 0x500000 + 4 * pick(4096) : address();
            unsigned char data[8];
            for (unsigned char& byte : data) byte = static_cast<unsigned char>(rng());
            memcpy(data + (old ? 4 : 0), &a, 4);
            if (!old || get("load_old_bookmarks", 1)) expect_toggle(a, false);
            EXPECT_EQ(record(old ? OLD_TAG : OWN_TAG, old ? 8 : 4, data), old ? 0 : 1);
            ++stats.callbacks;
            ++stats.records;
        }
    }

    void op_save()
    {
        ++stats.saves;
        const unsigned percents[] = {0, 0, 10, 50, 100};
        save_refusal_percent = percents[pick(5)];
        const int is_main = chance(85) ? 1 : 0;
        operation = "save main " + std::to_string(is_main) + " refusing " + std::to_string(save_refusal_percent) + "%";
        save_answers.clear();
        host_state.save_record_policy = refuse_at_random;
        host_state.saved_records.clear();
        plugin.saveudd(nullptr, is_main);
        ++stats.callbacks;
        host_state.save_record_policy = nullptr;
        std::vector<std::vector<uint8_t>> stored;
        if (is_main) {
            EXPECT_EQ(save_answers.size(), marks.size());
            size_t i = 0;
            for (uint32_t a : marks) {
                const bool ok = i < save_answers.size() ? bool(save_answers[i]) : true;
                ++i;
                expected.push_back(save_entry(a, ok));
                if (ok) {
                    stored.push_back({uint8_t(a), uint8_t(a >> 8), uint8_t(a >> 16), uint8_t(a >> 24)});
                } else {
                    ++stats.save_refusals;
                    expected.push_back(log_entry(0, 1, "Korvantis: Can't save bookmark at address [" + hex(a) + "] to UDD file"));
                }
            }
        }
        std::vector<std::vector<uint8_t>> saved;
        for (const auto& r : host_state.saved_records) {
            EXPECT_EQ(r.first, OWN_TAG);
            saved.push_back(r.second);
        }
        EXPECT_EQ(saved, stored);
    }

    void op_reset()
    {
        operation = "reset";
        expect_clear();
        plugin.reset();
        ++stats.callbacks;
    }

    // The panel's corner as it stands, written back as top then left.
    void expect_corner_written()
    {
        RECT rect;
        GetWindowRect(the_panel, &rect);
        expected.push_back(write_entry("top", rect.top));
        expected.push_back(write_entry("left", rect.left));
    }

    void op_close_panel()
    {
        operation = "panel WM_CLOSE";
        expect_corner_written();
        visible = false;
        SendMessageA(the_panel, WM_CLOSE, 0, 0);
        ++stats.callbacks;
    }

    void op_host_close()
    {
        operation = "host close and destroy";
        expect_corner_written();
        EXPECT_EQ(plugin.close(), 0);
        plugin.destroy();
        stats.callbacks += 2;
    }

    void op_garbage_setting()
    {
        ++stats.settings_garbage;
        static const char* const keys[] = {
            "load_old_bookmarks", "show_toggle_bookmark", "hotkey_toggle__key", "hotkey_toggle__alt",
            "hotkey_toggle__shift", "hotkey_toggle__ctrl", "hotkey_previous__key", "hotkey_previous__alt",
            "hotkey_previous__shift", "hotkey_previous__ctrl", "hotkey_next__key", "hotkey_next__alt",
            "hotkey_next__shift", "hotkey_next__ctrl", "auto_show", "no_such_key"};
        const char* key = keys[pick(16)];
        const int values[] = {0, 1, 1, 5, -1, 300, 0x71, 0x72, 0x73, 255, 256, 0x10071, int(rng())};
        const int value = values[pick(13)];
        if (chance(10)) {
            host_state.settings.erase({plugin.module, key});
            operation = std::string("setting ") + key + " erased";
        } else {
            set_setting(key, value);
            operation = std::string("setting ") + key + " = " + std::to_string(value);
        }
    }

    // The settings dialog, changed at random and ended by OK, Cancel or the close box.
    void op_settings_dialog()
    {
        ++stats.dialogs;
        bool checked[3];
        uint16_t words[4];
        for (int i = 0; i < 4; ++i) {
            if (i < 3) checked[i] = get(OPTION_KEYS[i], 1) != 0;  // each feature is on until stored 0
            const Binding& b = BINDINGS[i];
            const unsigned key16 = unsigned(get(b.key, 0)) & 0xFFFF;
            const unsigned flags = (get(b.alt, 0) ? 4 : 0) | (get(b.shift, 0) ? 1 : 0) | (get(b.ctrl, 0) ? 2 : 0);
            words[i] = key16 ? uint16_t(flags << 8 | key16) : 0;
        }
        std::vector<ModalStep> steps;
        operation = "settings dialog:";
        for (unsigned n = pick(4); n > 0; --n) {
            const int i = int(pick(3));
            if (chance(50)) {
                checked[i] = chance(50);
                const WPARAM state = checked[i] ? BST_CHECKED : BST_UNCHECKED;
                steps.push_back([i, state](HWND d) { SendDlgItemMessageA(d, OPTION_BOXES[i], BM_SETCHECK, state, 0); });
                operation += " box " + std::to_string(i) + "=" + std::to_string(checked[i]);
            } else {
                const uint16_t word = chance(20) ? 0 : uint16_t(pick(16) << 8 | pick(256));
                words[i] = word;
                steps.push_back([i, word](HWND d) { SendDlgItemMessageA(d, HOTKEY_FIELDS[i], WM_USER + 1, word, 0); });
                operation += " field " + std::to_string(i) + "=" + hex(word);
            }
        }
        if (chance(30)) {  // Enter and Esc: ignored
            steps.push_back([](HWND d) { SendMessageA(d, WM_COMMAND, IDOK, 0); SendMessageA(d, WM_COMMAND, IDCANCEL, 0); });
            operation += " idok+idcancel";
        }
        const unsigned ending = pick(3);
        const int ids[] = {IDC_SETTINGS_OK, IDC_SETTINGS_CANCEL};
        if (ending < 2) {
            const int id = ids[ending];
            steps.push_back([id](HWND d) { PostMessageA(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(d, id))); });
            operation += ending == 0 ? " OK" : " Cancel";
        } else {
            steps.push_back([](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); });
            operation += " close box";
        }
        if (ending == 0) {
            for (int i = 0; i < 3; ++i) expected.push_back(write_entry(OPTION_KEYS[i], checked[i] ? 1 : 0));
            for (int i = 0; i < 4; ++i) {
                const unsigned flags = words[i] >> 8 & 0xFF;
                expected.push_back(write_entry(BINDINGS[i].key, words[i] & 0xFF));
                expected.push_back(write_entry(BINDINGS[i].alt, flags & 4 ? 1 : 0));
                expected.push_back(write_entry(BINDINGS[i].shift, flags & 1 ? 1 : 0));
                expected.push_back(write_entry(BINDINGS[i].ctrl, flags & 2 ? 1 : 0));
            }
        }
        const ModalRun run = drive_modal([this] { action(MAIN, 2); },
                                         [this] { return find_owned_dialog(main_window, "Settings", the_panel); }, steps);
        ++stats.callbacks;
        EXPECT_NE(run.window, nullptr) << "no settings dialog appeared";
        EXPECT_FALSE(run.forced) << "the settings dialog did not end";
    }

    void op_about_box()
    {
        ++stats.about_boxes;
        operation = "about box";
        const ModalRun run = drive_modal([this] { action(MAIN, 3); },
                                         [this] { return find_owned_dialog(main_window, "Korvantis", the_panel); },
                                         {[](HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); }});
        ++stats.callbacks;
        EXPECT_NE(run.window, nullptr) << "no About box appeared";
        EXPECT_FALSE(run.forced) << "the About box did not end";
    }

    // Save everything, unload (one Deleting line per bookmark, every node
    // freed), load afresh and hand the records back: nothing lost or doubled.
    void op_reload()
    {
        ++stats.reloads;
        operation = "save, unload, reload";
        host_state.save_record_policy = nullptr;
        host_state.saved_records.clear();
        plugin.saveudd(nullptr, 1);
        const auto records = host_state.saved_records;
        forget_calls();
        HMODULE old_module = plugin.module;
        stop_plugin();
        stats.callbacks += 3;  // save, close, destroy
        std::vector<std::string> unload_lines;
        for (uint32_t a : marks) unload_lines.push_back(log_entry(a, -1, "Korvantis: Deleting bookmark from line " + hex(a)));
        std::vector<std::string> logs;
        for (const std::string& line : feedback_trace(host_state.calls)) {
            if (line.compare(0, 4, "log ") == 0) logs.push_back(line);
        }
        EXPECT_EQ(logs, unload_lines);
        EXPECT_EQ(heap_counts().live, 0u) << "node memory not given back at unload";
        EXPECT_EQ(heap_counts().frees, heap_counts().allocations);

        // The settings follow the module to its new instance.
        std::map<std::pair<void*, std::string>, int> settings;
        for (const auto& entry : host_state.settings) settings[entry.first] = entry.second;
        start_session(false);
        if (plugin.module != old_module) {
            for (const auto& entry : settings) {
                if (entry.first.first == old_module) host_state.settings[{plugin.module, entry.first.second}] = entry.second;
            }
        }
        const std::set<uint32_t> before = marks;
        marks.clear();
        for (const auto& r : records) {
            uint32_t a;
            memcpy(&a, r.second.data(), 4);
            EXPECT_EQ(record(r.first, 4, r.second.data()), 1);
            ++stats.callbacks;
            marks.insert(a);
        }
        EXPECT_EQ(marks, before);
        title = records.empty() ? "Korvantis" : counted_title(marks.size());
        forget_calls();
        expected.clear();
    }

    void full_check()
    {
        ++stats.full_checks;
        host_state.save_record_policy = nullptr;
        EXPECT_EQ(saved_addresses(), std::vector<uint32_t>(marks.begin(), marks.end())) << "bookmarks read back through a save";
        EXPECT_EQ(dialogs_of_this_thread(), 1) << "a window besides the panel";
        forget_calls();
    }

    void start_session(bool first)
    {
        ASSERT_TRUE(load_plugin());
        ASSERT_TRUE(watch_heap(plugin.module));
        refused_seen = 0;
        if (first) {
            set_setting("hotkey_toggle__key", 0x71);
            set_setting("hotkey_previous__key", 0x72);
            set_setting("hotkey_next__key", 0x73);
            set_setting("hotkey_next__shift", 1);
        }
        host_state.settings.erase({plugin.module, "auto_show"});
        start_plugin();
        ++stats.callbacks;
        the_panel = panel();
        ASSERT_NE(the_panel, nullptr);
        visible = true;
        title = "Korvantis";
        forget_calls();
    }

    void report(bool failed)
    {
        printf("stress: seed %u, %u operations, %u callbacks; %u allocation faults, %u saves with %u records refused, "
               "%u records (%u damaged), %u garbage settings, %u settings dialogs, %u About boxes, %u reloads, "
               "%u full checks, at most %u bookmarks\n",
               seed, stats.operations, stats.callbacks, stats.allocation_faults, stats.saves, stats.save_refusals,
               stats.records, stats.damaged_records, stats.settings_garbage, stats.dialogs, stats.about_boxes,
               stats.reloads, stats.full_checks, stats.max_bookmarks);
        std::string kinds;
        for (const auto& kind : stats.by_kind) kinds += " " + kind.first + "=" + std::to_string(kind.second);
        printf("stress: by kind:%s\n", kinds.c_str());
        if (failed) {
            printf("stress: FAILED with seed %u at operation %u; rerun with KORVANTIS_STRESS_SEED=%u. Last operations:\n",
                   seed, stats.operations, seed);
            for (const std::string& line : recent) printf("  %s\n", line.c_str());
        }
        fflush(stdout);
    }
};

TEST_F(StressTest, LongRandomSessionKeepsEveryBookmarkAndEveryAnswerTheModelPredicts)
{
    seed = env_number("KORVANTIS_STRESS_SEED", 20261208);
    const unsigned operations = env_number("KORVANTIS_STRESS_OPS", 60000);
    const unsigned seconds = env_number("KORVANTIS_STRESS_SECONDS", 150);
    rng.seed(seed);
    std::mt19937 save_decisions(seed ^ 0x5A5A5A5A);
    save_rng = &save_decisions;
    SCOPED_TRACE("seed " + std::to_string(seed) + " (KORVANTIS_STRESS_SEED)");
    start_session(true);
    ASSERT_FALSE(HasFatalFailure());

    struct Kind {
        const char* name;
        unsigned weight;
        void (StressTest::*run)();
    };
    const Kind kinds[] = {
        {"view", 120, &StressTest::op_view},
        {"menu", 120, &StressTest::op_menu},
        {"action", 110, &StressTest::op_action},
        {"shortcut", 220, &StressTest::op_shortcut},
        {"panel", 140, &StressTest::op_panel_command},
        {"record", 170, &StressTest::op_record},
        {"save", 25, &StressTest::op_save},
        {"project-load", 2, &StressTest::op_project_load},
        {"reset", 3, &StressTest::op_reset},
        {"panel-close", 8, &StressTest::op_close_panel},
        {"host-close", 5, &StressTest::op_host_close},
        {"setting", 60, &StressTest::op_garbage_setting},
        {"settings-dialog", 1, &StressTest::op_settings_dialog},
    };
    unsigned total = 0;
    for (const Kind& kind : kinds) total += kind.weight;

    const DWORD start = GetTickCount();
    const unsigned about_every = operations / 8 + 1, reload_every = operations / 4 + 1;
    bool failed = false;
    for (unsigned step = 1; step <= operations; ++step) {
        if (GetTickCount() - start > seconds * 1000u) {
            printf("stress: time bound of %u s reached after %u operations\n", seconds, stats.operations);
            break;
        }
        expected.clear();
        expected_refusals = 0;
        allocation_armed = chance(3);
        if (allocation_armed) fail_next_allocation();

        if (step % reload_every == 0) {
            allocation_armed = false;
            set_allocation_failure(nullptr);
            op_reload();
            ++stats.by_kind["reload"];
        } else if (step % about_every == 0) {
            op_about_box();
            ++stats.by_kind["about"];
        } else {
            unsigned roll = pick(total);
            const Kind* kind = kinds;
            while (roll >= kind->weight) roll -= (kind++)->weight;
            (this->*kind->run)();
            ++stats.by_kind[kind->name];
        }
        set_allocation_failure(nullptr);
        ++stats.operations;
        stats.max_bookmarks = std::max(stats.max_bookmarks, unsigned(marks.size()));
        recent.push_back(std::to_string(step) + ": " + operation);
        if (recent.size() > 12) recent.pop_front();

        const unsigned refused = heap_counts().refused - refused_seen;
        refused_seen = heap_counts().refused;
        stats.allocation_faults += refused;
        EXPECT_EQ(refused, unsigned(expected_refusals)) << "allocations refused";
        EXPECT_EQ(feedback_trace(host_state.calls), expected);
        EXPECT_EQ(panel_title(), title);
        EXPECT_EQ(IsWindowVisible(the_panel) != 0, visible);
        EXPECT_EQ(heap_counts().live, marks.size()) << "heap blocks held by the DLL";
        forget_calls();
        if (step % 1000 == 0) full_check();
        if (HasFailure()) {
            failed = true;
            break;
        }
    }
    if (!failed) full_check();
    report(failed || HasFailure());
    EXPECT_GT(stats.operations, 1000u) << "the session was cut short";

    // Unload: one Deleting line per bookmark left, in ascending order, every node given back.
    forget_calls();
    stop_plugin();
    std::vector<std::string> logs;
    for (const std::string& line : feedback_trace(host_state.calls)) {
        if (line.compare(0, 4, "log ") == 0) logs.push_back(line);
    }
    std::vector<std::string> unload_lines;
    for (uint32_t a : marks) unload_lines.push_back(log_entry(a, -1, "Korvantis: Deleting bookmark from line " + hex(a)));
    EXPECT_EQ(logs, unload_lines);
    EXPECT_EQ(heap_counts().live, 0u);
    save_rng = nullptr;
}

}  // namespace
