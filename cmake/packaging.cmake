# Installation and packages.
#
#   cmake --install <build> --prefix <dir>   bin/ the three programs, share/man/man1/ their pages
#   cpack --config <build>/CPackConfig.cmake a Debian package (Linux build) or a zip (Windows build)
include(GNUInstallDirs)

set(calc_programs ellcalc optconst waferbow)
install(TARGETS ${calc_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
foreach(program ${calc_programs})
  install(FILES ${PROJECT_SOURCE_DIR}/man/${program}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

set(CPACK_PACKAGE_NAME thinfilm-calculators)
set(CPACK_PACKAGE_VENDOR "Thin-film calculators maintainers")
set(CPACK_PACKAGE_CONTACT "Thin-film calculators maintainers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Ellipsometry, optical constants and wafer bow calculators")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Three interactive console calculators for silicon-process work, with a dialogue in French: "
       "ellcalc (ellipsometry of one film on a substrate), optconst (dielectric function and complex "
       "index of silicon-technology materials) and waferbow (wafer bow and film stress).")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY ${CPACK_PACKAGE_NAME})
set(CPACK_STRIP_FILES ON)
# The packages, and cpack's work tree, in the build folder whatever the current directory.
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)

if(WIN32)
  # A zip to unpack anywhere: bin\*.exe need nothing beside them.
  set(CPACK_GENERATOR ZIP)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # libc and libstdc++, found by dpkg-shlibdeps
endif()

include(CPack)
