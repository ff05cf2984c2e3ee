# Installation and the Debian package.
#
#   bin/kwzview                          the program (its RPATH finds the libraries below)
#   <libdir>/lib<Name>.so.<version>      Gaugit, Rast, Profo, Tikko, ZCAPAPI with so-name links
#   <libdir>/pkgconfig/<name>.pc         gaugit, rast, profo, tikko, zcapapi
#   include/kwzview/*.h                  the public C headers
#   share/applications, share/mime/packages, share/icons/hicolor, share/metainfo, share/man/man1
#   share/kwzview/                       the installed data folder: Doc/ holds the manual
#
# The program tells an installed copy from a build by share/kwzview beside its bin folder, so
# bin and share keep their usual names. Static helpers (kwzplatform, *_core) stay in the build.

include(GNUInstallDirs)

set(KWZ_INSTALLED_LIBRARIES Gaugit Rast Profo Tikko ZCAPAPI)
foreach(library ${KWZ_INSTALLED_LIBRARIES})
    if(NOT TARGET ${library})
        message(STATUS "Installation skipped: ${library} is not built")
        return()
    endif()
endforeach()

# The libraries find each other beside themselves and the program finds them relative to
# itself, so any prefix works without LD_LIBRARY_PATH.
file(RELATIVE_PATH bin_to_lib /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
set_target_properties(${KWZ_INSTALLED_LIBRARIES} PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS ${KWZ_INSTALLED_LIBRARIES} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/kwztypes.h ${PROJECT_SOURCE_DIR}/include/gaugit.h
              ${PROJECT_SOURCE_DIR}/include/rast.h ${PROJECT_SOURCE_DIR}/include/profo.h
              ${PROJECT_SOURCE_DIR}/include/tikko.h ${PROJECT_SOURCE_DIR}/include/zcapapi.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kwzview)

# pkg-config files locate the prefix from their own folder, so they stay right when the
# installation goes elsewhere than the configured prefix (cmake --install --prefix, packages).
file(RELATIVE_PATH KWZ_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" KWZ_PC_TO_PREFIX "${KWZ_PC_TO_PREFIX}")
set(pc_gaugit "Gaugit" "kwzview measurement engine: calibrated measurement graphics" "")
set(pc_rast "Rast" "kwzview bitmap object, display and measurement files" "gaugit")
set(pc_profo "Profo" "kwzview INI settings store" "")
set(pc_tikko "Tikko" "kwzview stop-watches and delays" "")
set(pc_zcapapi "ZCAPAPI" "kwzview camera interface: simulated and V4L2 cameras" "")
foreach(KWZ_PC_NAME gaugit rast profo tikko zcapapi)
    list(GET pc_${KWZ_PC_NAME} 0 KWZ_PC_LIBRARY)
    list(GET pc_${KWZ_PC_NAME} 1 KWZ_PC_DESCRIPTION)
    list(GET pc_${KWZ_PC_NAME} 2 KWZ_PC_REQUIRES)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/packaging/library.pc.in
                   ${PROJECT_BINARY_DIR}/pkgconfig/${KWZ_PC_NAME}.pc @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/pkgconfig/${KWZ_PC_NAME}.pc
            DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

# The command-line tool, beside the program, finding the libraries the same way.
if(TARGET kwzmea)
    set_target_properties(kwzmea PROPERTIES INSTALL_RPATH "$ORIGIN/${bin_to_lib}")
    install(TARGETS kwzmea RUNTIME DESTINATION bin)
    install(FILES ${PROJECT_SOURCE_DIR}/tools/kwzmea/kwzmea.1 DESTINATION share/man/man1)
endif()

if(NOT TARGET kwzview)
    return()
endif()

set_target_properties(kwzview PROPERTIES INSTALL_RPATH "$ORIGIN/${bin_to_lib}")
install(TARGETS kwzview RUNTIME DESTINATION bin)

set(data ${PROJECT_SOURCE_DIR}/data)
install(FILES ${data}/applications/kwzview.desktop DESTINATION share/applications)
install(FILES ${data}/mime/packages/kwzview.xml DESTINATION share/mime/packages)
install(DIRECTORY ${data}/icons/hicolor DESTINATION share/icons)
configure_file(${data}/metainfo/org.kwzview.kwzview.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/data/org.kwzview.kwzview.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/data/org.kwzview.kwzview.metainfo.xml
        DESTINATION share/metainfo)
configure_file(${data}/man/kwzview.1.in ${PROJECT_BINARY_DIR}/data/kwzview.1 @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/data/kwzview.1 DESTINATION share/man/man1)

# The data folder always exists in an installation (it marks one); the manual's files join it
# from Doc/ as they are written, without changes here.
install(DIRECTORY DESTINATION share/kwzview/Doc)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/Doc/ DESTINATION share/kwzview/Doc OPTIONAL)

# cpack -G DEB: one package "kwzview" with the program, the libraries and their headers.
set(CPACK_PACKAGE_NAME kwzview)
set(CPACK_PACKAGE_VENDOR "kwzview")
set(CPACK_PACKAGE_CONTACT "kwzview maintainers <kwzview@localhost>"
    CACHE STRING "Maintainer of the Debian package")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "microscope camera viewer with calibrated measurement")
set(CPACK_PACKAGE_DESCRIPTION
    "kwzview shows the live picture of a digital microscope or industrial camera (or of a
simulated one), captures still images singly or on a timer, records AVI videos and adjusts
the picture. On still images it measures lines, rectangles, circles, ellipses, angles and
polygons against a calibrated ruler and saves image and measurements in one .Mea file.
The package also holds its libraries with their C headers and pkg-config files.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Fonts are found by name at run time, so no library dependency brings them in; nor do Qt's
# own translations of its dialogs, loaded as files, nor the image reader plugin that Import
# Picture reads TIFF files with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-wqy-microhei, fonts-liberation2 | fonts-liberation, fonts-dejavu-core, qt6-translations-l10n, qt6-image-formats-plugins")
# xdg-utils opens the manual and folders; the Wayland plugin lets Qt run natively there; the
# desktop and MIME databases make a double-click on a .mea file open the program.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "xdg-utils, qt6-wayland, desktop-file-utils, shared-mime-info")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/packaging/postinst
                                       ${PROJECT_SOURCE_DIR}/cmake/packaging/postrm
                                       ${PROJECT_SOURCE_DIR}/cmake/packaging/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_GENERATOR DEB)
include(CPack)
