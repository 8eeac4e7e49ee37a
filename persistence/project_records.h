// Writing the bookmarks into the main module's project file and taking them
// back from it, records of the older bookmarks.dll plug-in included. The
// module argument is the host's descriptor of the main module, or null.
#pragma once

#include <stdint.h>

void save_bookmark_records(const void* module);
// 1 when the record was one of ours and has been taken, 0 otherwise.
int load_bookmark_record(const void* module, uint32_t tag, uint32_t size, const void* data);
// The host resets: where the module was saved is known only to the file that said so.
void forget_saved_base();
