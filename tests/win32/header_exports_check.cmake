# Holds a public header against the module it declares:
#   - the functions the header declares, the names of the .def file and the
#     names in the module's export table are the same set;
#   - a C and a C++ translation unit that take the address of every declared
#     function refer to each by its plain C name, and link against the
#     import library;
#   - with -DDECORATIONS=ON instead (the 32-bit build's stdcall check): those
#     references ask for Name@N, and N, the argument bytes the caller's
#     compiler will pop, is the N of the module's own definition. The 64-bit
#     build has one calling convention and no decorations.
# - with -DDECORATIONS=ON and -DPACKAGED_DEF=<.def file>: the .def file the
#   package ships for other toolchains' librarians lists every export with
#   that same decoration.
# The declared functions are read from the compiler itself (-aux-info), so
# the list is never written by hand.
#
#   cmake -DCC= -DCXX= -DNM= -DOBJDUMP= -DINCLUDE_DIR= -DHEADER= -DDEF=
#         -DMODULE= -DIMPLIB= -DWORK= -DBITS=32|64 [-DDECORATIONS=ON] [-DDEFINES=A;B]
#         [-DPACKAGED_DEF=] -P header_exports_check.cmake

cmake_minimum_required(VERSION 3.20)
get_filename_component(header_name ${HEADER} NAME)
file(MAKE_DIRECTORY ${WORK})
set(failures "")
macro(fail text)
    string(APPEND failures "  ${text}\n")
endmacro()

# C names carry a leading underscore in the 32-bit build only.
if(BITS STREQUAL "64")
    set(u "")
else()
    set(u "_")
endif()

set(define_flags "")
foreach(define IN LISTS DEFINES)
    list(APPEND define_flags -D${define})
endforeach()

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(failed)
        string(REPLACE ";" " " command "${ARGN}")
        message(FATAL_ERROR "${command}\n${out}${err}")
    endif()
    set(run_output "${out}" PARENT_SCOPE)
endfunction()

# ---- What the header declares ------------------------------------------------
file(WRITE ${WORK}/declared.c "#include <${header_name}>\n")
run(${CC} -I${INCLUDE_DIR} ${define_flags} -fsyntax-only -aux-info ${WORK}/declared.txt ${WORK}/declared.c)
file(STRINGS ${WORK}/declared.txt lines REGEX "${header_name}:[0-9]+:N[CF] \\*/ extern ")
set(declared "")
foreach(line IN LISTS lines)
    if(line MATCHES "^/\\* ([^ ]+):[0-9]+:N[CF] \\*/ extern .*[ *]([A-Za-z_][A-Za-z0-9_]*) \\(")
        get_filename_component(from "${CMAKE_MATCH_1}" REALPATH)
        get_filename_component(header_path "${HEADER}" REALPATH)
        if(from STREQUAL header_path)
            list(APPEND declared ${CMAKE_MATCH_2})
        endif()
    endif()
endforeach()
list(REMOVE_DUPLICATES declared)
list(SORT declared)
list(LENGTH declared declared_count)
if(declared_count EQUAL 0)
    message(FATAL_ERROR "no function declarations read from ${HEADER}")
endif()

# ---- What the .def file and the module export -------------------------------
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/def_exports.cmake)
read_def_exports(def_names ${DEF})
list(SORT def_names)

run(${OBJDUMP} -p ${MODULE})
set(exported "")
set(in_table OFF)
string(REPLACE "\n" ";" dump_lines "${run_output}")
foreach(line IN LISTS dump_lines)
    if(line MATCHES "\\[Ordinal/Name Pointer\\] Table")
        set(in_table ON)
    elseif(in_table AND line MATCHES "^[ \t]*\\[ *[0-9]+\\] ([A-Za-z_][A-Za-z0-9_@]*)")
        list(APPEND exported ${CMAKE_MATCH_1})
    elseif(in_table AND NOT line MATCHES "^[ \t]*$")
        set(in_table OFF)
    endif()
endforeach()
list(SORT exported)

foreach(name IN LISTS declared)
    if(DECORATIONS)
        break()
    endif()
    if(NOT name IN_LIST exported)
        fail("${name} is declared in ${header_name} but ${MODULE} does not export it")
    endif()
