#include "persistence/project_records.h"

#include "core/bookmark_commands.h"
#include "core/bookmark_list.h"
#include "host/globals.h"
#include "host/host_api.h"
#include "persistence/settings_keys.h"
#include "persistence/udd_records.h"

void save_bookmark_records()
{
    for (const BookmarkNode* node = bookmark_list.first(); node; node = node->next) {
        unsigned char buffer[RECORD_OWN_SIZE];
        encode_own_record(node->address, buffer);
        if (!host_save_record(RECORD_TAG_OWN, RECORD_OWN_SIZE, buffer)) {
            host_log(0, 1, "Korvantis: Can't save bookmark at address [%X] to UDD file",
                     node->address);
        }
    }
}

int load_bookmark_record(uint32_t tag, uint32_t size, const void* data)
{
    const DecodedRecord record = decode_record(tag, size, data);
    switch (record.kind) {
    case RECORD_OWN:
        toggle_bookmark(record.address, false);
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
