// The navigation panel on the real DLL: its window, its buttons with and
// without a selected line, its title, and closing and showing it again.
#include "host/menus.h"
#include "resources/resource.h"
#include "sandbox/host_state.h"
#include "tests/wine/support/plugin_fixture.h"

namespace {

const uint32_t RECORD_OWN = 0x4C4D430A;

RECT window_rect(HWND window)
{
    RECT rect = {-1, -1, -1, -1};
    GetWindowRect(window, &rect);
    return rect;
}

std::vector<HostOp> ops()
{
    std::vector<HostOp> result;
    for (const HostCall& call : host_state.calls) result.push_back(call.op);
    return result;
}

class PanelTest : public StartedPluginTest {
protected:
    void SetUp() override
    {
        StartedPluginTest::SetUp();
        ASSERT_NE(panel(), nullptr);
    }
    INT_PTR call_procedure(UINT message, WPARAM wparam, LPARAM lparam = 0)
    {
        DLGPROC procedure = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(panel(), DWLP_DLGPROC));
        return procedure ? procedure(panel(), message, wparam, lparam) : -999;
    }
};

TEST_F(PanelTest, IsAToolWindowOwnedByTheHostTitledWithTheBareName)
{
    EXPECT_EQ(panel_title(), "Korvantis");
    EXPECT_EQ(GetWindow(panel(), GW_OWNER), main_window);
    EXPECT_TRUE(GetWindowLongA(panel(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    const struct {
        int id;
        const char* text;
    } buttons[] = {{IDC_PANEL_PREVIOUS, "<"}, {IDC_PANEL_NEXT, ">"}, {IDC_PANEL_TOGGLE, "#"}};
    for (const auto& button : buttons) {
        char text[8] = {};
        GetDlgItemTextA(panel(), button.id, text, sizeof text);
        EXPECT_STREQ(text, button.text) << button.id;
    }
}

TEST_F(PanelTest, ButtonsWithNoSelectedLineOnlyAskForTheViewAndTheToggleBeeps)
{
    add_bookmarks({0x401000, 0x402000});
    const struct {
        const char* situation;
        bool view;
    } situations[] = {{"no view", false}, {"selected address 0", true}};
    const struct {
        int id;
        std::vector<HostOp> calls;
    } buttons[] = {
        {IDC_PANEL_PREVIOUS, {HostOp::GetValue}},
        {IDC_PANEL_NEXT, {HostOp::GetValue}},
        {IDC_PANEL_TOGGLE, {HostOp::GetValue, HostOp::Beep}},
        {9999, {HostOp::GetValue}},  // not a panel control: the view is still asked for
    };
    for (const auto& situation : situations) {
        for (const auto& button : buttons) {
            SCOPED_TRACE(testing::Message() << situation.situation << ", button " << button.id);
            if (situation.view) {
                select_line(0);
            } else {
                no_view();
            }
            forget_calls();
            press_panel_button(button.id);
            EXPECT_EQ(ops(), button.calls);
            const auto asked = calls_of(HostOp::GetValue);
            ASSERT_EQ(asked.size(), 1u);
            EXPECT_EQ(asked[0].emphasis, 53);
            if (beeps()) EXPECT_EQ(calls_of(HostOp::Beep)[0].emphasis, 0);
            EXPECT_EQ(panel_title(), "Korvan... (02)");
        }
    }
    EXPECT_EQ(saved_addresses(), (std::vector<uint32_t>{0x401000, 0x402000}));
}

TEST_F(PanelTest, NavigationButtonsGoToTheNeighbourOrPointTheOtherWayAndBeep)
{
    add_bookmarks({0x400000, 0x402000});
    const char* forward = "No bookmarks!, try to search forward, >.";
    const char* backward = "No bookmarks!, try to search backward, <.";
    const struct {
        int id;
        uint32_t selected;
        uint32_t target;     // 0: the notice and a beep instead
        const char* notice;
    } rows[] = {
        {IDC_PANEL_PREVIOUS, 0x402000, 0x400000, nullptr},
        {IDC_PANEL_PREVIOUS, 0x401000, 0x400000, nullptr},
        {IDC_PANEL_PREVIOUS, 0xFFFFFFFF, 0x402000, nullptr},
        {IDC_PANEL_PREVIOUS, 0x400000, 0, forward},
        {IDC_PANEL_PREVIOUS, 0x3FFFFF, 0, forward},
        {IDC_PANEL_NEXT, 0x400000, 0x402000, nullptr},
        {IDC_PANEL_NEXT, 0x1, 0x400000, nullptr},
        {IDC_PANEL_NEXT, 0x402000, 0, backward},
        {IDC_PANEL_NEXT, 0xFFFFFFFF, 0, backward},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "button " << row.id << " at 0x" << std::hex << row.selected);
        select_line(row.selected);
        forget_calls();
        press_panel_button(row.id);
        if (row.target) {
            EXPECT_EQ(ops(), (std::vector<HostOp>{HostOp::GetValue, HostOp::GotoCode}));
            const auto moves = calls_of(HostOp::GotoCode);
            ASSERT_EQ(moves.size(), 1u);
            const uint32_t expected[5] = {0, row.target, 0, 0, 13};
            for (int i = 0; i < 5; ++i) EXPECT_EQ(moves[0].goto_args[i], expected[i]) << "argument " << i;
        } else {
            EXPECT_EQ(ops(), (std::vector<HostOp>{HostOp::GetValue, HostOp::Notice, HostOp::Beep}));
            EXPECT_EQ(notices(), std::vector<std::string>{row.notice});
            if (beeps()) EXPECT_EQ(calls_of(HostOp::Beep)[0].emphasis, 0);
        }
        EXPECT_EQ(panel_title(), "Korvan... (02)") << "navigation does not retitle";
    }
}

TEST_F(PanelTest, NavigationOnAnEmptyListComplainsBothWays)
{
    select_line(0x401000);
    press_panel_button(IDC_PANEL_PREVIOUS);
    press_panel_button(IDC_PANEL_NEXT);
    EXPECT_EQ(notices(), (std::vector<std::string>{"No bookmarks!, try to search forward, >.",
                                                   "No bookmarks!, try to search backward, <."}));
    EXPECT_EQ(beeps(), 2);
    EXPECT_TRUE(calls_of(HostOp::GotoCode).empty());
}

TEST_F(PanelTest, ToggleButtonTwiceAddsThenRemovesWithTheCountedTitleBothTimes)
{
    add_bookmarks({0x100, 0x200, 0x300, 0x400, 0x500, 0x600});
    select_line(0x401000);
    forget_calls();
    press_panel_button(IDC_PANEL_TOGGLE);
    EXPECT_EQ(notices(), std::vector<std::string>{"Bookmark added Successfully"});
    EXPECT_EQ(panel_title(), "Korvan... (07)");
    forget_calls();
    press_panel_button(IDC_PANEL_TOGGLE);
    EXPECT_EQ(notices(), std::vector<std::string>{"Bookmark deleted!"});
    EXPECT_EQ(panel_title(), "Korvan... (06)");
}

TEST_F(PanelTest, TitleCountTakesMoreDigitsWhenNeeded)
{
    for (uint32_t address = 1; address <= 122; ++address) ASSERT_EQ(record(RECORD_OWN, 4, &address), 1);
    select_line(0x401000);
    press_panel_button(IDC_PANEL_TOGGLE);
    EXPECT_EQ(panel_title(), "Korvan... (123)");
}

TEST_F(PanelTest, DialogProcedureAnswersEachMessageAsTheDialogManagerExpects)
{
    const struct {
        const char* what;
        UINT message;
        WPARAM wparam;
        INT_PTR answer;
    } rows[] = {
        {"activating caption", WM_NCACTIVATE, TRUE, 1},
        {"activating, any non-zero", WM_NCACTIVATE, 2, 1},
        {"deactivating caption", WM_NCACTIVATE, FALSE, 0},
        {"unknown command", WM_COMMAND, MAKEWPARAM(9999, BN_CLICKED), 1},
        {"unhandled message", WM_USER + 5, 0, 0},
        {"timer (unhandled)", WM_TIMER, 1, 0},
        {"init", WM_INITDIALOG, 0, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SetWindowTextA(panel(), "stale");
        EXPECT_EQ(call_procedure(row.message, row.wparam), row.answer);
        EXPECT_EQ(panel_title(), row.message == WM_INITDIALOG ? "Korvantis" : "stale");
    }
    // Through the dialog manager: a handled WM_NCACTIVATE answers the dialog's
    // message result (0), an unhandled one the default processing's TRUE.
    EXPECT_EQ(SendMessageA(panel(), WM_NCACTIVATE, TRUE, 0), 0);
    EXPECT_NE(SendMessageA(panel(), WM_NCACTIVATE, FALSE, 0), 0);
}

TEST_F(PanelTest, ClosingStoresTheCornerAndHidesAndShowHideBringsItBackThere)
{
    ASSERT_TRUE(IsWindowVisible(panel()));
    MoveWindow(panel(), 150, 120, 90, 30, TRUE);
    const RECT before = window_rect(panel());
    forget_calls();
    EXPECT_EQ(SendMessageA(panel(), WM_CLOSE, 0, 0), 0);  // handled: the dialog's message result
    const auto writes = calls_of(HostOp::WriteInt);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].text, "top");
    EXPECT_EQ(writes[0].value, 120);
    EXPECT_EQ(writes[1].text, "left");
    EXPECT_EQ(writes[1].value, 150);
    EXPECT_TRUE(IsWindow(panel())) << "closing only hides the panel";
    EXPECT_FALSE(IsWindowVisible(panel()));
    EXPECT_EQ(panel_title(), "Korvantis");

    action(ORIGIN_MAIN_MENU, 0);
    EXPECT_TRUE(IsWindowVisible(panel()));
    const RECT after = window_rect(panel());
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right, before.right);
    EXPECT_EQ(after.bottom, before.bottom);

    // Closing again while shown, then the second Show/Hide: still the same window.
    HWND same = panel();
    SendMessageA(panel(), WM_CLOSE, 0, 0);
    ShowWindow(panel(), SW_SHOWNORMAL);
    EXPECT_EQ(panel(), same);
    EXPECT_TRUE(IsWindowVisible(panel()));
    action(ORIGIN_MAIN_MENU, 0);
    EXPECT_FALSE(IsWindowVisible(panel()));
}

}  // namespace
