# The Debian package: `cpack -G DEB` in a Release build folder (scripts/package does it all and
# checks the result). It holds what `cmake --install` puts in place plus what a Debian system
# expects of a package: manual pages, the AppStream metadata, the copyright file and a changelog
# (named as a native package's is: Velcor is packaged by its own developers).
if(NOT (UNIX AND NOT APPLE))
  return()
endif()
include(GNUInstallDirs)

set(VELCOR_PACKAGE_DIR ${PROJECT_SOURCE_DIR}/resources/package)
set(VELCOR_CONTACT "The Velcor developers <packages@velcor.bg>")

# Manual pages and the changelog are installed compressed, as Debian keeps them; gzip -n leaves
# out the name and time, so the same sources give the same package.
find_program(VELCOR_GZIP gzip REQUIRED)
function(velcor_gzip source output)
  add_custom_command(OUTPUT ${output}
                     COMMAND ${VELCOR_GZIP} -9nc ${source} > ${output}
                     DEPENDS ${source} VERBATIM)
endfunction()

# The pages carry the version and its release date (the same as in the AppStream metadata's
# newest release), never the day of the build, so the same sources give the same package.
set(VELCOR_MAN_DATE 2026-12-09)
set(VELCOR_MAN_DATADIR ${VELCOR_INSTALLED_DATADIR})
set(pages velcor-cli)
if(TARGET velcor)
  list(APPEND pages velcor)
endif()
set(man_outputs)
foreach(page IN LISTS pages)
  configure_file(${PROJECT_SOURCE_DIR}/resources/man/${page}.1.in
                 ${CMAKE_BINARY_DIR}/man/${page}.1 @ONLY)
  velcor_gzip(${CMAKE_BINARY_DIR}/man/${page}.1 ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
  list(APPEND man_outputs ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
endforeach()
if(TARGET velcor)
  # velcor-launch is described on the window's page.
  file(WRITE ${CMAKE_BINARY_DIR}/man/velcor-launch.1 ".so man1/velcor.1\n")
  velcor_gzip(${CMAKE_BINARY_DIR}/man/velcor-launch.1
              ${CMAKE_BINARY_DIR}/man/velcor-launch.1.gz)
  list(APPEND man_outputs ${CMAKE_BINARY_DIR}/man/velcor-launch.1.gz)
endif()
add_custom_target(velcor_man_pages ALL DEPENDS ${man_outputs})
install(FILES ${man_outputs} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The package is the window with velcor-cli. A build without the window installs velcor-cli and
# its page alone: no desktop metadata, no package documents, no package.
if(NOT TARGET velcor)
  return()
endif()

velcor_gzip(${VELCOR_PACKAGE_DIR}/changelog ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_target(velcor_package_docs ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/resources/bg.velcor.Velcor.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${VELCOR_PACKAGE_DIR}/copyright ${CMAKE_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velcor)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velcor)
set(CPACK_PACKAGE_VENDOR "The Velcor developers")
set(CPACK_PACKAGE_CONTACT ${VELCOR_CONTACT})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "bulk payment files for Bulgarian banks")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VELCOR_CONTACT})
# The libraries the programs link come from dpkg-shlibdeps; the launcher needs only a shell.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Velcor turns a payer's own payment list (Windows-1251 text, fixed-length or
delimited) into the bulk payment file its Bulgarian bank accepts. It checks
every row (IBAN, BIC, EGN, BULSTAT, amounts, budget and SEBRA payment codes),
computes the total, the count and the CRC-32 control code, rewrites the list
safely behind its header line and shows a printable processing report. A list
checked clean can also be written as a SEPA credit-transfer file (ISO 20022
pain.001), validated against its schema.
.
velcor-cli runs the same checks from scripts.")
include(CPack)
