// The sandbox: OLLYDBG.EXE that loads plug-ins the way the debugger does and
// shows them a CPU pane with a sample program, a log and a notice line.
//
//   OLLYDBG.EXE [--plugins FOLDER | --plugin FILE ...] [--log FILE] [--base ADDRESS]
//
// Without --plugins or --plugin it loads $KORVANTIS_DLL, or the freshly built
// dist\Korvantis.dll. Settings go to ollydbg.ini beside the program, the
// sample program's project to sample.udd beside it, and the trace of every
// call to sandbox.log beside it unless --log names another file. The sample
// program is loaded at 0x00400000, the base it is linked at, or at the hex
// ADDRESS of --base (--base 0x500000), as Windows loads a program with a
// movable base where it chooses; File > Restart at another base moves it
// between 0x00400000 and 0x00500000. One project file serves every base.
#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "sandbox/app/line_names.h"
#include "sandbox/app/loaded_program.h"
#include "sandbox/app/plugin_host.h"
#include "sandbox/app/plugin_stores.h"
#include "sandbox/app/sample_program.h"
#include "sandbox/app/sandbox_window.h"
#include "sandbox/app/trace.h"
#include "sandbox/app/window_report.h"
#include "sandbox/plugin_module.h"

static std::string program_folder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    char* slash = strrchr(path, '\\');
    if (slash) *slash = 0;
    return path;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    // A crash ends the process at once instead of waiting for a debugger.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    const std::string folder = program_folder();
    std::string log_path = folder + "\\sandbox.log";
    std::vector<std::string> files;
    bool chosen = false;
    uint32_t base = SAMPLE_LINKED_BASE;
    const char* refused_base = nullptr;
    for (int i = 1; i + 1 < __argc; i += 2) {
        const std::string option = __argv[i];
        if (option == "--log") {
            log_path = __argv[i + 1];
        } else if (option == "--plugins") {
            const std::vector<std::string> found = plugin_files_in(__argv[i + 1]);
            files.insert(files.end(), found.begin(), found.end());
            chosen = true;
        } else if (option == "--plugin") {
            files.push_back(__argv[i + 1]);
            chosen = true;
        } else if (option == "--base") {
            if (!parse_load_address(__argv[i + 1], &base)) refused_base = __argv[i + 1];
        }
    }
    if (!chosen) files.push_back(default_plugin_path());
    open_trace(log_path);
    set_store_paths(folder + "\\ollydbg.ini", folder + "\\sample.udd");

    // The debugger registers the common controls before any plug-in starts;
    // the settings dialog's hotkey fields need their class.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_HOTKEY_CLASS};
    InitCommonControlsEx(&controls);

    HWND main_window = create_sandbox_window(instance);
    if (!main_window) return 1;
    ShowWindow(main_window, show == SW_HIDE ? SW_SHOWNORMAL : show);
    UpdateWindow(main_window);
    load_plugins(files, main_window);
    build_plugins_menu(main_window);
    if (refused_base) {
        host_message(1, "--base %s: no base the program can load at (hex, a multiple of 10000, the program below "
                        "7FFF0000); loaded at %08X", refused_base, base);
    }
    open_program(base);
    SetFocus(main_window);
    report_windows();
    trace("ready");

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        // The plug-ins' modeless windows (the navigation panel) get their
        // keyboard handling from the dialog manager.
        HWND owner = GetAncestor(message.hwnd, GA_ROOT);
        char class_name[16] = {};
        if (owner && owner != main_window) GetClassNameA(owner, class_name, sizeof class_name);
        if (lstrcmpA(class_name, "#32770") != 0 || !IsDialogMessageA(owner, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        // A name given with no repaint asked for is traced here.
        trace_names_given();
    }
    unload_plugins();
    trace("exit");
    return 0;
}
