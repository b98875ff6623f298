# `cmake --install`:
#   bin/kvo-controller
#   libexec/kvo-controller/kvo-batch-server
#   share/kvo-controller/           pictures and message catalogues
#   share/applications/, share/icons/hicolor/, share/metainfo/
# The installed controller finds its files relative to its own executable
# (src/core/installpaths.cpp); the build tree keeps them beside it.

include(GNUInstallDirs)

set(KVO_HOMEPAGE_URL "https://kvo.example" CACHE STRING
  "The product's web site: homepage of the metadata, which expects the screenshot at docs/demo.png below it")

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
