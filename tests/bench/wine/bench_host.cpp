// The bench host: the real DLL loaded in a stand-in debugger whose host
// operations only count, driven through the plug-in's exports as the debugger
// drives it. Times what a user waits for at 1,000 and 10,000 bookmarks: a
// toggle shortcut, a navigation shortcut, the context menu's description and
// a project load of 10,000 own records; and the module's load plus start.
// Then the Bookmarks window over 100,000 bookmarks, half of them with a
// label and a comment: opening it, a toggle and a navigation with it open and
// closed; text typed into its filter, a sort by label both ways, toggles with
// a filter or a label sort set, opening and activating it with either set;
// and a project load of 10,000 records with it open and closed.
//
// Every figure that involves the panel title is taken twice, interleaved
// round by round: "user" with the real SetWindowTextA (a caption repaint in
// Wine), "own" with the DLL's import of it pointed at a counter, which leaves
// the plug-in's own work. The window's gestures are taken with the counter,
// mode "open" or "closed" for the window's state; ".call" times the call
// alone, ".pumped" the call and the message loop run until idle after it (the
// window's refresh and repaint); "@place" is the own share of one place (see
// window_profile.h). Output: one tab-separated line per timed call,
//   measurement  N  mode  microseconds (milliseconds for replay_*)
// to the file named by the first argument; scripts/bench takes the medians.
// Usage: OLLYDBG.EXE results.tsv [rounds [own | window]]; "window" takes the
// Bookmarks window's figures alone, in own rounds.
#include <windows.h>
#include <commctrl.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "host/host_api.h"
#include "sandbox/disasm_view_record.h"
#include "sandbox/host_state.h"
#include "sandbox/import_patch.h"
#include "sandbox/plugin_module.h"
#include "tests/bench/wine/window_profile.h"

namespace {

const uint32_t TAG_OWN = 0x4C4D430A;
const int ORIGIN_CPU = 31;
const int KEY_TOGGLE = VK_F2, KEY_PREVIOUS = VK_F3, KEY_NEXT = VK_F4;
const int ORIGIN_MAIN_MENU = 0, ACTION_BOOKMARK_LIST = 4;
// The bookmarks behind the window's figures.
const unsigned WINDOW_N = 100000;

// Bookmarks lie 16 bytes apart from 0x401000, so each gap has room for new ones.
uint32_t stored(unsigned index)
{
    return 0x401000u + index * 16u;
}

FILE* out = nullptr;
int failures = 0;

void check(bool ok, const char* what)
{
    if (ok) return;
    fprintf(stderr, "bench_host: check failed: %s\n", what);
    ++failures;
}

double now_us()
{
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER ticks;
    QueryPerformanceCounter(&ticks);
    return double(ticks.QuadPart) * 1e6 / double(frequency.QuadPart);
}

void emit(const char* measurement, unsigned n, const char* mode, double us)
{
    fprintf(out, "%s\t%u\t%s\t%.3f\n", measurement, n, mode, us);
    fflush(out);
}

// The settings as the debugger would keep them, minus its ini file: the three
// shortcuts bound without modifiers, the Bookmarks window where a user keeps
// it beside the CPU window (720 by 640 pixels: a few dozen rows drawn),
// everything else at its default.
struct Setting {
    const char* key;
    int value;
};
const Setting SETTINGS[] = {
    {"hotkey_toggle__key", KEY_TOGGLE},  {"hotkey_previous__key", KEY_PREVIOUS},
    {"hotkey_next__key", KEY_NEXT},      {"list_left", 520},
    {"list_top", 200},                   {"list_width", 720},
    {"list_height", 640},
};

bool read_setting(void*, const char* key, int* value)
{
    for (const Setting& s : SETTINGS) {
        if (strcmp(s.key, key) == 0) {
            *value = s.value;
            return true;
        }
    }
    return false;  // the caller's default stands
}

// The CPU view record the shortcuts and the menu read.
DisasmViewBuffer view;
void select_line(uint32_t address)
{
    view.set_selected(address);
}

unsigned title_calls = 0;
BOOL WINAPI counting_set_window_text(HWND, LPCSTR)
{
    ++title_calls;
    return TRUE;
}

LRESULT CALLBACK main_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return DefWindowProcA(window, message, wparam, lparam);
}

