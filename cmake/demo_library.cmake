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

# The one rule for the sources of every target, libraries, programs and tests:
#   demo_library(NAME [OBJECT] [HERE] [FOLDERS dir...] [EXCEPT file...]
#                [SOURCES file...] [LINKS library...])
# takes the .cpp files of FOLDERS, less EXCEPT, plus SOURCES (a file, a path
# demo_sources gave, or a generator expression), and links LINKS. The paths
# are below src/, or with HERE below the folder of the CMakeLists.txt that
# calls it ("." is that folder), which is then an include folder of the
# library's users too (the tools' own libraries). The short form
#   demo_library(NAME DIR library...)
# is one folder and its links. OBJECT makes an object library (for tests that
# link its objects against stand-ins).
#   demo_program(NAME [HERE] [FOLDERS...] [EXCEPT...] [SOURCES...] [LINKS...])
# makes a program of them the same way; tests/ adds demo_test, which takes a
# test folder's files the same way too. demo_sources(VAR [HERE] ...) is the
# rule itself: the list of files.
function(demo_sources out)
  cmake_parse_arguments(PARSE_ARGV 1 arg "HERE" "" "FOLDERS;EXCEPT;SOURCES")
  set(base ${DEMO_ROOT}/src)
  if(arg_HERE)
    set(base ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  set(sources)
  foreach(dir IN LISTS arg_FOLDERS)
    get_filename_component(dir ${base}/${dir} ABSOLUTE)
    file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  foreach(file IN LISTS arg_EXCEPT)
    get_filename_component(file ${base}/${file} ABSOLUTE)
    list(REMOVE_ITEM sources ${file})
  endforeach()
  foreach(file IN LISTS arg_SOURCES)
    if(file MATCHES "^\\$<" OR IS_ABSOLUTE ${file})
      list(APPEND sources ${file})
    else()
      get_filename_component(file ${base}/${file} ABSOLUTE)
      list(APPEND sources ${file})
    endif()
  endforeach()
  set(${out} ${sources} PARENT_SCOPE)
endfunction()

function(demo_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "OBJECT;HERE" "" "FOLDERS;EXCEPT;SOURCES;LINKS")
  if(arg_UNPARSED_ARGUMENTS)
    list(POP_FRONT arg_UNPARSED_ARGUMENTS dir)
    list(APPEND arg_FOLDERS ${dir})
    list(APPEND arg_LINKS ${arg_UNPARSED_ARGUMENTS})
  endif()
  set(here)
  if(arg_HERE)
    set(here HERE)
  endif()
  demo_sources(sources ${here} FOLDERS ${arg_FOLDERS} EXCEPT ${arg_EXCEPT} SOURCES ${arg_SOURCES})
  if(arg_OBJECT)
    add_library(${name} OBJECT ${sources})
  else()
    add_library(${name} STATIC ${sources})
  endif()
  target_include_directories(${name} PUBLIC ${DEMO_ROOT}/src)
  if(arg_HERE)
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  if(arg_LINKS)
    target_link_libraries(${name} PUBLIC ${arg_LINKS})
  endif()
endfunction()

function(demo_program name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "HERE" "" "FOLDERS;EXCEPT;SOURCES;LINKS")
  set(here)
  if(arg_HERE)
    set(here HERE)
  endif()
  demo_sources(sources ${here} FOLDERS ${arg_FOLDERS} EXCEPT ${arg_EXCEPT} SOURCES ${arg_SOURCES})
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${DEMO_ROOT}/src)
  if(arg_LINKS)
    target_link_libraries(${name} PRIVATE ${arg_LINKS})
  endif()
endfunction()
