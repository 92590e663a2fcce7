# What the browser backend builds on: our GL 1.1 layer over WebGL (src/gl),
# stb_image for the pictures; the page gives the rest (Web Audio, keys).
include(${DEMO_ROOT}/cmake/stb.cmake)

set(DEMO_GL_LIBRARIES demo_gl)
set(DEMO_JPEG_DECODER image/stb/jpeg_stb.cpp)
set(DEMO_JPEG_LIBRARY demo_stb)
set(DEMO_BACKEND_LIBRARIES)
# The page's program is web/'s own, drawn through the GL layer.
set(DEMO_PROGRAMS OFF)
set(DEMO_PROGRAM_PROPERTIES)
set(DEMO_GL_LAYER ON)
set(DEMO_GL_LAYER_SOURCES gl/gles_emscripten.cpp)
