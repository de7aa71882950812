# What a third-party host builds against: the entry points' header and a package configuration
# that tells where the module is, since the host loads it at run time instead of linking it.
include(CMakePackageConfigHelpers)

install(FILES ${PROJECT_SOURCE_DIR}/include/zrun/suspects.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zrun COMPONENT development)

set(ZRUN_INSTALL_CMAKEDIR "${CMAKE_INSTALL_LIBDIR}/cmake/ZRUNSuspects" CACHE PATH
    "Folder of the CMake package configuration")
configure_package_config_file(
    ${CMAKE_CURRENT_LIST_DIR}/ZRUNSuspectsConfig.cmake.in
    ${PROJECT_BINARY_DIR}/ZRUNSuspectsConfig.cmake
    INSTALL_DESTINATION ${ZRUN_INSTALL_CMAKEDIR}
    PATH_VARS CMAKE_INSTALL_INCLUDEDIR ZRUN_INSTALL_PRIVATEDIR)
# One major version keeps the entry points and the host interfaces' slots.
write_basic_package_version_file(
    ${PROJECT_BINARY_DIR}/ZRUNSuspectsConfigVersion.cmake
    VERSION ${PROJECT_VERSION}
    COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/ZRUNSuspectsConfig.cmake
    ${PROJECT_BINARY_DIR}/ZRUNSuspectsConfigVersion.cmake
    DESTINATION ${ZRUN_INSTALL_CMAKEDIR} COMPONENT development)

# The repository has no licence file yet: one added as LICENSE is installed without more ado.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT runtime)
if(EXISTS ${PROJECT_SOURCE_DIR}/LICENSE)
    install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT runtime)
endif()
