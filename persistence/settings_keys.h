// The plug-in's settings: thirty-one named integers in the host's per-plug-in
// store, always read afresh. These names are the only place they are spelled.
#pragma once

#include <stdint.h>

extern const char KEY_AUTO_SHOW[];
extern const char KEY_LOAD_OLD_BOOKMARKS[];
extern const char KEY_SHOW_TOGGLE_BOOKMARK[];
extern const char KEY_TOP[];
extern const char KEY_LEFT[];
// The Bookmarks window's place and size, and whether it was open at close.
extern const char KEY_LIST_LEFT[];
extern const char KEY_LIST_TOP[];
extern const char KEY_LIST_WIDTH[];
extern const char KEY_LIST_HEIGHT[];
extern const char KEY_LIST_SHOWN[];
// The Bookmarks window's order, one integer (see order_setting in
// ui/bookmark_rows.h: the column times two, plus one when descending; 0,
// ascending address, by default), and its columns' widths in pixels.
extern const char KEY_LIST_SORT[];
extern const char KEY_LIST_WIDTH_ADDRESS[];
extern const char KEY_LIST_WIDTH_MODULE[];
extern const char KEY_LIST_WIDTH_LABEL[];
extern const char KEY_LIST_WIDTH_COMMENT[];

// The four keys of one shortcut, e.g. "hotkey_next__key", "hotkey_next__alt".
struct HotkeyKeys {
    const char* key;
    const char* alt;
    const char* shift;
    const char* ctrl;
};

// The Bookmarks window's own shortcut comes last, after the three of the CPU
// window's commands.
enum HotkeyId { HOTKEY_TOGGLE, HOTKEY_PREVIOUS, HOTKEY_NEXT, HOTKEY_LIST, HOTKEY_COUNT };

// Indexed by HotkeyId; the order is also the order in which bindings are tried.
extern const HotkeyKeys HOTKEY_KEYS[HOTKEY_COUNT];

// One shortcut: a virtual-key code (0 when unset) and three 0-or-1 flags.
struct HotkeyBinding {
    int key;
    int alt;
    int shift;
    int ctrl;
};

// The hotkey control's word: low byte the key code, high byte HOTKEYF_SHIFT (1),
// HOTKEYF_CONTROL (2) and HOTKEYF_ALT (4). Other flag bits, such as the
// extended-key flag (8), are dropped.
HotkeyBinding binding_from_hotkey_word(uint32_t word);
uint16_t hotkey_word_from_binding(const HotkeyBinding& binding);
