# What an installation brings besides the program: the help file where the program looks for it,
# the desktop menu entries, the icons and the AppStream metadata. The seller's program itself is
# installed by src/app. The same rules make the Debian package (cmake/Package.cmake).
include(GNUInstallDirs)

install(FILES ${CMAKE_SOURCE_DIR}/help/Korvanta.hlp DESTINATION ${CMAKE_INSTALL_DATADIR}/korvanta)
install(FILES ${CMAKE_SOURCE_DIR}/dist/korvanta.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/dist/example.korvanta.korvanta.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# An application icon in the hicolor theme: the SVG, and PNGs rendered from it at build time at
# the sizes menus and panels ask for (not every desktop scales SVG icons).
set(KORVANTA_ICON_SIZES 16 22 24 32 48 64 128 256)
find_program(KORVANTA_RSVG_CONVERT rsvg-convert)
function(korvanta_install_icon name svg)
    install(FILES ${svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${name}.svg)
    if(NOT KORVANTA_RSVG_CONVERT)
        message(WARNING "rsvg-convert (librsvg2-bin) not found: the ${name} icon is installed as SVG only")
        return()
    endif()
    set(pngs)
    foreach(size ${KORVANTA_ICON_SIZES})
        set(dir ${CMAKE_BINARY_DIR}/icons/${size}x${size})
        add_custom_command(OUTPUT ${dir}/${name}.png
            COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
            COMMAND ${KORVANTA_RSVG_CONVERT} -w ${size} -h ${size} -o ${dir}/${name}.png ${svg}
            DEPENDS ${svg} VERBATIM)
        list(APPEND pngs ${dir}/${name}.png)
        install(FILES ${dir}/${name}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
    add_custom_target(${name}_icons ALL DEPENDS ${pngs})
endfunction()

korvanta_install_icon(korvanta ${CMAKE_SOURCE_DIR}/src/app/resources/korvanta.svg)
set(programs korvanta)

# The owner's program, when the build has it (src/owner installs the program): its menu entry,
# icon and metadata.
if(TARGET korvanta-sklad)
    foreach(file korvanta-sklad.desktop)
        if(EXISTS ${CMAKE_SOURCE_DIR}/dist/${file})
            install(FILES ${CMAKE_SOURCE_DIR}/dist/${file} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
        endif()
    endforeach()
    install(FILES ${CMAKE_SOURCE_DIR}/dist/example.korvanta.sklad.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    # Its own icon when there is one, else the seller's under the owner's name.
    set(owner_icon ${CMAKE_SOURCE_DIR}/src/app/resources/korvanta.svg)
    foreach(candidate src/owner/resources/korvanta-sklad.svg dist/korvanta-sklad.svg)
        if(EXISTS ${CMAKE_SOURCE_DIR}/${candidate})
            set(owner_icon ${CMAKE_SOURCE_DIR}/${candidate})
            break()
        endif()
    endforeach()
    korvanta_install_icon(korvanta-sklad ${owner_icon})
    list(APPEND programs korvanta-sklad)
endif()
# The programs an installation holds, one a line, for scripts/check-package.sh.
list(JOIN programs "\n" programs)
file(WRITE ${CMAKE_BINARY_DIR}/installed-programs.txt "${programs}\n")

include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)
