# Cross build for 64-bit Windows with Debian's mingw-w64 (POSIX-thread variant); the
# built programs and tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

# Libraries and headers come from the mingw-w64 sysroot only; programs run at build time
# are the host's.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread linked in: the executables need no DLL that Windows
# does not ship.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Wine keeps its state in a prefix of this build's own, made on first use when ctest
# starts (tests/windows/wine_session.cmake.in). Its diagnostics are silenced, so a test
# sees only what the program writes; the .NET and browser add-ons, which Wine would offer
# to download into a new prefix, are never wanted.
set(JRNLPEEK_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_COMMAND} -E env WINEPREFIX=${JRNLPEEK_WINEPREFIX} WINEDEBUG=-all
    WINEDLLOVERRIDES=mscoree,mshtml= wine)
