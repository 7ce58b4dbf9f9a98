# The executable's icon and version resource. The .rc is configured into the build folder
# from the project version, so the numbers live in one place (project() at the top).
enable_language(RC)

set(JRNLPEEK_ICON ${PROJECT_SOURCE_DIR}/res/jrnlpeek.ico)
set(JRNLPEEK_RESOURCES ${PROJECT_BINARY_DIR}/jrnlpeek.rc)
configure_file(${PROJECT_SOURCE_DIR}/res/jrnlpeek.rc.in ${JRNLPEEK_RESOURCES} @ONLY)
# The resource compiler reports no dependencies of its own: a new icon must rebuild the
# resources all the same.
set_source_files_properties(${JRNLPEEK_RESOURCES} PROPERTIES OBJECT_DEPENDS ${JRNLPEEK_ICON})
