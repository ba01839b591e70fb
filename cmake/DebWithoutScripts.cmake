# Run by CPack once it has made the package (CPACK_POST_BUILD_SCRIPTS): takes out the
# postinst and postrm CPack writes whenever a shared object lies below /usr/lib. They only
# run ldconfig, which has nothing to do for the one library here, the programs' private
# module in /usr/lib/kvu (the dynamic loader never looks there; the programs open it by
# path), and a postrm alone keeps a removed package in dpkg's "rc" state. CPack has no
# setting for this, so the package is unpacked and packed again without them.
foreach(_deb IN LISTS CPACK_PACKAGE_FILES)
    if(NOT _deb MATCHES "\\.deb$")
        continue()
    endif()
    set(_tree "${CPACK_TOPLEVEL_DIRECTORY}/without-scripts")
    file(REMOVE_RECURSE "${_tree}")
    execute_process(COMMAND "${CPACK_KVU_DPKG_DEB}" --raw-extract "${_deb}" "${_tree}" RESULT_VARIABLE _rc)
    if(NOT _rc EQUAL 0)
        message(FATAL_ERROR "dpkg-deb could not unpack ${_deb}")
    endif()
    file(REMOVE "${_tree}/DEBIAN/postinst" "${_tree}/DEBIAN/postrm")
    execute_process(COMMAND "${CPACK_KVU_DPKG_DEB}" --root-owner-group --build "${_tree}" "${_deb}"
                    OUTPUT_QUIET RESULT_VARIABLE _rc)
    if(NOT _rc EQUAL 0)
        message(FATAL_ERROR "dpkg-deb could not pack ${_deb} again")
    endif()
    file(REMOVE_RECURSE "${_tree}")
endforeach()
