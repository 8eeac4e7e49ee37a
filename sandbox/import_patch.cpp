#include "sandbox/import_patch.h"

#include "sandbox/host_state.h"

static const BYTE* at(HMODULE module, DWORD rva)
{
    return reinterpret_cast<const BYTE*>(module) + rva;
}

void* repoint_import(HMODULE module, const char* dll, const char* function, void* replacement)
{
    if (!module) return nullptr;
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(at(module, DWORD(dos->e_lfanew)));
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress) return nullptr;

    for (const IMAGE_IMPORT_DESCRIPTOR* desc =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at(module, imports.VirtualAddress));
         desc->Name; ++desc) {
        if (lstrcmpiA(reinterpret_cast<const char*>(at(module, desc->Name)), dll) != 0) continue;
        const IMAGE_THUNK_DATA* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(
            at(module, desc->OriginalFirstThunk ? desc->OriginalFirstThunk : desc->FirstThunk));
        IMAGE_THUNK_DATA* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(
            const_cast<BYTE*>(at(module, desc->FirstThunk)));
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const IMAGE_IMPORT_BY_NAME* name =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(at(module, DWORD(names->u1.AddressOfData)));
            if (lstrcmpA(reinterpret_cast<const char*>(name->Name), function) != 0) continue;
            DWORD old_protection;
            if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE,
                                &old_protection)) {
                return nullptr;
            }
            void* previous = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<DWORD_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old_protection,
                           &old_protection);
            return previous;
        }
    }
    return nullptr;
}

static BOOL WINAPI recording_message_beep(UINT type)
{
    record_beep(type);
    return TRUE;
}

bool install_beep_recorder(HMODULE module)
{
    return repoint_import(module, "USER32.dll", "MessageBeep",
                          reinterpret_cast<void*>(&recording_message_beep)) != nullptr;
}
