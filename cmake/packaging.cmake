# What `cmake --install` puts in place beside the program, and the Debian package CPack makes.
include(GNUInstallDirs)

# The icon is drawn by code at each size the desktop's icon theme takes.
add_executable(make-icon tools/make_icon.cpp)
target_link_libraries(make-icon PRIVATE vorlik_toolkit)
set(icon_files)
foreach(size IN ITEMS 48 128 256)
    set(icon ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size}/vorlik.png)
    add_custom_command(OUTPUT ${icon}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size}
        COMMAND make-icon ${size} ${icon}
        DEPENDS make-icon
        COMMENT "Drawing the ${size}-px icon")
    list(APPEND icon_files ${icon})
    install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(icons ALL DEPENDS ${icon_files})

install(TARGETS vorlik RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/vorlik.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/io.github.vorlik.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorlik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tormelin, a small desktop MIDI toy")
set(CPACK_PACKAGE_DESCRIPTION
    "Pick a MIDI output device, open it and make sound: volume, program and channel bars, a raw "
    "message in hexadecimal, a repeating player, note runs, a ten-voice noise machine and a "
    "musical mouse. The built-in synthesizer needs a General MIDI SoundFont.")
set(CPACK_PACKAGE_CONTACT "Tormelin developers <vorlik@users.noreply.github.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# FluidSynth is loaded only when the built-in synthesizer opens, so no linked library names it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libfluidsynth3)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "timgm6mb-soundfont | fluid-soundfont-gm")
include(CPack)
