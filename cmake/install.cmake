# Installation: the programs, the data folder they find at
# PREFIX/share/quelltarn/data, a menu entry and its icon; `cpack -G DEB` makes
# a Debian package of the same.
include(GNUInstallDirs)

install(TARGETS demo demo-windowed demo-capture RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(DEMO_GENERATE_DATA)
  install(DIRECTORY ${CMAKE_BINARY_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/quelltarn/data
          PATTERN .complete EXCLUDE)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/packaging/quelltarn.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The menu entry names the programs by their installed path, which is known
# only when installing (cpack installs under its own prefix).
install(CODE "
  set(QUELLTARN_BINDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  configure_file(\"${CMAKE_SOURCE_DIR}/packaging/quelltarn.desktop.in\"
                 \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications/quelltarn.desktop\"
                 @ONLY)
  message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications/quelltarn.desktop\")
")

set(CPACK_PACKAGE_NAME quelltarn)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_VENDOR "vexdrift")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time demo: four minutes of music and OpenGL pictures")
set(CPACK_PACKAGE_DESCRIPTION
    "A non-interactive audiovisual production: ten timed parts of moving layers, animated 3D scenes, lens flares, particles and procedural water, in step with one soundtrack. demo plays it fullscreen, demo-windowed in a window, demo-capture records it to video.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "vexdrift <demo@vexdrift.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# The libraries the programs link (found by dpkg-shlibdeps) and the GL and
# EGL loaders that SDL opens at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libegl1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri, ffmpeg, python3")
include(CPack)
