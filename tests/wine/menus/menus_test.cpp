// The main menu and the disassembler's context menu of the real DLL: the
// descriptions handed to the host and what choosing each item does.
#include <string.h>

#include <regex>

#include "host/menus.h"
#include "sandbox/import_patch.h"
#include "tests/wine/support/modal_driver.h"
#include "tests/wine/support/plugin_fixture.h"

namespace {

const int CPU = ORIGIN_CPU_DISASM, MAIN = ORIGIN_MAIN_MENU;

class MenusTest : public StartedPluginTest {
protected:
    void SetUp() override
    {
        StartedPluginTest::SetUp();
        ASSERT_NE(panel(), nullptr);
    }
    std::vector<uint32_t> bookmarks() { return saved_addresses(); }
};

TEST_F(MenusTest, MainMenuListsTheFiveItemsInEightyTwoBytesWithoutAskingTheHost)
{
    char text[120];
    memset(text, 0x55, sizeof text);
    EXPECT_EQ(plugin.menu(MAIN, text, nullptr), 1);
    EXPECT_STREQ(text, "0 Show/Hide | 4 Bookmark list | 1 Clear Bookmarks | 2 Settings | 3 Korvantis v1.6");
    EXPECT_EQ(strchr(text, ','), nullptr) << "the debugger ends an item's text at a comma";
    for (size_t i = 82; i < sizeof text; ++i) ASSERT_EQ(text[i], 0x55) << "written beyond 82 bytes at " << i;
    EXPECT_TRUE(host_state.calls.empty());
}

TEST_F(MenusTest, ContextMenuEntryDependsOnTheSettingTheViewAndTheBookmark)
{
    add_bookmarks({0x401000});
    const struct Case {
        const char* name;
        int stored;  // -1: never written
        bool item;
        uint32_t active;
        uint32_t address;
        const char* expected;  // null: no entry
    } cases[] = {
        {"bookmarked line", -1, true, 1, 0x401000, "0 Toggle Bookmark \t-[00401000]"},
        {"plain line", -1, true, 1, 0x401001, "0 Toggle Bookmark \t+[00401001]"},
        {"no selected line", -1, true, 1, 0, "0 Toggle Bookmark \t+[00000000]"},
        {"stored 1", 1, true, 0x80000000u, 0x401000, "0 Toggle Bookmark \t-[00401000]"},
        {"stored 0", 0, true, 1, 0x401000, nullptr},
        {"no item", -1, false, 1, 0x401000, nullptr},
        {"inactive view", 1, true, 0, 0x401000, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host_state.settings.erase({plugin.module, "show_toggle_bookmark"});
        if (c.stored >= 0) set_setting("show_toggle_bookmark", c.stored);
        DisasmViewBuffer item;
        item.set_active(c.active);
        item.set_selected(c.address);
        forget_calls();
        int answer = -1;
        const std::string text = menu(CPU, c.item ? item.bytes : nullptr, &answer);
        EXPECT_EQ(answer, c.expected ? 1 : 0);
        if (c.expected) EXPECT_EQ(text, c.expected);
        // The setting is asked first, whatever the item.
        const auto& calls = host_state.calls;
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].op, HostOp::ReadInt);
        EXPECT_EQ(calls[0].text, "show_toggle_bookmark");
        EXPECT_EQ(calls[0].value, 1);
        EXPECT_EQ(calls[0].instance, plugin.module);
    }
}

TEST_F(MenusTest, OtherOriginsGetNoMenuAndNoActionDoesAnything)
{
    add_bookmarks({0x401000});
    select_line(0x402000);
    forget_calls();
    for (int origin : {1, 30, 32, -1}) {
        int answer = -1;
        menu(origin, view.bytes, &answer);
        EXPECT_EQ(answer, 0) << origin;
        for (int code = 0; code < 4; ++code) action(origin, code, view.bytes);
    }
    action(MAIN, 5);
    action(MAIN, -1);
    action(CPU, 1, view.bytes);
    EXPECT_TRUE(host_state.calls.empty());
    EXPECT_TRUE(IsWindowVisible(panel()));
    EXPECT_EQ(find_owned_dialog(main_window, "Settings", panel()), nullptr);
    forget_calls();
    EXPECT_EQ(bookmarks(), std::vector<uint32_t>{0x401000});
}

