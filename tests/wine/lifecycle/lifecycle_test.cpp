// The module's life in the host on the real DLL: identification, refusing old
// hosts, the start-up placement and showing of the panel, the banner, reset,
// close and unload.
#include <limits.h>
#include <string.h>

#include "resources/resource.h"
#include "tests/wine/support/plugin_fixture.h"

namespace {

RECT window_rect(HWND window)
{
    RECT rect = {-1, -1, -1, -1};
    GetWindowRect(window, &rect);
    return rect;
}

std::vector<std::string> keys_of(const std::vector<HostCall>& calls)
{
    std::vector<std::string> keys;
    for (const HostCall& call : calls) keys.push_back(call.text);
    return keys;
}

class LifecycleTest : public PluginTest {
protected:
    void add_bookmark(uint32_t address)
    {
        select_line(address);
        press_panel_button(IDC_PANEL_TOGGLE);
    }
};

TEST_F(LifecycleTest, PlugindataCopiesTheNameAndDeclaresInterface110)
{
    ASSERT_TRUE(load_plugin());
    char buffer[32];
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(plugin.data(buffer), 110);
    EXPECT_STREQ(buffer, "Korvantis");
    EXPECT_EQ(buffer[10], 'x') << "wrote past the name";
    EXPECT_TRUE(host_state.calls.empty());
}

TEST_F(LifecycleTest, InitRefusesHostsOlderThan110WithoutTouchingAnything)
{
    for (int version : {109, 100, 0, -1, INT_MIN}) {
        SCOPED_TRACE(version);
        ASSERT_TRUE(load_plugin());
        forget_calls();
        EXPECT_EQ(plugin.init(version, main_window, nullptr), -1);
        EXPECT_TRUE(host_state.calls.empty()) << "no log, no setting read";
        EXPECT_EQ(panel(), nullptr) << "no window created";
        stop_plugin();
    }
}

TEST_F(LifecycleTest, InitAccepts110AndLaterWithOneBannerLine)
{
    for (int version : {110, 111, 200, INT_MAX}) {
        SCOPED_TRACE(version);
        ASSERT_TRUE(load_plugin());
        forget_calls();
        EXPECT_EQ(plugin.init(version, main_window, nullptr), 0);
        ASSERT_NE(panel(), nullptr);
        EXPECT_EQ(panel_title(), "Korvantis");
        const auto logs = calls_of(HostOp::Log);
        ASSERT_EQ(logs.size(), 1u);
        EXPECT_EQ(logs[0].address, 0u);
        EXPECT_EQ(logs[0].emphasis, 0);
        EXPECT_EQ(logs[0].text.rfind("Korvantis Plug-in by ", 0), 0u) << logs[0].text;
        EXPECT_GT(logs[0].text.size(), strlen("Korvantis Plug-in by "));
        EXPECT_EQ(logs[0].text.find('%'), std::string::npos) << logs[0].text;
        stop_plugin();
    }
}

TEST_F(LifecycleTest, InitReadsTopLeftAutoShowThenListShownForItsOwnInstanceAndWritesNothing)
{
    ASSERT_TRUE(load_plugin());
    forget_calls();
    start_plugin();
    const auto reads = calls_of(HostOp::ReadInt);
    ASSERT_EQ(keys_of(reads), (std::vector<std::string>{"top", "left", "auto_show", "list_shown"}));
    const int defaults[] = {0, 0, 1, 0};
    for (size_t i = 0; i < reads.size(); ++i) {
        EXPECT_EQ(reads[i].value, defaults[i]) << reads[i].text;
        EXPECT_EQ(reads[i].instance, static_cast<void*>(plugin.module)) << reads[i].text;
    }
    EXPECT_TRUE(calls_of(HostOp::WriteInt).empty());
    EXPECT_TRUE(calls_of(HostOp::Notice).empty());
}

TEST_F(LifecycleTest, AutoShowDecidesWhetherThePanelStartsVisible)
{
    const struct {
        bool stored;
        int value;
        bool visible;
    } rows[] = {{false, 0, true}, {true, 0, false}, {true, 1, true}, {true, 7, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "stored " << row.stored << " value " << row.value);
        ASSERT_TRUE(load_plugin());
        if (row.stored) set_setting("auto_show", row.value);
        start_plugin();
        ASSERT_NE(panel(), nullptr);
        EXPECT_EQ(IsWindowVisible(panel()) != 0, row.visible);
        stop_plugin();
    }
}

// A stored corner is used as it is while any part of the panel's title bar
// lies on a screen; one that no screen shows is brought into the work area,
// as near to it as the panel fits, and the next save stores the new place.
TEST_F(LifecycleTest, PanelStartsAtTheStoredCornerOrBackOnScreenWhenNoScreenShowsItsTitleBar)
{
    const struct {
        bool stored;
        int top, left;
        bool as_stored;
    } rows[] = {{false, 0, 0, true},         {true, 123, 45, true},      {true, -10, -30, true},
                {true, 0, 300, true},        {true, 300, 500, true},
                {true, 5000, 5000, false},   {true, -3000, -3000, false}, {true, -200, 100, false},
                {true, 400, -3000, false}};
    RECT work;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    int width = -1, height = -1;
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "top " << row.top << " left " << row.left);
        ASSERT_TRUE(load_plugin());
        if (row.stored) {
            set_setting("top", row.top);
            set_setting("left", row.left);
        }
        start_plugin();
        const RECT rect = window_rect(panel());
        if (row.as_stored) {
            EXPECT_EQ(rect.top, row.top);
            EXPECT_EQ(rect.left, row.left);
        } else {
            EXPECT_TRUE(rect.left >= work.left && rect.top >= work.top && rect.right <= work.right &&
                        rect.bottom <= work.bottom)
                << rect.left << "," << rect.top << " " << rect.right << "," << rect.bottom;
            // Only the coordinate that was off moves.
            if (row.left >= work.left && row.left + (rect.right - rect.left) <= work.right) {
                EXPECT_EQ(rect.left, row.left);
            }
            if (row.top >= work.top && row.top + (rect.bottom - rect.top) <= work.bottom) {
                EXPECT_EQ(rect.top, row.top);
            }
        }
        // Placing keeps the template's size.
        if (width < 0) {
            width = rect.right - rect.left;
            height = rect.bottom - rect.top;
            EXPECT_GT(width, 0);
            EXPECT_GT(height, 0);
        }
        EXPECT_EQ(rect.right - rect.left, width);
        EXPECT_EQ(rect.bottom - rect.top, height);
        forget_calls();
        plugin.close();
        EXPECT_EQ(setting("top"), rect.top) << "the place saved is where the panel is";
        EXPECT_EQ(setting("left"), rect.left);
        stop_plugin();
    }
}

