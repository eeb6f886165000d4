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

# The manual page and the changelog go in compressed as Debian's tools would compress them: at
# the highest level, without the file's name and time, so that the same sources give the same
# package.
set(compressed_files)
foreach(source IN ITEMS vorlik.1 changelog)
    set(compressed ${CMAKE_CURRENT_BINARY_DIR}/packaging/${source}.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/packaging/${source}
                ${CMAKE_CURRENT_BINARY_DIR}/packaging/${source}
        COMMAND gzip -9nf ${CMAKE_CURRENT_BINARY_DIR}/packaging/${source}
        DEPENDS packaging/${source}
        COMMENT "Compressing ${source}")
    list(APPEND compressed_files ${compressed})
endforeach()
add_custom_target(package-files ALL DEPENDS ${icon_files} ${compressed_files})

install(TARGETS vorlik RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/vorlik.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/io.github.vorlik.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/vorlik.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/copyright ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorlik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tormelin, a small desktop MIDI toy")
# The long description in lines that package tools show as they are; joined with newlines, since
# a CMake list would show its semicolons.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Pick a MIDI output device, open it and make sound: volume, program and"
    "channel bars, a raw message in hexadecimal, a repeating player, note runs,"
    "a ten-voice noise machine and a musical mouse. The built-in synthesizer"
    "needs a General MIDI SoundFont.")
# An address in a domain reserved never to exist, so that no one else receives its mail.
set(CPACK_PACKAGE_CONTACT "Tormelin developers <vorlik@tormelin.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The packaged program without its debug information, which the build folder keeps.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# FluidSynth is loaded only when the built-in synthesizer opens, so no linked library names it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libfluidsynth3)
# Qt's Wayland platform lets the program run natively in a Wayland session.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "timgm6mb-soundfont | fluid-soundfont-gm, qt6-wayland")
include(CPack)
