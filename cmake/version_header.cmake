# include/tarn_support_version.h, the version macros of the public headers,
# is written from resources/module_version.h, where the version is raised
# for a release: configuring writes it again when the two differ, and the
# new header is committed with the new version.
set(version_source ${CMAKE_SOURCE_DIR}/resources/module_version.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${version_source})
foreach(part MAJOR MINOR PATCH)
    file(STRINGS ${version_source} line REGEX "^#define TARN_VERSION_${part} [0-9]+$")
    string(REGEX REPLACE ".* " "" ${part} "${line}")
    if(NOT ${part} MATCHES "^[0-9]+$")
        message(FATAL_ERROR "${version_source} has no TARN_VERSION_${part}")
    endif()
endforeach()
math(EXPR number "${MAJOR} * 10000 + ${MINOR} * 100 + ${PATCH}")
set(text "/*
 * tarn_support_version.h: the version of the support layer these headers
 * belong to; audiolink.h, foldertree.h and helpview.h include it. Written
 * by the build from the version its modules carry: do not edit.
 *
 * Within a major version, exported names, their arguments and results,
 * message and notification values, file formats and the WM_COPYDATA
 * protocol stay as they are; a minor version only adds. Compare
 * TARN_SUPPORT_VERSION with TARN_SUPPORT_VERSION_NUMBER(major, minor, patch).
 */
#ifndef TARN_SUPPORT_VERSION_H
#define TARN_SUPPORT_VERSION_H

#define TARN_SUPPORT_VERSION_MAJOR ${MAJOR}
#define TARN_SUPPORT_VERSION_MINOR ${MINOR}
#define TARN_SUPPORT_VERSION_PATCH ${PATCH}
#define TARN_SUPPORT_VERSION_TEXT \"${MAJOR}.${MINOR}.${PATCH}\"
#define TARN_SUPPORT_VERSION_NUMBER(major, minor, patch) ((major) * 10000 + (minor) * 100 + (patch))
/* ${MAJOR}.${MINOR}.${PATCH} as one number: ${number} */
#define TARN_SUPPORT_VERSION TARN_SUPPORT_VERSION_NUMBER(${MAJOR}, ${MINOR}, ${PATCH})

#endif /* TARN_SUPPORT_VERSION_H */
")
set(header ${CMAKE_SOURCE_DIR}/include/tarn_support_version.h)
set(current "")
if(EXISTS ${header})
    file(READ ${header} current)
endif()
if(NOT current STREQUAL text)
    file(WRITE ${header} "${text}")
    message(STATUS "wrote ${header} for version ${MAJOR}.${MINOR}.${PATCH}")
endif()
