# SPDX-FileCopyrightText: 2026 pikorama contributors
# SPDX-License-Identifier: GPL-3.0-or-later

# Installation and the Debian package (cpack -G DEB, or the "package" target).
#
# The package's version is the project's (project(... VERSION) in the top
# CMakeLists.txt), released on PIKORAMA_RELEASE_DATE. What goes where:
#   /usr/bin/pikorama
#   /usr/lib/pikorama/modules/libpikorama-media.so   sound and video, loaded on first use
#   /usr/share/applications/org.pikorama.Pikorama.desktop   the menu entry
#   /usr/share/metainfo/org.pikorama.Pikorama.metainfo.xml  software centres
#   /usr/share/icons/hicolor/{48x48,64x64,128x128,256x256,scalable}/apps/
#   /usr/share/doc/pikorama/{copyright,changelog.gz}
#   /usr/share/man/man1/pikorama.1.gz
# The children's stories stay in their own data folders (see README.md);
# the package never writes there, so removing it leaves them alone.

include(GNUInstallDirs)

set(PIKORAMA_APP_ID org.pikorama.Pikorama)
set(PIKORAMA_MAINTAINER "pikorama maintainers <maintainers@users.noreply.c-seed-9c9d5047.example>"
    CACHE STRING "Maintainer line of the Debian package")
set(PIKORAMA_WEB_URL "" CACHE STRING
    "The project's web address; when given, the AppStream metadata names it and the screenshot published under it")
set(PIKORAMA_VERSION ${PROJECT_VERSION})
set(here ${CMAKE_CURRENT_LIST_DIR})
set(generated ${CMAKE_BINARY_DIR}/packaging)

# Generated files: the AppStream metadata and the Debian changelog.
set(OUTPUT ${generated}/${PIKORAMA_APP_ID}.metainfo.xml)
include(${here}/MetaInfo.cmake)
execute_process(COMMAND date -R -u -d ${PIKORAMA_RELEASE_DATE}
                OUTPUT_VARIABLE PIKORAMA_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
configure_file(${here}/changelog.in ${generated}/changelog @ONLY)
execute_process(COMMAND gzip -9nc ${generated}/changelog OUTPUT_FILE ${generated}/changelog.gz
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND gzip -9nc ${here}/pikorama.1 OUTPUT_FILE ${generated}/pikorama.1.gz
                COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${here}/changelog.in ${here}/pikorama.1 ${here}/org.pikorama.Pikorama.metainfo.xml.in)

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS pikorama RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${here}/${PIKORAMA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${generated}/${PIKORAMA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 48 64 128 256)
  install(FILES ${here}/icons/${size}/pikorama.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${here}/icons/pikorama.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${generated}/pikorama.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${here}/copyright ${generated}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pikorama)
set(CPACK_PACKAGE_VENDOR "The pikorama developers")
set(CPACK_PACKAGE_CONTACT "${PIKORAMA_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PIKORAMA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
if(PIKORAMA_WEB_URL)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PIKORAMA_WEB_URL}")
endif()
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "picture-card stories for elementary-school children")
set(CPACK_PACKAGE_DESCRIPTION
"pikorama (ぴこらまつくろ) is a program with which elementary-school
children make picture-card stories and show them. A story is a deck of up
to 30 cards; each card has a picture painted in the built-in editor, a short
typed text and a recorded narration. Stories play full screen, export as
web pages and travel between school computers on USB sticks. All of the
program's texts are Japanese, mostly in hiragana.")
# The libraries it links come from dpkg-shlibdeps; these it needs at run
# time without linking them: the Japanese font, Qt's Japanese standard
# buttons, the GStreamer elements Qt Multimedia plays narrations with
# (playbin, wavparse, pulsesink) and those the story's video is made with
# (x264enc from the ugly set, avenc_aac from libav, mp4mux). Recording and playing go through a
# PulseAudio server, which PipeWire provides on current desktops. The
# stamps of 「はんこ」 are drawn with the Noto Color Emoji font (SIL Open Font
# License 1.1, not shipped in this package); without it the button is hidden.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-ipafont-gothic, qt6-translations-l10n, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-ugly, gstreamer1.0-libav")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pipewire-pulse | pulseaudio, fonts-noto-color-emoji")

include(CPack)