HWND create_main_window()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = main_procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "BenchMain";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassA(&wc);
    return CreateWindowA("BenchMain", "OllyDbg stand-in", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 200,
                         640, 480, nullptr, nullptr, wc.hInstance, nullptr);
}

// Lets Wine deliver what the previous step queued (paints, caption updates).
void pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The plug-in's dialogs that the main window owns: the panel, and the
// Bookmarks window, which holds a list view.
// Lets the X server catch up: it draws what Wine sent it in a process of its
// own, on the same processors, so a gesture timed right after a repaint
// would share them with that drawing. Every window figure starts settled, as
// a user's next gesture does.
void settle()
{
    Sleep(30);
    pump();
}

struct OwnedSearch {
    HWND owner;
    bool with_list;
    HWND found;
};
BOOL CALLBACK find_owned(HWND window, LPARAM param)
{
    OwnedSearch* search = reinterpret_cast<OwnedSearch*>(param);
    char window_class[16] = {};
    GetClassNameA(window, window_class, sizeof window_class);
    if (GetWindow(window, GW_OWNER) != search->owner || strcmp(window_class, "#32770") != 0) return TRUE;
    const bool with_list = FindWindowExA(window, nullptr, WC_LISTVIEWA, nullptr) != nullptr;
    if (with_list != search->with_list) return TRUE;
    search->found = window;
    return FALSE;
}

// What the filter finds in every named bookmark's label, and in nothing else.
const char* const LABEL_PREFIX = "check_key_";

// Gives the bookmark at address a label and a comment that tell it apart
// by number.
void name_line(uint32_t address, unsigned number)
{
    char text[64];  // the longer of the two texts below with a ten-digit number
    snprintf(text, sizeof text, "%s%u", LABEL_PREFIX, number);
    host_state.names[{address, NAME_LABEL}] = text;
    snprintf(text, sizeof text, "compares the key with the stored hash, block %u", number);
    host_state.names[{address, NAME_COMMENT}] = text;
}

void unname_line(uint32_t address)
{
    host_state.names.erase({address, NAME_LABEL});
    host_state.names.erase({address, NAME_COMMENT});
}

// Half the bookmarks (every even one) have a label and a comment, so that a
// filter or a sort by name reads a name for every row and finds one for half
// of them. The first 65,280 lie in the program's module, 12,288 further on
// in a DLL whose short name fills its eight bytes, the rest in no module.
void name_bookmarks(unsigned n)
{
    for (unsigned i = 0; i < n; i += 2) name_line(stored(i), i);
    add_module(0x400000, 0x100000, "crackme", "C:\\crackme\\crackme.exe");
    add_module(0x540000, 0x30000, "kernel32", "C:\\windows\\system32\\kernel32.dll");
}

void emit_profile(const char* measurement, unsigned n, const char* mode, const double spent[PLACE_COUNT])
{
    for (int p = 0; p < PLACE_COUNT; ++p) {
        emit((std::string(measurement) + "@" + PLACE_NAMES[p]).c_str(), n, mode, spent[p]);
    }
}

struct Bench {
    HWND main_window = nullptr;
    PluginModule plugin;
    void* real_set_window_text = nullptr;
    std::mt19937 rng{8};

