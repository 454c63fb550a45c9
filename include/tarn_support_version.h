/*
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

#define TARN_SUPPORT_VERSION_MAJOR 1
#define TARN_SUPPORT_VERSION_MINOR 1
#define TARN_SUPPORT_VERSION_PATCH 1
#define TARN_SUPPORT_VERSION_TEXT "1.1.1"
#define TARN_SUPPORT_VERSION_NUMBER(major, minor, patch) ((major) * 10000 + (minor) * 100 + (patch))
/* 1.1.1 as one number: 10101 */
#define TARN_SUPPORT_VERSION TARN_SUPPORT_VERSION_NUMBER(1, 1, 1)

#endif /* TARN_SUPPORT_VERSION_H */
