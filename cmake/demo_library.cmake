# How the subsystems become libraries, shared by the desktop build (the
# top-level CMakeLists.txt) and the browser build (web/CMakeLists.txt).
#
# Before src/ is added the including build sets:
#   DEMO_ROOT           the repository root
#   DEMO_BACKEND        sdl, web or win32: the folder of src/platform/ that is built
#   DEMO_GL_LIBRARIES   what gives the GL 1.1 + GLU calls (the driver on the
#                       desktop, our layer over WebGL in the browser)
#   DEMO_JPEG_LIBRARY   what the JPEG decoder needs
#
# A few sources exist once per backend; each library takes the one its
# backend names here (a comma list) and leaves out the others.
set(demo_backend_choices
  image/jpeg.cpp            sdl
  image/stb/jpeg_stb.cpp    web,win32)

# The sources of a folder: all its .cpp files, with the backend's choices.
function(demo_sources out dir)
  file(GLOB sources CONFIGURE_DEPENDS ${DEMO_ROOT}/src/${dir}/*.cpp)
  set(choices ${demo_backend_choices})
  while(choices)
    list(POP_FRONT choices file backend)
    string(REGEX REPLACE "/.*" "" file_dir ${file})
    if(NOT file_dir STREQUAL dir)
      continue()
    endif()
    string(REPLACE "," ";" backends ${backend})
    if(DEMO_BACKEND IN_LIST backends)
      list(APPEND sources ${DEMO_ROOT}/src/${file})
    else()
      list(REMOVE_ITEM sources ${DEMO_ROOT}/src/${file})
    endif()
  endwhile()
  list(REMOVE_DUPLICATES sources)
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
