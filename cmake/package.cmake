# The release package: a zip with Quorvex.exe, the README and the licence,
# named with the version that the version resource gives the program.
file(STRINGS ${PROJECT_SOURCE_DIR}/resources/version.rc version_line REGEX "^FILEVERSION ")
string(REGEX MATCH "[0-9]+,[0-9]+,[0-9]+,[0-9]+" version_numbers "${version_line}")
string(REPLACE "," "." QUORVEX_FILE_VERSION "${version_numbers}")

install(TARGETS Quorvex RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Quorvex)
set(CPACK_PACKAGE_VENDOR "Brantholm Freeware")
set(CPACK_PACKAGE_VERSION ${QUORVEX_FILE_VERSION})
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_SYSTEM_NAME win64)
else()
    set(CPACK_SYSTEM_NAME win32)
endif()
set(CPACK_PACKAGE_FILE_NAME "Quorvex-${QUORVEX_FILE_VERSION}-${CPACK_SYSTEM_NAME}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
