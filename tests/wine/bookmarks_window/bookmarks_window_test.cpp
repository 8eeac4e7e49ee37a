// The Bookmarks window of the real DLL: opened from the main menu, its rows
// read back from the list view as a screen reader would, its keys and mouse
// gestures, how often it refreshes, and the place it remembers.
#include <windows.h>

#include <commctrl.h>
#include <string.h>

#include "host/menus.h"
#include "resources/resource.h"
#include "tests/wine/support/feedback_trace.h"
#include "tests/wine/support/plugin_fixture.h"

namespace {

const int MAIN = ORIGIN_MAIN_MENU;
const int OPEN_LIST = 4;
const uint32_t OWN_TAG = 0x4C4D430A;

typedef std::vector<std::vector<std::string>> Rows;

// Runs every message waiting for this thread: the window refreshes when the
// debugger's message loop runs again.
void pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

class BookmarksWindowTest : public StartedPluginTest {
protected:
    HWND open()
    {
        action(MAIN, OPEN_LIST);
        pump();
        return bookmarks_window();
    }
    HWND list() const { return GetDlgItem(bookmarks_window(), IDC_BOOKMARK_LIST); }
    std::string title() const
    {
        char text[64] = {};
        GetWindowTextA(bookmarks_window(), text, sizeof text);
        return text;
    }
    // One cell through LVM_GETITEMTEXTA with a buffer of the given size.
    std::string cell(int row, int column, int size = 300) const
    {
        std::vector<char> text(size_t(size), 0);
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = text.data();
        item.cchTextMax = size;
        SendMessageA(list(), LVM_GETITEMTEXTA, WPARAM(row), LPARAM(&item));
        return item.pszText;
    }
    Rows rows() const
    {
        Rows result;
        const int count = int(SendMessageA(list(), LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < count; ++row) result.push_back({cell(row, 0), cell(row, 1), cell(row, 2)});
        return result;
    }
    std::vector<std::string> addresses() const
    {
        std::vector<std::string> result;
        for (const auto& row : rows()) result.push_back(row[0]);
        return result;
    }
    void select_rows(std::initializer_list<int> chosen)
    {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list(), LVM_SETITEMSTATE, WPARAM(-1), LPARAM(&item));
        bool first = true;
        for (int row : chosen) {
            item.state = LVIS_SELECTED | (first ? LVIS_FOCUSED : 0);
            SendMessageA(list(), LVM_SETITEMSTATE, WPARAM(row), LPARAM(&item));
            first = false;
        }
    }
    std::vector<int> selected_rows() const
    {
        std::vector<int> result;
        for (int row = -1; (row = int(SendMessageA(list(), LVM_GETNEXTITEM, WPARAM(row), LVNI_SELECTED))) >= 0;) {
            result.push_back(row);
        }
        return result;
    }
    // A key pressed in the list, with Ctrl held or not, through the message loop.
    void press(WPARAM key, bool ctrl = false)
    {
        BYTE saved[256], state[256];
        GetKeyboardState(saved);
        memcpy(state, saved, sizeof state);
        state[VK_CONTROL] = state[VK_LCONTROL] = ctrl ? 0x80 : 0;
        SetKeyboardState(state);
        SetFocus(list());
        PostMessageA(list(), WM_KEYDOWN, key, 1);
        PostMessageA(list(), WM_KEYUP, key, 0xC0000001);
        pump();
        SetKeyboardState(saved);
    }
    // The settings of an earlier load, kept for this one (the store is per module instance).
    void restore_settings(const std::map<std::pair<void*, std::string>, int>& earlier)
    {
        for (const auto& entry : earlier) set_setting(entry.first.second.c_str(), entry.second);
    }
    std::vector<std::string> keys_written() const
    {
        std::vector<std::string> keys;
        for (const HostCall& call : calls_of(HostOp::WriteInt)) keys.push_back(call.text);
        return keys;
    }
};

TEST_F(BookmarksWindowTest, MenuCode4OpensTheWindowOnceAndBringsItBackAndCode5DoesNothing)
{
    add_bookmarks({0x401000});
    forget_calls();
    action(MAIN, 5);
    pump();
    EXPECT_EQ(bookmarks_window(), nullptr);
    EXPECT_TRUE(host_state.calls.empty());

    HWND window = open();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetWindow(window, GW_OWNER), main_window);
    EXPECT_NE(GetWindowLongA(window, GWL_STYLE) & WS_THICKFRAME, 0) << "resizable";
    EXPECT_NE(GetWindowLongA(list(), GWL_STYLE) & LVS_OWNERDATA, 0);
    EXPECT_EQ(title(), "Bookmarks (1)");
    std::vector<std::string> reads;
    for (const HostCall& call : calls_of(HostOp::ReadInt)) reads.push_back(call.text);
    EXPECT_EQ(reads, (std::vector<std::string>{"list_left", "list_top", "list_width", "list_height"}));
    EXPECT_TRUE(keys_written().empty());

