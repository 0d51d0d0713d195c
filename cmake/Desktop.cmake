# The program as a desktop application: the build tree's data folder, the
# install rules and the Debian package.
#
# Everything that ships lives under one reverse-DNS id (TOVISCA_DESKTOP_ID):
# the desktop entry, the AppStream metainfo and the icons. The games, their
# game definition files and the manual go to share/tovisca, which the program
# finds relative to its executable (TInstallPaths); the build tree mirrors that
# folder in ${TOVISCA_STAGE_DIR} beside app/.

set(TOVISCA_DESKTOP_DIR "${PROJECT_SOURCE_DIR}/desktop")
file(GLOB TOVISCA_GAMES CONFIGURE_DEPENDS
  "${PROJECT_SOURCE_DIR}/data/*.csv" "${PROJECT_SOURCE_DIR}/data/*.ini")
add_custom_target(tovisca_data ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory "${TOVISCA_STAGE_DIR}"
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TOVISCA_GAMES} "${TOVISCA_STAGE_DIR}"
  COMMENT "Games into the build tree's data folder"
  VERBATIM)
if(TARGET tovisca)
  add_dependencies(tovisca tovisca_data tovisca_manual)
endif()

configure_file("${TOVISCA_DESKTOP_DIR}/${TOVISCA_DESKTOP_ID}.metainfo.xml.in"
               "${CMAKE_BINARY_DIR}/${TOVISCA_DESKTOP_ID}.metainfo.xml" @ONLY)

install(TARGETS tovisca-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET tovisca)
  install(TARGETS tovisca RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES "${TOVISCA_DESKTOP_DIR}/${TOVISCA_DESKTOP_ID}.desktop"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES "${CMAKE_BINARY_DIR}/${TOVISCA_DESKTOP_ID}.metainfo.xml"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES "${TOVISCA_DESKTOP_DIR}/${TOVISCA_DESKTOP_ID}.svg"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES "${TOVISCA_DESKTOP_DIR}/${TOVISCA_DESKTOP_ID}-48.png"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps RENAME ${TOVISCA_DESKTOP_ID}.png)
install(FILES ${TOVISCA_GAMES} DESTINATION ${CMAKE_INSTALL_DATADIR}/tovisca)
install(FILES "${TOVISCA_MANUAL_DIR}/tovisca.qch" "${TOVISCA_MANUAL_DIR}/tovisca.qhc"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/tovisca/manual)

# Debian package (scripts/package). Libraries linked at build time are found
# by dpkg-shlibdeps; what the program opens at run time is named here:
# libcurl and libzip (opened on first use by the update), the SQLite driver
# through which the help engine reads the manual.
# cpack installs only what the install rules name, without building every target.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tovisca)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Projeto Tovisca")
set(CPACK_PACKAGE_CONTACT "Projeto Tovisca <tovisca@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Analisador automático de jogos de loteria")
set(CPACK_PACKAGE_DESCRIPTION
    "Tovisca abre o histórico de sorteios de um jogo de loteria, mostra o CSN de cada sorteio e o estuda em janelas de análise, cada estatística ao lado da sua distribuição sob o acaso.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY tovisca)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/tovisca/tovisca")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4, libzip4, libqt6sql6-sqlite")
# Fonts, and Qt's own Portuguese texts for its dialogs and buttons.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, qt6-translations-l10n")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