    HWND owned_dialog(bool with_list) const
    {
        OwnedSearch search = {main_window, with_list, nullptr};
        EnumWindows(find_owned, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    HWND panel() const { return owned_dialog(false); }
    // The Bookmarks window, once the plug-in has created it.
    HWND list_window() const { return owned_dialog(true); }
    int rows_shown() const
    {
        HWND list = FindWindowExA(list_window(), nullptr, WC_LISTVIEWA, nullptr);
        return list ? int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : -1;
    }

    bool start()
    {
        std::string error;
        if (!plugin.load(default_plugin_path(), &error)) {
            fprintf(stderr, "bench_host: %s\n", error.c_str());
            return false;
        }
        char name[32];
        plugin.data(name);
        return plugin.init(110, main_window, nullptr) == 0;
    }

    void stop()
    {
        plugin.close();
        plugin.destroy();
        // Their procedures live in the DLL.
        if (HWND p = panel()) DestroyWindow(p);
        if (HWND l = list_window()) DestroyWindow(l);
        plugin.unload();
        pump();
    }

    // "own": the DLL's SetWindowTextA is the counter; "user": the real one.
    void title_mode(bool own)
    {
        void* replacement = own ? reinterpret_cast<void*>(&counting_set_window_text) : real_set_window_text;
        void* before = repoint_import(plugin.module, "USER32.dll", "SetWindowTextA", replacement);
        if (!real_set_window_text) real_set_window_text = before;
    }

    // The host as it starts, with the settings table and a CPU view record.
    void fresh_host()
    {
        reset_host_state();
        host_state.read_setting = read_setting;
        view = DisasmViewBuffer();
        view.set_active(1);
        host_state.disasm_view = view.bytes;
    }

    int shortcut(int key, uint32_t address)
    {
        select_line(address);
        return plugin.shortcut(ORIGIN_CPU, 0, 0, 0, key, nullptr);
    }

    void replay(unsigned n)
    {
        for (unsigned i = 0; i < n; ++i) {
            uint32_t address = stored(i);
            plugin.uddrecord(nullptr, 1, TAG_OWN, 4, &address);
        }
    }

    // The same list, the highest address first: each record goes in front of
    // the chain, so filling costs the count walks alone (N²/2 node steps,
    // half of what the ascending order costs).
    void replay_descending(unsigned n)
    {
        for (unsigned i = n; i-- > 0;) {
            uint32_t address = stored(i);
            plugin.uddrecord(nullptr, 1, TAG_OWN, 4, &address);
        }
    }

    // Bookmarks, read back from the panel title the plug-in computed.
    void expect_count(unsigned n, const char* what)
    {
        const unsigned before = title_calls;
        title_mode(true);
        uint32_t first = stored(0);
        plugin.uddrecord(nullptr, 1, TAG_OWN, 4, &first);  // present: only retitles
        check(title_calls == before + 1, what);
        char expected[32], text[32] = {};
        wsprintfA(expected, "Korvan... (%02d)", int(n));
        title_mode(false);
        plugin.uddrecord(nullptr, 1, TAG_OWN, 4, &first);
        GetWindowTextA(panel(), text, sizeof text);
        check(strcmp(text, expected) == 0, what);
    }

    uint32_t random_point(unsigned n)
    {
        return std::uniform_int_distribution<uint32_t>(stored(0) + 1, stored(n - 1) - 1)(rng);
    }
    // An address in a gap: never bookmarked.
    uint32_t random_new(unsigned n) { return stored(rng() % (n - 1)) + 8; }
    // A batch of such lines, each once, in random order.
    std::vector<uint32_t> new_lines(unsigned n, int batch)
    {
        std::vector<uint32_t> lines(static_cast<size_t>(batch));
        for (uint32_t& a : lines) a = random_new(n);
        std::sort(lines.begin(), lines.end());
        lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
        std::shuffle(lines.begin(), lines.end(), rng);
        return lines;
    }

    void load_and_init(int rounds)
    {
        for (int r = 0; r < rounds; ++r) {
            const double t0 = now_us();
            const bool ok = start();
            const double t1 = now_us();
            check(ok, "load and init");
            emit(r == 0 ? "load_init_first" : "load_init", 0, "user", t1 - t0);
            if (plugin.module) stop();
        }
    }

    // Runs op on each of the points, timing every call alone: the medians of
    // single calls are not moved by the other programs that share the machine
    // taking the processor in the middle of a batch.
    template <class Op>
    void each_timed(const char* measurement, unsigned n, const char* mode,
                    const std::vector<uint32_t>& points, Op op)
    {
        for (uint32_t a : points) {
            const double t0 = now_us();
            op(a);
            emit(measurement, n, mode, now_us() - t0);
        }
    }

    void per_size(unsigned n, int rounds, bool with_user)
    {
        fresh_host();
        if (!start()) {
            check(false, "start for the per-size figures");
            return;
        }
        title_mode(true);
        replay(n);
        expect_count(n, "list filled");

        const int batch = 20;
        for (int r = 0; r < rounds; ++r) {
            for (int own = 1; own >= (with_user ? 0 : 1); --own) {
                const char* mode = own ? "own" : "user";
                title_mode(own != 0);
                pump();

                // Toggle shortcut: a batch of new lines, then the same lines again.
                const std::vector<uint32_t> lines = new_lines(n, batch);
                const unsigned notices = host_state.counts[int(HostOp::Notice)];
                const unsigned titles = title_calls;
                each_timed("toggle_add", n, mode, lines, [&](uint32_t a) { shortcut(KEY_TOGGLE, a); });
                each_timed("toggle_remove", n, mode, lines, [&](uint32_t a) { shortcut(KEY_TOGGLE, a); });
                check(host_state.counts[int(HostOp::Notice)] == notices + 2 * lines.size(),
                      "every toggle gave its notice");
                check(title_calls == titles + (own ? 2 * lines.size() : 0),
                      "the counter stood in for the title exactly in the own rounds");
                pump();

                // Navigation and the menu description write no title: timed in the own rounds.
                if (!own) continue;
                std::vector<uint32_t> points(50);
                for (uint32_t& a : points) a = random_point(n);
                const unsigned gotos = host_state.counts[int(HostOp::GotoCode)];
                each_timed("navigate_previous", n, "own", points,
                           [&](uint32_t a) { shortcut(KEY_PREVIOUS, a); });
                each_timed("navigate_next", n, "own", points, [&](uint32_t a) { shortcut(KEY_NEXT, a); });
                check(host_state.counts[int(HostOp::GotoCode)] == gotos + 2 * points.size(),
                      "every navigation moved the CPU window");

                char text[64];
                int offered = 0;
                each_timed("menu_description", n, "own", points, [&](uint32_t a) {
                    select_line(a);
                    offered += plugin.menu(ORIGIN_CPU, text, view.bytes);
                });
                check(offered == int(points.size()), "the menu entry was offered");
            }
        }
        expect_count(n, "list unchanged by the timed gestures");
        stop();
    }

    // This thread's processor time in milliseconds (user and kernel).
    static double thread_cpu_ms()
    {
        FILETIME created, ended, kernel, user;
        GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
        const auto ms = [](const FILETIME& t) {
            return double((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
        };
        return ms(kernel) + ms(user);
    }

    // A project load: n own records into an empty list, timed whole, by the
    // clock and by this thread's processor time.
    void replay_rounds(unsigned n, int rounds, bool with_user)
    {
        reset_host_state();
        host_state.read_setting = read_setting;
        if (!start()) {
            check(false, "start for the replay");
            return;
        }
        for (int r = 0; r < rounds; ++r) {
            for (int own = 1; own >= (with_user ? 0 : 1); --own) {
                const char* mode = own ? "own" : "user";
                title_mode(own != 0);
                plugin.reset();  // the host resets before it loads a project
                pump();
                const unsigned logs = host_state.counts[int(HostOp::Log)];
                const double c0 = thread_cpu_ms();
                const double t0 = now_us();
                replay(n);
                const double t1 = now_us();
                const double c1 = thread_cpu_ms();
                check(host_state.counts[int(HostOp::Log)] == logs + n, "one log line per record");
                emit("replay_ms", n, mode, (t1 - t0) / 1000.0);
                emit("replay_cpu_ms", n, mode, c1 - c0);
                pump();
            }
        }
        expect_count(n, "replay filled the list");
        stop();
    }

    // The USER32 call the design makes on every toggle and loaded record.
    void title_call(int rounds)
    {
        if (!start()) return;
        HWND p = panel();
        for (int r = 0; r < rounds; ++r) {
            pump();
            for (int i = 0; i < 20; ++i) {
                const double t0 = now_us();
                SetWindowTextA(p, (i & 1) ? "Korvan... (10000)" : "Korvan... (10001)");
                emit("set_window_text", 0, "user", now_us() - t0);
            }
        }
        stop();
    }

    // --- The Bookmarks window over WINDOW_N bookmarks.

    // The main menu's "Bookmark list", as the debugger calls it.
    void open_list()
    {
        PluginCall in;
        plugin.action(ORIGIN_MAIN_MENU, ACTION_BOOKMARK_LIST, nullptr);
    }

    // Opens the window or hides it (its close box), and lets it settle.
    void set_list_open(bool open)
    {
        const bool shown = IsWindowVisible(list_window()) != 0;
        if (open && !shown) open_list();
        if (!open && shown) SendMessageA(list_window(), WM_CLOSE, 0, 0);
        pump();
        check((IsWindowVisible(list_window()) != 0) == open, "the window is open or closed as asked");
    }

    // A gesture on the window, timed from a settled start: op alone
    // (".call") and op with the message loop run until nothing is left to do
    // after it (the window's refresh and repaint). When profiled the time is
    // also split by place.
    template <class Op>
    void time_settled(const char* measurement, unsigned n, const char* mode, bool profiled, Op op)
    {
        settle();
        if (profiled) start_profile();
        const double t0 = now_us();
        op();
        const double t1 = now_us();
        pump();
        const double t2 = now_us();
        double spent[PLACE_COUNT];
        if (profiled) stop_profile(spent);
        emit(measurement, n, mode, t2 - t0);
        emit((std::string(measurement) + ".call").c_str(), n, mode, t1 - t0);
        if (profiled) emit_profile(measurement, n, mode, spent);
    }

    // The main menu's code and the message loop until nothing is left to do:
    // the window shown and its first screen of rows painted.
    void time_open(const char* measurement, unsigned n, bool own, int expected = -1)
    {
        const unsigned names = host_state.counts[int(HostOp::FindName)];
        time_settled(measurement, n, own ? "own" : "user", own, [&] { open_list(); });
        check(IsWindowVisible(list_window()) != 0, "the window was shown");
        check(rows_shown() == (expected < 0 ? int(n) : expected), "the window shows every bookmark that passes");
        check(host_state.counts[int(HostOp::FindName)] > names, "painting the rows asked the debugger for names");
    }

    // First opening (the window is created, as after the debugger's main
    // window took it down) and opening again after the close box, each
    // alone in a round of its own.
    void window_open_rounds(unsigned n, int rounds, bool with_user)
    {
        for (int r = 0; r < rounds; ++r) {
            for (int own = 1; own >= (with_user ? 0 : 1); --own) {
                title_mode(own != 0);
                if (HWND window = list_window()) DestroyWindow(window);
                pump();
                time_open("window_open_first", n, own != 0);
                set_list_open(false);
                time_open("window_reopen", n, own != 0);
                set_list_open(false);
            }
        }
    }

    // Runs op on each point as a shortcut gesture, timing the call alone and
    // the call with the message loop run until idle after it.
    template <class Op>
    void each_pumped(const char* gesture, const char* state, const std::vector<uint32_t>& points, Op op)
    {
        const std::string call = std::string(gesture) + ".call", pumped = std::string(gesture) + ".pumped";
        for (uint32_t a : points) {
            settle();
            const double t0 = now_us();
            op(a);
            const double t1 = now_us();
            pump();
            const double t2 = now_us();
            emit(call.c_str(), WINDOW_N, state, t1 - t0);
            emit(pumped.c_str(), WINDOW_N, state, t2 - t0);
        }
    }

    // Toggles and navigations with the window closed and open, the state
    // that goes first alternating round by round.
    void window_gesture_rounds(unsigned n, int rounds)
    {
        title_mode(true);
        for (int r = 0; r < rounds; ++r) {
            for (int k = 0; k < 2; ++k) {
                const bool open = (r + k) % 2 == 1;
                const char* state = open ? "open" : "closed";
                set_list_open(open);

                const std::vector<uint32_t> lines = new_lines(n, 20);
                const unsigned notices = host_state.counts[int(HostOp::Notice)];
                each_pumped("toggle_add", state, lines, [&](uint32_t a) { shortcut(KEY_TOGGLE, a); });
                if (open) check(rows_shown() == int(n + lines.size()), "the window showed every added bookmark");
                each_pumped("toggle_remove", state, lines, [&](uint32_t a) { shortcut(KEY_TOGGLE, a); });
                if (open) check(rows_shown() == int(n), "the window showed every removal");
                check(host_state.counts[int(HostOp::Notice)] == notices + 2 * lines.size(),
                      "every toggle gave its notice");

                std::vector<uint32_t> points(50);
                for (uint32_t& a : points) a = random_point(n);
                const unsigned gotos = host_state.counts[int(HostOp::GotoCode)];
                each_pumped("navigate_previous", state, points, [&](uint32_t a) { shortcut(KEY_PREVIOUS, a); });
                each_pumped("navigate_next", state, points, [&](uint32_t a) { shortcut(KEY_NEXT, a); });
                check(host_state.counts[int(HostOp::GotoCode)] == gotos + 2 * points.size(),
                      "every navigation moved the CPU window");
            }
        }
    }

    // Where a toggle's time goes with the window open, its refresh included.
    void window_refresh_profile(unsigned n, int rounds)
    {
        title_mode(true);
        set_list_open(true);
        for (int r = 0; r < rounds; ++r) {
            const std::vector<uint32_t> lines = new_lines(n, 5);
            for (int pass = 0; pass < 2; ++pass) {  // on, then off again
                for (uint32_t a : lines) {
                    select_line(a);
                    double spent[PLACE_COUNT];
                    settle();
                    start_profile();
                    {
                        PluginCall in;
                        plugin.shortcut(ORIGIN_CPU, 0, 0, 0, KEY_TOGGLE, nullptr);
                    }
                    pump();
                    stop_profile(spent);
                    emit_profile("toggle.pumped", n, "open", spent);
                }
            }
        }
        check(rows_shown() == int(n), "the profiled toggles left the list as it was");
    }

    // A project load with the window closed and open: the host's reset, then
    // n own records, timed alone (milliseconds) and with the message loop run
    // until idle after it.
    void window_load_rounds(unsigned n, int rounds)
    {
        title_mode(true);
        for (int r = 0; r < rounds; ++r) {
            for (int k = 0; k < 2; ++k) {
                const bool open = (r + k) % 2 == 1;
                const char* state = open ? "open" : "closed";
                set_list_open(open);
                plugin.reset();
                settle();
                const unsigned logs = host_state.counts[int(HostOp::Log)];
                const double t0 = now_us();
                replay(n);
                const double t1 = now_us();
                pump();
                const double t2 = now_us();
                check(host_state.counts[int(HostOp::Log)] == logs + n, "one log line per record");
                if (open) check(rows_shown() == int(n), "the window showed the loaded list");
                emit("replay_ms.call", n, state, (t1 - t0) / 1000.0);
                emit("replay_ms.pumped", n, state, (t2 - t0) / 1000.0);
            }
        }
    }

    // --- Filter and sort over WINDOW_N bookmarks, half of them named.

    HWND filter_field() const { return FindWindowExA(list_window(), nullptr, "Edit", nullptr); }
    HWND list_view() const { return FindWindowExA(list_window(), nullptr, WC_LISTVIEWA, nullptr); }

    // Text typed at the end of the filter field, a key at a time, faster
    // than the message loop turns.
    void type_filter(const char* text)
    {
        HWND field = filter_field();
        for (const char* c = text; *c; ++c) {
            const char key[2] = {*c, 0};
            const LRESULT end = SendMessageA(field, WM_GETTEXTLENGTH, 0, 0);
            SendMessageA(field, EM_SETSEL, WPARAM(end), end);
            SendMessageA(field, EM_REPLACESEL, TRUE, LPARAM(key));
        }
    }

    void clear_filter() { SendMessageA(filter_field(), WM_SETTEXT, 0, LPARAM("")); }

    // A click on a column heading, as the list view tells its dialog.
    void click_heading(int column)
    {
        NMLISTVIEW note = {};
        note.hdr.hwndFrom = list_view();
        note.hdr.idFrom = UINT_PTR(GetDlgCtrlID(note.hdr.hwndFrom));
        note.hdr.code = LVN_COLUMNCLICK;
        note.iItem = -1;
        note.iSubItem = column;
        SendMessageA(list_window(), WM_NOTIFY, note.hdr.idFrom, LPARAM(&note));
    }

    // The debugger's CPU window, then the Bookmarks window again.
    void activate_from_main()
    {
        SendMessageA(list_window(), WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(main_window));
    }

    std::string cell(int row, int column) const
    {
        char text[300] = {};  // a cell of the longest name shown, cut with "..."
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(list_view(), LVM_GETITEMTEXTA, WPARAM(row), LPARAM(&item));
        return text;
    }

    // Times text typed into the empty field until the rows are filtered and
    // painted, then checks how many pass; the field is emptied again after,
    // that pass timed too.
    void time_filter(const char* measurement, const char* text, int passing, unsigned n)
    {
        const unsigned names = host_state.counts[int(HostOp::FindName)];
        time_settled(measurement, n, "own", true, [&] { type_filter(text); });
        check(rows_shown() == passing, "the filter passes the rows that hold its text");
        // A pass asks the debugger at least twice a row (each name's length,
        // then the name when there is one): at most 3n times for these
        // filters, so a second pass would pass 4n.
        check(host_state.counts[int(HostOp::FindName)] - names < 4 * n, "the keys typed gave one filtering pass");
        time_settled("filter_cleared", n, "own", true, [&] { clear_filter(); });
        check(rows_shown() == int(n), "the emptied filter shows every row");
    }

    // The first click on the Label heading sorts ascending, the second
    // descending; named rows first either way. A click on Address puts the
    // rows back in address order.
    void time_sort(unsigned n)
    {
        time_settled("sort_label_ascending", n, "own", true, [&] { click_heading(2); });
        check(cell(0, 2) == "check_key_0" && cell(int(n) - 1, 2).empty(), "the labels ascend, the nameless last");
        time_settled("sort_label_descending", n, "own", true, [&] { click_heading(2); });
        check(cell(0, 2) == "check_key_99998" && cell(int(n) - 1, 2).empty(),
              "the labels descend, the nameless last");
        click_heading(0);
        pump();
        check(cell(0, 0) == "00401000", "the address order is back");
    }

    // Opening again, and the window activated from the debugger's window
    // after a name changed there, with a filter set and with the rows sorted
    // by label.
    void time_open_and_activate(unsigned n)
    {
        type_filter(LABEL_PREFIX);
        set_list_open(false);
        time_open("window_reopen_filtered", n, true, int(n / 2));
        name_line(stored(1), 1);
        time_settled("activate_filtered", n, "own", true, [&] { activate_from_main(); });
        check(rows_shown() == int(n / 2 + 1), "the activation filtered again, with the new label");
        unname_line(stored(1));
        clear_filter();
        click_heading(2);
        set_list_open(false);
        time_open("window_reopen_sorted", n, true);
        host_state.names[{stored(1), NAME_LABEL}] = "aaa";
        time_settled("activate_sorted", n, "own", true, [&] { activate_from_main(); });
        check(cell(0, 2) == "aaa", "the activation sorted again, the new label first");
        unname_line(stored(1));
        click_heading(0);
        pump();
    }

    // Toggles with the window open and neither a filter nor a sort set
    // ("plain"), with the label filter set, and with the rows sorted by
    // label; half the toggled lines have names that pass the filter. The
    // state that goes first turns round by round.
    void time_toggles_with_names(unsigned n, int round)
    {
        static const char* const STATES[] = {"plain", "filtered", "sorted"};
        for (int k = 0; k < 3; ++k) {
            const int state = (round + k) % 3;
            if (state == 1) type_filter(LABEL_PREFIX);
            if (state == 2) click_heading(2);
            pump();
            const int before = rows_shown();
            const std::vector<uint32_t> lines = new_lines(n, 20);
            for (size_t i = 0; i < lines.size(); i += 2) name_line(lines[i], unsigned(n + i));
            each_pumped("toggle_add", STATES[state], lines, [&](uint32_t a) { shortcut(KEY_TOGGLE, a); });
            const int added = rows_shown() - before;
            check(added == int(state == 1 ? (lines.size() + 1) / 2 : lines.size()),
                  "the window showed the added bookmarks that pass");
            each_pumped("toggle_remove", STATES[state], lines, [&](uint32_t a) { shortcut(KEY_TOGGLE, a); });
            check(rows_shown() == before, "the window showed every removal");
            for (uint32_t a : lines) unname_line(a);
            if (state == 1) clear_filter();
            if (state == 2) click_heading(0);
            pump();
        }
    }

    void window_filter_rounds(unsigned n, int rounds)
    {
        title_mode(true);
        set_list_open(true);
        for (int r = 0; r < rounds; ++r) {
            time_filter("filter_half", LABEL_PREFIX, int(n / 2), n);
            // Found only in the comments of 4242 and 42420 to 42428.
            time_filter("filter_few", "BLOCK 4242", 6, n);
            time_sort(n);
            time_toggles_with_names(n, r);
            time_open_and_activate(n);
        }
        check(rows_shown() == int(n), "the filter and sort rounds left every row shown");
    }

    void window_rounds(int rounds, bool with_user)
    {
        fresh_host();
        name_bookmarks(WINDOW_N);
        if (!start()) {
            check(false, "start for the window's figures");
            return;
        }
        check(install_window_profile(plugin.module), "the window's Windows calls are timed");
        title_mode(true);
        replay_descending(WINDOW_N);
        expect_count(WINDOW_N, "list filled for the window");

        window_open_rounds(WINDOW_N, rounds, with_user);
        window_gesture_rounds(WINDOW_N, rounds);
        window_refresh_profile(WINDOW_N, std::max(2, rounds / 3));
        window_filter_rounds(WINDOW_N, rounds);
        expect_count(WINDOW_N, "list unchanged by the window's gestures");
        // Last: a load replaces the list.
        window_load_rounds(10000, rounds);
        stop();
    }
};

}  // namespace

int main(int argc, char** argv)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    if (argc < 2) {
        fprintf(stderr, "usage: OLLYDBG.EXE results.tsv [rounds [own | window]]\n");
        return 2;
    }
    out = fopen(argv[1], "w");
    if (!out) {
        fprintf(stderr, "bench_host: cannot write %s\n", argv[1]);
        return 2;
    }
    const int rounds = argc > 2 ? atoi(argv[2]) : 15;
    // "own" and "window" leave out the rounds with the real title call.
    const char* const only = argc > 3 ? argv[3] : "";
    const bool with_user = strcmp(only, "own") != 0 && strcmp(only, "window") != 0;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_HOTKEY_CLASS};
    InitCommonControlsEx(&controls);

    Bench bench;
    bench.main_window = create_main_window();
    pump();
    host_state.read_setting = read_setting;
    if (strcmp(only, "window") != 0) {
        bench.load_and_init(rounds + 1);
        if (with_user) bench.title_call(rounds);
        for (unsigned n : {1000u, 10000u}) bench.per_size(n, rounds, with_user);
        bench.replay_rounds(10000, std::max(3, rounds / 3), with_user);
    }
    bench.window_rounds(rounds, with_user);
    fclose(out);
    if (failures) fprintf(stderr, "bench_host: %d checks failed\n", failures);
    return failures ? 1 : 0;
}
