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
#   DEMO_PROGRAMS           whether demo and demo-windowed are built here
#   DEMO_PROGRAM_PROPERTIES target properties those two programs take
#   DEMO_GL_LAYER           whether the GL layer over ES 2 (src/gl) is built
#   DEMO_GL_LAYER_SOURCES   what that layer takes besides (its WebGL binding)
include(${DEMO_ROOT}/src/platform/${DEMO_BACKEND}/backend.cmake)

# One library per subsystem, the one rule for the sources of them all:
#   demo_library(NAME [OBJECT] [FOLDERS dir...] [EXCEPT file...] [SOURCES file...]
#                [LINKS library...])
# takes the .cpp files of FOLDERS (below src/), less EXCEPT, plus SOURCES
# (below src/, or a generator expression), and links LINKS. The short form
#   demo_library(NAME DIR library...)
# is one folder and its links. OBJECT makes an object library (for tests that
# link its objects against stand-ins).
function(demo_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "OBJECT" "" "FOLDERS;EXCEPT;SOURCES;LINKS")
  if(arg_UNPARSED_ARGUMENTS)
    list(POP_FRONT arg_UNPARSED_ARGUMENTS dir)
    list(APPEND arg_FOLDERS ${dir})
    list(APPEND arg_LINKS ${arg_UNPARSED_ARGUMENTS})
  endif()
  set(sources)
  foreach(dir IN LISTS arg_FOLDERS)
    file(GLOB found CONFIGURE_DEPENDS ${DEMO_ROOT}/src/${dir}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  foreach(file IN LISTS arg_EXCEPT)
    list(REMOVE_ITEM sources ${DEMO_ROOT}/src/${file})
  endforeach()
  foreach(file IN LISTS arg_SOURCES)
    if(file MATCHES "^\\$<")
      list(APPEND sources ${file})
    else()
      list(APPEND sources ${DEMO_ROOT}/src/${file})
    endif()
  endforeach()
  if(arg_OBJECT)
    add_library(${name} OBJECT ${sources})
  else()
    add_library(${name} STATIC ${sources})
  endif()
  target_include_directories(${name} PUBLIC ${DEMO_ROOT}/src)
  if(arg_LINKS)
    target_link_libraries(${name} PUBLIC ${arg_LINKS})
  endif()
endfunction()
