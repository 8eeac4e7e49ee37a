// The four configurable shortcuts of the real DLL: which stored values are
// read for a key, in what order, and what a matching key does.
#include <string.h>

#include "host/menus.h"
#include "tests/wine/support/plugin_fixture.h"

namespace {

const int F2 = 0x71, F3 = 0x72, F4 = 0x73, F5 = 0x74;
// What a press of the list binding does, told by the window and not by a notice.
const char* const LIST_SHOWN = "(the Bookmarks window in front)";

class ShortcutsTest : public StartedPluginTest {
public:
    void bind(const char* binding, int key, int alt = 0, int shift = 0, int ctrl = 0)
    {
        const std::string prefix = std::string("hotkey_") + binding + "__";
        set_setting((prefix + "key").c_str(), key);
        set_setting((prefix + "alt").c_str(), alt);
        set_setting((prefix + "shift").c_str(), shift);
        set_setting((prefix + "ctrl").c_str(), ctrl);
    }

protected:
    // Hidden as its close box leaves it, so that the next list key opens it again.
    void close_list()
    {
        if (HWND window = bookmarks_window()) SendMessageA(window, WM_CLOSE, 0, 0);
        ASSERT_FALSE(list_in_front());
    }
    // The Bookmarks window is shown and above the panel, its sibling under the
    // debugger's main window.
    bool list_in_front() const
    {
        HWND window = bookmarks_window();
        if (!window || !IsWindowVisible(window)) return false;
        for (HWND below = GetWindow(window, GW_HWNDNEXT); below; below = GetWindow(below, GW_HWNDNEXT)) {
            if (below == panel()) return true;
        }
        return false;
    }
    // The first notice of the last key, or else LIST_SHOWN when the list is in
    // front, or else "".
    std::string effect() const
    {
        const std::vector<std::string> shown = notices();
        if (!shown.empty()) return shown[0];
        return list_in_front() ? LIST_SHOWN : "";
    }

