# Cross build of the 32-bit Windows modules with mingw-w64: the product the
# host applications load (build/win32/).
set(TARN_MINGW_TRIPLE i686-w64-mingw32)
set(TARN_WINE_ARCH win32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
