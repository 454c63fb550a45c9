# Cross build of the same sources for 64-bit Windows with mingw-w64
# (build/win64/): for 64-bit hosts, and for the Wine suite on machines that
# cannot run 32-bit code.
set(TARN_MINGW_TRIPLE x86_64-w64-mingw32)
set(TARN_WINE_ARCH win64)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
