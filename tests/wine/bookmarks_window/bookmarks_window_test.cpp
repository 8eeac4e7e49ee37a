// The Bookmarks window of the real DLL: opened from the main menu, its rows
// read back from the list view as a screen reader would, its filter and sort,
// its keys and mouse gestures, names given from it, how often it refreshes,
// and what it remembers.
#include <windows.h>

#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include <set>

#include "host/menus.h"
#include "resources/resource.h"
#include "tests/wine/support/feedback_trace.h"
#include "tests/wine/support/modal_driver.h"
#include "tests/wine/support/plugin_fixture.h"

namespace {

const int MAIN = ORIGIN_MAIN_MENU;
const int OPEN_LIST = 4;
const uint32_t OWN_TAG = 0x4C4D430A;
const int LABEL = 0x31, COMMENT = 0x36;
// The key of ';', and of ':' with Shift, as the debugger's window gets it.
const WPARAM SEMICOLON_KEY = 0xBA;
// A case still running after this long stops the group at once, naming
// itself, instead of leaving the next case to wait for the group's timeout.
const DWORD CASE_SECONDS = 150;

typedef std::vector<std::vector<std::string>> Rows;
typedef std::vector<std::string> Texts;

// Runs every message waiting for this thread: the window refreshes when the
// debugger's message loop runs again. A queue that never empties fails.
void pump()
{
    const DWORD start = GetTickCount();
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
        if (GetTickCount() - start > 20000) {
            ADD_FAILURE() << "messages keep coming";
            return;
        }
    }
}

HANDLE case_over;

DWORD WINAPI watch_case(void* name)
{
    if (WaitForSingleObject(case_over, CASE_SECONDS * 1000) == WAIT_OBJECT_0) return 0;
    fprintf(stderr, "%s: still running after %lu s, stopped\n", static_cast<const char*>(name), CASE_SECONDS);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return 3;
}

bool heaps_valid()
{
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!HeapValidate(heaps[i], 0, nullptr)) return false;
    }
    return true;
}

