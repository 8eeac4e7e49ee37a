/* Linked into modules built with clang (see the top CMakeLists.txt).
 *
 * GNU ld's PE script puts the constructor list (-1, the entries, 0) straight
 * after the last code section, without aligning it. GNU as pads every section
 * to its alignment, so after gcc-built code the list starts on a 4-byte
 * boundary; clang's assembler does not pad, so after clang-built code the
 * list can start at an odd address while its entries, aligned by their own
 * section, sit a few padding bytes further on: the start-up code then reads
 * the padding as a constructor and calls garbage. ".glue_7" is the script's
 * last code input, so this 4-byte, 4-aligned word ends the code on a 4-byte
 * boundary and the list follows it aligned. */
__attribute__((section(".glue_7"), used, aligned(4))) const unsigned int korvantis_ctor_list_alignment = 0;
