# `cpack -G DEB` from the build folder: one Debian package with the console, the module, its
# libraries, the header and the CMake package configuration, installed under /usr.
set(ZRUN_PACKAGE_MAINTAINER "ZRUN Developers <dev@zrun.invalid>" CACHE STRING
    "Maintainer named in the Debian package")

set(CPACK_PACKAGE_NAME "zrunsuspects")
set(CPACK_PACKAGE_VENDOR "Norvik Software")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ZRUN anti-malware quarantine module and console")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "The user-interface module of the ZRUN anti-malware product (ZRUNSuspects.so):\n"
    "it shows what the protection service has blocked, neutralised or deleted and\n"
    "lets the user act on it. With its resource and utilities libraries, and\n"
    "zrun-console, a host console that loads the module as a third-party host\n"
    "would, with an embedded protection service keeping its quarantine in SQLite.\n"
    "Hosts build against the module's C header and its CMake package\n"
    "configuration (find_package(ZRUNSuspects)).")
set(CPACK_PACKAGE_HOMEPAGE_URL ${PROJECT_HOMEPAGE_URL})
set(CPACK_PACKAGE_CONTACT ${ZRUN_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
if(EXISTS ${PROJECT_SOURCE_DIR}/LICENSE)
    set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
endif()
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${ZRUN_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# The dependencies come from the binaries (dpkg-shlibdeps, of dpkg-dev); the private folder's
# own libraries are found through their $ORIGIN run path.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
# Loaded at run time, so no binary names them: the quarantine's SQLite driver.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
# The file icons of the windows come from an icon theme when the desktop has none.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "adwaita-icon-theme, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
