# Cross build for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# Only the Windows side is built: host framework, scene library, the plug-in
# DLL and sci-win-check.exe. Tests run under wine64 when it is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SCI_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SCI_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SCI_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${SCI_MINGW_PREFIX}-windres)
set(CMAKE_OBJDUMP ${SCI_MINGW_PREFIX}-objdump CACHE FILEPATH "objdump of the cross toolchain")

set(CMAKE_FIND_ROOT_PATH /usr/${SCI_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The GCC runtime, the C++ library and winpthread linked into every binary:
# without -static the programs need libwinpthread-1.dll beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

find_program(SCI_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(SCI_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SCI_WINE64})
endif()
