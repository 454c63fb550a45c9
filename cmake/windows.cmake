# A Windows build (32-bit in build/win32/, 64-bit in build/win64/, from the
# toolchain file of its architecture): modules, stand-ins, the tests that run
# under Wine, the benchmarks and the example host.
set(WIN32_BIN_DIR ${CMAKE_BINARY_DIR}/bin)
set(WIN32_TEST_DIR ${CMAKE_BINARY_DIR}/tests)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(TARN_BITS 64)
else()
    set(TARN_BITS 32)
endif()
# Which Wine runs the build's programs; the scripts of tools/ read it here.
file(WRITE ${CMAKE_BINARY_DIR}/wine-arch "${TARN_WINE_ARCH}\n")
# ctest runs the test programs through Wine (prefix, display and wineserver
# are set up by tools/wine-session around the run).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tools/wine-run --build ${CMAKE_BINARY_DIR})

add_compile_options(-Wall -Wextra -Wno-unused-parameter -Wno-cast-function-type)
# An address squeezed into a 32-bit number, or a number widened into an
# address, is an error in both builds: it only shows at 64 bits.
add_compile_options(-Werror=int-to-pointer-cast $<$<COMPILE_LANGUAGE:C>:-Werror=pointer-to-int-cast>)
# The oldest Windows each build runs on: Windows XP (5.1) at 32 bits, and
# at 64 bits the first x64 Windows, Windows XP x64 / Server 2003 (5.2). The
# headers declare nothing later, and every program and module says so in its
# PE header (a later Windows treats 5.x as it treated the linker's default
# 4.0: as a program older than 6.0). The import tables hold
# no later function: the floor check of tests/windows_floor reads them.
if(TARN_BITS EQUAL 64)
    set(TARN_WINDOWS_FLOOR 5.2)
else()
    set(TARN_WINDOWS_FLOOR 5.1)
endif()
string(REPLACE "." ";" floor_parts ${TARN_WINDOWS_FLOOR})
list(GET floor_parts 0 floor_major)
list(GET floor_parts 1 floor_minor)
set(floor_hex 0x0${floor_major}0${floor_minor})
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=${floor_hex} WINVER=${floor_hex} _WIN32_IE=0x0600)
add_link_options(-Wl,--major-os-version=${floor_major},--minor-os-version=${floor_minor}
                 -Wl,--major-subsystem-version=${floor_major},--minor-subsystem-version=${floor_minor})
# Source paths in what the programs print (__FILE__, in every check of the
# tests) are relative: no file carries the build machine's folders, and the
# test bundle runs anywhere.
add_compile_options(-fmacro-prefix-map=${CMAKE_SOURCE_DIR}/= -fmacro-prefix-map=${GTEST_SOURCE_DIR}/=googletest/)
# No mingw runtime DLL travels with the modules.
add_link_options(-static -static-libgcc -static-libstdc++)
# The linker leaves out the sections nothing refers to: above all the system
# libraries' GUIDs, each in its own section, of which a module names a few
# (40 KB of foldertree.dll). The sources are not compiled a function
# to a section: that saves a kilobyte a module and costs as much in padding.
add_link_options(-Wl,--gc-sections)

# A DLL whose exports are exactly the plain names of its .def file.
function(add_def_module target def_file)
    set_target_properties(${target} PROPERTIES
        PREFIX ""
        RUNTIME_OUTPUT_DIRECTORY ${ARGN}
        ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
    target_sources(${target} PRIVATE ${def_file} $<TARGET_OBJECTS:module_runtime>)
    target_link_options(${target} PRIVATE -Wl,--kill-at -Wl,--enable-stdcall-fixup)
endfunction()

# The platform toolchain's stand-ins (MSVC-style): the import libraries in
# its format are made with llvm-dlltool, and a host is built with clang-cl
# and lld-link against Wine's platform headers (tests/win32/msvc_host).
# `make demo` installs none of them; without them neither is made, and the
# marker file tells the Makefile to configure again once make setup has
# installed them.
find_program(TARN_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14)
find_program(TARN_CLANG_CL NAMES clang-cl clang-cl-14)
find_program(TARN_LLD_LINK NAMES lld-link lld-link-14)
set(WINE_SDK_INCLUDE /usr/include/wine/wine CACHE PATH "Wine's platform and C runtime headers")
if(TARN_LLVM_DLLTOOL AND TARN_CLANG_CL AND TARN_LLD_LINK AND EXISTS ${WINE_SDK_INCLUDE}/windows/windows.h)
    set(TARN_MSVC_TOOLS ON)
    file(REMOVE ${CMAKE_BINARY_DIR}/msvc-tools-missing)
else()
    set(TARN_MSVC_TOOLS OFF)
    message(STATUS "llvm-dlltool, clang-cl, lld-link or Wine's headers missing: no .lib files, no MSVC-style host")
    file(WRITE ${CMAKE_BINARY_DIR}/msvc-tools-missing "")
endif()

# A shipped module or program: its PDB (public symbols, named by the
# module's CodeView debug directory entry by file name alone) goes to
# symbols/, and the linker's map of what it pulled in to maps/.
set(TARN_SYMBOLS_DIR ${CMAKE_BINARY_DIR}/symbols)
set(TARN_MAPS_DIR ${CMAKE_BINARY_DIR}/maps)
file(MAKE_DIRECTORY ${TARN_SYMBOLS_DIR} ${TARN_MAPS_DIR})
function(add_shipped_symbols target)
    # The linker runs in the target's binary folder: the PDB is written
    # there under the plain name the module records, then copied.
    set(pdb ${target}.pdb)
    target_link_options(${target} PRIVATE -Wl,--pdb=${pdb} -Wl,-Map=${TARN_MAPS_DIR}/${target}.map)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_BINARY_DIR}/${pdb} ${TARN_SYMBOLS_DIR}/${pdb}
        VERBATIM)
endfunction()

include_directories(${CMAKE_SOURCE_DIR}/contracts)

# Every DLL gives back what its runtime took when it is freed (runtime/).
add_subdirectory(runtime)

add_subdirectory(outside/themekit)
add_subdirectory(outside/jaocx20)
add_subdirectory(outside/bass)
add_subdirectory(audiolink)
add_subdirectory(foldertree)
add_subdirectory(helpview)
add_subdirectory(tools/helpview-send)
# The example application around the three modules (make demo runs its tour).
add_subdirectory(examples/host)

enable_testing()
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# Test code is not what is measured or shipped: built unoptimised, it
# compiles in half the time.
target_compile_options(gtest PRIVATE -O0)
target_compile_options(gtest_main PRIVATE -O0)
add_subdirectory(tests/win32)
# Every shipped file within the oldest Windows the build runs on.
add_subdirectory(tests/windows_floor)
# After the tests: it lists them for the test bundle.
add_subdirectory(tools/test-bundle)

add_subdirectory(bench)
