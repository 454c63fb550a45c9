# What each shipped module weighs, for `make bench`: its bytes fully stripped
# (as the package ships it), and the code in it that is the project's own
# against the code of the C and C++ runtime linked into it statically, read
# from the link map that every shipped module leaves in <build>/maps/.
#
#   cmake -DBUILDS="win32=<build tree>;win64=<build tree>" -P cmake/module_sizes.cmake
#
# One line per module; a build tree that is not there, or a module not built
# in it, is named and passed over. Code is the sum of the .text sections the linker took from each
# input file: the project's own objects (the module's runtime replacements of
# runtime/ among them) against libstdc++, libgcc, winpthread and the mingw
# CRT. The import thunks of system DLLs count as neither.
cmake_minimum_required(VERSION 3.16)

set(modules audiolink.dll foldertree.dll helpview.exe helpview-send.exe themekit.dll jaocx20.dll)
set(runtime_files
    "lib(stdc\\+\\+|supc\\+\\+|gcc|gcc_eh|winpthread|pthread|mingw32|mingwex|mingwthrd|moldname|msvcrt|ucrt[a-z]*)\\.a\\("
    "(crt2|dllcrt2|crtbegin|crtend)\\.o$")
list(JOIN runtime_files "|" runtime_files)

# own / runtime: the bytes of code that <map> says came from each.
function(code_bytes map own_var runtime_var)
    # Only the lines that can describe a .text input section: its name and
    # place on one line, or (a long name) its name alone with the place on
    # the next. Filtering here is what keeps a 1.5 MB map under a second.
    file(STRINGS ${map} lines
         REGEX "^Linker script and memory map|^ \\.text|^ +0x[0-9a-fA-F]+ +0x[0-9a-fA-F]+ ")
    set(own 0)
    set(runtime 0)
    # The sections listed before the memory map are the discarded ones.
    set(in_map FALSE)
    set(name_alone FALSE)
    foreach(line IN LISTS lines)
        if(NOT in_map)
            if(line MATCHES "^Linker script")
                set(in_map TRUE)
            endif()
            continue()
        endif()
        if(line MATCHES "^ \\.text[^ ]* +0x[0-9a-fA-F]+ +(0x[0-9a-fA-F]+) (.+)$")
            set(name_alone FALSE)
        elseif(line MATCHES "^ \\.text[^ ]*$")
            set(name_alone TRUE)
            continue()
        elseif(name_alone AND line MATCHES "^ +0x[0-9a-fA-F]+ +(0x[0-9a-fA-F]+) (.+)$")
            set(name_alone FALSE)
        else()
            # The place of another kind of section.
            set(name_alone FALSE)
            continue()
        endif()
        set(file "${CMAKE_MATCH_2}")
        math(EXPR bytes "${CMAKE_MATCH_1}")
        if(file MATCHES "${runtime_files}")
            math(EXPR runtime "${runtime} + ${bytes}")
        elseif(NOT file MATCHES "-w64-mingw32/|\\.dll\\.a\\(")
            math(EXPR own "${own} + ${bytes}")
        endif()
    endforeach()
    set(${own_var} ${own} PARENT_SCOPE)
    set(${runtime_var} ${runtime} PARENT_SCOPE)
endfunction()

foreach(build IN LISTS BUILDS)
    if(NOT build MATCHES "^([^=]+)=(.+)$")
        message(FATAL_ERROR "module_sizes: BUILDS takes <arch>=<build tree>, not '${build}'")
    endif()
    set(arch ${CMAKE_MATCH_1})
    set(tree ${CMAKE_MATCH_2})
    if(arch STREQUAL "win32")
        set(strip i686-w64-mingw32-strip)
    else()
        set(strip x86_64-w64-mingw32-strip)
    endif()
    if(NOT IS_DIRECTORY ${tree}/maps)
        message("size ${arch}: no build in ${tree}")
        continue()
    endif()
    set(scratch ${tree}/module-sizes)
    file(MAKE_DIRECTORY ${scratch})
    foreach(module IN LISTS modules)
        get_filename_component(target ${module} NAME_WE)
        set(map ${tree}/maps/${target}.map)
        if(NOT EXISTS ${tree}/bin/${module} OR NOT EXISTS ${map})
            message("size ${arch}: no ${module} with its map in ${tree}: not built")
            continue()
        endif()
        execute_process(COMMAND ${strip} --strip-all -o ${scratch}/${module} ${tree}/bin/${module}
                        RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR "module_sizes: ${strip} failed on ${tree}/bin/${module}")
        endif()
        file(SIZE ${scratch}/${module} stripped)
        code_bytes(${map} own runtime)
        message("size ${arch} ${module}: ${stripped} bytes stripped; code: own ${own} bytes, runtime ${runtime} bytes")
    endforeach()
    file(REMOVE_RECURSE ${scratch})
endforeach()
