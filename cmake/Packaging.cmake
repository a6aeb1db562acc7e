# Installed like any Linux application: the editor's launcher, icon, file types and
# AppStream data, the manual pages, and a Debian package of it all (cpack -G DEB).

foreach(page wavedeck wavedeck-gui)
  if(page STREQUAL "wavedeck-gui" AND NOT WAVEDECK_BUILD_DESKTOP)
    continue()
  endif()
  configure_file(docs/man/${page}.1 ${CMAKE_BINARY_DIR}/man/${page}.1 @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/man/${page}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

if(WAVEDECK_BUILD_DESKTOP)
  set(WAVEDECK_APP_ID org.wavedeck.WaveDeck)
  configure_file(desktop/data/${WAVEDECK_APP_ID}.metainfo.xml ${CMAKE_BINARY_DIR}/${WAVEDECK_APP_ID}.metainfo.xml @ONLY)
  install(FILES desktop/data/${WAVEDECK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES desktop/data/${WAVEDECK_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${CMAKE_BINARY_DIR}/${WAVEDECK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES desktop/data/${WAVEDECK_APP_ID}.mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
          RENAME ${WAVEDECK_APP_ID}.xml)
endif()

set(CPACK_PACKAGE_NAME wavedeck)
set(CPACK_PACKAGE_VENDOR "The WaveDeck developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "audio editor: cut, mix, record and convert sound files")
set(CPACK_PACKAGE_DESCRIPTION "WaveDeck opens WAV, AIFF, MP3, Ogg Vorbis, WMA and audio-CD tracks, edits them,
applies effects, records and saves as WAV, MP3, WMA or Ogg Vorbis. The package holds the
desktop editor wavedeck-gui, the command-line host wavedeck and the library with its headers.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The WaveDeck developers <maintainers@wavedeck.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The shared libraries' packages come from dpkg-shlibdeps; the library draws its text
# with a scalable font that fontconfig must find.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core | fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, librsvg2-common")
set(CPACK_GENERATOR DEB)
include(CPack)
