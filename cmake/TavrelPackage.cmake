# cpack -G DEB: one package with both programs, the help, the desktop files and the man pages.
set(CPACK_PACKAGE_NAME tavrelrex)
set(CPACK_PACKAGE_VENDOR "TavrelREX")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Burst measurement and recording with an A/D card")
# One string: separate strings would become a CMake list, joined with ";".
set(CPACK_PACKAGE_DESCRIPTION "TavrelREX measures bursts from an A/D card (or its simulated\n\
card) at a fixed interval, shows them on charts and records them into sdf and tsd\n\
files. tavrelrex-cli prints, converts and upgrades data files and records without\n\
a window.")
set(CPACK_PACKAGE_CONTACT "TavrelREX developers <tavrelrex@localhost>")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# dpkg-shlibdeps (dpkg-dev) finds the libraries; what is loaded at run time is listed here:
# Qt's window-system plugins and the fonts the forms are drawn with.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic, fonts-ipafont-mincho, libsigrok4")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
include(CPack)
