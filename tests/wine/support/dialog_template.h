// A reader for extended dialog templates (DLGTEMPLATEEX with its
// DLGITEMTEMPLATEEX items), straight from a module's RT_DIALOG resource bytes,
// so tests can check a template field by field instead of through the windows
// the dialog manager makes of it.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>
#include <vector>

// A template field that is absent (a zero word), an ordinal (0xFFFF, n) or a
// zero-terminated UTF-16 string.
struct TemplateName {
    enum Kind { NONE, ORDINAL, STRING };
    Kind kind = NONE;
    uint16_t ordinal = 0;
    std::wstring text;

    bool is_none() const { return kind == NONE; }
    bool is_ordinal(uint16_t value) const { return kind == ORDINAL && ordinal == value; }
    // The string form in 8 bits (characters above 0x7F become '?'); "" unless STRING.
    std::string narrow() const;
};

struct DialogTemplateItem {
    uint32_t help_id = 0;
    uint32_t ex_style = 0;
    uint32_t style = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    uint32_t id = 0;
    TemplateName window_class;  // predefined classes are ordinals: 0x0080 button, 0x0082 static...
    TemplateName text;
    uint16_t extra_count = 0;   // bytes of creation data that follow the item
};

struct DialogTemplate {
    uint16_t version = 0;    // dlgVer, 1 for an extended template
    uint16_t signature = 0;  // 0xFFFF for an extended template
    uint32_t help_id = 0;
    uint32_t ex_style = 0;
    uint32_t style = 0;
    uint16_t item_count = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    TemplateName menu;
    TemplateName window_class;
    std::wstring title;
    // Present only when the style has DS_SETFONT (DS_SHELLFONT includes it).
    bool has_font = false;
    uint16_t point_size = 0;
    uint16_t weight = 0;
    uint8_t italic = 0;
    uint8_t charset = 0;
    std::wstring typeface;
    std::vector<DialogTemplateItem> items;
};

// Parses the bytes of an extended template. Never reads beyond size; false,
// with the reason in error, for a template that is not extended, is cut short
// or holds fewer items than its header announces.
bool parse_dialog_template(const void* data, size_t size, DialogTemplate* out, std::string* error);

// Copies the RT_DIALOG resource id of the given language out of a module
// (which may be loaded as a data file). False, with the reason, when absent.
bool load_dialog_resource(HMODULE module, int id, WORD language, std::vector<uint8_t>* bytes,
                          std::string* error);

// Both steps at once.
bool load_dialog_template(HMODULE module, int id, WORD language, DialogTemplate* out,
                          std::string* error);

// Checks what the plug-in's templates share: an extended template at 0,0 with
// no help id, menu or class, in 8-point "MS Shell Dlg" (weight 400, not
// italic, charset 1). The font checks are skipped when the template has none.
void expect_plain_shell_font_header(const DialogTemplate& dialog);

// For messages: "L\"text\"" or "#ordinal" or "(none)".
std::string describe(const TemplateName& name);
