# Cross build for 64-bit Windows with Debian's mingw-w64 compilers.
#
# Only the "-posix" flavour of the compilers has std::thread and std::mutex,
# so it is named explicitly. Programs are linked statically, so that they
# run under Wine (and on Windows) without the compiler's runtime DLLs, and
# ctest starts each test program through Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RATEMILL_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${RATEMILL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RATEMILL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${RATEMILL_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${RATEMILL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(RATEMILL_WINE NAMES wine wine64)
if(RATEMILL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${RATEMILL_WINE})
endif()
