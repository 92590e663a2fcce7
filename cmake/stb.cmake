# stb_image from the system (package libstb-dev), as the target demo_stb: the
# one place the browser build, the Windows build and the tests look for it.
# Only its own folder goes on the include path: the rest of /usr/include
# belongs to the host, not to a browser or Windows build. Without it the
# including build stops, unless it set DEMO_STB_OPTIONAL (no demo_stb then).
if(NOT TARGET demo_stb)
  find_path(STB_INCLUDE_PARENT stb/stb_image.h PATHS /usr/include NO_DEFAULT_PATH
            NO_CMAKE_FIND_ROOT_PATH)
  if(STB_INCLUDE_PARENT)
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/stb-include)
    file(CREATE_LINK ${STB_INCLUDE_PARENT}/stb ${CMAKE_BINARY_DIR}/stb-include/stb SYMBOLIC)
    add_library(demo_stb INTERFACE)
    target_include_directories(demo_stb SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/stb-include)
  elseif(NOT DEMO_STB_OPTIONAL)
    message(FATAL_ERROR "stb/stb_image.h was not found (package libstb-dev)")
  endif()
endif()
