#include "tests/wine/support/dialog_template.h"

#include <gtest/gtest.h>

#include <stdio.h>

std::string TemplateName::narrow() const
{
    std::string result;
    if (kind != STRING) return result;
    for (wchar_t c : text) result += c < 0x80 ? char(c) : '?';
    return result;
}

std::string describe(const TemplateName& name)
{
    char buffer[32];
    switch (name.kind) {
    case TemplateName::NONE:
        return "(none)";
    case TemplateName::ORDINAL:
        snprintf(buffer, sizeof buffer, "#0x%04X", name.ordinal);
        return buffer;
    case TemplateName::STRING:
        break;
    }
    return "\"" + name.narrow() + "\"";
}

namespace {

// Reads little-endian fields from a bounded buffer; the first failure sticks.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool ok() const { return ok_; }
    size_t offset() const { return offset_; }
    const std::string& error() const { return error_; }

    void fail(const std::string& why)
    {
        if (ok_) {
            char where[32];
            snprintf(where, sizeof where, " (at byte %u)", unsigned(offset_));
            error_ = why + where;
        }
        ok_ = false;
    }

    bool need(size_t count, const char* what)
    {
        if (ok_ && size_ - offset_ < count) fail(std::string("template ends inside ") + what);
        return ok_;
    }

    uint8_t u8(const char* what)
    {
        if (!need(1, what)) return 0;
        return data_[offset_++];
    }
    uint16_t u16(const char* what)
    {
        if (!need(2, what)) return 0;
        const uint16_t value = uint16_t(data_[offset_] | data_[offset_ + 1] << 8);
        offset_ += 2;
        return value;
    }
    uint32_t u32(const char* what)
    {
        const uint32_t low = u16(what);
        const uint32_t high = u16(what);
        return low | high << 16;
    }
    int16_t s16(const char* what) { return int16_t(u16(what)); }

    std::wstring string(const char* what)
    {
        std::wstring text;
        for (;;) {
            const uint16_t c = u16(what);
            if (!ok_ || c == 0) return text;
            text += wchar_t(c);
        }
    }

    TemplateName name(const char* what)
    {
        TemplateName result;
        if (!need(2, what)) return result;
        const uint16_t first = uint16_t(data_[offset_] | data_[offset_ + 1] << 8);
        if (first == 0) {
            offset_ += 2;
        } else if (first == 0xFFFF) {
            offset_ += 2;
            result.kind = TemplateName::ORDINAL;
            result.ordinal = u16(what);
        } else {
            result.kind = TemplateName::STRING;
            result.text = string(what);
        }
        return result;
    }

    void skip(size_t count, const char* what)
    {
        if (need(count, what)) offset_ += count;
    }

    // Items start on a 4-byte boundary of the template; the padding may be
    // missing after the last item.
    void align4()
    {
        const size_t aligned = (offset_ + 3) & ~size_t(3);
        offset_ = aligned < size_ ? aligned : size_;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t offset_ = 0;
    bool ok_ = true;
    std::string error_;
};

}  // namespace

bool parse_dialog_template(const void* data, size_t size, DialogTemplate* out, std::string* error)
{
    DialogTemplate result;
    if (!data) {
        if (error) *error = "no template data";
        return false;
    }
    Reader in(static_cast<const uint8_t*>(data), size);
    result.version = in.u16("dlgVer");
    result.signature = in.u16("signature");
    if (in.ok() && (result.version != 1 || result.signature != 0xFFFF)) {
        in.fail("not an extended dialog template");
    }
    result.help_id = in.u32("helpID");
    result.ex_style = in.u32("exStyle");
    result.style = in.u32("style");
    result.item_count = in.u16("cDlgItems");
    result.x = in.s16("x");
    result.y = in.s16("y");
    result.cx = in.s16("cx");
    result.cy = in.s16("cy");
    result.menu = in.name("menu");
    result.window_class = in.name("windowClass");
    result.title = in.string("title");
    result.has_font = (result.style & DS_SETFONT) != 0;
    if (result.has_font) {
        result.point_size = in.u16("pointsize");
        result.weight = in.u16("weight");
        result.italic = in.u8("italic");
        result.charset = in.u8("charset");
        result.typeface = in.string("typeface");
    }
    for (unsigned i = 0; in.ok() && i < result.item_count; ++i) {
        in.align4();
        DialogTemplateItem item;
        item.help_id = in.u32("item helpID");
        item.ex_style = in.u32("item exStyle");
        item.style = in.u32("item style");
        item.x = in.s16("item x");
        item.y = in.s16("item y");
        item.cx = in.s16("item cx");
        item.cy = in.s16("item cy");
        item.id = in.u32("item id");
        item.window_class = in.name("item windowClass");
        item.text = in.name("item title");
        item.extra_count = in.u16("item extraCount");
        in.skip(item.extra_count, "item creation data");
        if (in.ok()) result.items.push_back(item);
    }
    if (!in.ok()) {
        if (error) *error = in.error();
        return false;
    }
    *out = result;
    return true;
}

bool load_dialog_resource(HMODULE module, int id, WORD language, std::vector<uint8_t>* bytes,
                          std::string* error)
{
    HRSRC found = FindResourceExA(module, reinterpret_cast<LPCSTR>(RT_DIALOG),
                                  MAKEINTRESOURCEA(id), language);
    if (!found) {
        if (error) {
            char text[96];
            snprintf(text, sizeof text, "no dialog %d in language 0x%04X (error %lu)", id, language,
                     GetLastError());
            *error = text;
        }
        return false;
    }
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, found);
    if (!data) {
        if (error) *error = "dialog resource does not load";
        return false;
    }
    const uint8_t* first = static_cast<const uint8_t*>(data);
    bytes->assign(first, first + size);
    return true;
}

bool load_dialog_template(HMODULE module, int id, WORD language, DialogTemplate* out,
                          std::string* error)
{
    std::vector<uint8_t> bytes;
    return load_dialog_resource(module, id, language, &bytes, error) &&
           parse_dialog_template(bytes.data(), bytes.size(), out, error);
}

void expect_plain_shell_font_header(const DialogTemplate& dialog)
{
    EXPECT_EQ(dialog.version, 1);
    EXPECT_EQ(dialog.signature, 0xFFFF);
    EXPECT_EQ(dialog.help_id, 0u);
    EXPECT_EQ(dialog.x, 0);
    EXPECT_EQ(dialog.y, 0);
    EXPECT_TRUE(dialog.menu.is_none()) << describe(dialog.menu);
    EXPECT_TRUE(dialog.window_class.is_none()) << describe(dialog.window_class);
    EXPECT_TRUE(dialog.has_font);
    if (!dialog.has_font) return;
    EXPECT_EQ(dialog.point_size, 8);
    EXPECT_EQ(dialog.weight, 400);
    EXPECT_EQ(dialog.italic, 0);
    EXPECT_EQ(dialog.charset, 1);
    EXPECT_EQ(dialog.typeface, L"MS Shell Dlg");
}
