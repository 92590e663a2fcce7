# What the browser backend builds on: our GL 1.1 layer over WebGL (src/gl),
# stb_image for the pictures; the page gives the rest (Web Audio, keys).
include(${DEMO_ROOT}/cmake/stb.cmake)

set(DEMO_GL_LIBRARIES demo_gl)
set(DEMO_JPEG_DECODER image/stb/jpeg_stb.cpp)
set(DEMO_JPEG_LIBRARY demo_stb)
set(DEMO_BACKEND_LIBRARIES)
