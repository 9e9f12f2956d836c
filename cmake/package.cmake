# The Debian package: `cpack -G DEB` in a build folder (scripts/package.sh does it from a clean
# one) packs whatever the install rules put under /usr into brindle_<version>_amd64.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brindle)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Brindle developers")
set(CPACK_PACKAGE_CONTACT "The Brindle developers <brindle@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "build and edit Tarrow images of MDOS floppy disks")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/brindle/brindle")
# CPack puts the summary on the first line and indents these lines under it; an empty line
# separates paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Brindle edits Tarrow images (.trw): files that hold a sequence of MDOS
floppy disks. It adds, removes and formats disks, shows each disk's files,
record header, volume properties and sectors, and moves files in and out as
binary copies, TAP tape images and D80 disk images, and between disks.
Tapes of the other formats (TZX, PZX, CSW, WAV recordings, zipped or not)
import through libspectrum.

The package holds the desktop program brindle and the command-line
companion brindle-cli.")
# The libraries come from dpkg-shlibdeps. Qt loads its window-system plugin at run time, so no
# library names the package that holds it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The packages that keep the MIME and desktop databases and the icon cache watch the folders we
# install into with dpkg file triggers, so the package carries no maintainer scripts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, hicolor-icon-theme")

include(CPack)
