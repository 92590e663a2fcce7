# Cross-compiling the Windows programs on Debian with mingw-w64 (package
# g++-mingw-w64-x86-64-posix). The posix thread model gives std::thread and
# std::mutex; -static keeps libstdc++, libgcc and winpthread inside the
# programs, so they import nothing but system DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(DEMO_MINGW_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${DEMO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DEMO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${DEMO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${DEMO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine (CTest's cross-compiling emulator).
find_program(DEMO_WINE wine)
if(DEMO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${DEMO_WINE})
endif()
