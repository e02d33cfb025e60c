# The Debian package: `cpack -G DEB` in a Release build tree makes vandrel_<version>_<arch>.deb
# from what `cmake --install` puts in place; its dependencies come from the binaries.
set(VANDREL_PACKAGE_RELEASE 1)
set(VANDREL_PACKAGE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/vandrel)

install(FILES ${PROJECT_SOURCE_DIR}/resources/package/copyright DESTINATION ${VANDREL_PACKAGE_DOC_DIR})
configure_file(${PROJECT_SOURCE_DIR}/resources/package/changelog.Debian.in
    ${PROJECT_BINARY_DIR}/package/changelog.Debian @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/package/changelog.Debian.gz
    COMMAND gzip -9 -n -c ${PROJECT_BINARY_DIR}/package/changelog.Debian
            > ${PROJECT_BINARY_DIR}/package/changelog.Debian.gz
    DEPENDS ${PROJECT_BINARY_DIR}/package/changelog.Debian
    VERBATIM)
add_custom_target(package_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/package/changelog.Debian.gz)
install(FILES ${PROJECT_BINARY_DIR}/package/changelog.Debian.gz
    DESTINATION ${VANDREL_PACKAGE_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vandrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Quarnweil)
set(CPACK_PACKAGE_CONTACT "Vandrel Developers <developers@vandrel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "configuration and service utility for a telephone converter")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VANDREL_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The long description; CPack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Vandrel configures and services the small telephone converter that sits
between an analog line and ISDN equipment, over a serial port or a USB
adapter: it reads, edits and writes the converter's configuration, keeps
configurations in files, loads firmware into the converter's FLASH and
downloads its FLASH image, resets the converter, changes its access password
and shows its system monitor.

The package holds the desktop program vandrel, the command-line tool
vandrelctl and vandrel-sim, a stand-in converter on a pseudo-terminal.")
include(CPack)