INT_PTR CALLBACK bare_procedure(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

class BookmarksWindowTest : public StartedPluginTest {
protected:
    void SetUp() override
    {
        case_over = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        watcher = CreateThread(nullptr, 0, watch_case,
                               const_cast<char*>(::testing::UnitTest::GetInstance()->current_test_info()->name()),
                               0, nullptr);
        StartedPluginTest::SetUp();
    }
    void TearDown() override
    {
        StartedPluginTest::TearDown();
        SetEvent(case_over);
        WaitForSingleObject(watcher, INFINITE);
        CloseHandle(watcher);
        CloseHandle(case_over);
    }
    HWND open()
    {
        action(MAIN, OPEN_LIST);
        pump();
        HWND window = bookmarks_window();
        if (!window) ADD_FAILURE() << "the Bookmarks window did not open";
        return window;
    }
    HWND list() const { return GetDlgItem(bookmarks_window(), IDC_BOOKMARK_LIST); }
    HWND field() const { return GetDlgItem(bookmarks_window(), IDC_BOOKMARK_FILTER); }
    std::string title() const { return window_text(bookmarks_window()); }
    // One cell through LVM_GETITEMTEXTA into a buffer of the given size full
    // of a poison byte, so that a cell left without its zero shows it.
    std::string cell(int row, int column, int size = 300) const
    {
        std::vector<char> text(size_t(size) + 1, '#');
        text[size_t(size)] = 0;
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
        for (int row = 0; row < count; ++row) {
            result.push_back({cell(row, 0), cell(row, 1), cell(row, 2), cell(row, 3)});
        }
        return result;
    }
    Texts addresses() const
    {
        Texts result;
        for (const auto& row : rows()) result.push_back(row[0]);
        return result;
    }
    Texts headings() const
    {
        Texts result;
        for (int column = 0; column < 4; ++column) {
            char text[32] = {};
            LVCOLUMNA heading = {};
            heading.mask = LVCF_TEXT;
            heading.pszText = text;
            heading.cchTextMax = sizeof text;
            SendMessageA(list(), LVM_GETCOLUMNA, WPARAM(column), LPARAM(&heading));
            result.push_back(text);
        }
        return result;
    }
    // Selects the rows, the focus on the first of them unless one is named.
    void select_rows(const std::vector<int>& chosen, int focus = -1)
    {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list(), LVM_SETITEMSTATE, WPARAM(-1), LPARAM(&item));
        if (focus < 0 && !chosen.empty()) focus = chosen.front();
        for (int row : chosen) {
            item.state = LVIS_SELECTED;
            SendMessageA(list(), LVM_SETITEMSTATE, WPARAM(row), LPARAM(&item));
        }
        item.stateMask = item.state = LVIS_FOCUSED;
        if (focus >= 0) SendMessageA(list(), LVM_SETITEMSTATE, WPARAM(focus), LPARAM(&item));
    }
    std::vector<int> selected_rows() const
    {
        std::vector<int> result;
        for (int row = -1; (row = int(SendMessageA(list(), LVM_GETNEXTITEM, WPARAM(row), LVNI_SELECTED))) >= 0;) {
            result.push_back(row);
        }
        return result;
    }
    int focused_row() const { return int(SendMessageA(list(), LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED)); }
    // A key pressed in a control (the list unless named), with Ctrl or Shift
    // held or not, through the message loop.
    void press(WPARAM key, bool ctrl = false, bool shift = false, HWND control = nullptr)
    {
        BYTE saved[256], state[256];
        GetKeyboardState(saved);
        memcpy(state, saved, sizeof state);
        state[VK_CONTROL] = state[VK_LCONTROL] = ctrl ? 0x80 : 0;
        state[VK_SHIFT] = state[VK_LSHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(state);
        if (!control) control = list();
        SetFocus(control);
        PostMessageA(control, WM_KEYDOWN, key, 1);
        PostMessageA(control, WM_KEYUP, key, 0xC0000001);
        pump();
        SetKeyboardState(saved);
    }
    // A left click (or a double-click) at a point of a control's client area.
    void click(HWND control, POINT at, bool twice = false)
    {
        const LPARAM where = MAKELPARAM(at.x, at.y);
        PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, where);
        PostMessageA(control, WM_LBUTTONUP, 0, where);
        if (twice) PostMessageA(control, WM_LBUTTONDBLCLK, MK_LBUTTON, where);
        if (twice) PostMessageA(control, WM_LBUTTONUP, 0, where);
        pump();
    }
    POINT middle_of_row(int row) const
    {
        RECT rect = {};
        rect.left = LVIR_BOUNDS;
        EXPECT_TRUE(SendMessageA(list(), LVM_GETITEMRECT, WPARAM(row), LPARAM(&rect)));
        return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }
    HWND header() const { return reinterpret_cast<HWND>(SendMessageA(list(), LVM_GETHEADER, 0, 0)); }
    void click_heading(int column)
    {
        RECT rect = {};
        SendMessageA(header(), HDM_GETITEMRECT, WPARAM(column), LPARAM(&rect));
        click(header(), {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
    }
    // The settings of an earlier load, kept for this one (the store is per module instance).
    void restore_settings(const std::map<std::pair<void*, std::string>, int>& earlier)
    {
        for (const auto& entry : earlier) set_setting(entry.first.second.c_str(), entry.second);
    }
    Texts keys_written() const
    {
        Texts keys;
        for (const HostCall& call : calls_of(HostOp::WriteInt)) keys.push_back(call.text);
        return keys;
    }
    // Five bookmarks in two modules and none, with labels and comments whose
    // order changes when case is not ignored.
    void add_named_bookmarks()
    {
        add_module(0x400000, 0x10000, "hello", "C:\\hello\\hello.exe");
        add_module(0x7C800000, 0x100000, "kernel32", "C:\\WINDOWS\\system32\\kernel32.dll");
        host_state.names[{0x401000, LABEL}] = "decrypt_loop";
        host_state.names[{0x401000, COMMENT}] = "XOR with key";
        host_state.names[{0x401010, LABEL}] = "Check";
        host_state.names[{0x402000, COMMENT}] = "serial check";
        host_state.names[{0x50000, LABEL}] = "alpha";
        host_state.names[{0x50000, COMMENT}] = "Decrypt";
        add_bookmarks({0x401000, 0x401010, 0x402000, 0x7C801000, 0x50000});
    }

    HANDLE watcher = nullptr;
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
    EXPECT_EQ(headings(), (Texts{"Address ^", "Module", "Label", "Comment"}));
    Texts reads;
    for (const HostCall& call : calls_of(HostOp::ReadInt)) reads.push_back(call.text);
    EXPECT_EQ(reads, (Texts{"list_width_address", "list_width_module", "list_width_label", "list_width_comment",
                            "list_sort", "list_left", "list_top", "list_width", "list_height"}));
    EXPECT_TRUE(keys_written().empty());
    // Nothing stored: where and as large as the template puts it.
    HWND probe = CreateDialogParamA(plugin.module, MAKEINTRESOURCEA(IDD_BOOKMARKS), main_window, bare_procedure, 0);
    ASSERT_NE(probe, nullptr);
    RECT expected, actual;
    GetWindowRect(probe, &expected);
    DestroyWindow(probe);
    GetWindowRect(window, &actual);
    EXPECT_TRUE(EqualRect(&expected, &actual)) << actual.left << "," << actual.top << " " << actual.right << ","
                                               << actual.bottom;

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
        Texts rows;
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

    // Rows that move take their selection and focus along and leave none behind.
    add_bookmarks({0x401000, 0x402000, 0x403000});
    pump();
    select_rows({0, 2});  // 0x401000 focused, 0x403000
    const struct Move {
        const char* name;
        std::function<void()> change;
        Texts rows;
        std::vector<int> selected;
        int focused;
    } moves[] = {
        {"down", [this] { add_bookmarks({0x400000}); toggle_at(0x402000); }, {"00400000", "00401000", "00403000"},
         {1, 2}, 1},
        {"up to row 0", [this] { toggle_at(0x400000); }, {"00401000", "00403000"}, {0, 1}, 0},
        {"the focused row removed", [this] { toggle_at(0x401000); }, {"00403000"}, {0}, -1},
    };
    for (const Move& move : moves) {
        SCOPED_TRACE(move.name);
        move.change();
        pump();
        EXPECT_EQ(addresses(), move.rows);
        EXPECT_EQ(selected_rows(), move.selected);
        EXPECT_EQ(focused_row(), move.focused);
    }
}

// The debugger keeps names of any length and writes them whole: the window
// asks for the length first and reads into a block of that size.
TEST_F(BookmarksWindowTest, ModuleLabelAndCommentComeFromTheDebuggerAndALongNameIsCutVisiblyWithoutOverrun)
{
    const std::string huge(65000, 'c');
    add_module(0x400000, 0x10000, "hello", "C:\\hello\\hello.exe");
    add_module(0x7C800000, 0x100000, "kernel32", "C:\\WINDOWS\\system32\\kernel32.dll");
    host_state.names[{0x401000, LABEL}] = "decrypt_loop";
    host_state.names[{0x401000, COMMENT}] = "xor with the key";
    host_state.names[{0x402000, COMMENT}] = huge;
    host_state.names[{0x7C801000, LABEL}] = std::string(259, 'l');
    add_bookmarks({0x401000, 0x402000, 0x7C801000, 0x80000000});
    open();
    const std::string cut = std::string(256, 'c') + "...";
    EXPECT_EQ(rows(), (Rows{{"00401000", "hello", "decrypt_loop", "xor with the key"},
                            {"00402000", "hello", "", cut},
                            {"7C801000", "kernel32", std::string(259, 'l'), ""},
                            {"80000000", "", "", ""}}));

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
        item.iSubItem = 3;
        item.pszText = text.data();
        item.cchTextMax = c.size;
        SendMessageA(list(), LVM_GETITEMTEXTA, 1, LPARAM(&item));
        EXPECT_EQ(std::string(item.pszText), c.shown);
        for (size_t i = size_t(c.size); i < text.size(); ++i) ASSERT_EQ(text[i], '#') << "overrun at " << i;
    }
    EXPECT_TRUE(heaps_valid());

    // A name changed in the debugger shows at the next look.
    host_state.names[{0x401000, LABEL}] = "renamed";
    host_state.names.erase({0x401000, COMMENT});
    EXPECT_EQ(cell(0, 2), "renamed");
    EXPECT_EQ(cell(0, 3), "");
}

// The row a go-to takes: the focused one when it is selected, else the first
// selected one; with none selected, a beep.
TEST_F(BookmarksWindowTest, EnterIdokAndDoubleClickGoToTheChosenRowAndBeepWithNoneSelected)
{
    add_bookmarks({0x401000, 0x402000, 0x403000});
    HWND window = open();
    ASSERT_NE(window, nullptr);
    const auto enter = [this] { press(VK_RETURN); };
    const auto idok = [window] { SendMessageA(window, WM_COMMAND, IDOK, 0); };
    const struct Case {
        const char* name;
        std::vector<int> selected;
        int focus;  // -1: the first selected
        std::function<void()> gesture;
        Texts trace;
    } cases[] = {
        {"Enter on row 0", {0}, -1, enter, {goto_entry(0x401000)}},
        {"Enter, the focused row", {1, 2}, 2, enter, {goto_entry(0x403000)}},
        {"Enter, focus off the selection", {1, 2}, 0, enter, {goto_entry(0x402000)}},
        {"Enter, none selected", {}, 1, enter, {beep_entry()}},
        {"IDOK from a dialog manager", {2}, -1, idok, {goto_entry(0x403000)}},
        {"IDOK, none selected", {}, -1, idok, {beep_entry()}},
        {"double-click on the last row", {0}, -1, [this] { click(list(), middle_of_row(2), true); },
         {goto_entry(0x403000)}},
        {"double-click below the rows", {1}, -1, [this] { click(list(), {10, middle_of_row(2).y + 40}, true); },
         {beep_entry()}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        select_rows(c.selected, c.focus);
        forget_calls();
        c.gesture();
        EXPECT_EQ(feedback_trace(host_state.calls), c.trace);
    }
}

Texts deleted(std::initializer_list<uint32_t> addresses)
{
    Texts trace;
    for (uint32_t address : addresses) {
        trace.push_back(notice_entry("Bookmark deleted!"));
        trace.push_back(log_entry(address, -1, "Korvantis: Bookmark deleted from line " + hex(address)));
    }
    return trace;
}

std::string clipboard_text(HWND owner)
{
    if (!OpenClipboard(owner)) return "(clipboard busy)";
    HANDLE data = GetClipboardData(CF_TEXT);
    const std::string text = data ? static_cast<const char*>(GlobalLock(data)) : "";
    if (data) GlobalUnlock(data);
    CloseClipboard();
    return text;
}

TEST_F(BookmarksWindowTest, DeleteChoosesTheRowTakingItsPlaceCtrlCCopiesNamesWholeAndEscOrIdcancelHides)
{
    const std::string long_label(1000, 'k');  // more than twice the copy's first heap block
    host_state.names[{0x401000, LABEL}] = long_label;
    host_state.names[{0x402000, LABEL}] = "check";
    host_state.names[{0x402000, COMMENT}] = "serial";
    add_bookmarks({0x401000, 0x402000, 0x403000, 0x404000, 0x405000});
    HWND window = open();
    ASSERT_NE(window, nullptr);

    ASSERT_TRUE(OpenClipboard(main_window));
    EmptyClipboard();
    CloseClipboard();
    select_rows({0, 1});
    press('C');
    press('A');
    EXPECT_EQ(clipboard_text(main_window), "") << "C without Ctrl copied";
    EXPECT_EQ(selected_rows(), (std::vector<int>{0, 1})) << "A without Ctrl selected";
    press('C', true);
    EXPECT_EQ(clipboard_text(main_window), "00401000\t" + long_label + "\t\r\n00402000\tcheck\tserial\r\n");
    EXPECT_TRUE(heaps_valid());
    press('A', true);
    EXPECT_EQ(selected_rows(), (std::vector<int>{0, 1, 2, 3, 4}));

    // Delete pressed again and again, the selection left as the last one
    // left it unless chosen anew.
    const struct Press {
        std::vector<int> select;  // empty: as it is
        Texts trace;
        Texts rows;
        int chosen;
    } presses[] = {
        {{0, 1}, deleted({0x401000, 0x402000}), {"00403000", "00404000", "00405000"}, 0},
        {{2}, deleted({0x405000}), {"00403000", "00404000"}, 1},
        {{}, deleted({0x404000}), {"00403000"}, 0},
        {{}, deleted({0x403000}), {}, -1},
        {{}, {beep_entry()}, {}, -1},
    };
    for (const Press& p : presses) {
        SCOPED_TRACE(p.rows.size());
        if (!p.select.empty()) select_rows(p.select);
        forget_calls();
        press(VK_DELETE);
        EXPECT_EQ(feedback_trace(host_state.calls), p.trace);
        EXPECT_EQ(addresses(), p.rows);
        EXPECT_EQ(title(), "Bookmarks (" + std::to_string(p.rows.size()) + ")");
        EXPECT_EQ(selected_rows(), p.chosen < 0 ? std::vector<int>{} : std::vector<int>{p.chosen});
        if (p.chosen >= 0) EXPECT_EQ(focused_row(), p.chosen);
    }
    EXPECT_EQ(panel_title(), "Korvan... (00)");

    forget_calls();
    press('C', true);
    EXPECT_EQ(feedback_trace(host_state.calls), Texts{beep_entry()}) << "nothing selected to copy";

    forget_calls();
    press(VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(keys_written(), (Texts{"list_left", "list_top", "list_width", "list_height", "list_width_address",
                                     "list_width_module", "list_width_label", "list_width_comment", "list_sort"}));
    open();
    SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindowVisible(window)) << "IDCANCEL from a dialog manager";
}

// Each pass over the rows retitles the window once.
int retitles;
WNDPROC original_procedure;

LRESULT CALLBACK counting_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_SETTEXT) ++retitles;
    return CallWindowProcA(original_procedure, window, message, wparam, lparam);
}

