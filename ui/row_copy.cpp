#include "ui/row_copy.h"

#include <stdlib.h>
#include <string.h>

#include "host/host_api.h"
#include "ui/bookmark_rows.h"

namespace {

// Text that grows on the heap; a failed growth marks it failed and stops it.
struct Text {
    char* bytes;
    size_t length, capacity;
    bool failed;
};

void append(Text& text, const char* more, size_t length)
{
    if (text.failed) return;
    if (text.length + length + 1 > text.capacity) {
        size_t capacity = text.capacity ? text.capacity : 256;
        while (text.length + length + 1 > capacity) capacity *= 2;
        char* grown = static_cast<char*>(realloc(text.bytes, capacity));
        if (!grown) {
            text.failed = true;
            return;
        }
        text.bytes = grown;
        text.capacity = capacity;
    }
    memcpy(text.bytes + text.length, more, length);
    text.length += length;
    text.bytes[text.length] = 0;
}

void append_name(Text& text, uint32_t address, int type)
{
    int length;
    const char* name = read_name(address, type, length);
    append(text, name, size_t(length));
}

bool put_on_clipboard(HWND owner, const Text& text)
{
    if (!OpenClipboard(owner)) return false;
    bool stored = false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.length + 1);
    if (block) {
        if (void* bytes = GlobalLock(block)) {
            memcpy(bytes, text.bytes, text.length + 1);
            GlobalUnlock(block);
            stored = SetClipboardData(CF_TEXT, block) != nullptr;
        }
        if (!stored) GlobalFree(block);
    }
    CloseClipboard();
    return stored;
}

}  // namespace

bool copy_rows(HWND owner, const uint32_t* addresses, int count)
{
    Text text = {nullptr, 0, 0, false};
    for (int i = 0; i < count; ++i) {
        char digits[9];
        address_digits(addresses[i], digits);
        append(text, digits, 8);
        append(text, "\t", 1);
        append_name(text, addresses[i], NAME_LABEL);
        append(text, "\t", 1);
        append_name(text, addresses[i], NAME_COMMENT);
        append(text, "\r\n", 2);
    }
    const bool copied = count && !text.failed && put_on_clipboard(owner, text);
    free(text.bytes);
    return copied;
}
