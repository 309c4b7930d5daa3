# Runs `edgemeasure demo` (which renders the demo image and prints its measurements), then the C#
# example on the image it wrote, and compares the rows of their tables: quantity, true value, the
# calipers' figure with its uncertainty, and its error must read the same. The demo's last column,
# the error of the path method beside the calipers, is its own.
# Variables: EDGEMEASURE, MONO, EXAMPLE, MONO_ENVIRONMENT (NAME=VALUE;... for mono), WORK_DIR.
file(REMOVE_RECURSE "${WORK_DIR}")

function(run out)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE text
        ERROR_VARIABLE err)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "failed: ${ARGN}\n${text}\n${err}")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The rows of a table: the lines of a quantity with its unit; with drop_last ON, each without its
# last column.
function(table_rows out text drop_last)
    string(REGEX MATCHALL "\n  [^\n]+ \\((px|deg)\\) [^\n]+" rows "${text}")
    set(kept "")
    foreach(row IN LISTS rows)
        if(drop_last)
            string(REGEX REPLACE " +[^ ]+$" "" row "${row}")
        endif()
        list(APPEND kept "${row}")
    endforeach()
    set(${out} "${kept}" PARENT_SCOPE)
endfunction()

run(tool_output "${EDGEMEASURE}" demo "${WORK_DIR}")
run(example_output "${CMAKE_COMMAND}" -E env ${MONO_ENVIRONMENT} "${MONO}" "${EXAMPLE}"
    "${WORK_DIR}/demo-image.png")
table_rows(tool_rows "${tool_output}" ON)
table_rows(example_rows "${example_output}" OFF)
list(LENGTH tool_rows count)
if(count EQUAL 0 OR NOT tool_rows STREQUAL example_rows)
    message(FATAL_ERROR "the example's table differs from edgemeasure's:\n"
        "edgemeasure:${tool_rows}\nexample:${example_output}")
endif()
message(STATUS "${count} figures agree:${example_rows}")
