# Read by cpack once per generator: for the Debian package, the Depends field is what
# dpkg-shlibdeps finds the packaged programs and modules linked with, followed by the packages
# cmake/Install.cmake names by hand.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
    return()
endif()
include(${CPACK_VANTREL_BINARIES_FILE})
# dpkg-shlibdeps wants to run at the top of a Debian source tree.
file(MAKE_DIRECTORY ${CPACK_VANTREL_SHLIBDEPS_DIR}/debian)
file(WRITE ${CPACK_VANTREL_SHLIBDEPS_DIR}/debian/control "")
execute_process(COMMAND dpkg-shlibdeps -O ${VANTREL_PACKAGED_BINARIES}
    WORKING_DIRECTORY ${CPACK_VANTREL_SHLIBDEPS_DIR}
    OUTPUT_VARIABLE _shlibdeps OUTPUT_STRIP_TRAILING_WHITESPACE
    ERROR_VARIABLE _shlibdeps_errors
    RESULT_VARIABLE _shlibdeps_result)
# The binaries are read where they were built, not from a package folder, which it remarks on.
string(REGEX REPLACE "[^\n]*should already be installed in their package's directory\n" ""
    _shlibdeps_errors "${_shlibdeps_errors}")
if(_shlibdeps_errors)
    message(WARNING "${_shlibdeps_errors}")
endif()
if(NOT _shlibdeps_result EQUAL 0 OR NOT _shlibdeps MATCHES "^shlibs:Depends=(.+)$")
    message(FATAL_ERROR "dpkg-shlibdeps failed (${_shlibdeps_result}): ${_shlibdeps}")
endif()
list(PREPEND CPACK_DEBIAN_PACKAGE_DEPENDS "${CMAKE_MATCH_1}")
list(JOIN CPACK_DEBIAN_PACKAGE_DEPENDS ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
