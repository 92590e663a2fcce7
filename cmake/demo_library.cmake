# How the subsystems become libraries, shared by the desktop build (the
# top-level CMakeLists.txt), the browser build (web/CMakeLists.txt) and the
# Windows build (cmake/windows.cmake).
#
# Before src/ is added the including build sets:
#   DEMO_ROOT           the repository root
#   DEMO_BACKEND        sdl, web or win32: the folder of src/platform/ that is built
#
# The backend's own src/platform/<backend>/backend.cmake then names what it
# builds on, and is the one place where backends differ in the build:
#   DEMO_GL_LIBRARIES       what gives the GL 1.1 + GLU calls (the driver on the
#                           desktop, our layer over WebGL in the browser)
#   DEMO_JPEG_DECODER       the JPEG decoder's source, below src/
#   DEMO_JPEG_LIBRARY       what that decoder needs
#   DEMO_BACKEND_LIBRARIES  what the backend's window, timer and audio need
#   DEMO_BACKEND_SOURCES    shared sources below src/ it builds on besides
#                           platform/*.cpp (the music player over its outputs)
include(${DEMO_ROOT}/src/platform/${DEMO_BACKEND}/backend.cmake)

# The sources of a folder: all its .cpp files.
function(demo_sources out dir)
  file(GLOB sources CONFIGURE_DEPENDS ${DEMO_ROOT}/src/${dir}/*.cpp)
  set(${out} ${sources} PARENT_SCOPE)
endfunction()

# One library per subsystem.
function(demo_library name dir)
  demo_sources(sources ${dir})
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${DEMO_ROOT}/src)
  if(ARGN)
    target_link_libraries(${name} PUBLIC ${ARGN})
  endif()
endfunction()
