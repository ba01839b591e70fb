# Installation and the Debian package.
#
#   cmake --install build --prefix DIR     the programs, help, desktop entry, icons, metainfo,
#                                          manual pages and bash completion under DIR
#   cmake --build build --target package   the same as a .deb in the build folder
#
# The manual page of kvuctl and the bash completion are made from kvuctl's command table
# by kvuctl-docs, and the PNG icons by kvu-icons from the code that draws the window's
# icon, so none of them can fall behind the program.

include(GNUInstallDirs)

set(KVU_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
set(KVU_PACKAGE_MAINTAINER "Velqor Vuzuvurizod <kvu@velqorvuzuvurizod.com>"
    CACHE STRING "The Maintainer field of the Debian package")

set(_pkg_src ${PROJECT_SOURCE_DIR}/packaging)
set(_pkg_out ${PROJECT_BINARY_DIR}/packaging)

install(TARGETS kvu kvuctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
                           BUNDLE DESTINATION .)
# The PNG and JPEG support, which the programs load when a picture needs it.
install(TARGETS kvu-picture-codecs LIBRARY DESTINATION ${KVU_PICTURE_CODECS_DIR})
# The help (pages and pictures) is installed by src/gui, which makes it.

if(NOT UNIX OR APPLE)
    return()
endif()

install(TARGETS tarvo3-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The build-time tools.
qt_add_executable(kvuctl-docs ${_pkg_src}/tools/FillDocs.cpp)
target_link_libraries(kvuctl-docs PRIVATE kvuctllib)
qt_add_executable(kvu-icons ${_pkg_src}/tools/WriteIcons.cpp)
target_link_libraries(kvu-icons PRIVATE kvugui)

set(KVU_ICON_SIZES 16 22 24 32 48 64 128 256)
set(_icon_files)
foreach(_size IN LISTS KVU_ICON_SIZES)
    list(APPEND _icon_files ${_pkg_out}/icons/${_size}x${_size}/apps/kvu.png)
endforeach()
add_custom_command(OUTPUT ${_icon_files}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            $<TARGET_FILE:kvu-icons> ${_pkg_out}/icons ${KVU_ICON_SIZES}
    DEPENDS kvu-icons
    COMMENT "Painting the program's icons")

# From kvuctl's command table.
add_custom_command(OUTPUT ${_pkg_out}/kvuctl ${_pkg_out}/man/kvuctl.1
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_pkg_out}/man
    COMMAND kvuctl-docs ${_pkg_src}/kvuctl.bash-completion.in ${_pkg_out}/kvuctl
    COMMAND kvuctl-docs ${_pkg_src}/man/kvuctl.1.in ${_pkg_out}/man/kvuctl.1
    DEPENDS kvuctl-docs ${_pkg_src}/kvuctl.bash-completion.in ${_pkg_src}/man/kvuctl.1.in
    COMMENT "Writing kvuctl's manual page and bash completion from its command table")

configure_file(${_pkg_src}/man/kvu.1.in ${_pkg_out}/man/kvu.1 @ONLY)
configure_file(${_pkg_src}/man/tarvo3-sim.1.in ${_pkg_out}/man/tarvo3-sim.1 @ONLY)
configure_file(${_pkg_src}/kvu.metainfo.xml.in
               ${_pkg_out}/com.velqorvuzuvurizod.kvu.metainfo.xml @ONLY)

# Debian keeps manual pages compressed.
find_program(KVU_GZIP gzip)
set(_man_files)
foreach(_page kvu kvuctl tarvo3-sim)
    if(KVU_GZIP)
        add_custom_command(OUTPUT ${_pkg_out}/man/${_page}.1.gz
            COMMAND ${KVU_GZIP} -9nc ${_pkg_out}/man/${_page}.1 > ${_pkg_out}/man/${_page}.1.gz
            DEPENDS ${_pkg_out}/man/${_page}.1)
        list(APPEND _man_files ${_pkg_out}/man/${_page}.1.gz)
    else()
        list(APPEND _man_files ${_pkg_out}/man/${_page}.1)
    endif()
endforeach()

set(_changelog ${_pkg_src}/changelog)
if(KVU_GZIP)
    add_custom_command(OUTPUT ${_pkg_out}/changelog.gz
        COMMAND ${KVU_GZIP} -9nc ${_pkg_src}/changelog > ${_pkg_out}/changelog.gz
        DEPENDS ${_pkg_src}/changelog)
    set(_changelog ${_pkg_out}/changelog.gz)
endif()

add_custom_target(kvu-package-files ALL
    DEPENDS ${_icon_files} ${_pkg_out}/kvuctl ${_man_files} ${_changelog})

install(FILES ${_pkg_src}/kvu.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_pkg_out}/com.velqorvuzuvurizod.kvu.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_pkg_src}/kvu-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME kvu.xml)
install(DIRECTORY ${_pkg_out}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${_pkg_src}/kvu.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${_man_files} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_pkg_out}/kvuctl DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
# Debian keeps it under the package's name.
install(FILES ${_pkg_src}/copyright ${_changelog} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kvu)
# What lintian is told to let pass, each with its reason (see the file).
install(FILES ${_pkg_src}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME kvu)
# strip (the package's, with CPACK_STRIP_FILES) leaves the compilers' notes in .comment,
# which an installed program has no use for; Debian's own packaging removes them too.
if(CMAKE_OBJCOPY)
    install(CODE "
        if(CMAKE_INSTALL_DO_STRIP)
            foreach(_f bin/$<TARGET_FILE_NAME:kvu> bin/$<TARGET_FILE_NAME:kvuctl>
                       bin/$<TARGET_FILE_NAME:tarvo3-sim>
                       ${KVU_PICTURE_CODECS_DIR}/$<TARGET_FILE_NAME:kvu-picture-codecs>)
                execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                                        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${_f}\"
                                RESULT_VARIABLE _rc)
                if(NOT _rc EQUAL 0)
                    message(FATAL_ERROR \"objcopy failed on \${_f}\")
                endif()
            endforeach()
        endif()")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kvu)
set(CPACK_PACKAGE_VENDOR "Velqor Vuzuvurizod")
set(CPACK_PACKAGE_VERSION ${KVU_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration utility for Tarvo3 printers")
set(CPACK_PACKAGE_DESCRIPTION
    "KVU programs a Tarvo3 printer over a serial port: its power-up attributes,\n"
    "the supervisory queries, macros and files, logos in its eight slots, and the\n"
    "settings of its Bluetooth and WLAN modules. The package holds the desktop\n"
    "program kvu, kvuctl for provisioning printers by script, and tarvo3-sim, a\n"
    "simulated printer for trying KVU without hardware.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KVU_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# No maintainer scripts (see the script).
find_program(KVU_DPKG_DEB dpkg-deb)
if(KVU_DPKG_DEB)
    set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/DebWithoutScripts.cmake)
    set(CPACK_KVU_DPKG_DEB ${KVU_DPKG_DEB})
endif()
# The provisioning record's database drivers are Qt plugins, which shlibdeps cannot see.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql")
include(CPack)
