/* The version every module of the support layer carries, and the texts of
   their version resources. Raise it here for a release. */
#ifndef TARN_MODULE_VERSION_H
#define TARN_MODULE_VERSION_H

#define TARN_VERSION_MAJOR 1
#define TARN_VERSION_MINOR 1
#define TARN_VERSION_PATCH 1
#define TARN_VERSION_BUILD 0
#define TARN_VERSION_TEXT "1.1.1.0"

#define TARN_PRODUCT_NAME "Tarn media support layer"
#define TARN_COMPANY_NAME "The Tarn support layer project"
#define TARN_COPYRIGHT "Copyright (C) 2026 the Tarn support layer's authors"

#endif
