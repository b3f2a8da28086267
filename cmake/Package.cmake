# The Debian package: `cpack -G DEB` in a build tree (scripts/package.sh does
# it in a release build). Dependencies come from the program's own linked
# libraries through dpkg-shlibdeps, so they follow whatever the build used.
set(CPACK_PACKAGE_NAME vollo)
set(CPACK_PACKAGE_VENDOR "Vollo")
set(CPACK_PACKAGE_CONTACT "Vollo developers <developers@vollo.org>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vollo developers <developers@vollo.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Organise documents by category without moving them")
# Lines of the package's description stay within 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "Vollo keeps one shortcut per document and sorts the shortcuts into\ncategories of your own, so a document can belong to several categories\nwhile it stays where it is.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vollo.org")
# The package carries no debugging symbols; the build tree keeps them.
set(CPACK_STRIP_FILES ON)
# Shortcuts are opened and shown through the desktop's own tools; Qt's
# plugins and catalogues give native Wayland windows and Japanese standard
# buttons, and are found at run time, so the linked libraries do not name them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, hicolor-icon-theme, qt6-wayland, qt6-translations-l10n")
include(CPack)
