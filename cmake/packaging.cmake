# Manual pages, installed documentation and examples, and the Debian package.
#
# Included by the top-level CMakeLists.txt after GNUInstallDirs, which has
# already installed zelkpp and zelk4th to bin/.

# --- Manual pages ------------------------------------------------------------
# The pages are kept as scdoc sources in man/ and turned into roff at build
# time, so that the installed pages always match the sources.
option(ZELK_MANPAGES "Build and install the manual pages (needs scdoc)" ON)
if(ZELK_MANPAGES)
  find_program(SCDOC_EXECUTABLE scdoc)
  if(NOT SCDOC_EXECUTABLE)
    message(FATAL_ERROR
      "scdoc turns the manual pages into roff and was not found: install it "
      "(apt-get install scdoc) or configure with -DZELK_MANPAGES=OFF")
  endif()
  find_program(ZELK_SH sh)
  if(NOT ZELK_SH)
    set(ZELK_SH sh)
  endif()

  set(ZELK_MAN_DIR ${CMAKE_BINARY_DIR}/man)
  file(MAKE_DIRECTORY ${ZELK_MAN_DIR})
  set(ZELK_MAN_PAGES)
  foreach(page zelkpp.1 zelk4th.1)
    set(source ${CMAKE_CURRENT_SOURCE_DIR}/man/${page}.scd)
    set(output ${ZELK_MAN_DIR}/${page})
    # scdoc reads standard input and writes standard output; the page is
    # written under a temporary name first so that a failed run leaves no
    # truncated page behind that make would take as up to date.
    add_custom_command(
      OUTPUT ${output}
      COMMAND ${ZELK_SH} -c "\"$0\" < \"$1\" > \"$2.tmp\" && mv \"$2.tmp\" \"$2\""
              ${SCDOC_EXECUTABLE} ${source} ${output}
      DEPENDS ${source}
      COMMENT "Generating the manual page ${page}"
      VERBATIM)
    list(APPEND ZELK_MAN_PAGES ${output})
  endforeach()
  add_custom_target(manpages ALL DEPENDS ${ZELK_MAN_PAGES})
  install(FILES ${ZELK_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# --- Documentation and examples ----------------------------------------------
# Every model, header and circuit of examples/ is installed; the glob is
# checked again at build time so that a new example needs no edit here.
file(GLOB ZELK_EXAMPLES CONFIGURE_DEPENDS
     ${CMAKE_CURRENT_SOURCE_DIR}/examples/*.va
     ${CMAKE_CURRENT_SOURCE_DIR}/examples/*.vams
     ${CMAKE_CURRENT_SOURCE_DIR}/examples/*.cir)
if(ZELK_EXAMPLES)
  install(FILES ${ZELK_EXAMPLES} DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
endif()
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/docs/guide.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# --- Debian package ----------------------------------------------------------
# `cpack -G DEB` in the build directory builds zelkpp_<version>_<arch>.deb
# with the same files as `cmake --install`, under /usr.
set(CPACK_PACKAGE_NAME zelkpp)
set(CPACK_PACKAGE_VENDOR "zelkpp developers")
set(CPACK_PACKAGE_CONTACT "zelkpp developers <zelkpp@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Verilog-A to C translator for SPICE 3F5 device models")
set(CPACK_PACKAGE_DESCRIPTION
    "zelkpp translates one analog behavioural device model written in a Verilog-A\n"
    "dialect into C source for the SPICE 3F5 circuit simulator. The package holds\n"
    "the translator, its fourth stage zelk4th (which also builds a translated model\n"
    "into an OSDI module that ngspice loads), their manual pages, the user's\n"
    "guide and example models.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The translator runs the C preprocessor as its third stage.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1, cpp")
# zelk4th --osdi builds simulator modules with a C compiler, for ngspice.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gcc | c-compiler")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ngspice")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
include(CPack)
