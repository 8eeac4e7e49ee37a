// Faults injected into the real DLL through the host and through its own
// imports: bookmark nodes that cannot be allocated, project records the host
// fails to store, a panel that was never created or has gone, and no CPU view.
// None may crash the debugger, lose a bookmark or report what did not happen.
#include <string.h>

#include <algorithm>
#include <functional>

#include "host/menus.h"
#include "resources/resource.h"
#include "sandbox/import_patch.h"
#include "tests/wine/support/feedback_trace.h"
#include "tests/wine/support/heap_watch.h"
#include "tests/wine/support/plugin_fixture.h"

namespace {

const uint32_t OWN_TAG = 0x4C4D430A;
const uint32_t OLD_TAG = 0x236D420A;
const int CPU = ORIGIN_CPU_DISASM, MAIN = ORIGIN_MAIN_MENU;
const int TOGGLE_KEY = 0x71, PREVIOUS_KEY = 0x72, NEXT_KEY = 0x73;  // F2, F3, F4

std::string added_line(uint32_t a) { return "Korvantis: Bookmark added to line " + hex(a); }
std::string deleted_line(uint32_t a) { return "Korvantis: Bookmark deleted from line " + hex(a); }
std::string deleting_line(uint32_t a) { return "Korvantis: Deleting bookmark from line " + hex(a); }
std::string out_of_memory_line(uint32_t a) { return "Korvantis: Out of memory, bookmark not added to line " + hex(a); }

class FaultsTest : public PluginTest {
protected:
    // Loads the DLL with its heap watched and the three shortcuts bound to F2..F4.
    void start_watched(const std::function<void()>& before_init = nullptr)
    {
        ASSERT_TRUE(load_plugin());
        ASSERT_TRUE(watch_heap(plugin.module));
        set_setting("hotkey_toggle__key", TOGGLE_KEY);
        set_setting("hotkey_previous__key", PREVIOUS_KEY);
        set_setting("hotkey_next__key", NEXT_KEY);
        if (before_init) before_init();
        start_plugin();
        forget_calls();
    }
    void add(std::initializer_list<uint32_t> addresses)
    {
        for (uint32_t address : addresses) ASSERT_EQ(record(OWN_TAG, 4, &address), 1);
    }
    std::vector<std::string> trace() const { return feedback_trace(host_state.calls); }
};

// Every gesture that can add a bookmark, with what it answers the host.
struct Gesture {
    const char* name;
    std::function<int(FaultsTest&, uint32_t)> run;
    int answer;  // -1: the callback has no result
};

class AllocationTest : public FaultsTest {
public:
    int press(uint32_t a) { select_line(a); press_panel_button(IDC_PANEL_TOGGLE); return -1; }
    int choose(uint32_t a) { select_line(a); action(CPU, 0, view.bytes); return -1; }
    int key(uint32_t a) { select_line(a); return shortcut(TOGGLE_KEY); }
    int own(uint32_t a) { return record(OWN_TAG, 4, &a); }
    int old(uint32_t a) { unsigned char data[8] = {0x0A, 0x42, 0x6D, 0x23}; memcpy(data + 4, &a, 4); return record(OLD_TAG, 8, data); }
};

const Gesture GESTURES[] = {
    {"panel #", [](FaultsTest& t, uint32_t a) { return static_cast<AllocationTest&>(t).press(a); }, -1},
    {"context action", [](FaultsTest& t, uint32_t a) { return static_cast<AllocationTest&>(t).choose(a); }, -1},
    {"toggle shortcut", [](FaultsTest& t, uint32_t a) { return static_cast<AllocationTest&>(t).key(a); }, 1},
    {"own record", [](FaultsTest& t, uint32_t a) { return static_cast<AllocationTest&>(t).own(a); }, 1},
    {"older record", [](FaultsTest& t, uint32_t a) { return static_cast<AllocationTest&>(t).old(a); }, 0},
};

TEST_F(AllocationTest, NodeThatCannotBeAllocatedIsReportedNotAddedAndTheListStaysWhole)
{
    start_watched();
    // Before the first node, between two, after the last: every link the insertion rewrites.
    for (uint32_t target : {0x400000u, 0x402000u, 0x404000u}) {
        for (const Gesture& gesture : GESTURES) {
            SCOPED_TRACE(std::string(gesture.name) + " at " + hex(target));
            plugin.reset();
            add({0x401000, 0x403000});
            forget_calls();

            fail_next_allocation();
            EXPECT_EQ(gesture.run(*this, target), gesture.answer);
            EXPECT_EQ(trace(), (std::vector<std::string>{log_entry(target, 1, out_of_memory_line(target)), beep_entry()}))
                << "nothing may read as added";
            EXPECT_EQ(panel_title(), "Korvan... (02)");
            EXPECT_EQ(heap_counts().live, 2u);
            EXPECT_EQ(saved_addresses(), (std::vector<uint32_t>{0x401000, 0x403000}));

            // Memory back: the same gesture adds it.
            set_allocation_failure(nullptr);
            forget_calls();
            EXPECT_EQ(gesture.run(*this, target), gesture.answer);
            EXPECT_EQ(notices(), std::vector<std::string>{"Bookmark added Successfully"});
            EXPECT_EQ(heap_counts().live, 3u);
            std::vector<uint32_t> expected = {0x401000, 0x403000, target};
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(saved_addresses(), expected);
        }
    }
}

TEST_F(AllocationTest, WithNoMemoryAtAllRemovingClearingSavingAndSkippingStillWork)
{
    start_watched();
    add({0x401000, 0x402000, 0x403000});
    set_allocation_failure([](unsigned) { return true; });
    const unsigned refused_before = heap_counts().refused;

    forget_calls();
    EXPECT_EQ(own(0x402000), 1) << "present already: nothing to allocate";
    EXPECT_EQ(trace(), std::vector<std::string>{});
    press(0x402000);
    EXPECT_EQ(trace(), (std::vector<std::string>{notice_entry("Bookmark deleted!"), log_entry(0x402000, -1, deleted_line(0x402000))}));
    EXPECT_EQ(heap_counts().refused, refused_before) << "no allocation tried for either";
    EXPECT_EQ(heap_counts().live, 2u);
    EXPECT_EQ(saved_addresses(), (std::vector<uint32_t>{0x401000, 0x403000}));

    for (int i = 0; i < 50; ++i) key(0x500000 + uint32_t(i));
    EXPECT_EQ(heap_counts().refused, refused_before + 50);
    EXPECT_EQ(panel_title(), "Korvan... (02)");

    forget_calls();
    action(MAIN, 1);
    EXPECT_EQ(trace(), (std::vector<std::string>{log_entry(0x401000, -1, deleting_line(0x401000)),
                                                 log_entry(0x403000, -1, deleting_line(0x403000))}));
    EXPECT_EQ(heap_counts().live, 0u);
    EXPECT_EQ(panel_title(), "Korvantis");
}

// Which of five bookmarks the host fails to store.
struct SaveCase {
    const char* name;
    unsigned refused_mask;  // bit i: the i-th record in ascending order
};

unsigned save_attempt = 0;
unsigned refused_mask = 0;
int refuse_by_mask(uint32_t, uint32_t, const void*)
{
    return (refused_mask >> save_attempt++ & 1) ? 0 : 1;
}

TEST_F(FaultsTest, EachRecordTheHostFailsToStoreIsReportedAndTheOthersAreSaved)
{
    start_watched();
    const uint32_t marks[] = {0x0, 0x401000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    for (uint32_t address : marks) add({address});
    const SaveCase cases[] = {
        {"none", 0x00}, {"first", 0x01}, {"middle", 0x04}, {"last", 0x10}, {"every other", 0x15}, {"all", 0x1F},
    };
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(c.name);
        save_attempt = 0;
        refused_mask = c.refused_mask;
        host_state.save_record_policy = refuse_by_mask;
        host_state.saved_records.clear();
        forget_calls();
        plugin.saveudd(nullptr, 1);

        std::vector<std::string> expected;
        std::vector<uint32_t> stored;
        for (unsigned i = 0; i < 5; ++i) {
            const bool refused = (c.refused_mask >> i & 1) != 0;
            expected.push_back(save_entry(marks[i], !refused));
            if (refused) {
                expected.push_back(log_entry(0, 1, "Korvantis: Can't save bookmark at address [" + hex(marks[i]) + "] to UDD file"));
            } else {
                stored.push_back(marks[i]);
            }
        }
        EXPECT_EQ(trace(), expected);
        std::vector<uint32_t> saved;
        for (const auto& r : host_state.saved_records) {
            uint32_t a;
            memcpy(&a, r.second.data(), 4);
            saved.push_back(a);
        }
        EXPECT_EQ(saved, stored);
        // A failed save loses nothing: the next one stores all five.
        host_state.save_record_policy = nullptr;
        EXPECT_EQ(saved_addresses(), std::vector<uint32_t>(marks, marks + 5));
    }
}

HWND WINAPI no_dialog(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM)
{
    return nullptr;
}

struct PanelFault {
    const char* name;
    bool creation_fails;  // else the panel is destroyed under the plug-in after start
    bool position_stored;
};

TEST_F(FaultsTest, WithoutAPanelWindowEveryGestureStillWorksAndCloseKeepsTheStoredCorner)
{
    const PanelFault faults[] = {
        {"creation failed, corner stored", true, true},
        {"creation failed, nothing stored", true, false},
        {"panel destroyed after start", false, true},
    };
    for (const PanelFault& fault : faults) {
        SCOPED_TRACE(fault.name);
        start_watched([&] {
            if (fault.creation_fails) {
                ASSERT_NE(repoint_import(plugin.module, "user32.dll", "CreateDialogParamA",
                                         reinterpret_cast<void*>(no_dialog)),
                          nullptr);
            }
            if (fault.position_stored) {
                set_setting("top", 120);
                set_setting("left", -340);
            }
        });
        if (fault.creation_fails) {
            EXPECT_EQ(panel(), nullptr);
        } else {
            ASSERT_NE(panel(), nullptr);
            DestroyWindow(panel());
        }
        EXPECT_EQ(dialogs_of_this_thread(), 0);

        action(MAIN, 0);
        action(MAIN, 0);
        select_line(0x401000);
        EXPECT_EQ(shortcut(TOGGLE_KEY), 1);
        action(CPU, 0, view.bytes);
        action(CPU, 0, view.bytes);
        select_line(0x402000);
        EXPECT_EQ(shortcut(NEXT_KEY), 1);
        EXPECT_EQ(shortcut(PREVIOUS_KEY), 1);
        add({0x403000});
        plugin.reset();
        add({0x404000});
        action(MAIN, 1);
        add({0x405000});
        EXPECT_EQ(plugin.close(), 0);
        EXPECT_EQ(trace(), (std::vector<std::string>{
                               notice_entry("Bookmark added Successfully"), log_entry(0x401000, -1, added_line(0x401000)),
                               notice_entry("Bookmark deleted!"), log_entry(0x401000, -1, deleted_line(0x401000)),
                               notice_entry("Bookmark added Successfully"), log_entry(0x401000, -1, added_line(0x401000)),
                               notice_entry("No bookmarks!, try to search backward, <."), beep_entry(),
                               goto_entry(0x401000),
                               notice_entry("Bookmark added Successfully"), log_entry(0x403000, -1, added_line(0x403000)),
                               log_entry(0x401000, -1, deleting_line(0x401000)),
                               log_entry(0x403000, -1, deleting_line(0x403000)),
                               notice_entry("Bookmark added Successfully"), log_entry(0x404000, -1, added_line(0x404000)),
                               log_entry(0x404000, -1, deleting_line(0x404000)),
                               notice_entry("Bookmark added Successfully"), log_entry(0x405000, -1, added_line(0x405000)),
                               write_entry("top", fault.position_stored ? 120 : 0),
                               write_entry("left", fault.position_stored ? -340 : 0),
                           }));
        EXPECT_EQ(dialogs_of_this_thread(), 0) << "no window of its own made up for the panel";
        stop_plugin();
        EXPECT_EQ(heap_counts().live, 0u);
        reset_host_state();
    }
}

TEST_F(FaultsTest, WithNoCpuViewOrNoSelectedLineOnlyTheTogglesBeep)
{
    start_watched();
    add({0x401000, 0x402000});
    const struct Caller {
        const char* name;
        std::function<int()> run;
        int answer;
        bool beeps;
    } callers[] = {
        {"panel <", [this] { press_panel_button(IDC_PANEL_PREVIOUS); return -1; }, -1, false},
        {"panel >", [this] { press_panel_button(IDC_PANEL_NEXT); return -1; }, -1, false},
        {"panel #", [this] { press_panel_button(IDC_PANEL_TOGGLE); return -1; }, -1, true},
        {"toggle shortcut", [this] { return shortcut(TOGGLE_KEY); }, 1, true},
        {"previous shortcut", [this] { return shortcut(PREVIOUS_KEY); }, 0, false},
        {"next shortcut", [this] { return shortcut(NEXT_KEY); }, 0, false},
        {"context action, item given", [this] { DisasmViewBuffer item; item.set_active(1); item.set_selected(0x401000);
                                                action(CPU, 0, item.bytes); return -1; }, -1, true},
    };
    for (bool keep_view : {false, true}) {
        for (const Caller& caller : callers) {
            SCOPED_TRACE(std::string(caller.name) + (keep_view ? ", view with no line" : ", no view"));
            if (keep_view) select_line(0); else no_view();
            forget_calls();
            EXPECT_EQ(caller.run(), caller.answer);
            EXPECT_EQ(trace(), caller.beeps ? std::vector<std::string>{beep_entry()} : std::vector<std::string>{});
            EXPECT_EQ(calls_of(HostOp::GetValue).size(), 1u) << "the view is asked once";
        }
    }
    int answer = -1;
    EXPECT_EQ(menu(CPU, nullptr, &answer), "");
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(saved_addresses(), (std::vector<uint32_t>{0x401000, 0x402000}));
}

TEST_F(FaultsTest, UnloadGivesBackEveryNodeTheDllAllocated)
{
    start_watched();
    // A few hundred nodes made and freed by every path: gestures, records, removal, reset, clear.
    for (uint32_t i = 0; i < 300; ++i) {
        const uint32_t address = 0x400000 + (i * 7919u) % 1024 * 16;
        if (i % 3 == 0) {
            add({address});
        } else {
            select_line(address);
            press_panel_button(IDC_PANEL_TOGGLE);
        }
        if (i == 100) plugin.reset();
        if (i == 200) action(MAIN, 1);
    }
    const size_t left = saved_addresses().size();
    ASSERT_GT(left, 20u);
    EXPECT_EQ(heap_counts().live, left) << "one block per bookmark, nothing else";
    forget_calls();
    stop_plugin();
    const HeapCounts counts = heap_counts();
    EXPECT_EQ(counts.live, 0u);
    EXPECT_EQ(counts.frees, counts.allocations);
    EXPECT_EQ(log_lines().size(), left) << "one Deleting line per node freed at unload";
}

}  // namespace
