# Included by the install checks (run by CTest with BUILD_DIR and PREFIX set): installs the
# build into a fresh scratch prefix; require_installed() then fails the check on any path, under
# the prefix, that the install did not bring.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "install failed: ${result}")
endif()

function(require_installed)
    foreach(path ${ARGN})
        if(NOT EXISTS "${PREFIX}/${path}")
            message(FATAL_ERROR "not installed: ${path}")
        endif()
    endforeach()
endfunction()
