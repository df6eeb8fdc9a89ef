# The version of Tempiro is kept in the file VERSION at the top of the tree,
# as MAJOR.MINOR.PATCH, and nowhere else. The resource file reads it from the
# generated tempiro_version.h, the manifest is written with it, and the
# installer and the archive are named after it by `make dist`.
file(STRINGS ${CMAKE_SOURCE_DIR}/VERSION TEMPIRO_VERSION LIMIT_COUNT 1)
string(STRIP "${TEMPIRO_VERSION}" TEMPIRO_VERSION)
if(NOT TEMPIRO_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "VERSION must hold MAJOR.MINOR.PATCH, not '${TEMPIRO_VERSION}'")
endif()
set(TEMPIRO_VERSION_MAJOR ${CMAKE_MATCH_1})
set(TEMPIRO_VERSION_MINOR ${CMAKE_MATCH_2})
set(TEMPIRO_VERSION_PATCH ${CMAKE_MATCH_3})
set(TEMPIRO_VERSION_QUAD ${TEMPIRO_VERSION}.0)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/VERSION)

set(TEMPIRO_GENERATED ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/resources/tempiro_version.h.in ${TEMPIRO_GENERATED}/tempiro_version.h @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/resources/tempiro.manifest ${TEMPIRO_GENERATED}/tempiro.exe.manifest @ONLY)