    // The calls since the last forget_calls(): "view" for host_get_value(53),
    // the key names of the reads, and "other" for anything else.
    std::vector<std::string> trace() const
    {
        std::vector<std::string> result;
        for (const HostCall& call : host_state.calls) {
            if (call.op == HostOp::GetValue && call.emphasis == 53) {
                result.push_back("view");
            } else if (call.op == HostOp::ReadInt && call.value == 0 && call.instance == plugin.module) {
                result.push_back(call.text.substr(7));  // without "hotkey_"
            } else {
                result.push_back("other");
            }
        }
        return result;
    }
};

TEST_F(ShortcutsTest, OtherOriginsAreNotHandledAndAskTheHostNothing)
{
    bind("toggle", F2);
    select_line(0x401000);
    for (int origin : {0, 1, 30, 32}) {
        EXPECT_EQ(plugin.shortcut(origin, 0, 0, 0, F2, view.bytes), 0) << origin;
    }
    EXPECT_TRUE(host_state.calls.empty());
}

// Each value is read when it is compared; a binding's reads stop at its first
// mismatch and the next binding is tried, in the order toggle, previous, next,
// list. Nothing is remembered from one key to the next.
TEST_F(ShortcutsTest, PicksTheFirstBindingWhoseKeyAndModifiersAllMatch)
{
    typedef std::vector<std::string> Trace;
    const char* const ADDED = "Bookmark added Successfully";
    const char* const NONE_BELOW = "No bookmarks!, try to search forward, >.";
    const char* const NONE_ABOVE = "No bookmarks!, try to search backward, <.";
    const struct Case {
        const char* name;
        std::function<void(ShortcutsTest*)> store;
        int key, ctrl, alt, shift;
        int handled;
        Trace reads;
        const char* effect;  // what the chosen binding did on the first press: its notice, or LIST_SHOWN
    } cases[] = {
        {"no binding has the key", [](ShortcutsTest*) {}, F2, 0, 0, 0, 0,
         {"view", "toggle__key", "previous__key", "next__key", "list__key"}, nullptr},
        {"key 0 meets the unset toggle binding", [](ShortcutsTest*) {}, 0, 0, 0, 0, 1,
         {"view", "toggle__key", "toggle__alt", "toggle__shift", "toggle__ctrl"}, ADDED},
        {"toggle F2 and previous Shift+F2: Shift+F2 goes to previous", [](ShortcutsTest* t) {
             t->bind("toggle", F2);
             t->bind("previous", F2, 0, 1, 0);
         },
         F2, 0, 0, 1, 1,
         {"view", "toggle__key", "toggle__alt", "toggle__shift", "previous__key", "previous__alt", "previous__shift",
          "previous__ctrl"},
         NONE_BELOW},
        {"toggle F2 and previous Shift+F2: F2 goes to toggle", [](ShortcutsTest* t) {
             t->bind("toggle", F2);
             t->bind("previous", F2, 0, 1, 0);
         },
         F2, 0, 0, 0, 1, {"view", "toggle__key", "toggle__alt", "toggle__shift", "toggle__ctrl"}, ADDED},
        {"four bindings with the same key and modifiers: toggle wins", [](ShortcutsTest* t) {
             for (const char* binding : {"toggle", "previous", "next", "list"}) t->bind(binding, F3, 0, 1, 1);
         },
         F3, 1, 0, 1, 1, {"view", "toggle__key", "toggle__alt", "toggle__shift", "toggle__ctrl"}, ADDED},
        {"modifiers that match no binding of the key", [](ShortcutsTest* t) {
             t->bind("toggle", F5, 0, 0, 1);
             t->bind("next", F5, 1, 0, 1);
         },
         F5, 1, 0, 1, 0,
         {"view", "toggle__key", "toggle__alt", "toggle__shift", "previous__key", "next__key", "next__alt",
          "list__key"},
         nullptr},
        {"next Ctrl+Alt+F5 matches", [](ShortcutsTest* t) { t->bind("next", F5, 1, 0, 1); }, F5, 1, 1, 0, 1,
         {"view", "toggle__key", "previous__key", "next__key", "next__alt", "next__shift", "next__ctrl"}, NONE_ABOVE},
        {"list Ctrl+Shift+F4: F4 alone does not open it", [](ShortcutsTest* t) { t->bind("list", F4, 0, 1, 1); }, F4,
         0, 0, 0, 0, {"view", "toggle__key", "previous__key", "next__key", "list__key", "list__alt", "list__shift"},
         nullptr},
        {"next Ctrl+F4 and list F4: F4 goes to list", [](ShortcutsTest* t) {
             t->bind("next", F4, 0, 0, 1);
             t->bind("list", F4);
         },
         F4, 0, 0, 0, 1,
         {"view", "toggle__key", "previous__key", "next__key", "next__alt", "next__shift", "next__ctrl", "list__key",
          "list__alt", "list__shift", "list__ctrl"},
         LIST_SHOWN},
        {"next and list both Ctrl+F4: next wins", [](ShortcutsTest* t) {
             t->bind("next", F4, 0, 0, 1);
             t->bind("list", F4, 0, 0, 1);
         },
         F4, 1, 0, 0, 1,
         {"view", "toggle__key", "previous__key", "next__key", "next__alt", "next__shift", "next__ctrl"}, NONE_ABOVE},
        {"ctrl passed as 2", [](ShortcutsTest* t) { t->bind("toggle", F5, 0, 0, 1); }, F5, 2, 0, 0, 0,
         {"view", "toggle__key", "toggle__alt", "toggle__shift", "toggle__ctrl", "previous__key", "next__key",
          "list__key"},
         nullptr},
        {"alt passed as 2", [](ShortcutsTest* t) { t->bind("previous", F5, 1, 0, 0); }, F5, 0, 2, 0, 0,
         {"view", "toggle__key", "previous__key", "previous__alt", "next__key", "list__key"}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host_state.settings.clear();
        c.store(this);
        select_line(0x401000);
        close_list();
        for (int press = 0; press < 2; ++press) {
            forget_calls();
            EXPECT_EQ(shortcut(c.key, c.ctrl, c.alt, c.shift), c.handled);
            std::vector<std::string> reads = trace();
            // What a handled key goes on to do comes after the reads.
            if (reads.size() > c.reads.size()) reads.resize(c.reads.size());
            EXPECT_EQ(reads, c.reads) << "press " << press + 1;
            if (press == 0) {
                EXPECT_EQ(effect(), c.effect ? c.effect : "") << "what the chosen binding did";
                // The panel goes over the window, and the second press is to
                // bring the window back to the front.
                if (c.effect == LIST_SHOWN) {
                    BringWindowToTop(panel());
                    ASSERT_FALSE(list_in_front()) << "the panel did not go over the window";
                }
            } else {
                EXPECT_EQ(list_in_front(), c.effect == LIST_SHOWN) << "press 2";
            }
        }
        if (!c.handled) {
            forget_calls();
            shortcut(c.key, c.ctrl, c.alt, c.shift);
            EXPECT_EQ(trace(), c.reads) << "an unhandled key does nothing else";
        }
    }
}

// The debugger passes alt 0 for a key pressed with Ctrl+Alt (and AltGr); the
// Alt key's state is read from the thread's keyboard state instead.
TEST_F(ShortcutsTest, AltHeldWithCtrlIsToldFromCtrlAloneThoughTheHostPassesAlt0)
{
    const int D = 'D';
    const int UNBOUND = -1;
    const char* const TOGGLED = "Bookmark added Successfully";
    const struct Case {
        const char* name;
        int toggle_alt;  // the toggle binding: Ctrl+D (0) or Ctrl+Alt+D (1)
        int list_alt;    // the list binding: the same, or UNBOUND
        bool alt_down;
        int passed_alt;
        const char* effect;  // the toggle's notice, LIST_SHOWN, or null: not handled
    } cases[] = {
        {"Ctrl+Alt+D does not fire Ctrl+D", 0, UNBOUND, true, 0, nullptr},
        {"Ctrl+Alt+D fires Ctrl+Alt+D", 1, UNBOUND, true, 0, TOGGLED},
        {"Ctrl+D with Alt up fires Ctrl+D", 0, UNBOUND, false, 0, TOGGLED},
        {"Ctrl+D with Alt up does not fire Ctrl+Alt+D", 1, UNBOUND, false, 0, nullptr},
        {"alt passed as 1 fires Ctrl+Alt+D with Alt up", 1, UNBOUND, false, 1, TOGGLED},
        {"alt passed as 2 never matches, Alt held or not", 1, UNBOUND, true, 2, nullptr},
        {"toggle Ctrl+D and list Ctrl+Alt+D: Ctrl+Alt+D opens the list", 0, 1, true, 0, LIST_SHOWN},
    };
    BYTE saved[256];
    ASSERT_TRUE(GetKeyboardState(saved));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host_state.settings.clear();
        bind("toggle", D, c.toggle_alt, 0, 1);
        if (c.list_alt != UNBOUND) bind("list", D, c.list_alt, 0, 1);
        close_list();
        BYTE state[256];
        memcpy(state, saved, sizeof state);
        state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
        state[VK_MENU] = state[VK_LMENU] = c.alt_down ? 0x80 : 0;
        ASSERT_TRUE(SetKeyboardState(state));
        ASSERT_EQ(GetKeyState(VK_MENU) < 0, c.alt_down);
        select_line(0x401000 + 0x10 * uint32_t(&c - cases));  // a line of its own: each toggle adds
        forget_calls();
        EXPECT_EQ(shortcut(D, 1, c.passed_alt, 0), c.effect ? 1 : 0);
        EXPECT_EQ(effect(), c.effect ? c.effect : "");
        SetKeyboardState(saved);
    }
}

TEST_F(ShortcutsTest, ChangedBindingAppliesToTheNextKey)
{
    select_line(0x401000);
    bind("toggle", F2);
    EXPECT_EQ(shortcut(F2), 1);
    EXPECT_EQ(notices(), std::vector<std::string>{"Bookmark added Successfully"});
    bind("toggle", F5, 0, 0, 1);
    forget_calls();
    EXPECT_EQ(shortcut(F2), 0);
    EXPECT_TRUE(notices().empty());
    EXPECT_EQ(shortcut(F5, 1), 1);
    EXPECT_EQ(notices(), std::vector<std::string>{"Bookmark deleted!"});
}

// The list needs no line: it opens, silently, where the toggle beeps.
TEST_F(ShortcutsTest, WithoutASelectedLineToggleBeepsAndTheListOpensBothHandled)
{
    bind("toggle", F2);
    bind("list", F3);
    for (bool has_view : {false, true}) {
        SCOPED_TRACE(has_view ? "view without a selection" : "no view");
        lose_selection(has_view);
        close_list();
        forget_calls();
        EXPECT_EQ(shortcut(F2), 1);
        ASSERT_EQ(beeps(), 1);
        EXPECT_EQ(calls_of(HostOp::Beep)[0].emphasis, 0);
        EXPECT_TRUE(notices().empty());
        EXPECT_TRUE(log_lines().empty());
        EXPECT_FALSE(list_in_front());

        forget_calls();
        EXPECT_EQ(shortcut(F3), 1);
        EXPECT_TRUE(list_in_front());
        EXPECT_EQ(beeps(), 0);
        EXPECT_TRUE(notices().empty());
    }
}

TEST_F(ShortcutsTest, NavigationGoesToTheNeighbourComplainsWhenThereIsNoneAndIgnoresNoSelection)
{
    bind("previous", F3, 0, 1, 0);
    bind("next", F4, 0, 0, 1);
    add_bookmarks({0x401000, 0x402000});
    const int PREVIOUS = 1, NEXT = 2;
    const struct Case {
        int binding;
        bool has_view;
        uint32_t from;
        int handled;
        uint32_t target;     // 0: no move
        const char* notice;  // null: none (and no beep)
    } cases[] = {
        {PREVIOUS, true, 0x401800, 1, 0x401000, nullptr},
        {NEXT, true, 0x401800, 1, 0x402000, nullptr},
        {PREVIOUS, true, 0x401000, 1, 0, "No bookmarks!, try to search forward, >."},
        {NEXT, true, 0x402000, 1, 0, "No bookmarks!, try to search backward, <."},
        {PREVIOUS, true, 0, 0, 0, nullptr},
        {NEXT, true, 0, 0, 0, nullptr},
        {PREVIOUS, false, 0, 0, 0, nullptr},
        {NEXT, false, 0, 0, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.binding == PREVIOUS ? "previous" : "next") << " from " << std::hex
                                        << c.from << (c.has_view ? "" : " without a view"));
        if (c.has_view) {
            select_line(c.from);
        } else {
            no_view();
        }
        forget_calls();
        EXPECT_EQ(c.binding == NEXT ? shortcut(F4, 1) : shortcut(F3, 0, 0, 1), c.handled);
        const auto gotos = calls_of(HostOp::GotoCode);
        if (c.target) {
            ASSERT_EQ(gotos.size(), 1u);
            const uint32_t expected[5] = {0, c.target, 0, 0, 13};
            for (int i = 0; i < 5; ++i) EXPECT_EQ(gotos[0].goto_args[i], expected[i]) << i;
        } else {
            EXPECT_TRUE(gotos.empty());
        }
        EXPECT_EQ(notices(), c.notice ? std::vector<std::string>{c.notice} : std::vector<std::string>{});
        EXPECT_EQ(beeps(), c.notice ? 1 : 0);
        EXPECT_TRUE(log_lines().empty());
    }
}

}  // namespace