endforeach()
foreach(name IN LISTS exported)
    if(DECORATIONS)
        break()
    endif()
    if(NOT name IN_LIST declared)
        fail("${name} is exported but ${header_name} does not declare it")
    endif()
endforeach()
if(NOT DECORATIONS AND NOT def_names STREQUAL exported)
    fail(".def names (${def_names}) differ from the export table (${exported})")
endif()

# ---- The decoration callers ask for, against the module's definitions -------
set(refs "#include <${header_name}>\n#ifdef __cplusplus\nextern \"C\" {\n#endif\nvoid *const volatile header_references[] = {\n")
foreach(name IN LISTS declared)
    string(APPEND refs "    (void *)&${name},\n")
endforeach()
string(APPEND refs "};\nint main(void) { return header_references[0] == 0; }\n#ifdef __cplusplus\n}\n#endif\n")
file(WRITE ${WORK}/references.c "${refs}")

run(${NM} ${MODULE})
set(module_symbols "${run_output}")

# The decoration the module defines name with ("@N"), "" for none, or
# "(no symbol)". A module linked with --kill-at carries both _Name and
# _Name@N.
function(module_decoration name out)
    if(module_symbols MATCHES " T ${u}${name}(@[0-9]+)\n")
        set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
    elseif(module_symbols MATCHES " T ${u}${name}\n")
        set(${out} "" PARENT_SCOPE)
    else()
        set(${out} "(no symbol)" PARENT_SCOPE)
    endif()
endfunction()

foreach(language c c++)
    if(language STREQUAL "c")
        set(compiler ${CC})
    else()
        set(compiler ${CXX})
    endif()
    set(object ${WORK}/references-${language}.o)
    run(${compiler} -x ${language} -I${INCLUDE_DIR} ${define_flags} -c ${WORK}/references.c -o ${object})
    run(${NM} -u ${object})
    set(wanted "${run_output}")
    foreach(name IN LISTS declared)
        if(NOT wanted MATCHES " U ${u}${name}(@[0-9]+)?\n")
            fail("${language}: no plain C reference to ${name} (is it inside extern \"C\"?)")
            continue()
        endif()
        set(asked "${CMAKE_MATCH_1}")
        if(NOT DECORATIONS)
            continue()
        endif()
        module_decoration(${name} defined)
        if(NOT asked STREQUAL defined)
            fail("${language}: callers of ${name} ask for '${name}${asked}', the module defines '${name}${defined}'")
        endif()
    endforeach()
    # Every reference resolves through the import library.
    execute_process(COMMAND ${compiler} -static ${object} ${IMPLIB} -o ${WORK}/references-${language}.exe
                    RESULT_VARIABLE link_failed OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(link_failed)
        fail("${language}: linking against ${IMPLIB} failed:\n${out}${err}")
    endif()
endforeach()

# ---- The .def file the package ships for other toolchains' librarians -----
# At 32 bits (lib /def ... /machine:x86) each name must carry the decoration
# callers ask for, the module's own: the librarian then makes an import
# library that serves Name@N and imports the plain name.
if(PACKAGED_DEF AND DECORATIONS)
    if(NOT EXISTS ${PACKAGED_DEF})
        fail("there is no ${PACKAGED_DEF}")
    else()
        file(STRINGS ${PACKAGED_DEF} packaged_lines)
        foreach(name IN LISTS declared)
            module_decoration(${name} defined)
            if(defined STREQUAL "(no symbol)")
                set(defined "")
            endif()
            set(entry "${name}${defined}")
            if(NOT "    ${entry}" IN_LIST packaged_lines)
                fail("${PACKAGED_DEF} does not list ${entry}")
            endif()
        endforeach()
    endif()
endif()

if(failures)
    message(FATAL_ERROR "${header_name} and ${MODULE} disagree:\n${failures}")
endif()
if(DECORATIONS)
    message(STATUS "${header_name}: callers ask for the decorations ${MODULE} defines, all ${declared_count}")
else()
    message(STATUS "${header_name}: ${declared_count} declarations match ${MODULE} and its import library")
endif()
