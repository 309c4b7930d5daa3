# Installs the built project into a scratch prefix, compiles a consumer against the installed
# assembly, copies the assembly and its config beside it (the way a program ships a library
# assembly) and runs it with neither LD_LIBRARY_PATH nor MONO_PATH set: the config alone must lead
# Mono to the installed native library. Checks the assembly's version.
# Variables: BUILD_DIR, WORK_DIR, MCS, MONO, VERSION (the project's), SOURCE (the consumer).
file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/prefix")
set(app_dir "${WORK_DIR}/app")

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "failed: ${ARGN}\n${out}\n${err}")
    endif()
    set(LAST_OUTPUT "${out}" PARENT_SCOPE)
endfunction()

run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}")
file(GLOB assembly_dir LIST_DIRECTORIES true "${prefix}/lib*/cli/edgedetection")
if(NOT EXISTS "${assembly_dir}/EdgeDetection.Managed.dll.config")
    message(FATAL_ERROR "no installed assembly with its config under ${prefix}")
endif()
file(MAKE_DIRECTORY "${app_dir}")
run("${MCS}" -nologo "-r:${assembly_dir}/EdgeDetection.Managed.dll" "-out:${app_dir}/consumer.exe"
    "${SOURCE}")
file(COPY "${assembly_dir}/EdgeDetection.Managed.dll" "${assembly_dir}/EdgeDetection.Managed.dll.config"
    DESTINATION "${app_dir}")
run("${CMAKE_COMMAND}" -E env --unset=LD_LIBRARY_PATH --unset=MONO_PATH --unset=LD_PRELOAD
    "${MONO}" "${app_dir}/consumer.exe")
if(NOT LAST_OUTPUT MATCHES "^version ${VERSION}(\\.0)?\n")
    message(FATAL_ERROR "the installed assembly does not carry version ${VERSION}:\n${LAST_OUTPUT}")
endif()
message(STATUS "${LAST_OUTPUT}")
