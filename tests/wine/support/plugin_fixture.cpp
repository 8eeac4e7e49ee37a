#include "tests/wine/support/plugin_fixture.h"

#include <string.h>

#include "resources/resource.h"
#include "sandbox/import_patch.h"

static LRESULT CALLBACK main_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return DefWindowProcA(window, message, wparam, lparam);
}

HWND create_host_main_window()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA window_class = {};
        window_class.lpfnWndProc = main_window_procedure;
        window_class.hInstance = GetModuleHandleA(nullptr);
        window_class.lpszClassName = "StandInMain";
        window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
        window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        RegisterClassA(&window_class);
        registered = true;
    }
    HWND window = CreateWindowA("StandInMain", "OllyDbg stand-in", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                200, 200, 640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    return window;
}

static BOOL CALLBACK count_dialog(HWND window, LPARAM lparam)
{
    char name[16] = {};  // "#32770" and room to tell longer class names apart
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, "#32770") == 0) ++*reinterpret_cast<int*>(lparam);
    return TRUE;
}

int dialogs_of_this_thread()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), count_dialog, reinterpret_cast<LPARAM>(&count));
    return count;
}

void PluginTest::SetUp()
{
    reset_host_state();
    main_window = create_host_main_window();
    ASSERT_NE(main_window, nullptr);
}

void PluginTest::TearDown()
{
    stop_plugin();
    if (main_window) DestroyWindow(main_window);
    main_window = nullptr;
    host_state.disasm_view = nullptr;
}

bool PluginTest::load_plugin()
{
    std::string error;
    if (!plugin.load(default_plugin_path(), &error)) {
        ADD_FAILURE() << error;
        return false;
    }
    EXPECT_TRUE(install_beep_recorder(plugin.module));
    return true;
}

void PluginTest::start_plugin(int version)
{
    if (!plugin.module && !load_plugin()) return;
    char name[32] = {};
    ASSERT_EQ(plugin.data(name), 110);
    EXPECT_EQ(plugin.init(version, main_window, nullptr), version >= 110 ? 0 : -1);
}

void PluginTest::stop_plugin()
{
    if (!plugin.module) return;
    if (plugin.close) plugin.close();
    if (plugin.destroy) plugin.destroy();
    // The windows' procedures live in the DLL: the windows must go before the code does.
    if (HWND owned = panel()) DestroyWindow(owned);
    if (HWND owned = bookmarks_window()) DestroyWindow(owned);
    plugin.unload();
}

void PluginTest::set_setting(const char* key, int value)
{
    host_state.settings[{plugin.module, key}] = value;
}

bool PluginTest::has_setting(const char* key) const
{
    return host_state.settings.count({plugin.module, key}) != 0;
}

int PluginTest::setting(const char* key) const
{
    auto found = host_state.settings.find({plugin.module, key});
    return found == host_state.settings.end() ? -12345 : found->second;
}

void PluginTest::select_line(uint32_t address)
{
    view.set_active(1);
    view.set_selected(address);
    host_state.disasm_view = view.bytes;
}

struct OwnedDialogSearch {
    HWND owner;
    bool bookmarks;  // the Bookmarks window, or else the panel
    HWND found;
};

static BOOL CALLBACK find_owned_dialog(HWND window, LPARAM lparam)
{
    OwnedDialogSearch* search = reinterpret_cast<OwnedDialogSearch*>(lparam);
    char class_name[16] = {}, title[16] = {};
    GetClassNameA(window, class_name, sizeof class_name);
    GetWindowTextA(window, title, sizeof title);
    const bool bookmarks = strncmp(title, "Bookmarks", 9) == 0;
    if (GetWindow(window, GW_OWNER) == search->owner && lstrcmpA(class_name, "#32770") == 0 &&
        bookmarks == search->bookmarks) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

static HWND owned_dialog(HWND owner, bool bookmarks)
{
    if (!owner) return nullptr;
    OwnedDialogSearch search = {owner, bookmarks, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), find_owned_dialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND PluginTest::panel() const
{
    return owned_dialog(main_window, false);
}

HWND PluginTest::bookmarks_window() const
{
    return owned_dialog(main_window, true);
}

std::string PluginTest::panel_title() const
{
    char text[64] = {};
    GetWindowTextA(panel(), text, sizeof text);
    return text;
}

void PluginTest::press_panel_button(int id)
{
    HWND button = GetDlgItem(panel(), id);
    SendMessageA(panel(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

int PluginTest::shortcut(int key, int ctrl, int alt, int shift)
{
    return plugin.shortcut(31, ctrl, alt, shift, key, nullptr);
}

std::string PluginTest::menu(int origin, void* item, int* answer)
{
    char text[256];
    memset(text, 0x55, sizeof text);
    text[sizeof text - 1] = 0;
    const int result = plugin.menu(origin, text, item);
    if (answer) *answer = result;
    return result ? std::string(text) : std::string();
}

void PluginTest::action(int origin, int code, void* item)
{
    plugin.action(origin, code, item);
}

int PluginTest::record(uint32_t tag, uint32_t size, const void* data, int is_main, const void* module)
{
    return plugin.uddrecord(const_cast<void*>(module), is_main, tag, size, const_cast<void*>(data));
}

std::vector<uint32_t> PluginTest::saved_addresses(const void* module)
{
    host_state.saved_records.clear();
    plugin.saveudd(const_cast<void*>(module), 1);
    std::vector<uint32_t> addresses;
    for (const auto& saved : host_state.saved_records) {
        if (saved.first != 0x4C4D430A) continue;  // the base record goes ahead of the addresses
        uint32_t address = 0;
        if (saved.second.size() == 4) memcpy(&address, saved.second.data(), 4);
        addresses.push_back(address);
    }
    return addresses;
}

std::vector<std::string> PluginTest::log_lines() const
{
    std::vector<std::string> lines;
    for (const HostCall& call : calls_of(HostOp::Log)) lines.push_back(call.text);
    return lines;
}

std::vector<std::string> PluginTest::notices() const
{
    std::vector<std::string> texts;
    for (const HostCall& call : calls_of(HostOp::Notice)) texts.push_back(call.text);
    return texts;
}

int PluginTest::beeps() const
{
    return int(calls_of(HostOp::Beep).size());
}

void StartedPluginTest::SetUp()
{
    PluginTest::SetUp();
    start_plugin();
    forget_calls();
}

void StartedPluginTest::toggle_at(uint32_t address)
{
    select_line(address);
    press_panel_button(IDC_PANEL_TOGGLE);
}

void StartedPluginTest::add_bookmarks(std::initializer_list<uint32_t> addresses)
{
    const uint32_t own_tag = 0x4C4D430A;  // "\nCML": one 4-byte address
    for (uint32_t address : addresses) ASSERT_EQ(record(own_tag, 4, &address), 1);
}
