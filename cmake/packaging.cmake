# Installs hdmjm as a Linux program (GNU layout under the prefix) and describes its Debian
# package: `cmake --install` and `cpack -G DEB` from a build of the two programs.
include(GNUInstallDirs)

set(packaging ${PROJECT_SOURCE_DIR}/packaging)

install(TARGETS hdmjm hdmjm-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${packaging}/hdmjm.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/hdmjm.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${packaging}/hdmjm-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME hdmjm.xml)
install(FILES ${packaging}/hdmjm.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${packaging}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Debian keeps manual pages and the changelog compressed, without a time stamp (-n).
set(packed ${CMAKE_BINARY_DIR}/packed)
file(MAKE_DIRECTORY ${packed})
add_custom_command(OUTPUT ${packed}/changelog.gz
                   COMMAND gzip -9nc ${packaging}/changelog > ${packed}/changelog.gz
                   DEPENDS ${packaging}/changelog)
set(packed_files ${packed}/changelog.gz)
install(FILES ${packed}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The manual pages are made from the programs' own --help and --version, so that the two never
# say different things. A sanitized build would report leaks of the run, so it makes none.
find_program(HELP2MAN help2man)
if(HELP2MAN AND NOT HDMJM_SANITIZE)
  set(summary_hdmjm "enter the standard cross-section data of the roads of a design scheme")
  set(summary_hdmjm-tool "sample project, JSON dump and resave of hdmjm scheme databases")
  foreach(program hdmjm hdmjm-tool)
    add_custom_command(
      OUTPUT ${packed}/${program}.1.gz
      COMMAND ${HELP2MAN} --no-info --locale=C.UTF-8 --name=${summary_${program}}
              --output=${packed}/${program}.1
              $<TARGET_FILE:${program}>
      COMMAND gzip -9nf ${packed}/${program}.1
      DEPENDS ${program})
    list(APPEND packed_files ${packed}/${program}.1.gz)
    install(FILES ${packed}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
else()
  message(STATUS "help2man not found or a sanitized build: no manual pages")
endif()
add_custom_target(packed_files ALL DEPENDS ${packed_files})

set(CPACK_PACKAGE_NAME hdmjm)
set(CPACK_PACKAGE_VENDOR "hdmjm developers")
set(CPACK_PACKAGE_CONTACT "hdmjm developers <hdmjm@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "road cross-section standard data editor")
set(CPACK_PACKAGE_DESCRIPTION
    "A road designer enters the standard cross-section parameters of every road\n"
    "of a design scheme: per road and per side, tables of segments along the road\n"
    "(width limits, pavement, embankment and cut slopes, ditches, retaining walls\n"
    "and more), edited in grids and kept in the scheme's SQLite database file.\n"
    "hdmjm-tool writes a sample project, dumps a scheme as JSON and resaves it.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Named by hand what no linked library tells: Qt's window-system plugins are only recommended by
# its GUI library, yet without them no window opens; its Chinese catalogues and a Chinese font
# are loaded at run time (without them the standard buttons speak English and the texts show as
# boxes).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-noto-cjk | fonts-wqy-zenhei")
include(CPack)
