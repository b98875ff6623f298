# Pictures and message catalogues that the controller loads from beside its
# executable: drawn by kvo-artwork and compiled from resources/translations.

if(CMAKE_RUNTIME_OUTPUT_DIRECTORY)
  set(KVO_RUNTIME_DIR ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
else()
  set(KVO_RUNTIME_DIR ${PROJECT_BINARY_DIR})
endif()

add_executable(kvo-artwork tools/kvo_artwork_main.cpp)
target_link_libraries(kvo-artwork PRIVATE kvo)

set(KVO_ARTWORK_FILES player_icon.png player_off.png player_virtual.png)
foreach(layout RANGE 9)
  list(APPEND KVO_ARTWORK_FILES layout${layout}.png)
endforeach()
list(TRANSFORM KVO_ARTWORK_FILES PREPEND ${KVO_RUNTIME_DIR}/)

# The tool is relinked whenever the drawing code changes, and that reruns it.
add_custom_command(
  OUTPUT ${KVO_ARTWORK_FILES}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:kvo-artwork> ${KVO_RUNTIME_DIR}
  DEPENDS kvo-artwork
  COMMENT "Drawing the layout pictures and player icons"
  VERBATIM)
add_custom_target(kvo-artwork-files ALL DEPENDS ${KVO_ARTWORK_FILES})
add_dependencies(kvo-controller kvo-artwork-files)

# kvosvr_<locale>.qm beside the executable; the library depends on them so that
# the tests that load a catalogue find it built.
file(GLOB KVO_TS_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/translations/kvosvr_*.ts)
set_source_files_properties(${KVO_TS_FILES} PROPERTIES OUTPUT_LOCATION ${KVO_RUNTIME_DIR})
qt_add_lrelease(kvo TS_FILES ${KVO_TS_FILES} QM_FILES_OUTPUT_VARIABLE KVO_QM_FILES)
# `cmake --build build --target kvo_lupdate` refreshes the .ts files from the sources.
qt_add_lupdate(kvo TS_FILES ${KVO_TS_FILES} OPTIONS -no-obsolete -locations none)