void count_retitles(HWND window, bool on)
{
    retitles = 0;
    if (on) {
        original_procedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(counting_procedure)));
    } else {
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_procedure));
    }
}

TEST_F(BookmarksWindowTest, ALoadOfAThousandRecordsRefreshesTheOpenWindowABoundedNumberOfTimesAndAHiddenOneNone)
{
    HWND window = open();
    ASSERT_NE(window, nullptr);
    count_retitles(window, true);
    for (uint32_t i = 0; i < 1000; ++i) {
        const uint32_t address = 0x401000 + 0x10 * i;
        ASSERT_EQ(record(OWN_TAG, 4, &address), 1);
    }
    pump();
    EXPECT_GE(retitles, 1);
    EXPECT_LE(retitles, 2) << "one refresh per record instead of one for the load";
    EXPECT_EQ(title(), "Bookmarks (1000)");
    EXPECT_EQ(cell(999, 0), "00404E70");

    // In a name order a toggle puts its one row in place: the names of a few
    // rows are read, not those of every row.
    click_heading(2);
    forget_calls();
    toggle_at(0x300000);
    pump();
    std::set<uint32_t> read;
    for (const HostCall& call : calls_of(HostOp::FindName)) read.insert(call.address);
    EXPECT_LT(read.size(), 100u) << "a whole pass for one toggle";
    EXPECT_EQ(cell(0, 0), "00300000");

    press(VK_ESCAPE);
    retitles = 0;
    toggle_at(0x310000);
    add_bookmarks({0x200000});
    pump();
    EXPECT_EQ(retitles, 0) << "a hidden window refreshed";
    open();
    EXPECT_EQ(title(), "Bookmarks (1003)");
    EXPECT_EQ(cell(0, 0), "00200000");
    count_retitles(window, false);
}

