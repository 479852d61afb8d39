# Installation and packages.
#
#   cmake --install <build> --prefix <dir>   bin/ the three programs, share/man/man1/ their
#                                            pages, share/doc/thinfilm-calculators/ the copyright
#                                            and changelog; the Python package, if built,
#                                            in lib/python3/dist-packages/thinfilm, its
#                                            metadata in thinfilm-<version>.dist-info beside
#   cpack --config <build>/CPackConfig.cmake  Linux: two Debian packages, thinfilm-calculators
#                                            (install component "programs") and python3-thinfilm
#                                            (component "python", with the maintainer scripts
#                                            in cmake/debian/python3-thinfilm/); Windows: one zip
#
# The version is the project's (the top CMakeLists.txt); the manual pages and the packages
# take it from there, and cmake/debian/changelog must start with an entry for it.
include(GNUInstallDirs)

set(CALC_MAINTAINER "Thin-film calculators maintainers <maintainers@thinfilm-calculators.org>")

set(calc_programs ellcalc optconst waferbow)
install(TARGETS ${calc_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT programs)

if(NOT WIN32)
  # Debian ships manual pages and changelogs compressed, without a name or time stamp inside.
  find_program(CALC_GZIP gzip REQUIRED)
endif()

# calc_install_man_page(<page> <component>): man/<page> (e.g. ellcalc.1) with its version
# filled in (@PROJECT_VERSION@ on its .TH line), compressed on Linux.
function(calc_install_man_page page component)
  string(REGEX REPLACE "^.*\\.([0-9])$" "\\1" section ${page})
  set(configured ${PROJECT_BINARY_DIR}/man/${page})
  configure_file(${PROJECT_SOURCE_DIR}/man/${page} ${configured} @ONLY)
  if(WIN32)
    install(FILES ${configured} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section} COMPONENT ${component})
  else()
    add_custom_command(OUTPUT ${configured}.gz
                       COMMAND ${CALC_GZIP} -9nkf ${configured}
                       DEPENDS ${configured}
                       VERBATIM)
    add_custom_target(man_${page} ALL DEPENDS ${configured}.gz)
    install(FILES ${configured}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section} COMPONENT ${component})
  endif()
endfunction()

foreach(program ${calc_programs})
  calc_install_man_page(${program}.1 programs)
endforeach()

# The copyright file in the machine-readable format, from LICENSE: its copyright line, and
# its text after that line indented by one blank, an empty line written " .".
file(READ ${PROJECT_SOURCE_DIR}/LICENSE calc_license)
if(NOT calc_license MATCHES "\nCopyright \\(c\\) ([^\n]+)\n\n(.*[^\n])\n*$")
  message(FATAL_ERROR "LICENSE: no copyright line followed by the license text")
endif()
set(CALC_COPYRIGHT ${CMAKE_MATCH_1})
string(REPLACE "\n\n" "\n.\n" CALC_LICENSE_TEXT "${CMAKE_MATCH_2}")
string(REPLACE "\n" "\n " CALC_LICENSE_TEXT " ${CALC_LICENSE_TEXT}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/copyright.in ${PROJECT_BINARY_DIR}/doc/copyright @ONLY)

file(STRINGS ${PROJECT_SOURCE_DIR}/cmake/debian/changelog calc_changelog_top LIMIT_COUNT 1)
if(NOT calc_changelog_top MATCHES "^thinfilm-calculators \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "cmake/debian/changelog: its first entry is not for version ${PROJECT_VERSION}")
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog ${PROJECT_BINARY_DIR}/doc/changelog COPYONLY)

# calc_install_package_doc(<package> <component>): the copyright and the changelog, where
# Debian looks for them (share/doc/<package>).
function(calc_install_package_doc package component)
  set(dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package})
  if(WIN32)
    install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_BINARY_DIR}/doc/changelog
            DESTINATION ${dir} COMPONENT ${component})
  else()
    install(FILES ${PROJECT_BINARY_DIR}/doc/copyright DESTINATION ${dir} COMPONENT ${component})
    install(FILES ${PROJECT_BINARY_DIR}/doc/changelog.gz DESTINATION ${dir} COMPONENT ${component})
  endif()
