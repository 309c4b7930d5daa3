# Installs the built project into a scratch prefix and builds and runs a consumer against it,
# once through the CMake package and once through the pkg-config file.
# Variables: BUILD_DIR (the project's build folder), SOURCE_DIR (tests/install), WORK_DIR.
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/prefix")

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "failed: ${ARGN}\n${out}\n${err}")
    endif()
    set(LAST_OUTPUT "${out}" PARENT_SCOPE)
endfunction()

run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}")

# The package holds exactly the public headers: the umbrella header, the export macros and what
# they include, followed from header to header. Any other installed header is an internal one
# that leaked; a missing one breaks the consumer's build below.
set(include_root "${prefix}/include/edgedetection")
set(reachable "")
set(pending EdgeDetection.h EdgeDetectionExport.h)
while(pending)
    list(POP_FRONT pending header)
    if(header IN_LIST reachable)
        continue()
    endif()
    list(APPEND reachable "${header}")
    if(NOT EXISTS "${include_root}/${header}")
        message(FATAL_ERROR "${header} is included by a public header but not installed")
    endif()
    file(STRINGS "${include_root}/${header}" includes REGEX "^#include \"[^\"]+\"")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
        list(APPEND pending "${included}")
    endforeach()
endwhile()
file(GLOB_RECURSE installed RELATIVE "${include_root}" "${include_root}/*")
foreach(header IN LISTS installed)
    if(NOT header IN_LIST reachable)
        message(FATAL_ERROR "installed header ${header} is not reachable from EdgeDetection.h: "
            "an internal header is installed")
    endif()
endforeach()

run("${CMAKE_COMMAND}" -S "${SOURCE_DIR}/consumer" -B "${WORK_DIR}/consumer"
    "-DCMAKE_PREFIX_PATH=${prefix}" -DCMAKE_BUILD_TYPE=Release)
run("${CMAKE_COMMAND}" --build "${WORK_DIR}/consumer")
set(ENV{LD_LIBRARY_PATH} "${prefix}/lib")
run("${WORK_DIR}/consumer/consumer")
message(STATUS "CMake package: ${LAST_OUTPUT}")

find_program(PKG_CONFIG pkg-config)
if(PKG_CONFIG)
    set(ENV{PKG_CONFIG_PATH} "${prefix}/lib/pkgconfig")
    run("${PKG_CONFIG}" --cflags --libs edgedetection)
    separate_arguments(flags UNIX_COMMAND "${LAST_OUTPUT}")
    run(c++ -std=c++20 "${SOURCE_DIR}/consumer/consumer.cpp" ${flags} -o "${WORK_DIR}/consumer-pc")
    run("${WORK_DIR}/consumer-pc")
    message(STATUS "pkg-config: ${LAST_OUTPUT}")
endif()