TEST_F(MenusTest, ShowHideFlipsThePanelAndBringsAClosedOneBackInPlace)
{
    ASSERT_TRUE(IsWindowVisible(panel()));
    action(MAIN, 0);
    EXPECT_FALSE(IsWindowVisible(panel()));
    action(MAIN, 0);
    EXPECT_TRUE(IsWindowVisible(panel()));

    MoveWindow(panel(), 50, 60, 120, 40, TRUE);
    RECT before;
    GetWindowRect(panel(), &before);
    SendMessageA(panel(), WM_CLOSE, 0, 0);
    ASSERT_FALSE(IsWindowVisible(panel()));
    action(MAIN, 0);
    EXPECT_TRUE(IsWindowVisible(panel()));
    RECT after;
    GetWindowRect(panel(), &after);
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(MenusTest, ClearBookmarksLogsEachDeletionInAscendingOrderAndBaresTheTitle)
{
    add_bookmarks({0x401020, 0x401000, 0x401010});
    ASSERT_EQ(panel_title(), "Korvan... (03)");
    forget_calls();
    action(MAIN, 1);
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"Korvantis: Deleting bookmark from line 401000",
                                                     "Korvantis: Deleting bookmark from line 401010",
                                                     "Korvantis: Deleting bookmark from line 401020"}));
    EXPECT_EQ(panel_title(), "Korvantis");
    EXPECT_TRUE(bookmarks().empty());
}

struct MessageBoxCall {
    int count = 0;
    HWND owner = nullptr;
    std::string text, caption;
    UINT type = 0;
};
MessageBoxCall message_box_call;
decltype(&MessageBoxA) real_message_box = nullptr;

int WINAPI record_message_box(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    MessageBoxCall& call = message_box_call;
    call.count++;
    call.owner = owner;
    call.text = text ? text : "(null)";
    call.caption = caption ? caption : "(null)";
    call.type = type;
    return real_message_box(owner, text, caption, type);
}

TEST_F(MenusTest, AboutBoxIsAnInformationBoxOfTheHostWithFourLines)
{
    real_message_box = reinterpret_cast<decltype(&MessageBoxA)>(
        repoint_import(plugin.module, "user32.dll", "MessageBoxA", reinterpret_cast<void*>(record_message_box)));
    ASSERT_NE(real_message_box, nullptr);
    message_box_call = MessageBoxCall();

    std::string shown;
    HWND box_owner = nullptr;
    // The panel has the same caption; it is told apart before the box exists.
    HWND the_panel = panel();
    const ModalRun run = drive_modal(
        [this] { action(MAIN, 3); }, [this, the_panel] { return find_owned_dialog(main_window, "Korvantis", the_panel); },
        {[&](HWND box) {
            char text[512] = {};
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            shown = text;
            box_owner = GetWindow(box, GW_OWNER);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }});
    repoint_import(plugin.module, "user32.dll", "MessageBoxA", reinterpret_cast<void*>(real_message_box));
    ASSERT_NE(run.window, nullptr) << "no About box appeared";
    EXPECT_FALSE(run.forced);

    EXPECT_EQ(message_box_call.count, 1);
    EXPECT_EQ(message_box_call.owner, main_window);
    EXPECT_EQ(message_box_call.caption, "Korvantis");
    EXPECT_EQ(message_box_call.type, UINT(MB_ICONINFORMATION));
    EXPECT_EQ(shown, message_box_call.text);
    EXPECT_EQ(box_owner, main_window);

    const std::regex about("Korvantis plugin v1\\.6\n[^\r\n]+\n\nCompiled [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{4} "
                           "[0-9]{2}:[0-9]{2}:[0-9]{2}");
    EXPECT_TRUE(std::regex_match(shown, about)) << shown;
    EXPECT_TRUE(host_state.calls.empty());
}

TEST_F(MenusTest, ContextActionTogglesTheViewsLineNotTheItemsOrBeeps)
{
    DisasmViewBuffer item;
    item.set_active(1);
    item.set_selected(0x405000);
    select_line(0x401000);
    action(CPU, 0, item.bytes);
    EXPECT_EQ(bookmarks(), std::vector<uint32_t>{0x401000});
    forget_calls();
    action(CPU, 0, nullptr);
    EXPECT_EQ(notices(), std::vector<std::string>{"Bookmark deleted!"});
    ASSERT_FALSE(calls_of(HostOp::GetValue).empty());
    EXPECT_EQ(calls_of(HostOp::GetValue)[0].emphasis, 53);

    for (bool has_view : {false, true}) {
        SCOPED_TRACE(has_view ? "view without a selection" : "no view");
        lose_selection(has_view);
        forget_calls();
        action(CPU, 0, item.bytes);
        EXPECT_EQ(beeps(), 1);
        EXPECT_TRUE(notices().empty());
        EXPECT_TRUE(log_lines().empty());
    }
    EXPECT_TRUE(bookmarks().empty());
}

}  // namespace
