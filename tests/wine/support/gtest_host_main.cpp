// main() of every test host: the common controls are registered first, as the
// debugger does before it loads plug-ins (the settings dialog's hotkey fields
// need the class).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "sandbox/import_patch.h"

// gtest copies every failure to OutputDebugStringA, which raises a debug
// exception; under 32-bit Wine in qemu's emulation that ends the process at
// the first failure, so the rest of the run is lost. The copy is only for a
// debugger's output window: the host's own import is pointed at a no-op.
static void WINAPI ignore_debug_string(LPCSTR)
{
}

int main(int argc, char** argv)
{
    // A crash ends the process at once instead of waiting for a debugger.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_HOTKEY_CLASS};
    InitCommonControlsEx(&controls);
    repoint_import(GetModuleHandleA(nullptr), "kernel32.dll", "OutputDebugStringA",
                   reinterpret_cast<void*>(ignore_debug_string));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