    ShowWindow(window, SW_HIDE);
    // While it was hidden its screen went away: it comes back where one shows it.
    MoveWindow(window, 5000, -4000, 500, 300, TRUE);
    forget_calls();
    EXPECT_EQ(open(), window) << "opened once, shown again";
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(calls_of(HostOp::ReadInt).empty());
    RECT rect, work;
    GetWindowRect(window, &rect);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_TRUE(rect.left >= work.left && rect.top >= work.top && rect.right <= work.right && rect.bottom <= work.bottom);
    EXPECT_EQ(rect.right - rect.left, 500);
    EXPECT_EQ(rect.bottom - rect.top, 300);
}

TEST_F(BookmarksWindowTest, RowsFollowEveryChangeInAddressOrderAndTheSelectionStaysOnItsBookmark)
{
    open();
    const struct Step {
        const char* name;
        std::function<void()> change;
        std::vector<std::string> rows;
    } steps[] = {
        {"a load", [this] { add_bookmarks({0x402000, 0x401000, 0x80000000}); }, {"00401000", "00402000", "80000000"}},
        {"a toggle from the panel", [this] { toggle_at(0x401800); }, {"00401000", "00401800", "00402000", "80000000"}},
        {"a toggle that removes", [this] { toggle_at(0x401000); }, {"00401800", "00402000", "80000000"}},
        {"Clear Bookmarks", [this] { action(MAIN, 1); }, {}},
        {"a second load", [this] { add_bookmarks({0x10, 0x401000}); }, {"00000010", "00401000"}},
        {"host reset", [this] { plugin.reset(); }, {}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.change();
        pump();
        EXPECT_EQ(addresses(), step.rows);
        EXPECT_EQ(title(), "Bookmarks (" + std::to_string(step.rows.size()) + ")");
    }

    add_bookmarks({0x401000, 0x402000, 0x403000});
    pump();
    select_rows({1, 2});  // 0x402000 focused, 0x403000
    add_bookmarks({0x400000});
    toggle_at(0x401000);
    pump();
    EXPECT_EQ(addresses(), (std::vector<std::string>{"00400000", "00402000", "00403000"}));
    EXPECT_EQ(selected_rows(), (std::vector<int>{1, 2}));
    EXPECT_EQ(SendMessageA(list(), LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED), 1);
}

// The debugger keeps names of any length and writes them whole: the window
// asks for the length first and reads into a block of that size.
TEST_F(BookmarksWindowTest, LabelAndCommentComeFromTheDebuggerAndALongNameIsCutVisiblyWithoutOverrun)
{
    const std::string huge(65000, 'c');
    host_state.names[{0x401000, 0x31}] = "decrypt_loop";
    host_state.names[{0x401000, 0x36}] = "xor with the key";
    host_state.names[{0x402000, 0x36}] = huge;
    host_state.names[{0x403000, 0x31}] = std::string(259, 'l');
    add_bookmarks({0x401000, 0x402000, 0x403000});
    open();
    const std::string cut = std::string(256, 'c') + "...";
    EXPECT_EQ(rows(), (Rows{{"00401000", "decrypt_loop", "xor with the key"},
                            {"00402000", "", cut},
                            {"00403000", std::string(259, 'l'), ""}}));

    // Every read asks for the length with no buffer before it hands one over.
    const std::vector<HostCall> finds = calls_of(HostOp::FindName);
    ASSERT_FALSE(finds.empty());
    for (size_t i = 0; i < finds.size(); ++i) {
        if (finds[i].value) {
            ASSERT_GT(i, 0u);
            EXPECT_EQ(finds[i - 1].value, 0) << "a buffer handed over without asking the length first";
            EXPECT_EQ(finds[i - 1].address, finds[i].address);
            EXPECT_EQ(finds[i - 1].emphasis, finds[i].emphasis);
        }
    }

    const struct Cut {
        int size;
        std::string shown;
    } cuts[] = {{260, cut}, {10, "cccccc..."}, {4, "..."}, {2, "."}, {1, ""}};
    for (const Cut& c : cuts) {
        SCOPED_TRACE(c.size);
        // Guard bytes after the cell show a write beyond the size given.
        std::vector<char> text(size_t(c.size) + 64, '#');
        LVITEMA item = {};
        item.iSubItem = 2;
        item.pszText = text.data();
        item.cchTextMax = c.size;
        SendMessageA(list(), LVM_GETITEMTEXTA, 1, LPARAM(&item));
        EXPECT_EQ(std::string(item.pszText), c.shown);
        for (size_t i = size_t(c.size); i < text.size(); ++i) ASSERT_EQ(text[i], '#') << "overrun at " << i;
    }
    HANDLE heaps[64];
    const DWORD heap_count = GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < heap_count && i < 64; ++i) EXPECT_TRUE(HeapValidate(heaps[i], 0, nullptr)) << "heap " << i;

    // A name changed in the debugger shows at the next look.
    host_state.names[{0x401000, 0x31}] = "renamed";
    host_state.names.erase({0x401000, 0x36});
    EXPECT_EQ(cell(0, 1), "renamed");
    EXPECT_EQ(cell(0, 2), "");
}

