# Installing and packaging. Linux: the program to bin/, its manual page and documents
# the Debian way, and a Debian package (cpack -G DEB). Windows: a zip of the executable
# with the README and the licence (cpack -G ZIP).
include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME jrnlpeek)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The jrnlpeek authors")
set(CPACK_PACKAGE_CONTACT "The jrnlpeek authors <jrnlpeek@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "print the USN change journal of NTFS volumes, images and disks")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(TARGETS jrnlpeek RUNTIME DESTINATION .)
  install(FILES README.md LICENSE CHANGELOG.md DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME jrnlpeek-${PROJECT_VERSION}-win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/jrnlpeek)
  # Debian keeps manual pages and changelogs compressed, byte for byte the same from one
  # build to the next (-n: no name or time stamp in the header).
  set(man_page ${PROJECT_BINARY_DIR}/jrnlpeek.1.gz)
  set(changelog ${PROJECT_BINARY_DIR}/changelog.gz)
  add_custom_command(OUTPUT ${man_page}
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/doc/jrnlpeek.1 > ${man_page}
    DEPENDS ${PROJECT_SOURCE_DIR}/doc/jrnlpeek.1 VERBATIM)
  add_custom_command(OUTPUT ${changelog}
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/debian/changelog > ${changelog}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/debian/changelog VERBATIM)
  add_custom_target(documents ALL DEPENDS ${man_page} ${changelog})

  install(TARGETS jrnlpeek RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md LICENSE ${changelog} packaging/debian/copyright DESTINATION ${docdir})
  install(FILES packaging/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
          RENAME jrnlpeek)

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION admin)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # The summary line comes from CPACK_PACKAGE_DESCRIPTION_SUMMARY.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "jrnlpeek prints the change journal (USN journal) of an NTFS volume, one line
 per record: the reasons, the parent folder's file reference number and the
 file name, optionally only the records of one file or folder. It reads the
 journal straight from NTFS block devices, volume images and whole-disk images
 (MBR or GPT), and never writes to them.")
endif()

include(CPack)
