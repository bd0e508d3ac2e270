# Installation and the Debian package. The executable and the modules it loads live together in
# lib/vantrel, the one folder the program loads its modules from; bin/vantrel links to it.
set(VANTREL_INSTALL_DIR lib/vantrel)

# Who answers for the package: its Maintainer field, the changelog's signature and the copyright
# file's contact. example.org is a documented example domain; a distributor puts its own here.
set(VANTREL_MAINTAINER "Vantrel developers <vantrel@example.org>")
set(VANTREL_HOMEPAGE "https://github.com/vantrel/vantrel")
include(cmake/PackageDocs.cmake)

# The programs and the modules they load: the package depends on what these are linked with.
set(VANTREL_PACKAGED_TARGETS vantrel vantrel-check PalveroToolLangEng QxCamDetecter
    QxCamLinkDLLDALSA QxCamLinkDLLVW QxCamLinkDLLHV)
install(TARGETS ${VANTREL_PACKAGED_TARGETS}
    RUNTIME DESTINATION ${VANTREL_INSTALL_DIR} LIBRARY DESTINATION ${VANTREL_INSTALL_DIR})
# Stripped (cmake --install --strip, and cpack) as Debian strips: without the compiler's .comment
# and .note sections either. Symbols are bound at load time, as hardened Debian binaries are.
set(_installed_dir "\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${VANTREL_INSTALL_DIR}")
foreach(target IN LISTS VANTREL_PACKAGED_TARGETS)
    target_link_options(${target} PRIVATE "LINKER:-z,now")
    install(CODE "if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
            \"${_installed_dir}/$<TARGET_FILE_NAME:${target}>\" COMMAND_ERROR_IS_FATAL ANY)
    endif()")
endforeach()
# A program the user runs: bin/<program> links to it, and docs/man/<program>.1.md is its manual
# page. A new program also joins VANTREL_PACKAGED_TARGETS.
function(vantrel_command program)
    file(CREATE_LINK ../${VANTREL_INSTALL_DIR}/${program} ${CMAKE_BINARY_DIR}/${program}-link
        SYMBOLIC)
    install(FILES ${CMAKE_BINARY_DIR}/${program}-link DESTINATION bin RENAME ${program})
    vantrel_man_page(${program} 1)
endfunction()
vantrel_command(vantrel)
vantrel_command(vantrel-check)
# The unattended check for a fleet: a timer that is installed but not enabled, and example
# alerting rules for the Prometheus that scrapes the node exporter.
install(FILES packaging/vantrel-check.service packaging/vantrel-check.timer
    DESTINATION lib/systemd/system)
install(FILES packaging/vantrel-check.rules.yml DESTINATION share/doc/vantrel/examples)
# The desktop entry's name is the AppStream component id, which the metainfo launches.
install(FILES res/io.github.vantrel.Vantrel.desktop DESTINATION share/applications)
install(FILES res/io.github.vantrel.Vantrel.metainfo.xml DESTINATION share/metainfo)
# USB3 Vision cameras for the local user (udev looks in lib/udev/rules.d below /usr and /usr/local).
install(FILES res/udev/70-vantrel-usb3vision.rules DESTINATION lib/udev/rules.d)
# GigE Vision streams for an ordinary account: a socket buffer cap that holds a frame.
install(FILES res/sysctl/60-vantrel-gige.conf DESTINATION lib/sysctl.d)
foreach(size 16 32 48)
    install(FILES res/icons/vantrel-${size}.png
        DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME vantrel.png)
endforeach()
install(FILES README.md DESTINATION share/doc/vantrel)
install(FILES modules/README.md DESTINATION share/doc/vantrel RENAME cameras.md)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${VANTREL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Camera alignment tool for camera-based sensors")
set(CPACK_PACKAGE_DESCRIPTION [=[
Vantrel is the tool a technician runs while mounting and aligning the two
cameras (side and top) of a camera-based sensor installed in front of a
screen. It shows both cameras live with alignment aids (centre guides, a
grid, a focus marker with a focus value), shows their gain, exposure and
temperature, saves PNG snapshots and shows built-in reference pictures of
right- and left-handed installations. Its Alignment Assistant lays the live
picture over the reference and tells which way to turn each camera.

It drives GigE Vision and USB3 Vision cameras through Aravis, and can
simulate the cameras for training and testing.]=])
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VANTREL_HOMEPAGE}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# The package carries no debug symbols.
set(CPACK_STRIP_FILES ON)
# The libraries the packaged programs and modules are linked with, found by dpkg-shlibdeps at
# packaging time (cmake/DebianDepends.cmake). CPack's own scan (CPACK_DEBIAN_PACKAGE_SHLIBDEPS)
# would also call ldconfig from postinst and postrm for any shared object below usr/lib, which
# modules in a private folder do not need.
list(TRANSFORM VANTREL_PACKAGED_TARGETS REPLACE "(.+)" "$<TARGET_FILE:\\1>"
    OUTPUT_VARIABLE _packaged_files)
set(CPACK_VANTREL_BINARIES_FILE ${CMAKE_BINARY_DIR}/package-binaries.cmake)
file(GENERATE OUTPUT ${CPACK_VANTREL_BINARIES_FILE}
    CONTENT "set(VANTREL_PACKAGED_BINARIES \"${_packaged_files}\")\n")
set(CPACK_VANTREL_SHLIBDEPS_DIR ${CMAKE_BINARY_DIR}/shlibdeps)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/DebianDepends.cmake)
# The image codecs library is loaded when the first snapshot is saved, not linked, so the shared
# library scan does not see it; its package is named here.
get_target_property(_codecs_library opencv_imgcodecs IMPORTED_LOCATION_RELEASE)
if(NOT _codecs_library)
    get_target_property(_codecs_library opencv_imgcodecs IMPORTED_LOCATION)
endif()
if(_codecs_library)
    get_filename_component(_codecs_library "${_codecs_library}" REALPATH)
    execute_process(COMMAND dpkg-query -S "${_codecs_library}" OUTPUT_VARIABLE _codecs_owner
        ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
    string(REGEX MATCH "^[^:,]+" _codecs_package "${_codecs_owner}")
endif()
if(_codecs_package)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "${_codecs_package}")
else()
    message(WARNING "No Debian package owns the OpenCV image codecs library; the package will not depend on it")
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-nanum")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(CPack)
