#include "sandbox/app/menu_text.h"

namespace {

bool fail(std::vector<MenuItem>* items, std::string* error, size_t index, const std::string& why)
{
    items->clear();
    if (error) *error = "item " + std::to_string(index + 1) + ": " + why;
    return false;
}

}  // namespace

bool parse_menu_description(const std::string& description, std::vector<MenuItem>* items,
                            std::string* error)
{
    items->clear();
    if (description.empty()) {
        if (error) *error = "empty description";
        return false;
    }
    size_t start = 0;
    for (size_t index = 0;; ++index) {
        const size_t bar = description.find('|', start);
        std::string part = description.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        // The separator is " | ": one blank on each side belongs to it.
        if (start > 0) {
            if (part.empty() || part[0] != ' ') return fail(items, error, index, "no blank after '|'");
            part.erase(0, 1);
        }
        if (bar != std::string::npos) {
            if (part.empty() || part.back() != ' ') return fail(items, error, index, "no blank before '|'");
            part.pop_back();
        }
        size_t digits = 0;
        int code = 0;
        while (digits < part.size() && part[digits] >= '0' && part[digits] <= '9') {
            code = code * 10 + (part[digits] - '0');
            if (code > MENU_CODE_MAX) return fail(items, error, index, "action code above 255");
            ++digits;
        }
        if (digits == 0) return fail(items, error, index, "no action code");
        if (digits >= part.size() || part[digits] != ' ') return fail(items, error, index, "no blank after the code");
        std::string text = part.substr(digits + 1);
        if (text.find_first_not_of(' ') == std::string::npos) return fail(items, error, index, "no text");
        items->push_back({code, text});
        if (bar == std::string::npos) return true;
        start = bar + 1;
    }
}
