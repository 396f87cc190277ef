# The Debian package, made by `cpack -G DEB` in the build folder from the install rules:
# korvanta_<version>_<arch>.deb. Build it with CMAKE_INSTALL_PREFIX=/usr and
# KORVANTA_HELP_FROM_SOURCE=OFF (scripts/check-package.sh does), so that the help path built into
# the program is where the package puts the help file.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvanta)
set(CPACK_PACKAGE_VENDOR KORVANTA)
set(CPACK_PACKAGE_CONTACT "KORVANTA <support@korvanta.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sales assistant for a small computer shop")
set(CPACK_PACKAGE_DESCRIPTION
    "The salesperson builds a customer's order from the shop's price lists, sees each item's
description, price and stock, composes a dated order with markup and VAT and prints it;
printing lowers the stock in the price lists. Interface in Russian.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    message(STATUS "A Debian package from this build installs under ${CMAKE_INSTALL_PREFIX}; "
                   "scripts/check-package.sh makes one for /usr")
endif()
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.korvanta.example")
# The libraries the programs link come from dpkg-shlibdeps; among them libqt6svg6 and
# libqt6printsupport6 also bring the plugins Qt loads at run time for SVG pictures and icons and
# for printing. The windowing plugins are only loaded, so they are named here, and so are the
# libraries of the spreadsheet workbook and Qt Charts of the owner's reports, which dpkg-shlibdeps
# would find too, so that the package says so on its own.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6charts6, libxlsxwriter4, libzip4")
# Russian standard dialogs; "Журнал" and the links open through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")

include(CPack)
