# Import libraries for modules linked with --kill-at. ld names the exports of
# such a module in its import library without the stdcall "@N", so a caller,
# whose compiler asks for Name@N, cannot link against it. After the module is
# built, this rewrites its import library with dlltool: each plain name of the
# .def file gets the decoration that the module's own symbol carries, and
# imports by the plain name. The decorated .def file is kept beside the
# import library as <target>.stdcall.def, and from it the import library in
# the platform linker's own format is made beside it: <target>.lib
# (msvc_import_library.cmake).
#
#   include(${CMAKE_SOURCE_DIR}/cmake/stdcall_import_library.cmake)
#   add_stdcall_import_library(target def_file)
if(CMAKE_SCRIPT_MODE_FILE)
    include(${CMAKE_CURRENT_LIST_DIR}/def_exports.cmake)
    include(${CMAKE_CURRENT_LIST_DIR}/msvc_import_library.cmake)
    read_def_exports(names ${DEF})
    execute_process(COMMAND ${NM} ${MODULE} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "cannot read the symbols of ${MODULE}")
    endif()
    get_filename_component(module_name ${MODULE} NAME)
    set(decorated "LIBRARY ${module_name}\nEXPORTS\n")
    foreach(name IN LISTS names)
        if(symbols MATCHES " T _${name}@([0-9]+)\n")
            string(APPEND decorated "    ${name}@${CMAKE_MATCH_1}\n")
        else()
            string(APPEND decorated "    ${name}\n")
        endif()
    endforeach()
    file(WRITE ${DECORATED_DEF} "${decorated}")
    execute_process(COMMAND ${DLLTOOL} --kill-at --def ${DECORATED_DEF}
                            --dllname ${module_name} --output-lib ${IMPLIB}
                    RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "dlltool could not write ${IMPLIB}")
    endif()
    if(LLVM_DLLTOOL)
        make_msvc_import_library(${LLVM_DLLTOOL} ${BITS} ${DECORATED_DEF} ${MSVC_IMPLIB})
    endif()
    return()
endif()

function(add_stdcall_import_library target def_file)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DDLLTOOL=${CMAKE_DLLTOOL}
                -DMODULE=$<TARGET_FILE:${target}> -DDEF=${def_file}
                -DIMPLIB=$<TARGET_LINKER_FILE:${target}>
                -DDECORATED_DEF=$<TARGET_LINKER_FILE_DIR:${target}>/${target}.stdcall.def
                -DLLVM_DLLTOOL=${TARN_LLVM_DLLTOOL} -DBITS=${TARN_BITS}
                -DMSVC_IMPLIB=$<TARGET_LINKER_FILE_DIR:${target}>/${target}.lib
                -P ${CMAKE_SOURCE_DIR}/cmake/stdcall_import_library.cmake
        VERBATIM)
endfunction()
