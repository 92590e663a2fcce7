# The compile settings every build shares: the desktop's and the Windows
# build (top-level CMakeLists.txt) and the browser's (web/CMakeLists.txt).
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

option(DEMO_WERROR "Treat warnings as errors" OFF)
add_compile_options(-Wall -Wextra)
if(DEMO_WERROR)
  add_compile_options(-Werror)
endif()

# Programs sit in the build folder root, beside the generated data folder.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