TEST_F(BookmarksWindowTest, EnterAndDoubleClickGoToTheRowDeleteRemovesEscHidesAndCtrlCCopies)
{
    host_state.names[{0x402000, 0x31}] = "check";
    host_state.names[{0x402000, 0x36}] = "serial";
    add_bookmarks({0x401000, 0x402000, 0x403000});
    HWND window = open();
    ASSERT_NE(window, nullptr);

    select_rows({1});
    forget_calls();
    press(VK_RETURN);
    EXPECT_EQ(feedback_trace(host_state.calls), std::vector<std::string>{goto_entry(0x402000)});
    const auto gotos = calls_of(HostOp::GotoCode);
    ASSERT_EQ(gotos.size(), 1u);
    const uint32_t expected[5] = {0, 0x402000, 0, 0, 13};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(gotos[0].goto_args[i], expected[i]) << i;

    RECT row = {};
    row.left = LVIR_BOUNDS;
    ASSERT_TRUE(SendMessageA(list(), LVM_GETITEMRECT, 2, LPARAM(&row)));
    const LPARAM at = MAKELPARAM((row.left + row.right) / 2, (row.top + row.bottom) / 2);
    forget_calls();
    PostMessageA(list(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list(), WM_LBUTTONUP, 0, at);
    PostMessageA(list(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageA(list(), WM_LBUTTONUP, 0, at);
    pump();
    EXPECT_EQ(feedback_trace(host_state.calls), std::vector<std::string>{goto_entry(0x403000)});

    select_rows({1, 2});
    press('C', true);
    ASSERT_TRUE(OpenClipboard(main_window));
    HANDLE data = GetClipboardData(CF_TEXT);
    const std::string copied = data ? static_cast<const char*>(GlobalLock(data)) : "";
    if (data) GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(copied, "00402000\tcheck\tserial\r\n00403000\t\t\r\n");

    forget_calls();
    press(VK_DELETE);
    EXPECT_EQ(feedback_trace(host_state.calls),
              (std::vector<std::string>{notice_entry("Bookmark deleted!"),
                                        log_entry(0x402000, -1, "Korvantis: Bookmark deleted from line 402000"),
                                        notice_entry("Bookmark deleted!"),
                                        log_entry(0x403000, -1, "Korvantis: Bookmark deleted from line 403000")}));
    EXPECT_EQ(panel_title(), "Korvan... (01)");
    EXPECT_EQ(addresses(), std::vector<std::string>{"00401000"});
    EXPECT_EQ(title(), "Bookmarks (1)");

    // Nothing selected: Delete has nothing to act on, and Copy neither.
    select_rows({});
    forget_calls();
    press(VK_DELETE);
    press('C', true);
    EXPECT_EQ(feedback_trace(host_state.calls), (std::vector<std::string>{beep_entry(), beep_entry()}));

    forget_calls();
    press(VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(keys_written(), (std::vector<std::string>{"list_left", "list_top", "list_width", "list_height"}));
}

// Each refresh retitles the window once.
int retitles;
WNDPROC original_procedure;

LRESULT CALLBACK counting_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_SETTEXT) ++retitles;
    return CallWindowProcA(original_procedure, window, message, wparam, lparam);
}

TEST_F(BookmarksWindowTest, ALoadOfAThousandRecordsRefreshesTheOpenWindowABoundedNumberOfTimes)
{
    HWND window = open();
    ASSERT_NE(window, nullptr);
    retitles = 0;
    original_procedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(counting_procedure)));
    for (uint32_t i = 0; i < 1000; ++i) {
        const uint32_t address = 0x401000 + 0x10 * i;
        ASSERT_EQ(record(OWN_TAG, 4, &address), 1);
    }
    pump();
    EXPECT_GE(retitles, 1);
    EXPECT_LE(retitles, 2) << "one refresh per record instead of one for the load";
    EXPECT_EQ(title(), "Bookmarks (1000)");
    EXPECT_EQ(cell(999, 0), "00404E70");
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_procedure));
}

