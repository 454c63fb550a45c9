# Checks the package `make dist` made: the archive exists and holds the
# modules, the headers, the import libraries (mingw-w64's and the .lib
# files of MSVC-style linkers) and .def files, the API
# reference, helpview-send, the viewer's sample files beside it (.sys, .skl,
# .htm) and the stand-ins with their README, each file
# non-empty, for both architectures: the 32-bit files in bin/, lib/ and
# stand-ins/, the 64-bit ones in bin64/, lib64/ and stand-ins64/, each
# module of its own machine type.
#
#   cmake -DOUT=<dist folder> -DSOURCE=<repository> -P tests/dist_check.cmake
file(STRINGS ${SOURCE}/resources/module_version.h version_line REGEX "TARN_VERSION_TEXT")
string(REGEX MATCH "\"([0-9.]+)\"" _ "${version_line}")
set(name tarn-support-${CMAKE_MATCH_1})
set(archive ${OUT}/${name}.zip)
if(NOT EXISTS ${archive})
    message(FATAL_ERROR "no package at ${archive}")
endif()

set(check ${OUT}/check)
file(REMOVE_RECURSE ${check})
file(MAKE_DIRECTORY ${check})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${archive} WORKING_DIRECTORY ${check} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "${archive} cannot be unpacked")
endif()

set(wanted README.txt LICENSE THIRD-PARTY-NOTICES.txt CHANGES.md include/audiolink.h include/foldertree.h include/helpview.h
    include/tarn_support_version.h docs/api-reference.md)
foreach(suffix "" 64)
    list(APPEND wanted
        bin${suffix}/audiolink.dll bin${suffix}/foldertree.dll bin${suffix}/helpview.exe
        bin${suffix}/helpview-send.exe
        bin${suffix}/helpview.sys bin${suffix}/helpview.skl bin${suffix}/helpview.htm
        lib${suffix}/libaudiolink.dll.a lib${suffix}/libfoldertree.dll.a lib${suffix}/audiolink.lib
        lib${suffix}/foldertree.lib lib${suffix}/audiolink.def
        lib${suffix}/foldertree.def
        stand-ins${suffix}/themekit.dll stand-ins${suffix}/jaocx20.dll stand-ins${suffix}/README.txt)
endforeach()
list(APPEND wanted lib/audiolink.stdcall.def lib/foldertree.stdcall.def)
set(missing "")
foreach(file IN LISTS wanted)
    set(path ${check}/${name}/${file})
    if(NOT EXISTS ${path})
        list(APPEND missing ${file})
        continue()
    endif()
    file(SIZE ${path} size)
    if(size EQUAL 0)
        list(APPEND missing "${file} (empty)")
    endif()
endforeach()
# The stand-ins say what they are.
set(stand_ins "")
if(EXISTS ${check}/${name}/stand-ins/README.txt)
    file(READ ${check}/${name}/stand-ins/README.txt stand_ins)
endif()
if(NOT stand_ins MATCHES "stand-ins")
    list(APPEND missing "stand-ins/README.txt saying what they are")
endif()
# The modules carry their version resources, and each folder holds modules
# of its machine type: the COFF header's machine field, after the "PE\0\0"
# signature, is 0x14C (i386) or 0x8664 (x86-64), little-endian.
foreach(module bin/audiolink.dll bin/foldertree.dll bin/helpview.exe
               bin64/audiolink.dll bin64/foldertree.dll bin64/helpview.exe)
    if(NOT EXISTS ${check}/${name}/${module})
        continue()
    endif()
    # The PE header's offset is the 32-bit value at byte 60.
    file(READ ${check}/${name}/${module} at OFFSET 60 LIMIT 4 HEX)
    string(REGEX REPLACE "(..)(..)(..)(..)" "\\4\\3\\2\\1" at "${at}")
    math(EXPR at "0x${at}")
    file(READ ${check}/${name}/${module} header OFFSET ${at} LIMIT 6 HEX)
    if(module MATCHES "64/")
        set(machine 504500006486)
    else()
        set(machine 504500004c01)
    endif()
    if(NOT header STREQUAL machine)
        list(APPEND missing "${module} of the right machine type (${header})")
    endif()
    file(READ ${check}/${name}/${module} bytes HEX)
    string(HEX "OriginalFilename" probe)
    # The resource strings are UTF-16: every character followed by a zero byte.
    string(REGEX REPLACE "(..)" "\\100" probe_utf16 "${probe}")
    if(NOT bytes MATCHES "${probe_utf16}")
        list(APPEND missing "the version resource of ${module}")
    endif()
endforeach()
file(REMOVE_RECURSE ${check})
if(missing)
    message(FATAL_ERROR "${archive} lacks: ${missing}")
endif()
message(STATUS "${archive} holds the package")
