# Pictures and message catalogues that the controller loads from beside its
# executable in the build tree (share/kvo-controller when installed): drawn by
# kvo-artwork and compiled from resources/translations.

if(CMAKE_RUNTIME_OUTPUT_DIRECTORY)
  set(KVO_RUNTIME_DIR ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
else()
  set(KVO_RUNTIME_DIR ${PROJECT_BINARY_DIR})
endif()

find_package(Qt6 REQUIRED COMPONENTS Svg)
add_executable(kvo-artwork tools/kvo_artwork_main.cpp)
target_link_libraries(kvo-artwork PRIVATE kvo Qt6::Svg)

set(KVO_ARTWORK_FILES player_icon.png player_off.png player_virtual.png)
foreach(layout RANGE 9)
  list(APPEND KVO_ARTWORK_FILES layout${layout}.png)
endforeach()
list(TRANSFORM KVO_ARTWORK_FILES PREPEND ${KVO_RUNTIME_DIR}/)
# The application's icon for the desktop's icon theme, installed under share/icons.
set(KVO_ICON_THEME_DIR ${PROJECT_BINARY_DIR}/icons)
set(KVO_ICON_FILES ${KVO_ICON_THEME_DIR}/hicolor/scalable/apps/${KVO_APP_ID}.svg)
foreach(size 16 22 24 32 48 64 128 256)
  list(APPEND KVO_ICON_FILES ${KVO_ICON_THEME_DIR}/hicolor/${size}x${size}/apps/${KVO_APP_ID}.png)
endforeach()

# The tool is relinked whenever the drawing code changes, and that reruns it.
add_custom_command(
  OUTPUT ${KVO_ARTWORK_FILES} ${KVO_ICON_FILES}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:kvo-artwork>
          ${KVO_RUNTIME_DIR} ${KVO_ICON_THEME_DIR} ${KVO_APP_ID}
  DEPENDS kvo-artwork
  COMMENT "Drawing the layout pictures, player icons and the application's icon"
  VERBATIM)
add_custom_target(kvo-artwork-files ALL DEPENDS ${KVO_ARTWORK_FILES} ${KVO_ICON_FILES})
add_dependencies(kvo-controller kvo-artwork-files)

# kvosvr_<locale>.qm beside the executable; the library depends on them so that
# the tests that load a catalogue find it built.
file(GLOB KVO_TS_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/translations/kvosvr_*.ts)
set_source_files_properties(${KVO_TS_FILES} PROPERTIES OUTPUT_LOCATION ${KVO_RUNTIME_DIR})
qt_add_lrelease(kvo TS_FILES ${KVO_TS_FILES} QM_FILES_OUTPUT_VARIABLE KVO_QM_FILES)
# `cmake --build build --target kvo_lupdate` refreshes the .ts files from the sources.
qt_add_lupdate(kvo TS_FILES ${KVO_TS_FILES} OPTIONS -no-obsolete -locations none)
