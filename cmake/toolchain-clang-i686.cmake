# The second compiler: Debian's clang targeting 32-bit MinGW-w64, with the
# MinGW-w64 headers and libraries, the C++ library of the gcc cross packages
# (posix thread model, as the gcc build uses: GoogleTest needs std::mutex) and
# GNU ld. Cross-built tests run in Wine, as with the gcc build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(_triple i686-w64-mingw32)
set(_gcc_dir /usr/lib/gcc/${_triple}/12-posix)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${_triple})
set(CMAKE_CXX_COMPILER_TARGET ${_triple})
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)

# clang looks for libstdc++ under the MinGW sysroot, where Debian does not put
# it; the headers and libraries live with the gcc cross compiler.
set(CMAKE_CXX_FLAGS_INIT
  "-isystem ${_gcc_dir}/include/c++ -isystem ${_gcc_dir}/include/c++/${_triple} -isystem ${_gcc_dir}/include/c++/backward")
# -pthread puts winpthread (static with -static) between the two passes over
# libgcc, whose TLS emulation needs it; a module that uses no thread calls
# takes nothing from it.
foreach(_kind EXE SHARED MODULE)
  set(CMAKE_${_kind}_LINKER_FLAGS_INIT "-fuse-ld=bfd -L${_gcc_dir} -pthread")
endforeach()

set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
