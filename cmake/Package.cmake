# What a desktop needs to offer the game, and the Debian package.
set(VANTORREL_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(VANTORREL_APP_ID org.vantorrel.Vantorrel) # AppStream component id
set(VANTORREL_ICON_SIZES 32 48 64 128 256)     # pixels; drawn by tools/art/icon.py

install(FILES ${VANTORREL_PACKAGING_DIR}/vantorrel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VANTORREL_PACKAGING_DIR}/${VANTORREL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size ${VANTORREL_ICON_SIZES})
  install(FILES ${VANTORREL_PACKAGING_DIR}/icons/${size}x${size}/vantorrel.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# The manual pages, the copyright file and the changelog a Debian package
# carries. Pages and changelog name the project's version, and are
# compressed as Debian wants them: gzip at most compression, without the
# file's name and time, so the same sources give the same bytes.
set(VANTORREL_DOC_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/doc/vantorrel)
set(VERSION ${PROJECT_VERSION})
set(compressedDocs)
set(pages vantorrel.6 changelog)
foreach(tool renderwav levelcheck)
  if(TARGET ${tool})
    list(APPEND pages ${tool}.1)
  endif()
endforeach()
foreach(page ${pages})
  if(page STREQUAL "changelog")
    set(source ${VANTORREL_PACKAGING_DIR}/changelog)
  else()
    set(source ${VANTORREL_PACKAGING_DIR}/man/${page})
  endif()
  configure_file(${source} ${CMAKE_BINARY_DIR}/packaging/${page} @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${page}.gz
    COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/packaging/${page} -c > ${CMAKE_BINARY_DIR}/packaging/${page}.gz
    DEPENDS ${CMAKE_BINARY_DIR}/packaging/${page}
    COMMENT "Compressing ${page}")
  list(APPEND compressedDocs ${CMAKE_BINARY_DIR}/packaging/${page}.gz)
  if(page STREQUAL "changelog")
    install(FILES ${CMAKE_BINARY_DIR}/packaging/${page}.gz DESTINATION ${VANTORREL_DOC_INSTALL_DIR})
  else()
    string(REGEX REPLACE ".*\\." "" section ${page})
    install(FILES ${CMAKE_BINARY_DIR}/packaging/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
  endif()
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${compressedDocs})
install(FILES ${VANTORREL_PACKAGING_DIR}/copyright DESTINATION ${VANTORREL_DOC_INSTALL_DIR})

# `cpack -G DEB` in the build folder: the installed tree under /usr. The
# package's dependencies are the Debian packages of the shared libraries the
# programs link against, as dpkg-shlibdeps finds them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantorrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vantorrel developers")
set(CPACK_PACKAGE_CONTACT "Vantorrel developers <developers@vantorrel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "platform game: wall-jump up to 88mph to get home")
set(CPACK_PACKAGE_DESCRIPTION "Trapped in the past, a pilot runs and kicks off walls to build speed; a
wall kick at 88mph opens the way home. All music and sound is synthesised
live and follows the pilot's moves. Plays with the keyboard or a gamepad.")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
