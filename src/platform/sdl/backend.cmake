# What the SDL2 backend (Linux) builds on: SDL2 for the window, keys and the
# fallback audio, libpulse and libmpg123 for the music, the system's GL and
# GLU, libjpeg for the pictures.
find_package(PkgConfig REQUIRED)
find_package(SDL2 REQUIRED)
pkg_check_modules(MPG123 REQUIRED IMPORTED_TARGET libmpg123)
pkg_check_modules(PULSE REQUIRED IMPORTED_TARGET libpulse)
find_package(JPEG REQUIRED)
set(OpenGL_GL_PREFERENCE GLVND)
find_package(OpenGL REQUIRED COMPONENTS OpenGL)
find_library(GLU_LIBRARY GLU REQUIRED)

set(DEMO_GL_LIBRARIES OpenGL::OpenGL ${GLU_LIBRARY})
set(DEMO_JPEG_DECODER image/libjpeg/jpeg_libjpeg.cpp)
set(DEMO_JPEG_LIBRARY JPEG::JPEG)
set(DEMO_BACKEND_LIBRARIES SDL2::SDL2 PkgConfig::MPG123 PkgConfig::PULSE)
# The desktop programs, demo and demo-windowed; the GL layer over ES 2 too,
# for its tests.
set(DEMO_PROGRAMS ON)
set(DEMO_PROGRAM_PROPERTIES)
set(DEMO_GL_LAYER ON)
