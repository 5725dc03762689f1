# The Debian package of a normal build: `cpack` in the build folder (tools/package.sh) or
# the `package` target. Every deliverable and its data files go to QUARNEL_PACKAGE_DIR,
# one folder as in an installation; the files a Debian system expects elsewhere (the
# tools on the PATH, the udev rule, the service units, desktop entries and icons, the
# documents) are installed by installer/package/ as the component "system", which
# `cmake --install` leaves out.

# Where the package puts the deliverables.
set(QUARNEL_PACKAGE_DIR /usr/lib/quarnel)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quarnel-dmx)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quarnel")
set(CPACK_PACKAGE_CONTACT "Quarnel DMX patch maintainers <dmx-patch@quarnel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "DMX output for Quarnel light shows through Open DMX USB interfaces")
set(CPACK_PACKAGE_DESCRIPTION
    "The DMX-output patch of the Quarnel light-show sequencer: shows drive DMX512\n"
    "fixtures through low-cost Open DMX USB interfaces, for which the PC makes the\n"
    "DMX signal itself.\n"
    "\n"
    "It holds the DMX output server QuarnelOpenDMX (frames over UDP, a frame every\n"
    "26 ms) with system services that start it at boot, the web diagnostics server\n"
    "that lights one channel at a time from a phone, the converter DMXRecaster that\n"
    "recasts sequences as steady DMX levels, the sequence data library and the\n"
    "tools dmxsend, dlstool and adtgdump.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)

# One folder for the deliverables; absolute paths for everything else.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX ${QUARNEL_PACKAGE_DIR})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified system)

execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE QUARNEL_DEB_ARCH
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT QUARNEL_DEB_ARCH)
  set(QUARNEL_DEB_ARCH amd64)
endif()
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${QUARNEL_DEB_ARCH})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# What `cpack` makes.
set(QUARNEL_DEB_FILE
    ${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_NAME}_${CPACK_PACKAGE_VERSION}_${QUARNEL_DEB_ARCH}.deb)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the programs link give the rest of the dependencies.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adduser")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/installer/package/conffiles
    ${PROJECT_SOURCE_DIR}/installer/package/postinst
    ${CMAKE_BINARY_DIR}/installer/package/staged/prerm
    ${PROJECT_SOURCE_DIR}/installer/package/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
