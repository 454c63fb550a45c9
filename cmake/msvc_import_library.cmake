# Import libraries in the platform linker's own format (the .lib files that
# Visual C++ and other MSVC-style linkers take), made with llvm-dlltool from
# a .def file.
#
# At 32 bits the .def file gives each stdcall name with its decoration
# (BASSOPEN@8): the library then answers the _BASSOPEN@8 a caller's compiler
# asks for and imports the plain BASSOPEN the module exports. Its members
# are short import objects, which link with /SAFESEH on. At 64 bits there
# are no decorations: any "@N" in the .def file is dropped.
#
#   include(msvc_import_library.cmake)
#   make_msvc_import_library(<llvm-dlltool> <32|64> <def file> <output .lib>)
# or, as a script:
#   cmake -DDLLTOOL=... -DBITS=32|64 -DDEF=... -DOUT=... -P cmake/msvc_import_library.cmake
function(make_msvc_import_library dlltool bits def out)
    if(bits EQUAL 32)
        set(arguments -m i386 -k -d ${def})
    else()
        file(READ ${def} text)
        string(REGEX REPLACE "@[0-9]+" "" text "${text}")
        set(plain ${out}.def)
        file(WRITE ${plain} "${text}")
        set(arguments -m i386:x86-64 -d ${plain})
    endif()
    execute_process(COMMAND ${dlltool} ${arguments} -l ${out} RESULT_VARIABLE failed)
    if(plain)
        file(REMOVE ${plain})
    endif()
    if(failed)
        message(FATAL_ERROR "llvm-dlltool could not make ${out} from ${def}")
    endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    make_msvc_import_library(${DLLTOOL} ${BITS} ${DEF} ${OUT})
endif()
