# Compile options attached per target, never through the global flags.
#
# edgedetection_target_options(<target>) gives a target the project's warnings (errors with
# EDGEDETECTION_WERROR), the floating-point rule (no fused multiply-add contraction: formulas are
# evaluated as written) and the sanitizers that EDGEDETECTION_SANITIZERS names:
#
#   address    AddressSanitizer          undefined  UndefinedBehaviorSanitizer
#   thread     ThreadSanitizer           fuzzer     libFuzzer coverage in the library and the
#                                                   fuzz targets of tests/fuzz (Clang only)
#
# for example -DEDGEDETECTION_SANITIZERS="address;undefined;fuzzer". Combinations the compilers
# cannot build are refused at configure time. After this file, EDGEDETECTION_SANITIZE_ADDRESS,
# EDGEDETECTION_SANITIZE_UNDEFINED, EDGEDETECTION_SANITIZE_THREAD and EDGEDETECTION_FUZZING say
# which were asked for.

set(EDGEDETECTION_WARNING_FLAGS -Wall -Wextra -Wpedantic)
if(EDGEDETECTION_WERROR)
    list(APPEND EDGEDETECTION_WARNING_FLAGS -Werror)
endif()

set(known_sanitizers address undefined thread fuzzer)
foreach(sanitizer IN LISTS known_sanitizers)
    set(requested_${sanitizer} OFF)
endforeach()
# OFF, or an empty value, asks for none.
if(EDGEDETECTION_SANITIZERS)
    foreach(sanitizer IN LISTS EDGEDETECTION_SANITIZERS)
        if(NOT sanitizer IN_LIST known_sanitizers)
            message(FATAL_ERROR "EDGEDETECTION_SANITIZERS: unknown sanitizer '${sanitizer}'; "
                "name some of: address, undefined, thread, fuzzer (a list, e.g. address;undefined)")
        endif()
        set(requested_${sanitizer} ON)
    endforeach()
endif()
if(requested_thread AND (requested_address OR requested_fuzzer))
    message(FATAL_ERROR "EDGEDETECTION_SANITIZERS: thread cannot be combined with address or "
        "fuzzer (their runtimes exclude each other); build ThreadSanitizer on its own")
endif()
if(requested_fuzzer AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "EDGEDETECTION_SANITIZERS: fuzzer needs Clang: configure with "
        "CXX=clang++")
endif()
set(EDGEDETECTION_SANITIZE_ADDRESS ${requested_address})
set(EDGEDETECTION_SANITIZE_UNDEFINED ${requested_undefined})
set(EDGEDETECTION_SANITIZE_THREAD ${requested_thread})
set(EDGEDETECTION_FUZZING ${requested_fuzzer})

# The flags: one -fsanitize= with the runtimes, and the fuzzer's coverage instrumentation in the
# library too, so that coverage of the library guides the fuzzer (the fuzz targets add the
# fuzzer's main themselves).
set(EDGEDETECTION_SANITIZER_FLAGS "")
set(sanitize_list "")
foreach(sanitizer address undefined thread)
    if(requested_${sanitizer})
        list(APPEND sanitize_list ${sanitizer})
    endif()
endforeach()
if(requested_fuzzer)
    list(APPEND sanitize_list fuzzer-no-link)
endif()
if(sanitize_list)
    list(JOIN sanitize_list "," sanitize_joined)
    set(EDGEDETECTION_SANITIZER_FLAGS "-fsanitize=${sanitize_joined}" -fno-omit-frame-pointer)
    if(requested_address OR requested_undefined)
        # A finding stops the program, so that a test or a fuzz run fails on it.
        list(APPEND EDGEDETECTION_SANITIZER_FLAGS -fno-sanitize-recover=all)
    endif()
endif()

function(edgedetection_target_options target)
    target_compile_options(${target} PRIVATE ${EDGEDETECTION_WARNING_FLAGS} -ffp-contract=off)
    if(EDGEDETECTION_SANITIZER_FLAGS)
        # Sanitizer builds check what the fixed-capacity lists' callers promise (OFastArrayList).
        target_compile_definitions(${target} PRIVATE EDGEDETECTION_CHECKED)
        target_compile_options(${target} PRIVATE ${EDGEDETECTION_SANITIZER_FLAGS})
        target_link_options(${target} PRIVATE ${EDGEDETECTION_SANITIZER_FLAGS})
    endif()
    if(EDGEDETECTION_FUZZING)
        # Line tables are all that sanitizer reports need. Only the library and the fuzz targets,
        # where the fuzzers spend their time, are optimised; the tests and tools this build also
        # runs under the sanitizers compile about four times faster without.
        target_compile_options(${target} PRIVATE -gline-tables-only)
        if(NOT target MATCHES "^(edgedetection|edgedetection_objects|fuzz_.*)$")
            target_compile_options(${target} PRIVATE -O0)
        endif()
    endif()
endfunction()
