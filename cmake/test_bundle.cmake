# `make test-bundle`: every Wine test program of both Windows builds with
# what it needs at run time, and the runner that needs nothing but Windows,
# as <dist folder>/tarn-support-tests-<version>.zip. Each architecture keeps
# the build's layout, so that the programs find their modules, doubles,
# engine, host and test control where they find them in the build:
#   run-tests.cmd, README.txt
#   win32\bin, doubles\<variant>, engine, host, testbrowser, tests (programs,
#       their peers, run-tests.exe, test-programs.txt, and defs: the
#       modules' .def files, which the export check reads)
#   win64\... the same
# The programs and modules are copied without their symbols.
#
#   cmake -DSOURCE=<repository> -DBUILD=<win32 build tree> -DBUILD64=<win64 build tree>
#         -DOUT=<dist folder> -DSTRIP=<i686 strip> -DSTRIP64=<x86_64 strip> -P cmake/test_bundle.cmake
include(${CMAKE_CURRENT_LIST_DIR}/package_stage.cmake)
package_stage(tarn-support-tests)

# copy_stripped(<strip tool> <file> <to folder>)
function(copy_stripped strip from to)
    get_filename_component(file_name ${from} NAME)
    file(MAKE_DIRECTORY ${to})
    if(from MATCHES "\\.([eE][xX][eE]|[dD][lL][lL])$")
        execute_process(COMMAND ${strip} --strip-all -o ${to}/${file_name} ${from} RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR "test bundle: cannot copy ${from}")
        endif()
    else()
        file(COPY ${from} DESTINATION ${to})
    endif()
endfunction()

# copy_folder(<strip tool> <folder> <to folder>): the folder's files and
# sub-folders, modules stripped.
function(copy_folder strip from to)
    file(MAKE_DIRECTORY ${to})
    file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE ${from} ${from}/*)
    foreach(entry IN LISTS entries)
        if(IS_DIRECTORY ${from}/${entry})
            # Empty ones too: a variant of the doubles is an empty folder.
            file(MAKE_DIRECTORY ${to}/${entry})
        else()
            get_filename_component(sub ${entry} DIRECTORY)
            copy_stripped(${strip} ${from}/${entry} ${to}/${sub})
        endif()
    endforeach()
endfunction()

# pack(<build tree> <strip tool> <architecture>)
function(pack build strip arch)
    set(lists ${build}/tests/test-programs.txt)
    if(NOT EXISTS ${lists} OR NOT EXISTS ${build}/tests/run-tests.exe)
        message(FATAL_ERROR "test bundle: ${build} has no test programs; build first")
    endif()
    set(to ${stage}/${arch})
    foreach(folder bin doubles engine host testbrowser)
        if(NOT IS_DIRECTORY ${build}/${folder})
            message(FATAL_ERROR "test bundle: ${build}/${folder} is missing; build first")
        endif()
        copy_folder(${strip} ${build}/${folder} ${to}/${folder})
    endforeach()
    # The programs, their peers and the runner: the files of the tests
    # folder itself, not what the programs leave in it when they run.
    file(GLOB programs ${build}/tests/*.exe ${build}/tests/*.dll)
    foreach(program IN LISTS programs ITEMS ${lists})
        copy_stripped(${strip} ${program} ${to}/tests)
    endforeach()
    file(STRINGS ${lists} listed REGEX "^[^#]")
    foreach(line IN LISTS listed)
        string(REGEX REPLACE " .*" "" program "${line}")
        if(NOT EXISTS ${to}/tests/${program})
            message(FATAL_ERROR "test bundle: ${program} is listed but not built in ${build}")
        endif()
    endforeach()
    copy_folder(${strip} ${build}/tests/defs ${to}/tests/defs)
endfunction()
pack(${BUILD} ${STRIP} win32)
pack(${BUILD64} ${STRIP64} win64)

configure_file(${SOURCE}/tools/test-bundle/run-tests.cmd ${stage}/run-tests.cmd COPYONLY)

# Nothing in the bundle may name a folder of the build machine.
foreach(folder ${SOURCE} ${BUILD} ${BUILD64})
    execute_process(COMMAND grep -rlF ${folder} ${stage} OUTPUT_VARIABLE naming)
    if(naming)
        string(REPLACE "${stage}/" "" naming "${naming}")
        message(FATAL_ERROR "test bundle: these files name the build machine's folder ${folder}:\n${naming}")
    endif()
endforeach()
configure_file(${SOURCE}/tools/test-bundle/README.txt ${stage}/README.txt NEWLINE_STYLE CRLF)
# The licence, and the notices of what the programs carry (GoogleTest too).
file(COPY ${SOURCE}/LICENSE ${SOURCE}/dist/THIRD-PARTY-NOTICES.txt DESTINATION ${stage})

package_archive("test bundle")