TEST_F(LifecycleTest, ResetDeletesEveryBookmarkInAscendingOrderAndBaresTheTitle)
{
    start_plugin();
    for (uint32_t address : {0x402000u, 0x400000u, 0x401000u}) add_bookmark(address);
    forget_calls();
    plugin.reset();
    const auto logs = calls_of(HostOp::Log);
    ASSERT_EQ(log_lines(), (std::vector<std::string>{"Korvantis: Deleting bookmark from line 400000",
                                                     "Korvantis: Deleting bookmark from line 401000",
                                                     "Korvantis: Deleting bookmark from line 402000"}));
    const uint32_t addresses[] = {0x400000, 0x401000, 0x402000};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(logs[i].address, addresses[i]);
        EXPECT_EQ(logs[i].emphasis, -1);
    }
    EXPECT_EQ(panel_title(), "Korvantis");
    EXPECT_TRUE(saved_addresses().empty());

    // A second reset has nothing left to delete but still bares the title.
    add_bookmark(0x403000);
    add_bookmark(0x403000);
    ASSERT_EQ(panel_title(), "Korvan... (00)");
    forget_calls();
    plugin.reset();
    EXPECT_TRUE(log_lines().empty());
    EXPECT_EQ(panel_title(), "Korvantis");
}

TEST_F(LifecycleTest, CloseStoresTopThenLeftVisibleOrHiddenAndKeepsTheBookmarks)
{
    for (bool visible : {true, false}) {
        SCOPED_TRACE(visible ? "visible" : "hidden");
        ASSERT_TRUE(load_plugin());
        set_setting("auto_show", visible);
        start_plugin();
        add_bookmark(0x401000);
        MoveWindow(panel(), 77, 66, 120, 40, FALSE);
        const RECT rect = window_rect(panel());
        ASSERT_EQ(IsWindowVisible(panel()) != 0, visible);
        forget_calls();
        EXPECT_EQ(plugin.close(), 0);
        const auto writes = calls_of(HostOp::WriteInt);
        ASSERT_EQ(keys_of(writes), (std::vector<std::string>{"top", "left"}));
        EXPECT_EQ(writes[0].value, rect.top);
        EXPECT_EQ(writes[1].value, rect.left);
        for (const HostCall& write : writes) EXPECT_EQ(write.instance, static_cast<void*>(plugin.module));
        EXPECT_TRUE(log_lines().empty());
        EXPECT_EQ(saved_addresses(), std::vector<uint32_t>{0x401000});
        stop_plugin();
    }
}

TEST_F(LifecycleTest, DestroyDoesNothing)
{
    start_plugin();
    add_bookmark(0x401000);
    forget_calls();
    plugin.destroy();
    EXPECT_TRUE(host_state.calls.empty());
    EXPECT_TRUE(IsWindow(panel()));
    EXPECT_EQ(saved_addresses(), std::vector<uint32_t>{0x401000});
}

TEST_F(LifecycleTest, UnloadingLogsOneDeletingLinePerBookmarkLeft)
{
    start_plugin();
    for (uint32_t address : {0x80000000u, 0x401000u, 0x7FFFFFFFu}) add_bookmark(address);
    forget_calls();
    DestroyWindow(panel());
    FreeLibrary(plugin.module);
    plugin = PluginModule();
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"Korvantis: Deleting bookmark from line 401000",
                                                     "Korvantis: Deleting bookmark from line 7FFFFFFF",
                                                     "Korvantis: Deleting bookmark from line 80000000"}));
}

TEST_F(LifecycleTest, UnloadingWithNoBookmarksLogsNothing)
{
    start_plugin();
    forget_calls();
    stop_plugin();
    EXPECT_TRUE(log_lines().empty());
}

}  // namespace
