#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "host/disasm_view.h"

namespace {

// The two fields end at byte 905: the selected line's address, four bytes from 901.
const size_t VIEW_BYTES_READ = 905;

TEST(DisasmView, ReadsBothFieldsUnalignedWithinTheBytesTheyNeed)
{
    // Exactly the bytes the two fields need, on the heap, so that a read past
    // them is caught; the filler around the fields must not leak in.
    std::vector<unsigned char> view(VIEW_BYTES_READ, 0xEE);
    const unsigned char active[] = {0x00, 0x01, 0x00, 0x00}, selected[] = {0x00, 0x10, 0x40, 0x00};
    std::copy(active, active + 4, view.begin() + 889);
    std::copy(selected, selected + 4, view.begin() + 901);
    EXPECT_EQ(0x100u, disasm_view_active(view.data()));
    EXPECT_EQ(0x401000u, disasm_view_selected_address(view.data()));
}

}  // namespace
