# Checks the package `make dist` made: the archive exists and holds the
# modules, the headers, the import libraries and .def files, the API
# reference, helpview-send and the stand-ins with their README, each file
# non-empty.
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

set(wanted
    README.txt
    bin/audiolink.dll bin/foldertree.dll bin/helpview.exe bin/helpview-send.exe
    include/audiolink.h include/foldertree.h include/helpview.h
    lib/libaudiolink.dll.a lib/libfoldertree.dll.a lib/audiolink.def lib/foldertree.def
    docs/api-reference.md
    stand-ins/themekit.dll stand-ins/jaocx20.dll stand-ins/README.txt)
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
# The modules carry their version resources.
foreach(module audiolink.dll foldertree.dll helpview.exe)
    if(NOT EXISTS ${check}/${name}/bin/${module})
        continue()
    endif()
    file(READ ${check}/${name}/bin/${module} bytes HEX)
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
