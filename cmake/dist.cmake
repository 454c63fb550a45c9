# `make dist`: the package for host applications, from the two built Windows
# trees, and the symbols that go with it. Stages build/dist/<name>/ and
# archives it as build/dist/<name>.zip; the modules are copied fully
# stripped. The 32-bit modules keep their places (bin/, lib/, stand-ins/);
# the 64-bit ones go beside them (bin64/, lib64/, stand-ins64/). The PDB of
# each module (which its debug directory names) goes to the same place in
# tarn-support-symbols-<version>.zip.
#
#   cmake -DSOURCE=<repository> -DBUILD=<win32 build tree> -DBUILD64=<win64 build tree>
#         -DOUT=<dist folder> -DSTRIP=<i686 strip> -DSTRIP64=<x86_64 strip> -P cmake/dist.cmake
include(${CMAKE_CURRENT_LIST_DIR}/package_stage.cmake)
package_stage(tarn-support)
file(MAKE_DIRECTORY ${stage}/include ${stage}/docs)

function(copy_module strip from to)
    if(NOT EXISTS ${from})
        message(FATAL_ERROR "dist: ${from} is missing; build first")
    endif()
    get_filename_component(file_name ${from} NAME)
    execute_process(COMMAND ${strip} --strip-all -o ${to}/${file_name} ${from} RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "dist: cannot copy ${from}")
    endif()
    # Its PDB, for the symbols archive: <build>/symbols/<name>.pdb.
    get_filename_component(build_bin ${from} DIRECTORY)
    get_filename_component(stem ${from} NAME_WE)
    set(pdb ${build_bin}/../symbols/${stem}.pdb)
    if(NOT EXISTS ${pdb})
        message(FATAL_ERROR "dist: ${pdb} is missing; build first")
    endif()
    file(RELATIVE_PATH folder ${stage} ${to})
    set_property(GLOBAL APPEND PROPERTY TARN_DIST_SYMBOLS "${pdb}|${folder}")
endfunction()

# pack(<build tree> <strip tool> <suffix of the folders>)
function(pack build strip suffix)
    file(MAKE_DIRECTORY ${stage}/bin${suffix} ${stage}/lib${suffix} ${stage}/stand-ins${suffix})
    foreach(module audiolink.dll foldertree.dll helpview.exe helpview-send.exe)
        copy_module(${strip} ${build}/bin/${module} ${stage}/bin${suffix})
    endforeach()
    foreach(module themekit.dll jaocx20.dll)
        copy_module(${strip} ${build}/bin/${module} ${stage}/stand-ins${suffix})
    endforeach()
    # The viewer's files (interface texts, skin, start page), samples beside
    # it: without its .sys file it does not start.
    file(COPY ${SOURCE}/helpview/demo/helpview.sys ${SOURCE}/helpview/demo/helpview.skl
              ${SOURCE}/helpview/demo/helpview.htm DESTINATION ${stage}/bin${suffix})
    foreach(library audiolink foldertree)
        if(NOT EXISTS ${build}/lib/lib${library}.dll.a)
            message(FATAL_ERROR "dist: ${build}/lib/lib${library}.dll.a is missing; build first")
        endif()
        if(NOT EXISTS ${build}/lib/${library}.lib)
            message(FATAL_ERROR "dist: ${build}/lib/${library}.lib is missing; make setup installs llvm-dlltool")
        endif()
        # The import libraries for mingw-w64 and for MSVC-style linkers.
        file(COPY ${build}/lib/lib${library}.dll.a ${build}/lib/${library}.lib ${SOURCE}/${library}/${library}.def
             DESTINATION ${stage}/lib${suffix})
        # At 32 bits, callers ask for Name@N: the export list with those
        # decorations.
        if(suffix STREQUAL "")
            file(COPY ${build}/lib/${library}.stdcall.def DESTINATION ${stage}/lib)
        endif()
    endforeach()
    configure_file(${SOURCE}/dist/stand-ins-README.txt ${stage}/stand-ins${suffix}/README.txt @ONLY NEWLINE_STYLE CRLF)
endfunction()
pack(${BUILD} ${STRIP} "")
pack(${BUILD64} ${STRIP64} 64)
file(COPY ${SOURCE}/include/audiolink.h ${SOURCE}/include/foldertree.h ${SOURCE}/include/helpview.h
          ${SOURCE}/include/tarn_support_version.h DESTINATION ${stage}/include)
# The licence of our code, and the notices of what the modules carry of the
# toolchain.
file(COPY ${SOURCE}/LICENSE ${SOURCE}/dist/THIRD-PARTY-NOTICES.txt ${SOURCE}/CHANGES.md DESTINATION ${stage})
file(COPY ${SOURCE}/docs/api-reference.md DESTINATION ${stage}/docs)
configure_file(${SOURCE}/dist/README.txt ${stage}/README.txt @ONLY NEWLINE_STYLE CRLF)

package_archive(dist)

package_stage(tarn-support-symbols)
get_property(symbols GLOBAL PROPERTY TARN_DIST_SYMBOLS)
foreach(entry IN LISTS symbols)
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 pdb)
    list(GET entry 1 folder)
    file(COPY ${pdb} DESTINATION ${stage}/${folder})
endforeach()
configure_file(${SOURCE}/dist/symbols-README.txt ${stage}/README.txt @ONLY NEWLINE_STYLE CRLF)
package_archive(symbols)
