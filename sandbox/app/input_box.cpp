#include "sandbox/app/input_box.h"

#include <string.h>

#include <vector>

#include "sandbox/app/trace.h"

namespace {

const int ID_PROMPT = 100;
const int ID_TEXT = 101;

// Predefined control classes of a dialog template, by atom.
const WORD CLASS_BUTTON = 0x0080, CLASS_EDIT = 0x0081, CLASS_STATIC = 0x0082;

struct Request {
    HWND over;
    const char* title;
    const char* prompt;
    std::string* text;
};

// An in-memory dialog template (DLGTEMPLATE and its items), built in WORDs.
class Template {
public:
    void dword(DWORD value)
    {
        words_.push_back(LOWORD(value));
        words_.push_back(HIWORD(value));
    }
    void word(WORD value) { words_.push_back(value); }
    void text(const char* ansi)
    {
        const int length = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
        const size_t at = words_.size();
        words_.resize(at + size_t(length > 0 ? length : 1), 0);
        if (length > 0) MultiByteToWideChar(CP_ACP, 0, ansi, -1, reinterpret_cast<WCHAR*>(&words_[at]), length);
    }
    // Each item starts on a DWORD boundary.
    void align()
    {
        if (words_.size() % 2) words_.push_back(0);
    }
    void item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD class_atom, const char* title)
    {
        align();
        dword(style | WS_CHILD | WS_VISIBLE);
        dword(0);  // extended style
        word(WORD(x));
        word(WORD(y));
        word(WORD(cx));
        word(WORD(cy));
        word(id);
        word(0xFFFF);
        word(class_atom);
        text(title);
        word(0);  // no creation data
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    std::vector<WORD> words_;
};

void center_over(HWND box, HWND over)
{
    RECT target, own;
    GetWindowRect(over, &target);
    GetWindowRect(box, &own);
    const int width = own.right - own.left, height = own.bottom - own.top;
    SetWindowPos(box, nullptr, (target.left + target.right - width) / 2, (target.top + target.bottom - height) / 2, 0,
                 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK box_procedure(HWND box, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG: {
        const Request* request = reinterpret_cast<const Request*>(lparam);
        SetWindowLongPtrA(box, GWLP_USERDATA, lparam);
        SetWindowTextA(box, request->title);
        SetDlgItemTextA(box, ID_PROMPT, request->prompt);
        HWND field = GetDlgItem(box, ID_TEXT);
        // A single-line field's limit, raised from the default 32,767 to the
        // largest: the debugger keeps names of any length.
        SendMessageA(field, EM_SETLIMITTEXT, 0, 0);
        SetWindowTextA(field, request->text->c_str());
        SendMessageA(field, EM_SETSEL, 0, -1);
        SetFocus(field);
        center_over(box, request->over);
        trace("input box \"%s\"", request->title);
        return FALSE;  // the focus is set
    }
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) {
            const Request* request = reinterpret_cast<const Request*>(GetWindowLongPtrA(box, GWLP_USERDATA));
            HWND field = GetDlgItem(box, ID_TEXT);
            const int length = GetWindowTextLengthA(field);
            std::string typed(size_t(length > 0 ? length : 0) + 1, '\0');
            GetWindowTextA(field, &typed[0], int(typed.size()));
            typed.resize(strlen(typed.c_str()));
            *request->text = typed;
            trace("input box ok");
            EndDialog(box, 1);
            return TRUE;
        }
        if (LOWORD(wparam) == IDCANCEL) {  // Esc, Cancel and the close box
            trace("input box cancelled");
            EndDialog(box, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

bool ask_text(HWND owner, HWND over, const char* title, const char* prompt, std::string* text)
{
    // Sizes in dialog units: a prompt line, the field, and the two buttons
    // at the bottom right, as the debugger's small input dialogs have them.
    Template box;
    box.dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT);
    box.dword(0);  // extended style
    box.word(4);   // items
    box.word(0);
    box.word(0);
    box.word(230);
    box.word(62);
    box.word(0);     // no menu
    box.word(0);     // the dialog class
    box.text("");    // the title is set at WM_INITDIALOG
    box.word(8);     // font size in points
    box.text("MS Shell Dlg");
    box.item(SS_LEFT | SS_NOPREFIX, 7, 7, 216, 9, ID_PROMPT, CLASS_STATIC, "");
    box.item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 19, 216, 13, ID_TEXT, CLASS_EDIT, "");
    box.item(BS_DEFPUSHBUTTON | WS_TABSTOP, 119, 41, 50, 14, IDOK, CLASS_BUTTON, "OK");
    box.item(BS_PUSHBUTTON | WS_TABSTOP, 173, 41, 50, 14, IDCANCEL, CLASS_BUTTON, "Cancel");
    Request request = {over, title, prompt, text};
    const INT_PTR answer = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), box.get(), owner, box_procedure,
                                                   reinterpret_cast<LPARAM>(&request));
    return answer == 1;
}
