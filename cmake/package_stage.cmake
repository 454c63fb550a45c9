# The staging folder of a package that a script makes (make dist, make
# test-bundle), and its archive:
#   package_stage(<name prefix>)  sets VERSION (the modules' version), name
#                                 (<prefix>-<version>) and stage
#                                 (<OUT>/<name>), a fresh, empty folder; the
#                                 archive of an earlier run is removed
#   package_archive(<what>)       archives the stage as <OUT>/<name>.zip;
#                                 <what> names the package in the messages
macro(package_stage prefix)
    file(STRINGS ${SOURCE}/resources/module_version.h version_line REGEX "TARN_VERSION_TEXT")
    string(REGEX MATCH "\"([0-9.]+)\"" _ "${version_line}")
    set(VERSION ${CMAKE_MATCH_1})
    set(name ${prefix}-${VERSION})
    set(stage ${OUT}/${name})
    file(REMOVE_RECURSE ${stage} ${OUT}/${name}.zip)
    file(MAKE_DIRECTORY ${stage})
endmacro()

function(package_archive what)
    execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${name}.zip --format=zip ${name}
                    WORKING_DIRECTORY ${OUT} RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "${what}: cannot write ${OUT}/${name}.zip")
    endif()
    message(STATUS "${what}: ${OUT}/${name}.zip")
endfunction()
