# The Windows programs, cross-compiled with mingw-w64 (cmake/mingw-w64.cmake):
# the subsystems as on Linux, on the backend of src/platform/win32 (its
# backend.cmake: the system's GL 1.1 and GLU, stb_image for the pictures, winmm
# and the system's MP3 codec for the music). The data folder is the one the
# Linux build generates (DEMO_DATA_DIR), copied beside the programs.
set(DEMO_BACKEND win32)
include(cmake/demo_library.cmake)

# The POSIX calls of the portable code, in their Windows meaning.
include_directories(BEFORE SYSTEM ${CMAKE_SOURCE_DIR}/src/platform/win32/posix)

add_link_options(-static)

add_subdirectory(src)
# demo-capture: PNG frames on the fixed-step clock (no video: it starts no
# ffmpeg), with the options it shares with the other offscreen programs.
add_subdirectory(tools/offscreen-options)
add_subdirectory(tools/capture)
# The music's moves as the keys make them, for the clock probe of the tests.
add_subdirectory(tools/sync-probe)

set(DEMO_DATA_DIR "${CMAKE_SOURCE_DIR}/build/data" CACHE PATH
    "The generated data folder to put beside the programs")
if(EXISTS ${DEMO_DATA_DIR}/.complete)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/data/.complete
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/data
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${DEMO_DATA_DIR} ${CMAKE_BINARY_DIR}/data
    DEPENDS ${DEMO_DATA_DIR}/.complete
    COMMENT "Copying the data folder")
  add_custom_target(data ALL DEPENDS ${CMAKE_BINARY_DIR}/data/.complete)
else()
  message(WARNING "no generated data in ${DEMO_DATA_DIR}: build the Linux build first (tools/setup.sh)")
endif()

if(DEMO_BUILD_TESTS)
  enable_testing()
  add_subdirectory(tests/win32)
endif()
