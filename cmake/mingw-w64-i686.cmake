# 32-bit Windows with MinGW-w64 (Debian: g++-mingw-w64-i686), linked statically.
#
# NIMLO_MINGW_THREADS picks the compiler's thread model:
#   posix  the unit and integration tests (GoogleTest needs the C++ thread
#          support that only this model has; it brings winpthreads along)
#   win32  the shipped SystemAssessment.exe: no winpthreads, so nothing newer
#          than Windows XP SP3 / Server 2003 SP2 is imported
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(NIMLO_MINGW_THREADS posix CACHE STRING "Thread model of the MinGW-w64 compiler: posix or win32")
set_property(CACHE NIMLO_MINGW_THREADS PROPERTY STRINGS posix win32)
if(NOT NIMLO_MINGW_THREADS MATCHES "^(posix|win32)$")
  message(FATAL_ERROR "NIMLO_MINGW_THREADS must be posix or win32, not '${NIMLO_MINGW_THREADS}'")
endif()

set(NIMLO_MINGW_PREFIX i686-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${NIMLO_MINGW_PREFIX}-gcc-${NIMLO_MINGW_THREADS} REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${NIMLO_MINGW_PREFIX}-g++-${NIMLO_MINGW_THREADS} REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${NIMLO_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${NIMLO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Test programs built for Windows run under Wine.
find_program(NIMLO_WINE NAMES wine)
if(NIMLO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${NIMLO_WINE})
endif()
