// The settings dialog of the real DLL, opened through the main menu and driven
// while its modal loop runs: what it shows, what it reads and writes, and which
// gestures end it.
#include <utility>

#include "host/menus.h"
#include "resources/resource.h"
#include "tests/wine/support/modal_driver.h"
#include "tests/wine/support/plugin_fixture.h"

namespace {

const UINT HOTKEY_SET = WM_USER + 1;
const UINT HOTKEY_GET = WM_USER + 2;
const int SETTINGS_ACTION = 2;

typedef std::vector<std::pair<std::string, int>> KeyValues;

const char* const ALL_KEYS[] = {
    "auto_show",           "load_old_bookmarks",   "show_toggle_bookmark",  "hotkey_toggle__key",
    "hotkey_toggle__alt",  "hotkey_toggle__shift", "hotkey_toggle__ctrl",   "hotkey_previous__key",
    "hotkey_previous__alt", "hotkey_previous__shift", "hotkey_previous__ctrl", "hotkey_next__key",
    "hotkey_next__alt",    "hotkey_next__shift",   "hotkey_next__ctrl",    "hotkey_list__key",
    "hotkey_list__alt",    "hotkey_list__shift",   "hotkey_list__ctrl"};

// The nineteen writes of OK, in order, with the values given.
KeyValues writes_of(std::initializer_list<int> values)
{
    KeyValues expected;
    size_t i = 0;
    for (int value : values) expected.push_back({ALL_KEYS[i++], value});
    return expected;
}

int checked(HWND dialog, int id)
{
    return int(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
}

int hotkey(HWND dialog, int id)
{
    return int(SendDlgItemMessageA(dialog, id, HOTKEY_GET, 0, 0));
}

void set_hotkey(HWND dialog, int id, int word)
{
    SendDlgItemMessageA(dialog, id, HOTKEY_SET, WPARAM(word), 0);
}

void click(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// Moves the focus the way the dialog manager does it, then posts the key to
// the focused control, so that it goes through the modal loop's IsDialogMessage.
void press_key_on(HWND dialog, int id, WPARAM key)
{
    SendMessageA(dialog, WM_NEXTDLGCTL, WPARAM(GetDlgItem(dialog, id)), TRUE);
    HWND focus = GetFocus();
    EXPECT_EQ(focus, GetDlgItem(dialog, id));
    PostMessageA(focus, WM_KEYDOWN, key, 0x00000001);
}

class SettingsTest : public PluginTest {
protected:
    void SetUp() override
    {
        PluginTest::SetUp();
        start_plugin();
        forget_calls();
    }

    ModalRun open_settings(const std::vector<ModalStep>& steps)
    {
        // Asked before the dialog exists: afterwards panel() may answer the dialog.
        HWND the_panel = panel();
        ModalRun run = drive_modal([this] { action(ORIGIN_MAIN_MENU, SETTINGS_ACTION); },
                                   [this, the_panel] { return find_owned_dialog(main_window, "Settings", the_panel); },
                                   steps);
        EXPECT_NE(run.window, nullptr) << "no Settings dialog appeared";
        EXPECT_FALSE(run.forced) << "the dialog did not close by itself";
        EXPECT_EQ(run.steps_run, steps.size()) << "the dialog closed too early";
        return run;
    }

    KeyValues reads() const { return key_values(HostOp::ReadInt); }
    KeyValues writes() const { return key_values(HostOp::WriteInt); }
    // The keys and values of the reads (default given) or writes, each checked
    // to name the plug-in's own instance.
    KeyValues key_values(HostOp op) const
    {
        KeyValues result;
        for (const HostCall& call : calls_of(op)) {
            EXPECT_EQ(call.instance, plugin.module) << call.text;
            result.push_back({call.text, call.value});
        }
        return result;
    }
};

TEST_F(SettingsTest, FreshStoreShowsTickedBoxesAndEmptyFieldsReadingOnlyTheKeyCodes)
{
    int boxes[3] = {-1, -1, -1}, fields[4] = {-1, -1, -1, -1};
    bool owner_disabled = false;
    HWND owner = nullptr;
    open_settings({[&](HWND dialog) {
        owner = GetWindow(dialog, GW_OWNER);
        owner_disabled = !IsWindowEnabled(main_window);
        boxes[0] = checked(dialog, IDC_AUTO_SHOW);
        boxes[1] = checked(dialog, IDC_LOAD_OLD_BOOKMARKS);
        boxes[2] = checked(dialog, IDC_SHOW_TOGGLE_BOOKMARK);
        fields[0] = hotkey(dialog, IDC_HOTKEY_TOGGLE);
        fields[1] = hotkey(dialog, IDC_HOTKEY_PREVIOUS);
        fields[2] = hotkey(dialog, IDC_HOTKEY_NEXT);
        fields[3] = hotkey(dialog, IDC_HOTKEY_LIST);
        click(dialog, IDC_SETTINGS_CANCEL);
    }});
    EXPECT_EQ(owner, main_window);
    EXPECT_TRUE(owner_disabled) << "the dialog is not modal to the host's main window";
    // Each feature is on until 0 is stored, and its box says so.
    for (int box : boxes) EXPECT_EQ(box, BST_CHECKED);
    for (int field : fields) EXPECT_EQ(field, 0);
    EXPECT_EQ(reads(), (KeyValues{{"auto_show", 1},
                                  {"load_old_bookmarks", 1},
                                  {"show_toggle_bookmark", 1},
                                  {"hotkey_toggle__key", 0},
                                  {"hotkey_previous__key", 0},
                                  {"hotkey_next__key", 0},
                                  {"hotkey_list__key", 0}}));
    EXPECT_TRUE(writes().empty());
    EXPECT_TRUE(IsWindowEnabled(main_window));
}

TEST_F(SettingsTest, StoredValuesAreShownAndModifiersReadOnlyForASetKey)
{
    set_setting("auto_show", 7);
    set_setting("load_old_bookmarks", 0);
    set_setting("show_toggle_bookmark", 1);
    set_setting("hotkey_toggle__key", 116);  // Ctrl+Shift+F5
    set_setting("hotkey_toggle__shift", 1);
    set_setting("hotkey_toggle__ctrl", 1);
    set_setting("hotkey_previous__key", 0x10000);  // nothing in the low 16 bits: unset
    set_setting("hotkey_previous__alt", 1);
    set_setting("hotkey_next__key", 66);  // Alt+Ctrl+B
    set_setting("hotkey_next__alt", 1);
    set_setting("hotkey_next__ctrl", 1);
    set_setting("hotkey_list__key", 76);  // Alt+Shift+L
    set_setting("hotkey_list__alt", 1);
    set_setting("hotkey_list__shift", 1);
    int boxes[3] = {-1, -1, -1}, fields[4] = {-1, -1, -1, -1};
    open_settings({[&](HWND dialog) {
        boxes[0] = checked(dialog, IDC_AUTO_SHOW);
        boxes[1] = checked(dialog, IDC_LOAD_OLD_BOOKMARKS);
        boxes[2] = checked(dialog, IDC_SHOW_TOGGLE_BOOKMARK);
        fields[0] = hotkey(dialog, IDC_HOTKEY_TOGGLE);
        fields[1] = hotkey(dialog, IDC_HOTKEY_PREVIOUS);
        fields[2] = hotkey(dialog, IDC_HOTKEY_NEXT);
        fields[3] = hotkey(dialog, IDC_HOTKEY_LIST);
        click(dialog, IDC_SETTINGS_CANCEL);
    }});
    EXPECT_EQ(boxes[0], BST_CHECKED);
    EXPECT_EQ(boxes[1], BST_UNCHECKED);
    EXPECT_EQ(boxes[2], BST_CHECKED);
    EXPECT_EQ(fields[0], 0x0374);
    EXPECT_EQ(fields[1], 0);
    EXPECT_EQ(fields[2], 0x0642);
    EXPECT_EQ(fields[3], 0x054C);
    EXPECT_EQ(reads(), (KeyValues{{"auto_show", 1},
                                  {"load_old_bookmarks", 1},
                                  {"show_toggle_bookmark", 1},
                                  {"hotkey_toggle__key", 0},
                                  {"hotkey_toggle__alt", 0},
                                  {"hotkey_toggle__shift", 0},
                                  {"hotkey_toggle__ctrl", 0},
                                  {"hotkey_previous__key", 0},
                                  {"hotkey_next__key", 0},
                                  {"hotkey_next__alt", 0},
                                  {"hotkey_next__shift", 0},
                                  {"hotkey_next__ctrl", 0},
                                  {"hotkey_list__key", 0},
                                  {"hotkey_list__alt", 0},
                                  {"hotkey_list__shift", 0},
                                  {"hotkey_list__ctrl", 0}}));
    EXPECT_TRUE(writes().empty());
}

TEST_F(SettingsTest, OkWritesTheBoxesThenEachBindingAsKeyAltShiftCtrl)
{
    const struct Case {
        const char* name;
        KeyValues stored;
        std::function<void(HWND)> edit;
        KeyValues expected;
    } cases[] = {
        {"untouched fresh store keeps the three features on", {}, [](HWND) {},
         writes_of({1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
        {"every box stored 0 ticked and four shortcuts typed",
         {{"auto_show", 0}, {"load_old_bookmarks", 0}, {"show_toggle_bookmark", 0}},
         [](HWND dialog) {
             click(dialog, IDC_AUTO_SHOW);
             click(dialog, IDC_LOAD_OLD_BOOKMARKS);
             click(dialog, IDC_SHOW_TOGGLE_BOOKMARK);
             set_hotkey(dialog, IDC_HOTKEY_TOGGLE, 0x0A27);    // Ctrl+Right, extended
             set_hotkey(dialog, IDC_HOTKEY_PREVIOUS, 0x0642);  // Alt+Ctrl+B
             set_hotkey(dialog, IDC_HOTKEY_NEXT, 0x0374);      // Ctrl+Shift+F5
             set_hotkey(dialog, IDC_HOTKEY_LIST, 0x0D24);      // Alt+Shift+Home, extended
         },
         writes_of({1, 1, 1, 39, 0, 0, 1, 66, 1, 0, 1, 116, 0, 1, 1, 36, 1, 1, 0})},
        {"stored values kept, one box unticked, toggle field cleared",
         {{"auto_show", 1}, {"load_old_bookmarks", 1}, {"show_toggle_bookmark", 1},
          {"hotkey_toggle__key", 116}, {"hotkey_toggle__shift", 1}, {"hotkey_toggle__ctrl", 1},
          {"hotkey_next__key", 78}, {"hotkey_next__alt", 1},
          {"hotkey_list__key", 68}, {"hotkey_list__shift", 1}, {"hotkey_list__ctrl", 1}},
         [](HWND dialog) {
             click(dialog, IDC_LOAD_OLD_BOOKMARKS);
             set_hotkey(dialog, IDC_HOTKEY_TOGGLE, 0);
         },
         writes_of({1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 78, 1, 0, 0, 68, 0, 1, 1})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host_state.settings.clear();
        for (const auto& stored : c.stored) set_setting(stored.first.c_str(), stored.second);
        forget_calls();
        open_settings({[&](HWND dialog) {
            c.edit(dialog);
            click(dialog, IDC_SETTINGS_OK);
        }});
        EXPECT_EQ(writes(), c.expected);
        // Nothing is read while storing: every read belongs to the start.
        const auto& calls = host_state.calls;
        size_t first_write = 0;
        while (first_write < calls.size() && calls[first_write].op != HostOp::WriteInt) ++first_write;
        for (size_t i = first_write; i < calls.size(); ++i) EXPECT_EQ(calls[i].op, HostOp::WriteInt) << i;
        for (const auto& written : c.expected) EXPECT_EQ(setting(written.first.c_str()), written.second);
        // The context menu follows what was written.
        view.set_active(1);
        EXPECT_EQ(menu(ORIGIN_CPU_DISASM, view.bytes).empty(), setting("show_toggle_bookmark") == 0);
    }
}

TEST_F(SettingsTest, ExtendedKeyComesBackWithoutItsExtendedFlag)
{
    open_settings({[](HWND dialog) {
        set_hotkey(dialog, IDC_HOTKEY_TOGGLE, 0x0A27);
        click(dialog, IDC_SETTINGS_OK);
    }});
    int shown = -1;
    open_settings({[&](HWND dialog) {
        shown = hotkey(dialog, IDC_HOTKEY_TOGGLE);
        click(dialog, IDC_SETTINGS_CANCEL);
    }});
    EXPECT_EQ(shown, 0x0227);
}

TEST_F(SettingsTest, CancelAndTheCloseBoxEndTheDialogWritingNothing)
{
    const struct {
        const char* name;
        std::function<void(HWND)> close;
    } ways[] = {
        {"Cancel button", [](HWND dialog) { click(dialog, IDC_SETTINGS_CANCEL); }},
        {"WM_CLOSE", [](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); }},
        {"system menu Close", [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        set_setting("auto_show", 1);
        forget_calls();
        open_settings({[&](HWND dialog) {
            click(dialog, IDC_AUTO_SHOW);
            click(dialog, IDC_SHOW_TOGGLE_BOOKMARK);
            set_hotkey(dialog, IDC_HOTKEY_NEXT, 0x0374);
            set_hotkey(dialog, IDC_HOTKEY_LIST, 0x0374);
            way.close(dialog);
        }});
        EXPECT_TRUE(writes().empty());
        EXPECT_EQ(setting("auto_show"), 1);
        EXPECT_FALSE(has_setting("hotkey_next__key"));
        EXPECT_FALSE(has_setting("hotkey_list__key"));
    }
}

// The dialog manager turns Esc into IDCANCEL and Enter into IDOK or a click on
// the focused push button; only the dialog's own buttons end it.
TEST_F(SettingsTest, EnterAndEscEndTheDialogOnlyThroughItsOwnButtons)
{
    const struct Case {
        int focus;
        WPARAM key;
        int command;  // what the dialog manager sends for the key
        bool stays_open;
        bool writes;
    } cases[] = {
        {IDC_LOAD_OLD_BOOKMARKS, VK_ESCAPE, IDCANCEL, true, false},
        {IDC_LOAD_OLD_BOOKMARKS, VK_RETURN, IDOK, true, false},
        {IDC_SETTINGS_OK, VK_ESCAPE, IDCANCEL, true, false},
        {IDC_HOTKEY_TOGGLE, VK_RETURN, IDOK, true, false},
        {IDC_SETTINGS_OK, VK_RETURN, IDC_SETTINGS_OK, false, true},
        {IDC_SETTINGS_CANCEL, VK_RETURN, IDC_SETTINGS_CANCEL, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "focus " << c.focus << " key " << c.key);
        host_state.settings.clear();
        forget_calls();
        std::vector<int> commands;
        bool open_after_key = false;
        std::vector<ModalStep> steps = {[&](HWND dialog) {
            spy_on_commands(dialog, &commands);
            click(dialog, IDC_AUTO_SHOW);
            commands.clear();
            press_key_on(dialog, c.focus, c.key);
        }};
        if (c.stays_open) {
            steps.push_back([&](HWND dialog) {
                open_after_key = IsWindowVisible(dialog) != FALSE;
                EXPECT_EQ(commands, std::vector<int>{c.command}) << "the key did not reach the dialog manager";
                click(dialog, IDC_SETTINGS_CANCEL);
            });
        }
        open_settings(steps);
        if (c.stays_open) {
            EXPECT_TRUE(open_after_key);
        } else {
            EXPECT_EQ(commands, std::vector<int>{c.command});
        }
        EXPECT_EQ(writes().size(), c.writes ? 19u : 0u);
        if (c.writes) EXPECT_EQ(setting("auto_show"), 0) << "the click unticked the box shown ticked";
    }
}

}  // namespace
