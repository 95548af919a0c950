# Cross build of the whole program, windows included, for 64-bit Windows with
# Debian's mingw-w64 compilers and a Qt built for x86_64-w64-mingw32.
#
# The Qt folder (the one holding bin/, lib/ and plugins/) is given as
# RATEMILL_QT6_MINGW_PREFIX, on the command line or in the environment. Qt's
# own tools (moc, rcc, uic) run on the build machine, so they come from the
# host's Qt of the same version (QT_HOST_PATH, Debian's qt6-base-dev-tools).
#
# Unlike the core's cross build, programs link the compiler's runtime as DLLs:
# the Qt DLLs use the shared C++ runtime, and one program must not carry two.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

# CMake reads this file again for each of its trial builds, where only the
# environment is carried over, so the folder is handed on through it.
if(RATEMILL_QT6_MINGW_PREFIX)
  set(ENV{RATEMILL_QT6_MINGW_PREFIX} "${RATEMILL_QT6_MINGW_PREFIX}")
elseif(DEFINED ENV{RATEMILL_QT6_MINGW_PREFIX})
  set(RATEMILL_QT6_MINGW_PREFIX "$ENV{RATEMILL_QT6_MINGW_PREFIX}")
else()
  message(FATAL_ERROR "Set RATEMILL_QT6_MINGW_PREFIX to the folder of Qt built for mingw-w64")
endif()

list(APPEND CMAKE_FIND_ROOT_PATH ${RATEMILL_QT6_MINGW_PREFIX})
list(APPEND CMAKE_PREFIX_PATH ${RATEMILL_QT6_MINGW_PREFIX})
if(NOT QT_HOST_PATH)
  set(QT_HOST_PATH /usr)
endif()

set(CMAKE_EXE_LINKER_FLAGS_INIT "")
