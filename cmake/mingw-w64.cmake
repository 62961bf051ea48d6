# Cross-build for 64-bit Windows with Debian's MinGW-w64 (the POSIX-threads flavour, whose
# libstdc++ has std::thread and std::mutex): cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KAGAKU_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${KAGAKU_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KAGAKU_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KAGAKU_MINGW_TRIPLET}-windres)

# Libraries built for Windows (libsodium, GoogleTest) are found under the prefixes given in
# CMAKE_PREFIX_PATH and the MinGW root only, never among the build machine's own.
set(CMAKE_FIND_ROOT_PATH /usr/${KAGAKU_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe each: no MinGW runtime DLLs to copy beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests run under Wine.
find_program(KAGAKU_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(KAGAKU_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${KAGAKU_WINE})
endif()
