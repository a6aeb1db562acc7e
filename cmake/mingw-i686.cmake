# Cross-compiles for 32-bit Windows with Debian's mingw-w64 (posix thread model: the
# win32 model has no std::mutex). Libraries cross-built by scripts/win-deps.sh are found
# in the staging folder named by WAVEDECK_WIN_STAGE (cache variable or environment).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(WAVEDECK_MINGW i686-w64-mingw32)
set(CMAKE_C_COMPILER ${WAVEDECK_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${WAVEDECK_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${WAVEDECK_MINGW}-windres)
set(CMAKE_AR ${WAVEDECK_MINGW}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${WAVEDECK_MINGW}-gcc-ranlib-posix CACHE FILEPATH "")

if(NOT WAVEDECK_WIN_STAGE AND DEFINED ENV{WAVEDECK_WIN_STAGE})
  set(WAVEDECK_WIN_STAGE $ENV{WAVEDECK_WIN_STAGE})
endif()
# try_compile projects read this file again: hand the stage on to them.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES WAVEDECK_WIN_STAGE)
set(CMAKE_FIND_ROOT_PATH /usr/${WAVEDECK_MINGW} ${WAVEDECK_WIN_STAGE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: the DLL and the programs need no compiler DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine.
find_program(WAVEDECK_WINE wine)
if(WAVEDECK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WAVEDECK_WINE})
endif()
