#include "persistence/settings_keys.h"

const char KEY_AUTO_SHOW[] = "auto_show";
const char KEY_LOAD_OLD_BOOKMARKS[] = "load_old_bookmarks";
const char KEY_SHOW_TOGGLE_BOOKMARK[] = "show_toggle_bookmark";
const char KEY_TOP[] = "top";
const char KEY_LEFT[] = "left";
const char KEY_LIST_LEFT[] = "list_left";
const char KEY_LIST_TOP[] = "list_top";
const char KEY_LIST_WIDTH[] = "list_width";
const char KEY_LIST_HEIGHT[] = "list_height";
const char KEY_LIST_SHOWN[] = "list_shown";
const char KEY_LIST_SORT[] = "list_sort";
const char KEY_LIST_WIDTH_ADDRESS[] = "list_width_address";
const char KEY_LIST_WIDTH_MODULE[] = "list_width_module";
const char KEY_LIST_WIDTH_LABEL[] = "list_width_label";
const char KEY_LIST_WIDTH_COMMENT[] = "list_width_comment";

const HotkeyKeys HOTKEY_KEYS[HOTKEY_COUNT] = {
    {"hotkey_toggle__key", "hotkey_toggle__alt", "hotkey_toggle__shift", "hotkey_toggle__ctrl"},
    {"hotkey_previous__key", "hotkey_previous__alt", "hotkey_previous__shift", "hotkey_previous__ctrl"},
    {"hotkey_next__key", "hotkey_next__alt", "hotkey_next__shift", "hotkey_next__ctrl"},
    {"hotkey_list__key", "hotkey_list__alt", "hotkey_list__shift", "hotkey_list__ctrl"},
};

namespace {
const unsigned FLAG_SHIFT = 1;
const unsigned FLAG_CONTROL = 2;
const unsigned FLAG_ALT = 4;
}  // namespace

HotkeyBinding binding_from_hotkey_word(uint32_t word)
{
    const unsigned flags = (word >> 8) & 0xFF;
    HotkeyBinding binding;
    binding.key = int(word & 0xFF);
    binding.alt = (flags & FLAG_ALT) ? 1 : 0;
    binding.shift = (flags & FLAG_SHIFT) ? 1 : 0;
    binding.ctrl = (flags & FLAG_CONTROL) ? 1 : 0;
    return binding;
}

uint16_t hotkey_word_from_binding(const HotkeyBinding& binding)
{
    const unsigned flags = (binding.alt ? FLAG_ALT : 0) | (binding.shift ? FLAG_SHIFT : 0) |
                           (binding.ctrl ? FLAG_CONTROL : 0);
    // The key's low 16 bits go in as they are, as the control's word holds them.
    return uint16_t((flags << 8) | (unsigned(binding.key) & 0xFFFF));
}
