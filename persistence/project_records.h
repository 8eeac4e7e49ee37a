// Writing the bookmarks into the main module's project file and taking them
// back from it, records of the older bookmarks.dll plug-in included.
#pragma once

#include <stdint.h>

void save_bookmark_records();
// 1 when the record was one of ours and has been taken, 0 otherwise.
int load_bookmark_record(uint32_t tag, uint32_t size, const void* data);
