# `make dist`: the package for host applications, from a built Windows tree.
# Stages build/dist/<name>/ and archives it as build/dist/<name>.zip; the
# modules are copied without their debugging information.
#
#   cmake -DSOURCE=<repository> -DBUILD=<win32 build tree> -DOUT=<dist folder>
#         -DSTRIP=<strip tool> -P cmake/dist.cmake
file(STRINGS ${SOURCE}/resources/module_version.h version_line REGEX "TARN_VERSION_TEXT")
string(REGEX MATCH "\"([0-9.]+)\"" _ "${version_line}")
set(VERSION ${CMAKE_MATCH_1})
set(name tarn-support-${VERSION})
set(stage ${OUT}/${name})

file(REMOVE_RECURSE ${stage} ${OUT}/${name}.zip)
file(MAKE_DIRECTORY ${stage}/bin ${stage}/include ${stage}/lib ${stage}/docs ${stage}/stand-ins)

function(copy_module from to)
    if(NOT EXISTS ${from})
        message(FATAL_ERROR "dist: ${from} is missing; build first")
    endif()
    get_filename_component(file_name ${from} NAME)
    execute_process(COMMAND ${STRIP} --strip-debug -o ${to}/${file_name} ${from} RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "dist: cannot copy ${from}")
    endif()
endfunction()

foreach(module audiolink.dll foldertree.dll helpview.exe helpview-send.exe)
    copy_module(${BUILD}/bin/${module} ${stage}/bin)
endforeach()
foreach(module themekit.dll jaocx20.dll)
    copy_module(${BUILD}/bin/${module} ${stage}/stand-ins)
endforeach()
file(COPY ${SOURCE}/include/audiolink.h ${SOURCE}/include/foldertree.h ${SOURCE}/include/helpview.h
     DESTINATION ${stage}/include)
foreach(library audiolink foldertree)
    if(NOT EXISTS ${BUILD}/lib/lib${library}.dll.a)
        message(FATAL_ERROR "dist: ${BUILD}/lib/lib${library}.dll.a is missing; build first")
    endif()
    file(COPY ${BUILD}/lib/lib${library}.dll.a ${SOURCE}/${library}/${library}.def DESTINATION ${stage}/lib)
endforeach()
file(COPY ${SOURCE}/docs/api-reference.md DESTINATION ${stage}/docs)
configure_file(${SOURCE}/dist/README.txt ${stage}/README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${SOURCE}/dist/stand-ins-README.txt ${stage}/stand-ins/README.txt @ONLY NEWLINE_STYLE CRLF)

execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${name}.zip --format=zip ${name}
                WORKING_DIRECTORY ${OUT} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "dist: cannot write ${OUT}/${name}.zip")
endif()
message(STATUS "dist: ${OUT}/${name}.zip")
