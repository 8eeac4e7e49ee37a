// The menu descriptions plug-ins hand the host: items "N text" separated by
// " | ", where N is the action code passed back when the item is chosen.
#pragma once

#include <string>
#include <vector>

struct MenuItem {
    int code;
    std::string text;
};

// Highest action code the host accepts; its menu ids leave room for 256 per plug-in.
const int MENU_CODE_MAX = 255;

// Splits a description into items. False, with the reason in error, when an
// item lacks its code, its blank or its text, a code is above MENU_CODE_MAX,
// or the description is empty; items is then left empty.
bool parse_menu_description(const std::string& description, std::vector<MenuItem>* items,
                            std::string* error);
