// Template 126 as it is stored in the DLL's resources, field by field.
#include "resources/resource.h"
#include "tests/wine/support/dialog_template.h"
#include "tests/wine/support/plugin_fixture.h"

namespace {

const uint32_t NO_ID = 0xFFFFFFFF;
const uint16_t BUTTON = 0x0080, STATIC = 0x0082;
const DWORD CHILD = WS_CHILD | WS_VISIBLE;

class SettingsTemplateTest : public PluginTest {};

TEST_F(SettingsTemplateTest, IsTheCentredModalSettingsBoxWithItsFifteenControlsInTabOrder)
{
    ASSERT_TRUE(load_plugin());
    DialogTemplate dialog;
    std::string error;
    ASSERT_TRUE(load_dialog_template(plugin.module, IDD_SETTINGS, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                     &dialog, &error))
        << error;

    expect_plain_shell_font_header(dialog);
    EXPECT_EQ(dialog.ex_style, 0u);
    EXPECT_EQ(dialog.style, DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT |
                                  DS_FIXEDSYS | DS_CENTER));
    EXPECT_EQ(dialog.cx, 221);
    EXPECT_EQ(dialog.cy, 143);
    EXPECT_EQ(dialog.title, L"Settings");

    const DWORD CHECK_BOX = CHILD | BS_AUTOCHECKBOX | WS_TABSTOP;
    const DWORD PUSH = CHILD | BS_PUSHBUTTON | WS_TABSTOP;
    const DWORD GROUP = CHILD | BS_GROUPBOX;
    const DWORD HOTKEY = CHILD | WS_BORDER | WS_TABSTOP;
    const DWORD LABEL = CHILD | SS_LEFT | WS_GROUP;
    const struct {
        uint32_t id;
        uint16_t ordinal_class;  // 0: the string class "msctls_hotkey32"
        DWORD style;
        const char* text;
        int16_t x, y, cx, cy;
    } expected[] = {
        {NO_ID, BUTTON, GROUP, "", 2, 0, 216, 45},
        {IDC_LOAD_OLD_BOOKMARKS, BUTTON, CHECK_BOX, "Try to recognize bookmarks set by bookmarks.dll", 6, 19, 172, 9},
        {IDC_AUTO_SHOW, BUTTON, CHECK_BOX, "Auto show navigation panel at olly startup", 6, 7, 172, 9},
        {IDC_SETTINGS_OK, BUTTON, PUSH, "OK", 115, 127, 50, 14},
        {IDC_SETTINGS_CANCEL, BUTTON, PUSH, "Cancel", 167, 127, 50, 14},
        {IDC_SHOW_TOGGLE_BOOKMARK, BUTTON, CHECK_BOX, "Show \"Toggle Bookmark\" menu item", 6, 31, 172, 9},
        {IDC_HOTKEY_TOGGLE, 0, HOTKEY, "", 79, 54, 133, 14},
        {NO_ID, BUTTON, GROUP, "Shortcuts (Some combinations may not work due to conflicts)", 1, 45, 216, 77},
        {NO_ID, STATIC, LABEL, "Toggle bookmark: ", 8, 56, 60, 8},
        {IDC_HOTKEY_PREVIOUS, 0, HOTKEY, "", 79, 71, 133, 14},
        {NO_ID, STATIC, LABEL, "Navigate backward: ", 8, 73, 67, 8},
        {IDC_HOTKEY_NEXT, 0, HOTKEY, "", 79, 87, 133, 14},
        {NO_ID, STATIC, LABEL, "Navigate forward: ", 8, 89, 62, 8},
        {IDC_HOTKEY_LIST, 0, HOTKEY, "", 79, 103, 133, 14},
        {NO_ID, STATIC, LABEL, "Bookmark list: ", 8, 105, 52, 8},
    };
    ASSERT_EQ(dialog.item_count, 15);
    ASSERT_EQ(dialog.items.size(), 15u);
    for (size_t i = 0; i < 15; ++i) {
        const DialogTemplateItem& item = dialog.items[i];
        SCOPED_TRACE(testing::Message() << "control " << i << " " << expected[i].text);
        EXPECT_EQ(item.id, expected[i].id);
        if (expected[i].ordinal_class) {
            EXPECT_TRUE(item.window_class.is_ordinal(expected[i].ordinal_class)) << describe(item.window_class);
        } else {
            EXPECT_EQ(item.window_class.narrow(), "msctls_hotkey32") << describe(item.window_class);
        }
        EXPECT_FALSE(item.text.kind == TemplateName::ORDINAL) << describe(item.text);
        EXPECT_EQ(item.text.narrow(), expected[i].text);
        EXPECT_EQ(item.style, expected[i].style) << std::hex << item.style;
        EXPECT_EQ(item.x, expected[i].x);
        EXPECT_EQ(item.y, expected[i].y);
        EXPECT_EQ(item.cx, expected[i].cx);
        EXPECT_EQ(item.cy, expected[i].cy);
        EXPECT_EQ(item.ex_style, 0u);
        EXPECT_EQ(item.help_id, 0u);
        EXPECT_EQ(item.extra_count, 0);
    }
}

}  // namespace
