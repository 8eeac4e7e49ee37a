#include "ui/name_dialog.h"

#include <string.h>

#include "host/globals.h"
#include "host/host_api.h"
#include "resources/resource.h"
#include "ui/bookmark_rows.h"

namespace {

struct NameRequest {
    uint32_t address;
    int type;
    char text[NAME_CHARACTERS + 1];  // the field's text on OK, and the zero
};

// The request of the dialog being shown; there is one at a time, it is modal.
NameRequest* asked;

void fill_dialog(HWND dialog)
{
    // "Comment at " and eight digits and the zero.
    char title[24];
    wsprintfA(title, asked->type == NAME_LABEL ? "Label at %08X" : "Comment at %08X", asked->address);
    SetWindowTextA(dialog, title);
    // No name longer than this is written: the debugger's CPU window breaks
    // drawing a comment of a few thousand characters.
    SendDlgItemMessageA(dialog, IDC_NAME_TEXT, EM_LIMITTEXT, NAME_CHARACTERS, 0);
    // A longer name shows in its first characters and is cut only on OK.
    int length;
    const char* name = read_name(asked->address, asked->type, length);
    if (length > NAME_CHARACTERS) length = NAME_CHARACTERS;
    memcpy(asked->text, name, size_t(length));
    asked->text[length] = 0;
    SendDlgItemMessageA(dialog, IDC_NAME_TEXT, WM_SETTEXT, 0, LPARAM(asked->text));
}

INT_PTR CALLBACK name_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        fill_dialog(dialog);
        return 1;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) {
            SendDlgItemMessageA(dialog, IDC_NAME_TEXT, WM_GETTEXT, sizeof asked->text, LPARAM(asked->text));
            EndDialog(dialog, IDOK);
        } else if (LOWORD(wparam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
        }
        return 1;
    }
    return 0;
}

}  // namespace

bool edit_name(HWND owner, uint32_t address, int type)
{
    NameRequest request = {address, type, {}};
    asked = &request;
    const INT_PTR answer =
        DialogBoxParamA(module_instance, MAKEINTRESOURCEA(IDD_EDIT_NAME), owner, name_procedure, 0);
    asked = nullptr;
    if (answer != IDOK) return false;
    host_insert_name(address, type, request.text);
    host_redraw_disassembler();
    return true;
}
