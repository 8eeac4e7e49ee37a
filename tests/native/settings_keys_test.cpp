#include <gtest/gtest.h>

#include "persistence/settings_keys.h"

namespace {

TEST(SettingsKeys, KeysAreSpelledAsStored)
{
    const struct {
        const char* actual;
        const char* expected;
    } keys[] = {
        {KEY_AUTO_SHOW, "auto_show"},
        {KEY_LOAD_OLD_BOOKMARKS, "load_old_bookmarks"},
        {KEY_SHOW_TOGGLE_BOOKMARK, "show_toggle_bookmark"},
        {HOTKEY_KEYS[HOTKEY_TOGGLE].key, "hotkey_toggle__key"},
        {HOTKEY_KEYS[HOTKEY_TOGGLE].alt, "hotkey_toggle__alt"},
        {HOTKEY_KEYS[HOTKEY_TOGGLE].shift, "hotkey_toggle__shift"},
        {HOTKEY_KEYS[HOTKEY_TOGGLE].ctrl, "hotkey_toggle__ctrl"},
        {HOTKEY_KEYS[HOTKEY_PREVIOUS].key, "hotkey_previous__key"},
        {HOTKEY_KEYS[HOTKEY_PREVIOUS].alt, "hotkey_previous__alt"},
        {HOTKEY_KEYS[HOTKEY_PREVIOUS].shift, "hotkey_previous__shift"},
        {HOTKEY_KEYS[HOTKEY_PREVIOUS].ctrl, "hotkey_previous__ctrl"},
        {HOTKEY_KEYS[HOTKEY_NEXT].key, "hotkey_next__key"},
        {HOTKEY_KEYS[HOTKEY_NEXT].alt, "hotkey_next__alt"},
        {HOTKEY_KEYS[HOTKEY_NEXT].shift, "hotkey_next__shift"},
        {HOTKEY_KEYS[HOTKEY_NEXT].ctrl, "hotkey_next__ctrl"},
        {HOTKEY_KEYS[HOTKEY_LIST].key, "hotkey_list__key"},
        {HOTKEY_KEYS[HOTKEY_LIST].alt, "hotkey_list__alt"},
        {HOTKEY_KEYS[HOTKEY_LIST].shift, "hotkey_list__shift"},
        {HOTKEY_KEYS[HOTKEY_LIST].ctrl, "hotkey_list__ctrl"},
        {KEY_TOP, "top"},
        {KEY_LEFT, "left"},
    };
    for (const auto& k : keys) EXPECT_STREQ(k.expected, k.actual);
}

TEST(HotkeyWord, ConvertsToBindingAndBackDroppingOtherFlagBits)
{
    const struct {
        uint32_t word;
        HotkeyBinding binding;  // key, alt, shift, ctrl
        uint16_t word_again;
    } cases[] = {
        {0x0374, {0x74, 0, 1, 1}, 0x0374},      // Ctrl+Shift+F5
        {0x0642, {66, 1, 0, 1}, 0x0642},        // Alt+Ctrl+B
        {0x0A27, {0x27, 0, 0, 1}, 0x0227},      // Ctrl+Right: extended-key flag dropped
        {0x0441, {0x41, 1, 0, 0}, 0x0441},      // Alt alone
        {0x0000, {0, 0, 0, 0}, 0x0000},         // unset
        {0xF8FF, {0xFF, 0, 0, 0}, 0x00FF},      // only unknown flag bits
        {0xFFFF0774, {0x74, 1, 1, 1}, 0x0774},  // bits above the word
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << "word 0x" << c.word);
        const HotkeyBinding binding = binding_from_hotkey_word(c.word);
        EXPECT_EQ(c.binding.key, binding.key);
        EXPECT_EQ(c.binding.alt, binding.alt);
        EXPECT_EQ(c.binding.shift, binding.shift);
        EXPECT_EQ(c.binding.ctrl, binding.ctrl);
        EXPECT_EQ(c.word_again, hotkey_word_from_binding(binding));
    }
}

TEST(HotkeyWord, AnyNonZeroStoredFlagCountsAsHeld)
{
    EXPECT_EQ(0x0774, hotkey_word_from_binding({0x74, 2, -1, 7}));
}

}  // namespace
