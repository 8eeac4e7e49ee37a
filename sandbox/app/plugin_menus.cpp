#include "sandbox/app/plugin_menus.h"

#include <string.h>

#include <string>
#include <vector>

#include "sandbox/app/menu_text.h"
#include "sandbox/app/plugin_host.h"
#include "sandbox/app/trace.h"

namespace {

// The debugger's menu buffers hold 256 characters; a larger buffer, checked
// for its terminator, keeps a careless plug-in from overrunning the host.
const size_t MENU_BUFFER = 4096;

// Calls the plug-in's menu callback and answers its description, or "" for none.
std::string ask_menu(const HostedPlugin& plugin, int origin, void* item, bool* offered)
{
    *offered = false;
    if (!plugin.module.menu) return "";
    static char buffer[MENU_BUFFER];
    memset(buffer, 0, sizeof buffer);
    const int answer = plugin.module.menu(origin, buffer, item);
    if (!answer) return "";
    *offered = true;
    if (!memchr(buffer, 0, sizeof buffer - 1)) {
        buffer[sizeof buffer - 1] = 0;
        return std::string(buffer) + "\x01";  // unterminated: rejected by the parser below
    }
    return buffer;
}

std::string printable(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\t') out += "\\t";
        else if (static_cast<unsigned char>(c) < 32) out += "\\x" + std::to_string(static_cast<unsigned char>(c));
        else out += c;
    }
    return out;
}

}  // namespace

void append_plugin_menus(HMENU plugins_menu)
{
    const std::vector<HostedPlugin>& plugins = hosted_plugins();
    for (size_t i = 0; i < plugins.size(); ++i) {
        const HostedPlugin& plugin = plugins[i];
        bool offered = false;
        const std::string description = ask_menu(plugin, 0, nullptr, &offered);
        if (!offered) continue;
        trace("menu %s 0 \"%s\"", plugin.name.c_str(), printable(description).c_str());
        std::vector<MenuItem> items;
        std::string error;
        if (!parse_menu_description(description, &items, &error)) {
            host_message(1, "Plug-in %s: main-menu description \"%s\" rejected (%s)", plugin.name.c_str(),
                         printable(description).c_str(), error.c_str());
            continue;
        }
        HMENU submenu = CreatePopupMenu();
        for (const MenuItem& item : items) {
            AppendMenuA(submenu, MF_STRING, UINT_PTR(MAIN_MENU_BASE + int(i) * 256 + item.code), item.text.c_str());
        }
        AppendMenuA(plugins_menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), plugin.name.c_str());
        trace("plugins menu entry %s with %u items", plugin.name.c_str(), unsigned(items.size()));
    }
}

bool run_main_menu_command(int id)
{
    const std::vector<HostedPlugin>& plugins = hosted_plugins();
    if (id < MAIN_MENU_BASE || id >= MAIN_MENU_BASE + int(plugins.size()) * 256) return false;
    const HostedPlugin& plugin = plugins[size_t((id - MAIN_MENU_BASE) / 256)];
    const int code = (id - MAIN_MENU_BASE) % 256;
    trace("action %s 0 %d", plugin.name.c_str(), code);
    if (plugin.module.action) plugin.module.action(0, code, nullptr);
    trace("action %s 0 %d done", plugin.name.c_str(), code);
    return true;
}

void run_context_menu(HWND owner, POINT screen, void* view)
{
    const std::vector<HostedPlugin>& plugins = hosted_plugins();
    HMENU menu = CreatePopupMenu();
    int entries = 0;
    for (size_t i = 0; i < plugins.size(); ++i) {
        bool offered = false;
        const std::string description = ask_menu(plugins[i], 31, view, &offered);
        if (!offered) continue;
        trace("menu %s 31 \"%s\"", plugins[i].name.c_str(), printable(description).c_str());
        std::vector<MenuItem> items;
        std::string error;
        if (!parse_menu_description(description, &items, &error)) {
            host_message(1, "Plug-in %s: context-menu description \"%s\" rejected (%s)", plugins[i].name.c_str(),
                         printable(description).c_str(), error.c_str());
            continue;
        }
        for (const MenuItem& item : items) {
            AppendMenuA(menu, MF_STRING, UINT_PTR(CONTEXT_MENU_BASE + int(i) * 256 + item.code), item.text.c_str());
            ++entries;
        }
    }
    if (!entries) {
        trace("context menu empty");
        DestroyMenu(menu);
        return;
    }
    trace("context menu open %ld %ld", screen.x, screen.y);
    const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
                                      screen.x, screen.y, 0, owner, nullptr);
    DestroyMenu(menu);
    if (chosen < CONTEXT_MENU_BASE) {
        trace("context menu closed");
        return;
    }
    const HostedPlugin& plugin = plugins[size_t((chosen - CONTEXT_MENU_BASE) / 256)];
    const int code = (chosen - CONTEXT_MENU_BASE) % 256;
    trace("action %s 31 %d", plugin.name.c_str(), code);
    if (plugin.module.action) plugin.module.action(31, code, view);
    trace("action %s 31 %d done", plugin.name.c_str(), code);
}
