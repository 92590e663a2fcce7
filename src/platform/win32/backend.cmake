# What the Win32 backend builds on: the system's GL 1.1 and GLU, stb_image
# for the pictures, the window and GDI calls, winmm and the system's MP3 codec
# (msacm32) for the music.
include(${DEMO_ROOT}/cmake/stb.cmake)

set(DEMO_GL_LIBRARIES opengl32 glu32 gdi32)
set(DEMO_JPEG_DECODER image/stb/jpeg_stb.cpp)
set(DEMO_JPEG_LIBRARY demo_stb)
set(DEMO_BACKEND_LIBRARIES user32 gdi32 winmm msacm32)
# The desktop programs, demo.exe and demo-windowed.exe, without a console
# window of their own (what they print still reaches a console or pipe that
# starts them); no GL layer (the system's GL 1.1 is the one they draw with).
set(DEMO_PROGRAMS ON)
set(DEMO_PROGRAM_PROPERTIES WIN32_EXECUTABLE ON)
set(DEMO_GL_LAYER OFF)
