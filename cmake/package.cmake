# SPDX-License-Identifier: GPL-3.0-or-later
# `make package`: a Debian package of the installed tree, zukanor_VERSION_ARCH.deb in build/.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zukanor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${ZUK_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find and replace text in many files at once")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Directories in the package are 0755 whatever the packager's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ZUK_MAKER_URL}")
# The libraries' packages are found from the binaries, not written here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The extended description; the synopsis is CPACK_PACKAGE_DESCRIPTION_SUMMARY.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Zukanor finds a literal text and replaces it with another in one file,
in every matching file of a directory tree (htm, html, cfm, txt, pl,
asp, php and one extension of your own), or in the text typed into its
window. It can only count, keep a backup of each changed file and roll
the backups back, and write an activity log. Files keep their encoding
and line breaks, and every write is atomic.
.
The package holds the window, zuk, and the same engine on the command
line, zuk-cli, for scripts.")

include(CPack)