// Place, size, column widths and order are written when the window is hidden
// and at close once it has been opened; "list_shown" at close brings it back
// at the next start. A damaged value gives way to the template's.
TEST_F(BookmarksWindowTest, PlaceSizeWidthsAndOrderRoundTripAndTheListFillsTheResizedWindow)
{
    HWND window = open();
    ASSERT_NE(window, nullptr);
    MoveWindow(window, 100, 120, 500, 300, TRUE);
    pump();
    // The header is drawn again whole after a resize: nothing drawn on it before is left.
    RECT strip;
    GetClientRect(header(), &strip);
    HDC dc = GetDC(header());
    HBRUSH poison = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &strip, poison);
    DeleteObject(poison);
    ReleaseDC(header(), dc);
    MoveWindow(window, 100, 120, 450, 300, TRUE);
    pump();
    dc = GetDC(header());
    for (int x : {4, int(strip.right) / 2, int(strip.right) - 60}) {
        EXPECT_NE(GetPixel(dc, x, strip.bottom / 2), RGB(255, 0, 255)) << "stale header at " << x;
    }
    ReleaseDC(header(), dc);
    MoveWindow(window, 100, 120, 500, 300, TRUE);
    pump();
    RECT client, list_rect, field_rect;
    GetClientRect(window, &client);
    GetWindowRect(list(), &list_rect);
    GetWindowRect(field(), &field_rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&list_rect), 2);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&field_rect), 2);
    EXPECT_EQ(list_rect.left, 0);
    EXPECT_EQ(list_rect.right, client.right);
    EXPECT_EQ(list_rect.bottom, client.bottom);
    EXPECT_LE(field_rect.bottom, list_rect.top);
    EXPECT_GT(field_rect.right, client.right - 10) << "the filter field spans the width";

    const int widths[4] = {61, 0, 123, 234};
    for (int column = 0; column < 4; ++column) SendMessageA(list(), LVM_SETCOLUMNWIDTH, column, widths[column]);
    click_heading(2);
    click_heading(2);
    forget_calls();
    plugin.close();
    EXPECT_EQ(feedback_trace(host_state.calls),
              (Texts{write_entry("top", setting("top")), write_entry("left", setting("left")),
                     write_entry("list_left", 100), write_entry("list_top", 120), write_entry("list_width", 500),
                     write_entry("list_height", 300), write_entry("list_width_address", 61),
                     write_entry("list_width_module", 0), write_entry("list_width_label", 123),
                     write_entry("list_width_comment", 234), write_entry("list_sort", 5),
                     write_entry("list_shown", 1)}));
    const auto stored = host_state.settings;
    stop_plugin();

    const struct Start {
        const char* name;
        int left, top, width, height;
        bool place_kept, size_kept;
        bool damaged;  // widths and order: out of range
    } starts[] = {
        {"as stored", 100, 120, 500, 300, true, true, false},
        {"stored far off screen", 5000, -4000, 500, 300, false, true, false},
        {"the smallest size", 100, 120, 120, 80, true, true, false},
        {"too narrow", 100, 120, 119, 300, true, false, true},
        {"too low", 100, 120, 500, 79, true, false, true},
    };
    for (const Start& start : starts) {
        SCOPED_TRACE(start.name);
        ASSERT_TRUE(load_plugin());
        restore_settings(stored);
        set_setting("list_left", start.left);
        set_setting("list_top", start.top);
        set_setting("list_width", start.width);
        set_setting("list_height", start.height);
        if (start.damaged) {
            set_setting("list_width_label", -1);
            set_setting("list_width_comment", 4097);
            set_setting("list_sort", 8);
        }
        start_plugin();
        pump();
        window = bookmarks_window();
        ASSERT_NE(window, nullptr) << "list_shown 1 reopens the window";
        EXPECT_TRUE(IsWindowVisible(window));
        HWND probe = CreateDialogParamA(plugin.module, MAKEINTRESOURCEA(IDD_BOOKMARKS), main_window, bare_procedure, 0);
        RECT rect, bare;
        GetWindowRect(probe, &bare);
        DestroyWindow(probe);
        GetWindowRect(window, &rect);
        EXPECT_EQ(rect.right - rect.left, start.size_kept ? start.width : bare.right - bare.left);
        EXPECT_EQ(rect.bottom - rect.top, start.size_kept ? start.height : bare.bottom - bare.top);
        if (start.place_kept) {
            EXPECT_EQ(rect.left, start.left);
            EXPECT_EQ(rect.top, start.top);
        } else {
            RECT work;
            SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
            EXPECT_TRUE(rect.left >= work.left && rect.top >= work.top && rect.right <= work.right &&
                        rect.bottom <= work.bottom);
        }
        const int expected[4] = {61, 0, start.damaged ? 150 : 123, start.damaged ? 280 : 234};
        for (int column = 0; column < 4; ++column) {
            EXPECT_EQ(SendMessageA(list(), LVM_GETCOLUMNWIDTH, column, 0), expected[column]) << column;
        }
        EXPECT_EQ(headings(), start.damaged ? (Texts{"Address ^", "Module", "Label", "Comment"})
                                            : (Texts{"Address", "Module", "Label v", "Comment"}));
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

TEST_F(BookmarksWindowTest, TheFilterKeepsRowsWhoseAddressModuleLabelOrCommentHoldItInAnyCase)
{
    add_named_bookmarks();
    HWND window = open();
    ASSERT_NE(window, nullptr);
    const struct Case {
        const char* text;
        Texts rows;
    } cases[] = {
        {"7c80", {"7C801000"}},
        {"HeLLo", {"00401000", "00401010", "00402000"}},
        {"decrypt", {"00050000", "00401000"}},
        {"zzz", {}},
        {"", {"00050000", "00401000", "00401010", "00402000", "7C801000"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        SetWindowTextA(field(), c.text);
        pump();
        EXPECT_EQ(addresses(), c.rows);
        EXPECT_EQ(title(), *c.text ? "Bookmarks (" + std::to_string(c.rows.size()) + " of 5)" : "Bookmarks (5)");
    }

    // Keys typed faster than the loop turns give one pass.
    count_retitles(window, true);
    for (char key : {'c', 'h', 'e'}) PostMessageA(field(), WM_CHAR, WPARAM(key), 1);
    pump();
    EXPECT_EQ(retitles, 1);
    count_retitles(window, false);
    EXPECT_EQ(title(), "Bookmarks (2 of 5)");

    // Toggles with the filter set: a match shows in its sorted place, a row
    // that does not match stays out, a removed one goes.
    click_heading(2);
    host_state.names[{0x403000, LABEL}] = "aCheck";
    toggle_at(0x403000);
    toggle_at(0x404000);
    toggle_at(0x401010);
    pump();
    EXPECT_EQ(addresses(), (Texts{"00403000", "00402000"}));
    EXPECT_EQ(title(), "Bookmarks (2 of 6)");

    // Ctrl+F in the list goes to the field, Down back to the list; Esc clears
    // the field (a dialog manager's too), then hides the window.
    press('F', true);
    EXPECT_EQ(GetFocus(), field());
    press(VK_DOWN, false, false, field());
    EXPECT_EQ(GetFocus(), list());
    MSG escape = {field(), WM_KEYDOWN, VK_ESCAPE, 1, 0, {0, 0}};
    EXPECT_TRUE(IsDialogMessageA(window, &escape));
    pump();
    EXPECT_EQ(window_text(field()), "");
    EXPECT_EQ(title(), "Bookmarks (6)");
    EXPECT_TRUE(IsWindowVisible(window));
    press(VK_ESCAPE, false, false, field());
    EXPECT_FALSE(IsWindowVisible(window));
}

Texts marked(int column, const char* mark)
{
    Texts headings = {"Address", "Module", "Label", "Comment"};
    headings[size_t(column)] += mark;
    return headings;
}

TEST_F(BookmarksWindowTest, AHeadingSortsByItsColumnThenReversesWithNamelessRowsLastAndTheSelectionKept)
{
    add_named_bookmarks();
    HWND window = open();
    ASSERT_NE(window, nullptr);
    select_rows({2});  // 00401010
    const struct Sort {
        int column;
        const char* mark;
        Texts rows;
    } sorts[] = {
        {0, " v", {"7C801000", "00402000", "00401010", "00401000", "00050000"}},
        {2, " ^", {"00050000", "00401010", "00401000", "00402000", "7C801000"}},
        {2, " v", {"00401000", "00401010", "00050000", "00402000", "7C801000"}},
        {3, " ^", {"00050000", "00402000", "00401000", "00401010", "7C801000"}},
        {3, " v", {"00401000", "00402000", "00050000", "00401010", "7C801000"}},
    };
    for (const Sort& sort : sorts) {
        SCOPED_TRACE(marked(sort.column, sort.mark)[size_t(sort.column)]);
        click_heading(sort.column);
        EXPECT_EQ(addresses(), sort.rows);
        EXPECT_EQ(headings(), marked(sort.column, sort.mark));
        const int kept = int(std::find(sort.rows.begin(), sort.rows.end(), "00401010") - sort.rows.begin());
        EXPECT_EQ(selected_rows(), std::vector<int>{kept});
        EXPECT_EQ(focused_row(), kept);
    }

    // The order is the window's only: the panel and the project file keep address order.
    EXPECT_EQ(saved_addresses(), (std::vector<uint32_t>{0x50000, 0x401000, 0x401010, 0x402000, 0x7C801000}));
    select_line(0x401000);
    forget_calls();
    press_panel_button(IDC_PANEL_NEXT);
    EXPECT_EQ(feedback_trace(host_state.calls), Texts{goto_entry(0x401010)});

    // A name changed in the debugger takes its place when the window is activated.
    host_state.names[{0x7C801000, COMMENT}] = "zebra";
    SendMessageA(window, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(addresses(), (Texts{"7C801000", "00401000", "00402000", "00050000", "00401010"}));
    press(VK_ESCAPE);
    EXPECT_EQ(setting("list_sort"), 7);
}

TEST_F(BookmarksWindowTest, ColonAndSemicolonAskForTheRowsNameAndOkGivesItToTheDebuggerThenRepaints)
{
    const std::string long_comment(1000, 'm'), kept(255, 'm'), pasted(300, 't');
    host_state.names[{0x401003, LABEL}] = "old_label";
    host_state.names[{0x401003, COMMENT}] = long_comment;
    add_bookmarks({0x400000, 0x401003, 0x402000});
    ASSERT_NE(open(), nullptr);
    select_rows({1});  // not row 0, where a letter typed in a list may take the selection
    const auto untouched = [](HWND) {};
    const struct Case {
        const char* name;
        bool shift;
        const char* caption;
        std::string shown;
        std::function<void(HWND field)> edit;
        int button;
        Texts trace;
    } cases[] = {
        {"';' on a long comment, OK as shown", false, "Comment at 00401003", kept, untouched, IDOK,
         {name_entry(0x401003, COMMENT, kept), redraw_entry()}},
        {"':' with more pasted than the field takes", true, "Label at 00401003", "old_label",
         [&pasted](HWND field) {
             SendMessageA(field, EM_SETSEL, 0, -1);
             SendMessageA(field, EM_REPLACESEL, 0, LPARAM(pasted.c_str()));
             EXPECT_EQ(GetWindowTextLengthA(field), 255);
         },
         IDOK, {name_entry(0x401003, LABEL, std::string(255, 't')), redraw_entry()}},
        {"':' emptied", true, "Label at 00401003", std::string(255, 't'),
         [](HWND field) { SetWindowTextA(field, ""); }, IDOK, {name_entry(0x401003, LABEL, ""), redraw_entry()}},
        {"';' cancelled", false, "Comment at 00401003", kept, [](HWND field) { SetWindowTextA(field, "x"); },
         IDCANCEL, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string shown;
        forget_calls();
        const ModalRun run = drive_modal([&] { press(SEMICOLON_KEY, false, c.shift); },
                                         [&] { return find_owned_dialog(bookmarks_window(), c.caption); },
                                         {[&](HWND dialog) {
                                              shown = window_text(GetDlgItem(dialog, IDC_NAME_TEXT));
                                              c.edit(GetDlgItem(dialog, IDC_NAME_TEXT));
                                          },
                                          [&](HWND dialog) {
                                              PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(c.button, BN_CLICKED),
                                                           LPARAM(GetDlgItem(dialog, c.button)));
                                          }});
        ASSERT_NE(run.window, nullptr) << "no dialog titled " << c.caption;
        EXPECT_FALSE(run.forced);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(feedback_trace(host_state.calls), c.trace);
    }
    EXPECT_EQ(rows(), (Rows{{"00400000", "", "", ""}, {"00401003", "", "", kept}, {"00402000", "", "", ""}}));

    // From the right-click menu, in a label sort: the named row moves first
    // at once, still selected.
    click_heading(2);
    Texts items;
    const ModalRun run = drive_modal(
        [this] {
            select_rows({2});
            const POINT at = middle_of_row(2);
            PostMessageA(list(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
            PostMessageA(list(), WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
            pump();
        },
        [&]() -> HWND {
            HWND menu = FindWindowA("#32768", nullptr);
            if (menu && IsWindowVisible(menu) && items.empty()) {
                HMENU handle = reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0));
                for (int i = 0; i < GetMenuItemCount(handle); ++i) {
                    char text[64] = {};
                    GetMenuStringA(handle, UINT(i), text, sizeof text, MF_BYPOSITION);
                    items.push_back(text);
                }
                PostMessageA(list(), WM_CHAR, 'l', 1);
            }
            return find_owned_dialog(bookmarks_window(), "Label at 00402000");
        },
        {[](HWND dialog) { SetDlgItemTextA(dialog, IDC_NAME_TEXT, "first"); },
         [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDOK, 0); }});
    EXPECT_EQ(items, (Texts{"&Go to\tEnter", "&Delete\tDel", "&Copy\tCtrl+C", "Edit &label\t:", "Edit co&mment\t;"}));
    ASSERT_NE(run.window, nullptr);
    EXPECT_EQ(addresses(), (Texts{"00402000", "00400000", "00401003"}));
    EXPECT_EQ(cell(0, 2), "first");
    EXPECT_EQ(selected_rows(), std::vector<int>{0});
}

}  // namespace
