# The part of the mingw-w64 cross toolchain that both architectures share.
# A toolchain file per architecture (mingw-i686.cmake, mingw-x86_64.cmake)
# sets TARN_MINGW_TRIPLE, TARN_WINE_ARCH and CMAKE_SYSTEM_PROCESSOR and then
# includes this one. The posix thread model is the one GoogleTest's
# std::mutex needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${TARN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TARN_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TARN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The Wine architecture the build's programs run under (tools/wine-session).
set(TARN_WINE_ARCH ${TARN_WINE_ARCH} CACHE INTERNAL "win32 or win64")
