# `cmake --install` and the Debian package (`cpack -G DEB`, scripts/package.sh):
#   bin/kvo-controller
#   libexec/kvo-controller/kvo-batch-server
#   share/kvo-controller/           pictures and message catalogues
#   share/applications/, share/icons/hicolor/, share/metainfo/
#   share/man/man1/kvo-controller.1.gz
#   share/doc/kvo-controller/       copyright and changelog
# The installed controller finds its files relative to its own executable
# (src/core/installpaths.cpp); the build tree keeps them beside it.

include(GNUInstallDirs)

set(KVO_HOMEPAGE_URL "https://kvo.example" CACHE STRING
  "The product's web site: homepage of the package and the metadata, which expect the screenshot at docs/demo.png below it")
set(KVO_MAINTAINER "KVO Controller developers <developers@kvo.example>" CACHE STRING
  "Maintainer of the Debian package")

set(KVO_DATA_DESTINATION ${CMAKE_INSTALL_DATADIR}/kvo-controller)
set(KVO_HELPER_DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/kvo-controller)
file(RELATIVE_PATH KVO_DATA_FROM_BINDIR ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/kvo-controller)
file(RELATIVE_PATH KVO_HELPERS_FROM_BINDIR ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBEXECDIR}/kvo-controller)
set_property(SOURCE src/core/installpaths.cpp APPEND PROPERTY COMPILE_DEFINITIONS
  KVO_DATA_FROM_BINDIR="${KVO_DATA_FROM_BINDIR}"
  KVO_HELPERS_FROM_BINDIR="${KVO_HELPERS_FROM_BINDIR}"
  KVO_APP_ID="${KVO_APP_ID}")

# Folders the install creates are 0755 whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS kvo-controller RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS kvo-batch-server RUNTIME DESTINATION ${KVO_HELPER_DESTINATION})
install(FILES ${KVO_ARTWORK_FILES} ${KVO_QM_FILES} DESTINATION ${KVO_DATA_DESTINATION})
install(FILES resources/desktop/${KVO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${KVO_ICON_THEME_DIR}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
configure_file(resources/desktop/${KVO_APP_ID}.metainfo.xml.in ${KVO_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${KVO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The manual page, and what Debian wants in the package's doc folder: the
# copyright and a changelog; the last two compressed.
execute_process(COMMAND date -u -R -d ${KVO_RELEASE_DATE}
  OUTPUT_VARIABLE KVO_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
  COMMAND_ERROR_IS_FATAL ANY)
configure_file(resources/debian/changelog.in debian/changelog @ONLY)
configure_file(resources/man/kvo-controller.1.in debian/kvo-controller.1 @ONLY)
add_custom_command(
  OUTPUT debian/changelog.gz debian/kvo-controller.1.gz
  COMMAND gzip -9 -n -f -k changelog kvo-controller.1
  DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog ${PROJECT_BINARY_DIR}/debian/kvo-controller.1
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/debian)
add_custom_target(kvo-compressed-docs ALL DEPENDS debian/changelog.gz debian/kvo-controller.1.gz)
install(FILES ${PROJECT_BINARY_DIR}/debian/kvo-controller.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES resources/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kvo-controller)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kvo-controller)
set(CPACK_PACKAGE_VENDOR "KVO Controller developers")
set(CPACK_PACKAGE_CONTACT ${KVO_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "operator's desk for networked digital-signage players")
# Lines of at most 80 characters: Debian's rule for the extended description.
set(CPACK_PACKAGE_DESCRIPTION [[
The KVO Controller runs a fleet of digital-signage players on a local
network. Players register with it over XML-RPC and appear as icons while
they keep calling; the operator starts and stops playback, edits playlists,
sends media files by FTP, changes network, output and schedule settings,
composes ticker messages and reads the players' logs. Virtual players,
folders of the media repository, stand for a player or a group of players.
Players can pull content in bulk from the repository over HTTP, served by
lighttpd.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${KVO_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS lighttpd)
# Qt's own catalogues translate the standard buttons and dialogs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