// Place and size are written when the window is hidden and at close once it
// has been opened; "list_shown" at close brings it back at the next start.
TEST_F(BookmarksWindowTest, PlaceAndSizeRoundTripAndAWindowOpenAtCloseReopensAtStart)
{
    HWND window = open();
    ASSERT_NE(window, nullptr);
    MoveWindow(window, 100, 120, 500, 300, TRUE);
    forget_calls();
    plugin.close();
    EXPECT_EQ(feedback_trace(host_state.calls),
              (std::vector<std::string>{write_entry("top", setting("top")), write_entry("left", setting("left")),
                                        write_entry("list_left", 100), write_entry("list_top", 120),
                                        write_entry("list_width", 500), write_entry("list_height", 300),
                                        write_entry("list_shown", 1)}));
    const auto stored = host_state.settings;
    stop_plugin();

    const struct Start {
        const char* name;
        int left, top;
        bool as_stored;
    } starts[] = {{"as stored", 100, 120, true}, {"stored far off screen", 5000, -4000, false}};
    for (const Start& start : starts) {
        SCOPED_TRACE(start.name);
        ASSERT_TRUE(load_plugin());
        restore_settings(stored);
        set_setting("list_left", start.left);
        set_setting("list_top", start.top);
        start_plugin();
        pump();
        window = bookmarks_window();
        ASSERT_NE(window, nullptr) << "list_shown 1 reopens the window";
        EXPECT_TRUE(IsWindowVisible(window));
        RECT rect;
        GetWindowRect(window, &rect);
        EXPECT_EQ(rect.right - rect.left, 500);
        EXPECT_EQ(rect.bottom - rect.top, 300);
        if (start.as_stored) {
            EXPECT_EQ(rect.left, start.left);
            EXPECT_EQ(rect.top, start.top);
        } else {
            RECT work;
            SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
            EXPECT_TRUE(rect.left >= work.left && rect.top >= work.top && rect.right <= work.right &&
                        rect.bottom <= work.bottom);
        }
        stop_plugin();
    }

    ASSERT_TRUE(load_plugin());
    restore_settings(stored);
    start_plugin();
    pump();
    PostMessageA(bookmarks_window(), WM_CLOSE, 0, 0);
    pump();
    forget_calls();
    plugin.close();
    EXPECT_EQ(setting("list_shown"), 0) << "closed by the user before the host closed";
}

}  // namespace
