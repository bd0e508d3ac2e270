# Installation and the Debian package. The executable and the modules it loads live together in
# lib/vantrel, the one folder the program loads its modules from; bin/vantrel links to it.
set(VANTREL_INSTALL_DIR lib/vantrel)

install(TARGETS vantrel RUNTIME DESTINATION ${VANTREL_INSTALL_DIR})
install(TARGETS PalveroToolLangEng QxCamDetecter QxCamLinkDLLDALSA QxCamLinkDLLVW QxCamLinkDLLHV
    LIBRARY DESTINATION ${VANTREL_INSTALL_DIR})
file(CREATE_LINK ../${VANTREL_INSTALL_DIR}/vantrel ${CMAKE_BINARY_DIR}/vantrel-link SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/vantrel-link DESTINATION bin RENAME vantrel)
install(FILES res/vantrel.desktop DESTINATION share/applications)
# USB3 Vision cameras for the local user (udev looks in lib/udev/rules.d below /usr and /usr/local).
install(FILES res/udev/70-vantrel-usb3vision.rules DESTINATION lib/udev/rules.d)
foreach(size 16 32 48)
    install(FILES res/icons/vantrel-${size}.png
        DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME vantrel.png)
endforeach()
install(FILES README.md DESTINATION share/doc/vantrel)
install(FILES modules/README.md DESTINATION share/doc/vantrel RENAME cameras.md)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Vantrel developers <vantrel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Camera alignment tool for camera-based sensors")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
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
