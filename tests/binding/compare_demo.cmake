# Runs `edgemeasure demo` (which renders the demo image and prints its measurements), then the C#
# example on the image it wrote, and compares the rows of their tables: quantity, true value and
# the error must read the same, the example's error being the demo's path search's (its last
# column).
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

# The rows of a table as "quantity (unit) true error": the lines with a unit, each reduced to its
# label, its first figure (the true value) and its last (an error, or "failed").
function(table_rows out text)
    string(REGEX MATCHALL "\n  [^\n]+ \\((px|deg)\\) [^\n]+" lines "${text}")
    set(rows "")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^\n  (.+ \\((px|deg)\\)) +([^ ]+)( .*)? ([^ ]+)$" "\\1 \\3 \\5" row
            "${line}")
        list(APPEND rows "${row}")
    endforeach()
    set(${out} "${rows}" PARENT_SCOPE)
endfunction()

run(tool_output "${EDGEMEASURE}" demo "${WORK_DIR}")
run(example_output "${CMAKE_COMMAND}" -E env ${MONO_ENVIRONMENT} "${MONO}" "${EXAMPLE}"
    "${WORK_DIR}/demo-image.png")
table_rows(tool_rows "${tool_output}")
table_rows(example_rows "${example_output}")
list(LENGTH tool_rows count)
if(count EQUAL 0 OR NOT tool_rows STREQUAL example_rows)
    message(FATAL_ERROR "the example's table differs from edgemeasure's:\n"
        "edgemeasure:${tool_rows}\nexample:${example_output}")
endif()
message(STATUS "${count} figures agree:${example_rows}")