endfunction()

if(NOT WIN32)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/doc/changelog.gz
                     COMMAND ${CALC_GZIP} -9nkf ${PROJECT_BINARY_DIR}/doc/changelog
                     DEPENDS ${PROJECT_BINARY_DIR}/doc/changelog
                     VERBATIM)
  add_custom_target(package_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/doc/changelog.gz)
endif()
calc_install_package_doc(thinfilm-calculators programs)

# The package settings, once every directory has added its install rules (the Python
# package's come later).
function(calc_package)
  set(CPACK_PACKAGE_NAME thinfilm-calculators)
  set(CPACK_PACKAGE_VENDOR "Thin-film calculators maintainers")
  set(CPACK_PACKAGE_CONTACT "${CALC_MAINTAINER}")
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_INSTALL_DIRECTORY ${CPACK_PACKAGE_NAME})
  set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
  set(CPACK_STRIP_FILES ON)
  # The packages, and cpack's work tree, in the build folder whatever the current directory.
  set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)

  if(WIN32)
    # A zip to unpack anywhere: bin\*.exe need nothing beside them.
    set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Ellipsometry, optical constants and wafer bow calculators")
    set(CPACK_GENERATOR ZIP)
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEB_COMPONENT_INSTALL ON)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CALC_MAINTAINER}")
    set(CPACK_DEBIAN_PACKAGE_SOURCE thinfilm-calculators)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # libc and libstdc++, found by dpkg-shlibdeps

    # Each description: a synopsis line, then the text, wrapped before 80 columns.
    set(CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME thinfilm-calculators)
    set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SECTION science)
    string(CONCAT CPACK_DEBIAN_PROGRAMS_DESCRIPTION
           "thin-film optics and wafer bow calculators\n"
           "Three interactive console calculators for silicon-process work, with a\n"
           "dialogue in French: ellcalc (ellipsometry of one film on a substrate),\n"
           "optconst (dielectric function and complex index of silicon-technology\n"
           "materials) and waferbow (wafer bow and film stress).")

    set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-thinfilm)
    set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
    # An extension module works with the Python it was built for only.
    execute_process(COMMAND ${CALC_PYTHON} -c "import sys; print('%d.%d' % sys.version_info[:2])"
                    OUTPUT_VARIABLE python_version OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(python_version MATCHES "^([0-9]+)\\.([0-9]+)$")
      math(EXPR next_minor "${CMAKE_MATCH_2} + 1")
      set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
          "python3 (>= ${python_version}~), python3 (<< ${CMAKE_MATCH_1}.${next_minor}), python3-numpy")
    endif()
    set(CPACK_DEBIAN_PYTHON_PACKAGE_RECOMMENDS python3-matplotlib)  # for the charts
    # Byte code compiled on installation and removed before removal, as Debian's Python
    # packages do: without it, the byte code Python writes beside the modules when root
    # imports them would keep the package's folders, and a namespace package, after a purge.
    set(CPACK_DEBIAN_PYTHON_PACKAGE_CONTROL_EXTRA
        ${PROJECT_SOURCE_DIR}/cmake/debian/python3-thinfilm/postinst
        ${PROJECT_SOURCE_DIR}/cmake/debian/python3-thinfilm/prerm)
    set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
    string(CONCAT CPACK_DEBIAN_PYTHON_DESCRIPTION
           "thin-film calculators' routines for Python\n"
           "The numerical routines of the thin-film calculators (ellipsometry,\n"
           "optical constants of silicon-technology materials, wafer bow and film\n"
           "stress) as Python functions over numpy arrays, with the command\n"
           "python3 -m thinfilm.")
  endif()
  include(CPack)
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL calc_package)
