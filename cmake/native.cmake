# The native build: Win32-free sources under AddressSanitizer and
# UndefinedBehaviorSanitizer, their tests, the export-table check and the
# fuzz targets (clang only).
option(TARN_SANITIZE "Build with ASan and UBSan" ON)
option(TARN_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
# A separate tree (make test-tsan) builds only the threaded tests, under
# ThreadSanitizer, which cannot be combined with ASan.
option(TARN_TSAN "Build the threaded tests under ThreadSanitizer" OFF)

add_compile_options(-Wall -Wextra -g)
if(TARN_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
if(TARN_TSAN)
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()

add_library(themekit_portable STATIC ${THEMEKIT_PORTABLE_SOURCES})
target_include_directories(themekit_portable PUBLIC ${CMAKE_SOURCE_DIR}/outside/themekit)
add_library(tools_portable STATIC ${TOOLS_PORTABLE_SOURCES})
target_include_directories(tools_portable PUBLIC ${CMAKE_SOURCE_DIR}/tools)
add_library(foldertree_portable STATIC ${FOLDERTREE_PORTABLE_SOURCES})
target_include_directories(foldertree_portable PUBLIC ${CMAKE_SOURCE_DIR}/foldertree)
add_library(audiolink_portable STATIC ${AUDIOLINK_PORTABLE_SOURCES})
target_include_directories(audiolink_portable PUBLIC ${CMAKE_SOURCE_DIR}/audiolink)
add_library(helpview_portable STATIC ${HELPVIEW_PORTABLE_SOURCES})
target_include_directories(helpview_portable PUBLIC ${CMAKE_SOURCE_DIR}/helpview)

enable_testing()
if(TARN_FUZZ)
    add_subdirectory(tests/fuzz)
elseif(TARN_TSAN)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    add_subdirectory(tests/tsan)
else()
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    add_subdirectory(tests/native)
endif()
