# The Debian package that scripts/package builds: tarvolin_<version>_<arch>.deb, installed
# under /usr. Library dependencies are found by dpkg-shlibdeps from what the programs link;
# the rest is what they load or look up at run time.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvolin)
set(CPACK_PACKAGE_VENDOR Brelland)
set(CPACK_PACKAGE_CONTACT "Brelland <support@tarvolin.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "disk space analyzer for the desktop and the terminal")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.tarvolin.example/")
# The summary above is the first line; CPack indents this body and turns its empty line into " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tarvolin shows where the space on a computer's disks goes. Pick a folder and
a background scan totals the bytes, files and subfolders of every folder below
it; the result is listed at once and drawn as a bar graph, and drilling into a
folder that was already scanned is instant.

It also lists the largest, oldest and temporary files and the space per file
type, exports the graph image and the folder tree, and shows the free space of
every fixed drive. The package includes tarvolin-cli, which runs the same scans
and reports in a terminal without a display.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's fallback icon theme, and what improves it when present: the fonts the drawings
# ask for, TIFF export, and a browser opener for the help pages.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adwaita-icon-theme")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, qt6-image-formats-plugins, xdg-utils")

include(CPack)
