# Installation layout and the Debian package (cpack -G DEB). The version is the
# project's own; every file below takes it from there.
include(GNUInstallDirs)

set(shoupai_share ${CMAKE_INSTALL_DATADIR}/shoupai)
set(shoupai_docs ${CMAKE_INSTALL_DATADIR}/doc/shoupai)
set(shoupai_generated ${CMAKE_BINARY_DIR}/packaging)

install(TARGETS shoupai RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The template copied into each user's home folder on the first start, and the guide.
install(FILES resources/system.ini resources/help.html DESTINATION ${shoupai_share})
install(FILES resources/shoupai.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/shoupai.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(shoupai_package_files)
find_program(SHOUPAI_RSVG_CONVERT rsvg-convert)
if(SHOUPAI_RSVG_CONVERT)
  foreach(size 48 128 256)
    set(png ${shoupai_generated}/icons/${size}/shoupai.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${shoupai_generated}/icons/${size}
      COMMAND ${SHOUPAI_RSVG_CONVERT} -w ${size} -h ${size} -o ${png}
              ${CMAKE_SOURCE_DIR}/resources/shoupai.svg
      DEPENDS ${CMAKE_SOURCE_DIR}/resources/shoupai.svg VERBATIM)
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    list(APPEND shoupai_package_files ${png})
  endforeach()
else()
  message(STATUS "rsvg-convert not found: icons are installed as SVG only")
endif()

# Changelog and manual page carry the version; compressed without a timestamp.
foreach(doc changelog shoupai.1)
  configure_file(packaging/${doc}.in ${shoupai_generated}/${doc} @ONLY)
  add_custom_command(OUTPUT ${shoupai_generated}/${doc}.gz
    COMMAND gzip -9nkf ${shoupai_generated}/${doc}
    DEPENDS ${shoupai_generated}/${doc} VERBATIM)
  list(APPEND shoupai_package_files ${shoupai_generated}/${doc}.gz)
endforeach()
add_custom_target(shoupai_package_files ALL DEPENDS ${shoupai_package_files})
install(FILES packaging/copyright ${shoupai_generated}/changelog.gz DESTINATION ${shoupai_docs})
install(FILES ${shoupai_generated}/shoupai.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME shoupai)
set(CPACK_PACKAGE_VENDOR "Shoupai developers")
set(CPACK_PACKAGE_CONTACT "Shoupai developers <shoupai@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "billing and membership for venues that hand out numbered tags")
set(CPACK_PACKAGE_DESCRIPTION
    "Shoupai (手牌管理系统) shows every tag of a bath house, salon or restaurant on a
board, opens bills on tags, adds goods and services with the serving employee,
and checks out in cash or from a member's card balance, printing a receipt on a
POS printer. It keeps members, goods and stock, staff and wages, statistics and
administrators, in an embedded SQLite file or on a shared PostgreSQL server.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so the library scan cannot see them: the Chinese font of
# the screens and receipts, the two database drivers and the SVG tile pictures.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei, libqt6sql6-sqlite, libqt6sql6-psql, libqt6svg6")
# Qt's own dialog texts in Chinese; the help opens in the desktop's browser.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")
include(CPack)
