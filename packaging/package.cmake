# SPDX-License-Identifier: MIT
# SPDX-FileCopyrightText: 2026 The Kestrova developers
# The Debian package, made by `make package` (cpack -G DEB on a build without tests or benchmarks).
set(docDir ${CMAKE_INSTALL_DATADIR}/doc/kestrova)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${docDir})
# Debian ships a native package's changelog compressed, reproducibly (-n drops name and time).
add_custom_command(OUTPUT changelog.gz
                   COMMAND ${GZIP} -9nc ${CMAKE_CURRENT_LIST_DIR}/changelog > changelog.gz
                   DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog VERBATIM)
add_custom_target(kestrova_changelog ALL DEPENDS changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${docDir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrova)
set(CPACK_PACKAGE_VENDOR "The Kestrova developers")
set(CPACK_PACKAGE_CONTACT "The Kestrova developers <developers@kestrova.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Stripped as Debian strips binaries, without the compiler's notes.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/strip.cmake)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beyond the libraries: Qt's platform plugins to open a window at all, a font with the Chinese
# texts and the box-drawing glyphs, Qt's own texts in Chinese, and xdg-open for "打开".
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, fonts-wqy-microhei | fonts-noto-cjk, qt6-translations-l10n, xdg-utils")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "coloured tree listing of a folder and every folder below it")
set(CPACK_PACKAGE_DESCRIPTION
    "Kestrova writes the contents of a folder, and of every folder below it, as a
tree: the folder's path as a bold blue heading, then one line per entry in the
order the file system yields them, each subfolder's contents indented under its
line, folders numbered in green and files in red.
.
The package holds the window, kestrova, with a tree of the desktop's folders
and an output pane that can be searched and copied with its colours, and the
terminal command kestrova-list, which writes the same listing on standard
output. Both are quick on trees of millions of entries and safe on hostile
ones: link loops, special files, unreadable folders and names that are not
valid text.")
include(CPack)
