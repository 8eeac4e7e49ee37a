// The bookmark commands as the user meets them, through the real DLL's panel
// buttons: notices, log lines, beeps, moves of the CPU window and the title.
#include "tests/wine/support/plugin_fixture.h"

class CommandsTest : public StartedPluginTest {};

TEST_F(CommandsTest, TogglingAnEmptyLineAddsItWithNoticeLogAndCountedTitle)
{
    toggle_at(0x401000);
    EXPECT_EQ(notices(), std::vector<std::string>{"Bookmark added Successfully"});
    const auto logs = calls_of(HostOp::Log);
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(logs[0].text, "Korvantis: Bookmark added to line 401000");
    EXPECT_EQ(logs[0].address, 0x401000u);
    EXPECT_EQ(logs[0].emphasis, -1);
    EXPECT_EQ(panel_title(), "Korvan... (01)");

    forget_calls();
    toggle_at(0x401000);
    EXPECT_EQ(notices(), std::vector<std::string>{"Bookmark deleted!"});
    EXPECT_EQ(log_lines(), std::vector<std::string>{"Korvantis: Bookmark deleted from line 401000"});
    EXPECT_EQ(panel_title(), "Korvan... (00)");
}
