# What an installation brings besides the program: the help file where the program looks for it,
# the desktop menu entry and the icon. The program itself is installed by src/app.
include(GNUInstallDirs)

install(FILES ${CMAKE_SOURCE_DIR}/help/Korvanta.hlp DESTINATION ${CMAKE_INSTALL_DATADIR}/korvanta)
install(FILES ${CMAKE_SOURCE_DIR}/dist/korvanta.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/src/app/resources/korvanta.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The owner's program "KORVANTA — склад" (installed by src/owner): its menu entry and icon.
install(FILES ${CMAKE_SOURCE_DIR}/dist/korvanta-sklad.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/src/owner/resources/korvanta-sklad.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
