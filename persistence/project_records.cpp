#include "persistence/project_records.h"

#include "core/bookmark_commands.h"
#include "core/bookmark_list.h"
#include "host/globals.h"
#include "host/host_api.h"
#include "host/module_descriptor.h"
#include "persistence/settings_keys.h"
#include "persistence/udd_records.h"

namespace {

// Set by the base record of the file being read, so that the bookmarks after
// it land on the same code when Windows loaded the program elsewhere.
bool base_known = false;
ModuleMove move = {0, 0, 0};

// Bookmarks follow the module only when the file said where it was; files of
// older releases, and a host that names no module, load as they were saved.
uint32_t current_place(uint32_t address)
{
    return base_known ? moved_address(move, address) : address;
}

void take_base(const void* module, const DecodedRecord& record)
{
    move.saved_base = record.address;
    move.saved_size = record.module_size;
    move.current_base = module_base(module);
    base_known = true;
    if (move.current_base != move.saved_base) {
        host_log(move.current_base, -1, "Korvantis: Program moved from %X to %X; its bookmarks move with it",
                 move.saved_base, move.current_base);
    }
}

}  // namespace

void save_bookmark_records(const void* module)
{
    const BookmarkNode* first = bookmark_list.first();
    if (first && module) {
        // Ahead of the addresses, so that reading knows where they were.
        unsigned char base[RECORD_BASE_SIZE];
        encode_base_record(module_base(module), module_size(module), base);
        if (!host_save_record(RECORD_TAG_BASE, RECORD_BASE_SIZE, base)) {
            host_log(0, 1, "Korvantis: Can't save the program's base [%X] to UDD file", module_base(module));
        }
    }
    for (const BookmarkNode* node = first; node; node = node->next) {
        unsigned char buffer[RECORD_OWN_SIZE];
        encode_own_record(node->address, buffer);
        if (!host_save_record(RECORD_TAG_OWN, RECORD_OWN_SIZE, buffer)) {
            host_log(0, 1, "Korvantis: Can't save bookmark at address [%X] to UDD file",
                     node->address);
        }
    }
}

int load_bookmark_record(const void* module, uint32_t tag, uint32_t size, const void* data)
{
    const DecodedRecord record = decode_record(tag, size, data);
    switch (record.kind) {
    case RECORD_OWN:
        toggle_bookmark(module ? current_place(record.address) : record.address, false);
        return 1;
    case RECORD_BASE:
        // Without the module's descriptor there is nothing to move towards.
        if (!module) return 0;
        take_base(module, record);
        return 1;
    case RECORD_OLD:
        if (host_read_int(module_instance, KEY_LOAD_OLD_BOOKMARKS, 1)) {
            toggle_bookmark(record.address, false);
        }
        return 0;  // the older plug-in's records stay its own
    case RECORD_OWN_DAMAGED:
        // Our tag, so no one else can use it: taken, and the user is told.
        host_log(0, 1, "Korvantis: Skipped a damaged bookmark record in the UDD file");
        return 1;
    case RECORD_BASE_DAMAGED:
        // Bookmarks after it load where they were saved, as in a file without one.
        return 0;
    case RECORD_OLD_DAMAGED:
        if (host_read_int(module_instance, KEY_LOAD_OLD_BOOKMARKS, 1)) {
            host_log(0, 1, "Korvantis: Skipped a damaged bookmarks.dll record in the UDD file");
        }
        return 0;
    case RECORD_FOREIGN:
        break;
    }
    return 0;
}

void forget_saved_base()
{
    base_known = false;
}
