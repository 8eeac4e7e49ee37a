#include "ui/settings_dialog.h"

#include "host/globals.h"
#include "host/host_api.h"
#include "persistence/settings_keys.h"
#include "resources/resource.h"

namespace {

// HKM_SETHOTKEY and HKM_GETHOTKEY, spelled out so the module needs no
// common-controls header or import.
const UINT HOTKEY_SET = WM_USER + 1;
const UINT HOTKEY_GET = WM_USER + 2;

struct OptionBox {
    int control;
    const char* key;
};

// In the order in which they are read and written.
const OptionBox OPTION_BOXES[] = {
    {IDC_AUTO_SHOW, KEY_AUTO_SHOW},
    {IDC_LOAD_OLD_BOOKMARKS, KEY_LOAD_OLD_BOOKMARKS},
    {IDC_SHOW_TOGGLE_BOOKMARK, KEY_SHOW_TOGGLE_BOOKMARK},
};

struct HotkeyField {
    int control;
    HotkeyId binding;
};

const HotkeyField HOTKEY_FIELDS[] = {
    {IDC_HOTKEY_TOGGLE, HOTKEY_TOGGLE},
    {IDC_HOTKEY_PREVIOUS, HOTKEY_PREVIOUS},
    {IDC_HOTKEY_NEXT, HOTKEY_NEXT},
    {IDC_HOTKEY_LIST, HOTKEY_LIST},
};

int read_setting(const char* key, int fallback = 0)
{
    return host_read_int(module_instance, key, fallback);
}

void write_setting(const char* key, int value)
{
    host_write_int(module_instance, key, value);
}

void fill_fields(HWND window)
{
    // Each feature is on until the user stores 0, so a box never written reads
    // as ticked: what the box shows is what the feature does.
    for (const OptionBox& box : OPTION_BOXES) {
        SendDlgItemMessageA(window, box.control, BM_SETCHECK, read_setting(box.key, 1) ? 1 : 0, 0);
    }
    for (const HotkeyField& field : HOTKEY_FIELDS) {
        const HotkeyKeys& keys = HOTKEY_KEYS[field.binding];
        HotkeyBinding binding;
        binding.key = read_setting(keys.key) & 0xFFFF;
        if (!binding.key) continue;  // unset: the field stays empty
        binding.alt = read_setting(keys.alt);
        binding.shift = read_setting(keys.shift);
        binding.ctrl = read_setting(keys.ctrl);
        SendDlgItemMessageA(window, field.control, HOTKEY_SET, hotkey_word_from_binding(binding), 0);
    }
}

void store_fields(HWND window)
{
    for (const OptionBox& box : OPTION_BOXES) {
        const LRESULT state = SendDlgItemMessageA(window, box.control, BM_GETCHECK, 0, 0);
        write_setting(box.key, state == BST_CHECKED ? 1 : 0);
    }
    for (const HotkeyField& field : HOTKEY_FIELDS) {
        const LRESULT word = SendDlgItemMessageA(window, field.control, HOTKEY_GET, 0, 0);
        const HotkeyBinding binding = binding_from_hotkey_word(uint32_t(word) & 0xFFFF);
        const HotkeyKeys& keys = HOTKEY_KEYS[field.binding];
        write_setting(keys.key, binding.key);
        write_setting(keys.alt, binding.alt);
        write_setting(keys.shift, binding.shift);
        write_setting(keys.ctrl, binding.ctrl);
    }
}

}  // namespace

INT_PTR CALLBACK settings_procedure(HWND window, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        fill_fields(window);
        return 1;
    case WM_COMMAND:
        // Enter and Esc arrive as IDOK and IDCANCEL, which fall through here
        // and are ignored: only the two buttons and the close box end the dialog.
        switch (LOWORD(wparam)) {
        case IDC_SETTINGS_OK:
            store_fields(window);
            EndDialog(window, 0);
            break;
        case IDC_SETTINGS_CANCEL:
            EndDialog(window, 0);
            break;
        }
        return 1;
    case WM_CLOSE:
        EndDialog(window, 0);
        return 1;
    }
    return 0;
}

void run_settings_dialog()
{
    DialogBoxParamA(module_instance, MAKEINTRESOURCEA(IDD_SETTINGS), host_main_window,
                    settings_procedure, 0);
}
